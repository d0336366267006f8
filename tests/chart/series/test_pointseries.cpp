// The point series alone and a whole chart with a point series: its defaults and values, the
// pixels of a rendered chart (plot area, axis line, tick, marker, mark, title) against the axis
// scale written out here, and zoom, scroll, wheel and undo zoom through the mouse.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/Menus.h"
#include "platform/TestInput.h"
#include "test_pointseries_fixture.h"

namespace {

using chartfixture::PointChart;

TEST(PointSeriesBasics, DefaultsAndValuesChangedInPlace)
{
  TComponent owner;
  auto* s = new TPointSeries(&owner);
  EXPECT_TRUE(s->GetPointer()->GetVisible());
  EXPECT_EQ(s->GetMarks()->GetCallout()->GetLength(), 0);
  EXPECT_EQ(s->GetPointer()->GetStyle(), psRectangle);
  EXPECT_EQ(s->AddXY(2, 5, "", clDefault), 0);
  EXPECT_EQ(s->AddXY(1, 7), 0);  // ordered by X
  EXPECT_EQ(s->Count(), 2);
  s->SetXValue(0, 4);
  s->SetYValue(0, -3);
  EXPECT_EQ(s->GetXValue(0), 4);
  EXPECT_EQ(s->GetYValue(0), -3);
  EXPECT_EQ(s->MinYValue(), -3);
  EXPECT_EQ(s->MaxXValue(), 4);
  s->Clear();
  EXPECT_EQ(s->Count(), 0);
}

TEST(PointSeriesBasics, AssignCopiesThePointer)
{
  TComponent owner;
  auto* a = new TPointSeries(&owner);
  auto* b = new TPointSeries(&owner);
  a->GetPointer()->SetStyle(psDiamond);
  a->GetPointer()->SetHorizSize(7);
  b->Assign(a);
  EXPECT_EQ(b->GetPointer()->GetStyle(), psDiamond);
  EXPECT_EQ(b->GetPointer()->GetHorizSize(), 7);
}

TEST(PointSeriesChart, PixelsLandWhereTheScalePutsThem)
{
  PointChart f;
  f.Render();
  TChart& chart = f.chart;
  TChartAxis* left = chart.GetLeftAxis();
  TChartAxis* bottom = chart.GetBottomAxis();
  const TRect r = chart.ChartRect;

  // The title takes a band above the plot: the chart rectangle starts below it.
  EXPECT_GT(r.Top, 20);
  EXPECT_GT(f.CountIn(Rect(0, 0, 400, r.Top), clBlue), 10);

  // Plot area: the back wall's colour away from grid lines and points.
  EXPECT_EQ(f.At(r.Left + 9, r.Top + 3), chartfixture::kWallColor);
  EXPECT_EQ(f.At(r.Right - 9, r.Bottom - 3), chartfixture::kWallColor);

  // The left axis line runs along the rectangle's left edge, the bottom one along its bottom.
  const int ymid = (r.Top + r.Bottom) / 2;
  EXPECT_EQ(f.At(left->PosAxis, ymid + 3), chartfixture::kAxisColor);
  EXPECT_NE(f.At(left->PosAxis - 1, ymid + 3), chartfixture::kAxisColor);
  EXPECT_EQ(f.At((r.Left + r.Right) / 2 + 3, bottom->PosAxis), chartfixture::kAxisColor);

  // A major tick at the value 20, outside the left axis line.
  const int y20 = chartfixture::ExpectedY(*left, 20.0);
  bool tick = false;
  for (int x = left->PosAxis - 6; x < left->PosAxis - 1; ++x) tick = tick || f.At(x, y20) == chartfixture::kTickColor;
  EXPECT_TRUE(tick) << "no tick at y " << y20;
  EXPECT_NE(f.At(left->PosAxis - 4, y20 + 4), chartfixture::kTickColor);

  // Markers centred where the scale written out here puts each point.
  for (int i = 0; i < f.series->Count(); ++i) {
    const int x = chartfixture::ExpectedX(*bottom, f.series->GetXValue(i));
    const int y = chartfixture::ExpectedY(*left, f.series->GetYValue(i));
    EXPECT_NEAR(f.series->CalcXPos(i), x, 1);
    EXPECT_NEAR(f.series->CalcYPos(i), y, 1);
    EXPECT_EQ(f.At(x, y), clRed) << "point " << i;
    EXPECT_EQ(f.At(x + 2, y - 2), clRed) << "point " << i;
    EXPECT_NE(f.At(x + 8, y), clRed) << "point " << i;
  }

  // The mark of each point sits just above its marker, in the marks' colour.
  const int x1 = chartfixture::ExpectedX(*bottom, f.series->GetXValue(1));
  const int y1 = chartfixture::ExpectedY(*left, f.series->GetYValue(1));
  EXPECT_GT(f.CountIn(Rect(x1 - 12, y1 - 30, x1 + 12, y1 - 4), chartfixture::kMarksColor), 20);
}

TEST(PointSeriesChart, RubberBandZoomAndUndoRestoreExactRanges)
{
  PointChart f;
  f.Render();
  TChartAxis* left = f.chart.GetLeftAxis();
  TChartAxis* bottom = f.chart.GetBottomAxis();
  const double l0 = left->GetMinimum(), l1 = left->GetMaximum();
  const double b0 = bottom->GetMinimum(), b1 = bottom->GetMaximum();
  const TRect r = f.chart.ChartRect;

  const int x0 = r.Left + 40, y0 = r.Top + 30, xe = r.Left + 140, ye = r.Top + 120;
  const double wantLeftMin = left->PositionToValue(ye), wantLeftMax = left->PositionToValue(y0);
  const double wantBottomMin = bottom->PositionToValue(x0), wantBottomMax = bottom->PositionToValue(xe);
  f.chart.MouseDown(mbLeft, ssLeft, x0, y0);
  EXPECT_TRUE(f.chart.IsZooming());
  f.chart.MouseMove(ssLeft, (x0 + xe) / 2, (y0 + ye) / 2);
  f.chart.MouseMove(ssLeft, xe, ye);
  f.chart.MouseUp(mbLeft, 0, xe, ye);
  EXPECT_FALSE(f.chart.IsZooming());
  EXPECT_TRUE(f.chart.Zoomed);
  EXPECT_DOUBLE_EQ(left->GetMinimum(), wantLeftMin);
  EXPECT_DOUBLE_EQ(left->GetMaximum(), wantLeftMax);
  EXPECT_DOUBLE_EQ(bottom->GetMinimum(), wantBottomMin);
  EXPECT_DOUBLE_EQ(bottom->GetMaximum(), wantBottomMax);
  EXPECT_FALSE(left->GetAutomatic());

  // A second zoom, then one undo: back to the ranges before the first.
  f.Render();
  f.chart.MouseDown(mbLeft, ssLeft, x0, y0);
  f.chart.MouseUp(mbLeft, 0, xe, ye);
  f.chart.UndoZoom();
  EXPECT_TRUE(f.chart.RangesFree());
  EXPECT_TRUE(left->GetAutomatic());
  EXPECT_TRUE(bottom->GetAutomatic());
  f.Render();
  EXPECT_DOUBLE_EQ(left->GetMinimum(), l0);
  EXPECT_DOUBLE_EQ(left->GetMaximum(), l1);
  EXPECT_DOUBLE_EQ(bottom->GetMinimum(), b0);
  EXPECT_DOUBLE_EQ(bottom->GetMaximum(), b1);
}

TEST(PointSeriesChart, ShortOrBackwardDragsDoNotZoom)
{
  PointChart f;
  f.Render();
  const TRect r = f.chart.ChartRect;
  // Not longer than MinimumPixels (16).
  f.chart.MouseDown(mbLeft, ssLeft, r.Left + 40, r.Top + 30);
  f.chart.MouseUp(mbLeft, 0, r.Left + 56, r.Top + 130);
  EXPECT_FALSE(f.chart.Zoomed);
  // Up and to the left undoes instead.
  f.chart.GetLeftAxis()->SetMinMax(12, 18);
  f.chart.MouseDown(mbLeft, ssLeft, r.Left + 140, r.Top + 130);
  f.chart.MouseUp(mbLeft, 0, r.Left + 40, r.Top + 30);
  EXPECT_FALSE(f.chart.Zoomed);
}

TEST(PointSeriesChart, ScrollPastTheOldMinimumThenUndo)
{
  PointChart f;
  f.Render();
  TChartAxis* left = f.chart.GetLeftAxis();
  TChartAxis* bottom = f.chart.GetBottomAxis();
  const double l0 = left->GetMinimum(), l1 = left->GetMaximum();
  const double b0 = bottom->GetMinimum(), b1 = bottom->GetMaximum();
  const TRect r = f.chart.ChartRect;

  // Drag with the scroll button (right) from the top of the plot to its bottom, several times:
  // the vertical range moves wholly above its old maximum (a checked Maximum-first restore
  // would refuse the saved maximum there).
  const int x = (r.Left + r.Right) / 2;
  double expectedMin = l0, expectedMax = l1;
  for (int k = 0; k < 3; ++k) {
    const double delta = left->PositionToValue(r.Top + 10) - left->PositionToValue(r.Bottom - 10);
    f.chart.MouseDown(mbRight, ssRight, x, r.Top + 10);
    EXPECT_TRUE(f.chart.IsScrolling());
    f.chart.MouseMove(ssRight, x, r.Bottom - 10);
    f.chart.MouseUp(mbRight, 0, x, r.Bottom - 10);
    expectedMin += delta;
    expectedMax += delta;
    EXPECT_NEAR(left->GetMinimum(), expectedMin, 1e-9 * (l1 - l0));
    EXPECT_NEAR(left->GetMaximum(), expectedMax, 1e-9 * (l1 - l0));
    f.Render();
  }
  EXPECT_GT(left->GetMinimum(), l1);
  EXPECT_FALSE(f.chart.RangesFree());
  // The horizontal range did not move: the drag was vertical only.
  EXPECT_DOUBLE_EQ(bottom->GetMinimum(), b0);

  f.chart.UndoZoom();
  f.Render();
  EXPECT_DOUBLE_EQ(left->GetMinimum(), l0);
  EXPECT_DOUBLE_EQ(left->GetMaximum(), l1);
  EXPECT_DOUBLE_EQ(bottom->GetMaximum(), b1);
  EXPECT_TRUE(left->GetAutomatic());
}

TEST(PointSeriesChart, UndoAfterScrollOfManualRangeBelowItsOldMinimum)
{
  PointChart f;
  TChartAxis* left = f.chart.GetLeftAxis();
  left->SetMinMax(0, 10);
  f.Render();
  const TRect r = f.chart.ChartRect;
  // Zoom, then scroll until the whole range lies below the saved minimum (0).
  f.chart.ZoomRect(Rect(r.Left + 20, r.Top + 20, r.Right - 20, r.Bottom - 20));
  for (int k = 0; k < 4; ++k) {
    f.chart.MouseDown(mbRight, ssRight, r.Left + 50, r.Bottom - 10);
    f.chart.MouseMove(ssRight, r.Left + 50, r.Top + 10);
    f.chart.MouseUp(mbRight, 0, r.Left + 50, r.Top + 10);
    f.Render();
  }
  EXPECT_LT(left->GetMaximum(), 0.0);
  f.chart.UndoZoom();
  EXPECT_FALSE(left->GetAutomatic());
  EXPECT_DOUBLE_EQ(left->GetMinimum(), 0.0);
  EXPECT_DOUBLE_EQ(left->GetMaximum(), 10.0);
}

TEST(PointSeriesChart, LogarithmicAxisScrollsByTheRatioOfTheDraggedValues)
{
  PointChart f;
  TChartAxis* left = f.chart.GetLeftAxis();
  left->SetLogarithmic(true);
  left->SetMinMax(1, 1000);
  f.Render();
  const TRect r = f.chart.ChartRect;
  const int x = (r.Left + r.Right) / 2, y0 = r.Top + 20, y1 = r.Top + 70;
  const double ratio = left->PositionToValue(y0) / left->PositionToValue(y1);
  f.chart.MouseDown(mbRight, ssRight, x, y0);
  f.chart.MouseMove(ssRight, x, y1);
  f.chart.MouseUp(mbRight, 0, x, y1);
  EXPECT_NEAR(left->GetMinimum(), ratio, 1e-9 * ratio);
  EXPECT_NEAR(left->GetMaximum(), 1000 * ratio, 1e-9 * ratio * 1000);
  f.chart.UndoZoom();
  EXPECT_DOUBLE_EQ(left->GetMinimum(), 1);
  EXPECT_DOUBLE_EQ(left->GetMaximum(), 1000);
}

TEST(PointSeriesChart, AllowScrollCanRefuseAndPanningModeLimitsDirections)
{
  PointChart f;
  f.Render();
  TChartAxis* left = f.chart.GetLeftAxis();
  TChartAxis* bottom = f.chart.GetBottomAxis();
  const double l0 = left->GetMinimum(), b0 = bottom->GetMinimum();
  const TRect r = f.chart.ChartRect;
  f.chart.OnAllowScroll = [&](TChartAxis* axis, double&, double&, bool& allow) { allow = axis != left; };
  // A handler that spoils the range is not followed into the axis.
  TChartAxis* top = f.chart.GetTopAxis();
  const double t0 = top->GetMinimum();
  auto spoil = [&](TChartAxis* axis, double& mn, double&, bool& allow) {
    allow = axis != left;
    if (axis == top) mn = std::nan("");
  };
  f.chart.OnAllowScroll = spoil;
  f.chart.MouseDown(mbRight, ssRight, r.Left + 20, r.Top + 20);
  f.chart.MouseMove(ssRight, r.Left + 80, r.Top + 90);
  f.chart.MouseUp(mbRight, 0, r.Left + 80, r.Top + 90);
  EXPECT_DOUBLE_EQ(left->GetMinimum(), l0);
  EXPECT_LT(bottom->GetMinimum(), b0);
  EXPECT_DOUBLE_EQ(top->GetMinimum(), t0);

  f.chart.UndoZoom();
  f.Render();
  f.chart.OnAllowScroll = nullptr;
  f.chart.AllowPanning = pmVertical;
  f.chart.MouseDown(mbRight, ssRight, r.Left + 20, r.Top + 20);
  f.chart.MouseMove(ssRight, r.Left + 80, r.Top + 90);
  f.chart.MouseUp(mbRight, 0, r.Left + 80, r.Top + 90);
  EXPECT_DOUBLE_EQ(bottom->GetMinimum(), b0);
  EXPECT_GT(left->GetMinimum(), l0);

  // Leaving the chart rectangle ends the scroll.
  f.chart.MouseDown(mbRight, ssRight, r.Left + 20, r.Top + 20);
  f.chart.MouseMove(ssRight, r.Right + 30, r.Top + 20);
  EXPECT_FALSE(f.chart.IsScrolling());
}

TEST(PointSeriesChart, WheelScrollsVerticalAxesByThreePercent)
{
  PointChart f;
  f.Render();
  TChartAxis* left = f.chart.GetLeftAxis();
  TChartAxis* bottom = f.chart.GetBottomAxis();
  const double l0 = left->GetMinimum(), l1 = left->GetMaximum(), b0 = bottom->GetMinimum();
  const double step = (l1 - l0) * 0.03;
  f.chart.DispatchMouseWheel(0, -120, TPoint{100, 100});
  EXPECT_NEAR(left->GetMinimum(), l0 + step, 1e-12);
  EXPECT_NEAR(left->GetMaximum(), l1 + step, 1e-12);
  f.chart.DispatchMouseWheel(0, 120, TPoint{100, 100});
  f.chart.DispatchMouseWheel(0, 120, TPoint{100, 100});
  EXPECT_NEAR(left->GetMinimum(), l0 - step, 1e-12);
  EXPECT_DOUBLE_EQ(bottom->GetMinimum(), b0);

  NuvChartUseMouseWheel = false;
  f.chart.DispatchMouseWheel(0, 120, TPoint{100, 100});
  NuvChartUseMouseWheel = true;
  EXPECT_NEAR(left->GetMinimum(), l0 - step, 1e-12);
}

TEST(PointSeriesChart, ClicksReachTheirParts)
{
  PointChart f;
  f.Render();
  std::vector<std::string> log;
  f.chart.OnClickBackground = [&](TCustomChart*, TMouseButton, TShiftState, int, int) { log.push_back("background"); };
  f.chart.OnClickTitle = [&](TCustomChart* c, TChartTitle* t, TMouseButton, TShiftState, int, int) {
    log.push_back(t == c->GetTitle() ? "title" : "other title");
  };
  f.chart.OnClickAxis = [&](TCustomChart* c, TChartAxis* a, TMouseButton, TShiftState, int, int) {
    log.push_back(a == c->GetLeftAxis() ? "left axis" : "other axis");
  };
  const TRect tb = f.chart.GetTitle()->ShapeBounds;
  f.chart.MouseDown(mbLeft, ssLeft, (tb.Left + tb.Right) / 2, (tb.Top + tb.Bottom) / 2);
  f.chart.MouseUp(mbLeft, 0, (tb.Left + tb.Right) / 2, (tb.Top + tb.Bottom) / 2);
  f.chart.MouseDown(mbLeft, ssLeft, f.chart.GetLeftAxis()->PosAxis - 1, f.chart.ChartRect.Top + 50);
  f.chart.MouseUp(mbLeft, 0, f.chart.GetLeftAxis()->PosAxis - 1, f.chart.ChartRect.Top + 50);

  // A point of a series without click events passes the click through to the background.
  const int px = f.series->CalcXPos(1), py = f.series->CalcYPos(1);
  f.chart.MouseDown(mbLeft, ssLeft, px, py);
  f.chart.MouseUp(mbLeft, 0, px, py);
  // With the chart's OnClickSeries the point is hit.
  int clickedIndex = -1;
  f.chart.OnClickSeries = [&](TCustomChart*, TChartSeries* s, int index, TMouseButton, TShiftState, int, int) {
    log.push_back(s == f.series ? "series" : "other series");
    clickedIndex = index;
  };
  f.chart.MouseDown(mbLeft, ssLeft, px + 2, py - 1);
  f.chart.MouseUp(mbLeft, 0, px + 2, py - 1);
  EXPECT_EQ(log, (std::vector<std::string>{"title", "left axis", "background", "series"}));
  EXPECT_EQ(clickedIndex, 1);
}

TEST(PointSeriesChart, RightClickOnLegendItemEditsItsSeries)
{
  PointChart f;
  auto* second = new TPointSeries(&f.owner);
  second->SetParentChart(&f.chart);
  second->AddXY(1.5, 12);
  f.chart.GetLegend()->SetLegendStyle(lsSeries);
  f.Render();
  TChartSeries* edited = nullptr;
  const auto saved = ChartEditorServices().EditSeries;
  ChartEditorServices().EditSeries = [&](TChartSeries* s) { edited = s; };
  // The second item of the legend.
  int hitX = -1, hitY = -1;
  for (int y = 0; y < 300 && hitX < 0; ++y)
    for (int x = f.chart.ChartRect.Right; x < 400 && hitX < 0; ++x)
      if (f.chart.GetLegend()->Clicked(x, y) == 1) {
        hitX = x;
        hitY = y;
      }
  ASSERT_GE(hitX, 0);
  f.chart.MouseDown(mbRight, ssRight, hitX, hitY);
  f.chart.MouseUp(mbRight, 0, hitX, hitY);
  ChartEditorServices().EditSeries = saved;
  EXPECT_EQ(edited, second);
  // The right button on the legend never starts a scroll.
  EXPECT_FALSE(f.chart.IsScrolling());
}

TEST(PointSeriesChart, RightClickOnAValuesLegendItemEditsTheListedSeries)
{
  // One series: the legend lists its four points; item 2 is a point, not a series index.
  PointChart f;
  f.Render();
  ASSERT_EQ(f.chart.GetLegend()->ResolvedStyle(), lsValues);
  TChartSeries* edited = nullptr;
  const auto saved = ChartEditorServices().EditSeries;
  ChartEditorServices().EditSeries = [&](TChartSeries* s) { edited = s; };
  int hitX = -1, hitY = -1;
  for (int y = 0; y < 300 && hitX < 0; ++y)
    for (int x = f.chart.ChartRect.Right; x < 400 && hitX < 0; ++x)
      if (f.chart.GetLegend()->Clicked(x, y) == 2) {
        hitX = x;
        hitY = y;
      }
  ASSERT_GE(hitX, 0);
  f.chart.MouseDown(mbRight, ssRight, hitX, hitY);
  f.chart.MouseUp(mbRight, 0, hitX, hitY);
  ChartEditorServices().EditSeries = saved;
  EXPECT_EQ(edited, f.series);
}

TEST(PointSeriesChart, ShiftRightClickOpensTheMenuOfThePartUnderTheMouse)
{
  PointChart f;
  f.Render();
  std::vector<int> menuSizes;
  const auto saved = TPopupMenu::TestAnswer;
  TPopupMenu::TestAnswer = [&](TPopupMenu* m) {
    menuSizes.push_back(m->Count());
    return -1;
  };
  TChartSeries* edited = nullptr;
  const auto savedEdit = ChartEditorServices().EditSeries;
  ChartEditorServices().EditSeries = [&](TChartSeries* s) { edited = s; };
  // Over an axis: the axis menu, the axis remembered.
  const int ax = f.chart.GetLeftAxis()->PosAxis - 1, ay = f.chart.ChartRect.Top + 40;
  f.chart.MouseDown(mbRight, ssRight | ssShift, ax, ay);
  f.chart.MouseUp(mbRight, 0, ax, ay);
  EXPECT_EQ(f.chart.ClickedAxis, f.chart.GetLeftAxis());
  EXPECT_TRUE(f.chart.MenuMode);
  // Over a point: the series menu (series are hit in menu mode without click events).
  const int px = f.series->CalcXPos(2), py = f.series->CalcYPos(2);
  f.chart.MouseDown(mbRight, ssRight | ssShift, px, py);
  f.chart.MouseUp(mbRight, 0, px, py);
  EXPECT_EQ(f.chart.ClickedSeries, f.series);
  // Over the legend: the legend menu, and no series editor.
  const TRect lb = f.chart.GetLegend()->ShapeBounds;
  f.chart.MouseDown(mbRight, ssRight | ssShift, (lb.Left + lb.Right) / 2, lb.Top + 8);
  f.chart.MouseUp(mbRight, 0, (lb.Left + lb.Right) / 2, lb.Top + 8);
  TPopupMenu::TestAnswer = saved;
  ChartEditorServices().EditSeries = savedEdit;
  EXPECT_EQ(menuSizes.size(), 3u);
  EXPECT_EQ(edited, nullptr);
  // None of them started a scroll with the right button.
  EXPECT_FALSE(f.chart.IsScrolling());
  EXPECT_TRUE(f.chart.RangesFree());
}

TEST(PointSeriesChart, DragAndWheelThroughTheWindowSystem)
{
  PointChart f;
  f.chart.PaintBuffer();
  TChartAxis* left = f.chart.GetLeftAxis();
  const double l0 = left->GetMinimum(), l1 = left->GetMaximum();
  const TRect r = f.chart.ChartRect;
  testinput::MouseDown(&f.chart, mbLeft, r.Left + 30, r.Top + 30);
  testinput::MouseMove(&f.chart, r.Left + 90, r.Top + 80, ssLeft);
  testinput::MouseMove(&f.chart, r.Left + 130, r.Top + 120, ssLeft);
  testinput::MouseUp(&f.chart, mbLeft, r.Left + 130, r.Top + 120);
  EXPECT_TRUE(f.chart.Zoomed);
  EXPECT_GT(left->GetMinimum(), l0);
  EXPECT_LT(left->GetMaximum(), l1);
  f.chart.UndoZoom();
  f.chart.PaintBuffer();
  EXPECT_DOUBLE_EQ(left->GetMinimum(), l0);
  testinput::Wheel(&f.chart, -120, 100, 100);
  EXPECT_NEAR(left->GetMinimum(), l0 + (l1 - l0) * 0.03, 1e-9);
}

}  // namespace
