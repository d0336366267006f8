#include "chart/model/ChartTitles.h"

#include <algorithm>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "platform/SysUtils.h"

// ---- Shape with a custom position ----
TNuvCustomShapePosition::TNuvCustomShapePosition(TCustomNuvPanel* chart) : TNuvCustomShape(chart) {}

void TNuvCustomShapePosition::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TNuvCustomShapePosition*>(source)) {
    customPosition_ = s->customPosition_;
    if (customPosition_) {
      const int32_t w = ShapeBounds.Right - ShapeBounds.Left, h = ShapeBounds.Bottom - ShapeBounds.Top;
      ShapeBounds.Left = s->ShapeBounds.Left;
      ShapeBounds.Top = s->ShapeBounds.Top;
      ShapeBounds.Right = ShapeBounds.Left + w;
      ShapeBounds.Bottom = ShapeBounds.Top + h;
    }
  }
  TNuvCustomShape::Assign(source);
}

void TNuvCustomShapePosition::SetCustomPosition(bool v)
{
  if (GetParentChart()) GetParentChart()->SetBooleanProperty(customPosition_, v);
  else customPosition_ = v;
}

void TNuvCustomShapePosition::SetLeft(int32_t v)
{
  customPosition_ = true;
  const int32_t w = ShapeBounds.Right - ShapeBounds.Left;
  ShapeBounds.Left = v;
  ShapeBounds.Right = v + w;
  Repaint();
}

void TNuvCustomShapePosition::SetTop(int32_t v)
{
  customPosition_ = true;
  const int32_t h = ShapeBounds.Bottom - ShapeBounds.Top;
  ShapeBounds.Top = v;
  ShapeBounds.Bottom = v + h;
  Repaint();
}

// ---- Layout ----
TTitleLayout CalcTitleLayout(const TTitleMetrics& m, const TRect& chartRect, const TRect& startBounds, bool isTop,
                             bool customPosition, bool adjustFrame, TAlignment alignment, bool customChartRect,
                             bool transparent)
{
  // Sizes (frame, bevel, shadow, text) may hold any integer: worked out in 64 bits, and every
  // size and edge held to the pixel limit.
  auto hold = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -PixelLimit, PixelLimit)); };
  TTitleLayout out;
  const int64_t f = hold(m.frameWidth);
  const int64_t textHeight = hold(static_cast<int64_t>(m.lineCount) * m.lineHeight);
  const TRect from = customPosition ? startBounds : chartRect;
  int64_t left = from.Left, top = from.Top, right = from.Right, bottom = from.Bottom;
  if (!customPosition && isTop) top += f;
  if (!isTop && !customPosition) top = bottom - textHeight;
  else bottom = top + textHeight;
  if (!customPosition) {
    left -= f;
    top -= f;
    right += f;
    bottom += f;
  }
  if (adjustFrame) {
    const int64_t t = static_cast<int64_t>(hold(m.widestLine)) + hold(m.charWidth) + f;
    switch (alignment) {
      case taLeftJustify: right = left + t; break;
      case taRightJustify: left = right - t; break;
      case taCenter: {
        if (customPosition) right = left + t;
        const int64_t middle = (left + right) / 2;
        left = middle - t / 2;
        right = middle + t / 2;
        break;
      }
    }
  }
  out.bounds = TRect{hold(left), hold(top), hold(right), hold(bottom)};
  if (!customPosition && !customChartRect) {
    int64_t gap = 5 + f;
    if (!transparent) gap += hold(m.shadowVertSize);
    out.movesChartRect = true;
    if (isTop) out.newChartTop = hold(out.bounds.Bottom + gap);
    else out.newChartBottom = hold(out.bounds.Bottom - gap - textHeight);
  }
  return out;
}

// ---- Titles ----
TChartTitle::TChartTitle(TCustomChart* chart) : TChartTitle(chart, true) {}

TChartTitle::TChartTitle(TCustomChart* chart, bool top)
    : TNuvCustomShapePosition(chart), chart_(chart), top_(top)
{
  SetDefaultTransparent(true);
  GetFont()->SetColor(clBlue);
  GetFont()->SetDefaultColor(clBlue);
}

TChartTitle::~TChartTitle() = default;

void TChartTitle::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TChartTitle*>(source)) {
    adjustFrame_ = s->adjustFrame_;
    alignment_ = s->alignment_;
    text_ = s->text_;
  }
  TNuvCustomShapePosition::Assign(source);
}

void TChartTitle::SetAdjustFrame(bool v)
{
  if (Store(adjustFrame_, v)) Repaint();
}

void TChartTitle::SetAlignment(TAlignment v)
{
  if (Store(alignment_, v)) Repaint();
}

void TChartTitle::SetText(const std::vector<std::string>& lines)
{
  text_ = lines;
  Repaint();
}

std::string TChartTitle::GetCaption() const { return JoinTextLines(text_); }

void TChartTitle::SetCaption(const std::string& text) { SetText(SplitTextLines(text)); }

bool TChartTitle::Clicked(int32_t x, int32_t y) const
{
  return GetVisible() && x >= ShapeBounds.Left && x <= ShapeBounds.Right && y >= ShapeBounds.Top &&
         y <= ShapeBounds.Bottom;
}

void TChartTitle::DrawTitle()
{
  TCustomNuvPanel* chart = GetParentChart();
  if (!chart || !GetVisible() || text_.empty()) return;
  TCanvas3D* c = chart->Canvas();

  TTitleMetrics m;
  TChartPen* frame = GetPen();
  if (frame->GetVisible() && frame->GetColor() != clDefault) m.frameWidth = frame->GetWidth();
  if (GetBevel() != bvNone) m.frameWidth = GetBevelWidth();
  c->AssignFont(GetFont());
  m.lineHeight = c->FontHeight();
  m.charWidth = c->TextWidth("W");
  m.lineCount = static_cast<int32_t>(text_.size());
  for (const std::string& line : text_) m.widestLine = std::max(m.widestLine, c->TextWidth(line));
  m.shadowVertSize = GetShadow()->GetVertSize();

  const TTitleLayout layout =
      CalcTitleLayout(m, chart->ChartRect, ShapeBounds, top_, GetCustomPosition(), adjustFrame_, alignment_,
                      chart->CustomChartRect, GetTransparent());
  ShapeBounds = layout.bounds;
  Draw();

  // Text.
  c->AssignFont(GetFont());
  c->SetBackMode(cbmTransparent);
  const int32_t textTop = static_cast<int32_t>(std::clamp<int64_t>(
      int64_t{ShapeBounds.Top} + (GetCustomPosition() ? 0 : m.frameWidth), -PixelLimit, PixelLimit));
  if (GetTextFormat() == ttfHtml) {
    c->TextOutFormatted(ShapeBounds.Left + m.charWidth / 2, textTop, GetCaption(), true);
  } else {
    for (size_t i = 0; i < text_.size(); ++i) {
      const int32_t y = textTop + static_cast<int32_t>(i) * m.lineHeight;
      const int32_t w = c->TextWidth(text_[i]);
      int32_t x = 0;
      switch (alignment_) {
        case taLeftJustify: x = ShapeBounds.Left + m.charWidth / 2; break;
        case taRightJustify: x = ShapeBounds.Right - w - m.charWidth / 2; break;
        case taCenter: x = (ShapeBounds.Left + ShapeBounds.Right) / 2 - w / 2; break;
      }
      c->TextOut(x, y, text_[i]);
    }
  }

  if (layout.movesChartRect) {
    TRect r = chart->ChartRect;
    if (top_) r.Top = layout.newChartTop;
    else r.Bottom = layout.newChartBottom;
    chart->ChartRect = r;
    chart->ChartWidth = r.Right - r.Left;
    chart->ChartHeight = r.Bottom - r.Top;
    chart->ChartXCenter = static_cast<int32_t>((static_cast<int64_t>(r.Left) + r.Right) / 2);
    chart->ChartYCenter = static_cast<int32_t>((static_cast<int64_t>(r.Top) + r.Bottom) / 2);
  }
}

TChartFootTitle::TChartFootTitle(TCustomChart* chart) : TChartTitle(chart, false)
{
  GetFont()->SetColor(clRed);
  GetFont()->SetDefaultColor(clRed);
  GetFont()->SetStyle(static_cast<TFontStyles>(fsItalic));
  GetFont()->SetDefaultStyle(static_cast<TFontStyles>(fsItalic));
}
