// What an axis asks its chart (defaults until the axis panel is in place).
#include "chart/model/NvEngineAxis.h"

TCustomNuvPanel* TChartAxis::GetPanel() const { return nullptr; }
bool TChartAxis::ChartLoading() const { return false; }
bool TChartAxis::ChartRangesSaved() const { return false; }
int32_t TChartAxis::ChartDepthPixels() const { return 0; }
bool TChartAxis::HasFewPointsSeries(int32_t) const { return false; }
bool TChartAxis::FastCalc() const { return false; }
double TChartAxis::SeriesMinimum() const { return minimum_; }
double TChartAxis::SeriesMaximum() const { return maximum_; }
void TChartAxis::CopyRangeToLinkedAxes() {}
bool TChartAxis::IsDateTime() const { return IsDateTimeAxis; }
TAxisLabelStyle TChartAxis::GetAutoLabelStyle() const { return talValue; }
int32_t TChartAxis::WallSize() const { return 0; }
bool TChartAxis::AxisInUse() const { return false; }
int32_t TChartAxis::SeriesMaxMarkWidth() { return 0; }
int32_t TChartAxis::SeriesMaxTextWidth() { return 0; }
void TChartAxis::CallGetAxisLabel(TChartSeries*, int32_t, std::string&) const {}
void TChartAxis::DrawNextAxisLabels(bool& drawn) { drawn = false; }
void TChartAxis::DrawPointLabels(TAxisLabelStyle) {}
void TChartAxis::DrawDepthTextLabels() {}
