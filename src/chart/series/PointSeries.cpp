#include "chart/series/PointSeries.h"

#include <algorithm>
#include <typeinfo>
#include <vector>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"

TPointSeries::TPointSeries(TComponent* owner) : TChartSeries(owner)
{
  pointer_ = std::make_unique<TSeriesPointer>(this);
  pointer_->SetVisible(true);
  GetMarks()->GetCallout()->SetLength(0);
}

TPointSeries::~TPointSeries() = default;

void TPointSeries::Assign(const TPersistent* source)
{
  if (auto* s = dynamic_cast<const TPointSeries*>(source)) pointer_->Assign(s->pointer_.get());
  TChartSeries::Assign(source);
}

void TPointSeries::SetParentChart(TCustomAxisPanel* value)
{
  TChartSeries::SetParentChart(value);
  if (pointer_) pointer_->SetParentChart(value);
}

void TPointSeries::DrawValue(int32_t valueIndex)
{
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !pointer_->GetVisible()) return;
  const TColor color = ValueColor(valueIndex);
  if (color == clNone) return;
  if (!prepared_ || color != preparedColor_) {
    pointer_->PrepareCanvas(chart->Canvas(), color);
    // Gradients and blending change the canvas while a marker is drawn.
    preparedColor_ = color;
    prepared_ = inRun_ && !pointer_->GetGradient()->GetVisible() && pointer_->GetTransparency() == 0;
  }
  pointer_->Draw(CalcXPos(valueIndex), CalcYPos(valueIndex), color, pointer_->GetStyle());
}

void TPointSeries::DrawAllValues()
{
  if (DrawAllStamped()) return;
  inRun_ = true;
  prepared_ = false;
  TChartSeries::DrawAllValues();
  inRun_ = false;
  prepared_ = false;
}

bool TPointSeries::DrawAllStamped()
{
  // Only this class itself: a derived series may place or colour its points its own way.
  if (typeid(*this) != typeid(TPointSeries)) return false;
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !pointer_->GetVisible() || !horizAxisObj_ || !vertAxisObj_) return false;
  if (pointer_->GetTransparency() != 0 || pointer_->GetGradient()->GetVisible() || colorEachPoint_) return false;
  if (colors_ && std::any_of(colors_->begin(), colors_->end(), [](TColor c) { return c != clDefault; })) return false;
  const TColor color = GetSeriesColor();
  if (color == clNone || FirstValueIndex < 0 || LastValueIndex < FirstValueIndex) return false;
  const int32_t last = std::min(LastValueIndex, Count() - 1);
  if (last < FirstValueIndex) return false;
  TCanvas3D* canvas = chart->Canvas();
  pointer_->PrepareCanvas(canvas, color);
  const int32_t h = pointer_->GetHorizSize(), v = pointer_->GetVertSize();
  TBitmap* stamp = pointer_->StampFor(canvas, chart->GetView3D(), h, v, pointer_->GetStyle());
  if (!stamp) return false;
  const std::vector<double>& xs = xValues_->ValueArray();
  const std::vector<double>& ys = yValues_->ValueArray();
  if (static_cast<size_t>(last) >= xs.size() || static_cast<size_t>(last) >= ys.size()) return false;
  const bool aboveOnly = pointer_->GetAboveOnly();
  const bool forward = DrawValuesForward();
  firstDrawIndex_ = forward ? FirstValueIndex : last;
  const size_t n = static_cast<size_t>(last - FirstValueIndex + 1);
  // (Kept from frame to frame: every element is written before it is read.)
  thread_local std::vector<int32_t> px, py;
  thread_local std::vector<TPoint> at;
  px.resize(n);
  py.resize(n);
  at.resize(n);
  horizAxisObj_->CalcXPosValues(xs.data() + FirstValueIndex, px.data(), n);
  vertAxisObj_->CalcYPosValues(ys.data() + FirstValueIndex, py.data(), n);
  for (size_t i = 0; i < n; ++i) {
    const TRect box = PointerBox(px[i], py[i], h, v, aboveOnly);
    at[forward ? i : n - 1 - i] = TPoint{box.Left, box.Top};
  }
  canvas->DrawRepeated(at, stamp);
  return true;
}

int32_t TPointSeries::Clicked(int32_t x, int32_t y)
{
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !pointer_->GetVisible()) return -1;
  // Under a 3-D view the click is taken back to the series' plane first.
  int32_t px = x, py = y;
  if (chart->GetView3D()) chart->Canvas()->Calculate2DPosition(px, py, StartZ);
  const int32_t h = pointer_->GetHorizSize(), v = pointer_->GetVertSize();
  for (int32_t i = Count() - 1; i >= 0; --i) {
    if (ValueColor(i) == clNone) continue;
    const TRect box = PointerBox(CalcXPos(i), CalcYPos(i), h, v, pointer_->GetAboveOnly());
    if (px >= box.Left && px <= box.Right && py >= box.Top && py <= box.Bottom) return i;
  }
  return -1;
}

void TPointSeries::CalcHorizMargins(int32_t& leftMargin, int32_t& rightMargin)
{
  TChartSeries::CalcHorizMargins(leftMargin, rightMargin);
  pointer_->CalcHorizMargins(leftMargin, rightMargin);
}

void TPointSeries::CalcVerticalMargins(int32_t& topMargin, int32_t& bottomMargin)
{
  TChartSeries::CalcVerticalMargins(topMargin, bottomMargin);
  pointer_->CalcVerticalMargins(topMargin, bottomMargin);
}

void TPointSeries::DrawLegendShape(int32_t valueIndex, const TRect& rect)
{
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart || !pointer_->GetVisible()) {
    TChartSeries::DrawLegendShape(valueIndex, rect);
    return;
  }
  const TColor color = valueIndex == -1 ? GetSeriesColor() : ValueColor(valueIndex);
  const int32_t cx = (rect.Left + rect.Right) / 2, cy = (rect.Top + rect.Bottom) / 2;
  const int32_t h = std::max(1, std::min(pointer_->GetHorizSize(), (rect.Right - rect.Left) / 2));
  const int32_t v = std::max(1, std::min(pointer_->GetVertSize(), (rect.Bottom - rect.Top) / 2));
  pointer_->PrepareCanvas(chart->Canvas(), color);
  pointer_->DrawPointer(chart->Canvas(), false, cx, cy, h, v, color, pointer_->GetStyle());
}

void TPointSeries::DrawMark(int32_t valueIndex, const std::string& text, TSeriesMarkPosition* position)
{
  if (position) {
    // The mark and its arrow start above the marker, then the callout's length lifts the mark.
    if (pointer_->GetVisible()) {
      const int32_t v = pointer_->GetVertSize();
      position->ArrowStart.y -= v;
      position->ArrowEnd.y -= v;
      position->TopLeft.y -= v;
    }
    GetMarks()->ApplyArrowLength(*position);
  }
  TChartSeries::DrawMark(valueIndex, text, position);
}
