// The series "Data" stream: the block layout, which optional parts are stored, round trips of
// large series with labels, colours and X values, and damaged blocks refused with the series kept.
#include <gtest/gtest.h>

#include <cstring>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineStream.h"

namespace {

std::vector<uint8_t> Block(const TChartSeries& s)
{
  std::vector<uint8_t> b;
  WriteSeriesData(&s, b);
  return b;
}

double DoubleAt(const std::vector<uint8_t>& b, size_t offset)
{
  double d;
  std::memcpy(&d, b.data() + offset, 8);
  return d;
}

int32_t IntAt(const std::vector<uint8_t>& b, size_t offset)
{
  int32_t v;
  std::memcpy(&v, b.data() + offset, 4);
  return v;
}

// Every point of two series alike: values of every list, stored colours and labels.
void ExpectSamePoints(const TChartSeries& a, const TChartSeries& b)
{
  ASSERT_EQ(a.Count(), b.Count());
  for (int32_t i = 0; i < a.Count(); ++i) {
    ASSERT_EQ(a.XValues()->Value(i), b.XValues()->Value(i)) << i;
    ASSERT_EQ(a.YValues()->Value(i), b.YValues()->Value(i)) << i;
    ASSERT_EQ(a.GetStoredColor(i), b.GetStoredColor(i)) << i;
    ASSERT_EQ(a.Labels()->GetLabel(i), b.Labels()->GetLabel(i)) << i;
  }
}

}  // namespace

TEST(SeriesDataStream, LayoutAndFlags)
{
  TChartSeries s(nullptr);
  s.AddXY(0, 5);
  s.AddXY(1, 7);
  s.AddXY(2, 9);
  auto b = Block(s);
  ASSERT_EQ(b.size(), 1u + 4 + 3 * 8);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(IntAt(b, 1), 3);
  EXPECT_EQ(DoubleAt(b, 5), 5.0);
  EXPECT_EQ(DoubleAt(b, 21), 9.0);

  TChartSeries x(nullptr);
  x.AddXY(0, 5);
  x.AddXY(1, 7);
  x.AddXY(5, 9);
  b = Block(x);
  EXPECT_EQ(b[0], sdfXValues);
  EXPECT_EQ(b.size(), 1u + 4 + 3 * 16);
  x.UseXValuesInStream = false;
  EXPECT_EQ(GetSeriesDataFlags(&x), 0);

  // Colours equal to the series colour are not stored; another one is.
  TChartSeries c(nullptr);
  c.SetSeriesColor(clRed);
  c.AddXY(0, 1, "", clRed);
  c.AddXY(1, 1, "", clRed);
  EXPECT_EQ(GetSeriesDataFlags(&c), 0);
  c.AddXY(2, 1, "", clBlue);
  EXPECT_EQ(GetSeriesDataFlags(&c), sdfColors);
}

TEST(SeriesDataStream, EveryPointIsExamined)
{
  // X values, colours and labels that differ only far beyond the first points are stored.
  TChartSeries s(nullptr);
  s.XValues()->SetOrder(loNone);
  for (int i = 0; i < 12000; ++i) s.AddXY(i, i * 0.5);
  EXPECT_EQ(GetSeriesDataFlags(&s), 0);
  s.XValues()->SetValue(11000, 11000.5);
  s.SetValueColor(11500, clGreen);
  s.Labels()->SetLabel(10500, "far away");
  EXPECT_EQ(GetSeriesDataFlags(&s), sdfXValues | sdfColors | sdfLabels);

  TChartSeries back(nullptr);
  back.XValues()->SetOrder(loNone);
  ReadSeriesData(&back, Block(s));
  ExpectSamePoints(s, back);
  EXPECT_TRUE(back.ManualData);
  EXPECT_EQ(Block(back), Block(s));
}

TEST(SeriesDataStream, HorizontalSeriesAndOrder)
{
  TChartSeries h(nullptr);
  h.SetHorizontal();
  h.YValues()->SetOrder(loNone);
  h.AddXY(3.5, 0);
  h.AddXY(-1, 1);
  h.AddXY(2, 7);  // Y not the index: stored
  TChartSeries back(nullptr);
  back.SetHorizontal();
  back.YValues()->SetOrder(loNone);
  ReadSeriesData(&back, Block(h));
  ExpectSamePoints(h, back);

  // Points written out of order are sorted by an ascending X list.
  TChartSeries u(nullptr);
  u.XValues()->SetOrder(loNone);
  u.AddXY(5, 50, "five");
  u.AddXY(1, 10, "one");
  u.AddXY(3, 30);
  TChartSeries sorted(nullptr);
  ReadSeriesData(&sorted, Block(u));
  ASSERT_EQ(sorted.Count(), 3);
  EXPECT_EQ(sorted.XValues()->Value(0), 1);
  EXPECT_EQ(sorted.YValues()->Value(2), 50);
  EXPECT_EQ(sorted.Labels()->GetLabel(0), "one");
  EXPECT_EQ(sorted.Labels()->GetLabel(2), "five");
}

TEST(SeriesDataStream, MarkPositions)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 4; ++i) s.AddXY(i, i);
  TSeriesMarkPosition p;
  p.ArrowStart = {1, 2};
  p.ArrowEnd = {3, 4};
  p.TopLeft = {-5, 6};
  p.Width = 30;
  p.Height = 12;
  s.GetMarks()->Positions().SetPosition(2, p);
  auto b = Block(s);
  EXPECT_EQ(b[0], sdfMarkPositions);
  EXPECT_EQ(b.size(), 5u + 4 * (8 + SeriesMarkPositionSize));
  TChartSeries back(nullptr);
  ReadSeriesData(&back, b);
  const TSeriesMarkPosition* q = back.GetMarks()->Positions().Position(2);
  ASSERT_NE(q, nullptr);
  EXPECT_TRUE(q->Custom);
  EXPECT_EQ(q->TopLeft, (TPoint{-5, 6}));
  EXPECT_EQ(q->Width, 30);
  // Points without a stored position read back as not custom.
  for (int i : {0, 1, 3}) {
    const TSeriesMarkPosition* e = back.GetMarks()->Positions().Position(i);
    EXPECT_TRUE(!e || !e->Custom);
  }
}

TEST(SeriesDataStream, LongLabelRefusedBeforeWriting)
{
  TChartSeries s(nullptr);
  s.AddXY(0, 1, "short");
  s.AddXY(1, 1, std::string(255, 'a'));
  std::vector<uint8_t> out = {42};
  WriteSeriesData(&s, out);
  s.AddXY(2, 1, std::string(256, 'b'));
  std::vector<uint8_t> again = {42};
  EXPECT_THROW(WriteSeriesData(&s, again), ERangeError);
  EXPECT_EQ(again, std::vector<uint8_t>{42});
}

TEST(SeriesDataStream, DamagedBlocksAreRefusedAndTheSeriesKept)
{
  TChartSeries s(nullptr);
  for (int i = 0; i < 50; ++i) s.AddXY(i * 2, i, i % 7 ? "" : "L" + std::to_string(i), i % 5 ? clDefault : clRed);
  const auto good = Block(s);
  ASSERT_EQ(good[0], sdfXValues | sdfColors | sdfLabels);

  TChartSeries target(nullptr);
  target.AddXY(100, 200, "keep");
  auto expectKept = [&] {
    ASSERT_EQ(target.Count(), 1);
    EXPECT_EQ(target.XValues()->Value(0), 100);
    EXPECT_EQ(target.Labels()->GetLabel(0), "keep");
    EXPECT_EQ(target.UpdateCount(), 0);
  };
  // Every truncation, an extra byte, a count too high or negative, unknown flags, a label length
  // reaching past the end.
  for (size_t n = 0; n < good.size(); n += (n < 64 ? 1 : 37)) {
    EXPECT_THROW(ReadSeriesData(&target, good.data(), n), EReadError) << n;
    expectKept();
  }
  auto longer = good;
  longer.push_back(0);
  EXPECT_THROW(ReadSeriesData(&target, longer), EReadError);
  for (int32_t count : {51, -1, 0x7FFFFFFF}) {
    auto b = good;
    std::memcpy(b.data() + 1, &count, 4);
    EXPECT_THROW(ReadSeriesData(&target, b), EReadError) << count;
  }
  auto flags = good;
  flags[0] |= 0x10;
  EXPECT_THROW(ReadSeriesData(&target, flags), EReadError);
  // The first label (point 0, "L0") gets a length of 255.
  auto label = good;
  label[5 + 8 + 8 + 4] = 255;
  EXPECT_THROW(ReadSeriesData(&target, label), EReadError);
  expectKept();
  EXPECT_FALSE(target.ManualData);
}

TEST(SeriesDataStream, DataPropertyThroughTheFiler)
{
  TChartSeries s(nullptr);
  s.AddXY(0, 3);
  s.AddXY(1, 4);
  TPropertyWriter writer;
  DefineSeriesDataProperty(&s, &writer);
  EXPECT_EQ(writer.Values().count("Data"), 0u);  // not manual data: not stored
  s.ForceSaveData = true;
  DefineSeriesDataProperty(&s, &writer);
  ASSERT_EQ(writer.Values().count("Data"), 1u);

  TChartSeries back(nullptr);
  TPropertyReader reader(writer.Values());
  DefineSeriesDataProperty(&back, &reader);
  ExpectSamePoints(s, back);
  EXPECT_TRUE(back.ManualData);
}
