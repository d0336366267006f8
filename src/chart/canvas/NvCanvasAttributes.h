#pragma once
// Chart pens, the chart brush and the 3-D view options: persistent drawing attributes that tell
// their owner about every change.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Classes.h"
#include "platform/Graphics.h"

enum TPenEndStyle : uint8_t { esRound, esSquare, esFlat };

// A platform pen with visibility, end style and small dots.
class TChartPen : public TPen {
public:
  explicit TChartPen(TNotifyEvent onChange = {});
  void Assign(const TPersistent* source) override;

  TPenEndStyle GetEndStyle() const { return endStyle_; }
  void SetEndStyle(TPenEndStyle v);
  bool GetSmallDots() const { return smallDots_; }
  void SetSmallDots(bool v);
  int32_t GetSmallSpace() const { return smallSpace_; }
  void SetSmallSpace(int32_t v);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  void Hide() { SetVisible(false); }
  void Show() { SetVisible(true); }

  // Stored rules: a property is written only when it differs from the pen's default.
  bool IsEndStyleStored() const { return endStyle_ != defaultEnd_; }
  bool IsVisibleStored() const { return visible_ != defaultVisible_; }
  bool GetDefaultVisible() const { return defaultVisible_; }
  TPenEndStyle GetDefaultEndStyle() const { return defaultEnd_; }

protected:
  TPenEndStyle endStyle_ = esRound;
  bool smallDots_ = false;
  int32_t smallSpace_ = 0;
  bool visible_ = true;
  TPenEndStyle defaultEnd_ = esRound;
  bool defaultVisible_ = true;
};

// Hidden by default (stored when made visible).
class TChartHiddenPen : public TChartPen {
public:
  explicit TChartHiddenPen(TNotifyEvent onChange = {});
};

// Grey dotted pen, the base of the axis grid pen.
class TDottedGrayPen : public TChartPen {
public:
  explicit TDottedGrayPen(TNotifyEvent onChange = {});
};

class TDarkGrayPen : public TChartPen {
public:
  explicit TDarkGrayPen(TNotifyEvent onChange = {});
};

class TWhitePen : public TChartPen {
public:
  explicit TWhitePen(TNotifyEvent onChange = {});
};

// Brush styles beyond the platform's eight name pattern bitmaps: style 8 + pattern index.
constexpr int32_t FirstPatternStyle = 8;

// A platform brush whose colour defaults to the "use the owner's colour" marker, with an
// optional pattern picture and pattern styles.
class TChartBrush : public TBrush {
public:
  explicit TChartBrush(TNotifyEvent onChange = {});
  ~TChartBrush() override;
  void Assign(const TPersistent* source) override;

  // Made on first read, with the brush's change handler.
  TPicture* GetImage();
  bool HasImage() const { return image_ != nullptr; }
  // A picture is copied into the brush's own image; nullptr frees it. Either way signals a change.
  void SetImage(const TPicture* v);

  // Full style: 0..7 the platform styles, 8 and up the pattern bitmaps.
  int32_t GetStyleValue() const { return pattern_ >= 0 ? FirstPatternStyle + pattern_ : static_cast<int32_t>(GetStyle()); }
  void SetStyleValue(int32_t v);
  // Setting a platform style clears a pattern style.
  void SetStyle(TBrushStyle v);
  bool IsPatternStyle() const { return pattern_ >= 0; }

private:
  std::unique_ptr<TPicture> image_;
  int32_t pattern_ = -1;
};

// The transparent-background marker colour: one above silver.
constexpr TColor clTransparentBack = 0xC0C0C1;

// The 3-D view of one chart panel. The panel sets OnRepaint to its repaint operation.
class TView3DOptions : public TPersistent {
public:
  explicit TView3DOptions(TComponent* panel, std::function<void()> onRepaint = {});
  void Assign(const TPersistent* source) override;

  TComponent* GetPanel() const { return panel_; }
  std::function<void()> OnRepaint;
  std::function<void(bool horizontal)> OnScrolled;
  std::function<void(int32_t newZoom)> OnZoomChanged;

  int32_t GetElevation() const;
  void SetElevation(int32_t v) { SetElevationFloat(v); }
  double GetElevationFloat() const { return elevation_; }
  void SetElevationFloat(double v);
  int32_t GetRotation() const;
  void SetRotation(int32_t v) { SetRotationFloat(v); }
  double GetRotationFloat() const { return rotation_; }
  void SetRotationFloat(double v);
  int32_t GetFontZoom() const { return fontZoom_; }
  void SetFontZoom(int32_t v);
  int32_t GetHorizOffset() const { return horizOffset_; }
  void SetHorizOffset(int32_t v);
  int32_t GetVertOffset() const { return vertOffset_; }
  void SetVertOffset(int32_t v);
  int32_t GetOrthoAngle() const { return orthoAngle_; }
  void SetOrthoAngle(int32_t v);
  bool GetOrthogonal() const { return orthogonal_; }
  void SetOrthogonal(bool v);
  int32_t GetPerspective() const { return perspective_; }
  void SetPerspective(int32_t v);
  int32_t GetTilt() const { return tilt_; }
  void SetTilt(int32_t v);
  int32_t GetZoom() const { return zoom_; }
  void SetZoom(int32_t v);
  bool GetZoomText() const { return zoomText_; }
  void SetZoomText(bool v);

  // Depth-to-pixel ratio of orthogonal views; 1.0 otherwise.
  double CalcOrthoRatio() const;
  // Asks the owning panel to repaint.
  void Repaint();

private:
  TComponent* panel_;
  double elevation_ = 345;
  int32_t fontZoom_ = 100;
  int32_t horizOffset_ = 0;
  int32_t orthoAngle_ = 45;
  bool orthogonal_ = true;
  int32_t perspective_ = 15;
  double rotation_ = 345;
  int32_t tilt_ = 0;
  int32_t vertOffset_ = 0;
  int32_t zoom_ = 100;
  bool zoomText_ = true;
};
