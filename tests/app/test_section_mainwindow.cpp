// The main window with its real section chart: the pictures of every present section, the settings
// line kept per display mode, the project file's settings lines, the graphics options dialog, and what
// the chart reports during a rebuild.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "TestSupport.h"
#include "app/PseudoSection2d.h"
#include "app/PseudoSetup.h"
#include "app/SectionPictures.h"
#include "app/Supermath2d.h"
#include "app/Unit1.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "platform/SysUtils.h"
#include "platform/TestInput.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

class SectionMainWindow : public ::testing::Test {
protected:
  void SetUp() override
  {
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    for (const char* name : {"demo.prj", "demo-east.k2d", "demo-north.cht", "demo-diagonal.m2d"})
      fs::copy_file(testsupport::ExamplePath(name), dir.file(name), fs::copy_options::overwrite_existing);
  }
  void TearDown() override
  {
    TOpenDialog::TestAnswer = nullptr;
    TForm::ModalAnswer = nullptr;
  }
  std::unique_ptr<TForm1> Open(const std::string& project)
  {
    auto f = std::make_unique<TForm1>(nullptr, std::vector<std::string>{});
    f->SetWindowState(wsNormal);
    testinput::ShowWindow(f.get());
    f->OpenProject(project);
    return f;
  }
  void AnswerFile(const std::string& name, int filterIndex)
  {
    TOpenDialog::TestAnswer = [this, name, filterIndex](TOpenDialog* d) {
      d->FileName = dir.file(name);
      d->FilterIndex = filterIndex;
      return true;
    };
  }
  // Every present half of the mode has a picture with drawing in it.
  static void ExpectPictures(TForm1& f, int mode)
  {
    int present = 0;
    for (const TProfileEntry& e : f.State.Profiles) {
      const fdata& half = e[static_cast<size_t>(mode)];
      if (!half.Present) continue;
      ++present;
      ASSERT_NE(half.Picture, nullptr);
      EXPECT_GT(half.Picture->RecordCount(), 10u);
    }
    EXPECT_GT(present, 0);
  }
  TempDir dir;
};

}  // namespace

TEST_F(SectionMainWindow, StartLinesComeFromTheRealChart)
{
  auto f = std::make_unique<TForm1>(nullptr, std::vector<std::string>{});
  // Resistivity without isolines; polarizability also on a linear scale; then log scale on again.
  EXPECT_EQ(f->State.SettingsLines[0], " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 0 0 1 1 * *");
  EXPECT_EQ(f->State.SettingsLines[1], f->State.SettingsLines[0]);
  EXPECT_TRUE(f->PseudoSection2d1->GetLogData());
  EXPECT_FALSE(f->PseudoSection2d1->GetVisible());
}

TEST_F(SectionMainWindow, OpeningAProjectContoursEverySection)
{
  auto f = Open(dir.file("demo.prj"));
  ExpectPictures(*f, 0);
  // The pictures share the scene's value range unless user limits are set.
  EXPECT_EQ(f->PseudoSection2d1->Contour().RangeMin, f->State.ValueMin);
  EXPECT_EQ(f->PseudoSection2d1->Contour().RangeMax, f->State.ValueMax);
}

TEST_F(SectionMainWindow, ModeSwitchesKeepOneLinePerModeThroughTheChart)
{
  auto f = Open(dir.file("demo.prj"));
  TPseudoSection2d* chart = f->PseudoSection2d1;
  chart->SetSettings(" 255 16711680 16711680 255 65535 32768 7 30 60 2 10 0 1 0 1 1 * *");
  const std::string res = chart->GetSettings();
  testinput::ClickCenter(f->SpeedButton7);
  ASSERT_EQ(f->State.DisplayMode, 1);
  EXPECT_EQ(f->State.SettingsLines[0], res);
  EXPECT_EQ(chart->GetLevelCount(), 15);
  ExpectPictures(*f, 1);
  chart->SetSettings(" 65280 16711680 16711680 255 65535 32768 9 25 70 1 20 0 0 0 0 1 * *");
  const std::string pol = chart->GetSettings();
  testinput::ClickCenter(f->SpeedButton3);
  EXPECT_EQ(f->State.SettingsLines[1], pol);
  EXPECT_EQ(chart->GetLevelCount(), 7);
  EXPECT_EQ(chart->GetMarginLeft(), 30);
  testinput::ClickCenter(f->SpeedButton7);
  EXPECT_EQ(chart->GetLevelCount(), 9);
  EXPECT_EQ(chart->GetContourMinColor(), 65280u);
}

TEST_F(SectionMainWindow, ProjectSavedAndLoadedGivesTheSameTwoLines)
{
  auto f = Open(dir.file("demo.prj"));
  f->PseudoSection2d1->SetSettings(" 255 16711680 16711680 255 65535 32768 7 30 60 2 10 1 1 0 1 0 40 2");
  testinput::ClickCenter(f->SpeedButton7);
  f->PseudoSection2d1->SetSettings(" 65280 16711680 16711680 255 65535 32768 9 25 70 1 20 0 0 0 0 1 * *");
  // As after the options dialog: the sections are contoured again with the new settings.
  f->Rebuild();
  AnswerFile("saved.prj", 1);
  testinput::ClickCenter(f->SpeedButton5);
  const auto saved = testsupport::ReadLines(dir.file("saved.prj"));
  ASSERT_GE(saved.size(), 3u);
  EXPECT_EQ(saved[0], f->State.SettingsLines[0]);
  EXPECT_EQ(saved[1], f->State.SettingsLines[1]);
  EXPECT_EQ(saved[2], "1");
  // The user limits of the resistivity line hold.
  EXPECT_EQ(SplitFloats(saved[0], 16), (arofdouble{40, 2}));

  auto g = Open(dir.file("saved.prj"));
  EXPECT_EQ(g->State.DisplayMode, 1);
  EXPECT_EQ(g->State.SettingsLines[0], saved[0]);
  EXPECT_EQ(g->State.SettingsLines[1], saved[1]);
  EXPECT_EQ(g->PseudoSection2d1->GetLevelCount(), 9);
  AnswerFile("again.prj", 1);
  testinput::ClickCenter(g->SpeedButton5);
  const auto again = testsupport::ReadLines(dir.file("again.prj"));
  ASSERT_GE(again.size(), 2u);
  EXPECT_EQ(again[0], saved[0]);
  EXPECT_EQ(again[1], saved[1]);
}

TEST_F(SectionMainWindow, GraphicsOptionsApplyToTheChartAndRebuild)
{
  auto f = Open(dir.file("demo.prj"));
  TForm::ModalAnswer = [&](TForm* form) {
    auto* d = dynamic_cast<TPseudosetupForm*>(form);
    EXPECT_NE(d, nullptr);
    if (!d) return mrCancel;
    EXPECT_EQ(d->Section(), f->PseudoSection2d1);
    d->PSLevNum->SetValue(5);
    d->PSLinesVisible->SetChecked(true);
    d->kwPicBtn3->Click();
    return mrOk;
  };
  testinput::ClickCenter(f->SpeedButton2);
  EXPECT_EQ(f->PseudoSection2d1->GetLevelCount(), 5);
  EXPECT_TRUE(f->PseudoSection2d1->GetShowIsolines());
  ExpectPictures(*f, 0);
  // Cancel leaves the chart as it was.
  const std::string before = f->PseudoSection2d1->GetSettings();
  TForm::ModalAnswer = [&](TForm* form) {
    auto* d = static_cast<TPseudosetupForm*>(form);
    d->PSLevNum->SetValue(20);
    d->kwPicBtn4->Click();
    return form->GetModalResult();
  };
  testinput::ClickCenter(f->SpeedButton2);
  EXPECT_EQ(f->PseudoSection2d1->GetLevelCount(), 5);
}

namespace {

// A model of nx x nz cell boundaries with values that vary across it, written as a ".k2d" file.
void WriteLargeModel(const std::string& path, size_t nx, size_t nz)
{
  std::string text = "large\r\nmodel\r\n\r\n";
  for (size_t i = 0; i < nx; ++i) text += std::to_string(i) + " ";
  text += "\r\n";
  for (size_t k = 0; k < nz; ++k) text += std::to_string(10 * k) + " ";
  text += "\r\ncells\r\n";
  for (size_t i = 0; i + 1 < nx; ++i) {
    for (size_t k = 0; k + 1 < nz; ++k) text += std::to_string(10 + 5 * k + i % 2) + " ";
    text += "\r\n";
  }
  testsupport::WriteAll(path, text);
}

// A project of the models, each on its own line along x, 100 apart in y.
void WriteLargeProject(const std::string& path, const std::vector<std::string>& models, double length)
{
  std::string text = " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 0 1 1 1 * *\r\n"
                     " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 0 0 1 1 * *\r\n0\r\n42 20 340\r\n" +
                     std::to_string(models.size() - 1) + "\r\n";
  for (size_t i = 0; i < models.size(); ++i)
    text += models[i] + "\r\n" + FloatToStrSci(0) + " " + FloatToStrSci(100.0 * static_cast<double>(i)) + " " +
            FloatToStrSci(length) + " " + FloatToStrSci(100.0 * static_cast<double>(i)) + " " + FloatToStrSci(0) +
            " " + FloatToStrSci(length) + "\r\n";
  testsupport::WriteAll(path, text);
}

}  // namespace

// Six sections above the grid node limit: one message for all of them on every rebuild, naming how
// many; the slice's own node limit is still said once per slice build.
TEST_F(SectionMainWindow, LargeSectionsAreReportedOncePerRebuild)
{
  const std::string six = "Very large nodes number! (6 sections)", slice = "The number of nodes is exceed maximal value";
  // 1001 x 21 boundaries: above 20000 nodes; six lines of 1001 columns are cut more than 4000 times.
  std::vector<std::string> models;
  for (int i = 0; i < 6; ++i) {
    models.push_back(dir.file("large" + std::to_string(i) + ".k2d"));
    WriteLargeModel(models.back(), 1001, 21);
  }
  WriteLargeProject(dir.file("large.prj"), models, 1000);
  TMessageCapture messages;
  auto f = std::make_unique<TForm1>(nullptr, std::vector<std::string>{});
  f->SetWindowState(wsNormal);
  testinput::ShowWindow(f.get());
  // The slice shown before the project comes: the load builds it after the pictures.
  testinput::ClickCenter(f->SpeedButton9);
  f->State.PlaneDepth = -100;
  ASSERT_TRUE(messages.Messages().empty());
  f->OpenProject(dir.file("large.prj"));
  ASSERT_EQ(f->State.Profiles.size(), 6u);
  ExpectPictures(*f, 0);
  ASSERT_EQ(f->State.PlaneReady, 1);
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{six, slice}));

  // The slice moved: built on its own, its message as before.
  messages.Clear();
  testinput::Click(f->SpinButton1, 5, 2);
  ASSERT_EQ(f->State.PlaneReady, 1);
  EXPECT_EQ(messages.Messages(), std::vector<std::string>{slice});

  // Dropping a row rebuilds, the slice hidden: five sections.
  testinput::ClickCenter(f->SpeedButton9);
  ASSERT_EQ(f->State.PlaneShown, 0);
  messages.Clear();
  testinput::ClickCenter(f->SpeedButton6);
  const std::vector<std::string> five = {"Very large nodes number! (5 sections)"};
  EXPECT_EQ(messages.Messages(), five);

  // The graphics options: three Applies and the rebuild after the dialog say it once.
  messages.Clear();
  TForm::ModalAnswer = [](TForm* form) {
    for (int i = 0; i < 3; ++i) static_cast<TPseudosetupForm*>(form)->ApplyClick();
    return mrOk;
  };
  testinput::ClickCenter(f->SpeedButton2);
  EXPECT_EQ(messages.Messages(), five);

  // One large section among small ones: the words alone.
  messages.Clear();
  WriteLargeModel(dir.file("small.k2d"), 11, 6);
  WriteLargeProject(dir.file("one.prj"), {dir.file("small.k2d"), models[0], dir.file("small.k2d")}, 1000);
  auto g = Open(dir.file("one.prj"));
  ASSERT_EQ(g->State.Profiles.size(), 3u);
  EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Very large nodes number!"});
}

// A rebuild that ends in an exception still says what was reported before it.
TEST(SectionMessages, WhatWasGatheredIsSaidWhenTheRebuildFails)
{
  TMessageCapture messages;
  TPseudoSection2d chart(nullptr);
  TPseudoSectionContour& contour = chart.Contour();
  EXPECT_THROW(
      {
        TSectionMessages gathered(contour);
        contour.OnMessage("Very large nodes number!");
        contour.OnMessage("Very large nodes number!");
        throw std::runtime_error("the rebuild failed");
      },
      std::runtime_error);
  EXPECT_EQ(messages.Messages(), std::vector<std::string>{"Very large nodes number! (2 sections)"});
}
