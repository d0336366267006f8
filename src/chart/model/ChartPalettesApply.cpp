#include "chart/model/ChartPalettes.h"

// Completed with the axis panel.
void ApplyPalette(TCustomAxisPanel*, int32_t) {}
void SetChartPalette(TCustomAxisPanel*, const std::vector<TColor>&, int32_t) {}
