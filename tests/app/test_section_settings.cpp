// The section chart's settings line and its XYZ export, as plain functions.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "app/PseudoSection2dContour.h"
#include "app/PseudoSection2dExport.h"
#include "app/PseudoSection2dSettings.h"
#include "app/Supermath2d.h"

namespace {

const char* const kFresh = " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 1 0 1 1 * *";

TSectionSettings Odd()
{
  TSectionSettings s;
  s.ContourMinColor = 0x123456;
  s.ContourMaxColor = 0;
  s.IsolineMinColor = 0xFFFFFF;
  s.IsolineMaxColor = 7;
  s.MidColor1 = 0xABCDEF;
  s.MidColor2 = 0x010203;
  s.LevelCount = 30;
  s.MarginLeft = 0;
  s.MarginRight = 100;
  s.MarginTop = 42;
  s.MarginBottom = 3;
  s.UserLimits = true;
  s.ShowIsolines = false;
  s.LogData = true;
  s.ShowColorBar = false;
  s.GridPointsActive = false;
  s.UserMax = 1234.5;
  s.UserMin = -0.00125;
  return s;
}

}  // namespace

TEST(SectionSettings, DefaultsFormatAsTheFreshChartLine)
{
  EXPECT_EQ(FormatSectionSettings(TSectionSettings{}), kFresh);
}

TEST(SectionSettings, RoundTripsEveryField)
{
  const TSectionSettings s = Odd();
  TSectionSettings r;
  ASSERT_TRUE(ParseSectionSettings(FormatSectionSettings(s), r));
  EXPECT_EQ(r, s);
  // Unset limits travel as "*".
  TSectionSettings u = s;
  u.UserMax = NoValue;
  u.UserMin = NoValue;
  const std::string line = FormatSectionSettings(u);
  EXPECT_EQ(line.substr(line.size() - 4), " * *");
  r = s;
  ASSERT_TRUE(ParseSectionSettings(line, r));
  EXPECT_EQ(r, u);
}

TEST(SectionSettings, WordsKeepTheirFieldAndShiftNothing)
{
  const TSectionSettings s = Odd();
  TSectionSettings r = s;
  // A word in field 2 must not move field 3's number into field 2.
  ASSERT_TRUE(ParseSectionSettings(" 1 red 2 3 4 5 6 7 8 9 10 1 1 1 1 1 5 1", r));
  EXPECT_EQ(r.ContourMinColor, 1u);
  EXPECT_EQ(r.ContourMaxColor, s.ContourMaxColor);
  EXPECT_EQ(r.IsolineMinColor, 2u);
  EXPECT_EQ(r.IsolineMaxColor, 3u);
  EXPECT_EQ(r.LevelCount, 6);
  EXPECT_EQ(r.MarginLeft, 7);
  EXPECT_EQ(r.MarginBottom, 10);
  EXPECT_EQ(r.UserMax, 5.0);
  EXPECT_EQ(r.UserMin, 1.0);
  // Eighteen words, none a number: only the limits change (to unset).
  r = s;
  ASSERT_TRUE(ParseSectionSettings("a b c d e f g h i j k l m n o p q r", r));
  TSectionSettings expect = s;
  expect.UserMax = NoValue;
  expect.UserMin = NoValue;
  EXPECT_EQ(r, expect);
  // Tabs separate as blanks do; a decimal comma is read as a point.
  r = s;
  ASSERT_TRUE(ParseSectionSettings("255\t16711680 16711680 255 65535 32768 15 25 70 1 20 0 1 0 1 1 2,5 *", r));
  EXPECT_EQ(r.UserMax, 2.5);
  EXPECT_EQ(r.ContourMinColor, 255u);
}

TEST(SectionSettings, HostileNumbersAreRefusedOrHeld)
{
  const TSectionSettings s = Odd();
  TSectionSettings r = s;
  // Huge, negative and out-of-range values; colours outside 0..0xFFFFFF are refused.
  ASSERT_TRUE(ParseSectionSettings(" 1e300 -1 16777216 4294967295 -2147483649 nan 1e300 -5 1000 99999999999 "
                                   "2147483647 2 -1 7 1e40 0.4 1e308 -1e308",
                                   r));
  EXPECT_EQ(r.ContourMinColor, s.ContourMinColor);
  EXPECT_EQ(r.ContourMaxColor, s.ContourMaxColor);
  EXPECT_EQ(r.IsolineMinColor, s.IsolineMinColor);
  EXPECT_EQ(r.IsolineMaxColor, s.IsolineMaxColor);
  EXPECT_EQ(r.MidColor1, s.MidColor1);
  EXPECT_EQ(r.MidColor2, s.MidColor2);
  EXPECT_EQ(r.LevelCount, s.LevelCount);  // beyond the integer range: kept
  EXPECT_EQ(r.MarginLeft, 0);             // held within 0..100
  EXPECT_EQ(r.MarginRight, 100);
  EXPECT_EQ(r.MarginTop, s.MarginTop);
  EXPECT_EQ(r.MarginBottom, 100);
  EXPECT_EQ(r.UserLimits, s.UserLimits);  // switches take 0 or 1 only
  EXPECT_EQ(r.ShowIsolines, s.ShowIsolines);
  EXPECT_EQ(r.LogData, s.LogData);
  EXPECT_EQ(r.ShowColorBar, s.ShowColorBar);
  EXPECT_EQ(r.GridPointsActive, false);   // 0.4 rounds to 0
  EXPECT_EQ(r.UserMax, 1e308);
  EXPECT_EQ(r.UserMin, -1e308);
  // Level count held within 2..30.
  r = s;
  ASSERT_TRUE(ParseSectionSettings(" 0 0 0 0 0 0 1 0 0 0 0 0 0 0 0 0 * *", r));
  EXPECT_EQ(r.LevelCount, 2);
  ASSERT_TRUE(ParseSectionSettings(" 0 0 0 0 0 0 31 0 0 0 0 0 0 0 0 0 * *", r));
  EXPECT_EQ(r.LevelCount, 30);
  // Limits that overflow are unset, not infinite.
  ASSERT_TRUE(ParseSectionSettings(" 0 0 0 0 0 0 5 0 0 0 0 0 0 0 0 0 1e999 -1e999", r));
  EXPECT_EQ(r.UserMax, NoValue);
  EXPECT_EQ(r.UserMin, NoValue);
}

TEST(SectionXYZ, WritesHeaderAndOneLinePerNode)
{
  testsupport::TempDir dir;
  TPseudoSectionContour c(100, 100);
  const std::string empty = dir.file("empty.dat");
  ASSERT_TRUE(WriteSectionXYZ(empty, c.NodeTable, c.NextNode));
  EXPECT_EQ(testsupport::ReadAll(empty), "X -Y  Z\r\n");

  c.AddNode(0, 1250, 10, 3.5);
  c.AddNode(0, -2, -0.5, 100);
  const std::string name = dir.file("nodes.dat");
  ASSERT_TRUE(WriteSectionXYZ(name, c.NodeTable, c.NextNode));
  EXPECT_EQ(testsupport::ReadAll(name),
            "X -Y  Z\r\n"
            " 1.25000000000000E+0003 -1.00000000000000E+0001  3.50000000000000E+0000\r\n"
            "-2.00000000000000E+0000  5.00000000000000E-0001  1.00000000000000E+0002\r\n");
}

TEST(SectionXYZ, AFailedWriteIsReportedAndLeavesTheOldFile)
{
  testsupport::TempDir dir;
  TPseudoSectionContour c(100, 100);
  c.AddNode(0, 1, 2, 3);
  std::string error;
  EXPECT_FALSE(WriteSectionXYZ(dir.file("missing/folder/x.dat"), c.NodeTable, c.NextNode, &error));
  EXPECT_FALSE(error.empty());
  // A folder in the file's place cannot be replaced; nothing half-written stays beside it.
  const std::string blocked = dir.file("blocked.dat");
  std::filesystem::create_directory(blocked);
  EXPECT_FALSE(WriteSectionXYZ(blocked, c.NodeTable, c.NextNode, &error));
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 0u);
}

TEST(SectionPictureFormatChoice, ExtensionNamesTheFormat)
{
  std::string n = "a/pic.EMF";
  EXPECT_EQ(SectionPictureFormat(n), TSectionPictureFormat::Enhanced);
  EXPECT_EQ(n, "a/pic.EMF");
  n = "pic.wmf";
  EXPECT_EQ(SectionPictureFormat(n), TSectionPictureFormat::Placeable);
  n = "pic.Bmp";
  EXPECT_EQ(SectionPictureFormat(n), TSectionPictureFormat::Bitmap);
  n = "pic.png";
  EXPECT_EQ(SectionPictureFormat(n), TSectionPictureFormat::Enhanced);
  EXPECT_EQ(n, "pic.emf");
  n = "pic";
  EXPECT_EQ(SectionPictureFormat(n), TSectionPictureFormat::Enhanced);
  EXPECT_EQ(n, "pic.emf");
}

TEST(SectionSettings, SeededMutationsStayInRangeAndReadBackAsWritten)
{
  std::mt19937 rng(20261207);
  const std::vector<std::string> pieces = {"0",    "1",     "-1",   "255",    "16777215", "16777216", "2147483648",
                                           "1e308", "-1e308", "nan", "inf",    "*",        "x",        "2,5",
                                           "0.5",  "1.5",   "31",   "\t",     "",         "99999999999999999999"};
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> words = SplitWords(kFresh, 0);
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % (words.size() + 1);
      const std::string& piece = pieces[rng() % pieces.size()];
      switch (rng() % 3) {
        case 0: if (at < words.size()) words[at] = piece; break;
        case 1: words.insert(words.begin() + static_cast<long>(at), piece); break;
        default: if (at < words.size()) words.erase(words.begin() + static_cast<long>(at)); break;
      }
    }
    std::string line;
    for (const auto& w : words) line += " " + w;
    TSectionSettings s;
    const bool read = ParseSectionSettings(line, s);
    if (!read) {
      EXPECT_EQ(s, TSectionSettings{}) << line;
      continue;
    }
    for (TColor c : {s.ContourMinColor, s.ContourMaxColor, s.IsolineMinColor, s.IsolineMaxColor, s.MidColor1,
                     s.MidColor2})
      EXPECT_LE(c, 0xFFFFFFu) << line;
    EXPECT_GE(s.LevelCount, 2) << line;
    EXPECT_LE(s.LevelCount, 30) << line;
    for (int32_t m : {s.MarginLeft, s.MarginRight, s.MarginTop, s.MarginBottom}) {
      EXPECT_GE(m, 0) << line;
      EXPECT_LE(m, 100) << line;
    }
    EXPECT_TRUE(std::isfinite(s.UserMax) && std::isfinite(s.UserMin)) << line;
    // What is written reads back to itself.
    const std::string written = FormatSectionSettings(s);
    TSectionSettings back;
    ASSERT_TRUE(ParseSectionSettings(written, back)) << written;
    EXPECT_EQ(FormatSectionSettings(back), written);
  }
}
