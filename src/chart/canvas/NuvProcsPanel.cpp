#include <algorithm>
#include <cmath>

#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NuvProcs.h"
#include "platform/Forms.h"
#include "platform/Gdi.h"
#include "platform/Metafile.h"
#include "platform/PanelWidget.h"
#include "platform/PlaceableMetafile.h"
#include "platform/Printers.h"
#include "platform/SysUtils.h"

namespace {

// a * b / c rounded half away from zero, as the system's MulDiv; checked for 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
  if (c == 0) throw EOverflow("Division by zero in rectangle arithmetic");
  const double v = static_cast<double>(a) * b / c;
  return RoundAway32(v);
}

}  // namespace

// ---- Listeners ----
int32_t TNuvEventListeners::IndexOf(INuvEventListener* listener) const
{
  auto it = std::find(items_.begin(), items_.end(), listener);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

int32_t TNuvEventListeners::Add(INuvEventListener* listener)
{
  int32_t i = IndexOf(listener);
  if (i >= 0) return i;
  items_.push_back(listener);
  return Count() - 1;
}

int32_t TNuvEventListeners::Remove(INuvEventListener* listener)
{
  int32_t i = IndexOf(listener);
  if (i >= 0) items_.erase(items_.begin() + i);
  return i;
}

// ---- Zoom and panning state ----
void TZoomPanning::Activate(int32_t x, int32_t y)
{
  X0 = X1 = x;
  Y0 = Y1 = y;
  Active = true;
}

void TZoomPanning::OrderCorners()
{
  if (X0 > X1) std::swap(X0, X1);
  if (Y0 > Y1) std::swap(Y0, Y1);
}

// ---- Panel without caption ----
TCustomPanelNoCaption::TCustomPanelNoCaption(TComponent* owner) : TCustomControl(owner) {}

void TCustomPanelNoCaption::SetBevelInner(TBevelCut v) { if (Store(bevelInner_, v)) Invalidate(); }

void TCustomPanelNoCaption::SetBevelOuter(TBevelCut v) { if (Store(bevelOuter_, v)) Invalidate(); }

void TCustomPanelNoCaption::SetBevelWidth(TBevelWidth v)
{
  if (v < 1) v = 1;
  if (v == bevelWidth_) return;
  bevelWidth_ = v;
  Invalidate();
}

void TCustomPanelNoCaption::SetBorderWidth(int32_t v)
{
  if (v < 0) v = 0;
  if (v == borderWidth_) return;
  borderWidth_ = v;
  Invalidate();
}

// ---- Unit routines ----
void PaintBevel(TCanvas3D* canvas, TBevelCut bevel, TRect& rect, int32_t roundSize, int32_t width)
{
  if (bevel == bvNone) return;
  if (roundSize > 0) {
    canvas->Pen()->SetColor(bevel == bvLowered ? clBtnShadow : clBtnHighlight);
    canvas->RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, roundSize, roundSize);
    InflateRect(rect, -width, -width);
  } else if (bevel == bvLowered) {
    canvas->Frame3D(rect, clBtnShadow, clBtnHighlight, width);
  } else {
    canvas->Frame3D(rect, clBtnHighlight, clBtnShadow, width);
  }
}

double DeviceAspectRatio(TCanvas* canvas)
{
  const int vert = GetDeviceCaps(canvas, VERTSIZE);
  if (vert == 0) return 0;
  return static_cast<double>(GetDeviceCaps(canvas, HORZSIZE)) / vert;
}

// ---- Panel ----
TCustomNuvPanel::TCustomNuvPanel(TComponent* owner) : TCustomPanelNoCaption(owner)
{
  auto changed = [this](TObject* sender) { CanvasChanged(sender); };
  border_ = std::make_unique<TChartHiddenPen>(changed);
  border_->SetEndStyle(esFlat);
  shadow_ = std::make_unique<TNuvShadow>(changed);
  view3DOptions_ = std::make_unique<TView3DOptions>(this, [this]() { Invalidate(); });
  zoomPanning_ = std::make_unique<TZoomPanning>();
  listeners_ = std::make_unique<TNuvEventListeners>();
  canvas_ = std::make_unique<TNuvCanvas3D>();
  canvas_->AttachCanvas(ControlCanvas());
  SetBounds(GetLeft(), GetTop(), 400, 250);
  OldCursor = GetCursor();
  InstallHtmlRenderer();
  WatchSystemColours(this, [this]() { SysColorChange(); });
  autoRepaint_ = true;
}

TCustomNuvPanel::~TCustomNuvPanel()
{
  destroying_ = true;
  autoRepaint_ = false;
  // Owned components (tools, series) go first, in reverse order of creation, while the
  // listener list and the surface they may still call are there.
  while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
  canvas_.reset();
  border_.reset();
  shadow_.reset();
  view3DOptions_.reset();
  zoomPanning_.reset();
  listeners_.reset();
}

TColor TCustomNuvPanel::GetBackColor() { return GetColor(); }

void TCustomNuvPanel::InternalDraw(const TRect& userRect) { (void)userRect; }

void TCustomNuvPanel::CanvasChanged(TObject* sender)
{
  (void)sender;
  Invalidate();
}

void TCustomNuvPanel::Invalidate()
{
  if (!autoRepaint_) return;
  if (canvas_) canvas_->Invalidate();
  TCustomControl::Invalidate();
}

TRect TCustomNuvPanel::GetRectangle()
{
  if (GetParent()) return GetClientRect();
  return Rect(0, 0, GetWidth(), GetHeight());
}

void TCustomNuvPanel::Draw(TCanvas* userCanvas, const TRect& userRect)
{
  ChartBounds = canvas_->InitWindow(userCanvas, view3DOptions_.get(), GetColor(), view3D_, userRect);
  // Without a colour nothing fills the panel: an off-screen surface starts from what the
  // target already shows.
  TCanvas* surface = canvas_->GetReferenceCanvas();
  if (GetColor() == clNone && !canvas_->SupportsFullRotation() && surface && surface != userCanvas)
    surface->CopyRect(ChartBounds, userCanvas, userRect);
  TRect r = ChartRect;
  if (!CustomChartRect) {
    const int32_t w = ChartBounds.Width(), h = ChartBounds.Height();
    int32_t t = GetBorderWidth();
    if (GetBevelInner() != bvNone) t = AddChecked(t, GetBevelWidth());
    if (GetBevelOuter() != bvNone) t = AddChecked(t, GetBevelWidth());
    if (border_->GetVisible()) t = AddChecked(t, border_->GetWidth());
    auto px = [&](int32_t index, int32_t size) {
      return marginUnits_ == muPixels ? margins_[index] : MulChecked(margins_[index], size) / 100;
    };
    r.Left = AddChecked(AddChecked(ChartBounds.Left, t), px(0, w));
    r.Top = AddChecked(AddChecked(ChartBounds.Top, t), px(1, h));
    r.Right = SubChecked(SubChecked(ChartBounds.Right, t), px(2, w));
    r.Bottom = SubChecked(SubChecked(ChartBounds.Bottom, t), px(3, h));
    r.Left = std::max(r.Left, ChartBounds.Left);
    r.Top = std::max(r.Top, ChartBounds.Top);
  }
  if (r.Right < r.Left) r.Right = AddChecked(r.Left, 1);
  else if (r.Right == r.Left) r.Right = AddChecked(r.Left, GetWidth());
  if (r.Bottom < r.Top) r.Bottom = AddChecked(r.Top, 1);
  else if (r.Bottom == r.Top) r.Bottom = AddChecked(r.Top, GetHeight());
  ChartRect = r;
  ChartWidth = SubChecked(r.Right, r.Left);
  ChartHeight = SubChecked(r.Bottom, r.Top);
  ChartXCenter = static_cast<int32_t>((static_cast<int64_t>(r.Left) + r.Right) / 2);
  ChartYCenter = static_cast<int32_t>((static_cast<int64_t>(r.Top) + r.Bottom) / 2);
  InternalDraw(ChartBounds);
  canvas_->ShowImage(userCanvas, ControlCanvas(), userRect);
}

void TCustomNuvPanel::Paint()
{
  // A panel without colour lets what is beneath it show through.
  if (!Printing && GetColor() == clNone) {
    PaintBackgroundBeneath(this, ControlCanvas());
  } else if (!Printing && EraseBackground) {
    // The window's background is erased before it paints only when asked for.
    TCanvas* c = ControlCanvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(GetColor());
    c->FillRect(GetClientRect());
  }
  if (!Printing && !canvas_->ReDrawBitmap()) Draw(ControlCanvas(), GetClientRect());
  PaintOverlay();
  if (OnPaint) OnPaint(this);
}

void TCustomNuvPanel::DrawPanelBevels(TRect rect)
{
  canvas_->FrontPlaneBegin();
  canvas_->Brush()->SetStyle(bsClear);
  if (border_->GetVisible()) {
    canvas_->AssignVisiblePen(border_.get());
    int32_t w;
    if (!border_->GetSmallDots()) {
      w = border_->GetWidth() - 1;
      if (w > 0) {
        const int32_t half = w / 2;
        rect.Left += half + (w % 2 != 0 ? 1 : 0);
        rect.Top += half + (w % 2 != 0 ? 1 : 0);
        rect.Right -= half - (half % 2 != 0 ? 1 : 0);
        rect.Bottom -= half - (half % 2 != 0 ? 1 : 0);
      }
    } else {
      w = 1;
    }
    if (borderRound_ < 1) {
      canvas_->Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom);
      if (!border_->GetSmallDots()) ++w;
    } else {
      --rect.Right;
      --rect.Bottom;
      canvas_->RoundRect(rect.Left, rect.Top, rect.Right, rect.Bottom, borderRound_, borderRound_);
    }
    InflateRect(rect, -w, -w);
  }
  if (Printing && !PrintPanelBackground) {
    canvas_->FrontPlaneEnd();
    return;
  }
  TPen* pen = canvas_->Pen();
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
  pen->SetMode(pmCopy);
  PaintBevel(canvas_.get(), GetBevelOuter(), rect, borderRound_, GetBevelWidth());
  if (GetBorderWidth() != 0) canvas_->Frame3D(rect, GetColor(), GetColor(), GetBorderWidth());
  PaintBevel(canvas_.get(), GetBevelInner(), rect, borderRound_, GetBevelWidth());
  canvas_->FrontPlaneEnd();
}

void TCustomNuvPanel::Loaded()
{
  Loading = false;
  OldCursor = GetCursor();
  ApplyRoundRegion();
}

void TCustomNuvPanel::ReadBorderStyle(const std::string& identifier) { border_->SetVisible(identifier == "bsSingle"); }

void TCustomNuvPanel::SetBooleanProperty(bool& field, bool value) { if (Store(field, value)) Invalidate(); }

void TCustomNuvPanel::SetIntegerProperty(int32_t& field, int32_t value) { if (Store(field, value)) Invalidate(); }

void TCustomNuvPanel::SetColorProperty(TColor& field, TColor value) { if (Store(field, value)) Invalidate(); }

void TCustomNuvPanel::SetDoubleProperty(double& field, double value) { if (Store(field, value)) Invalidate(); }

void TCustomNuvPanel::SetStringProperty(std::string& field, const std::string& value)
{
  if (Store(field, value)) Invalidate();
}

void TCustomNuvPanel::SetBorderRound(int32_t v)
{
  if (v == borderRound_) return;
  borderRound_ = v;
  if (!Loading) ApplyRoundRegion();
  Invalidate();
}

void TCustomNuvPanel::ApplyRoundRegion()
{
  if (RegionBusy || !Widget()) return;
  RegionBusy = true;
  try {
    SetControlRoundRegion(this, GetWidth(), GetHeight(), borderRound_);
  } catch (...) {
    RegionBusy = false;
    throw;
  }
  RegionBusy = false;
}

int32_t TCustomNuvPanel::GetMargin(int32_t index) const
{
  if (index < 0 || index > 3) throw ERangeError("Margin index out of range");
  return margins_[index];
}

void TCustomNuvPanel::SetMargin(int32_t index, int32_t value)
{
  if (index < 0 || index > 3) throw ERangeError("Margin index out of range");
  SetIntegerProperty(margins_[index], value);
}

void TCustomNuvPanel::SetMarginUnits(TNuvUnits v) { if (Store(marginUnits_, v)) Invalidate(); }

void TCustomNuvPanel::SetView3D(bool v)
{
  if (v == view3D_) return;
  view3D_ = v;
  Invalidate();
  TNuvView3DEvent event;
  BroadcastEvent(&event);
}

bool TCustomNuvPanel::GetMonochrome() const { return canvas_->GetMonochrome(); }
void TCustomNuvPanel::SetMonochrome(bool v) { canvas_->SetMonochrome(v); }
bool TCustomNuvPanel::GetBufferedDisplay() const { return canvas_->GetBufferedDisplay(); }
void TCustomNuvPanel::SetBufferedDisplay(bool v) { canvas_->SetBufferedDisplay(v); }

void TCustomNuvPanel::SetCanvas(std::unique_ptr<TCanvas3D> newCanvas)
{
  if (!newCanvas) return;
  newCanvas->AttachCanvas(ControlCanvas());
  if (canvas_) {
    const bool old = autoRepaint_;
    autoRepaint_ = false;
    newCanvas->Assign(canvas_.get());
    autoRepaint_ = old;
    canvas_.reset();
  }
  canvas_ = std::move(newCanvas);
  if (autoRepaint_) Repaint();
}

void TCustomNuvPanel::RemoveListener(INuvEventListener* listener)
{
  if (listeners_) listeners_->Remove(listener);
}

TNuvEvent* TCustomNuvPanel::BroadcastEvent(TNuvEvent* event)
{
  if (destroying_ || Destroying() || !listeners_) return event;
  event->Sender = this;
  const bool isMouse = dynamic_cast<TNuvMouseEvent*>(event) != nullptr;
  // A listener may take itself out while it handles the event.
  for (int32_t i = 0; i < listeners_->Count(); ++i) {
    INuvEventListener* l = listeners_->Get(i);
    l->HandleEvent(event);
    if (isMouse && CancelMouse) break;
    if (i < listeners_->Count() && listeners_->Get(i) != l) --i;
  }
  return event;
}

TPoint TCustomNuvPanel::GetCursorPos() { return ControlCursorPos(this); }

void TCustomNuvPanel::SetBrushCanvas(TColor color, TChartBrush* brush, TColor backColor)
{
  // A hatch in the colour of its background would not show.
  if (brush->GetStyle() != bsSolid && color == backColor) color = backColor == clBlack ? clWhite : clBlack;
  canvas_->AssignBrushColor(brush, color, backColor);
}

bool TCustomNuvPanel::CanClip()
{
  if (canvas_->SupportsFullRotation()) return false;
  if (Printing) return ClipWhenPrinting;
  if (canvas_->GetMetafiling()) return ClipWhenMetafiling;
  return true;
}

// ---- Mouse ----
namespace {

// Tells the listeners of a mouse event: 0 down, 1 up, 2 move.
void BroadcastMouse(TCustomNuvPanel& panel, int32_t event, TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TNuvMouseEvent e;
  e.Event = event;
  e.Button = button;
  e.Shift = shift;
  e.X = x;
  e.Y = y;
  panel.BroadcastEvent(&e);
}

}  // namespace

void TCustomNuvPanel::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  // The press that comes with a double click a listener cancelled is dropped.
  if (dblClickAborted_) {
    dblClickAborted_ = false;
    if (shift & ssDouble) return;
  }
  CancelMouse = false;
  TCustomPanelNoCaption::MouseDown(button, shift, x, y);
  if (listeners_->Count() > 0) BroadcastMouse(*this, 0, button, shift, x, y);
}

void TCustomNuvPanel::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  TCustomPanelNoCaption::MouseUp(button, shift, x, y);
  if (listeners_->Count() > 0) BroadcastMouse(*this, 1, button, shift, x, y);
}

void TCustomNuvPanel::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
  CancelMouse = false;
  TCustomPanelNoCaption::MouseMove(shift, x, y);
  if (listeners_->Count() > 0 && !Designing()) BroadcastMouse(*this, 2, mbLeft, shift, x, y);
}

void TCustomNuvPanel::DblClick()
{
  CancelMouse = false;
  dblClickAborted_ = false;
  TCustomPanelNoCaption::DblClick();
  // A listener that set CancelMouse meanwhile ends the click processing here.
  if (CancelMouse) dblClickAborted_ = true;
}

void TCustomNuvPanel::MouseLeave()
{
  SetCursor(OldCursor);
  zoomPanning_->Active = false;
  TCustomPanelNoCaption::MouseLeave();
}

void TCustomNuvPanel::Resize()
{
  TCustomPanelNoCaption::Resize();
  if (!Loading) ApplyRoundRegion();
  Invalidate();
}

// ---- Assign ----
void TCustomNuvPanel::Assign(const TPersistent* source)
{
  auto* p = dynamic_cast<const TCustomNuvPanel*>(source);
  if (!p) {
    TCustomPanelNoCaption::Assign(source);
    return;
  }
  border_->Assign(p->border_.get());
  SetBorderRound(p->borderRound_);
  canvas_->SetBufferedDisplay(p->canvas_->GetBufferedDisplay());
  PrintMargins = p->PrintMargins;
  PrintProportional = p->PrintProportional;
  PrintResolution = p->PrintResolution;
  std::copy(std::begin(p->margins_), std::end(p->margins_), std::begin(margins_));
  marginUnits_ = p->marginUnits_;
  canvas_->SetMonochrome(p->canvas_->GetMonochrome());
  shadow_->Assign(p->shadow_.get());
  view3D_ = p->view3D_;
  view3DOptions_->Assign(p->view3DOptions_.get());
  SetColor(p->GetColor());
  Invalidate();
}

// ---- Export ----
void TCustomNuvPanel::DrawToMetaCanvas(TCanvas* canvas, const TRect& rect)
{
  canvas_->SetMetafiling(true);
  try {
    DrawToCanvas(canvas, rect);
  } catch (...) {
    canvas_->SetMetafiling(false);
    throw;
  }
  canvas_->SetMetafiling(false);
}

void TCustomNuvPanel::DrawToCanvas(TCanvas* canvas, const TRect& rect)
{
  const bool oldBuffered = canvas_->GetBufferedDisplay();
  auto* gdi = dynamic_cast<TNuvCanvas3D*>(canvas_.get());
  if (gdi) gdi->SetKeepBitmap(true);
  canvas_->SetBufferedDisplay(false);
  auto restore = [&]() {
    canvas_->SetBufferedDisplay(oldBuffered);
    if (gdi) {
      gdi->SetKeepBitmap(false);
      gdi->Invalidate();
    }
  };
  try {
    Draw(canvas, rect);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

std::unique_ptr<TMetafile> TCustomNuvPanel::CreateMetafile(bool enhanced, const TRect& rect)
{
  auto metafile = std::make_unique<TFormatMetafile>();
  metafile->SetEnhanced(enhanced);
  metafile->SetSize(std::max(1, rect.Width()), std::max(1, rect.Height()));
  {
    TMetafileCanvas metaCanvas(metafile.get());
    DrawToMetaCanvas(&metaCanvas, rect);
  }
  return metafile;
}

void TCustomNuvPanel::SaveToMetafileRect(bool enhanced, const std::string& fileName, const TRect& rect)
{
  std::unique_ptr<TMetafile> metafile = CreateMetafile(enhanced, rect);
  metafile->SaveToFile(fileName);
}

void TCustomNuvPanel::SaveToMetafile(const std::string& fileName)
{
  SaveToMetafileRect(LowerCase(ExtractFileExt(fileName)) == ".emf", fileName, GetRectangle());
}

std::unique_ptr<TBitmap> TCustomNuvPanel::CreateBitmap(TColor backColor, const TRect& rect, TPixelFormat pixelFormat)
{
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(canvas_->SupportsFullRotation() ? pf24bit : pixelFormat);
  bitmap->SetSize(std::max(0, rect.Width()), std::max(0, rect.Height()));
  if (backColor != clWhite) {
    TCanvas* c = bitmap->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(backColor);
    c->FillRect(Rect(0, 0, bitmap->GetWidth(), bitmap->GetHeight()));
  }
  DrawToCanvas(bitmap->Canvas(), rect);
  bitmap->Canvas()->Release();
  return bitmap;
}

void TCustomNuvPanel::SaveToBitmapFileRect(const std::string& fileName, const TRect& rect)
{
  std::unique_ptr<TBitmap> bitmap = CreateBitmap(clWhite, rect, pfDevice);
  bitmap->SaveToFile(fileName);
}

void TCustomNuvPanel::SaveToBitmapFile(const std::string& fileName) { SaveToBitmapFileRect(fileName, GetRectangle()); }

void TCustomNuvPanel::AssignTo(TPersistent* dest)
{
  if (dynamic_cast<TGraphic*>(dest) || dynamic_cast<TPicture*>(dest)) {
    std::unique_ptr<TBitmap> bitmap = CreateBitmap(GetColor(), GetRectangle(), pfDevice);
    dest->Assign(bitmap.get());
    return;
  }
  throw EConvertError("Cannot assign a chart panel to this object");
}

// ---- Printing ----
void TCustomNuvPanel::PrintPartialCanvas(TCanvas* canvas, const TRect& rect)
{
  TRect r = rect;
  if (r.Left > r.Right) std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
  const TRect p = GetRectangle();
  const int32_t w = r.Width(), h = r.Height();
  // An empty target has nothing to print into (and would divide by zero).
  if (w == 0 || h == 0) return;
  const int32_t pw = p.Width(), ph = p.Height();
  const int32_t pw2 = SubChecked(pw, MulDiv(pw, PrintResolution, 100));
  const int32_t ph2 = SubChecked(ph, MulDiv(ph, PrintResolution, 100));
  r.Left = MulDiv(r.Left, pw2, w);
  r.Right = MulDiv(r.Right, pw2, w);
  r.Top = MulDiv(r.Top, ph2, h);
  r.Bottom = MulDiv(r.Bottom, ph2, h);
  // Logical drawing size (PW', PH') onto the device rectangle's size.
  const int oldMode = GetMapMode(canvas);
  TPoint oldWindowOrg, oldViewportOrg;
  TSize oldWindowExt, oldViewportExt;
  SetMapMode(canvas, MM_ANISOTROPIC);
  SetWindowOrgEx(canvas, 0, 0, &oldWindowOrg);
  SetWindowExtEx(canvas, pw2, ph2, &oldWindowExt);
  SetViewportExtEx(canvas, w, h, &oldViewportExt);
  SetViewportOrgEx(canvas, 0, 0, &oldViewportOrg);
  auto restoreMapping = [&]() {
    SelectClipRgn(canvas, nullptr);
    SetMapMode(canvas, oldMode);
    SetWindowExtEx(canvas, oldWindowExt.cx, oldWindowExt.cy, nullptr);
    SetViewportExtEx(canvas, oldViewportExt.cx, oldViewportExt.cy, nullptr);
    SetWindowOrgEx(canvas, oldWindowOrg.x, oldWindowOrg.y, nullptr);
    SetViewportOrgEx(canvas, oldViewportOrg.x, oldViewportOrg.y, nullptr);
  };
  Printing = true;
  try {
    if (CanClip()) IntersectClipRect(canvas, r.Left, r.Top, r.Right, r.Bottom);
    if (OnBeforePrint) OnBeforePrint(this, canvas, r);
    DrawToMetaCanvas(canvas, r);
    SelectClipRgn(canvas, nullptr);
  } catch (...) {
    Printing = false;
    restoreMapping();
    throw;
  }
  Printing = false;
  restoreMapping();
}

void TCustomNuvPanel::PrintPartial(const TRect& rect) { PrintPartialCanvas(Printer()->Canvas(), rect); }

TRect TCustomNuvPanel::CalcProportionalMargins()
{
  const TRect rect = GetRectangle();
  const double tmpW = rect.Width(), tmpH = rect.Height();
  double pageW, pageH, pr = 1.0;
  try {
    pageW = Printer()->PageWidth();
    pageH = Printer()->PageHeight();
    pr = static_cast<double>(Printer()->LogPixelsX()) / Printer()->LogPixelsY();
  } catch (const EPrinter&) {
    pageW = Screen()->GetWidth();
    pageH = Screen()->GetHeight();
    pr = 1.0;
  }
  auto marginFor = [&](double size1, double size2, double ratio) {
    if (size2 == 0) return 0;
    return Round32(100.0 * (size2 - (size1 - size1 * 30 * 0.01) * ratio * pr) / size2) / 2;
  };
  if (tmpW > tmpH) {
    const int32_t m = marginFor(pageW, pageH, tmpH / tmpW);
    return Rect(15, m, 15, m);
  }
  const int32_t m = marginFor(pageH, pageW, tmpH == 0 ? 0.0 : tmpW / tmpH);
  return Rect(m, 15, m, 15);
}

TRect TCustomNuvPanel::CalcPrintRect()
{
  if (PrintProportional) PrintMargins = CalcProportionalMargins();
  const double pw = Printer()->PageWidth(), ph = Printer()->PageHeight();
  TRect r;
  r.Left = Round32(pw * PrintMargins.Left * 0.01);
  r.Right = static_cast<int32_t>(pw) - Round32(pw * PrintMargins.Right * 0.01);
  r.Top = Round32(ph * PrintMargins.Top * 0.01);
  r.Bottom = static_cast<int32_t>(ph) - Round32(ph * PrintMargins.Bottom * 0.01);
  return r;
}
