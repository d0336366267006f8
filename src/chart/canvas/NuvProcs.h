#pragma once
// The chart panel: the window control every chart draws on, with its drawing surface, 3-D view
// options, margins, bevels, border, event listeners, picture export and printing; and the
// extended panel with zoom settings, panning, gradient background and back image.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/canvas/NvCanvas.h"
#include "platform/Controls.h"
#include "platform/StdCtrls.h"

class TMetafile;
class TCustomNuvPanel;

// The bevel kinds of a panel (bvSpace is drawn as a raised bevel).
constexpr TBevelCut bvSpace = static_cast<TBevelCut>(3);
using TBevelWidth = int32_t;

enum TNuvUnits { muPercent, muPixels };

// ---- Events and listeners ----
class TNuvEvent {
public:
  virtual ~TNuvEvent() = default;
  TCustomNuvPanel* Sender = nullptr;
};

class TNuvMouseEvent : public TNuvEvent {
public:
  int32_t Event = 0;  // 0 down, 1 up, 2 move
  TMouseButton Button = mbLeft;
  TShiftState Shift = 0;
  int32_t X = 0, Y = 0;
};

class TNuvView3DEvent : public TNuvEvent {};

// An object told of panel events.
class INuvEventListener {
public:
  virtual ~INuvEventListener() = default;
  virtual void HandleEvent(TNuvEvent* event) = 0;
};

// The listeners of a panel, in the order they were added; not owned.
class TNuvEventListeners {
public:
  // Appends listener when it is not yet in the list; returns its index.
  int32_t Add(INuvEventListener* listener);
  // Deletes listener; returns the index it had, -1 when absent.
  int32_t Remove(INuvEventListener* listener);
  int32_t IndexOf(INuvEventListener* listener) const;
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  INuvEventListener* Get(int32_t index) const { return items_.at(static_cast<size_t>(index)); }

private:
  std::vector<INuvEventListener*> items_;
};

// A mouse scroll or tool drag in progress: the two drag corners.
class TZoomPanning : public TPersistent {
public:
  bool Active = false;
  int32_t X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
  void Activate(int32_t x, int32_t y);
  void OrderCorners();
};

using TNuvPrintEvent = std::function<void(TObject* sender, TCanvas* canvas, const TRect& r)>;

// A panel whose caption never follows its name, with the bevels and border width of a panel.
class TCustomPanelNoCaption : public TCustomControl {
public:
  explicit TCustomPanelNoCaption(TComponent* owner);

  TBevelCut GetBevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v);
  TBevelCut GetBevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v);
  TBevelWidth GetBevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth v);
  int32_t GetBorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int32_t v);
  bool GetLocked() const { return locked_; }
  void SetLocked(bool v) { locked_ = v; }

private:
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  TBevelWidth bevelWidth_ = 1;
  int32_t borderWidth_ = 0;
  bool locked_ = false;
};

// Draws a bevel round rect and shrinks it by width (square corners unless roundSize > 0).
void PaintBevel(TCanvas3D* canvas, TBevelCut bevel, TRect& rect, int32_t roundSize, int32_t width);
// HORZSIZE / VERTSIZE of the canvas's device; 0 when VERTSIZE is 0.
double DeviceAspectRatio(TCanvas* canvas);

class TCustomNuvPanel : public TCustomPanelNoCaption {
public:
  explicit TCustomNuvPanel(TComponent* owner);
  ~TCustomNuvPanel() override;

  // ---- Virtual operations ----
  virtual TColor GetBackColor();
  virtual void InternalDraw(const TRect& userRect);
  virtual void CanvasChanged(TObject* sender);
  virtual void Draw(TCanvas* userCanvas, const TRect& userRect);
  virtual TRect GetRectangle();
  virtual void DrawPanelBevels(TRect rect);

  void Invalidate() override;
  void Assign(const TPersistent* source) override;
  // Takes the cursor and applies the round region (after reading a stored panel).
  virtual void Loaded();
  // Legacy stored property: "bsSingle" shows the border.
  void ReadBorderStyle(const std::string& identifier);

  // ---- Set-and-repaint accessors ----
  void SetBooleanProperty(bool& field, bool value);
  void SetIntegerProperty(int32_t& field, int32_t value);
  void SetColorProperty(TColor& field, TColor value);
  void SetDoubleProperty(double& field, double value);
  void SetStringProperty(std::string& field, const std::string& value);

  // ---- Properties ----
  bool ApplyZOrder = true;
  bool GetAutoRepaint() const { return autoRepaint_; }
  void SetAutoRepaint(bool v) { autoRepaint_ = v; }
  TChartHiddenPen* GetBorder() const { return border_.get(); }
  void SetBorder(const TChartPen* v) { border_->Assign(v); }
  int32_t GetBorderRound() const { return borderRound_; }
  void SetBorderRound(int32_t v);
  bool CancelMouse = false;
  TRect ChartBounds;
  int32_t ChartWidth = 0, ChartHeight = 0;
  int32_t ChartXCenter = 0, ChartYCenter = 0;
  TCanvas* ControlCanvas() { return GetCanvas(); }
  int32_t GetMargin(int32_t index) const;
  void SetMargin(int32_t index, int32_t value);
  int32_t GetMarginLeft() const { return GetMargin(0); }
  void SetMarginLeft(int32_t v) { SetMargin(0, v); }
  int32_t GetMarginTop() const { return GetMargin(1); }
  void SetMarginTop(int32_t v) { SetMargin(1, v); }
  int32_t GetMarginRight() const { return GetMargin(2); }
  void SetMarginRight(int32_t v) { SetMargin(2, v); }
  int32_t GetMarginBottom() const { return GetMargin(3); }
  void SetMarginBottom(int32_t v) { SetMargin(3, v); }
  TNuvUnits GetMarginUnits() const { return marginUnits_; }
  void SetMarginUnits(TNuvUnits v);
  TNuvPrintEvent OnBeforePrint;
  TCursor OldCursor = crDefault;
  TZoomPanning* ZoomPanning() const { return zoomPanning_.get(); }
  bool Printing = false;
  TRect PrintMargins = {15, 15, 15, 15};
  bool PrintProportional = true;
  int32_t PrintResolution = 0;
  // The rectangle the chart prints into and whether it is set by hand rather than worked out
  // from the margins (the print preview resets it to empty and custom).
  TRect ChartPrintRect;
  bool CustomChartPrintRect = false;
  TNuvShadow* GetShadow() const { return shadow_.get(); }
  void SetShadow(const TNuvShadow* v) { shadow_->Assign(v); }
  bool GetView3D() const { return view3D_; }
  void SetView3D(bool v);
  TView3DOptions* GetView3DOptions() const { return view3DOptions_.get(); }
  void SetView3DOptions(const TView3DOptions* v) { view3DOptions_->Assign(v); }
  int32_t Width3D = 0;
  TComponent* GLComponent = nullptr;
  TNuvEventListeners* Listeners() const { return listeners_.get(); }
  bool RegionBusy = false;
  TCanvas3D* Canvas() const { return canvas_.get(); }
  bool CustomChartRect = false;
  TRect ChartRect;
  TNotifyEvent OnPaint;
  bool GetMonochrome() const;
  void SetMonochrome(bool v);
  bool GetBufferedDisplay() const;
  void SetBufferedDisplay(bool v);
  // Design mode is never on in this program; kept for the mouse-move rule.
  bool Designing() const { return false; }

  // Replaces the drawing surface; the panel owns the new one (nullptr: nothing happens).
  void SetCanvas(std::unique_ptr<TCanvas3D> newCanvas);

  // ---- Listeners ----
  void RemoveListener(INuvEventListener* listener);
  TNuvEvent* BroadcastEvent(TNuvEvent* event);

  TPoint GetCursorPos();
  void SetBrushCanvas(TColor color, TChartBrush* brush, TColor backColor);
  bool CanClip();

  // ---- Export and printing ----
  void DrawToMetaCanvas(TCanvas* canvas, const TRect& rect);
  void DrawToCanvas(TCanvas* canvas, const TRect& rect);
  std::unique_ptr<TMetafile> CreateMetafile(bool enhanced, const TRect& rect);
  void SaveToMetafileRect(bool enhanced, const std::string& fileName, const TRect& rect);
  // An enhanced metafile for ".emf"; any other name gets a placeable Windows metafile.
  void SaveToMetafile(const std::string& fileName);
  void SaveToMetafileEnh(const std::string& fileName) { SaveToMetafileRect(true, fileName, GetRectangle()); }
  std::unique_ptr<TBitmap> CreateBitmap(TColor backColor, const TRect& rect, TPixelFormat pixelFormat);
  void SaveToBitmapFileRect(const std::string& fileName, const TRect& rect);
  void SaveToBitmapFile(const std::string& fileName);
  // Copies the panel's picture into a graphic (as a bitmap) or picture.
  void AssignTo(TPersistent* dest);
  void PrintPartialCanvas(TCanvas* canvas, const TRect& rect);
  void PrintPartial(const TRect& rect);
  TRect CalcProportionalMargins();
  TRect CalcPrintRect();

  // Input handlers (also the entry points for tests).
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void DblClick() override;
  void MouseLeave() override;
  void Resize() override;
  // The system colours changed.
  void SysColorChange() { Invalidate(); }

protected:
  void Paint() override;
  // Hook for descendants: drawn after the picture is shown (the rubber band).
  virtual void PaintOverlay() {}
  void ApplyRoundRegion();
  bool Loading = false;

private:
  bool destroying_ = false;
  bool dblClickAborted_ = false;
  bool autoRepaint_ = false;
  std::unique_ptr<TChartHiddenPen> border_;
  int32_t borderRound_ = 0;
  int32_t margins_[4] = {3, 4, 3, 4};
  TNuvUnits marginUnits_ = muPercent;
  std::unique_ptr<TZoomPanning> zoomPanning_;
  std::unique_ptr<TNuvShadow> shadow_;
  bool view3D_ = true;
  std::unique_ptr<TView3DOptions> view3DOptions_;
  std::unique_ptr<TNuvEventListeners> listeners_;
  std::unique_ptr<TCanvas3D> canvas_;
};

// ---- Extended panel ----
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };
enum TNuvZoomDirection { tzdHorizontal, tzdVertical, tzdBoth };
enum TNuvBackImageMode { pbmStretch, pbmTile, pbmCenter, pbmCustom };

// The zoom rectangle's pen: white, stored only when another colour.
class TNuvZoomPen : public TChartPen {
public:
  explicit TNuvZoomPen(TNotifyEvent onChange = {});
  bool IsColorStored() const { return GetColor() != clWhite; }
};

// The zoom rectangle's brush: white, clear by default.
class TNuvZoomBrush : public TChartBrush {
public:
  explicit TNuvZoomBrush(TNotifyEvent onChange = {});
};

class TNuvZoom : public TZoomPanning {
public:
  TNuvZoom();
  ~TNuvZoom() override;
  void Assign(const TPersistent* source) override;

  bool Allow = true;
  bool Animated = false;
  int32_t AnimatedSteps = 8;
  TNuvZoomDirection Direction = tzdBoth;
  TShiftState KeyShift = 0;
  int32_t MinimumPixels = 16;
  TMouseButton MouseButton = mbLeft;
  bool UpLeftZooms = false;

  // Made on first read; nullptr frees them.
  TNuvZoomBrush* GetBrush();
  void SetBrush(const TNuvZoomBrush* v);
  bool HasBrush() const { return brush_ != nullptr; }
  TNuvZoomPen* GetPen();
  void SetPen(const TNuvZoomPen* v);
  bool HasPen() const { return pen_ != nullptr; }

private:
  std::unique_ptr<TNuvZoomBrush> brush_;
  std::unique_ptr<TNuvZoomPen> pen_;
};

// The back picture of a panel.
class TBackImage : public TPicture {
public:
  void Assign(const TPersistent* source) override;
  bool GetInside() const { return inside_; }
  void SetInside(bool v);
  int32_t GetLeft() const { return left_; }
  void SetLeft(int32_t v);
  int32_t GetTop() const { return top_; }
  void SetTop(int32_t v);
  TNuvBackImageMode GetMode() const { return mode_; }
  void SetMode(TNuvBackImageMode v);

private:
  void Notify();
  bool inside_ = false;
  int32_t left_ = 0, top_ = 0;
  TNuvBackImageMode mode_ = pbmStretch;
};

class TCustomNuvPanelExtended : public TCustomNuvPanel {
public:
  explicit TCustomNuvPanelExtended(TComponent* owner);
  ~TCustomNuvPanelExtended() override;

  virtual void FillPanelRect(const TRect& rect);
  virtual void DrawPanelBackground(TRect rect);
  virtual void UndoZoom();
  // The palette of a bitmap back image (its identity), else 0.
  uint64_t GetPalette();

  bool HasBackImage() const;
  void DrawBackImage(TRect rect, int32_t z);
  // Draws the rubber band on the control's canvas; a second call at the same corners removes it.
  void DrawZoomRectangle();
  void SetAllowZoom(bool v) { zoom_->Allow = v; }
  void Assign(const TPersistent* source) override;
  // Legacy stored properties, read only.
  void ReadAllowZoom(bool v) { zoom_->Allow = v; }
  void ReadAnimatedZoom(bool v) { zoom_->Animated = v; }
  void ReadAnimatedZoomSteps(int32_t v) { zoom_->AnimatedSteps = v; }
  // Whether PrintMargins are written (some margin other than 15).
  bool IsPrintMarginsStored() const;

  TPanningMode AllowPanning = pmBoth;
  TNuvGradient* GetGradient();
  void SetGradient(const TNuvGradient* v);
  bool HasGradient() const { return gradient_ != nullptr; }
  TNuvZoom* Zoom() const { return zoom_.get(); }
  bool Zoomed = false;
  TBackImage* GetBackImage();
  void SetBackImage(const TBackImage* v);
  bool GetBackImageInside() { return GetBackImage()->GetInside(); }
  void SetBackImageInside(bool v) { GetBackImage()->SetInside(v); }
  TNuvBackImageMode GetBackImageMode() { return GetBackImage()->GetMode(); }
  void SetBackImageMode(TNuvBackImageMode v) { GetBackImage()->SetMode(v); }
  bool GetBackImageTransp() const;
  void SetBackImageTransp(bool v);
  TNotifyEvent OnAfterDraw;
  TNotifyEvent OnScroll;
  TNotifyEvent OnUndoZoom;
  TNotifyEvent OnZoom;
  bool CancelZoom = false;
  TNotifyEvent OnBeforeZoom;

protected:
  void PaintOverlay() override;

private:
  void DrawZoomBand(const TRect& r);
  std::unique_ptr<TNuvGradient> gradient_;
  std::unique_ptr<TNuvZoom> zoom_;
  std::unique_ptr<TBackImage> backImage_;
  // The rubber band shown now (kept so a repaint from the cached picture puts it back).
  bool bandShown_ = false;
  TRect band_;
};
