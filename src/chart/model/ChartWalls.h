#pragma once
// Chart walls: the back, left, bottom and right planes that frame the plotting area, drawn flat
// or, with a Size, as slabs; with brush, gradient and blending. The chart owns its TChartWalls,
// which owns the four walls, and calls their drawing in its paint sequence.
#include <cstdint>
#include <memory>

#include "chart/canvas/NuvShapes.h"

class TCustomChart;

class TCustomChartWall : public TNuvCustomShape {
public:
  explicit TCustomChartWall(TCustomChart* chart);
  void Assign(const TPersistent* source) override;

  bool GetAutoHide() const { return autoHide_; }
  void SetAutoHide(bool v);
  bool GetDark3D() const { return dark3D_; }
  void SetDark3D(bool v);
  int32_t GetSize() const { return size_; }
  void SetSize(int32_t v);
  TColor GetDefaultColor() const { return defaultColor_; }
  bool IsColorStored() const { return GetColor() != defaultColor_; }
  // Sets Color and DefaultColor together.
  void SetWallColor(TColor v);

  // Brush not clear, no pattern picture, and Dark3D on: the darkening switch of Cube.
  bool ApplyDark3D() const;
  // A gradient object that is visible.
  bool HasVisibleGradient() const;
  // View3DWalls on, Visible, AutoHide off.
  bool ShouldDrawInFront() const;
  TCustomChart* Chart() const { return chart_; }

  // Pen, and brush (clear when Transparent) on the chart canvas.
  void PrepareCanvas();

private:
  TCustomChart* chart_;
  bool autoHide_ = false;
  bool dark3D_ = true;
  int32_t size_ = 0;
  TColor defaultColor_ = 0x20000000;
};

class TChartWall : public TCustomChartWall {
public:
  using TCustomChartWall::TCustomChartWall;
};

// Silver, transparent by default.
class TChartBackWall : public TChartWall {
public:
  explicit TChartBackWall(TCustomChart* chart);
};

// Silver, hidden by default.
class TChartRightWall : public TChartWall {
public:
  explicit TChartRightWall(TCustomChart* chart);
};

class TChartWalls : public TPersistent {
public:
  explicit TChartWalls(TCustomChart* chart);
  ~TChartWalls() override;
  TChartWalls(const TChartWalls&) = delete;
  TChartWalls& operator=(const TChartWalls&) = delete;
  void Assign(const TPersistent* source) override;

  TChartBackWall* GetBack() const { return back_.get(); }
  void SetBack(const TChartBackWall* v) { back_->Assign(v); }
  TChartWall* GetBottom() const { return bottom_.get(); }
  void SetBottom(const TChartWall* v) { bottom_->Assign(v); }
  TChartWall* GetLeft() const { return left_.get(); }
  void SetLeft(const TChartWall* v) { left_->Assign(v); }
  TChartRightWall* GetRight() const { return right_.get(); }
  void SetRight(const TChartRightWall* v) { right_->Assign(v); }
  TCustomChart* Chart() const { return chart_; }

  // The chart's View3DWalls.
  bool GetView3D() const;
  void SetView3D(bool v);
  // Size of all four walls.
  void SetSize(int32_t v);

  // Drawing of each wall in the chart rectangle (the chart decides which and when).
  void DrawLeft();
  void DrawRight();
  void DrawBottom();
  void DrawBack();

private:
  // Blending and gradient around a wall's drawing.
  template <class DrawFn>
  void DrawWall(TCustomChartWall* wall, const TFourPoints& plane, DrawFn draw);

  TCustomChart* chart_;
  std::unique_ptr<TChartBackWall> back_;
  std::unique_ptr<TChartWall> bottom_;
  std::unique_ptr<TChartWall> left_;
  std::unique_ptr<TChartRightWall> right_;
};
