#pragma once
// A 400 x 300 chart in 2-D with a title, an opaque back wall, axes with grids and a red point
// series with marks, rendered into a bitmap on the GDI canvas or, when given, on another canvas.
#include <memory>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartMenus.h"
#include "chart/series/PointSeries.h"

namespace chartfixture {

constexpr TColor kWallColor = 0xC0FFFF;   // light yellow
constexpr TColor kAxisColor = 0x800000;   // navy
constexpr TColor kTickColor = 0x008000;   // green
constexpr TColor kMarksColor = 0xFFFF00;  // aqua

// The pixel of a value on a horizontal axis, from the axis' scale and pixel ends.
inline int ExpectedX(const TChartAxis& a, double v)
{
  const double p = a.IStartPos() + (v - a.ScaleMinimum) * (a.IEndPos() - a.IStartPos()) / (a.ScaleMaximum - a.ScaleMinimum);
  return static_cast<int>(std::lround(p));
}

// The pixel of a value on a vertical axis (larger values higher up).
inline int ExpectedY(const TChartAxis& a, double v)
{
  const double p = a.IEndPos() - (v - a.ScaleMinimum) * (a.IEndPos() - a.IStartPos()) / (a.ScaleMaximum - a.ScaleMinimum);
  return static_cast<int>(std::lround(p));
}

struct PointChart {
  TComponent owner;
  TChart chart{&owner};
  TPointSeries* series = new TPointSeries(&owner);
  TBitmap bmp;

  explicit PointChart(std::unique_ptr<TCanvas3D> canvas = nullptr)
  {
    if (canvas) chart.SetCanvas(std::move(canvas));
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(400, 300);
    chart.SetBounds(0, 0, 400, 300);
    chart.SetView3D(false);
    chart.GetTitle()->SetCaption("Section");
    chart.GetTitle()->GetFont()->SetColor(clBlue);
    chart.GetBackWall()->SetTransparent(false);
    chart.GetBackWall()->SetColor(kWallColor);
    chart.GetLegend()->SetVisible(true);
    for (TChartAxis* a : {chart.GetLeftAxis(), chart.GetBottomAxis()}) {
      a->GetAxis()->SetColor(kAxisColor);
      a->GetTicks()->SetColor(kTickColor);
    }
    series->SetParentChart(&chart);
    series->SetSeriesColor(clRed);
    series->GetPointer()->GetPen()->SetVisible(false);
    series->AddXY(1, 10, "a");
    series->AddXY(2, 30, "b");
    series->AddXY(3, 20, "c");
    series->AddXY(4, 15, "d");
    TSeriesMarks* marks = series->GetMarks();
    marks->SetVisible(true);
    marks->SetColor(kMarksColor);
    marks->SetTransparent(false);
  }

  void Render() { chart.Draw(bmp.Canvas(), Rect(0, 0, 400, 300)); }
  TColor At(int x, int y) { return bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF; }
  int CountIn(const TRect& r, TColor color)
  {
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(300, r.Bottom); ++y)
      for (int x = std::max(0, r.Left); x < std::min(400, r.Right); ++x) n += At(x, y) == color;
    return n;
  }
};

}  // namespace chartfixture
