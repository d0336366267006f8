// Seeded mutations of "Data" blocks the writer produced: every block is either read whole or
// refused with the stream's read error and the series unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineStream.h"

namespace {

std::vector<uint8_t> Mutate(std::vector<uint8_t> b, std::mt19937& rng)
{
  auto r = [&](size_t n) { return n ? rng() % n : 0; };
  for (int k = 1 + static_cast<int>(r(3)); k > 0; --k) {
    switch (r(6)) {
      case 0:
        if (!b.empty()) b[r(b.size())] ^= static_cast<uint8_t>(1 << r(8));
        break;
      case 1: b.resize(r(b.size() + 1)); break;
      case 2:
        for (size_t n = 1 + r(9); n > 0; --n) b.insert(b.begin() + static_cast<std::ptrdiff_t>(r(b.size() + 1)), static_cast<uint8_t>(rng()));
        break;
      case 3:
        if (b.size() > 5) {
          const int32_t counts[] = {0, -1, 1, 0x7FFFFFFF, static_cast<int32_t>(0x80000000), 1000000};
          std::memcpy(b.data() + 1, &counts[r(std::size(counts))], 4);
        }
        break;
      case 4:
        if (b.size() > 13) {
          // A hostile double somewhere.
          const double d[] = {NAN, INFINITY, -INFINITY, 1e308, -0.0, 5e-324};
          std::memcpy(b.data() + 5 + r(b.size() - 13), &d[r(std::size(d))], 8);
        }
        break;
      default:
        if (!b.empty()) b[0] = static_cast<uint8_t>(r(16));
    }
  }
  return b;
}

std::vector<uint8_t> Block(const TChartSeries& s)
{
  std::vector<uint8_t> b;
  WriteSeriesData(&s, b);
  return b;
}

}  // namespace

TEST(HostileSeriesStream, MutatedBlocksReadWholeOrRefused)
{
  std::vector<std::vector<uint8_t>> seeds;
  for (int k = 0; k < 4; ++k) {
    TChartSeries s(nullptr);
    s.XValues()->SetOrder(loNone);
    for (int i = 0; i < 20 + k * 7; ++i)
      s.AddXY(k % 2 ? i * 1.5 : i, std::sin(i), i % 4 ? "" : "label " + std::to_string(i),
              i % 3 ? clDefault : static_cast<TColor>(i * 12345));
    if (k == 3) {
      TSeriesMarkPosition p;
      p.Width = 10;
      s.GetMarks()->Positions().SetPosition(3, p);
    }
    seeds.push_back(Block(s));
  }
  std::mt19937 rng(31);
  for (int i = 0; i < 3000; ++i) {
    const auto b = Mutate(seeds[rng() % seeds.size()], rng);
    TChartSeries target(nullptr);
    target.XValues()->SetOrder(i % 2 ? loAscending : loNone);
    target.AddXY(7, 8, "kept");
    try {
      ReadSeriesData(&target, b);
      EXPECT_TRUE(target.ManualData);
      // What was read writes and reads back the same.
      TChartSeries again(nullptr);
      again.XValues()->SetOrder(target.XValues()->GetOrder());
      const auto written = Block(target);
      ReadSeriesData(&again, written);
      EXPECT_EQ(Block(again), written);
    } catch (const EReadError&) {
      ASSERT_EQ(target.Count(), 1);
      EXPECT_EQ(target.Labels()->GetLabel(0), "kept");
      EXPECT_EQ(target.UpdateCount(), 0);
    }
  }
}
