// Legend layout arithmetic.
#include "chart/model/ChartLegendLayout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Room of an item's check box, in front of its symbol and text: measured, boxed and drawn alike.
constexpr int32_t kCheckBoxWidth = 15;

// Sizes and offsets beyond this many pixels are held there, so that no sum or product of them
// leaves the integer range.
constexpr int32_t PixelLimit = 1 << 20;

int32_t Hold(int64_t v, int64_t lo = -PixelLimit, int64_t hi = PixelLimit)
{
  return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi));
}

TRect HoldRect(const TRect& r) { return TRect{Hold(r.Left), Hold(r.Top), Hold(r.Right), Hold(r.Bottom)}; }

// The input with every field held within the limits.
TLegendLayoutInput Sane(const TLegendLayoutInput& in)
{
  TLegendLayoutInput s = in;
  s.CustomLeft = Hold(in.CustomLeft);
  s.CustomTop = Hold(in.CustomTop);
  s.MaxNumRows = Hold(in.MaxNumRows, -1, PixelLimit);
  s.MaxColumns = Hold(in.MaxColumns, 0, PixelLimit);
  s.TopPos = Hold(in.TopPos, -10000, 10000);
  s.HorizMargin = Hold(in.HorizMargin);
  s.VertMargin = Hold(in.VertMargin);
  s.VertSpacing = Hold(in.VertSpacing, 0, PixelLimit);
  s.FirstValue = Hold(in.FirstValue, 0, INT32_MAX / 2);
  s.TotalItems = Hold(in.TotalItems, 0, INT32_MAX / 4);
  s.FrameWidth = Hold(in.FrameWidth, 0, PixelLimit);
  s.ItemHeight = Hold(in.ItemHeight, 1, PixelLimit);
  s.TextWidth = Hold(in.TextWidth, 0, PixelLimit);
  s.SymbolWidth = Hold(in.SymbolWidth, 0, PixelLimit);
  s.TitleHeight = Hold(in.TitleHeight, 0, PixelLimit);
  s.TitleWidth = Hold(in.TitleWidth, 0, PixelLimit);
  s.TitleShadowVert = Hold(in.TitleShadowVert);
  s.ShadowHoriz = Hold(in.ShadowHoriz);
  s.ShadowVert = Hold(in.ShadowVert);
  s.ChartRect = HoldRect(in.ChartRect);
  s.ChartBounds = HoldRect(in.ChartBounds);
  if (in.ExtraSpace)
    s.ExtraSpace = [f = in.ExtraSpace](int32_t& size) {
      f(size);
      size = Hold(size);
    };
  return s;
}

bool IsSide(TLegendAlignment a) { return a == laLeft || a == laRight; }

int32_t TitleBand(const TLegendLayoutInput& in)
{
  if (!in.HasTitle) return 0;
  return in.TitleHeight + 2 + in.TitleShadowVert;
}

int32_t Extra(const TLegendLayoutInput& in, int32_t size)
{
  if (in.ExtraSpace) in.ExtraSpace(size);
  return size;
}

}  // namespace

void LegendGridSize(int32_t totalItems, int32_t maxNumRows, int32_t maxColumns, int32_t chartWidth,
                    int32_t frameWidth, int32_t itemWidth, int32_t& numCols, int32_t& numRows)
{
  totalItems = std::max<int32_t>(0, totalItems);
  if (maxNumRows <= 1) {
    numCols = totalItems;
    if (maxColumns > 0) numCols = std::min(numCols, maxColumns);
    numRows = 1;
    return;
  }
  numCols = itemWidth > 0 ? std::max<int32_t>(0, (chartWidth - 2 * frameWidth - 8) / itemWidth) : 0;
  numCols = std::min(numCols, totalItems);
  if (numCols == 0) {
    numRows = 0;
    return;
  }
  numRows = totalItems / numCols + (totalItems % numCols != 0 ? 1 : 0);
  numRows = std::min(numRows, maxNumRows);
}

int32_t LegendHoldPixels(int64_t value) { return Hold(value); }

TRect LegendGiveWay(const TLegendLayoutInput& input, const TRect& box)
{
  const TLegendLayoutInput in = Sane(input);
  TRect r = in.ChartRect;
  if (!in.ResizeChart || in.CustomPosition) return r;
  if (IsSide(in.Alignment)) {
    int32_t m = in.HorizMargin != 0 ? in.HorizMargin : Round32(in.ChartRect.Width() * 0.03);
    if (in.Alignment == laLeft)
      r.Left = box.Right + m;
    else
      r.Right = box.Left - m;
  } else {
    int32_t m = in.VertMargin != 0 ? in.VertMargin : Round32(in.ChartRect.Height() * 0.04);
    if (in.Alignment == laTop)
      r.Top = box.Bottom + in.ShadowVert + m;
    else
      r.Bottom = box.Top - m;
  }
  return r;
}

TLegendLayout CalcLegendLayout(const TLegendLayoutInput& input)
{
  const TLegendLayoutInput in = Sane(input);
  TLegendLayout out;
  out.ChartRect = in.ChartRect;
  const int32_t F = in.FrameWidth;
  const int32_t H = std::max<int32_t>(1, in.ItemHeight);
  const int32_t total = std::max<int32_t>(0, in.TotalItems);
  const int32_t chartWidth = in.ChartRect.Width();
  const int32_t chartHeight = in.ChartRect.Height();
  const int32_t maxRows = std::max<int32_t>(1, in.MaxNumRows);
  const bool side = IsSide(in.Alignment);

  TRect box{in.CustomLeft, in.CustomTop, in.CustomLeft, in.CustomTop};
  int32_t bottom = 0;
  if (!side) {
    if (!in.CustomPosition) {
      if (in.Alignment == laBottom)
        bottom = in.ChartRect.Bottom - Extra(in, in.ShadowVert + F + 1);
      else
        box.Top = in.ChartRect.Top + F + 1;
    }
    int32_t itemWidth = in.SymbolWidth + in.TextWidth + 8 + (in.HasCheckBoxes ? kCheckBoxWidth : 0);
    LegendGridSize(total, in.MaxNumRows, in.MaxColumns, chartWidth, F, itemWidth, out.NumCols, out.NumRows);
    out.LastValue = in.FirstValue + static_cast<int32_t>(std::min<int64_t>(total, static_cast<int64_t>(out.NumCols) * out.NumRows)) - 1;
  } else {
    if (!in.CustomPosition)
      box.Top = in.ChartBounds.Top + Round32(in.TopPos * 1.0 * in.ChartBounds.Height() * 0.01);
    out.NumCols = 1;
    int32_t t = box.Top + TitleBand(in);
    if (t < in.ChartRect.Bottom)
      out.NumRows = std::max<int32_t>(0, std::min((chartHeight - 2 * F - t + in.ChartRect.Top) / H, total));
    else
      out.NumRows = 0;
    out.NumRows = std::min(out.NumRows, maxRows);
    out.LastValue = in.FirstValue + std::min(total, out.NumRows) - 1;
  }

  if (in.FirstValue > out.LastValue) return out;
  out.HasBox = true;

  // Height.
  int32_t e = Round32(H * 0.1);
  int64_t height64 = static_cast<int64_t>(H) * out.NumRows + 2 + 2 * e;
  if (in.HasTitle) height64 += in.TitleHeight + 2 + (in.TitleTransparent ? 0 : in.TitleShadowVert);
  const int32_t height = Hold(height64);
  if (in.Alignment == laBottom && !in.CustomPosition) {
    box.Bottom = bottom;
    box.Top = bottom - height;
  } else {
    box.Bottom = box.Top + height;
  }

  // Width and horizontal place.
  if (!side) {
    int64_t width64 = static_cast<int64_t>(out.NumCols) * (in.TextWidth + in.SymbolWidth) + 12 +
                      (out.NumCols - 1) * 6LL + 4;
    if (in.HasCheckBoxes) width64 += static_cast<int64_t>(out.NumCols) * kCheckBoxWidth;
    int32_t width = Hold(width64);
    if (in.HasTitle) width = std::max(width, in.TitleWidth);
    width = std::min(width, chartWidth);
    int32_t half = width / 2;
    if (!in.CustomPosition) {
      box.Left = (in.ChartRect.Left + in.ChartRect.Right) / 2 - half +
                 Round32(in.TopPos * (in.ChartBounds.Width() - 2.0 * half) * 0.01);
      box.Right = box.Left + 2 * half;
    } else {
      box.Right = box.Left + width;
    }
  } else {
    int32_t width = Extra(in, in.TextWidth + 10 + in.SymbolWidth);
    if (in.HasTitle) width = std::max(width, in.TitleWidth);
    if (!in.CustomPosition && in.Alignment == laRight) {
      box.Right = in.ChartRect.Right - (in.ShadowHoriz + F + 1);
      box.Left = box.Right - width;
    } else {
      if (!in.CustomPosition) box.Left = in.ChartRect.Left + F + 1;
      box.Right = box.Left + width;
    }
    // The check box column comes first in the box: the right grows by it.
    if (in.HasCheckBoxes) box.Right = Hold(static_cast<int64_t>(box.Right) + kCheckBoxWidth);
  }
  out.Box = box;
  out.ItemsTop = box.Top + e + (in.HasTitle ? TitleBand(in) : 0);

  out.ChartRect = LegendGiveWay(in, box);
  return out;
}

TLegendItemPlace LegendItemPlace(const TLegendLayoutInput& input, const TLegendLayout& layout, int32_t i)
{
  const TLegendLayoutInput in = Sane(input);
  i = Hold(i, 0, PixelLimit);
  TLegendItemPlace p;
  int32_t columnOffset = 0;
  if (!IsSide(in.Alignment) && layout.NumCols > 0) {
    p.Column = i % layout.NumCols;
    p.Row = i / layout.NumCols;
    columnOffset = Hold(static_cast<int64_t>(p.Column) * (in.TextWidth + in.SymbolWidth + 6 + (in.HasCheckBoxes ? kCheckBoxWidth : 0)));
  } else {
    p.Row = i;
  }
  p.Y = Hold(static_cast<int64_t>(layout.ItemsTop) + static_cast<int64_t>(in.ItemHeight) * p.Row + in.VertSpacing / 2);
  p.ColumnLeft = layout.Box.Left + columnOffset;
  p.CheckBoxX = p.ColumnLeft + 4;
  int32_t x = p.ColumnLeft + (in.HasCheckBoxes ? kCheckBoxWidth : 0);
  if (in.SymbolPosition == spLeft) {
    p.SymbolX = x + 6;
    p.TextX = p.SymbolX + in.SymbolWidth + 4;
  } else {
    p.TextX = x + 6;
    p.SymbolX = p.TextX + in.TextWidth;
  }
  return p;
}

int32_t LegendClickedItem(const TLegendLayoutInput& input, const TLegendLayout& layout, int32_t x, int32_t y)
{
  const TLegendLayoutInput in = Sane(input);
  if (!layout.HasBox || layout.NumRows <= 0 || layout.NumCols <= 0) return -1;
  TRect box = layout.Box;
  box.Right -= Extra(in, 0);
  if (x < box.Left || x > box.Right || y < box.Top || y > box.Bottom) return -1;
  const int32_t H = std::max<int32_t>(1, in.ItemHeight);
  // Row r spans ItemsTop + 1 + H r .. that + H; a point on the line between two rows is the upper one's.
  const int64_t d = static_cast<int64_t>(y) - (static_cast<int64_t>(layout.ItemsTop) + 1);
  if (d < 0) return -1;
  int64_t r = d / H;
  if (r > 0 && d % H == 0) --r;
  const int32_t row = r < layout.NumRows ? static_cast<int32_t>(r) : -1;
  if (row < 0) return -1;
  // Position among the listed items.
  int32_t position;
  if (IsSide(in.Alignment)) {
    position = row;
  } else {
    int32_t columnWidth = std::max<int32_t>(1, (box.Right - box.Left) / layout.NumCols);
    int32_t column = (x - (box.Left + 1)) / columnWidth;
    if (x < box.Left + 1 || column >= layout.NumCols) return -1;
    const int64_t at = static_cast<int64_t>(layout.NumCols) * row + column;
    if (at > INT32_MAX / 2) return -1;
    position = static_cast<int32_t>(at);
  }
  int32_t listed = layout.LastValue - in.FirstValue + 1;
  if (position >= listed) return -1;
  // Inverted legends show the listed items from the last to the first.
  if (in.Inverted) position = listed - 1 - position;
  return position + in.FirstValue;
}
