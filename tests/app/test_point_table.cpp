#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/Project.h"
#include "app/SceneGeometry.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"

namespace fs = std::filesystem;
using testsupport::ExamplePath;
using testsupport::FieldPath;
using testsupport::ReadAll;
using testsupport::ReadLines;
using testsupport::TempDir;
using testsupport::WriteAll;

TEST(ConvertPointTable, FourPointsInAnyOrderGiveOneCell)
{
  TempDir dir;
  WriteAll(dir.file("t.dat"), "x depth value\n100 10 7\n0 10 3\n1 2\n100 0 5\n0 0 1 99\n");
  ASSERT_TRUE(ConvertPointTable(dir.file("t.dat")));
  const auto lines = ReadLines(dir.file("t.out"));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "topo");
  EXPECT_EQ(lines[2], " 0.00000000000000E+0000  0.00000000000000E+0000");
  EXPECT_EQ(lines[3], " 1.00000000000000E+0002  0.00000000000000E+0000");
  EXPECT_EQ(lines[4], "model");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "0.000 100.000");
  EXPECT_EQ(lines[7], "0.000 10.000");
  EXPECT_EQ(lines[8], "");
  EXPECT_EQ(lines[9], "4.000");
  EXPECT_NE(ReadAll(dir.file("t.out")).find("topo\r\n"), std::string::npos);

  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(dir.file("t.out"), res, pol));
  EXPECT_EQ(res.X, (arofdouble{0, 100}));
  EXPECT_EQ(res.Z, (arofdouble{0, 10}));
  EXPECT_EQ(res.LogScale, 0);
  EXPECT_DOUBLE_EQ(res.Values[0][0], 4.0);
}

TEST(ConvertPointTable, DepthsStartAtZeroAndTopsBecomeRelief)
{
  TempDir dir;
  // Three x, three depths starting at 2; sorted with ties by depth.
  std::string t;
  for (int x : {20, 0, 10})
    for (int z : {8, 2, 4})
      t += std::to_string(x) + "\t" + std::to_string(z) + "\t" + std::to_string(x + z) + "\n";
  WriteAll(dir.file("g.dat"), t);
  ASSERT_TRUE(ConvertPointTable(dir.file("g.dat")));
  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(dir.file("g.out"), res, pol));
  EXPECT_EQ(res.X, (arofdouble{0, 10, 20}));
  EXPECT_EQ(res.Z, (arofdouble{0, 2, 6}));
  EXPECT_EQ(res.Relief, (arofcomplex{{0, -2}, {10, -2}, {20, -2}}));
  // Column 1 (x 10 to 20): corners at depths 2 and 4 hold 12, 22, 14, 24; at 4 and 8 hold 14, 24, 18, 28.
  const auto lines = ReadLines(dir.file("g.out"));
  EXPECT_EQ(lines.back(), "18.000 21.000");
}

TEST(ConvertPointTable, RefusesTablesWithoutAGrid)
{
  TempDir dir;
  TMessageCapture refusals;
  const std::pair<const char*, const char*> refused[] = {
      {"empty.dat", "x depth value\n1 2\n"},
      {"irregular.dat", "0 0 1\n0 10 2\n100 0 3\n100 10 4\n100 20 5\n"},
      {"onex.dat", "0 0 1\n0 10 2\n"},
      {"onedepth.dat", "0 0 1\n10 0 2\n"},
  };
  for (const auto& [name, text] : refused) {
    WriteAll(dir.file(name), text);
    EXPECT_FALSE(ConvertPointTable(dir.file(name))) << name;
    EXPECT_FALSE(fs::exists(ChangeFileExt(dir.file(name), ".out"))) << name;
  }
  EXPECT_FALSE(ConvertPointTable(dir.file("missing.dat")));
  // Each refusal says why.
  ASSERT_EQ(refusals.Messages().size(), 5u);
  EXPECT_NE(refusals.Messages()[0].find("no line of three numbers"), std::string::npos);
  EXPECT_NE(refusals.Messages()[1].find("no regular grid"), std::string::npos);
  EXPECT_NE(refusals.Messages()[4].find("cannot be read"), std::string::npos);

  // The model cannot be written: reported, not swallowed.
  TMessageCapture messages;
  WriteAll(dir.file("blocked.dat"), "0 0 1\n0 10 3\n100 0 5\n100 10 7\n");
  fs::create_directory(dir.file("blocked.out"));
  EXPECT_FALSE(ConvertPointTable(dir.file("blocked.dat")));
  EXPECT_EQ(messages.Messages().size(), 1u);
}

// What is written is a model that reads: a table whose model the viewer would refuse is refused
// with the reader's reason, and an earlier model stays as it was.
TEST(ConvertPointTable, WritesOnlyModelsThatRead)
{
  TempDir dir;
  TMessageCapture refusals;
  const std::pair<const char*, const char*> refused[] = {
      {"twice", "0 10 4\n0 10 4\n100 20 5\n100 20 5\n"},
      {"large", "0 0 1e308\n0 10 1e308\n100 0 1e308\n100 10 1e308\n"},
  };
  for (const auto& [name, text] : refused) {
    WriteAll(dir.file(std::string(name) + ".dat"), text);
    WriteAll(dir.file(std::string(name) + ".out"), "earlier");
    EXPECT_FALSE(ConvertPointTable(dir.file(std::string(name) + ".dat"))) << name;
    EXPECT_EQ(ReadAll(dir.file(std::string(name) + ".out")), "earlier") << name;
  }
  EXPECT_EQ(refusals.Messages().size(), 2u);
  for (const std::string& m : refusals.Messages()) EXPECT_NE(m.find("was not converted: "), std::string::npos) << m;
  // Nothing else is left beside the tables.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 4);
}

// A table named "*.out" is not replaced by its own model.
TEST(ConvertPointTable, RefusesToWriteOverTheTableItself)
{
  TempDir dir;
  TMessageCapture messages;
  const std::string table = "0 0 1\n0 10 3\n100 0 5\n100 10 7\n";
  WriteAll(dir.file("t.out"), table);
  EXPECT_FALSE(ConvertPointTable(dir.file("t.out")));
  EXPECT_EQ(ReadAll(dir.file("t.out")), table);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].find("replace the table itself"), std::string::npos);
  // The same file reached through a link.
  fs::create_symlink(dir.file("t.out"), dir.file("link.dat"));
  fs::create_symlink(dir.file("t.out"), dir.file("link.out"));
  EXPECT_FALSE(ConvertPointTable(dir.file("link.dat")));
  EXPECT_EQ(ReadAll(dir.file("t.out")), table);
  EXPECT_TRUE(fs::is_symlink(dir.file("link.out")));
}

TEST(ConvertPointTable, FieldAndExampleTablesConvertAndLoad)
{
  TempDir dir;
  for (const std::string& src : {FieldPath("line1-points.dat"), ExamplePath("demo-points.dat")}) {
    const std::string copy = dir.file(ExtractFileName(src));
    fs::copy_file(src, copy);
    ASSERT_TRUE(ConvertPointTable(copy)) << src;
    fdata res, pol;
    ASSERT_TRUE(ReadModelFile(ChangeFileExt(copy, ".out"), res, pol)) << src;
    EXPECT_EQ(res.Present, 1);
    EXPECT_EQ(res.Z.front(), 0.0);
  }
  fdata res, pol;
  ASSERT_TRUE(ReadModelFile(dir.file("line1-points.out"), res, pol));
  EXPECT_EQ(res.X.size(), 117u);
  EXPECT_EQ(res.Z.size(), 24u);
  EXPECT_DOUBLE_EQ(res.X.front(), 3);
  EXPECT_DOUBLE_EQ(res.X.back(), 235);
  EXPECT_NEAR(res.Z.back(), 57.44 - 0.34, 1e-9);
  EXPECT_DOUBLE_EQ(res.ReliefAtX.front(), -0.34);
}

TEST(ExportPointTable, SectionsOfTheDisplayMode)
{
  TMessageCapture messages;
  TempDir dir;
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, nullptr, ExamplePath("demo.prj")));
  ASSERT_TRUE(ExportPointTable(s, dir.file("r.dat")));
  const auto lines = ReadLines(dir.file("r.dat"));
  // Every present section: a path line and one line per node.
  size_t expected = 0;
  for (const TProfileEntry& e : s.Profiles)
    expected += 1 + e[0].X.size() * e[0].Z.size();
  ASSERT_EQ(lines.size(), expected);
  EXPECT_EQ(lines[0], s.Profiles[0][0].FileName);
  // With polarizability five numbers, without four.
  EXPECT_EQ(SplitFloats(lines[1], 0).size(), 5u);
  const size_t second = 1 + s.Profiles[0][0].X.size() * s.Profiles[0][0].Z.size();
  EXPECT_EQ(lines[second], s.Profiles[1][0].FileName);
  EXPECT_EQ(SplitFloats(lines[second + 1], 0).size(), 4u);
  // First node of the first section: plan start, relief depth, its node values; k varies fastest.
  const fdata& r = s.Profiles[0][0];
  arofdouble v = SplitFloats(lines[2], 0);
  EXPECT_EQ(v[0], r.PlanX0);
  EXPECT_EQ(v[1], r.PlanY0);
  EXPECT_NEAR(v[2], r.ReliefAtX[0] + r.Z[1], 1e-9);
  EXPECT_NEAR(v[3], r.Values[0][1], 1e-9 * r.Values[0][1]);
  EXPECT_NEAR(v[4], s.Profiles[0][1].Values[0][1], 1e-9);

  s.DisplayMode = 1;
  ASSERT_TRUE(ExportPointTable(s, dir.file("p.dat")));
  EXPECT_EQ(ReadLines(dir.file("p.dat")).size(), 1 + r.X.size() * r.Z.size());

  TProjectState none;
  none.Profiles.clear();
  ASSERT_TRUE(ExportPointTable(none, dir.file("e.dat")));
  EXPECT_TRUE(fs::exists(dir.file("e.dat")));
  EXPECT_EQ(ReadAll(dir.file("e.dat")), "");
  EXPECT_FALSE(ExportPointTable(none, dir.file("no/folder/e.dat")));
  EXPECT_EQ(messages.Messages().size(), 1u);
}

// A table that is not text, or whose grid is larger than the viewer draws, is refused with the
// reason where it is met; nothing is written.
TEST(ConvertPointTable, RefusesWhatIsNotTextOrLargerThanTheViewerDraws)
{
  TempDir dir;
  TMessageCapture messages;
  auto refused = [&](const std::string& name, const std::string& text, const std::string& reason) {
    WriteAll(dir.file(name), text);
    messages.Clear();
    EXPECT_FALSE(ConvertPointTable(dir.file(name))) << name;
    EXPECT_FALSE(fs::exists(ChangeFileExt(dir.file(name), ".out"))) << name;
    ASSERT_EQ(messages.Messages().size(), 1u) << name;
    EXPECT_NE(messages.Messages()[0].find(reason), std::string::npos) << messages.Messages()[0];
  };
  refused("zero.dat", std::string("0 0 1\n0 10 3\n\0\n100 0 5\n100 10 7\n", 32), "zero byte in line 3");
  refused("long.dat", "0 0 1\n0 10 3\n" + std::string((2 << 20) + 1, ' ') + "\n100 0 5\n100 10 7\n",
          "line 3 is longer than 2 MB");
  // 65537 x values of two depths each: one more x than a model may have boundaries.
  std::string wide;
  for (int x = 0; x <= 65536; ++x) wide += std::to_string(x) + " 0 1\n" + std::to_string(x) + " 10 2\n";
  refused("wide.dat", wide, "its grid of 65537 x 2 cell boundaries is larger than the viewer reads (at most "
                            "4194304 cells and 65536 boundaries each way)");
  // The longest grid converts and loads.
  std::string largest;
  for (int x = 0; x < 65536; ++x) largest += std::to_string(x) + " 0 1\n" + std::to_string(x) + " 10 2\n";
  WriteAll(dir.file("largest.dat"), largest);
  ASSERT_TRUE(ConvertPointTable(dir.file("largest.dat")));
  fdata res, pol;
  EXPECT_TRUE(ReadModelFile(dir.file("largest.out"), res, pol));
}

// A table larger than a model file may be (320 MB) is refused before any of it is read, with that
// bound. The file is sparse: no disk.
TEST(ConvertPointTable, RefusesTablesLargerThanAModelFileUnread)
{
  TempDir dir;
  TMessageCapture messages;
  const std::string table = dir.file("big.dat");
  WriteAll(table, "0 0 1\n0 10 3\n100 0 5\n100 10 7\n");
  fs::resize_file(table, (uint64_t{320} << 20) + 1);
  const uint64_t before = testsupport::BytesReadByProcess();
  EXPECT_FALSE(ConvertPointTable(table));
  EXPECT_LT(testsupport::BytesReadByProcess() - before, 4096u);
  EXPECT_FALSE(fs::exists(dir.file("big.out")));
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"The table " + table + " was not converted: it is larger "
                                                           "than a model or project file may be (at most 320 MB)"}));
}
