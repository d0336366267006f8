// What an axis asks its chart: series extremes, zoom state, canvas, date-time flag.
#include "chart/model/NvEngineAxis.h"

TCustomNuvPanel* TChartAxis::GetPanel() const { return nullptr; }
bool TChartAxis::ChartLoading() const { return false; }
bool TChartAxis::ChartRangesSaved() const { return false; }
int32_t TChartAxis::ChartDepthPixels() const { return 0; }
bool TChartAxis::HasFewPointsSeries(int32_t) const { return false; }
bool TChartAxis::FastCalc() const { return false; }
double TChartAxis::SeriesMinimum() const { return 0; }
double TChartAxis::SeriesMaximum() const { return 0; }
void TChartAxis::CopyRangeToLinkedAxes() {}
bool TChartAxis::IsDateTime() const { return IsDateTimeAxis; }
TAxisLabelStyle TChartAxis::GetAutoLabelStyle() const { return talValue; }
