// Legend: layout arithmetic checked against the rules written out here (rows and columns for each
// side, margins, the hit test, inverted legends), then a real chart: styles, paging, check boxes
// and the pixels of a drawn legend.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/ChartLegendLayout.h"
#include "chart/model/NvEngineSeries.h"

namespace {

TLegendLayoutInput SideInput()
{
  TLegendLayoutInput in;
  in.Alignment = laRight;
  in.ChartRect = Rect(20, 30, 620, 430);  // 600 x 400
  in.ChartBounds = Rect(0, 0, 640, 480);
  in.ItemHeight = 16;
  in.TextWidth = 60;
  in.SymbolWidth = 12;
  in.TotalItems = 5;
  return in;
}

TEST(LegendLayout, SideLegendRowsAndBox)
{
  TLegendLayoutInput in = SideInput();
  TLegendLayout out = CalcLegendLayout(in);
  ASSERT_TRUE(out.HasBox);
  EXPECT_EQ(out.NumCols, 1);
  EXPECT_EQ(out.NumRows, 5);
  EXPECT_EQ(out.LastValue, 4);
  // Top at TopPos 10 % of the bounds' height.
  EXPECT_EQ(out.Box.Top, 48);
  // Height: 5 rows of 16 + 2 + 2 x round(1.6).
  EXPECT_EQ(out.Box.Bottom - out.Box.Top, 5 * 16 + 2 + 2 * 2);
  // Right legend: right := chart right - (shadow 0 + frame 0 + 1); width W + 10 + symbol.
  EXPECT_EQ(out.Box.Right, 619);
  EXPECT_EQ(out.Box.Right - out.Box.Left, 60 + 10 + 12);
  // HorizMargin 0 leaves 3 % of the chart width (18 px).
  EXPECT_EQ(out.ChartRect.Right, out.Box.Left - 18);
  in.HorizMargin = 5;
  EXPECT_EQ(CalcLegendLayout(in).ChartRect.Right, out.Box.Left - 5);
  // A left legend moves the chart's left edge.
  in.Alignment = laLeft;
  TLegendLayout left = CalcLegendLayout(in);
  EXPECT_EQ(left.Box.Left, 21);
  EXPECT_EQ(left.ChartRect.Left, left.Box.Right + 5);
  EXPECT_EQ(left.ChartRect.Right, 620);
}

TEST(LegendLayout, SideLegendShowsOnlyTheRowsThatFitAndNoMoreThanMaxNumRows)
{
  TLegendLayoutInput in = SideInput();
  in.TotalItems = 100;
  // Rows that fit: (400 - 0 - 48 + 30) div 16 = 23, then at most MaxNumRows (10).
  TLegendLayout out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumRows, 10);
  in.MaxNumRows = 50;
  out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumRows, (400 - 48 + 30) / 16);
  EXPECT_EQ(out.LastValue, out.NumRows - 1);
  // A legend top below the chart rectangle lists nothing and draws no box.
  in.TopPos = 95;
  out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumRows, 0);
  EXPECT_FALSE(out.HasBox);
  EXPECT_EQ(out.ChartRect, in.ChartRect);
}

TEST(LegendLayout, TopAndBottomColumnsRows)
{
  TLegendLayoutInput in = SideInput();
  in.Alignment = laTop;
  in.TotalItems = 30;
  in.MaxNumRows = 1;
  // A single-row legend puts all 30 in one row.
  TLegendLayout out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumCols, 30);
  EXPECT_EQ(out.NumRows, 1);
  EXPECT_EQ(out.LastValue, 29);
  // With MaxColumns the row is cut.
  in.MaxColumns = 7;
  EXPECT_EQ(CalcLegendLayout(in).NumCols, 7);
  in.MaxColumns = 0;
  // Several rows: columns from the chart width, item width symbol + W + 8.
  in.MaxNumRows = 3;
  out = CalcLegendLayout(in);
  const int itemWidth = 12 + 60 + 8;
  const int cols = (600 - 8) / itemWidth;
  EXPECT_EQ(out.NumCols, cols);
  EXPECT_EQ(out.NumRows, 3);  // 30 items need 5 rows, cut to 3
  EXPECT_EQ(out.LastValue, cols * 3 - 1);
  // Top legend: top := chart top + frame + 1; the chart's top moves under it by 4 % of the height.
  EXPECT_EQ(out.Box.Top, 31);
  EXPECT_EQ(out.ChartRect.Top, out.Box.Bottom + 16);
  // Width and horizontal centre (TopPos 10 shifts by 10 % of the free width).
  const int width = std::min(cols * (60 + 12) + 12 + (cols - 1) * 6 + 4, 600);
  const int half = width / 2;
  EXPECT_EQ(out.Box.Left, 320 - half + Round32(10 * (640 - 2.0 * half) * 0.01));
  EXPECT_EQ(out.Box.Right - out.Box.Left, 2 * half);
  // Bottom legend keeps its bottom and lifts the chart's bottom.
  in.Alignment = laBottom;
  in.VertMargin = 3;
  out = CalcLegendLayout(in);
  EXPECT_EQ(out.Box.Bottom, 430 - 1);
  EXPECT_EQ(out.ChartRect.Bottom, out.Box.Top - 3);
}

TEST(LegendLayout, RowLimitBelowOneIsASingleRow)
{
  TLegendLayoutInput in = SideInput();
  in.Alignment = laBottom;
  in.TotalItems = 12;
  in.MaxNumRows = 0;
  TLegendLayout out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumRows, 1);
  EXPECT_EQ(out.NumCols, 12);
  in.MaxNumRows = -4;
  EXPECT_EQ(CalcLegendLayout(in).NumRows, 1);
}

TEST(LegendLayout, NothingToListOrNoWidthGivesNoBox)
{
  TLegendLayoutInput in = SideInput();
  in.TotalItems = 0;
  EXPECT_FALSE(CalcLegendLayout(in).HasBox);
  in.Alignment = laTop;
  in.TotalItems = 4;
  in.ChartRect = Rect(0, 0, 30, 300);  // narrower than one item
  TLegendLayout out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumCols, 0);
  EXPECT_EQ(out.NumRows, 0);
  EXPECT_FALSE(out.HasBox);
}

TEST(LegendLayout, ExtraSpaceWidensASideLegendAndNarrowsItsClickableBox)
{
  TLegendLayoutInput in = SideInput();
  in.ExtraSpace = [](int32_t& size) { size = size == 0 ? 18 : size + 18; };
  TLegendLayout out = CalcLegendLayout(in);
  EXPECT_EQ(out.Box.Right - out.Box.Left, 60 + 10 + 12 + 18);
  const int y = out.ItemsTop + 1 + 8;
  EXPECT_EQ(LegendClickedItem(in, out, out.Box.Right - 5, y), -1);
  EXPECT_EQ(LegendClickedItem(in, out, out.Box.Right - 20, y), 0);
  // A bottom legend's offset grows instead.
  in.Alignment = laBottom;
  out = CalcLegendLayout(in);
  EXPECT_EQ(out.Box.Bottom, 430 - 19);
}

TEST(LegendHitTest, SideRowsFirstValueAndInverted)
{
  TLegendLayoutInput in = SideInput();
  in.FirstValue = 7;
  TLegendLayout out = CalcLegendLayout(in);
  const int x = (out.Box.Left + out.Box.Right) / 2;
  for (int r = 0; r < 5; ++r) EXPECT_EQ(LegendClickedItem(in, out, x, out.ItemsTop + 1 + 16 * r + 8), 7 + r);
  EXPECT_EQ(LegendClickedItem(in, out, out.Box.Left - 1, out.ItemsTop + 9), -1);
  EXPECT_EQ(LegendClickedItem(in, out, x, out.Box.Bottom + 1), -1);
  in.Inverted = true;
  for (int r = 0; r < 5; ++r) EXPECT_EQ(LegendClickedItem(in, out, x, out.ItemsTop + 1 + 16 * r + 8), 7 + 4 - r);
}

TEST(LegendHitTest, GridColumnsAndAPartialLastRow)
{
  TLegendLayoutInput in = SideInput();
  in.Alignment = laTop;
  in.TotalItems = 7;
  in.MaxNumRows = 4;
  TLegendLayout out = CalcLegendLayout(in);
  ASSERT_GE(out.NumCols, 4);
  const int cols = out.NumCols;
  const int colWidth = (out.Box.Right - out.Box.Left) / cols;
  auto at = [&](int r, int c) {
    return LegendClickedItem(in, out, out.Box.Left + 1 + colWidth * c + colWidth / 2, out.ItemsTop + 1 + 16 * r + 8);
  };
  for (int i = 0; i < 7; ++i) EXPECT_EQ(at(i / cols, i % cols), i);
  // Positions past the last item give -1.
  EXPECT_EQ(at(1, cols - 1), 7 < 2 * cols ? -1 : 2 * cols - 1);
  // Inverted: the listed items from the last to the first.
  in.Inverted = true;
  for (int i = 0; i < 7; ++i) EXPECT_EQ(at(i / cols, i % cols), 6 - i);
}

TEST(LegendLayout, ExtremeSizesStayInRange)
{
  // Values far beyond any screen are held, so no sum or product overflows (the sanitizers watch).
  for (int32_t big : {INT32_MAX, INT32_MIN, 1 << 30}) {
    TLegendLayoutInput in = SideInput();
    in.VertSpacing = big;
    in.ItemHeight = big;
    in.TextWidth = big;
    in.SymbolWidth = big;
    in.TopPos = big;
    in.HorizMargin = big;
    in.VertMargin = big;
    in.MaxNumRows = big;
    in.TotalItems = big;
    in.FirstValue = big;
    in.CustomLeft = big;
    in.ChartRect = Rect(big, big, big, big);
    for (TLegendAlignment a : {laLeft, laRight, laTop, laBottom}) {
      in.Alignment = a;
      for (bool custom : {false, true}) {
        in.CustomPosition = custom;
        TLegendLayout out = CalcLegendLayout(in);
        LegendItemPlace(in, out, big);
        LegendClickedItem(in, out, big, big);
        LegendClickedItem(in, out, 0, 0);
        EXPECT_LE(out.NumRows, 1 << 20);
      }
    }
  }
}

TEST(LegendLayout, ItemPlacesFollowColumnsAndSymbolSide)
{
  TLegendLayoutInput in = SideInput();
  in.Alignment = laTop;
  in.TotalItems = 6;
  in.MaxNumRows = 3;
  in.VertSpacing = 4;
  TLegendLayout out = CalcLegendLayout(in);
  TLegendItemPlace p = LegendItemPlace(in, out, 1);
  EXPECT_EQ(p.Column, 1);
  EXPECT_EQ(p.Row, 0);
  EXPECT_EQ(p.ColumnLeft, out.Box.Left + (60 + 12 + 6));
  EXPECT_EQ(p.SymbolX, p.ColumnLeft + 6);
  EXPECT_EQ(p.TextX, p.SymbolX + 12 + 4);
  EXPECT_EQ(p.Y, out.ItemsTop + 2);
  in.SymbolPosition = spRight;
  in.HasCheckBoxes = true;
  p = LegendItemPlace(in, out, 0);
  EXPECT_EQ(p.CheckBoxX, out.Box.Left + 4);
  EXPECT_EQ(p.TextX, out.Box.Left + 15 + 6);
  EXPECT_EQ(p.SymbolX, p.TextX + 60);
}

TEST(LegendLayout, CheckBoxesTakeOneWidthForMeasuringAndDrawing)
{
  // Top and bottom legends: the columns counted, the box and the items drawn all give each check
  // box the same 15 pixels, so the last item ends inside the box whatever the column count.
  for (const TLegendAlignment side : {laTop, laBottom}) {
    for (int items = 1; items <= 12; ++items) {
      TLegendLayoutInput in = SideInput();
      in.Alignment = side;
      in.ChartRect = Rect(0, 30, 2000, 430);
      in.ChartBounds = Rect(0, 0, 2000, 480);
      in.TextWidth = 40;
      in.TotalItems = items;
      in.MaxNumRows = 1;
      in.HasCheckBoxes = true;
      const TLegendLayout out = CalcLegendLayout(in);
      ASSERT_EQ(out.NumCols, items);
      const TLegendItemPlace last = LegendItemPlace(in, out, items - 1);
      const int textRight = last.TextX + in.TextWidth;
      EXPECT_LE(textRight, out.Box.Right) << items << " columns";
      // The same margin at the right as without check boxes (the centred box has an even width).
      in.HasCheckBoxes = false;
      const TLegendLayout plain = CalcLegendLayout(in);
      const TLegendItemPlace plainLast = LegendItemPlace(in, plain, items - 1);
      EXPECT_NEAR(out.Box.Right - textRight, plain.Box.Right - (plainLast.TextX + in.TextWidth), 1) << items << " columns";
      EXPECT_NEAR(out.Box.Width() - plain.Box.Width(), 15 * items, 1) << items << " columns";
    }
  }
  // Columns counted with the width the items are drawn at: as many fit as the box can hold.
  TLegendLayoutInput in = SideInput();
  in.Alignment = laTop;
  in.TotalItems = 30;
  in.MaxNumRows = 3;
  in.HasCheckBoxes = true;
  const TLegendLayout out = CalcLegendLayout(in);
  EXPECT_EQ(out.NumCols, (600 - 8) / (12 + 60 + 8 + 15));
}

TEST(LegendLayout, RightLegendWithCheckBoxesGrowsRightwards)
{
  // The check box column is added at the right: the left edge stays where it is without them.
  TLegendLayoutInput in = SideInput();
  const TLegendLayout plain = CalcLegendLayout(in);
  in.HasCheckBoxes = true;
  const TLegendLayout boxed = CalcLegendLayout(in);
  EXPECT_EQ(boxed.Box.Left, plain.Box.Left);
  EXPECT_EQ(boxed.Box.Right, plain.Box.Right + 15);
  EXPECT_EQ(boxed.ChartRect.Right, plain.ChartRect.Right);
  // A left legend likewise grows at its right.
  in.Alignment = laLeft;
  in.HasCheckBoxes = false;
  const TLegendLayout leftPlain = CalcLegendLayout(in);
  in.HasCheckBoxes = true;
  const TLegendLayout leftBoxed = CalcLegendLayout(in);
  EXPECT_EQ(leftBoxed.Box.Left, leftPlain.Box.Left);
  EXPECT_EQ(leftBoxed.Box.Right, leftPlain.Box.Right + 15);
}

// ---- A real chart ----

struct LegendChart {
  TChart chart{nullptr};
  std::vector<std::unique_ptr<TChartSeries>> series;
  LegendChart(int count, int points)
  {
    chart.SetBounds(0, 0, 640, 480);
    for (int i = 0; i < count; ++i) {
      auto s = std::make_unique<TChartSeries>(nullptr);
      s->SetTitle("S" + std::to_string(i));
      for (int p = 0; p < points; ++p) s->AddXY(p, p * (i + 1), "p" + std::to_string(p));
      s->SetParentChart(&chart);
      series.push_back(std::move(s));
    }
  }
  ~LegendChart()
  {
    for (auto& s : series) s->SetParentChart(nullptr);
  }
  TChartLegend* legend() { return chart.GetLegend(); }
};

TEST(LegendStyle, AutoListsPointsOfOneSeriesAndSeriesOfTwo)
{
  LegendChart one(1, 4);
  one.legend()->CalcLegendStyle();
  EXPECT_EQ(one.legend()->ResolvedStyle(), lsValues);
  LegendChart two(2, 4);
  two.legend()->CalcLegendStyle();
  EXPECT_EQ(two.legend()->ResolvedStyle(), lsSeries);
  // With check boxes it always lists series.
  one.legend()->SetCheckBoxes(true);
  one.legend()->CalcLegendStyle();
  EXPECT_EQ(one.legend()->ResolvedStyle(), lsSeries);
  EXPECT_TRUE(one.legend()->HasCheckBoxes());
  // An explicit style wins.
  two.legend()->SetLegendStyle(lsLastValues);
  EXPECT_EQ(two.legend()->ResolvedStyle(), lsLastValues);
}

TEST(LegendTexts, ItemsOfEachStyle)
{
  LegendChart c(2, 3);
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ListedTexts(0), (std::vector<std::string>{"S0", "S1"}));
  c.legend()->SetLegendStyle(lsValues);
  c.legend()->SetTextStyle(ltsPlain);
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ListedTexts(0), (std::vector<std::string>{"p0", "p1", "p2"}));
  // Two columns split at the separator: value, then label.
  c.legend()->SetTextStyle(ltsLeftValue);
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ListedTexts(0), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(c.legend()->ListedTexts(1), (std::vector<std::string>{"p0", "p1", "p2"}));
  c.legend()->SetInverted(true);
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ListedTexts(1), (std::vector<std::string>{"p2", "p1", "p0"}));
  // Last values: each series' last point.
  c.legend()->SetInverted(false);
  c.legend()->SetLegendStyle(lsLastValues);
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ListedTexts(0), (std::vector<std::string>{"2", "4"}));
  EXPECT_EQ(c.legend()->ListedTexts(1), (std::vector<std::string>{"p2", "p2"}));
  c.legend()->SetLegendStyle(lsValues);
  c.legend()->SetInverted(true);
  // The chart's event may change a text.
  c.chart.OnGetLegendText = [](TCustomChart*, TLegendStyle, int32_t index, std::string& text) {
    if (index == 1) text = "changed";
  };
  c.chart.Invalidate();
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ListedTexts(0)[1], "changed");
}

TEST(LegendPaging, ValuesLegendStartsAtThePageAndFirstValueRefusesNegatives)
{
  LegendChart c(1, 100);
  c.chart.SetMaxPointsPerPage(20);
  c.chart.SetPage(3);
  c.chart.PaintBuffer();
  EXPECT_EQ(c.legend()->ResolvedStyle(), lsValues);
  EXPECT_EQ(c.legend()->GetFirstValue(), 40);
  EXPECT_LE(c.legend()->TotalLegendItems(), 20);
  EXPECT_THROW(c.legend()->SetFirstValue(-1), LegendException);
  EXPECT_EQ(c.legend()->GetFirstValue(), 40);
}

TEST(LegendCheckBoxes, ToggleActiveOrTheAutoRangeFlags)
{
  LegendChart c(3, 4);
  TChartLegend* l = c.legend();
  l->SetCheckBoxes(true);
  c.chart.PaintBuffer();
  ASSERT_TRUE(l->HasCheckBoxes());
  EXPECT_FALSE(l->LegendClicked(0, 0, -1));
  EXPECT_TRUE(l->LegendClicked(0, 0, 1));
  EXPECT_FALSE(c.series[1]->GetActive());
  // Inactive series still count with check boxes: item 1 is still the second series.
  EXPECT_TRUE(l->LegendClicked(0, 0, 1));
  EXPECT_TRUE(c.series[1]->GetActive());
  c.chart.LegendCheckMode = 1;
  EXPECT_TRUE(l->LegendClicked(0, 0, 2));
  EXPECT_TRUE(c.series[2]->XAutoExcluded);
  EXPECT_TRUE(c.series[2]->GetActive());
  EXPECT_FALSE(l->IsItemChecked(c.series[2].get()));
  c.chart.LegendCheckMode = 2;
  EXPECT_TRUE(l->LegendClicked(0, 0, 0));
  EXPECT_TRUE(c.series[0]->YAutoExcluded);
  EXPECT_FALSE(c.series[0]->XAutoExcluded);
  // Radio: the clicked item's series becomes the only active one.
  l->SetCheckBoxesStyle(cbsRadio);
  EXPECT_TRUE(c.series[0]->GetActive());
  EXPECT_FALSE(c.series[1]->GetActive());
  EXPECT_FALSE(c.series[2]->GetActive());
  c.chart.LegendCheckMode = 0;
  EXPECT_TRUE(l->LegendClicked(0, 0, 2));
  EXPECT_FALSE(c.series[0]->GetActive());
  EXPECT_TRUE(c.series[2]->GetActive());
}

TEST(LegendSeries, ValuesItemsBelongToTheLegendSeriesAndARemovedSeriesIsForgotten)
{
  LegendChart c(2, 5);
  TChartLegend* l = c.legend();
  l->SetLegendStyle(lsValues);
  // Every item of a values legend stands for the legend's series, whatever its point index.
  EXPECT_EQ(l->ItemSeries(0), c.series[0].get());
  EXPECT_EQ(l->ItemSeries(4), c.series[0].get());
  l->SetSeries(c.series[1].get());
  EXPECT_EQ(l->ItemSeries(3), c.series[1].get());
  c.series[1]->SetParentChart(nullptr);
  EXPECT_EQ(l->GetSeries(), nullptr);
  EXPECT_EQ(l->LegendSeries(), c.series[0].get());
  l->SetLegendStyle(lsSeries);
  EXPECT_EQ(l->ItemSeries(0), c.series[0].get());
  EXPECT_EQ(l->ItemSeries(1), nullptr);
}

TEST(LegendDraw, BoxSymbolsAndChartRectangleOnABitmap)
{
  LegendChart c(2, 3);
  c.series[0]->SetSeriesColor(clRed);
  c.series[1]->SetSeriesColor(clBlue);
  c.chart.PaintBuffer();
  TChartLegend* l = c.legend();
  ASSERT_TRUE(l->LastLayout().HasBox);
  const TRect box = l->ShapeBounds;
  EXPECT_EQ(l->NumRows(), 2);
  // The chart rectangle ends left of the legend.
  EXPECT_LT(c.chart.ChartRect.Right, box.Left);
  TBitmap* b = c.chart.BackBuffer();
  auto pixel = [&](int x, int y) { return b->Canvas()->GetPixel(x, y) & 0xFFFFFF; };
  auto countIn = [&](const TRect& r, TColor color) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += pixel(x, y) == color;
    return n;
  };
  EXPECT_GT(countIn(l->Items()->Item(0).SymbolRect, clRed), 0);
  EXPECT_GT(countIn(l->Items()->Item(1).SymbolRect, clBlue), 0);
  EXPECT_EQ(countIn(l->Items()->Item(0).SymbolRect, clBlue), 0);
  // Clicking the second row finds the second series.
  const TRect sr = l->Items()->Item(1).SymbolRect;
  EXPECT_EQ(l->Clicked((box.Left + box.Right) / 2, (sr.Top + sr.Bottom) / 2), 1);
  // Hidden legend: nothing to draw.
  l->SetVisible(false);
  EXPECT_FALSE(l->ShouldDraw());
}

TEST(LegendDraw, TitleStaysInItsBoxOnLaterFramesWhateverAlignmentTheAxesLeft)
{
  LegendChart c(1, 5);
  TChartLegend* l = c.legend();
  l->SetAlignment(laBottom);
  l->GetTitle()->SetCaption("Title of the legend");
  for (int frame = 0; frame < 2; ++frame) {
    c.chart.Invalidate();
    c.chart.PaintBuffer();
  }
  const TRect title = l->GetTitle()->ShapeBounds;
  const TRect box = l->ShapeBounds;
  TBitmap* b = c.chart.BackBuffer();
  int inside = 0, leftOfBox = 0;
  for (int y = title.Top; y < title.Bottom; ++y)
    for (int x = 0; x < c.chart.GetWidth(); ++x) {
      const TColor p = b->Canvas()->GetPixel(x, y) & 0xFFFFFF;
      if (p != clBlack) continue;
      if (x >= box.Left && x <= box.Right) ++inside;
      else if (x < box.Left - 2) ++leftOfBox;
    }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(leftOfBox, 0);
}

TEST(LegendDraw, ExtremePropertiesDrawWithoutOverflow)
{
  LegendChart c(2, 3);
  TChartLegend* l = c.legend();
  l->SetVertSpacing(INT32_MAX);
  l->SetTopPos(INT32_MAX);
  l->SetColorWidth(INT32_MAX);
  l->SetHorizMargin(INT32_MIN);
  c.chart.PaintBuffer();
  l->SetAlignment(laBottom);
  l->SetMaxNumRows(INT32_MAX);
  l->SetCustomPosition(true);
  l->SetPositionUnits(muPercent);
  l->SetLeftPercent(INT32_MAX);
  l->SetTopPercent(INT32_MIN);
  c.chart.PaintBuffer();
  l->Clicked(INT32_MAX, INT32_MIN);
  SUCCEED();
}

TEST(LegendDraw, FontSeriesColorWritesEachItemInItsSeriesColour)
{
  LegendChart c(2, 3);
  c.series[0]->SetSeriesColor(clRed);
  c.series[1]->SetSeriesColor(clBlue);
  TChartLegend* l = c.legend();
  l->SetFontSeriesColor(true);
  l->GetSymbol()->SetVisible(false);
  c.chart.PaintBuffer();
  TBitmap* b = c.chart.BackBuffer();
  auto count = [&](int item, TColor color) {
    const TLegendItem& it = l->Items()->Item(item);
    const int h = b->Canvas()->TextHeight("W");
    int n = 0;
    for (int y = it.Top; y < it.Top + h; ++y)
      for (int x = it.Left; x < it.Left + it.TextWidth; ++x) n += (b->Canvas()->GetPixel(x, y) & 0xFFFFFF) == color;
    return n;
  };
  EXPECT_GT(count(0, clRed), 0);
  EXPECT_EQ(count(0, clBlue), 0);
  EXPECT_GT(count(1, clBlue), 0);
  EXPECT_EQ(count(1, clRed), 0);
}

TEST(LegendProperties, DefaultsAssignAndSymbolWidths)
{
  TChart chart(nullptr);
  TChartLegend* l = chart.GetLegend();
  EXPECT_EQ(l->GetAlignment(), laRight);
  EXPECT_EQ(l->GetMaxNumRows(), 10);
  EXPECT_EQ(l->GetTopPos(), 10);
  EXPECT_EQ(l->GetTextStyle(), ltsLeftValue);
  EXPECT_EQ(l->GetLegendStyle(), lsAuto);
  EXPECT_TRUE(l->GetResizeChart());
  EXPECT_TRUE(l->GetCurrentPage());
  EXPECT_EQ(l->GetPositionUnits(), muPixels);
  EXPECT_EQ(l->GetColor(), clWhite);
  EXPECT_EQ(l->GetColorWidth(), 20);
  EXPECT_FALSE(l->GetDividingLines()->GetVisible());
  EXPECT_EQ(l->GetGradient()->GetDirection(), 3);
  EXPECT_EQ(l->GetGradient()->GetStartColor(), clSilver);
  EXPECT_EQ(l->GetGradient()->GetEndColor(), clWhite);
  EXPECT_TRUE(l->GetTitle()->GetTransparent());
  EXPECT_TRUE(l->GetTitle()->GetFont()->GetStyle() & fsBold);
  EXPECT_EQ(l->GetTitle()->GetShadow()->GetSize(), 2);
  EXPECT_EQ(l->GetTitle()->GetShadow()->GetColor(), clSilver);
  EXPECT_EQ(l->GetSymbol()->GetWidthUnits(), lcsPercent);
  EXPECT_TRUE(l->GetSymbol()->GetDefaultPen());

  // Symbol widths: percent of the text width (rounded), pixels, hidden, squared.
  TLegendSymbol* sym = l->GetSymbol();
  EXPECT_EQ(sym->CalcWidth(100), 20);
  EXPECT_EQ(sym->CalcWidth(33), 7);  // 6.6
  sym->SetWidthUnits(lcsPixels);
  sym->SetWidth(12);
  EXPECT_EQ(sym->CalcWidth(500), 12);
  sym->SetSquared(true);
  EXPECT_EQ(sym->CalcWidth(500), std::max(0, l->LastItemHeight() - 5));
  sym->SetVisible(false);
  EXPECT_EQ(sym->CalcWidth(500), 0);

  // Assign copies the legend's settings and the position.
  TChart other(nullptr);
  TChartLegend* o = other.GetLegend();
  o->SetAlignment(laTop);
  o->SetCheckBoxes(true);
  o->SetMaxNumRows(3);
  o->SetInverted(true);
  o->SetTextStyle(ltsXAndPercent);
  o->SetVertSpacing(4);
  o->GetTitle()->SetCaption("T");
  o->SetLeft(33);
  l->Assign(o);
  EXPECT_EQ(l->GetAlignment(), laTop);
  EXPECT_TRUE(l->GetCheckBoxes());
  EXPECT_EQ(l->GetMaxNumRows(), 3);
  EXPECT_TRUE(l->GetInverted());
  EXPECT_EQ(l->GetTextStyle(), ltsXAndPercent);
  EXPECT_EQ(l->GetVertSpacing(), 4);
  EXPECT_EQ(l->GetTitle()->GetCaption(), "T");
  EXPECT_TRUE(l->GetCustomPosition());
  EXPECT_EQ(l->GetLeft(), 33);
  EXPECT_EQ(l->GetSymbol()->GetWidth(), 20);
}

TEST(LegendDraw, MarkupTextsAreMeasuredAsMarkup)
{
  LegendChart c(2, 3);
  c.series[0]->SetTitle("<b>Bold</b>");
  c.legend()->SetTextFormat(ttfHtml);
  c.chart.PaintBuffer();
  const int markupWidth = c.legend()->Items()->Item(0).TextWidth;
  c.chart.Canvas()->AssignFont(c.legend()->GetFont());
  EXPECT_GT(markupWidth, 0);
  EXPECT_LT(markupWidth, c.chart.Canvas()->TextWidth("<b>Bold</b>"));
}

}  // namespace
