#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <new>

#include <cmath>

#include "TestSupport.h"
#include "app/ProfileModel.h"
#include "app/PseudoSection2d.h"
#include "app/PseudoSection2dContour.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "platform/SysUtils.h"

using testsupport::BytesReadByProcess;
using testsupport::ExamplePath;
using testsupport::FieldPath;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

// Heap allocations made while Counting is set: a count of the reader's work.
std::atomic<bool> Counting{false};
std::atomic<uint64_t> Allocations{0};

}  // namespace

void* operator new(std::size_t size)
{
  if (Counting)
    ++Allocations;
  if (void* p = std::malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

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

// Why the reader refuses the text written as Name (expected to be refused).
std::string Refusal(const TempDir& dir, const std::string& name, const std::string& text)
{
  WriteAll(dir.file(name), text);
  fdata res, pol;
  std::string error;
  EXPECT_FALSE(ReadModelFile(dir.file(name), res, pol, &error)) << name;
  return error;
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
  auto reason = [&](const std::string& name, const std::string& text) { return Refusal(dir, name, text); };
  // A zero byte in a cell row, and in a line the reader only skips.
  EXPECT_NE(reason("zero.k2d", K2d("x", "", "", std::string("4\r\n1", 4) + std::string(1, '\0') + "6\r\n"))
                .find("zero byte in line 8"),
            std::string::npos);
  EXPECT_NE(reason("skipped.k2d", K2d("x", std::string("a\0b\r\n", 5), "", "4\r\n16\r\n")).find("zero byte in line 2"),
            std::string::npos);
  // A line longer than any real file has, before the keywords.
  EXPECT_NE(reason("long.k2d", "x\r\n" + std::string((2 << 20) + 1, 'n') + "\r\n" + good).find("longer than 2 MB"),
            std::string::npos);

  // 320 MB of zero bytes (a sparse file: no disk), as large as a model file may be, is refused after
  // the first block.
  const std::string zero = dir.file("zero320.k2d");
  { std::ofstream create(zero); }
  std::filesystem::resize_file(zero, uint64_t{320} << 20);
  const uint64_t before = BytesReadByProcess();
  fdata res, pol;
  std::string error;
  EXPECT_FALSE(ReadModelFile(zero, res, pol, &error));
  EXPECT_LT(BytesReadByProcess() - before, uint64_t{4} << 20);
  EXPECT_NE(error.find("zero byte in line 1"), std::string::npos) << error;
}

namespace {

// A ".k2d" model of nx x nz cell boundaries and `rows` rows of `width` cells, every number in the
// widest form the viewer writes. The cells vary along the profile and down, so contours cross them.
std::string SurveyModel(size_t nx, size_t nz, size_t rows, size_t width)
{
  std::string s = "x\r\nmodel\r\n1 2 3 0\r\n";
  for (size_t i = 0; i < nx; ++i) s += FloatToStrSci(10.0 * static_cast<double>(i)) + " ";
  s += "\r\n";
  for (size_t j = 0; j < nz; ++j) s += FloatToStrSci(2.0 * static_cast<double>(j * j + j)) + " ";
  s += "\r\n\r\n";
  for (size_t i = 0; i < rows; ++i) {
    for (size_t j = 0; j < width; ++j) s += FloatToStrSci(10.0 + static_cast<double>((i % 97) * (j + 1))) + " ";
    s += "\r\n";
  }
  return s;
}

// The growth of this process' peak resident memory while Work runs, in KB: the peak is set back to
// what is resident now first.
long PeakGrowthKB(const std::function<void()>& work)
{
  auto status = [](const std::string& key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
      if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
    return -1L;
  };
  { std::ofstream("/proc/self/clear_refs") << "5"; }
  const long resident = status("VmRSS:");
  work();
  return status("VmHWM:") - resident;
}

}  // namespace

// Long lines with close electrodes: thousands of columns and few layers are read whole, and the
// section chart draws them, dropping depths from the bottom while the grid holds more than 20000
// nodes and more than two depths are left, then positions along the line.
TEST(ModelFile, LongSurveyModelsAreReadWholeAndContoured)
{
  TempDir dir;
  TMessageCapture messages;
  TPseudoSection2d chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  struct Case {
    size_t nx, nz, keptX, keptDepths;
  };
  for (const Case& c : {Case{1500, 10, 1500, 10}, Case{4000, 30, 4000, 5}, Case{12000, 8, 10000, 2}}) {
    SCOPED_TRACE(std::to_string(c.nx) + " x " + std::to_string(c.nz));
    WriteAll(dir.file("long.k2d"), SurveyModel(c.nx, c.nz, c.nx - 1, c.nz - 1));
    fdata res, pol;
    std::string error;
    ASSERT_TRUE(ReadModelFile(dir.file("long.k2d"), res, pol, &error)) << error;
    ASSERT_EQ(res.X.size(), c.nx);
    ASSERT_EQ(res.Z.size(), c.nz);
    ASSERT_EQ(res.Values.size(), c.nx);
    for (const arofdouble& column : res.Values) ASSERT_EQ(column.size(), c.nz);
    EXPECT_DOUBLE_EQ(res.X.back(), 10.0 * static_cast<double>(c.nx - 1));
    EXPECT_DOUBLE_EQ(res.Values[c.nx - 1][c.nz - 1], 10.0 + static_cast<double>(((c.nx - 2) % 97) * (c.nz - 1)));
    ASSERT_EQ(res.Nodes.size(), c.nx);

    chart.SetNextNode(1);
    TPseudoSectionContour& contour = chart.Contour();
    contour.SetGridInput(res, res);
    chart.BuildSection(true);
    chart.UpdateLevels();
    chart.UpdateLayout();
    // The chart keeps the whole grid; what it contours is the thinned one.
    EXPECT_EQ(contour.GridDepths.size(), c.nz);
    EXPECT_EQ(contour.NextNode - 1, static_cast<int32_t>(c.keptX * c.keptDepths));
    EXPECT_EQ(contour.TriangleCount, static_cast<int32_t>(2 * (c.keptX - 1) * (c.keptDepths - 1)));
    const dVertex3d& last = contour.NodeTable[c.keptX * c.keptDepths];
    EXPECT_DOUBLE_EQ(last.inputX, res.X.back());
    EXPECT_DOUBLE_EQ(last.inputValue, res.Values[c.nx - 1][c.keptDepths - 1]);
    ASSERT_NE(chart.SectionPicture(), nullptr);
    // The picture holds the bands and spans the whole depth, so the rows kept lie at their own
    // depths on the section's panel.
    EXPECT_GT(chart.SectionPicture()->RecordCount(), 100u);
    EXPECT_DOUBLE_EQ(contour.PlotYMin, res.Z.front());
    EXPECT_DOUBLE_EQ(contour.PlotYMax, res.Z.back());
  }
}

// A model is bounded by its cells, 4194304 (2^22), and by 65536 boundaries along either axis. A larger
// one is refused before any grid is made, with a message that states the limit; memory follows what
// the file holds, not what its boundaries claim.
TEST(ModelFile, ModelsAreBoundedByTheirCells)
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
  const std::string limit = "(at most 4194304 cells and 65536 boundaries each way)";
  auto refused = [&](const std::string& name, const std::string& text) { return Refusal(dir, name, text); };

  // 2049 x 2049 boundaries are 2^22 cells: read whole.
  {
    Loaded largest = Read(dir, "largest.k2d", model(2049, 2049, rows(2048, 2048)));
    ASSERT_TRUE(largest.ok);
    ASSERT_EQ(largest.res.Values.size(), 2049u);
    EXPECT_EQ(largest.res.Values[2048].size(), 2049u);
    EXPECT_DOUBLE_EQ(largest.res.Values[2048][2048], 5.0);
  }
  // One boundary more either way is one column or layer of cells past the limit; the size alone
  // refuses it, before its rows (not even there) are looked for.
  EXPECT_EQ(refused("wide.k2d", model(2050, 2049, "")),
            "its grid of 2050 x 2049 cell boundaries is larger than the viewer reads " + limit);
  EXPECT_EQ(refused("deep.k2d", model(2049, 2050, "")),
            "its grid of 2049 x 2050 cell boundaries is larger than the viewer reads " + limit);
  // The boundaries along either axis, whatever the cells.
  EXPECT_EQ(refused("long.k2d", model(65537, 2, rows(65536, 1))),
            "its grid of 65537 x 2 cell boundaries is larger than the viewer reads " + limit);
  EXPECT_EQ(refused("deepest.k2d", model(2, 65537, rows(1, 65536))),
            "its grid of 2 x 65537 cell boundaries is larger than the viewer reads " + limit);
  // 65536 boundaries with every number in the widest form make a line of 1.5 MB: read.
  {
    Loaded longest = Read(dir, "longest.k2d", SurveyModel(65536, 2, 65535, 1));
    ASSERT_TRUE(longest.ok);
    EXPECT_EQ(longest.res.Values.size(), 65536u);
  }
  // The first cell row sets the width of the cell grid: a row wider than an axis may be, or one that
  // makes the rows more cells than the limit, is refused on that row.
  EXPECT_EQ(refused("row.k2d", model(3, 3, rows(2, 65536))),
            "a row of 65536 cells is wider than the viewer reads (at most 65535)");
  EXPECT_EQ(refused("rows.k2d", model(2049, 3, rows(1, 2049))),
            "2048 rows of 2049 cells are more than the viewer reads " + limit);

  // Boundaries that claim a huge grid with three numbers after them are refused at once, in a few MB:
  // beyond the limit, and within it (65536 x 65 boundaries are 4194240 cells, whose grid of nodes
  // alone would take 34 MB).
  const std::pair<size_t, size_t> claims[] = {{100000, 100000}, {65536, 65}, {2049, 2049}};
  for (const auto& [nx, nz] : claims) {
    const std::string name = "claim" + std::to_string(nx) + ".k2d";
    WriteAll(dir.file(name), model(nx, nz, "5 5 5\r\n"));
    fdata res, pol;
    std::string error;
    bool read = true;
    const long grewKB = PeakGrowthKB([&] { read = ReadModelFile(dir.file(name), res, pol, &error); });
    EXPECT_FALSE(read) << name;
    EXPECT_FALSE(error.empty()) << name;
    // The two lines of boundaries and what parsing them takes; the sanitizers keep what is freed.
    EXPECT_LT(grewKB, 16 * 1024) << name;
  }

  // More relief points than there is use for.
  std::string relief = "x\r\ntopo\r\n";
  for (size_t i = 0; i <= 65536; ++i) relief += std::to_string(i) + " 5\r\n";
  EXPECT_EQ(refused("relief.k2d", relief + K2d("", "", "", "4\r\n16\r\n").substr(2)),
            "the relief holds more than 65536 points");
}

// Blank lines before the keywords and in the relief are passed over, not made into strings one
// by one: refusing 40000 of them takes a few allocations a block read, not two or three a line.
TEST(ModelFile, BlankLinesAreNotReadOneByOne)
{
  TempDir dir;
  std::string blank;
  for (int i = 0; i < 20000; ++i) blank += std::string(40, ' ') + "\r\n";
  WriteAll(dir.file("blank.k2d"), "x\r\n" + blank + "topo\r\n" + blank);
  fdata res, pol;
  std::string error;
  Allocations = 0;
  Counting = true;
  const bool read = ReadModelFile(dir.file("blank.k2d"), res, pol, &error);
  Counting = false;
  EXPECT_FALSE(read);
  EXPECT_EQ(error, "no \"model\" line after the relief");
  EXPECT_LT(Allocations, 1000u);
}

// The relief is interpolated at every boundary: the longest model with as many relief points reads in
// seconds, not in minutes. A relief whose points are out of order interpolates as its table does.
TEST(ModelFile, LongestModelWithItsReliefReadsInSeconds)
{
  TempDir dir;
  std::string relief = "x\r\ntopo\r\n";
  for (size_t i = 0; i < 65536; ++i) relief += std::to_string(5 + 10 * i) + " " + std::to_string(i % 7) + "\r\n";
  WriteAll(dir.file("relief.k2d"), relief + SurveyModel(65536, 2, 65535, 1).substr(3));
  fdata res, pol;
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ReadModelFile(dir.file("relief.k2d"), res, pol, &error)) << error;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  ASSERT_EQ(res.ReliefAtX.size(), 65536u);
  EXPECT_DOUBLE_EQ(res.ReliefAtX[0], 0.0);             // before the first point: its height
  EXPECT_DOUBLE_EQ(res.ReliefAtX[1], -0.5);            // x 10, half way from heights 0 to -1
  EXPECT_DOUBLE_EQ(res.ReliefAtX[7], -3.0);            // x 70, half way from -6 to 0
  EXPECT_DOUBLE_EQ(res.ReliefAtX[65535], -0.5);        // x 655350, half way from 0 to -1
  EXPECT_DOUBLE_EQ(res.MaxRelief, 0.0);

  // Out of order, a boundary takes the first pair of neighbouring points around it.
  Loaded l = Read(dir, "unordered.k2d", K2d("x", "topo\r\n0 0\r\n20 10\r\n5 30\r\n15 40\r\n", "", "4\r\n16\r\n"));
  ASSERT_TRUE(l.ok);
  for (size_t i = 0; i < l.res.X.size(); ++i)
    EXPECT_DOUBLE_EQ(l.res.ReliefAtX[i], TableInterpolate(l.res.Relief, l.res.X[i])) << i;
  EXPECT_EQ(l.res.ReliefAtX, (arofdouble{0, -5, -40}));
}
