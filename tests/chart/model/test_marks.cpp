// Series marks: stored positions, custom and fixed-arrow marks, hit tests with DrawEvery,
// anti-overlap, callout lengths, per-point items and the parts made on first read.
#include <gtest/gtest.h>

#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineStream.h"

namespace {

TSeriesMarkPosition Pos(int left, int top, int w, int h)
{
  TSeriesMarkPosition p;
  p.TopLeft = {left, top};
  p.Width = w;
  p.Height = h;
  p.ArrowStart = {left + w / 2, top + h + 10};
  p.ArrowEnd = {left + w / 2, top + h};
  return p;
}

TEST(MarksDefaults, AsCreated)
{
  TSeriesMarks m(nullptr);
  EXPECT_FALSE(m.GetVisible());
  EXPECT_EQ(m.GetColor(), clInfoBk);
  EXPECT_EQ(m.GetBackColor(), clInfoBk);
  EXPECT_EQ(m.GetStyle(), smsLabel);
  EXPECT_EQ(m.GetDrawEvery(), 1);
  EXPECT_EQ(m.GetShadow()->GetColor(), clGray);
  EXPECT_EQ(m.GetShadow()->GetSize(), 1);
  EXPECT_EQ(m.GetGradient()->GetDirection(), 3);
  EXPECT_EQ(m.GetGradient()->GetStartColor(), clSilver);
  EXPECT_EQ(m.GetGradient()->GetEndColor(), clWhite);
  EXPECT_EQ(m.Items(2)->GetShadow()->GetColor(), clGray);
  EXPECT_EQ(m.Items(2)->GetColor(), clInfoBk);
}

TEST(MarksParts, CalloutAndSymbolMadeOnFirstReadAndFreedByNil)
{
  TSeriesMarks m(nullptr);
  EXPECT_FALSE(m.HasCallout());
  EXPECT_FALSE(m.HasSymbol());
  EXPECT_EQ(m.GetArrowLength(), 8);
  EXPECT_TRUE(m.HasCallout());
  EXPECT_FALSE(m.GetCallout()->GetVisible());
  EXPECT_FALSE(m.GetCallout()->IsLengthStored());
  m.SetArrowLength(3);
  EXPECT_TRUE(m.GetCallout()->IsLengthStored());
  m.SetCallout(nullptr);
  EXPECT_FALSE(m.HasCallout());
  EXPECT_FALSE(m.GetSymbol()->GetVisible());
  EXPECT_TRUE(m.HasSymbol());
}

TEST(MarksParts, CalloutLengthMovesTheMarkUp)
{
  TMarksCallout c(nullptr);
  c.SetDistance(2);
  TSeriesMarkPosition p = Pos(10, 50, 30, 12);
  c.ApplyArrowLength(p);
  EXPECT_EQ(p.TopLeft.y, 40);
  EXPECT_EQ(p.ArrowEnd.y, 62 - 10);
  EXPECT_EQ(p.ArrowStart.y, 72 - 2);
  // A callout's own defaults.
  TCallout plain(nullptr);
  EXPECT_TRUE(plain.GetVisible());
  EXPECT_FALSE(plain.GetDraw3D());
  EXPECT_EQ(plain.GetArrowHeadSize(), 8);
  EXPECT_EQ(plain.GetArrowHead(), ahNone);
  EXPECT_EQ(plain.GetColor(), clBlack);
}

TEST(MarksPositions, ListPadsAndSetPositionMakesCustom)
{
  TSeriesMarksPositions list;
  EXPECT_EQ(list.Position(3), nullptr);
  TSeriesMarkPosition p = Pos(1, 2, 3, 4);
  p.ArrowFixed = true;
  list.SetPosition(3, p);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Position(1), nullptr);
  ASSERT_NE(list.Position(3), nullptr);
  EXPECT_TRUE(list.Position(3)->Custom);
  EXPECT_FALSE(list.Position(3)->ArrowFixed);
  EXPECT_EQ(list.Position(3)->Bounds().Right, 4);
  EXPECT_EQ(list.Position(3)->Bounds().Bottom, 6);
  EXPECT_EQ(list.Position(-1), nullptr);
  EXPECT_EQ(list.Position(99), nullptr);
}

TEST(MarksPositions, CustomMarkKeepsItsPlaceAndFixedArrowItsStart)
{
  TSeriesMarks m(nullptr);
  TSeriesMarkPosition drawn = Pos(10, 10, 20, 10);
  m.UpdatePosition(2, drawn);
  ASSERT_NE(m.Positions().Position(2), nullptr);
  EXPECT_EQ(m.Positions().Position(2)->TopLeft.x, 10);

  // The user dragged the mark.
  m.Positions().SetPosition(2, Pos(100, 80, 20, 10));
  TSeriesMarkPosition again = Pos(12, 14, 20, 10);
  m.UpdatePosition(2, again);
  EXPECT_EQ(again.TopLeft.x, 100);
  EXPECT_EQ(again.TopLeft.y, 80);
  EXPECT_EQ(again.ArrowStart.x, 110);

  TSeriesMarkPosition fixed = Pos(12, 14, 20, 10);
  fixed.ArrowFixed = true;
  m.UpdatePosition(2, fixed);
  EXPECT_EQ(fixed.TopLeft.x, 100);
  EXPECT_EQ(fixed.ArrowStart.x, 22);
  EXPECT_EQ(fixed.ArrowStart.y, 34);
}

TEST(MarksClicked, OnlyEveryDrawEveryThStoredMark)
{
  TSeriesMarks m(nullptr);
  for (int i = 0; i < 7; ++i) {
    TSeriesMarkPosition p = Pos(i * 30, 10, 20, 10);
    m.UpdatePosition(i, p);
  }
  EXPECT_EQ(m.Clicked(35, 15), 1);
  m.SetDrawEvery(3);
  EXPECT_EQ(m.Clicked(35, 15), -1);
  EXPECT_EQ(m.Clicked(95, 15), 3);
  // Edges belong to the box.
  EXPECT_EQ(m.Clicked(180, 10), 6);
  EXPECT_EQ(m.Clicked(200, 20), 6);
  EXPECT_EQ(m.Clicked(201, 20), -1);
}

TEST(MarksOverlap, LaterMarkMovesBelowAnEqualTopOne)
{
  TSeriesMarks m(nullptr);
  TSeriesMarkPosition first = Pos(10, 50, 40, 12);
  m.UpdatePosition(0, first);
  TSeriesMarkPosition second = Pos(30, 50, 40, 12);
  m.AntiOverlap(0, 1, second);
  // The earlier box with its frame (1) and shadow (1) ends at 50 + 12 + 1 + 1.
  EXPECT_EQ(second.TopLeft.y, 64);
  EXPECT_EQ(second.ArrowEnd.y, 62 + 14);

  // A mark above the other moves further up.
  TSeriesMarkPosition third = Pos(30, 45, 40, 12);
  m.AntiOverlap(0, 1, third);
  // R.Top 45 < Ri.Top 50: D = R.Bottom (45 + 12 + 2) - 50 = 9.
  EXPECT_EQ(third.TopLeft.y, 36);

  // Marks apart do not move.
  TSeriesMarkPosition apart = Pos(200, 50, 40, 12);
  m.AntiOverlap(0, 1, apart);
  EXPECT_EQ(apart.TopLeft.y, 50);
}

TEST(MarksItems, ItemsPadByIndexAndOverrideTheLook)
{
  TSeriesMarks m(nullptr);
  EXPECT_EQ(m.MarkItem(4), &m);
  TMarksItem* item = m.Items(4);
  EXPECT_EQ(m.ItemsList().Count(), 5);
  EXPECT_EQ(m.MarkItem(4), item);
  EXPECT_EQ(m.MarkItem(3), &m);
  EXPECT_FALSE(item->HasText());
  item->GetText()->push_back("first");
  EXPECT_TRUE(item->HasText());
  item->SetText(nullptr);
  EXPECT_FALSE(item->HasText());

  // Positions go on ClearData; items stay when they were read from a stream.
  TSeriesMarkPosition p = Pos(0, 0, 5, 5);
  m.UpdatePosition(0, p);
  m.ItemsList().ReadFromStream = true;
  m.ClearData();
  EXPECT_EQ(m.Positions().Count(), 0);
  EXPECT_EQ(m.MarkItem(4), item);
  m.ItemsList().ReadFromStream = false;
  m.ClearData();
  EXPECT_EQ(m.MarkItem(4), &m);
}

TEST(MarksItems, ItemsAndPositionsFarPastThePointCountAreRefused)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 3; ++i) s.AddXY(i, i);
  TSeriesMarks* m = s.GetMarks();
  // Up to 1000 past the point count the lists pad as before.
  EXPECT_NE(m->Items(3 + 1000), nullptr);
  ASSERT_THROW(m->Items(3 + 1001), ChartException);
  EXPECT_THROW(m->Items(200000000), ChartException);
  EXPECT_EQ(m->ItemsList().Count(), 1004);
  m->Positions().SetPosition(3 + 1000, Pos(1, 2, 3, 4));
  ASSERT_THROW(m->Positions().SetPosition(3 + 1001, Pos(1, 2, 3, 4)), ChartException);
  EXPECT_THROW(m->Positions().SetPosition(200000000, Pos(1, 2, 3, 4)), ChartException);
  EXPECT_THROW(m->Positions().Ensure(200000000), ChartException);
  EXPECT_EQ(m->Positions().Count(), 1004);
  // Marks of no series count no points.
  TSeriesMarks lone(nullptr);
  EXPECT_NE(lone.Items(1000), nullptr);
  EXPECT_THROW(lone.Items(1001), ChartException);
  EXPECT_THROW(lone.Positions().SetPosition(1001, Pos(1, 2, 3, 4)), ChartException);
}

TEST(MarksItems, AssignCopiesSettingsAndItems)
{
  TSeriesMarks a(nullptr), b(nullptr);
  a.SetAngle(90);
  a.SetDrawEvery(2);
  a.SetStyle(smsXY);
  a.SetClip(true);
  a.SetMultiLine(true);
  a.Items(1)->SetColor(clRed);
  a.SetArrowLength(0);
  b.Assign(&a);
  EXPECT_EQ(b.GetAngle(), 90);
  EXPECT_EQ(b.GetDrawEvery(), 2);
  EXPECT_EQ(b.GetStyle(), smsXY);
  EXPECT_TRUE(b.GetClip());
  EXPECT_TRUE(b.GetMultiLine());
  EXPECT_EQ(b.Items(1)->GetColor(), clRed);
  EXPECT_EQ(b.GetArrowLength(), 0);
}

TSeriesMarks* FilledItems(TSeriesMarks& m)
{
  m.Items(0)->SetColor(clRed);
  m.Items(0)->GetText()->assign({"first line", std::string(300, 'x')});
  m.Items(0)->GetFont()->SetStyle(fsBold | fsUnderline);
  m.Items(0)->GetFont()->SetName("DejaVu Sans");
  m.Items(3)->SetBevel(bvRaised);
  m.Items(3)->SetShapeStyle(fosRoundRectangle);
  m.Items(3)->GetGradient()->SetVisible(true);
  m.Items(3)->SetTransparency(40);
  m.Items(3)->SetTransparent(true);
  m.Items(3)->GetShadow()->SetHorizSize(-2);
  return &m;
}

TEST(MarksStream, ItemsRoundTripByIndex)
{
  TSeriesMarks a(nullptr);
  FilledItems(a);
  TPropertyWriter writer;
  a.DefineProperties(&writer);
  ASSERT_EQ(writer.Values().count("Items"), 1u);
  const auto block = std::get<std::vector<uint8_t>>(writer.Values().at("Items"));

  TSeriesMarks b(nullptr);
  TPropertyReader reader(writer.Values());
  b.DefineProperties(&reader);
  EXPECT_EQ(b.ItemsList().Count(), 4);
  EXPECT_EQ(b.ItemsList().Find(1), nullptr);
  ASSERT_NE(b.ItemsList().Find(0), nullptr);
  EXPECT_EQ(b.Items(0)->GetColor(), clRed);
  EXPECT_EQ(*b.Items(0)->GetText(), *a.Items(0)->GetText());
  EXPECT_EQ(b.Items(0)->GetFont()->GetStyle(), fsBold | fsUnderline);
  EXPECT_EQ(b.Items(0)->GetFont()->GetName(), "DejaVu Sans");
  EXPECT_EQ(b.Items(3)->GetBevel(), bvRaised);
  EXPECT_EQ(b.Items(3)->GetShapeStyle(), fosRoundRectangle);
  EXPECT_TRUE(b.Items(3)->GetGradient()->GetVisible());
  EXPECT_EQ(b.Items(3)->GetTransparency(), 40);
  EXPECT_TRUE(b.Items(3)->GetTransparent());
  EXPECT_EQ(b.Items(3)->GetShadow()->GetHorizSize(), -2);
  EXPECT_EQ(b.WriteItems(), block);
  // Read items stay through ClearData.
  b.ClearData();
  EXPECT_NE(b.ItemsList().Find(3), nullptr);

  // Marks without items store nothing.
  TSeriesMarks none(nullptr);
  TPropertyWriter empty;
  none.DefineProperties(&empty);
  EXPECT_EQ(empty.Values().count("Items"), 0u);
}

TEST(MarksStream, DamagedBlocksAreRefusedWholeAndNeverApplied)
{
  TSeriesMarks a(nullptr);
  const std::vector<uint8_t> block = FilledItems(a)->WriteItems();
  TSeriesMarks b(nullptr);
  b.Items(5)->SetColor(clLime);
  const std::vector<uint8_t> before = b.WriteItems();
  // Every truncation and one byte too many.
  for (size_t n = 0; n < block.size(); ++n) {
    std::vector<uint8_t> cut(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(b.ReadItems(cut), EReadError) << "length " << n;
  }
  std::vector<uint8_t> longer = block;
  longer.push_back(0);
  EXPECT_THROW(b.ReadItems(longer), EReadError);
  // A count far beyond the block, a negative count, nested lists.
  std::vector<uint8_t> huge = block;
  huge[3] = 0x7F;
  EXPECT_THROW(b.ReadItems(huge), EReadError);
  huge[3] = 0xFF;
  EXPECT_THROW(b.ReadItems(huge), EReadError);
  std::vector<uint8_t> nested = {1, 0, 0, 0, 1, 1, 'T', 1};
  nested.insert(nested.end(), 100000, 1);
  EXPECT_THROW(b.ReadItems(nested), EReadError);
  EXPECT_EQ(b.WriteItems(), before);

  // Seeded mutations: each either reads whole or is refused, and nothing crashes.
  uint32_t seed = 99;
  auto next = [&](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  int refused = 0;
  for (int k = 0; k < 400; ++k) {
    std::vector<uint8_t> m = block;
    for (int j = 0; j < 3; ++j) m[next(static_cast<uint32_t>(m.size()))] = static_cast<uint8_t>(next(256));
    TSeriesMarks c(nullptr);
    try {
      c.ReadItems(m);
      c.WriteItems();
    } catch (const EReadError&) {
      ++refused;
      EXPECT_EQ(c.ItemsList().Count(), 0);
    }
  }
  EXPECT_GT(refused, 0);
}

TEST(MarksDraw, ZoomedThreeDMarkWritesItsTextInTheFontItMeasured)
{
  // A 3-D chart zoomed to 200 % with zoomed text: the mark's box is measured at the zoomed font,
  // and its text is written at that font too, filling the box as at 100 %.
  auto inkAndBox = [](int zoom, int32_t fontPixelsPerInch = TFont::PixelsPerInch) {
    TChart chart(nullptr);
    chart.SetBounds(0, 0, 400, 300);
    chart.SetView3D(true);
    chart.SetView3DWalls(false);
    chart.SetAxisVisible(false);
    chart.GetLegend()->SetVisible(false);
    chart.GetTitle()->SetVisible(false);
    chart.GetView3DOptions()->SetOrthogonal(true);
    chart.GetView3DOptions()->SetZoom(zoom);
    TChartSeries s(nullptr);
    s.AddXY(0, 0, "");
    s.AddXY(1, 1, "WWWW");
    s.AddXY(2, 2, "");
    TSeriesMarks* marks = s.GetMarks();
    marks->SetVisible(true);
    marks->SetTransparent(false);
    marks->SetColor(clYellow);
    marks->GetPen()->SetVisible(false);
    marks->GetShadow()->SetSize(0);
    marks->GetFont()->SetColor(clBlack);
    marks->GetFont()->SetPixelsPerInch(fontPixelsPerInch);  // keeps the height
    s.SetParentChart(&chart);
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(400, 300);
    chart.Draw(bmp.Canvas(), Rect(0, 0, 400, 300));
    int inkLeft = 400, inkRight = -1, boxLeft = 400, boxRight = -1;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) {
        const TColor c = bmp.Canvas()->GetPixel(x, y) & 0xFFFFFF;
        if (c == clBlack) inkLeft = std::min(inkLeft, x), inkRight = std::max(inkRight, x);
        if (c == clYellow) boxLeft = std::min(boxLeft, x), boxRight = std::max(boxRight, x);
      }
    s.SetParentChart(nullptr);
    return std::pair<int, int>{inkRight - inkLeft + 1, boxRight - boxLeft + 1};
  };
  const auto [ink100, box100] = inkAndBox(100);
  const auto [ink200, box200] = inkAndBox(200);
  ASSERT_GT(ink100, 0);
  ASSERT_GT(box100, 0);
  EXPECT_GT(box200, box100 * 3 / 2);
  // The text takes the same share of its box at both zooms.
  EXPECT_NEAR(static_cast<double>(ink200) / box200, static_cast<double>(ink100) / box100, 0.1)
      << "ink " << ink100 << " of " << box100 << " at 100 %, " << ink200 << " of " << box200 << " at 200 %";
  // A font of the same height whose size is taken at 72 pixels per inch is zoomed alike.
  EXPECT_EQ(inkAndBox(200, 72), inkAndBox(200));
}

}  // namespace
