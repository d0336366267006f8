#pragma once
// The named colour palettes a chart can take: index 0 "NuvChart" (the library's default palette,
// no table of its own) and nine tables.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

class TCustomChart;

constexpr int32_t NuvPaletteCount = 10;

// The palette names in index order; filled at module start-up, emptied at shut-down.
std::vector<std::string>& ColorPalettes();
// The colours of palette Index; empty for 0 and for any index outside 1..9 (negative ones too).
std::vector<TColor> PaletteColors(int32_t index);

// Copies palette Index into the chart's palette (an empty one for 0, negative or out-of-range
// indexes), gives every series whose colour is the default marker a free colour, stores the
// index as the chart's ColorPaletteIndex and repaints.
void ApplyPalette(TCustomChart* chart, int32_t index);
// HighIndex -1 empties the chart's palette; otherwise it takes Colors[0..HighIndex]
// (HighIndex is held inside Colors).
void SetChartPalette(TCustomChart* chart, const std::vector<TColor>& colors, int32_t highIndex);

void ChartPalettesStartup();
void ChartPalettesShutdown();
