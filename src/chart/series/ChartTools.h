#pragma once
// Chart tools of the viewer: the rotate tool (a mouse drag turns and tilts a 3-D chart) and the
// image tool (a picture stretched over the rectangle of its series' X and Y extremes).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "chart/model/NvEngineTools.h"
#include "platform/Graphics.h"

// Turns (horizontal drag) and tilts (vertical drag) the chart's 3-D view while the mouse button
// is held. Its pen (white, xor mode) is the outline pen of the rotation: while a drag lasts, each
// paint ends with the chart's 3-D box outlined in it.
class TRotateTool : public TNuvCustomTool {
public:
  explicit TRotateTool(TComponent* owner = nullptr);

  void ChartEvent(TChartToolEvent kind) override;
  void ChartMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  std::string GetDescription() const override;
  std::string GetEditorClass() const override { return "TRotateToolEditor"; }

  TMouseButton GetButton() const { return button_; }
  void SetButton(TMouseButton v) { button_ = v; }
  // Drags turn the other way.
  bool GetInverted() const { return inverted_; }
  void SetInverted(bool v) { inverted_ = v; }
  bool Dragging() const { return dragging_; }
  // After each change of the view.
  TNotifyEvent OnRotate;

  // The view of a drag of (dx, dy) pixels from (rotation, elevation) over a chart of the given
  // size: a full width turns by 360 degrees, a full height tilts by 360; results in 0..359.
  static void DragAngles(double rotation, double elevation, int32_t dx, int32_t dy, int32_t width, int32_t height,
                         bool inverted, double& newRotation, double& newElevation);

private:
  // The front and back rectangles of the chart's box and the four edges between them.
  void DrawOutline();
  // Ends a drag; the chart repaints without the outline.
  void EndDrag();

  TMouseButton button_ = mbLeft;
  bool inverted_ = false;
  bool dragging_ = false;
  int32_t startX_ = 0, startY_ = 0;
  double startRotation_ = 0, startElevation_ = 0;
};

// Draws its Picture over the rectangle spanned by its series' X and Y extremes, before the series.
// With VertFlip the series' lowest Y gives the top edge and its highest the bottom edge (the
// picture is drawn upside down).
class TChartImageTool : public TNuvCustomToolSeries {
public:
  explicit TChartImageTool(TComponent* owner = nullptr);
  ~TChartImageTool() override;

  void ChartEvent(TChartToolEvent kind) override;
  std::string GetDescription() const override;

  TPicture* GetPicture() const { return picture_.get(); }
  void SetPicture(const TPicture* v);
  bool GetVertFlip() const { return vertFlip_; }
  void SetVertFlip(bool v);

  // The picture's rectangle in pixels as last computed while painting (Top > Bottom when flipped).
  const TRect& PictureRect() const { return pictureRect_; }
  // The rectangle for the series' current extremes (empty without series or chart).
  TRect CalcPictureRect() const;

  // Values of the series' axes at a pixel; 0.0 without a series.
  double XScreenToValue(int32_t x) const;
  double YScreenToValue(int32_t y) const;

private:
  void DrawPicture();

  std::unique_ptr<TPicture> picture_;
  bool vertFlip_ = false;
  TRect pictureRect_;
};

// Registers the tool types (idempotent).
void RegisterChartTools();
