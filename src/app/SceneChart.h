#pragma once
// The 3-D scene chart as the scene drawing sees it: its bottom (plan x), left (depth) and depth
// (plan y) axes.
#include "app/SceneDrawing.h"

class TCustomAxisPanel;
class TPseudoSection2d;

// The section chart as the scene's section chart: its contour, and its layout recording the
// picture.
class TSectionChartScene : public ISceneSection {
public:
  explicit TSectionChartScene(TPseudoSection2d& chart) : chart_(chart) {}
  TPseudoSectionContour& Contour() override;
  void UpdateLayout() override;

private:
  TPseudoSection2d& chart_;
};

class TChartSceneAxes : public ISceneAxes {
public:
  explicit TChartSceneAxes(TCustomAxisPanel* chart) : chart_(chart) {}
  double XPos(double planX) override;
  double YPos(double depth) override;
  double ZPos(double planY) override;
  double BottomLength() override;
  double LeftLength() override;
  double DepthLength() override;
  // Fixed ranges, in force at once for the positions above (the chart repaints with them too).
  void SetBottomRange(double lo, double hi) override;
  void SetLeftRange(double lo, double hi) override;
  void SetDepthRange(double lo, double hi) override;

private:
  TCustomAxisPanel* chart_;
};

// Adds the "OpenGL" page of the chart editor for charts drawn by an OpenGL component (done once at
// start-up; calling it again changes nothing).
void RegisterOpenGLEditorPage();
