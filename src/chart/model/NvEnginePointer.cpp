#include "chart/model/NvEnginePointer.h"

#include "chart/model/NvEngineAxis.h"

#include <algorithm>
#include <array>
#include <climits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "chart/canvas/NuvConst.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineSeries.h"

// The look of a stamped marker: its half sizes and the canvas pen and brush it is drawn with.
struct TPointerStampKey {
  int32_t h = 0, v = 0;
  TColor penColor = clBlack;
  int32_t penWidth = 1;
  bool penVisible = true;
  TColor brushColor = clWhite;
  friend bool operator==(const TPointerStampKey&, const TPointerStampKey&) = default;
};

// A few stamps by look (a series with a colour per point cycles through its palette).
class TPointerStamps {
public:
  TBitmap* Get(const TPointerStampKey& key)
  {
    for (auto& [k, bmp] : items_)
      if (k == key) return bmp.get();
    if (items_.size() >= kMaxStamps) items_.clear();
    auto bmp = std::make_unique<TBitmap>();
    // Without an outline a rectangle's fill ends one pixel short on the right and bottom.
    const int32_t edge = key.penVisible ? 1 : 0;
    bmp->SetSize(2 * key.h + edge, 2 * key.v + edge);
    TCanvas* c = bmp->Canvas();
    c->Pen()->SetColor(key.penColor);
    c->Pen()->SetWidth(key.penWidth);
    c->Pen()->SetStyle(key.penVisible ? psSolid : psClear);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(key.brushColor);
    c->Rectangle(0, 0, 2 * key.h + 1, 2 * key.v + 1);
    items_.emplace_back(key, std::move(bmp));
    return items_.back().second.get();
  }

private:
  static constexpr size_t kMaxStamps = 32;
  std::vector<std::pair<TPointerStampKey, std::unique_ptr<TBitmap>>> items_;
};

TSeriesPointer::TSeriesPointer(TChartSeries* series)
    : TNuvCustomShapeBrushPen(series ? series->GetParentChart() : nullptr), parentSeries_(series)
{
  gradient_ = std::make_unique<TNuvGradient>(ChangeHandler());
}

TSeriesPointer::~TSeriesPointer() = default;

void TSeriesPointer::Assign(const TPersistent* source)
{
  auto* s = dynamic_cast<const TSeriesPointer*>(source);
  if (!s) {
    TNuvCustomShapeBrushPen::Assign(source);
    return;
  }
  dark3D_ = s->dark3D_;
  draw3D_ = s->draw3D_;
  gradient_->Assign(s->gradient_.get());
  horizSize_ = s->horizSize_;
  inflateMargins_ = s->inflateMargins_;
  style_ = s->style_;
  transparency_ = s->transparency_;
  vertSize_ = s->vertSize_;
  TNuvCustomShapeBrushPen::Assign(source);
}

void TSeriesPointer::Changed()
{
  if (parentSeries_) parentSeries_->Repaint();
  else Repaint();
}

void TSeriesPointer::SetAboveOnly(bool v)
{
  if (Store(aboveOnly_, v)) Changed();
}

void TSeriesPointer::SetDark3D(bool v)
{
  if (Store(dark3D_, v)) Changed();
}

void TSeriesPointer::SetDraw3D(bool v)
{
  if (Store(draw3D_, v)) Changed();
}

void TSeriesPointer::SetGradient(const TNuvGradient* v) { gradient_->Assign(v); }

void TSeriesPointer::SetInflateMargins(bool v)
{
  if (Store(inflateMargins_, v)) Changed();
}

void TSeriesPointer::SetStyle(TSeriesPointerStyle v)
{
  if (Store(style_, v)) Changed();
}

void TSeriesPointer::SetTransparency(TNuvTransparency v)
{
  if (Store(transparency_, v)) Changed();
}

void TSeriesPointer::SetHorizSize(int32_t v)
{
  if (v < 1) throw ChartException(NuvMsg_PointerSize);
  if (Store(horizSize_, v)) Changed();
}

void TSeriesPointer::SetVertSize(int32_t v)
{
  if (v < 1) throw ChartException(NuvMsg_PointerSize);
  if (Store(vertSize_, v)) Changed();
}

TColor TSeriesPointer::GetColor() const { return GetBrush()->GetColor(); }

void TSeriesPointer::SetColor(TColor v) { GetBrush()->SetColor(v); }

namespace {
// The margin a half size asks for: one pixel more, held to the integer range.
int32_t SizeMargin(int32_t size) { return static_cast<int32_t>(std::min<int64_t>(int64_t{size} + 1, INT32_MAX)); }
}  // namespace

void TSeriesPointer::CalcHorizMargins(int32_t& left, int32_t& right) const
{
  if (!GetVisible() || !inflateMargins_) return;
  const int32_t margin = SizeMargin(horizSize_);
  left = std::max(left, margin);
  right = std::max(right, margin);
}

void TSeriesPointer::CalcVerticalMargins(int32_t& top, int32_t& bottom) const
{
  if (!GetVisible() || !inflateMargins_) return;
  const int32_t margin = SizeMargin(vertSize_);
  top = std::max(top, margin);
  bottom = std::max(bottom, margin);
}

int32_t TSeriesPointer::StartZ() const { return parentSeries_ ? parentSeries_->StartZ : 0; }
int32_t TSeriesPointer::MiddleZ() const { return parentSeries_ ? parentSeries_->MiddleZ : 0; }
int32_t TSeriesPointer::EndZ() const { return parentSeries_ ? parentSeries_->EndZ : 0; }

void TSeriesPointer::PrepareCanvas(TCanvas3D* canvas, TColor color)
{
  TChartPen* pen = GetPen();
  if (pen->GetVisible()) {
    if (pen->GetColor() == clDefault) canvas->AssignVisiblePenColor(pen, color);
    else canvas->AssignVisiblePen(pen);
  } else {
    canvas->Pen()->SetStyle(psClear);
  }
  TChartBrush* brush = GetBrush();
  TColor brushColor = brush->GetColor();
  if (brushColor == clDefault) brushColor = brush->GetStyle() == bsSolid ? color : clBlack;
  canvas->AssignBrushColor(brush, brushColor, color);
}

void TSeriesPointer::Draw(int32_t x, int32_t y, TColor color, TSeriesPointerStyle style)
{
  TCustomNuvPanel* chart = GetParentChart();
  if (!chart) return;
  DrawPointer(chart->Canvas(), chart->GetView3D(), x, y, horizSize_, vertSize_, color, style);
}

void TSeriesPointer::DrawPointer(TCanvas3D* canvas, bool is3D, int32_t x, int32_t y, int32_t horizSize,
                                 int32_t vertSize, TColor color, TSeriesPointerStyle style)
{
  const TRect box = PointerBox(x, y, horizSize, vertSize, aboveOnly_);
  TNuvBlend* blend = nullptr;
  if (transparency_ != 0) {
    TRect r;
    if (is3D && draw3D_) {
      const TRect a = canvas->CalcRect3D(box, StartZ());
      const TRect b = canvas->CalcRect3D(box, EndZ());
      r = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom)};
    } else {
      r = TRect{box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1};
    }
    blend = canvas->BeginBlending(r, transparency_);
  }
  if (blend || !DrawStamped(canvas, is3D, box, style)) {
    DrawShape(canvas, is3D, x, y, box, color, style);
    if (gradient_->GetVisible()) FillGradient(canvas, is3D, x, y, box, style);
  }
  if (blend) canvas->EndBlending(blend);
}

bool TSeriesPointer::DrawStamped(TCanvas3D* canvas, bool is3D, const TRect& box, TSeriesPointerStyle style)
{
  const int32_t h = box.Right - (box.Left + box.Right) / 2, v = box.Bottom - (box.Top + box.Bottom) / 2;
  if (box.Right - box.Left != 2 * h || box.Bottom - box.Top != 2 * v) return false;
  TBitmap* stamp = StampFor(canvas, is3D, h, v, style);
  if (!stamp) return false;
  canvas->Draw(box.Left, box.Top, stamp);
  return true;
}

TBitmap* TSeriesPointer::StampFor(TCanvas3D* canvas, bool is3D, int32_t h, int32_t v, TSeriesPointerStyle style)
{
  if (style != psRectangle || is3D || gradient_->GetVisible()) return nullptr;
  // Only the GDI canvas itself (a derived canvas may draw rectangles its own way), and only
  // plain copies onto pixels: no metafile or printer, no raster operation, no monochrome.
  if (typeid(*canvas) != typeid(TNuvCanvas3D)) return nullptr;
  if (canvas->GetMetafiling() || canvas->GetMonochrome()) return nullptr;
  if (GetParentChart() && GetParentChart()->Printing) return nullptr;
  TCanvas* ref = canvas->GetReferenceCanvas();
  if (!ref || ref->GetCopyMode() != cmSrcCopy) return nullptr;
  const TPen* pen = canvas->Pen();
  const TBrush* brush = canvas->Brush();
  const bool penVisible = pen->GetStyle() != psClear;
  if (penVisible && (pen->GetStyle() != psSolid || pen->GetMode() != pmCopy || pen->GetWidth() != 1)) return nullptr;
  if (brush->GetStyle() != bsSolid || brush->GetBitmap() != nullptr) return nullptr;
  if (h < 1 || v < 1 || h > 64 || v > 64) return nullptr;
  if (!stamps_) stamps_ = std::make_unique<TPointerStamps>();
  TPointerStampKey key;
  key.h = h;
  key.v = v;
  key.penColor = penVisible ? pen->GetColor() : clBlack;
  key.penVisible = penVisible;
  key.brushColor = brush->GetColor();
  return stamps_->Get(key);
}

namespace {

std::array<TPoint, 3> TrianglePoints(const TRect& box, int32_t x, int32_t y, TSeriesPointerStyle style)
{
  switch (style) {
    case psTriangle: return {TPoint{box.Left, box.Bottom}, TPoint{x, box.Top}, TPoint{box.Right, box.Bottom}};
    case psDownTriangle: return {TPoint{box.Left, box.Top}, TPoint{x, box.Bottom}, TPoint{box.Right, box.Top}};
    case psLeftTriangle: return {TPoint{box.Left, y}, TPoint{box.Right, box.Top}, TPoint{box.Right, box.Bottom}};
    default: return {TPoint{box.Right, y}, TPoint{box.Left, box.Top}, TPoint{box.Left, box.Bottom}};
  }
}

std::array<TPoint, 4> DiamondPoints(const TRect& box, int32_t x, int32_t y)
{
  return {TPoint{x, box.Top}, TPoint{box.Right, y}, TPoint{x, box.Bottom}, TPoint{box.Left, y}};
}

}  // namespace

void TSeriesPointer::DrawShape(TCanvas3D* canvas, bool is3D, int32_t x, int32_t y, const TRect& box, TColor color,
                               TSeriesPointerStyle style)
{
  const int32_t z0 = StartZ();
  auto line = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (is3D) canvas->LineWithZ(x0, y0, x1, y1, z0);
    else canvas->Line(x0, y0, x1, y1);
  };
  switch (style) {
    case psRectangle:
      if (!is3D) canvas->Rectangle(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
      else if (!draw3D_) canvas->RectangleWithZ(box, z0);
      else canvas->Cube(box.Left, box.Right, box.Top, box.Bottom, z0, EndZ(), dark3D_);
      break;
    case psCircle:
      if (!is3D) canvas->EllipseRect(box);
      else if (draw3D_ && canvas->SupportsFullRotation()) canvas->CircleWithZ(x, y, box.Right - x, MiddleZ());
      else canvas->EllipseWithZ(box.Left, box.Top, box.Right, box.Bottom, z0);
      break;
    case psTriangle:
    case psDownTriangle:
      if (is3D && draw3D_) {
        if (style == psTriangle) canvas->Pyramid(true, box.Left, box.Top, box.Right, box.Bottom, z0, EndZ(), dark3D_);
        else canvas->Pyramid(true, box.Left, box.Bottom, box.Right, box.Top, z0, EndZ(), dark3D_);
        break;
      }
      [[fallthrough]];
    case psLeftTriangle:
    case psRightTriangle: {
      const auto p = TrianglePoints(box, x, y, style);
      if (is3D) canvas->PolygonWithZ(p, z0);
      else canvas->Polygon(p);
      break;
    }
    case psCross:
      line(box.Left, y, box.Right + 1, y);
      line(x, box.Top, x, box.Bottom + 1);
      break;
    case psDiagCross:
      line(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
      line(box.Left, box.Bottom, box.Right + 1, box.Top - 1);
      break;
    case psStar:
      line(box.Left, y, box.Right + 1, y);
      line(x, box.Top, x, box.Bottom + 1);
      line(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
      line(box.Left, box.Bottom, box.Right + 1, box.Top - 1);
      break;
    case psDiamond: {
      const auto p = DiamondPoints(box, x, y);
      if (is3D) canvas->PolygonWithZ(p, z0);
      else canvas->Polygon(p);
      break;
    }
    case psSmallDot:
      if (is3D) canvas->Pixel3D(x, y, MiddleZ(), color);
      else canvas->Pixel(x, y, color);
      break;
    case psNothing: break;
  }
}

void TSeriesPointer::FillGradient(TCanvas3D* canvas, bool is3D, int32_t x, int32_t y, const TRect& box,
                                  TSeriesPointerStyle style)
{
  if (style == psNothing || style == psSmallDot || style == psCross || style == psDiagCross || style == psStar)
    return;
  const TRect r = is3D ? canvas->CalcRect3D(box, StartZ()) : box;
  auto shift = [&](TPoint p) { return is3D ? canvas->Calc3DPoint(p, StartZ()) : p; };
  switch (style) {
    case psCircle: canvas->ClipEllipse(r); break;
    case psTriangle:
    case psDownTriangle:
    case psLeftTriangle:
    case psRightTriangle: {
      auto p = TrianglePoints(box, x, y, style);
      for (auto& q : p) q = shift(q);
      canvas->ClipPolygon(p);
      break;
    }
    case psDiamond: {
      auto p = DiamondPoints(box, x, y);
      for (auto& q : p) q = shift(q);
      canvas->ClipPolygon(p);
      break;
    }
    default: canvas->ClipRectangle(r); break;
  }
  gradient_->Draw(canvas, r);
  canvas->UnClipRectangle();
}
