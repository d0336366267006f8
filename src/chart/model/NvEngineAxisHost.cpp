// What an axis asks its chart: the series extremes, the zoom state, the canvas, the date-time
// flag, the automatic label style, and the labels that come from series (point labels, marks,
// series titles on the depth axis) or from the chart's label events.
#include <algorithm>
#include <cmath>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineValues.h"

TCustomNuvPanel* TChartAxis::GetPanel() const { return parentChart_; }

bool TChartAxis::IsCustomAxis() const
{
  return parentChart_ != nullptr && parentChart_->AxesList() != nullptr && parentChart_->AxesList()->IndexOf(this) >= 6;
}

bool TChartAxis::ChartLoading() const { return parentChart_ != nullptr && parentChart_->IsLoading(); }

bool TChartAxis::ChartRangesSaved() const
{
  auto chart = dynamic_cast<const TCustomChart*>(parentChart_);
  return chart != nullptr && !chart->RangesFree();
}

int32_t TChartAxis::ChartDepthPixels() const
{
  if (parentChart_ == nullptr) return 0;
  return IsDepthAxis ? parentChart_->ChartWidth : parentChart_->Width3D;
}

bool TChartAxis::HasFewPointsSeries(int32_t maxLabels) const
{
  if (parentChart_ == nullptr) return false;
  for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
    TChartSeries* s = parentChart_->GetSeries(i);
    if (!s->GetActive()) continue;
    const TChartAxis* nonMandatory = s->YMandatory() ? s->GetHorizAxis() : s->GetVertAxis();
    if (nonMandatory == this && s->Count() <= maxLabels) return true;
  }
  return false;
}

double TChartAxis::SeriesMinimum() const
{
  if (parentChart_ == nullptr) return minimum_;
  auto self = const_cast<TChartAxis*>(this);
  return horizontal_ ? parentChart_->MinXValue(self) : parentChart_->MinYValue(self);
}

double TChartAxis::SeriesMaximum() const
{
  if (parentChart_ == nullptr) return maximum_;
  auto self = const_cast<TChartAxis*>(this);
  return horizontal_ ? parentChart_->MaxXValue(self) : parentChart_->MaxYValue(self);
}

void TChartAxis::CopyRangeToLinkedAxes()
{
  if (parentChart_ == nullptr) return;
  // The panel refuses loops of links, so this ends.
  for (TChartAxis* follower : parentChart_->LinkedCustomAxes(this)) follower->SetMinMax(minimum_, maximum_);
}

void TChartAxis::ChartLabelsSize(int32_t& size)
{
  if (parentChart_ == nullptr || parentChart_->AxesList() == nullptr || !parentChart_->AxesList()->OnLabelsSize) return;
  parentChart_->AxesList()->OnLabelsSize(this, size);
  size = std::max(0, size);
}

bool TChartAxis::IsDateTime() const
{
  if (parentChart_ == nullptr) return IsDateTimeAxis;
  auto self = const_cast<TChartAxis*>(this);
  for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
    TChartSeries* s = parentChart_->GetSeries(i);
    if (!s->GetActive()) continue;
    if (TChartValueList* list = s->ValueListOfAxis(self)) return list->GetDateTime();
  }
  return false;
}

TAxisLabelStyle TChartAxis::GetAutoLabelStyle() const
{
  if (parentChart_ == nullptr) return talValue;
  auto self = const_cast<TChartAxis*>(this);
  if (IsDepthAxis) {
    for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
      TChartSeries* s = parentChart_->GetSeries(i);
      if (s->GetActive() && (s->HasZValues || s->MaxZValue() != s->MinZValue())) return talValue;
    }
    return talText;
  }
  TAxisLabelStyle result = talNone;
  for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
    TChartSeries* s = parentChart_->GetSeries(i);
    if (!s->GetActive() || !s->AssociatedToAxis(self)) continue;
    result = talValue;
    const TChartAxis* nonMandatory = s->YMandatory() ? s->GetHorizAxis() : s->GetVertAxis();
    if (nonMandatory != this || s->HasZValues) continue;
    // Points past the end of the labels list have none.
    const int32_t labelled = std::min(s->Count(), s->Labels() ? s->Labels()->Count() : 0);
    for (int32_t j = 0; j < labelled; ++j)
      if (!s->GetXLabel(j).empty()) return talText;
  }
  return result;
}

bool TChartAxis::ChartFastCalc() const
{
  return parentChart_ != nullptr && parentChart_->AxesList() != nullptr && parentChart_->AxesList()->GetFastCalc();
}

int32_t TChartAxis::WallSize() const
{
  return parentChart_ == nullptr ? 0 : parentChart_->GetWallSize(const_cast<TChartAxis*>(this));
}

bool TChartAxis::AxisInUse() const
{
  return parentChart_ != nullptr && parentChart_->IsAxisVisible(const_cast<TChartAxis*>(this));
}

int32_t TChartAxis::SeriesMaxMarkWidth() { return parentChart_ == nullptr ? 0 : parentChart_->MaxMarkWidth(); }

int32_t TChartAxis::SeriesMaxTextWidth() { return parentChart_ == nullptr ? 0 : parentChart_->MaxTextWidth(); }

void TChartAxis::CallGetAxisLabel(TChartSeries* series, int32_t valueIndex, std::string& text) const
{
  if (parentChart_ != nullptr && parentChart_->OnGetAxisLabel)
    parentChart_->OnGetAxisLabel(const_cast<TChartAxis*>(this), series, valueIndex, text);
}

void TChartAxis::DrawNextAxisLabels(bool& drawn)
{
  drawn = false;
  if (parentChart_ == nullptr || !parentChart_->OnGetNextAxisLabel) return;
  // The value runs on from call to call; the handler clears Stop to go on.
  double value = ScaleMinimum;
  for (int32_t index = 0; index <= 2000; ++index) {
    bool stop = true;
    parentChart_->OnGetNextAxisLabel(this, index, value, stop);
    if (stop) {
      if (index > 0) drawn = true;
      return;
    }
    drawn = true;
    if (!(value >= ScaleMinimum - 1e-7 && value <= ScaleMaximum + 1e-7)) return;
    const int32_t p = CalcPosValue(value);
    if (!(GetLabelsOnAxis() || (p > PosStart && p < PosEnd))) continue;
    if (!GetTickOnLabelsOnly()) AddTick(p, value);
    if (GetLabels()) {
      DrawAxisLabel(p, LabelValueText(value), GetLabelsFont(), labelIndex_++);
      if (GetTickOnLabelsOnly() && !tickValues_.empty()) tickValues_.back() = value;
    }
  }
}

void TChartAxis::DrawPointLabels(TAxisLabelStyle style)
{
  if (parentChart_ == nullptr) return;
  std::vector<TChartSeries*> series;
  int32_t first = -1, last = -1;
  for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
    TChartSeries* s = parentChart_->GetSeries(i);
    if (!s->GetActive() || !s->AssociatedToAxis(this)) continue;
    series.push_back(s);
    if (s->FirstValueIndex != -1 && (first == -1 || s->FirstValueIndex < first)) first = s->FirstValueIndex;
    if (s->LastValueIndex != -1 && s->LastValueIndex > last) last = s->LastValueIndex;
  }
  if (first == -1 || last == -1) return;
  for (int32_t index = first; index <= last; ++index) {
    for (TChartSeries* s : series) {
      if (s->FirstValueIndex == -1 || index < s->FirstValueIndex || index > s->LastValueIndex) continue;
      if (index >= s->Count()) continue;
      std::string text = style == talMark ? s->GetMarkText(index) : s->GetXLabel(index);
      CallGetAxisLabel(s, index, text);
      if (!text.empty()) {
        const double value = horizontal_ ? s->GetXValue(index) : s->GetYValue(index);
        if (value >= ScaleMinimum && value <= ScaleMaximum) {
          const int32_t p = CalcPosValue(value);
          if (GetLabelsOnAxis() || (p > PosStart && p < PosEnd)) {
            if (!GetTickOnLabelsOnly()) AddTick(p, value);
            if (GetLabels()) {
              if (GetLabelsMultiLine()) std::replace(text.begin(), text.end(), ' ', '\r');
              DrawAxisLabel(p, text, GetLabelsFont(), labelIndex_++);
              if (GetTickOnLabelsOnly() && !tickValues_.empty()) tickValues_.back() = value;
            }
          }
        }
      }
      break;
    }
  }
}

void TChartAxis::DrawDepthTextLabels()
{
  if (parentChart_ == nullptr) return;
  const double lo = std::trunc(ScaleMinimum), hi = std::trunc(ScaleMaximum);
  if (!(hi - lo < 100000)) return;
  for (double i = lo; i <= hi; ++i) {
    const int32_t index = static_cast<int32_t>(i);
    if (index < 0 || index >= parentChart_->SeriesCount()) continue;
    std::string text = parentChart_->GetSeries(index)->GetTitle();
    CallGetAxisLabel(parentChart_->GetSeries(index), -1, text);
    if (text.empty()) continue;
    const int32_t p = CalcPosValue(ScaleMaximum - i - 0.5);
    if (!GetTickOnLabelsOnly()) AddTick(p, ScaleMaximum - i - 0.5);
    if (GetLabels()) DrawAxisLabel(p, text, GetLabelsFont(), labelIndex_++);
  }
}
