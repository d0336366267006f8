// Axis labels, ticks, minor ticks, grid, title and layout size.
#include "chart/model/NvEngineAxis.h"

std::vector<double> AxisValueLabelValues(const TAxisLabelRun&) { return {}; }
std::vector<double> AxisLogLabelValues(double, double, const TAxisScaleKind&, bool, std::vector<double>*) { return {}; }

TAxisLabelStyle TChartAxis::CalcLabelStyle() const { return labelStyle_ == talAuto ? GetAutoLabelStyle() : labelStyle_; }
void TChartAxis::FormatValueLabel(double, std::string& text) const { text.clear(); }
std::string TChartAxis::LabelValueText(double value) const
{
  std::string s;
  FormatValueLabel(value, s);
  return s;
}
std::vector<TAxisLabelItem> TChartAxis::CalcValueLabels(double) const { return {}; }
std::vector<TAxisLabelItem> TChartAxis::CalcLogLabels() const { return {}; }
int32_t TChartAxis::LabelSizeAlongAxis(double) { return 0; }
int32_t TChartAxis::MaxLabelsWidth() { return 0; }
std::vector<int32_t> TChartAxis::CalcMinorTickPositions() const { return {}; }
std::vector<int32_t> TChartAxis::CalcGridPositions() const { return {}; }
void TChartAxis::Draw(bool) {}
void TChartAxis::CalcRect(TRect&, bool) {}
bool TChartAxis::HitTest(int32_t, int32_t) const { return false; }
int32_t TChartAxis::CalcPosAxisFromRect(const TRect&) const { return 0; }
void TChartAxis::ResetPositions() {}
void TChartAxis::CalcPositions() {}
void TChartAxis::DrawTitle() {}
void TChartAxis::DrawAxisLabel(int32_t, const std::string&, TNuvFont*, int32_t) {}
void TChartAxis::DrawValueLabels(double, int32_t) {}
void TChartAxis::DrawLogLabels() {}
void TChartAxis::DrawPointLabels(TAxisLabelStyle) {}
void TChartAxis::DrawDepthTextLabels() {}
void TChartAxis::DrawCustomItems() {}
void TChartAxis::DrawNextAxisLabels(bool& drawn) { drawn = false; }
void TChartAxis::DrawTicksGridLine() {}
