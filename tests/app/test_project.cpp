#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeSceneHost.h"
#include "TestSupport.h"
#include "app/PointTable.h"
#include "app/Project.h"
#include "app/SceneGeometry.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"

namespace fs = std::filesystem;
using testsupport::BytesReadByProcess;
using testsupport::ExamplePath;
using testsupport::FieldPath;
using testsupport::ReadAll;
using testsupport::ReadLines;
using testsupport::TempDir;
using testsupport::WriteAll;

namespace {

const std::string kModel = "x\r\ntopo\r\n0 10\r\n100 20\r\nmodel\r\n\r\n0 50 100\r\n0 10\r\n\r\n1\r\n2\r\n";

std::string Project(const std::string& count, const std::vector<std::string>& entries,
                    const std::string& mode = "0", const std::string& view = "42 360 360")
{
  std::string s = "res line\r\npol line\r\n" + mode + "\r\n" + view + "\r\n" + count + "\r\n";
  for (const std::string& e : entries)
    s += e + "\r\n";
  return s;
}

}  // namespace

TEST(LoadProject, FieldProjectWithPathsOfAnotherMachine)
{
  TMessageCapture messages;
  TProjectState s;
  FakeSceneHost host;
  ASSERT_TRUE(LoadProject(s, &host, FieldPath("field.prj")));
  EXPECT_TRUE(messages.Messages().empty());
  ASSERT_EQ(s.Profiles.size(), 3u);
  EXPECT_EQ(s.Loaded, (std::vector<uint8_t>{1, 1, 1}));
  for (const TProfileEntry& e : s.Profiles) {
    EXPECT_EQ(e[0].Present, 1);
    EXPECT_EQ(e[1].Present, 1);
    EXPECT_GT(e[0].Relief.size(), 1u);
    EXPECT_FALSE(e[0].Outline.empty());
  }
  const fdata& l1 = s.Profiles[0][0];
  EXPECT_EQ(fs::path(l1.FileName), fs::path(FieldPath("line1.k2d")).lexically_normal());
  EXPECT_DOUBLE_EQ(l1.X0, 653737);
  EXPECT_DOUBLE_EQ(l1.Y0, 5547507);
  EXPECT_DOUBLE_EQ(l1.X1, 653964);
  EXPECT_DOUBLE_EQ(l1.Y1, 5547580);
  EXPECT_DOUBLE_EQ(l1.st, 0);
  EXPECT_DOUBLE_EQ(l1.en, 239);
  EXPECT_DOUBLE_EQ(s.Profiles[2][0].en, 66);
  EXPECT_EQ(s.Profiles[1][0].X.size(), 52u);
  // Scene depth runs from about -520 to -445.
  EXPECT_NEAR(s.DepthMin, -520, 2);
  EXPECT_NEAR(s.DepthMax, -445, 5);
  EXPECT_GE(s.XMin, 653700);
  EXPECT_LE(s.XMax, 654000);
  // Grid rows, settings, mode and view.
  ASSERT_EQ(s.Grid.RowCount(), 4);
  EXPECT_EQ(s.Grid.Cell(0, 3), "3");
  EXPECT_EQ(s.Grid.Cell(1, 2), "line2.m2d");
  EXPECT_EQ(s.Grid.Cell(2, 1), "653737.0");
  EXPECT_EQ(s.Grid.Cell(8, 1), "239.0");
  EXPECT_TRUE(s.Grid.Row(1)->HasCheckBox && s.Grid.Row(1)->Checked);
  EXPECT_EQ(s.DisplayMode, 0);
  EXPECT_EQ(host.settings, s.SettingsLines[0]);
  EXPECT_EQ(s.SettingsLines[1].substr(0, 4), " 255");
  EXPECT_EQ(host.zoom, 42);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"view", "settings", "grid", "mode", "clearcache", "ranges",
                                                  "pictures", "repaint"}));
}

TEST(LoadProject, ExampleProjectCrossesInPlan)
{
  TMessageCapture messages;
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, nullptr, ExamplePath("demo.prj")));
  EXPECT_TRUE(messages.Messages().empty());
  ASSERT_EQ(s.Profiles.size(), 3u);
  EXPECT_EQ(s.Profiles[0][1].Present, 1);
  EXPECT_EQ(s.Profiles[1][1].Present, 0);
  EXPECT_EQ(s.Profiles[2][0].PlanX1, 198);
  for (const TProfileEntry& e : s.Profiles)
    EXPECT_GT(e[0].Relief.size(), 1u);
  EXPECT_EQ(s.Rotation, 20);
}

TEST(LoadProject, MissingFilesAreLookedForBesideTheProject)
{
  TMessageCapture messages;
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  WriteAll(dir.file("b.k2d"), kModel);
  WriteAll(dir.file("p.prj"), Project("2", {"/elsewhere/a.k2d", "0 0 1000 0", "C:\\survey\\b.k2d",
                                            "1 2 3 4 10 90", "/elsewhere/gone.k2d", "0 0 1 1"}));
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, nullptr, dir.file("p.prj")));
  EXPECT_EQ(messages.Messages(),
            (std::vector<std::string>{"File not found gone.k2d\nIts row is kept and saved as it was read."}));
  ASSERT_EQ(s.Profiles.size(), 3u);
  EXPECT_EQ(s.Profiles[0][0].FileName, dir.file("a.k2d"));
  // Four numbers: placed from (0, 0) to (1000, 0), the model's own st and en stay.
  const fdata& a = s.Profiles[0][0];
  EXPECT_DOUBLE_EQ(a.PlanX1, 1000);
  EXPECT_DOUBLE_EQ(a.st, 0);
  EXPECT_DOUBLE_EQ(a.en, 100);
  const fdata& b = s.Profiles[1][0];
  EXPECT_DOUBLE_EQ(b.st, 10);
  EXPECT_DOUBLE_EQ(b.Span(), 80);
  EXPECT_EQ(s.Profiles[2][0].Present, 0);
  EXPECT_EQ(s.Grid.RowCount(), 4);
}

TEST(LoadProject, UntrustedHeaderAndCounts)
{
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  const std::string entry = dir.file("a.k2d");
  struct Case {
    std::string text;
    size_t entries;
    size_t messages;
  } cases[] = {
      {Project("0", {entry, "0 0 50 0"}, "7", "5"), 1, 0},
      {Project("-1", {}), 0, 0},
      {Project("2", {entry, "0 0 50 0", "", "0 0 1 1", "/gone.k2d"}), 3, 1},
      {Project("0", {entry}), 1, 0},
  };
  for (const Case& c : cases) {
    TMessageCapture messages;
    WriteAll(dir.file("p.prj"), c.text);
    TProjectState s;
    ASSERT_TRUE(LoadProject(s, nullptr, dir.file("p.prj")));
    EXPECT_EQ(s.Profiles.size(), c.entries) << c.text;
    EXPECT_EQ(s.Loaded.size(), c.entries);
    EXPECT_EQ(messages.Messages().size(), c.messages) << c.text;
    EXPECT_TRUE(s.DisplayMode == 0 || s.DisplayMode == 1);
    EXPECT_EQ(s.Grid.RowCount(), static_cast<int>(std::max<size_t>(c.entries, 1)) + 1);
    EXPECT_EQ(s.Grid.Cell(0, 1), "1");
  }
  // A display mode of 7 and a view line of one number: mode 0, only the zoom taken.
  WriteAll(dir.file("p.prj"), cases[0].text);
  TProjectState s;
  s.Rotation = 11;
  LoadProject(s, nullptr, dir.file("p.prj"));
  EXPECT_EQ(s.DisplayMode, 0);
  EXPECT_EQ(s.Zoom, 5);
  EXPECT_EQ(s.Rotation, 11);
  // With a chart, the missing numbers keep the chart's current view.
  FakeSceneHost host;
  host.rotation = 90;
  host.elevation = 300;
  LoadProject(s, &host, dir.file("p.prj"));
  EXPECT_EQ(host.zoom, 5);
  EXPECT_EQ(host.rotation, 90);
  EXPECT_EQ(host.elevation, 300);
  // Fewer than four position numbers keep the model's own placement.
  WriteAll(dir.file("p.prj"), Project("0", {entry, "7 8 9"}));
  LoadProject(s, nullptr, dir.file("p.prj"));
  EXPECT_DOUBLE_EQ(s.Profiles[0][0].X0, 0);
  EXPECT_DOUBLE_EQ(s.Profiles[0][0].X1, 100);
  EXPECT_DOUBLE_EQ(s.Profiles[0][0].Y1, 0);
}

// Files that are not projects are refused as a whole, with the reason, and the open project stays.
TEST(LoadProject, NotAProjectKeepsTheOpenProject)
{
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  const std::string entry = dir.file("a.k2d");
  const std::pair<std::string, std::string> refused[] = {
      {"", "ends before"},
      {"only one line\r\n", "ends before"},
      {"Some notes\r\nabout the survey\r\nwritten by hand\r\nin March\r\nand April\r\n", "line 3"},
      {Project("many", {entry, "1 2 3"}), "line 5"},
      {Project("-5", {entry, "0 0 50 0"}), "negative"},
      {Project("12", {entry}), "lists 13 sections but holds 1"},
      {Project("9999", {entry, "0 0 50 0", "", "0 0 1 1", "/gone.k2d"}), "lists 10000 sections but holds 3"},
      {Project("0", {entry, "0 0 50 0"}, "0", "zoom"), "line 4"},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0", 18) + Project("0", {entry, "0 0 50 0"}), "binary"},
  };
  for (const auto& [text, reason] : refused) {
    TMessageCapture messages;
    FakeSceneHost host;
    TProjectState s;
    ASSERT_TRUE(LoadProject(s, &host, ExamplePath("demo.prj")));
    messages.Clear();
    host.calls.clear();
    const TProjectState before = s;
    WriteAll(dir.file("p.prj"), text);
    EXPECT_FALSE(LoadProject(s, &host, dir.file("p.prj"))) << text;
    ASSERT_EQ(messages.Messages().size(), 1u) << text;
    EXPECT_EQ(messages.Messages()[0].rfind("p.prj: not a project file: ", 0), 0u) << messages.Messages()[0];
    EXPECT_NE(messages.Messages()[0].find(reason), std::string::npos) << messages.Messages()[0];
    EXPECT_EQ(s.Profiles.size(), before.Profiles.size());
    EXPECT_EQ(s.Grid.RowCount(), before.Grid.RowCount());
    EXPECT_EQ(s.Grid.Cell(1, 2), before.Grid.Cell(1, 2));
    EXPECT_EQ(s.SettingsLines, before.SettingsLines);
    EXPECT_TRUE(host.calls.empty());
  }
}

// The grid shows the new project before the "File not found" box; a project that lists no
// entry leaves its one empty row numbered.
TEST(LoadProject, MissingFilesAreReportedOnceTheGridIsFilled)
{
  struct Host : FakeSceneHost {
    TMessageCapture* messages = nullptr;
    size_t messagesAtGrid = 99;
    void GridChanged() override { messagesAtGrid = messages->Messages().size(); }
  };
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  WriteAll(dir.file("p.prj"), Project("2", {"/gone/x.k2d", "0 0 1 1", dir.file("a.k2d"), "0 0 1 0", "/gone/y.k2d"}));
  TMessageCapture messages;
  Host host;
  host.messages = &messages;
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, &host, dir.file("p.prj")));
  EXPECT_EQ(host.messagesAtGrid, 0u);
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"2 files not found: x.k2d, y.k2d\n"
                                                           "Their rows are kept and saved as they were read."}));

  WriteAll(dir.file("none.prj"), Project("-1", {}));
  ASSERT_TRUE(LoadProject(s, &host, dir.file("none.prj")));
  EXPECT_TRUE(s.Profiles.empty());
  EXPECT_EQ(s.Grid.RowCount(), 2);
  EXPECT_EQ(s.Grid.Cell(0, 1), "1");
  EXPECT_EQ(s.Grid.Cell(1, 1), "");
}

// However many files are missing or cannot be read, one message counts them and names the first
// few; a model cut short says why it could not be read; a polarizability block cut short is said
// while the resistivity half loads.
TEST(LoadProject, FilesNotTakenWholeAreReportedInOneMessage)
{
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  // Cut inside the cell rows.
  WriteAll(dir.file("cut.k2d"), kModel.substr(0, kModel.size() - 3));
  WriteAll(dir.file("cut2.k2d"), kModel.substr(0, kModel.size() - 3));
  // The eta block holds one of its two rows.
  WriteAll(dir.file("e.k2d"), "eta\r\nmodel\r\n\r\n0 50 100\r\n0 10\r\n\r\n1\r\n2\r\nsep\r\nx\r\nx\r\n3\r\n");
  const std::string rows = "a row of cells is missing or shorter than the cell boundaries need";
  auto load = [&](const std::vector<std::string>& files, TProjectState& s) {
    std::vector<std::string> entries;
    for (const std::string& f : files) {
      entries.push_back(f);
      entries.push_back("0 0 100 0");
    }
    WriteAll(dir.file("p.prj"), Project(std::to_string(files.size() - 1), entries));
    TMessageCapture messages;
    EXPECT_TRUE(LoadProject(s, nullptr, dir.file("p.prj")));
    return messages.Messages();
  };
  TProjectState s;
  EXPECT_EQ(load({dir.file("cut.k2d")}, s),
            (std::vector<std::string>{"The file cut.k2d could not be read: " + rows +
                                      "\nIts row is kept and saved as it was read."}));
  ASSERT_EQ(s.Profiles.size(), 1u);
  EXPECT_EQ(s.Profiles[0][0].Present, 0);

  EXPECT_EQ(load({dir.file("e.k2d"), dir.file("a.k2d")}, s),
            (std::vector<std::string>{"The file e.k2d was read in part: its polarizability block is unusable (" +
                                      rows + "): only the resistivity is shown"}));
  ASSERT_EQ(s.Profiles.size(), 2u);
  EXPECT_EQ(s.Profiles[0][0].Present, 1);
  EXPECT_EQ(s.Profiles[0][1].Present, 0);
  EXPECT_FALSE(s.Profiles[0][0].Outline.empty());

  std::vector<std::string> files;
  for (int i = 0; i < 1000; ++i) files.push_back("/gone/m" + std::to_string(i) + ".k2d");
  files.push_back(dir.file("cut.k2d"));
  files.push_back(dir.file("a.k2d"));
  files.push_back(dir.file("cut2.k2d"));
  files.push_back(dir.file("e.k2d"));
  EXPECT_EQ(load(files, s),
            (std::vector<std::string>{"1000 files not found: m0.k2d, m1.k2d, m2.k2d, m3.k2d, m4.k2d and 995 more\n"
                                      "2 files could not be read: cut.k2d (" + rows + "), cut2.k2d (" + rows + ")\n"
                                      "Their rows are kept and saved as they were read.\n"
                                      "The file e.k2d was read in part: its polarizability block is unusable (" +
                                      rows + "): only the resistivity is shown"}));
  EXPECT_EQ(s.Profiles.size(), 1004u);
}

// Entries whose files are missing or cannot be read keep their rows in their places: the file
// name, the plan ends and stretch as read, an unticked box and nothing present. A save writes their
// two lines back as they were read, and saving what was loaded from a save gives the same file.
TEST(KeptEntries, RowsOfFilesThatCannotBeReadStayAndSaveAsRead)
{
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  WriteAll(dir.file("cut.k2d"), kModel.substr(0, kModel.size() - 3));
  const std::string zeros = " 0.00000000000000E+0000 0.00000000000000E+0000 0.00000000000000E+0000 "
                            "0.00000000000000E+0000 0.00000000000000E+0000 0.00000000000000E+0000";
  const std::vector<std::string> entries = {
      "/gone/x.k2d",     " 1.00000000000000E+0000 2 3 4 5 6",
      dir.file("a.k2d"), "0 0 1000 0",
      dir.file("cut.k2d"), "7 8 9",
      "",                zeros,  // an empty row, as saved
      "relative/y.k2d",  "10\t20 30,5 40 50 60 and a note"};
  WriteAll(dir.file("p.prj"), Project("4", entries, "1"));
  TMessageCapture messages;
  FakeSceneHost host;
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, &host, dir.file("p.prj")));
  ASSERT_EQ(s.Profiles.size(), 5u);
  EXPECT_EQ(s.Loaded, (std::vector<uint8_t>{0, 1, 0, 0, 0}));
  for (size_t i : {0u, 2u, 3u, 4u}) {
    for (const fdata& half : s.Profiles[i]) {
      EXPECT_EQ(half.Present, 0) << i;
      EXPECT_EQ(half.Shown, 0) << i;
      EXPECT_TRUE(half.Outline.empty()) << i;
      EXPECT_FALSE(half.Picture) << i;
    }
  }
  EXPECT_EQ(s.Profiles[1][0].Present, 1);
  // The message names every file, the empty path too, and says that their rows stay.
  const std::string rows = "a row of cells is missing or shorter than the cell boundaries need";
  EXPECT_EQ(messages.Messages(),
            (std::vector<std::string>{"3 files not found: x.k2d, (no file named, row 4), y.k2d\n"
                                      "The file cut.k2d could not be read: " + rows + "\n"
                                      "Their rows are kept and saved as they were read."}));
  // The grid: every entry in its place.
  ASSERT_EQ(s.Grid.RowCount(), 6);
  auto n = [](double v) { return FloatToStrDec(0, true, v); };
  const std::vector<std::vector<std::string>> cells = {
      {"1", "x.k2d", n(1), n(2), n(3), n(4), "", n(5), n(6)},
      {"2", "a.k2d", n(0), n(0), n(1000), n(0), "", n(0), n(100)},
      {"3", "cut.k2d", "", "", "", "", "", "", ""},
      {"4", "", "", "", "", "", "", "", ""},
      {"5", "y.k2d", n(10), n(20), n(30.5), n(40), "", n(50), n(60)}};
  for (int r = 1; r <= 5; ++r)
    for (int c = 0; c < 9; ++c)
      EXPECT_EQ(s.Grid.Cell(c, r), cells[r - 1][c]) << "cell " << c << ", " << r;
  for (int r : {1, 3, 5})
    EXPECT_TRUE(s.Grid.Row(r)->HasCheckBox && !s.Grid.Row(r)->Checked) << r;
  EXPECT_TRUE(s.Grid.Row(2)->HasCheckBox && s.Grid.Row(2)->Checked);
  EXPECT_FALSE(s.Grid.Row(4)->HasCheckBox);
  // The scene is the readable section's alone, in the project's mode.
  EXPECT_EQ(s.DisplayMode, 1);
  EXPECT_EQ(host.settings, s.SettingsLines[1]);
  EXPECT_DOUBLE_EQ(s.XMin, 0);
  EXPECT_DOUBLE_EQ(s.XMax, 1000);
  EXPECT_DOUBLE_EQ(s.YMax, 0);

  ASSERT_TRUE(SaveProject(s, &host, dir.file("saved.prj")));
  const auto lines = ReadLines(dir.file("saved.prj"));
  ASSERT_EQ(lines.size(), 5u + entries.size());
  for (size_t i : {0u, 1u, 4u, 5u, 6u, 7u, 8u, 9u})
    EXPECT_EQ(lines[5 + i], entries[i]) << i;
  EXPECT_EQ(lines[7], dir.file("a.k2d"));
  // Loaded from the save and saved again: the same bytes.
  TProjectState t;
  ASSERT_TRUE(LoadProject(t, &host, dir.file("saved.prj")));
  ASSERT_TRUE(SaveProject(t, &host, dir.file("again.prj")));
  EXPECT_EQ(ReadAll(dir.file("again.prj")), ReadAll(dir.file("saved.prj")));
}

// A project whose files all cannot be read keeps their rows, its display mode and that mode's
// settings line, so that a save writes back the lines read. One file kept is said in the singular.
TEST(KeptEntries, AProjectWithNoReadableFileKeepsItsRows)
{
  TempDir dir;
  WriteAll(dir.file("p.prj"), Project("1", {"/gone/x.k2d", "0 0 1 1 0 1", "C:\\data\\y.k2d", "2 2 3 3"}, "1"));
  TMessageCapture messages;
  FakeSceneHost host;
  host.settings = "stale";
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, &host, dir.file("p.prj")));
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"2 files not found: x.k2d, y.k2d\n"
                                                           "Their rows are kept and saved as they were read."}));
  ASSERT_EQ(s.Profiles.size(), 2u);
  EXPECT_EQ(s.Loaded, (std::vector<uint8_t>{0, 0}));
  EXPECT_FALSE(AnySectionPresent(s));
  EXPECT_EQ(s.DisplayMode, 1);
  EXPECT_EQ(host.settings, "pol line");
  ASSERT_TRUE(SaveProject(s, &host, dir.file("saved.prj")));
  EXPECT_EQ(ReadAll(dir.file("saved.prj")), ReadAll(dir.file("p.prj")));
  ASSERT_EQ(s.Grid.RowCount(), 3);
  EXPECT_EQ(s.Grid.Cell(1, 2), "y.k2d");
  EXPECT_EQ(s.Grid.Cell(4, 2), FloatToStrDec(0, true, 3));
  EXPECT_EQ(s.Grid.Cell(7, 2), "");

  messages.Clear();
  WriteAll(dir.file("p.prj"), Project("0", {""}));
  ASSERT_TRUE(LoadProject(s, &host, dir.file("p.prj")));
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"File not found (no file named, row 1)\n"
                                                           "Its row is kept and saved as it was read."}));
  ASSERT_EQ(s.Profiles.size(), 1u);
  EXPECT_EQ(s.Grid.Cell(0, 1), "1");
  EXPECT_FALSE(s.Grid.Row(1)->HasCheckBox);
  // The position line missing at the end of the file is saved as an empty line.
  ASSERT_TRUE(SaveProject(s, &host, dir.file("saved.prj")));
  const auto lines = ReadLines(dir.file("saved.prj"));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "");
}

namespace {

struct TChildRun {
  std::string Report;    // what the child wrote
  long PeakKB = 0;       // the child's peak resident memory
  uint64_t BytesRead = 0;
};

// Runs Work in a child process, so that the memory measured is its own.
TChildRun RunInChild(const std::function<std::string()>& work)
{
  TChildRun run;
  int out[2];
  if (pipe(out) != 0) return run;
  const pid_t child = fork();
  if (child < 0) {
    ADD_FAILURE() << "fork";
    close(out[0]);
    close(out[1]);
    return run;
  }
  if (child == 0) {
    close(out[0]);
    const uint64_t before = BytesReadByProcess();
    std::string report = work();
    const uint64_t bytes = BytesReadByProcess() - before;
    report = std::to_string(bytes) + "\n" + report;
    for (size_t done = 0; done < report.size();) {
      const ssize_t n = write(out[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(out[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  rusage usage{};
  EXPECT_EQ(wait4(child, &status, 0, &usage), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  run.PeakKB = usage.ru_maxrss;
  std::istringstream in(text);
  in >> run.BytesRead;
  run.Report = text.substr(std::min(text.size(), text.find('\n') + 1));
  return run;
}

}  // namespace

// A project naming a file of zero bytes (a sparse file: no disk): at 512 MB it is refused by its
// size, reading none of it; just as large as a model file may be (320 MB) it is read and refused
// where its content is met. Both with the reason, and in bounded memory.
TEST(LoadProject, NamingALargeZeroFileIsRefusedInBoundedMemory)
{
  TempDir dir;
  const std::string zero = dir.file("zero.k2d");
  WriteAll(dir.file("p.prj"), Project("0", {zero, "0 0 100 0"}));
  auto load = [&](uint64_t megabytes) {
    { std::ofstream create(zero); }
    fs::resize_file(zero, megabytes << 20);
    const TChildRun run = RunInChild([&] {
      TMessageCapture messages;
      TProjectState s;
      const bool loaded = LoadProject(s, nullptr, dir.file("p.prj"));
      std::string report = std::to_string(loaded) + " " + std::to_string(s.Profiles.size()) + "\n";
      for (const std::string& m : messages.Messages()) report += m + "\n";
      return report;
    });
    EXPECT_LT(run.BytesRead, uint64_t{4} << 20) << megabytes;
    EXPECT_LT(run.PeakKB, 400 * 1024) << megabytes;
    return run.Report;
  };
  EXPECT_EQ(load(512),
            "1 1\nThe file zero.k2d could not be read: it is larger than a model or project file may be (at most "
            "320 MB)\nIts row is kept and saved as it was read.\n");
  const std::string report = load(320);
  EXPECT_NE(report.find("zero.k2d could not be read: it holds binary data (a zero byte in line 1)"), std::string::npos)
      << report;
}

// Every entry keeps a row, however short its two lines: a project listing more sections than the
// viewer opens is refused at once, with the limit, and the open project stays; a few MB of empty
// lines do not become hundreds of MB of rows.
TEST(LoadProject, MoreSectionsThanTheViewerOpensAreRefused)
{
  TempDir dir;
  auto empties = [](int64_t n) {
    std::string text = "a\r\nb\r\n0\r\n42 360 360\r\n" + std::to_string(n - 1) + "\r\n";
    for (int64_t i = 0; i < n; ++i) text += "\r\n\r\n";
    return text;
  };
  WriteAll(dir.file("most.prj"), empties(MaxProjectSections));
  {
    TMessageCapture messages;
    TProjectState s;
    ASSERT_TRUE(LoadProject(s, nullptr, dir.file("most.prj")));
    EXPECT_EQ(s.Profiles.size(), static_cast<size_t>(MaxProjectSections));
    EXPECT_EQ(s.Grid.RowCount(), MaxProjectSections + 1);
  }
  WriteAll(dir.file("p.prj"), empties(MaxProjectSections + 1));
  {
    TMessageCapture messages;
    TProjectState s;
    ASSERT_TRUE(LoadProject(s, nullptr, ExamplePath("demo.prj")));
    messages.Clear();
    EXPECT_FALSE(LoadProject(s, nullptr, dir.file("p.prj")));
    EXPECT_EQ(messages.Messages(),
              (std::vector<std::string>{"p.prj was not opened: it lists " + std::to_string(MaxProjectSections + 1) +
                                        " sections, and the viewer opens at most " +
                                        std::to_string(MaxProjectSections)}));
    EXPECT_EQ(s.Profiles.size(), 3u);
    EXPECT_EQ(s.Grid.RowCount(), 4);
    // A count above the limit is refused as soon as it is read, whatever the lines after it hold.
    messages.Clear();
    WriteAll(dir.file("p.prj"), "a\r\nb\r\n0\r\n42 360 360\r\n2000000000\r\n\x01\r\n");
    EXPECT_FALSE(LoadProject(s, nullptr, dir.file("p.prj")));
    EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"p.prj was not opened: it lists 2000000001 sections, and "
                                                             "the viewer opens at most " +
                                                             std::to_string(MaxProjectSections)}));
  }
  WriteAll(dir.file("p.prj"), empties(200000));
  const TChildRun run = RunInChild([&] {
    TMessageCapture messages;
    TProjectState s;
    const bool loaded = LoadProject(s, nullptr, dir.file("p.prj"));
    return std::to_string(loaded) + " " + std::to_string(s.Profiles.size());
  });
  EXPECT_EQ(run.Report, "0 1");
  EXPECT_LT(run.PeakKB, 150 * 1024);
}

TEST(LoadProject, MissingProjectChangesNothing)
{
  TMessageCapture messages;
  TProjectState s;
  s.SettingsLines[0] = "keep";
  EXPECT_FALSE(LoadProject(s, nullptr, "/no/such/project.prj"));
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(s.SettingsLines[0], "keep");
  EXPECT_EQ(s.Profiles.size(), 1u);
}

TEST(SaveProject, SaveThenLoadGivesBackEveryNumber)
{
  TMessageCapture messages;
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  WriteAll(dir.file("p.prj"), Project("0", {dir.file("a.k2d"), "0 0 1 0"}));
  TProjectState s;
  FakeSceneHost host;
  ASSERT_TRUE(LoadProject(s, &host, dir.file("p.prj")));
  fdata& d = s.Profiles[0][0];
  d.X0 = 653737.123456789;
  d.Y0 = -5547507.5;
  d.X1 = 1e-7;
  d.Y1 = -std::numeric_limits<double>::max();  // its 15 digits would round past the largest double
  d.st = 12.25;
  d.en = 1.0 / 3.0;
  s.SettingsLines[0] = "resistivity settings";
  s.DisplayMode = 1;
  host.settings = "current polarizability settings";
  host.zoom = 37;
  host.rotation = -15;
  host.elevation = 300;
  const fdata kept = d;
  s.Profiles.emplace_back();  // an appended row with no file
  s.Loaded.push_back(0);
  ASSERT_TRUE(SaveProject(s, &host, dir.file("saved.prj")));

  const std::string text = ReadAll(dir.file("saved.prj"));
  const auto lines = ReadLines(dir.file("saved.prj"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_NE(text.find("\r\n1\r\n37 -15 300\r\n1\r\n"), std::string::npos);
  EXPECT_EQ(lines[0], "resistivity settings");
  EXPECT_EQ(lines[1], "current polarizability settings");  // the active mode's current line
  EXPECT_EQ(lines[5], dir.file("a.k2d"));
  EXPECT_EQ(lines[6].substr(0, 24), " 6.53737123456789E+0005 ");
  EXPECT_EQ(lines[6].size(), 5u * 23 + 25 + 5);
  EXPECT_EQ(lines[7], "");

  TProjectState t;
  FakeSceneHost other;
  ASSERT_TRUE(LoadProject(t, &other, dir.file("saved.prj")));
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"File not found (no file named, row 2)\n"
                                                           "Its row is kept and saved as it was read."}));
  ASSERT_EQ(t.Profiles.size(), 2u);
  const fdata& e = t.Profiles[0][0];
  EXPECT_EQ(e.X0, kept.X0);
  EXPECT_EQ(e.Y0, kept.Y0);
  EXPECT_EQ(e.X1, kept.X1);
  EXPECT_EQ(e.Y1, kept.Y1);
  EXPECT_EQ(e.st, kept.st);
  // The stored form keeps fifteen significant digits: exact for numbers that have no more.
  EXPECT_NEAR(e.en, kept.en, 1e-15 * kept.en);
  EXPECT_EQ(t.DisplayMode, 1);
  EXPECT_EQ(other.settings, "current polarizability settings");
  EXPECT_EQ(t.SettingsLines[0], "resistivity settings");
  EXPECT_EQ(other.zoom, 37);
  EXPECT_EQ(other.rotation, -15);
  EXPECT_EQ(other.elevation, 300);

  // A word that reads as no number moves none of the others: the model's own placement stays.
  WriteAll(dir.file("p.prj"), Project("0", {dir.file("a.k2d"), " 1.79769313486232E+0308 0 -1 0 0 100"}));
  ASSERT_TRUE(LoadProject(t, &other, dir.file("p.prj")));
  const fdata& f = t.Profiles[0][0];
  EXPECT_EQ(std::vector<double>({f.X0, f.Y0, f.X1, f.Y1, f.st, f.en}), std::vector<double>({0, 0, 100, 0, 0, 100}));
}

TEST(SaveProject, FailureIsReportedAndKeepsTheOldFile)
{
  TMessageCapture messages;
  TempDir dir;
  TProjectState s;
  fs::create_directory(dir.file("taken.prj"));
  WriteAll(dir.file("taken.prj/old"), "old");
  EXPECT_FALSE(SaveProject(s, nullptr, dir.file("taken.prj")));
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(ReadAll(dir.file("taken.prj/old")), "old");
  EXPECT_FALSE(SaveProject(s, nullptr, dir.file("missing/p.prj")));
  EXPECT_EQ(messages.Messages().size(), 2u);
  // A good save replaces the file as a whole.
  WriteAll(dir.file("p.prj"), std::string(5000, 'x'));
  ASSERT_TRUE(SaveProject(s, nullptr, dir.file("p.prj")));
  EXPECT_EQ(ReadLines(dir.file("p.prj")).size(), 7u);
}

// A path holding a line break would split its line: the project and the point export refuse it
// and leave the previous file as it was.
TEST(SaveProject, PathsWithLineBreaksAreRefusedWholly)
{
  TMessageCapture messages;
  TempDir dir;
  WriteAll(dir.file("a.k2d"), kModel);
  TProjectState s;
  ASSERT_TRUE(LoadProject(s, nullptr, ExamplePath("demo.prj")));
  for (const char* name : {"two\nlines.k2d", "carriage\rreturn.k2d"}) {
    messages.Clear();
    s.Profiles[1][0].FileName = dir.file(name);
    WriteAll(dir.file("p.prj"), "old project");
    WriteAll(dir.file("t.dat"), "old table");
    EXPECT_FALSE(SaveProject(s, nullptr, dir.file("p.prj")));
    EXPECT_FALSE(ExportPointTable(s, dir.file("t.dat")));
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_NE(messages.Messages()[0].find("line break"), std::string::npos) << messages.Messages()[0];
    EXPECT_NE(messages.Messages()[0].find(dir.file("p.prj")), std::string::npos);
    EXPECT_NE(messages.Messages()[1].find("line break"), std::string::npos);
    EXPECT_EQ(ReadAll(dir.file("p.prj")), "old project");
    EXPECT_EQ(ReadAll(dir.file("t.dat")), "old table");
    // Nothing half-written beside them.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
  }
}

TEST(FileAssociation, DesktopEntryAndMimeTypeInTheDataFolder)
{
  TempDir dir;
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
  RegisterFileAssociation("prj", "Quon 3d data", "/opt/my app/orbisk,0", "/opt/my app/orbisk");
  const std::string desktop = dir.file("applications/prjKelFile.desktop");
  const std::string mime = dir.file("mime/packages/prjKelFile.xml");
  ASSERT_TRUE(FileExists(desktop));
  ASSERT_TRUE(FileExists(mime));
  const std::string entry = ReadAll(desktop);
  EXPECT_NE(entry.find("Exec=\"/opt/my app/orbisk\" %f\n"), std::string::npos);
  EXPECT_NE(entry.find("MimeType=application/x-prjKelFile;\n"), std::string::npos);
  const std::string type = ReadAll(mime);
  EXPECT_NE(type.find("<comment>Quon 3d data</comment>"), std::string::npos);
  EXPECT_NE(type.find("<glob pattern=\"*.prj\"/>"), std::string::npos);
  // Again: nothing is rewritten.
  const auto before = fs::last_write_time(desktop);
  RegisterFileAssociation("prj", "Quon 3d data", "/opt/my app/orbisk,0", "/opt/my app/orbisk");
  EXPECT_EQ(fs::last_write_time(desktop), before);
  // Quoting of characters the Exec key treats specially.
  RegisterFileAssociation("prj", "Quon 3d data", "", "/opt/a$b\"c\\d%e");
  EXPECT_NE(ReadAll(desktop).find("Exec=\"/opt/a\\\\$b\\\\\"c\\\\\\\\d%%e\" %f\n"), std::string::npos)
      << ReadAll(desktop);
  // A program path that would break the entry writes nothing and raises nothing.
  TempDir other;
  setenv("XDG_DATA_HOME", other.path().c_str(), 1);
  RegisterFileAssociation("prj", "Quon 3d data", "", "/opt/bad\npath");
  EXPECT_FALSE(fs::exists(other.file("applications")));
  if (old)
    setenv("XDG_DATA_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}
