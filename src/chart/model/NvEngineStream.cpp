#include "chart/model/NvEngineStream.h"

bool SeriesNeedsXValues(const TChartSeries*) { return false; }
bool SeriesNeedsColors(const TChartSeries*) { return false; }
bool SeriesNeedsLabels(const TChartSeries*) { return false; }
bool SeriesNeedsMarkPositions(const TChartSeries*) { return false; }
uint8_t GetSeriesDataFlags(const TChartSeries*) { return 0; }
void WriteSeriesData(const TChartSeries*, std::vector<uint8_t>&) {}
void ReadSeriesData(TChartSeries*, const uint8_t*, size_t) {}
