// The section chart: its settings line, the picture it contours, its popup commands, mouse zones,
// and its setup dialog, driven headless.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "app/ProfileModel.h"
#include "app/PseudoSection2d.h"
#include "app/PseudoSection2dContour.h"
#include "app/PseudoSetup.h"
#include "app/Supermath2d.h"
#include "chart/editor/EditChartFont.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/ChartRegistry.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "platform/PlaceableMetafile.h"
#include "platform/SysUtils.h"
#include "platform/TestInput.h"

namespace {

const char* const kFresh = " 255 16711680 16711680 255 65535 32768 15 25 70 1 20 0 1 0 1 1 * *";

struct FieldSection {
  fdata res, pol;
  bool ok = false;
  explicit FieldSection(const std::string& name = "line1.k2d")
  {
    ok = ReadModelFile(testsupport::FieldPath(name), res, pol);
  }
  void Feed(TPseudoSectionContour& c) const
  {
    c.SetGridInput(res, res);
  }
};

std::unique_ptr<TBitmap> Replay(TMetafile* picture)
{
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(512, 512);
  bmp->Canvas()->StretchDraw(TRect{0, 0, 512, 512}, picture);
  return bmp;
}

// A small scattered section with positive values: a hill in the middle.
void AddHill(TPseudoSection2d& chart)
{
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 6; ++j) {
      const double x = i * 10.0, y = j * 5.0;
      chart.AddNode(0, x, y, 10.0 + 100.0 / (1.0 + (x - 35) * (x - 35) / 100.0 + (y - 12) * (y - 12) / 50.0));
    }
  chart.BuildSection(true);
  chart.UpdateLevels();
  chart.UpdateLayout();
}

class SectionChart : public ::testing::Test {
protected:
  void SetUp() override
  {
    chart = std::make_unique<TPseudoSection2d>(nullptr);
    chart->SetBounds(0, 0, 400, 300);
    chart->OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, chart.get());
      ++changes;
    };
  }
  void TearDown() override
  {
    TOpenDialog::TestAnswer = nullptr;
    TForm::ModalAnswer = nullptr;
    TPopupMenu::TestAnswer = nullptr;
  }
  void AnswerFile(const std::string& path)
  {
    TOpenDialog::TestAnswer = [this, path](TOpenDialog* d) {
      filters.push_back(d->Filter);
      d->FileName = path;
      return true;
    };
  }

  testsupport::TempDir dir;
  std::unique_ptr<TPseudoSection2d> chart;
  std::vector<std::string> filters;
  int changes = 0;
};

}  // namespace

TEST_F(SectionChart, FreshChartGivesTheDefaultLine)
{
  EXPECT_EQ(chart->GetSettings(), kFresh);
  std::string line;
  chart->GetSettings(line);
  EXPECT_EQ(line, kFresh);
  EXPECT_EQ(chart->PictureWidth(), 5 * Screen()->GetWidth());
  EXPECT_EQ(chart->PictureHeight(), 5 * Screen()->GetHeight());
  EXPECT_EQ(chart->SectionMenu->Count(), 8);
  EXPECT_EQ(chart->SectionMenu->Items(5)->GetCaption(), "Save picture");
  EXPECT_EQ(chart->LabelFont()->GetName(), "Small fonts");
  EXPECT_EQ(chart->LabelFont()->GetSize(), 7);
}

TEST(SectionChartAppearance, GridPointAndStationSeriesReadTheirKeysFromTheInFile)
{
  NuvSeriesStartup();
  testsupport::TempDir dir;
  TPointSeries grid(nullptr), station(nullptr);
  grid.GetPointer()->SetHorizSize(5);
  grid.GetPointer()->SetStyle(psDiamond);
  station.GetPointer()->SetVertSize(6);
  const std::string gallery = GetGallerySeriesName(&grid);
  const std::string file = dir.file("orbisk.in");
  testsupport::WriteAll(file, "[serie_vamir_ps_grid]\r\nser_" + gallery + "=" + SeriesFormatToText(&grid) +
                                  "\r\n[serie_vamir_ps_st]\r\nser_" + gallery + "=" + SeriesFormatToText(&station) +
                                  "\r\n");
  SetSeriesSettingsFileName(file);
  TPseudoSection2d chart(nullptr);
  SetSeriesSettingsFileName("");
  EXPECT_EQ(chart.GridPointSeries->GetPointer()->GetHorizSize(), 5);
  EXPECT_EQ(chart.GridPointSeries->GetPointer()->GetStyle(), psDiamond);
  EXPECT_EQ(chart.StationSeries->GetPointer()->GetVertSize(), 6);
  // The mark series has no key; the built-in look stays.
  EXPECT_EQ(chart.MarkSeries->GetPointer()->GetHorizSize(), 3);
  EXPECT_EQ(chart.MarkSeries->GetPointer()->GetStyle(), psCircle);
  // The snapshot taken before reading keeps the built-in look for the series menu's "Default".
  EXPECT_NE(chart.GridPointSeries->DefaultSettingsText, SeriesFormatToText(chart.GridPointSeries));
}

TEST_F(SectionChart, SettingsRoundTripThroughTheChart)
{
  const std::string line = " 1193046 0 16777215 7 11259375 66051 30 0 100 42 3 1 0 1 0 0 1234.5 -0.00125";
  chart->SetSettings(line);
  const std::string got = chart->GetSettings();
  const auto words = SplitWords(got, 0), sent = SplitWords(line, 0);
  ASSERT_EQ(words.size(), 18u);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(words[i], sent[i]) << i;
  EXPECT_EQ(chart->GetUserMax(), 1234.5);
  EXPECT_EQ(chart->GetUserMin(), -0.00125);
  // What the chart writes reads back to the same line.
  chart->SetSettings(got);
  EXPECT_EQ(chart->GetSettings(), got);
  EXPECT_EQ(chart->GetMarginRight(), 100);
  EXPECT_FALSE(chart->GridPointSeries->GetActive());
  const std::string stars = " 255 16711680 16711680 255 65535 32768 2 25 70 1 20 1 1 0 1 1 * *";
  chart->SetSettings(stars);
  EXPECT_EQ(chart->GetSettings(), stars);
  EXPECT_EQ(chart->GetUserMax(), NoValue);
  EXPECT_EQ(chart->GetUserMin(), NoValue);
}

TEST_F(SectionChart, HostileLinesChangeNothingTheyShouldNot)
{
  chart->SetSettings(" 1 2 3 4 5 6 7 8 9 10 11 1 1 1 1 1 5 1");
  const std::string before = chart->GetSettings();
  // Short lines.
  for (const char* line : {"", "junk", " 1 2 3 4 5 6 7 8 9 10 11 1 1 1 1 1 5"}) {
    chart->SetSettings(line);
    EXPECT_EQ(chart->GetSettings(), before) << line;
  }
  // Words only: the fields keep their values; the limits become unset.
  chart->SetSettings("a b c d e f g h i j k l m n o p q r");
  EXPECT_EQ(chart->GetSettings(), " 1 2 3 4 5 6 7 8 9 10 11 1 1 1 1 1 * *");
  // Huge numbers.
  chart->SetSettings(" 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 1e300 "
                     "1e300 1e300 -1e300");
  EXPECT_EQ(SplitWords(chart->GetSettings(), 0).size(), 18u);
  EXPECT_EQ(chart->GetLevelCount(), 7);
  EXPECT_EQ(chart->GetMarginLeft(), 8);
  EXPECT_EQ(chart->GetContourMinColor(), 1u);
  // Forty fields: the first eighteen count.
  std::string forty = kFresh;
  for (int i = 0; i < 22; ++i) forty += " 999";
  chart->SetSettings(forty);
  EXPECT_EQ(chart->GetSettings(), kFresh);
}

TEST_F(SectionChart, FieldSectionsThroughTheChartMatchTheContourAlone)
{
  for (const char* name : {"line1.k2d", "line2.m2d", "line3.cht"}) {
    SCOPED_TRACE(name);
    FieldSection f(name);
    ASSERT_TRUE(f.ok);
    chart->SetNextNode(1);
    f.Feed(chart->Contour());
    chart->BuildSection(true);
    chart->UpdateLevels();
    chart->UpdateLayout();
    ASSERT_GT(chart->SectionPicture()->RecordCount(), 100u);

    TPseudoSectionContour alone(chart->PictureWidth(), chart->PictureHeight());
    f.Feed(alone);
    alone.BuildSection(true);
    alone.UpdateLevels();
    alone.UpdatePlotTransform();
    alone.RenderPicture();
    EXPECT_EQ(chart->SectionPicture()->RecordCount(), alone.SectionPicture()->RecordCount());
    const auto a = Replay(chart->SectionPicture());
    const auto b = Replay(alone.SectionPicture());
    int differ = 0;
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x) differ += a->Canvas()->GetPixel(x, y) != b->Canvas()->GetPixel(x, y) ? 1 : 0;
    EXPECT_EQ(differ, 0);
    // The picture is not blank: it holds the band colours.
    EXPECT_NE(a->Canvas()->GetPixel(256, 256), clWhite);
  }
}

TEST_F(SectionChart, LogarithmicAxesPlaceThePicture)
{
  AddHill(*chart);
  // Depths from 0: the logarithmic depth axis turns symmetric and the nodes take its logarithm.
  TChartAxis* left = chart->GetLeftAxis();
  left->SetLogarithmic(true);
  chart->UpdateLayout();
  EXPECT_TRUE(left->SymmetricLog);
  EXPECT_GT(chart->SectionPicture()->RecordCount(), 10u);
  const dVertex3d& n = chart->Contour().NodeTable[8];  // x 10, y 5
  EXPECT_DOUBLE_EQ(n.y, SymmetricLog10(left->SymmetricScale, 5.0));
  EXPECT_DOUBLE_EQ(n.x, 10.0);
  // A fixed logarithmic range above 0 keeps the ordinary logarithm, which depth 0 does not have:
  // the picture stays empty instead of failing.
  left->SetAutomatic(false);
  left->SetMinMax(1, 100);
  EXPECT_NO_THROW(chart->UpdateLayout());
  EXPECT_FALSE(left->SymmetricLog);
  EXPECT_EQ(chart->SectionPicture()->RecordCount(), 0u);
  // Nor do negative positions (the first node has a logarithm, later ones do not).
  chart->SetNextNode(1);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) chart->AddNode(0, i * 10.0, 7.0 - j * 5.0, i + j + 1.0);
  chart->BuildSection(true);
  chart->UpdateLevels();
  EXPECT_NO_THROW(chart->UpdateLayout());
  EXPECT_EQ(chart->SectionPicture()->RecordCount(), 0u);
  // A logarithmic bottom axis over positive positions.
  left->SetLogarithmic(false);
  chart->SetNextNode(1);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) chart->AddNode(0, i * 10.0 + 1, j * 5.0, i + j + 1.0);
  chart->BuildSection(true);
  chart->UpdateLevels();
  chart->GetBottomAxis()->SetLogarithmic(true);
  chart->UpdateLayout();
  EXPECT_GT(chart->SectionPicture()->RecordCount(), 10u);
  EXPECT_DOUBLE_EQ(chart->Contour().NodeTable[20].x, std::log10(41.0));
  EXPECT_DOUBLE_EQ(chart->Contour().NodeTable[20].y, 15.0);
}

TEST_F(SectionChart, LogScaleIsRefusedForRangesReachingZero)
{
  chart->AddNode(0, 0, 0, -1);
  chart->AddNode(0, 10, 0, 5);
  chart->AddNode(0, 0, 10, 7);
  chart->AddNode(0, 10, 10, 9);
  chart->BuildSection(true);
  chart->UpdateLevels();
  const std::vector<double> levels = chart->Contour().LevelValues;
  chart->PopupCommand(scLogScale);
  EXPECT_FALSE(chart->GetLogData());
  EXPECT_EQ(chart->Contour().LevelValues, levels);
  EXPECT_EQ(changes, 1);
}

TEST_F(SectionChart, MenuTogglesAndDefault)
{
  AddHill(*chart);
  chart->PopupCommand(scLogScale);
  EXPECT_TRUE(chart->GetLogData());
  chart->PopupCommand(scLogScale);
  EXPECT_FALSE(chart->GetLogData());
  chart->PopupCommand(scGridPoints);
  EXPECT_FALSE(chart->GridPointSeries->GetActive());
  chart->PopupCommand(scColorBar);
  EXPECT_FALSE(chart->GetShowColorBar());
  // "Default" with no default line does nothing; with one it applies it.
  const std::string now = chart->GetSettings();
  chart->PopupCommand(scDefault);
  EXPECT_EQ(chart->GetSettings(), now);
  chart->DefaultSettings = kFresh;
  chart->PopupCommand(scDefault);
  EXPECT_EQ(chart->GetSettings(), kFresh);
  EXPECT_EQ(changes, 6);
  // The menu's own items run the commands.
  chart->SectionMenu->Items(scColorBar)->Click();
  EXPECT_FALSE(chart->GetShowColorBar());
  EXPECT_EQ(changes, 7);
}

TEST_F(SectionChart, PopupOpensOnlyOffThePicture)
{
  AddHill(*chart);
  int popups = 0;
  TPopupMenu::TestAnswer = [&](TPopupMenu* m) {
    ++popups;
    EXPECT_EQ(m, chart->SectionMenu);
    EXPECT_TRUE(m->Items(scGridPoints)->GetChecked());
    EXPECT_TRUE(m->Items(scColorBar)->GetChecked());
    return static_cast<int>(scColorBar);
  };
  chart->MouseZone = smzPicture;
  chart->ShowPopup(chart.get());
  EXPECT_EQ(popups, 0);
  chart->MouseZone = smzLeft;
  chart->ShowPopup(chart.get());
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(chart->PopupChart, chart.get());
  EXPECT_FALSE(chart->GetShowColorBar());
  EXPECT_EQ(changes, 1);
}

TEST_F(SectionChart, MouseZonesAroundThePlotArea)
{
  AddHill(*chart);
  chart->PaintBuffer();
  const TRect plot = chart->PlotArea();
  ASSERT_FALSE(plot.IsEmpty());
  int positions = 0;
  chart->OnPosition = [&](TObject*) { ++positions; };
  chart->SectionMouseMove(chart.get(), 0, plot.Left - 3, (plot.Top + plot.Bottom) / 2);
  EXPECT_EQ(chart->MouseZone, smzLeft);
  chart->SectionMouseMove(chart.get(), 0, (plot.Left + plot.Right) / 2, plot.Top - 1);
  EXPECT_EQ(chart->MouseZone, smzAbove);
  chart->SectionMouseMove(chart.get(), 0, (plot.Left + plot.Right) / 2, plot.Bottom + 2);
  EXPECT_EQ(chart->MouseZone, smzBelow);
  chart->SectionMouseMove(chart.get(), 0, plot.Right + 5, (plot.Top + plot.Bottom) / 2);
  EXPECT_EQ(chart->MouseZone, smzRight);
  EXPECT_EQ(positions, 4);
  EXPECT_EQ(SplitWords(chart->PositionText, 0).size(), 2u);
  // Through the window system: a move reports the position, a double click off the picture opens
  // the menu, one on the picture does not.
  testinput::ShowWindow(chart.get());
  int popups = 0;
  TPopupMenu::TestAnswer = [&](TPopupMenu*) {
    ++popups;
    return -1;
  };
  const TRect pic = chart->PictureRect();
  const TPoint inside{(pic.Left + pic.Right) / 2, (pic.Top + pic.Bottom) / 2};
  testinput::MouseMove(chart.get(), inside.x, inside.y);
  EXPECT_EQ(chart->MouseZone, smzPicture);
  EXPECT_EQ(positions, 5);
  // The position is the data under the mouse: the middle of the picture is the middle of the data.
  EXPECT_NEAR(chart->CursorX, 35.0, 2.0);
  EXPECT_NEAR(chart->CursorY, 12.5, 2.0);
  testinput::DoubleClick(chart.get(), inside.x, inside.y);
  EXPECT_EQ(popups, 0);
  testinput::MouseMove(chart.get(), plot.Left - 3, (plot.Top + plot.Bottom) / 2);
  testinput::DoubleClick(chart.get(), plot.Left - 3, (plot.Top + plot.Bottom) / 2);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(changes, 0);  // dismissed: no command ran
  // With the depth axis the other way up the picture is drawn flipped; it is still the picture.
  chart->GetLeftAxis()->SetInverted(false);
  chart->PaintBuffer();
  const TRect flipped = chart->PictureRect();
  const TPoint middle{(flipped.Left + flipped.Right) / 2, (flipped.Top + flipped.Bottom) / 2};
  testinput::MouseMove(chart.get(), middle.x, middle.y);
  EXPECT_EQ(chart->MouseZone, smzPicture);
  testinput::DoubleClick(chart.get(), middle.x, middle.y);
  EXPECT_EQ(popups, 1);
}

TEST_F(SectionChart, ResizePlacesTheLegendRightOfThePlotArea)
{
  AddHill(*chart);
  testinput::ShowWindow(chart.get());
  chart->SetBounds(0, 0, 500, 350);
  testinput::ProcessEvents();
  const TRect plot = chart->PlotArea();
  // Inside the margins: 25 left, 70 right.
  EXPECT_GE(plot.Left, 25);
  EXPECT_LE(plot.Right, 500 - 70);
  EXPECT_GT(plot.Right, 300);
  EXPECT_EQ(chart->GetLegend()->GetLeft(), plot.Right + 15);
  EXPECT_EQ(chart->GetLegend()->GetTop(), plot.Top);
}

TEST_F(SectionChart, SavePictureWritesTheFormatItsExtensionNames)
{
  AddHill(*chart);
  chart->PaintBuffer();
  AnswerFile(dir.file("pic.emf"));
  chart->PopupCommand(scSavePicture);
  ASSERT_EQ(filters.size(), 1u);
  EXPECT_EQ(filters[0], "Meta files [*.emf]|*.emf");
  const std::string emf = testsupport::ReadAll(dir.file("pic.emf"));
  ASSERT_GT(emf.size(), 200u);
  EXPECT_EQ(emf.substr(40, 4), " EMF");
  uint32_t declared;
  std::memcpy(&declared, emf.data() + 48, 4);
  EXPECT_EQ(declared, emf.size());
  // Read back by our reader and, when installed, by an outside one.
  TMetafile back;
  back.LoadFromFile(dir.file("pic.emf"));
  EXPECT_GT(back.RecordCount(), 10u);
  if (std::system("command -v emf2svg-conv >/dev/null 2>&1") == 0) {
    const std::string svg = dir.file("pic.svg");
    ASSERT_EQ(std::system(("emf2svg-conv -i '" + dir.file("pic.emf") + "' -o '" + svg + "' >/dev/null 2>&1").c_str()), 0);
    const std::string text = testsupport::ReadAll(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("<path"), std::string::npos);
  }
  AnswerFile(dir.file("pic.wmf"));
  chart->PopupCommand(scSavePicture);
  EXPECT_TRUE(IsPlaceableMetafile(testsupport::ReadAll(dir.file("pic.wmf"))));
  AnswerFile(dir.file("pic.bmp"));
  chart->PopupCommand(scSavePicture);
  EXPECT_EQ(testsupport::ReadAll(dir.file("pic.bmp")).substr(0, 2), "BM");
  AnswerFile(dir.file("other.png"));
  chart->PopupCommand(scSavePicture);
  EXPECT_FALSE(std::filesystem::exists(dir.file("other.png")));
  EXPECT_EQ(testsupport::ReadAll(dir.file("other.emf")).substr(40, 4), " EMF");
  // A cancelled dialog writes nothing and still reports the change.
  TOpenDialog::TestAnswer = [](TOpenDialog*) { return false; };
  chart->PopupCommand(scSavePicture);
  EXPECT_EQ(changes, 5);
}

TEST_F(SectionChart, AFailedPictureSaveKeepsTheOldFileAndSaysWhy)
{
  AddHill(*chart);
  chart->PaintBuffer();
  const std::string old(1100000, 'o');
  for (const char* name : {"pic.emf", "pic.wmf", "pic.bmp"}) {
    testsupport::WriteAll(dir.file(name), old);
    AnswerFile(dir.file(name));
    TMessageCapture capture;
    {
      testsupport::FileSizeLimit limit(2000);
      chart->PopupCommand(scSavePicture);
    }
    EXPECT_TRUE(testsupport::ReadAll(dir.file(name)) == old) << name;
    ASSERT_EQ(capture.Messages().size(), 1u) << name;
    EXPECT_NE(capture.Messages()[0].find("File too large"), std::string::npos) << capture.Messages()[0];
  }
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.path().filename().string().starts_with("pic");
  EXPECT_EQ(files, 3u);
}

TEST_F(SectionChart, SaveXYZWritesEveryNodeAndReportsFailures)
{
  AddHill(*chart);
  AnswerFile(dir.file("nodes.txt"));
  chart->PopupCommand(scSaveXYZ);
  EXPECT_EQ(filters.back(), "XYZ files [*.dat]|*.dat");
  const auto lines = testsupport::ReadLines(dir.file("nodes.dat"));
  ASSERT_EQ(lines.size(), 49u);
  EXPECT_EQ(lines[0], "X -Y  Z");
  for (int i = 1; i <= 48; ++i) {
    const arofdouble v = SplitFloats(lines[static_cast<size_t>(i)], 0);
    ASSERT_EQ(v.size(), 3u);
    const dVertex3d& n = chart->Contour().NodeTable[static_cast<size_t>(i)];
    EXPECT_DOUBLE_EQ(v[0], n.x);
    EXPECT_DOUBLE_EQ(v[1], -n.y);
    EXPECT_NEAR(v[2], n.value, 1e-12 * std::abs(n.value));
  }
  // A file that cannot be written is reported; the old one is kept.
  std::filesystem::create_directory(dir.file("blocked.dat"));
  AnswerFile(dir.file("blocked.dat"));
  TMessageCapture capture;
  chart->PopupCommand(scSaveXYZ);
  ASSERT_EQ(capture.Messages().size(), 1u);
  EXPECT_NE(capture.Messages()[0].find("XYZ"), std::string::npos);
  EXPECT_EQ(changes, 2);
}

TEST_F(SectionChart, PrintPreviewAndSetupAreModal)
{
  AddHill(*chart);
  std::vector<std::string> captions;
  TForm::ModalAnswer = [&](TForm* f) {
    captions.push_back(f->GetCaption());
    return mrCancel;
  };
  chart->PopupChart = chart.get();
  chart->PopupCommand(scPrintPreview);
  chart->PopupCommand(scSetup);
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[1], "Contour-section setup");
  TPseudosetupForm* dialog = TPseudoSection2d::SetupDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Section(), chart.get());
  // Kept for later use.
  chart->PopupCommand(scSetup);
  EXPECT_EQ(TPseudoSection2d::SetupDialog(), dialog);
  EXPECT_EQ(changes, 3);
  // The dialog lets go of a chart that is freed.
  chart.reset();
  EXPECT_EQ(dialog->Section(), nullptr);
}

// ---------------------------------------------------------------- setup dialog

class SetupDialog : public SectionChart {
protected:
  void SetUp() override
  {
    SectionChart::SetUp();
    AddHill(*chart);
    form = std::make_unique<TPseudosetupForm>(nullptr);
    form->LoadFromSection(chart.get());
  }
  void TearDown() override
  {
    form.reset();
    SectionChart::TearDown();
  }
  std::unique_ptr<TPseudosetupForm> form;
};

TEST_F(SetupDialog, ShowsTheChartsSettings)
{
  EXPECT_EQ(form->GetCaption(), "Contour-section setup");
  EXPECT_EQ(form->PSLeftval->GetValue(), 25);
  EXPECT_EQ(form->PSRightval->GetValue(), 70);
  EXPECT_EQ(form->PStopval->GetValue(), 1);
  EXPECT_EQ(form->PSBottomval->GetValue(), 20);
  EXPECT_EQ(form->PSLevNum->GetValue(), 15);
  EXPECT_TRUE(form->PSLinesVisible->GetChecked());
  EXPECT_EQ(form->PSMinContour->GetColor(), 0x0000FFu);
  EXPECT_EQ(form->PScontour1_3->GetColor(), 0x00FFFFu);
  EXPECT_FALSE(form->PSuseExternal->GetChecked());
  EXPECT_FALSE(form->PSExtMin->GetEnabled());
  // Unset limits show "*"; after contouring the limits hold the data range.
  EXPECT_EQ(form->PSExtMin->GetText(), FloatToStrDec(0, true, chart->GetUserMin()));
  form->PSuseExternal->Click();
  EXPECT_TRUE(form->PSExtMin->GetEnabled());
  EXPECT_TRUE(form->PSExtMax->GetEnabled());
}

TEST_F(SetupDialog, ApplyStoresAWordAsAnUnsetMinimum)
{
  form->PSuseExternal->SetChecked(true);
  form->PSExtMin->SetText("low");
  form->PSExtMax->SetText("500");
  form->PSLeftval->SetValue(40);
  form->PSMaxIsoline->SetColor(0x00FF00);
  form->kwPicBtn3->Click();
  EXPECT_TRUE(chart->GetUserLimits());
  EXPECT_EQ(chart->GetMarginLeft(), 40);
  EXPECT_EQ(chart->GetIsolineMaxColor(), 0x00FF00u);
  // An unset minimum makes the range the data's again, which overwrites both limits, and the
  // dialog shows what was stored.
  EXPECT_EQ(form->PSExtMin->GetText(), FloatToStrDec(0, true, chart->GetUserMin()));
  // With the limits not in use, a word still goes in unset and shows "*".
  TPseudoSection2d other(nullptr);
  form->LoadFromSection(&other);
  form->PSExtMin->SetText("word");
  form->kwPicBtn3->Click();
  EXPECT_EQ(other.GetUserMin(), NoValue);
  EXPECT_EQ(form->PSExtMin->GetText(), "*");
  form->LoadFromSection(chart.get());
}

TEST_F(SetupDialog, LevelCountStaysWithinTwoToThirty)
{
  form->PSLevNum->SetValue(1);
  EXPECT_EQ(form->PSLevNum->GetValue(), 2);
  form->PSLevNum->Spin()->OnDownClick(form->PSLevNum->Spin());
  EXPECT_EQ(form->PSLevNum->GetValue(), 2);
  form->PSLevNum->Edit()->SetText("99");
  EXPECT_EQ(form->PSLevNum->GetValue(), 30);
  form->PSLevNum->Spin()->OnUpClick(form->PSLevNum->Spin());
  EXPECT_EQ(form->PSLevNum->GetValue(), 30);
  form->PSLevNum->Edit()->SetText("many");
  EXPECT_EQ(form->PSLevNum->GetValue(), 30);
  form->kwPicBtn3->Click();
  EXPECT_EQ(chart->GetLevelCount(), 30);
  form->PSLevNum->Edit()->SetText("-4");
  form->kwPicBtn3->Click();
  EXPECT_EQ(chart->GetLevelCount(), 2);
}

TEST_F(SetupDialog, FontButtonEditsTheColourBarLabelFont)
{
  TForm::ModalAnswer = [](TForm* f) {
    auto* editor = dynamic_cast<TChartFontEditor*>(f);
    EXPECT_NE(editor, nullptr);
    if (!editor) return mrCancel;
    editor->SizeEdit->SetText("12");
    return mrOk;
  };
  form->Button1->Click();
  EXPECT_EQ(chart->LabelFont()->GetSize(), 12);
  EXPECT_EQ(chart->LabelFont()->GetName(), "Small fonts");
}

TEST_F(SetupDialog, CancelAppliesNothing)
{
  const std::string before = chart->GetSettings();
  TForm::ModalAnswer = [&](TForm* f) {
    auto* d = static_cast<TPseudosetupForm*>(f);
    d->PSLevNum->SetValue(3);
    d->PSLinesVisible->SetChecked(false);
    d->PSMinContour->SetColor(0x123456);
    d->kwPicBtn4->Click();
    return f->GetModalResult();
  };
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(chart->GetSettings(), before);
}
