// The surface series: its grid of X and Z values, cell colours, depth extent, registration and
// a surface drawn into a chart bitmap.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/series/SeriesFormat.h"
#include "chart/series/SurfaceSeries.h"
#include "platform/Graphics.h"

TEST(SurfaceSeries, GridAndExtent)
{
  TSurfaceSeries s(nullptr);
  EXPECT_EQ(s.ValuesList()->Count(), 3);
  // A 3 x 2 grid, points added in any order, one node missing.
  s.AddXYZ(2, 5, 10);
  s.AddXYZ(0, 1, 10);
  s.AddXYZ(1, 3, 10);
  s.AddXYZ(0, 2, 20);
  s.AddXYZ(2, 6, 20);
  const auto g = s.BuildGrid();
  ASSERT_EQ(g.X, (std::vector<double>{0, 1, 2}));
  ASSERT_EQ(g.Z, (std::vector<double>{10, 20}));
  EXPECT_EQ(s.YValues()->Value(g.At(0, 0)), 1);
  EXPECT_EQ(s.YValues()->Value(g.At(2, 1)), 6);
  EXPECT_EQ(g.At(1, 1), -1);
  EXPECT_EQ(s.MinZValue(), 10);
  EXPECT_EQ(s.MaxZValue(), 20);
  EXPECT_TRUE(s.HasZValues);

  // Colour range from the lowest to the highest Y; a point's own colour wins.
  s.SetUseColorRange(true);
  s.SetStartColor(clBlack);
  s.SetEndColor(clWhite);
  EXPECT_EQ(s.CellColor(g.At(0, 0)), clBlack);
  EXPECT_EQ(s.CellColor(g.At(2, 1)), clWhite);
  s.SetValueColor(0, clRed);
  EXPECT_EQ(s.CellColor(0), clRed);

  // Scattered values far from a grid give no cells rather than a huge grid.
  TSurfaceSeries scattered(nullptr);
  for (int i = 0; i < 200; ++i) scattered.AddXYZ(i, i, i * 3);
  EXPECT_TRUE(scattered.BuildGrid().X.empty());
}

TEST(SurfaceSeries, RegisteredAsSurface)
{
  NuvSeriesStartup();
  TSurfaceSeries s(nullptr);
  EXPECT_EQ(GetGallerySeriesName(&s), "Surface");
  EXPECT_EQ(FindNuvClass("TSurfaceSeries"), (NuvClassOf<TSurfaceSeries, TChartSeries>()));
}

TEST(SurfaceSeries, DrawsItsCellsInTheChart)
{
  TChart chart(nullptr);
  chart.SetView3D(false);
  chart.GetLegend()->SetVisible(false);
  TSurfaceSeries s(nullptr);
  s.GetPen()->Hide();
  s.GetMarks()->SetVisible(false);
  s.SetUseColorRange(true);
  s.SetStartColor(clRed);
  s.SetEndColor(clRed);
  for (int z = 0; z < 3; ++z)
    for (int x = 0; x < 3; ++x) s.AddXYZ(x, x + z, z);
  s.SetParentChart(&chart);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(300, 200);
  chart.Draw(bmp.Canvas(), {0, 0, 300, 200});
  // The cells cover the middle of the plot area in the range colour.
  const TRect r = chart.ChartRect;
  ASSERT_GT(r.Width(), 50);
  int red = 0;
  for (int y = r.Top + 5; y < r.Bottom - 5; ++y)
    for (int x = r.Left + 5; x < r.Right - 5; ++x) red += (bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF) == clRed;
  EXPECT_GT(red, (r.Width() - 10) * (r.Height() - 10) / 4);
  s.SetParentChart(nullptr);
}

TEST(SurfaceSeries, NullsAndValuesThatAreNotNumbersLeaveTheirCellsOut)
{
  TChart chart(nullptr);
  chart.SetView3D(true);
  TSurfaceSeries s(nullptr);
  for (int z = 0; z < 3; ++z)
    for (int x = 0; x < 3; ++x) s.AddXYZ(x, x * z, z);
  s.AddXYZ(3, std::nan(""), 0);
  s.AddXYZ(3, 1e308, 1);
  s.AddXYZ(3, 2, 2);
  s.SetValueColor(4, clNone);
  s.SetParentChart(&chart);
  TBitmap bmp;
  bmp.SetSize(200, 150);
  chart.Draw(bmp.Canvas(), {0, 0, 200, 150});
  EXPECT_GE(s.Clicked(0, 0), -1);
  s.SetParentChart(nullptr);
}
