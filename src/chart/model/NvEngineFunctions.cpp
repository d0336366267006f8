#include "chart/model/NvEngineFunctions.h"

TNuvFunction::TNuvFunction(TComponent* owner) : TComponent(owner) {}
TNuvFunction::~TNuvFunction() = default;
void TNuvFunction::Assign(const TPersistent* source) { TComponent::Assign(source); }
void TNuvFunction::SetPeriod(double value) { period_ = value; }
void TNuvFunction::SetPeriodStyle(TFunctionPeriodStyle value) { periodStyle_ = value; }
void TNuvFunction::SetPeriodAlign(TFunctionPeriodAlign value) { periodAlign_ = value; }
void TNuvFunction::SetParentSeries(TChartSeries* value) { parentSeries_ = value; }
void TNuvFunction::EndUpdate() { updating_ = false; }
void TNuvFunction::Recalculate() {}
TChartValueList* TNuvFunction::ValueList(TChartSeries*) const { return nullptr; }
void TNuvFunction::AddPoints(TChartSeries*) {}
double TNuvFunction::Calculate(TChartSeries*, int32_t, int32_t) { return 0; }
double TNuvFunction::CalculateMany(const std::vector<TComponent*>&, int32_t) { return 0; }
void TNuvFunction::PrepareForGallery(TCustomAxisPanel*) {}
void TNuvFunction::CalculatePeriod(TChartSeries*, double, int32_t, int32_t) {}
void TNuvFunction::CalculateAllPoints(TChartSeries*, TChartValueList*) {}
void TNuvFunction::CalculateByPeriod(TChartSeries*, TChartValueList*) {}
void TNuvFunction::DoCalculation(TChartSeries*, TChartValueList*) {}
void TNuvFunction::Notification(TComponent* component, TOperation operation) { TComponent::Notification(component, operation); }

std::vector<TFunctionPeriod> CalculateFunctionPeriods(const std::vector<double>&, double, TFunctionPeriodStyle,
                                                      TFunctionPeriodAlign, const std::function<double(double)>&)
{
  return {};
}
