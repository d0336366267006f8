#pragma once
// Helpers of the series texts (the texts themselves are TChartSeries members, NvEngineSeries.h).
#include <cstdint>
#include <string>

class TChartSeries;

// Seeds the generator behind TChartSeries::RandomValue.
void NuvRandomize(uint32_t seed);
// A point's value as the legend writes it: the date-time form for a date-time mandatory list,
// else the series' ValueFormat.
std::string SeriesLegendValueText(TChartSeries* series, int32_t valueIndex);
