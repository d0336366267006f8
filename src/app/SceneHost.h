#pragma once
// What the project and scene code asks of the main window: the 3-D chart, its OpenGL texture cache,
// the section chart and the grid widget. The main window implements it; tests use a fake.
#include <string>

class ISceneHost {
public:
  virtual ~ISceneHost() = default;

  // Fixed ranges of the 3-D chart's bottom axis (plan x), depth axis (plan y) and left axis (depth);
  // the chart orders each pair and turns automatic scaling off.
  virtual void SetSceneAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin,
                                  double depthMax) = 0;
  // Clears the OpenGL canvas's texture cache.
  virtual void ClearTextureCache() = 0;
  // Zoom, rotation and elevation of the 3-D view.
  virtual void GetView3D(int& zoom, int& rotation, int& elevation) = 0;
  virtual void SetView3D(int zoom, int rotation, int elevation) = 0;
  // The section chart's current settings line, and applying one to it.
  virtual std::string GetSectionSettings() = 0;
  virtual void SetSectionSettings(const std::string& line) = 0;
  // The grid cells of the project state were rewritten: mirror them into the grid widget.
  virtual void GridChanged() = 0;
  // DisplayMode of the project state changed: show it on the mode buttons.
  virtual void DisplayModeChanged() = 0;
  // Contours every present section into its picture, then builds the horizontal slice.
  virtual void BuildSectionPictures() = 0;
  // Repaints the 3-D chart.
  virtual void Repaint() = 0;
};
