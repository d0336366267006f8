#include <algorithm>

#include "chart/model/Chart.h"
#include "chart/model/ChartPalettes.h"
#include "chart/model/NvEngineAxis.h"

namespace {
void TakePalette(TCustomChart* chart, std::vector<TColor> colors)
{
  if (chart->GetColorPalette() == colors) return;
  chart->SetColorPalette(std::move(colors));
  // Series on the default colour take a free colour of the new palette.
  chart->AssignSeriesColors();
}
}  // namespace

void ApplyPalette(TCustomChart* chart, int32_t index)
{
  if (!chart) return;
  TakePalette(chart, PaletteColors(index));
  chart->ColorPaletteIndex = index;
  chart->Invalidate();
}

void SetChartPalette(TCustomChart* chart, const std::vector<TColor>& colors, int32_t highIndex)
{
  if (!chart) return;
  std::vector<TColor> p;
  if (highIndex >= 0)
    p.assign(colors.begin(), colors.begin() + std::min<size_t>(colors.size(), static_cast<size_t>(highIndex) + 1));
  TakePalette(chart, std::move(p));
  chart->Invalidate();
}
