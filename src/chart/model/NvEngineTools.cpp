#include "chart/model/NvEngineTools.h"

#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"

// ---- Tool ----

TNuvCustomTool::TNuvCustomTool(TComponent* owner) : TCustomChartElement(owner) {}

TNuvCustomTool::~TNuvCustomTool() { SetParentChart(nullptr); }

void TNuvCustomTool::SetParentChart(TCustomAxisPanel* value)
{
  if (value == parentChart_) return;
  if (parentChart_) {
    parentChart_->Tools()->InternalRemove(this);
    if (!value && !parentChart_->Destroying()) parentChart_->Invalidate();
  }
  TCustomChartElement::SetParentChart(value);
  if (value) value->Tools()->InternalAdd(this);
}

// ---- Series tool ----

TNuvCustomToolSeries::TNuvCustomToolSeries(TComponent* owner) : TNuvCustomTool(owner) {}

TNuvCustomToolSeries::~TNuvCustomToolSeries()
{
  if (series_) series_->RemoveFreeNotification(this);
  series_ = nullptr;
}

void TNuvCustomToolSeries::SetSeries(TChartSeries* value)
{
  if (value == series_) return;
  if (series_) series_->RemoveFreeNotification(this);
  series_ = value;
  if (series_) series_->FreeNotification(this);
  Repaint();
}

void TNuvCustomToolSeries::Notification(TComponent* component, TOperation operation)
{
  TNuvCustomTool::Notification(component, operation);
  if (operation == TOperation::opRemove && component == series_) series_ = nullptr;
}

namespace {
// Whether an active series of the chart has the axis as its horizontal (vertical) axis.
bool ActiveSeriesUses(TCustomAxisPanel* chart, TChartAxis* axis, bool horizontal)
{
  for (int32_t i = 0; i < chart->SeriesCount(); ++i) {
    TChartSeries* s = chart->GetSeries(i);
    if (s->GetActive() && (horizontal ? s->GetHorizAxis() : s->GetVertAxis()) == axis) return true;
  }
  return false;
}
}  // namespace

TChartAxis* TNuvCustomToolSeries::GetHorizAxis() const
{
  if (series_) return series_->GetHorizAxis();
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart) return nullptr;
  if (!ActiveSeriesUses(chart, chart->GetBottomAxis(), true) && ActiveSeriesUses(chart, chart->GetTopAxis(), true))
    return chart->GetTopAxis();
  return chart->GetBottomAxis();
}

TChartAxis* TNuvCustomToolSeries::GetVertAxis() const
{
  if (series_) return series_->GetVertAxis();
  TCustomAxisPanel* chart = GetParentChart();
  if (!chart) return nullptr;
  if (!ActiveSeriesUses(chart, chart->GetLeftAxis(), false) && ActiveSeriesUses(chart, chart->GetRightAxis(), false))
    return chart->GetRightAxis();
  return chart->GetLeftAxis();
}

// ---- Axis tool ----

TNuvCustomToolAxis::TNuvCustomToolAxis(TComponent* owner) : TNuvCustomTool(owner) {}

void TNuvCustomToolAxis::SetAxis(TChartAxis* value)
{
  if (value == axis_) return;
  axis_ = value;
  SetParentChart(value ? value->GetParentChart() : nullptr);
  Repaint();
}

void TNuvCustomToolAxis::DefineProperties(TFiler* filer)
{
  filer->DefineProperty(
      "AxisID",
      [this](const TStreamValue& v) {
        const int64_t index = StreamValueToInteger(v);
        TCustomAxisPanel* chart = GetParentChart();
        if (chart && index >= 0 && index < chart->AxesList()->Count())
          SetAxis(chart->AxesList()->GetAxis(static_cast<int32_t>(index)));
      },
      [this]() -> TStreamValue {
        TCustomAxisPanel* chart = axis_ ? axis_->GetParentChart() : nullptr;
        return static_cast<int64_t>(chart ? chart->AxesList()->IndexOf(axis_) : -1);
      },
      axis_ != nullptr && axis_->GetParentChart() != nullptr);
}
