// A point series whose markers are all of one look hands them to the canvas at once; the chart it
// gives must be the one drawn marker by marker (a derived series keeps the point-by-point road).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/series/PointSeries.h"

namespace {

// The same series, drawn one point at a time.
class TEachPointSeries : public TPointSeries {
public:
  using TPointSeries::TPointSeries;
};

struct Look {
  int h = 2, v = 2;
  bool pen = true, aboveOnly = false, inverted = false, logarithmic = false, zoomed = false, oneColoured = false;
  TSeriesPointerStyle style = psRectangle;
};

struct Scene {
  TComponent owner;
  TChart chart{&owner};
  TPointSeries* series;
  TBitmap bmp;

  Scene(bool eachPoint, const Look& look, uint32_t seed)
  {
    series = eachPoint ? new TEachPointSeries(&owner) : new TPointSeries(&owner);
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(320, 240);
    chart.SetBounds(0, 0, 320, 240);
    chart.SetView3D(false);
    chart.GetBackWall()->SetTransparent(false);
    chart.GetLeftAxis()->GetGrid()->SetVisible(true);
    series->SetParentChart(&chart);
    series->SetSeriesColor(clTeal);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> any(0.5, 100.0);
    for (int i = 0; i < 400; ++i) series->AddXY(any(rng), any(rng));
    TSeriesPointer* p = series->GetPointer();
    p->SetHorizSize(look.h);
    p->SetVertSize(look.v);
    p->GetPen()->SetVisible(look.pen);
    p->SetAboveOnly(look.aboveOnly);
    p->SetStyle(look.style);
    if (look.oneColoured) series->SetValueColor(17, clFuchsia);
    TChartAxis* bottom = chart.GetBottomAxis();
    bottom->SetInverted(look.inverted);
    chart.GetLeftAxis()->SetLogarithmic(look.logarithmic);
    if (look.zoomed) {
      // Part of the points off the plot, markers cut at its edges.
      bottom->SetMinMax(20, 70);
      chart.GetLeftAxis()->SetMinMax(30, 60);
    }
  }

  void Render() { chart.Draw(bmp.Canvas(), Rect(0, 0, 320, 240)); }
};

bool SamePixels(TBitmap& a, TBitmap& b)
{
  for (int y = 0; y < a.GetHeight(); ++y)
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), static_cast<size_t>(a.GetWidth()) * 4) != 0) return false;
  return true;
}

int Count(TBitmap& bmp, TColor colour)
{
  int n = 0;
  for (int y = 0; y < bmp.GetHeight(); ++y)
    for (int x = 0; x < bmp.GetWidth(); ++x) n += (bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF) == colour;
  return n;
}

}  // namespace

TEST(StampedPointSeries, WholeChartMatchesPointByPointDrawing)
{
  std::vector<Look> looks(12);
  looks[1].pen = false;
  looks[2].aboveOnly = true;
  looks[3].inverted = true;
  looks[4].logarithmic = true;
  looks[5].zoomed = true;
  looks[6].h = 1, looks[6].v = 5;
  looks[7].h = 6, looks[7].v = 1, looks[7].zoomed = true, looks[7].pen = false;
  looks[8].oneColoured = true;
  looks[9].style = psCircle;
  looks[10].h = 40, looks[10].v = 30, looks[10].zoomed = true;
  looks[11].inverted = true, looks[11].aboveOnly = true, looks[11].zoomed = true;
  for (size_t k = 0; k < looks.size(); ++k) {
    Scene all(false, looks[k], static_cast<uint32_t>(k + 1)), each(true, looks[k], static_cast<uint32_t>(k + 1));
    all.Render();
    each.Render();
    EXPECT_TRUE(SamePixels(all.bmp, each.bmp)) << "look " << k;
    EXPECT_EQ(all.series->FirstDrawIndex(), each.series->FirstDrawIndex()) << "look " << k;
    // The markers are there at all.
    EXPECT_GT(Count(all.bmp, clTeal), 100) << "look " << k;
  }
}

TEST(StampedPointSeries, LaterChangesOfTheLookAndDataShowOnTheNextFrame)
{
  Look look;
  Scene all(false, look, 99), each(true, look, 99);
  for (Scene* s : {&all, &each}) {
    s->chart.GetLegend()->SetVisible(false);
    s->Render();
  }
  ASSERT_TRUE(SamePixels(all.bmp, each.bmp));
  // A new colour, a bigger marker, moved points: the next frame shows them, alike on both roads.
  for (Scene* s : {&all, &each}) {
    s->series->SetSeriesColor(clNavy);
    s->series->GetPointer()->SetHorizSize(3);
    s->series->GetPointer()->GetPen()->SetColor(clRed);
    s->series->XValues()->SetValue(3, 50);
    s->series->YValues()->SetValue(3, 50);
    s->Render();
  }
  EXPECT_TRUE(SamePixels(all.bmp, each.bmp));
  EXPECT_EQ(Count(all.bmp, clTeal), 0);
  EXPECT_GT(Count(all.bmp, clNavy), 100);
  // Hidden markers draw nothing.
  for (Scene* s : {&all, &each}) {
    s->series->GetPointer()->SetVisible(false);
    s->Render();
  }
  EXPECT_TRUE(SamePixels(all.bmp, each.bmp));
  EXPECT_EQ(Count(all.bmp, clNavy), 0);
}
