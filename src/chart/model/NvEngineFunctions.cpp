#include "chart/model/NvEngineFunctions.h"

#include <algorithm>
#include <cmath>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineSeries.h"

// ---- Periods ----

std::vector<TFunctionPeriod> CalculateFunctionPeriods(const std::vector<double>& x, double period,
                                                      TFunctionPeriodStyle style, TFunctionPeriodAlign align,
                                                      const std::function<double(double)>& advance)
{
  std::vector<TFunctionPeriod> out;
  const int32_t c = static_cast<int32_t>(x.size());
  if (c == 0 || !(period > 0) || !std::isfinite(period)) return out;
  if (style == psNumPoints) {
    // A period that rounds below one point takes one point per period.
    const int64_t n = std::clamp<int64_t>(RoundHalfEven(std::min(period, 2147483647.0)), 1, int64_t{c} + 1);
    for (int64_t i = 0; i + n - 1 < c; i += n) {
      const int32_t first = static_cast<int32_t>(i), last = static_cast<int32_t>(i + n - 1);
      const double start = x[static_cast<size_t>(first)], end = x[static_cast<size_t>(last)];
      const double px = align == paFirst ? start : align == paLast ? end : (start + end) / 2;
      out.push_back({first, last, px});
    }
    return out;
  }
  // Windows of the X range: each ends where the start advances by the period and the next starts
  // there. A window that does not advance ends the walk, as does the point limit.
  int32_t i = 0;
  double start = x[0];
  while (i < c && static_cast<int32_t>(out.size()) < TNuvFunction::MaxPeriodPoints) {
    const double end = advance ? advance(start) : start + period;
    if (!(end > start) || !std::isfinite(end)) break;
    const double lastX = end - 0.001 * period;
    const double px = align == paFirst ? start : align == paLast ? lastX : (start + lastX) / 2;
    if (x[static_cast<size_t>(i)] < end) {
      int32_t l = i;
      while (l + 1 < c && x[static_cast<size_t>(l) + 1] < end) ++l;
      out.push_back({i, l, px});
      i = l + 1;
    } else {
      out.push_back({i, i - 1, px});
    }
    start = end;
  }
  return out;
}

// ---- Function ----

TNuvFunction::TNuvFunction(TComponent* owner) : TComponent(owner) {}

TNuvFunction::~TNuvFunction()
{
  // The parent series keeps a link to its function: let it go.
  if (parentSeries_ && parentSeries_->GetFunction() == this) parentSeries_->ReleaseFunction();
  parentSeries_ = nullptr;
}

void TNuvFunction::Assign(const TPersistent* source)
{
  if (auto f = dynamic_cast<const TNuvFunction*>(source)) {
    period_ = f->period_;
    periodStyle_ = f->periodStyle_;
    periodAlign_ = f->periodAlign_;
    return;
  }
  TComponent::Assign(source);
}

void TNuvFunction::SetPeriod(double value)
{
  if (value < 0 || std::isnan(value)) throw ChartException(NuvMsg_FunctionPeriod);
  if (period_ != value) {
    period_ = value;
    Recalculate();
  }
}

void TNuvFunction::SetPeriodStyle(TFunctionPeriodStyle value)
{
  if (periodStyle_ != value) {
    periodStyle_ = value;
    Recalculate();
  }
}

void TNuvFunction::SetPeriodAlign(TFunctionPeriodAlign value)
{
  if (periodAlign_ != value) {
    periodAlign_ = value;
    Recalculate();
  }
}

void TNuvFunction::SetParentSeries(TChartSeries* value)
{
  if (value == parentSeries_) return;
  if (parentSeries_ && parentSeries_->GetFunction() == this) parentSeries_->ReleaseFunction();
  parentSeries_ = nullptr;
  if (value) value->SetFunction(this);
}

void TNuvFunction::EndUpdate()
{
  if (updating_) {
    updating_ = false;
    Recalculate();
  }
}

void TNuvFunction::Recalculate()
{
  if (!updating_ && parentSeries_) parentSeries_->CheckDataSource();
}

TChartValueList* TNuvFunction::ValueList(TChartSeries* source) const
{
  if (!source) return nullptr;
  const std::string name = parentSeries_ ? parentSeries_->MandatoryValueList()->GetValueSource() : std::string();
  return name.empty() ? source->MandatoryValueList() : source->ValueListByName(name);
}

double TNuvFunction::Calculate(TChartSeries*, int32_t, int32_t) { return 0; }

double TNuvFunction::CalculateMany(const std::vector<TComponent*>&, int32_t) { return 0; }

void TNuvFunction::PrepareForGallery(TCustomAxisPanel* chart)
{
  if (!chart) return;
  for (int32_t i = 0; i < chart->SeriesCount(); ++i) chart->GetSeries(i)->PrepareForGallery(true);
}

void TNuvFunction::AddPoints(TChartSeries* source)
{
  if (updating_ || !source || !parentSeries_) return;
  TDataSourcesList* sources = parentSeries_->DataSources();
  if (sources->Count() <= 1) {
    if (source->Count() > 0) DoCalculation(source, source->NotMandatoryValueList());
    return;
  }
  // Several sources: the one with the most points gives the X values.
  std::vector<TComponent*> list = sources->Items();
  TChartSeries* widest = nullptr;
  for (TComponent* c : list)
    if (auto s = dynamic_cast<TChartSeries*>(c); s && (!widest || s->Count() > widest->Count())) widest = s;
  if (!widest) return;
  const bool horizontal = !parentSeries_->YMandatory();
  for (int32_t i = 0; i < widest->Count(); ++i) {
    double y = CalculateMany(list, i);
    double x = widest->NotMandatoryValueList()->Value(i);
    if (horizontal) std::swap(x, y);
    parentSeries_->AddXY(x, y, widest->GetXLabel(i), clDefault);
  }
}

void TNuvFunction::DoCalculation(TChartSeries* source, TChartValueList* notMandatorySource)
{
  if (period_ == 0)
    CalculateAllPoints(source, notMandatorySource);
  else
    CalculateByPeriod(source, notMandatorySource);
}

void TNuvFunction::CalculateAllPoints(TChartSeries* source, TChartValueList* notMandatorySource)
{
  const double v = Calculate(source, -1, -1);
  const double lo = notMandatorySource->MinValue(), hi = notMandatorySource->MaxValue();
  const bool horizontal = !source->YMandatory();
  auto add = [&](double pos, double value) {
    // A horizontal source feeding a vertical series takes V as X and the position as Y.
    if (horizontal && parentSeries_->YMandatory())
      parentSeries_->AddXY(value, pos, std::string(), clDefault);
    else if (parentSeries_->YMandatory())
      parentSeries_->AddXY(pos, value, std::string(), clDefault);
    else
      parentSeries_->AddXY(value, pos, std::string(), clDefault);
  };
  if (!parentSeries_->CenterFunctionPoint) {
    add(lo, v);
    add(hi, v);
  } else {
    add(lo + (hi - lo) / 2, v);
  }
}

void TNuvFunction::CalculateByPeriod(TChartSeries* source, TChartValueList* notMandatorySource)
{
  const int32_t c = notMandatorySource->Count();
  std::vector<double> x(static_cast<size_t>(c));
  for (int32_t i = 0; i < c; ++i) x[static_cast<size_t>(i)] = notMandatorySource->Value(i);
  std::function<double(double)> advance;
  if (periodStyle_ == psRange) {
    // One calendar step when the period is a standard date-time step of a date-time axis.
    TChartAxis* axis = parentSeries_->GetHorizAxis();
    const bool dateTime = (axis && axis->IsDateTime()) || notMandatorySource->GetDateTime();
    const int32_t stepIndex = DateTimeStepIndex(period_);
    const double period = period_;
    advance = [dateTime, stepIndex, period](double start) {
      double v = start;
      IncrementDateTime(dateTime, true, v, period, stepIndex);
      return v;
    };
  }
  for (const TFunctionPeriod& p : CalculateFunctionPeriods(x, period_, periodStyle_, periodAlign_, advance)) {
    if (p.Last < p.First) {
      const bool horizontal = !source->YMandatory();
      parentSeries_->AddXY(horizontal ? 0 : p.X, horizontal ? p.X : 0, std::string(), clDefault);
    } else {
      CalculatePeriod(source, p.X, p.First, p.Last);
    }
  }
}

void TNuvFunction::CalculatePeriod(TChartSeries* source, double x, int32_t firstIndex, int32_t lastIndex)
{
  const double y = Calculate(source, firstIndex, lastIndex);
  if (!source->YMandatory())
    parentSeries_->AddXY(y, x, std::string(), clDefault);
  else
    parentSeries_->AddXY(x, y, std::string(), clDefault);
}

void TNuvFunction::Notification(TComponent* component, TOperation operation)
{
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == parentSeries_) parentSeries_ = nullptr;
}
