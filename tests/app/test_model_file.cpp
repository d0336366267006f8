#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <cmath>

#include "TestSupport.h"
#include "app/ProfileModel.h"

using testsupport::BytesReadByProcess;
using testsupport::ExamplePath;
using testsupport::FieldPath;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

// A ".k2d" model: header number line, X line, Z line, a skipped line, then the cell rows.
std::string K2d(const std::string& first, const std::string& topo, const std::string& header,
                const std::string& cells)
{
  return first + "\r\n" + topo + "model\r\n" + header + "\r\n0 10 20\r\n0 5\r\ncells\r\n" + cells;
}

struct Loaded {
  bool ok = false;
  fdata res, pol;
};

Loaded Read(const TempDir& dir, const std::string& name, const std::string& text)
{
  WriteAll(dir.file(name), text);
  Loaded l;
  l.ok = ReadModelFile(dir.file(name), l.res, l.pol);
  return l;
}

}  // namespace

TEST(ModelFile, EtaFlagReliefAndHeader)
{
  TempDir dir;
  // Two X intervals, one Z interval; the eta block follows a separating line and another block.
  const std::string text = K2d("Model with ETA values", "topo\r\n0 25\r\n20 35\r\n5 6 7\r\n", "2 1 1 0.5",
                               "4\r\n16\r\nsep\r\n9\r\n9\r\n1\r\n3\r\n");
  Loaded l = Read(dir, "a.k2d", text);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.res.Present, 1);
  EXPECT_EQ(l.pol.Present, 1);
  EXPECT_EQ(l.res.Shown, 1);
  EXPECT_EQ(l.res.Relief, (arofcomplex{{0, -25}, {20, -35}}));  // the three-number line is ignored
  EXPECT_EQ(l.res.ReliefAtX, (arofdouble{-25, -30, -35}));
  EXPECT_EQ(l.pol.ReliefAtX, l.res.ReliefAtX);
  EXPECT_DOUBLE_EQ(l.res.MaxRelief, -25);
  EXPECT_DOUBLE_EQ(l.res.K, 0.5);
  EXPECT_EQ(l.res.X, (arofdouble{0, 10, 20}));
  EXPECT_EQ(l.pol.Z, (arofdouble{0, 5}));
  EXPECT_EQ(l.res.LogScale, 1);
  EXPECT_EQ(l.pol.LogScale, 0);
  EXPECT_EQ(l.res.FileName, dir.file("a.k2d"));
  // Nodes: the middle node of cells 4 and 16 is their geometric mean 8; the eta one the mean 2.
  ASSERT_EQ(l.res.Values.size(), 3u);
  ASSERT_EQ(l.res.Values[1].size(), 2u);
  EXPECT_NEAR(l.res.Values[1][0], 8.0, 1e-12);
  EXPECT_NEAR(l.res.Values[0][1], 4.0, 1e-12);
  EXPECT_NEAR(l.pol.Values[1][1], 2.0, 1e-12);
  EXPECT_DOUBLE_EQ(l.res.MinValue, 4.0);
  EXPECT_DOUBLE_EQ(l.res.MaxValue, 16.0);
  // Default placement along the plan x axis.
  EXPECT_DOUBLE_EQ(l.res.X1, 20);
  EXPECT_DOUBLE_EQ(l.res.PlanX1, 20);
  EXPECT_DOUBLE_EQ(l.res.Span(), 20);
}

TEST(ModelFile, MeansGeometricForLogScaleArithmeticOtherwise)
{
  TempDir dir;
  // A 2 x 2 cell grid of 1, 100, 1, 100: the middle node is 10 (geometric) or 50.5 (arithmetic).
  const std::string body = "x\r\nmodel\r\n\r\n0 10 20\r\n0 5 10\r\nskip\r\n1 100\r\n1 100\r\n";
  Loaded k = Read(dir, "m.k2d", body);
  Loaded o = Read(dir, "m.out", body);
  ASSERT_TRUE(k.ok);
  ASSERT_TRUE(o.ok);
  EXPECT_NEAR(k.res.Values[1][1], 10.0, 1e-12);
  EXPECT_NEAR(o.res.Values[1][1], 50.5, 1e-12);
  EXPECT_EQ(k.res.LogScale, 1);
  EXPECT_EQ(o.res.LogScale, 0);
  // Nodes of the resistivity half are geometric in both.
  EXPECT_NEAR(o.res.Nodes[1][1], 10.0, 1e-12);
  EXPECT_EQ(k.pol.Present, 0);
  // Without relief block: all zeros.
  EXPECT_EQ(k.res.ReliefAtX, (arofdouble{0, 0, 0}));
}

TEST(ModelFile, CellRowsAreKeptAsWideAsTheFirst)
{
  TempDir dir;
  // One Z interval but two cells per row: the bottom nodes take the second cell as well.
  Loaded l = Read(dir, "w.out", "x\r\nmodel\r\n\r\n0 10 20\r\n0 5\r\nskip\r\n4 100\r\n16 100 7\r\n");
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.res.Values.size(), 3u);
  ASSERT_EQ(l.res.Values[1].size(), 2u);
  EXPECT_DOUBLE_EQ(l.res.Values[1][0], 10.0);
  EXPECT_DOUBLE_EQ(l.res.Values[1][1], 55.0);
  EXPECT_DOUBLE_EQ(l.res.MaxValue, 58.0);
  // The fixed-mean grid has one node more than cells each way.
  ASSERT_EQ(l.res.Nodes.size(), 3u);
  EXPECT_EQ(l.res.Nodes[0].size(), 3u);
}

TEST(ModelFile, ChtHeaderAndSingleReliefPoint)
{
  TempDir dir;
  Loaded l = Read(dir, "c.CHT", "x\r\ntopo\r\n5 100\r\nmodel\r\n0 10 20\r\n0 5\r\n1 1 1\r\n7\r\n8\r\n");
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.res.K, 0.0);
  EXPECT_EQ(l.res.Relief.size(), 1u);
  EXPECT_EQ(l.res.ReliefAtX, (arofdouble{0, 0, 0}));
  EXPECT_NEAR(l.res.Values[2][0], 8.0, 1e-12);
}

TEST(ModelFile, NonPositiveCellsGiveFiniteNodes)
{
  TempDir dir;
  Loaded l = Read(dir, "z.k2d", K2d("x", "", "", "0\r\n-4\r\n"));
  ASSERT_TRUE(l.ok);
  for (const auto& row : l.res.Values)
    for (double v : row)
      EXPECT_TRUE(std::isfinite(v));
  EXPECT_DOUBLE_EQ(l.res.Values[1][0], -2.0);  // no positive cell: arithmetic mean
  Loaded m = Read(dir, "y.k2d", K2d("x", "", "", "0\r\n9\r\n"));
  ASSERT_TRUE(m.ok);
  EXPECT_DOUBLE_EQ(m.res.Values[1][0], 9.0);  // the positive cells only
}

TEST(ModelFile, RefusesBrokenFiles)
{
  TempDir dir;
  fdata res, pol;
  res.FileName = "kept";
  EXPECT_FALSE(ReadModelFile(dir.file("missing.k2d"), res, pol));
  const std::pair<const char*, std::string> broken[] = {
      {"nokey.k2d", "x\r\n1 2\r\n3 4\r\n"},
      {"lastline.k2d", "x\r\n1 2\r\nmodel\r\n"},
      {"notopoend.k2d", "x\r\ntopo\r\n1 2\r\n3 4\r\n"},
      {"ext.txt", K2d("x", "", "", "1\r\n2\r\n")},
      {"missingrow.k2d", K2d("x", "", "", "1\r\n")},
      {"shortrow.k2d", "x\r\nmodel\r\n\r\n0 1 2\r\n0 5 9\r\n\r\n1 2\r\n3\r\n"},
      {"shorterthanfirst.k2d", "x\r\nmodel\r\n\r\n0 1 2\r\n0 5\r\n\r\n1 2\r\n3\r\n"},
      {"onex.k2d", "x\r\nmodel\r\n\r\n0\r\n0 5\r\n\r\n1\r\n"},
      {"onez.k2d", "x\r\nmodel\r\n\r\n0 1\r\n5\r\n\r\n1\r\n"},
      {"xdown.k2d", "x\r\nmodel\r\n\r\n2 1\r\n0 5\r\n\r\n1\r\n"},
      {"xflat.k2d", "x\r\nmodel\r\n\r\n1 1\r\n0 5\r\n\r\n1\r\n"},
      {"zdown.k2d", "x\r\nmodel\r\n\r\n0 1\r\n5 0\r\n\r\n1\r\n"},
      {"zlast0.k2d", "x\r\nmodel\r\n\r\n0 1\r\n-5 0\r\n\r\n1\r\n"},
      {"empty.k2d", ""},
  };
  // Each refusal says why, for the message the viewer shows.
  const std::map<std::string, std::string> reasons = {
      {"nokey.k2d", "\"topo\" or \"model\""}, {"notopoend.k2d", "after the relief"},
      {"ext.txt", "extension"}, {"missingrow.k2d", "row of cells"}, {"shortrow.k2d", "shorter"},
      {"onex.k2d", "fewer than two"}, {"xdown.k2d", "do not increase"}, {"zlast0.k2d", "depth boundaries"},
  };
  for (const auto& [name, text] : broken) {
    WriteAll(dir.file(name), text);
    std::string error;
    EXPECT_FALSE(ReadModelFile(dir.file(name), res, pol)) << name;
    EXPECT_FALSE(ReadModelFile(dir.file(name), res, pol, &error)) << name;
    EXPECT_FALSE(error.empty()) << name;
    if (auto it = reasons.find(name); it != reasons.end()) {
      EXPECT_NE(error.find(it->second), std::string::npos) << name << ": " << error;
    }
    EXPECT_EQ(res.FileName, "kept") << name;
  }
  std::string error;
  EXPECT_FALSE(ReadModelFile(dir.file("missing.k2d"), res, pol, &error));
  EXPECT_EQ(error, "the file does not exist");
}

TEST(ModelFile, EtaBlockEndingEarlyKeepsResistivity)
{
  TempDir dir;
  // The eta rows are missing their second row.
  Loaded l = Read(dir, "e.k2d", K2d("eta", "", "", "4\r\n16\r\nsep\r\n9\r\n9\r\n1\r\n"));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.res.Present, 1);
  EXPECT_EQ(l.pol.Present, 0);
  EXPECT_TRUE(l.pol.Values.empty());
  // Ending inside the skipped lines.
  Loaded m = Read(dir, "f.k2d", K2d("eta", "", "", "4\r\n16\r\nsep\r\n"));
  ASSERT_TRUE(m.ok);
  EXPECT_EQ(m.pol.Present, 0);
  // Either is said, for the viewer to report when it loads the file; a whole file says nothing.
  fdata res, pol;
  std::string error, notice = "stale";
  ASSERT_TRUE(ReadModelFile(dir.file("e.k2d"), res, pol, &error, &notice));
  EXPECT_EQ(notice, "its polarizability block is unusable (a row of cells is missing or shorter than the cell "
                    "boundaries need): only the resistivity is shown");
  ASSERT_TRUE(ReadModelFile(dir.file("f.k2d"), res, pol, &error, &notice));
  EXPECT_EQ(notice, "its polarizability block is unusable (it ends before its rows of cells): only the resistivity "
                    "is shown");
  ASSERT_TRUE(ReadModelFile(ExamplePath("demo-east.k2d"), res, pol, &error, &notice));
  EXPECT_EQ(pol.Present, 1);
  EXPECT_EQ(notice, "");
  // Content that is not text in the eta block refuses the whole file.
  WriteAll(dir.file("g.k2d"), K2d("eta", "", "", std::string("4\r\n16\r\nsep\r\n9\r\n9\r\n1\0\r\n3\r\n", 25)));
  EXPECT_FALSE(ReadModelFile(dir.file("g.k2d"), res, pol, &error, &notice));
  EXPECT_EQ(error, "it holds binary data (a zero byte in line 12)");
}

TEST(ModelFile, ExampleAndFieldFiles)
{
  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(ExamplePath("demo-east.k2d"), res, pol));
  EXPECT_EQ(pol.Present, 1);
  ASSERT_TRUE(ReadModelFile(ExamplePath("demo-north.cht"), res, pol));
  EXPECT_EQ(pol.Present, 0);
  EXPECT_EQ(res.X.size(), 9u);
  ASSERT_TRUE(ReadModelFile(ExamplePath("demo-diagonal.m2d"), res, pol));
  EXPECT_GT(res.Relief.size(), 1u);

  ASSERT_TRUE(ReadModelFile(FieldPath("line1.k2d"), res, pol));
  EXPECT_EQ(res.X.size(), 118u);
  EXPECT_EQ(res.Z.size(), 25u);
  EXPECT_EQ(pol.Present, 1);
  EXPECT_EQ(res.Values.size(), 118u);
  EXPECT_EQ(pol.Values[117].size(), 25u);
  EXPECT_EQ(res.Relief.front(), MakePair(0, -510.67));
  EXPECT_DOUBLE_EQ(res.ReliefAtX.front(), -510.67);  // X[0] = 2 lies between relief points of equal height
  EXPECT_NEAR(res.MaxRelief, -507.0, 1e-9);
  EXPECT_GT(res.MinValue, 0.0);
  EXPECT_LT(pol.MaxValue, 1000.0);

  ASSERT_TRUE(ReadModelFile(FieldPath("line3.cht"), res, pol));
  EXPECT_EQ(res.X.size(), 32u);
  EXPECT_EQ(pol.Present, 1);
  EXPECT_EQ(res.K, 0.0);
}

// Content that is not text is refused where it is met, with the reason, reading little of the file.
TEST(ModelFile, RefusesWhatIsNotTextWhereItIsMet)
{
  TempDir dir;
  const std::string good = K2d("x", "", "", "4\r\n16\r\n");
  ASSERT_TRUE(Read(dir, "good.k2d", good).ok);
  auto reason = [&](const std::string& name, const std::string& text) {
    WriteAll(dir.file(name), text);
    fdata res, pol;
    std::string error;
    EXPECT_FALSE(ReadModelFile(dir.file(name), res, pol, &error)) << name;
    return error;
  };
  // A zero byte in a cell row, and in a line the reader only skips.
  EXPECT_NE(reason("zero.k2d", K2d("x", "", "", std::string("4\r\n1", 4) + std::string(1, '\0') + "6\r\n"))
                .find("zero byte in line 8"),
            std::string::npos);
  EXPECT_NE(reason("skipped.k2d", K2d("x", std::string("a\0b\r\n", 5), "", "4\r\n16\r\n")).find("zero byte in line 2"),
            std::string::npos);
  // A line longer than any real file has, before the keywords.
  EXPECT_NE(reason("long.k2d", "x\r\n" + std::string((1 << 20) + 1, 'n') + "\r\n" + good).find("longer than 1 MB"),
            std::string::npos);

  // 512 MB of zero bytes (a sparse file: no disk) is refused after the first block.
  const std::string zero = dir.file("zero512.k2d");
  { std::ofstream create(zero); }
  std::filesystem::resize_file(zero, uint64_t{512} << 20);
  const uint64_t before = BytesReadByProcess();
  fdata res, pol;
  std::string error;
  EXPECT_FALSE(ReadModelFile(zero, res, pol, &error));
  EXPECT_LT(BytesReadByProcess() - before, uint64_t{4} << 20);
  EXPECT_NE(error.find("zero byte in line 1"), std::string::npos) << error;
}

// The largest model the viewer draws is 1024 boundaries each way; a larger one is refused before its
// grids are made, with a message that says so.
TEST(ModelFile, GridLargerThanTheViewerDrawsIsRefused)
{
  TempDir dir;
  auto boundaries = [](size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += std::to_string(i) + " ";
    return s;
  };
  auto rows = [](size_t count, size_t width) {
    std::string row;
    for (size_t j = 0; j < width; ++j) row += "5 ";
    std::string s;
    for (size_t i = 0; i < count; ++i) s += row + "\r\n";
    return s;
  };
  auto model = [&](size_t nx, size_t nz, const std::string& cells) {
    return "x\r\nmodel\r\n\r\n" + boundaries(nx) + "\r\n" + boundaries(nz) + "\r\n\r\n" + cells;
  };
  Loaded largest = Read(dir, "largest.k2d", model(1024, 3, rows(1023, 2)));
  ASSERT_TRUE(largest.ok);
  EXPECT_EQ(largest.res.Values.size(), 1024u);
  EXPECT_TRUE(Read(dir, "deep.k2d", model(3, 1024, rows(2, 1023))).ok);

  fdata res, pol;
  std::string error;
  // The cell rows are not even there: the size alone refuses it.
  WriteAll(dir.file("wide.k2d"), model(1025, 3, ""));
  EXPECT_FALSE(ReadModelFile(dir.file("wide.k2d"), res, pol, &error));
  EXPECT_EQ(error, "its grid of 1025 x 3 cell boundaries is larger than the viewer draws (at most 1024 each way)");
  WriteAll(dir.file("deeper.k2d"), model(3, 1025, ""));
  EXPECT_FALSE(ReadModelFile(dir.file("deeper.k2d"), res, pol, &error));
  EXPECT_NE(error.find("3 x 1025 cell boundaries is larger than the viewer draws"), std::string::npos) << error;
  // A first cell row wider than the grid the viewer draws, which would size the node grid.
  WriteAll(dir.file("row.k2d"), model(3, 3, rows(2, 100000)));
  EXPECT_FALSE(ReadModelFile(dir.file("row.k2d"), res, pol, &error));
  EXPECT_NE(error.find("a row of 100000 cells is wider than the viewer draws"), std::string::npos) << error;
  // More relief points than there is use for.
  std::string relief = "x\r\ntopo\r\n";
  for (size_t i = 0; i <= 65536; ++i) relief += std::to_string(i) + " 5\r\n";
  WriteAll(dir.file("relief.k2d"), relief + K2d("", "", "", "4\r\n16\r\n").substr(2));
  EXPECT_FALSE(ReadModelFile(dir.file("relief.k2d"), res, pol, &error));
  EXPECT_EQ(error, "the relief holds more than 65536 points");
}
