// The main window driven through its real controls: start-up, opening by argument, the section
// list, the toolbar commands and the timers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "chart/canvas/NuvGLCanvas.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "app/SceneGeometry.h"
#include "app/Supermath2d.h"
#include "app/Unit1.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"
#include "platform/TestInput.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// The example project and its model files, copied into a folder of the test's own.
void CopyExamples(const TempDir& dir)
{
  for (const char* name : {"demo.prj", "demo-east.k2d", "demo-north.cht", "demo-diagonal.m2d", "demo-points.dat"})
    fs::copy_file(testsupport::ExamplePath(name), dir.file(name), fs::copy_options::overwrite_existing);
}

// The fixed ranges of the scene chart's bottom, depth and left axes.
void AxisRanges(TForm1& f, double& x0, double& x1, double& y0, double& y1, double& z0, double& z1)
{
  x0 = f.Chart3->GetBottomAxis()->GetMinimum();
  x1 = f.Chart3->GetBottomAxis()->GetMaximum();
  y0 = f.Chart3->GetDepthAxis()->GetMinimum();
  y1 = f.Chart3->GetDepthAxis()->GetMaximum();
  z0 = f.Chart3->GetLeftAxis()->GetMinimum();
  z1 = f.Chart3->GetLeftAxis()->GetMaximum();
}

class MainWindow : public ::testing::Test {
protected:
  void SetUp() override
  {
    // The association written at start goes to the test's folder, not the user's.
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    CopyExamples(dir);
  }
  void TearDown() override
  {
    TOpenDialog::TestAnswer = nullptr;
    TForm::ModalAnswer = nullptr;
  }

  TForm1& Make(std::vector<std::string> args = {})
  {
    form = std::make_unique<TForm1>(nullptr, std::move(args));
    form->SetWindowState(wsNormal);
    testinput::ShowWindow(form.get());
    return *form;
  }

  // Every file dialog is cancelled and every modal form answered OK, each counted.
  static void CountDialogs(int& dialogs, int& modals)
  {
    TOpenDialog::TestAnswer = [&dialogs](TOpenDialog*) {
      ++dialogs;
      return false;
    };
    TForm::ModalAnswer = [&modals](TForm*) {
      ++modals;
      return mrOk;
    };
  }

  TForm1& Loaded()
  {
    TForm1& f = Make();
    f.OpenProject(dir.file("demo.prj"));
    return f;
  }

  // Answers the file dialogs with a file of the test's folder and a filter; when expected is
  // given, it must be the dialog that asks.
  void AnswerFile(const std::string& name, int filterIndex, TOpenDialog* expected = nullptr)
  {
    TOpenDialog::TestAnswer = [this, name, filterIndex, expected](TOpenDialog* d) {
      if (expected) {
        EXPECT_EQ(d, expected);
      }
      d->FileName = dir.file(name);
      d->FilterIndex = filterIndex;
      return true;
    };
  }

  // Clicks the middle of a grid cell.
  void ClickCell(int col, int row, TMouseButton button = mbLeft)
  {
    TRichStringGrid* g = form->RichStringGrid1;
    // Scrolled out of view: scroll back first.
    if (g->CellRect(col, row).IsEmpty() && col >= 1) g->SetLeftCol(col);
    const TRect r = g->CellRect(col, row);
    ASSERT_FALSE(r.IsEmpty());
    testinput::Click(form->RichStringGrid1, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2, button);
  }

  // Edits a cell as a user does: select it, click it again to open the editor, type, Enter.
  void EditCell(int col, int row, const std::string& text)
  {
    TRichStringGrid* g = form->RichStringGrid1;
    ClickCell(col, row);
    if (!g->GetEditorMode()) ClickCell(col, row);
    ASSERT_TRUE(g->GetEditorMode());
    g->SetEditorText("");
    testinput::Type(g, text);
    testinput::Key(g, VK_RETURN);
  }

  void TypeInto(TEdit* edit, const std::string& text)
  {
    testinput::Focus(edit);
    ASSERT_TRUE(edit->Focused());
    edit->SetText("");
    testinput::Type(edit, text);
  }

  std::string Cell(int col, int row) { return form->RichStringGrid1->GetCells(col, row); }

  TempDir dir;
  TMessageCapture messages;
  std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, StartsWithOneEmptyRowAndPerModeSettings)
{
  TForm1& f = Make();
  EXPECT_EQ(f.GetCaption(), "Orbisk");
  TRichStringGrid* g = f.RichStringGrid1;
  EXPECT_EQ(g->GetRowCount(), 2);
  EXPECT_EQ(g->GetColCount(), 9);
  const char* headers[] = {"N", "File Name", "X0", "Y0", "X1", "Y1", "v", "st", "en"};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(Cell(c, 0), headers[c]);
  EXPECT_EQ(Cell(0, 1), "1");
  ASSERT_EQ(f.State.Profiles.size(), 1u);
  EXPECT_EQ(f.State.Profiles[0][0].Shown, 1);
  EXPECT_EQ(f.State.Profiles[0][0].Present, 0);
  EXPECT_EQ(f.State.Loaded, std::vector<uint8_t>{0});
  EXPECT_EQ(f.State.ScaleRatio, 1.0);
  EXPECT_EQ(f.kwBiSplit1->Pane1()->GetWidth(), 366);
  // Resistivity: no isolines; polarizability: no isolines, linear scale; the chart itself ends on log scale.
  const auto res = SplitWords(f.State.SettingsLines[0], 0), pol = SplitWords(f.State.SettingsLines[1], 0);
  ASSERT_EQ(res.size(), 18u);
  ASSERT_EQ(pol.size(), 18u);
  EXPECT_EQ(res[12], "0");
  EXPECT_EQ(pol[12], "0");
  EXPECT_EQ(pol[13], "0");
  EXPECT_TRUE(f.PseudoSection2d1->GetLogData());
  EXPECT_EQ(f.Chart3->GetLeftAxis()->LabelFactor, -1.0);
  EXPECT_FALSE(NuvChartUseMouseWheel);
  EXPECT_TRUE(f.SpeedButton3->GetFlat());
  EXPECT_FALSE(f.SpeedButton7->GetFlat());
  EXPECT_FALSE(f.Edit2->GetVisible());
  EXPECT_FALSE(f.Timer2->GetEnabled());
  // The association was written at start.
  EXPECT_TRUE(fs::exists(dir.path() / "applications" / "prjKelFile.desktop"));
}

TEST_F(MainWindow, OpensTheArgumentProjectAfterOneSecondAndListsItsSections)
{
  TForm1& f = Make({dir.file("demo.prj")});
  testinput::Wait(400);
  EXPECT_EQ(f.RichStringGrid1->GetRowCount(), 2) << "opened before the timer";
  testinput::Wait(1100);
  EXPECT_FALSE(f.Timer1->GetEnabled());
  TRichStringGrid* g = f.RichStringGrid1;
  ASSERT_EQ(g->GetRowCount(), 4);
  EXPECT_EQ(f.State.Profiles.size(), 3u);
  const std::vector<std::vector<std::string>> rows = {
      {"1", "demo-east.k2d", "0.0", "100.0", "200.0", "100.0", "", "0.0", "200.0"},
      {"2", "demo-north.cht", "100.0", "0.0", "100.0", "200.0", "", "0.0", "200.0"},
      {"3", "demo-diagonal.m2d", "0.0", "0.0", "198.0", "198.0", "", "0.0", "280.0"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 9; ++c) EXPECT_EQ(Cell(c, r + 1), rows[r][c]) << "cell " << c << ", " << r + 1;
    EXPECT_TRUE(g->HasCheckBox(6, r + 1));
    EXPECT_TRUE(g->GetCheckBoxState(6, r + 1));
  }
  // The stored view reached the scene chart.
  int zoom, rotation, elevation;
  f.GetView3D(zoom, rotation, elevation);
  EXPECT_EQ(zoom, 42);
  EXPECT_EQ(rotation, 20);
  EXPECT_EQ(elevation, 340);
}

TEST_F(MainWindow, ArgumentsJoinLastToFirstAndTheExtensionTestIgnoresCase)
{
  EXPECT_EQ(JoinArgumentsReversed({"A", "B"}), "BA");
  EXPECT_EQ(JoinArgumentsReversed({}), "");
  fs::copy_file(dir.file("demo.prj"), dir.file("My Demo.PRJ"));
  // A path with a blank arrives as two arguments.
  TForm1& f = Make({"Demo.PRJ", dir.file("My ")});
  f.Timer1Timer();
  EXPECT_EQ(f.State.Profiles.size(), 3u);
  EXPECT_FALSE(f.Timer1->GetEnabled());
  // Split at its blank by an unquoted command line, the path is rebuilt in argument order.
  form.reset();
  TForm1& h = Make({dir.file("My"), "Demo.PRJ"});
  h.Timer1Timer();
  EXPECT_EQ(h.State.Profiles.size(), 3u);
  EXPECT_TRUE(messages.Messages().empty());
  // Another extension opens nothing, and the timer still stops.
  form.reset();
  TForm1& g = Make({dir.file("demo-east.k2d")});
  g.Timer1Timer();
  EXPECT_EQ(g.RichStringGrid1->GetRowCount(), 2);
  EXPECT_FALSE(g.Timer1->GetEnabled());
}

TEST_F(MainWindow, CommandsThatNeedASectionAreInertBeforeOne)
{
  TForm1& f = Make();
  int dialogs = 0, modals = 0;
  CountDialogs(dialogs, modals);
  const std::string line = f.PseudoSection2d1->GetSettings();
  testinput::ClickCenter(f.SpeedButton5);  // save
  testinput::ClickCenter(f.SpeedButton7);  // polarizability
  testinput::ClickCenter(f.SpeedButton3);  // resistivity
  testinput::ClickCenter(f.SpeedButton2);  // options
  testinput::ClickCenter(f.SpeedButton10);  // equal scale
  testinput::Click(f.SpinButton1, 5, 2);
  testinput::Click(f.SpinButton1, 5, f.SpinButton1->GetHeight() - 2);
  TypeInto(f.Edit1, "25");
  EXPECT_EQ(dialogs, 0);
  EXPECT_EQ(modals, 0);
  EXPECT_EQ(f.State.DisplayMode, 0);
  EXPECT_TRUE(f.SpeedButton3->GetFlat());
  EXPECT_FALSE(f.SpeedButton7->GetFlat());
  EXPECT_EQ(f.PseudoSection2d1->GetSettings(), line);
  EXPECT_EQ(f.State.EqualScale, 0);
  EXPECT_FALSE(f.Edit2->GetVisible());
  EXPECT_EQ(f.State.PlaneDepth, 0.0);
  EXPECT_EQ(f.SetupForm, nullptr);
  // Dropping with one data row leaves the grid as it is.
  testinput::ClickCenter(f.SpeedButton6);
  EXPECT_EQ(f.RichStringGrid1->GetRowCount(), 2);
  EXPECT_EQ(f.State.Profiles.size(), 1u);
}

TEST_F(MainWindow, CellEditsMoveTheSectionAndRefuseWhatTheyMust)
{
  TForm1& f = Loaded();
  fdata& d = f.State.Profiles[0][0];
  EditCell(2, 1, "50");
  EXPECT_EQ(d.X0, 50.0);
  EXPECT_EQ(Cell(2, 1), "50");
  EXPECT_EQ(f.State.Grid.Cell(2, 1), "50");
  // PlaceSection ran: the first X lies on the new start.
  EXPECT_DOUBLE_EQ(d.PlanX0, 50.0);
  // Text that is not a finite number is refused with a message: the cell shows the number in
  // use again, and the value, the scene and the saved project keep it.
  const std::string y0 = Cell(3, 1);
  for (const std::string text : {"abc", "nan", "inf", "-inf", "1e400", ""}) {
    messages.Clear();
    EditCell(3, 1, text);
    EXPECT_EQ(Cell(3, 1), y0) << text;
    EXPECT_EQ(f.State.Grid.Cell(3, 1), y0) << text;
    EXPECT_EQ(d.Y0, 100.0) << text;
    ASSERT_EQ(messages.Messages().size(), 1u) << text;
    EXPECT_EQ(messages.Messages()[0], "\"" + text + "\" is not a finite number: Y0 stays " + y0 + ".");
  }
  for (int col : {2, 4, 5, 7, 8}) {
    const std::string before = Cell(col, 1);
    EditCell(col, 1, "1e400");
    EXPECT_EQ(Cell(col, 1), before) << col;
  }
  EXPECT_EQ(d.X0, 50.0);
  EXPECT_TRUE(std::isfinite(d.PlanX1));
  messages.Clear();
  // st and en: a change recomputes the span; st equal to en is refused.
  EditCell(8, 1, "300");
  EXPECT_EQ(d.en, 300.0);
  EXPECT_EQ(d.Span(), 300.0);
  EditCell(7, 1, "300");
  EXPECT_EQ(d.st, 0.0);
  EXPECT_EQ(Cell(7, 1), "0.0");
  // Columns N and File Name are not editable.
  ClickCell(1, 1);
  ClickCell(1, 1);
  EXPECT_FALSE(f.RichStringGrid1->GetEditorMode());
  // A row into which nothing was loaded refuses edits.
  testinput::ClickCenter(f.SpeedButton1);
  EditCell(2, 4, "7");
  EXPECT_EQ(Cell(2, 4), "");
}

TEST_F(MainWindow, CheckBoxAndSelectionReachTheEntries)
{
  TForm1& f = Loaded();
  ClickCell(6, 2);
  EXPECT_EQ(f.State.Profiles[1][0].Shown, 0);
  EXPECT_FALSE(f.RichStringGrid1->GetCheckBoxState(6, 2));
  ClickCell(6, 2);
  EXPECT_EQ(f.State.Profiles[1][0].Shown, 1);
  ClickCell(3, 3);
  EXPECT_EQ(f.State.SelectedRow, 3);
}

TEST_F(MainWindow, AppendAndDropRows)
{
  TForm1& f = Loaded();
  f.Chart3->PaintBuffer();
  const std::weak_ptr<TBitmap> texture = f.State.Profiles[0][0].Texture;
  ASSERT_FALSE(texture.expired());
  testinput::ClickCenter(f.SpeedButton1);
  ASSERT_EQ(f.RichStringGrid1->GetRowCount(), 5);
  EXPECT_EQ(Cell(0, 4), "4");
  for (int c = 1; c <= 6; ++c) EXPECT_EQ(Cell(c, 4), "");
  EXPECT_FALSE(f.RichStringGrid1->HasCheckBox(6, 4));
  EXPECT_EQ(f.State.Profiles.size(), 4u);
  EXPECT_EQ(f.State.Loaded.back(), 0);
  EXPECT_EQ(f.State.Profiles.back()[0].Present, 0);
  EXPECT_EQ(f.State.Profiles.back()[1].Present, 0);
  testinput::ClickCenter(f.SpeedButton6);
  testinput::ClickCenter(f.SpeedButton6);
  EXPECT_EQ(f.RichStringGrid1->GetRowCount(), 3);
  EXPECT_EQ(f.State.Profiles.size(), 2u);
  EXPECT_EQ(f.State.Loaded.size(), 2u);
  // The dropped section leaves the scene bounds: the full rebuild ran.
  EXPECT_TRUE(texture.expired());
  double x0, x1, y0, y1, z0, z1;
  AxisRanges(f, x0, x1, y0, y1, z0, z1);
  TProjectState two = f.State;
  UpdateSceneBounds(two, nullptr);
  EXPECT_EQ(x0, two.XMin);
  EXPECT_EQ(x1, two.XMax);
  testinput::ClickCenter(f.SpeedButton6);
  testinput::ClickCenter(f.SpeedButton6);
  EXPECT_EQ(f.RichStringGrid1->GetRowCount(), 2);
  EXPECT_EQ(f.State.Profiles.size(), 1u);
}

TEST_F(MainWindow, ModeSwitchesKeepEachModesSettingsLine)
{
  TForm1& f = Loaded();
  // Contouring puts the data range into unset user limits (the last two fields); the rest is the slot's.
  auto fields = [](const std::string& line) {
    auto w = SplitWords(line, 0);
    w.resize(16);
    return w;
  };
  const std::string resLine = f.PseudoSection2d1->GetSettings();
  EXPECT_EQ(fields(resLine), fields(f.State.SettingsLines[0]));
  f.PseudoSection2d1->SetShowIsolines(true);  // the user changes the resistivity look
  const std::string changed = f.PseudoSection2d1->GetSettings();
  testinput::ClickCenter(f.SpeedButton7);
  EXPECT_EQ(f.State.DisplayMode, 1);
  EXPECT_EQ(f.State.SettingsLines[0], changed);
  EXPECT_EQ(fields(f.PseudoSection2d1->GetSettings()), fields(f.State.SettingsLines[1]));
  EXPECT_FALSE(f.SpeedButton3->GetFlat());
  EXPECT_TRUE(f.SpeedButton7->GetFlat());
  // Pressing the active mode again changes nothing.
  testinput::ClickCenter(f.SpeedButton7);
  EXPECT_EQ(f.State.DisplayMode, 1);
  testinput::ClickCenter(f.SpeedButton3);
  EXPECT_EQ(f.State.DisplayMode, 0);
  EXPECT_EQ(f.PseudoSection2d1->GetSettings(), changed);
  EXPECT_TRUE(f.SpeedButton3->GetFlat());
  EXPECT_FALSE(f.SpeedButton7->GetFlat());
}

TEST_F(MainWindow, EqualScaleShowsTheRatioEditAndParsesRatios)
{
  TForm1& f = Loaded();
  testinput::ClickCenter(f.SpeedButton10);
  EXPECT_EQ(f.State.EqualScale, 1);
  EXPECT_TRUE(f.SpeedButton10->GetFlat());
  ASSERT_TRUE(f.Edit2->GetVisible());
  const std::pair<const char*, double> cases[] = {{"2:1", 2.0}, {"2:0", 1.0}, {"0:1", 1.0}, {"3", 1.0},
                                                  {"ab", 1.0},  {"1:4", 0.25}, {"2:1:1", 1.0}};
  for (const auto& [text, ratio] : cases) {
    TypeInto(f.Edit2, text);
    EXPECT_EQ(f.State.ScaleRatio, ratio) << text;
  }
  // Not focused: the text is not read.
  f.State.ScaleRatio = 3.0;
  f.Edit1->SetFocus();
  testinput::ProcessEvents();
  f.Edit2->SetText("5:1");
  EXPECT_EQ(f.State.ScaleRatio, 3.0);
  // Off again: the ratio edit hides and the axis ranges come back from the bounds.
  f.SetSceneAxisRanges(0, 1, 0, 1, 0, 1);
  testinput::ClickCenter(f.SpeedButton10);
  EXPECT_EQ(f.State.EqualScale, 0);
  EXPECT_FALSE(f.Edit2->GetVisible());
  double x0, x1, y0, y1, z0, z1;
  AxisRanges(f, x0, x1, y0, y1, z0, z1);
  EXPECT_EQ(x1, f.State.XMax);
  EXPECT_EQ(z1, f.State.DepthMax);
}

TEST_F(MainWindow, SpinMovesTheSliceWithinTheSectionsDepth)
{
  TForm1& f = Loaded();
  const double lo = -f.State.DepthMax, hi = -f.State.DepthMin;
  const double step = std::abs(f.State.DepthMax - f.State.DepthMin) / 20;
  ASSERT_GT(step, 0.0);
  ASSERT_LT(lo, hi);
  TSpinButton* spin = f.SpinButton1;
  const double start = (lo + hi) / 2;
  f.State.PlaneDepth = start;
  testinput::Click(spin, 5, spin->GetHeight() - 2);  // down lowers the slice
  EXPECT_NEAR(f.State.PlaneDepth, start - step, 1e-9);
  testinput::Click(spin, 5, 2);
  EXPECT_NEAR(f.State.PlaneDepth, start, 1e-9);
  for (int i = 0; i < 40; ++i) testinput::Click(spin, 5, spin->GetHeight() - 2);
  EXPECT_DOUBLE_EQ(f.State.PlaneDepth, lo);
  EXPECT_EQ(f.Edit1->GetText(), FloatToStrDec(0, true, lo));
  for (int i = 0; i < 40; ++i) testinput::Click(spin, 5, 2);
  EXPECT_DOUBLE_EQ(f.State.PlaneDepth, hi);
  // Typing a depth sets it; a paint leaves a text that gives the depth as it is.
  TypeInto(f.Edit1, "-12");
  EXPECT_EQ(f.State.PlaneDepth, -12.0);
  f.Chart3->PaintBuffer();
  EXPECT_EQ(f.Edit1->GetText(), "-12");
  // Text that does not give the depth shows the stored depth again on the next paint, also
  // while the edit has the focus.
  TypeInto(f.Edit1, "x");
  EXPECT_EQ(f.State.PlaneDepth, -12.0);
  ASSERT_TRUE(f.Edit1->Focused());
  f.Chart3->PaintBuffer();
  EXPECT_EQ(f.Edit1->GetText(), FloatToStrDec(0, true, -12.0));
  EXPECT_EQ(f.State.PlaneDepth, -12.0);
  TypeInto(f.Edit1, "x");
  f.Chart3->SetFocus();
  testinput::ProcessEvents();
  f.Chart3->PaintBuffer();
  EXPECT_EQ(f.Edit1->GetText(), FloatToStrDec(0, true, -12.0));
}

TEST_F(MainWindow, RotationTimerWrapsFrom356ToZeroAndWheelZooms)
{
  TForm1& f = Loaded();
  testinput::ClickCenter(f.SpeedButton11);
  EXPECT_TRUE(f.Timer2->GetEnabled());
  f.SetView3D(42, 352, 340);
  int zoom, rotation, elevation;
  f.Timer2->Tick();
  f.GetView3D(zoom, rotation, elevation);
  EXPECT_EQ(rotation, 356);
  f.Timer2->Tick();
  f.GetView3D(zoom, rotation, elevation);
  EXPECT_EQ(rotation, 0);
  f.Timer2->Tick();
  f.GetView3D(zoom, rotation, elevation);
  EXPECT_EQ(rotation, 4);
  testinput::ClickCenter(f.SpeedButton11);
  EXPECT_FALSE(f.Timer2->GetEnabled());
  // Moving the mouse over the scene gives it the focus, so that the wheel reaches it.
  testinput::Focus(f.Edit1);
  ASSERT_TRUE(f.Edit1->Focused());
  testinput::MouseMove(f.Chart3, 30, 30);
  EXPECT_TRUE(f.Chart3->Focused());
  EXPECT_FALSE(f.Edit1->Focused());
  // Wheel: down zooms out by 2, up in by 2.
  testinput::Wheel(f.Chart3, -120, 20, 20);
  f.GetView3D(zoom, rotation, elevation);
  EXPECT_EQ(zoom, 40);
  testinput::Wheel(f.Chart3, 120, 20, 20);
  testinput::Wheel(f.Chart3, 120, 20, 20);
  f.GetView3D(zoom, rotation, elevation);
  EXPECT_EQ(zoom, 44);
}

TEST_F(MainWindow, CellModeSwitchesTheButtonImage)
{
  TForm1& f = Loaded();
  f.Chart3->PaintBuffer();
  ASSERT_GT(TextureCacheCount(), 0);
  testinput::ClickCenter(f.SpeedButton8);
  EXPECT_EQ(f.State.CellMode, 1);
  EXPECT_EQ(f.SpeedButton8->GetImageIndex(), 1);
  EXPECT_EQ(TextureCacheCount(), 0);
  testinput::ClickCenter(f.SpeedButton8);
  EXPECT_EQ(f.State.CellMode, 0);
  EXPECT_EQ(f.SpeedButton8->GetImageIndex(), 0);
  // The slice button flips its look and the slice.
  testinput::ClickCenter(f.SpeedButton9);
  EXPECT_EQ(f.State.PlaneShown, 1);
  EXPECT_FALSE(f.SpeedButton9->GetFlat());
  testinput::ClickCenter(f.SpeedButton9);
  EXPECT_EQ(f.State.PlaneShown, 0);
  EXPECT_TRUE(f.SpeedButton9->GetFlat());
}

TEST_F(MainWindow, RightClickOnFileNameLoadsAModelOrAPointTableIntoTheRow)
{
  TForm1& f = Make();
  AnswerFile("demo-east.k2d", 1, f.OpenDialog1);
  ClickCell(1, 1, mbRight);
  const fdata& d = f.State.Profiles[0][0];
  EXPECT_EQ(f.State.Loaded[0], 1);
  EXPECT_EQ(d.Present, 1);
  EXPECT_EQ(Cell(1, 1), "demo-east.k2d");
  EXPECT_EQ(Cell(2, 1), FloatToStrDec(1, true, d.X0));
  EXPECT_EQ(Cell(8, 1), FloatToStrDec(1, true, d.en));
  EXPECT_TRUE(f.RichStringGrid1->HasCheckBox(6, 1));
  // A point table is converted first and listed under its own name.
  testinput::ClickCenter(f.SpeedButton1);
  AnswerFile("demo-points.dat", 2);
  ClickCell(1, 2, mbRight);
  EXPECT_EQ(Cell(1, 2), "demo-points.dat");
  EXPECT_EQ(f.State.Loaded[1], 1);
  EXPECT_TRUE(fs::exists(dir.file("demo-points.out")));
  // A file that does not read changes nothing and says why.
  testinput::ClickCenter(f.SpeedButton1);
  testsupport::WriteAll(dir.file("bad.k2d"), "x\r\nmodel\r\n\r\n0 1 2\r\n0 5 9\r\n\r\n1 2\r\n3\r\n");
  AnswerFile("bad.k2d", 1);
  messages.Clear();
  ClickCell(1, 3, mbRight);
  EXPECT_EQ(Cell(1, 3), "");
  EXPECT_EQ(f.State.Loaded[2], 0);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0], "The file bad.k2d could not be read: a row of cells is missing or shorter than "
                                    "the cell boundaries need");
  // A polarizability block cut short is said, and the resistivity half loads.
  testsupport::WriteAll(dir.file("e.k2d"), "eta\r\nmodel\r\n\r\n0 1 2\r\n0 5\r\n\r\n1\r\n2\r\nsep\r\nx\r\nx\r\n3\r\n");
  AnswerFile("e.k2d", 1);
  messages.Clear();
  ClickCell(1, 3, mbRight);
  EXPECT_EQ(Cell(1, 3), "e.k2d");
  EXPECT_EQ(f.State.Loaded[2], 1);
  EXPECT_EQ(f.State.Profiles[2][1].Present, 0);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0], "The file e.k2d was read in part: its polarizability block is unusable (a row of "
                                    "cells is missing or shorter than the cell boundaries need): only the "
                                    "resistivity is shown");
  // A left click or another column loads nothing.
  int asked = 0;
  TOpenDialog::TestAnswer = [&](TOpenDialog*) {
    ++asked;
    return false;
  };
  ClickCell(1, 3);
  ClickCell(2, 3, mbRight);
  EXPECT_EQ(asked, 0);
}

TEST_F(MainWindow, AProjectThatListsNoEntryLeavesAnEmptyRowThatStillWorks)
{
  testsupport::WriteAll(dir.file("none.prj"), " a\r\n b\r\n0\r\n42 360 360\r\n-1\r\n");
  TForm1& f = Make();
  f.OpenProject(dir.file("none.prj"));
  EXPECT_TRUE(f.State.Profiles.empty());
  EXPECT_TRUE(messages.Messages().empty());
  ASSERT_EQ(f.RichStringGrid1->GetRowCount(), 2);
  // Every handler on the row leaves the missing entry alone.
  ClickCell(6, 1);
  EditCell(2, 1, "5");
  ClickCell(4, 1);
  testinput::ClickCenter(f.SpeedButton6);
  EXPECT_TRUE(f.State.Profiles.empty());
  // Appending pairs every row with an entry again; dropping keeps them paired.
  testinput::ClickCenter(f.SpeedButton1);
  EXPECT_EQ(f.State.Profiles.size(), 2u);
  EXPECT_EQ(f.State.Loaded.size(), 2u);
  testinput::ClickCenter(f.SpeedButton6);
  EXPECT_EQ(f.State.Profiles.size(), 1u);
  EXPECT_EQ(f.RichStringGrid1->GetRowCount(), 2);
  // Loading a file into the row fills its entry.
  AnswerFile("demo-north.cht", 1);
  ClickCell(1, 1, mbRight);
  ASSERT_EQ(f.State.Profiles.size(), 1u);
  EXPECT_EQ(f.State.Profiles[0][0].Present, 1);
  EXPECT_EQ(Cell(1, 1), "demo-north.cht");
}

// The rows of files that could not be read stay, with their names, plan ends and an unticked box,
// and work as empty rows: edits are refused, the box stays unticked, the commands that need a
// section are inert while only such rows are listed, a right-click load fills one as any row, a
// save writes their lines as read, and dropping takes the last row whatever it holds.
TEST_F(MainWindow, RowsOfFilesThatCannotBeReadStayAndWorkAsEmptyRows)
{
  testsupport::WriteAll(dir.file("gone.prj"), " a\r\n b\r\n1\r\n42 360 360\r\n1\r\n/nowhere/missing.k2d\r\n"
                                              "0 0 1 1 0 1\r\n\r\n0 0 0 0 0 0\r\n");
  TForm1& f = Make();
  f.OpenProject(dir.file("gone.prj"));
  ASSERT_EQ(f.State.Profiles.size(), 2u);
  EXPECT_EQ(messages.Messages(), (std::vector<std::string>{"2 files not found: missing.k2d, (no file named, row 2)\n"
                                                           "Their rows are kept and saved as they were read."}));
  TRichStringGrid* g = f.RichStringGrid1;
  ASSERT_EQ(g->GetRowCount(), 3);
  EXPECT_EQ(Cell(0, 2), "2");
  EXPECT_EQ(Cell(1, 1), "missing.k2d");
  EXPECT_EQ(Cell(4, 1), FloatToStrDec(0, true, 1));
  EXPECT_EQ(Cell(8, 1), FloatToStrDec(0, true, 1));
  EXPECT_TRUE(g->HasCheckBox(6, 1));
  EXPECT_FALSE(g->GetCheckBoxState(6, 1));
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(Cell(c, 2), "") << c;
  EXPECT_FALSE(g->HasCheckBox(6, 2));
  // Edits are refused, the box stays unticked, a selection draws nothing.
  messages.Clear();
  EditCell(2, 1, "5");
  EXPECT_EQ(Cell(2, 1), FloatToStrDec(0, true, 0));
  EXPECT_EQ(f.State.Profiles[0][0].X0, 0.0);
  ClickCell(6, 1);
  EXPECT_FALSE(g->GetCheckBoxState(6, 1));
  EXPECT_FALSE(f.State.Grid.Row(1)->Checked);
  EXPECT_EQ(f.State.Profiles[0][0].Shown, 0);
  ClickCell(3, 1);
  EXPECT_EQ(f.State.SelectedRow, 1);
  f.Chart3->PaintBuffer();
  EXPECT_TRUE(messages.Messages().empty());
  // No section: the commands that need one do nothing; the project's mode stays.
  EXPECT_EQ(f.State.DisplayMode, 1);
  int dialogs = 0, modals = 0;
  CountDialogs(dialogs, modals);
  testinput::ClickCenter(f.SpeedButton5);
  testinput::ClickCenter(f.SpeedButton7);
  testinput::ClickCenter(f.SpeedButton2);
  testinput::ClickCenter(f.SpeedButton10);
  EXPECT_EQ(dialogs, 0);
  EXPECT_EQ(modals, 0);
  EXPECT_EQ(f.State.DisplayMode, 1);
  EXPECT_EQ(f.State.EqualScale, 0);
  // A right-click load into the kept row places the file as the project placed the one it lost.
  AnswerFile("demo-north.cht", 1, f.OpenDialog1);
  ClickCell(1, 1, mbRight);
  const fdata& d = f.State.Profiles[0][0];
  EXPECT_EQ(f.State.Loaded, (std::vector<uint8_t>{1, 0}));
  EXPECT_EQ(d.Present, 1);
  EXPECT_EQ(Cell(1, 1), "demo-north.cht");
  EXPECT_EQ(std::vector<double>({d.X0, d.Y0, d.X1, d.Y1, d.st, d.en}), std::vector<double>({0, 0, 1, 1, 0, 1}));
  EXPECT_EQ(Cell(4, 1), FloatToStrDec(1, true, 1));
  EXPECT_TRUE(g->GetCheckBoxState(6, 1));
  // Now a save writes the new file, its placement, the project's lines and the empty row as read.
  AnswerFile("saved", 1, f.SaveDialog1);
  testinput::ClickCenter(f.SpeedButton5);
  const auto lines = testsupport::ReadLines(dir.file("saved.prj"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], " a");
  EXPECT_EQ(lines[2], "1");
  EXPECT_EQ(lines[5], dir.file("demo-north.cht"));
  EXPECT_EQ(lines[6], FloatToStrSci(0) + " " + FloatToStrSci(0) + " " + FloatToStrSci(1) + " " + FloatToStrSci(1) +
                          " " + FloatToStrSci(0) + " " + FloatToStrSci(1));
  EXPECT_EQ(lines[7], "");
  EXPECT_EQ(lines[8], "0 0 0 0 0 0");
  // Dropping takes the last row.
  testinput::ClickCenter(f.SpeedButton6);
  EXPECT_EQ(g->GetRowCount(), 2);
  EXPECT_EQ(f.State.Profiles.size(), 1u);
  EXPECT_EQ(f.State.Loaded.size(), 1u);
}

TEST_F(MainWindow, SaveWritesTheChosenKindWithItsExtension)
{
  TForm1& f = Loaded();
  int index = 1;
  TOpenDialog::TestAnswer = [&](TOpenDialog* d) {
    EXPECT_EQ(d, f.SaveDialog1);
    d->FileName = dir.file("saved");
    d->FilterIndex = index;
    return true;
  };
  testinput::ClickCenter(f.SpeedButton5);
  EXPECT_TRUE(fs::exists(dir.file("saved.prj")));
  index = 2;
  testinput::ClickCenter(f.SpeedButton5);
  EXPECT_TRUE(fs::exists(dir.file("saved.bmp")));
  index = 3;
  testinput::ClickCenter(f.SpeedButton5);
  EXPECT_TRUE(fs::exists(dir.file("saved.dat")));
  // The saved project opens to the same list.
  form.reset();
  TForm1& g = Make();
  g.OpenProject(dir.file("saved.prj"));
  EXPECT_EQ(g.State.Profiles.size(), 3u);
  EXPECT_EQ(g.RichStringGrid1->GetCells(1, 3), "demo-diagonal.m2d");
}

// A typed extension that names one of the dialog's kinds chooses that kind; any other leaves the
// choice to the filter.
TEST_F(MainWindow, TheTypedExtensionOfAKindChoosesItOverTheFilter)
{
  TForm1& f = Loaded();
  std::string name;
  int index = 1;
  TOpenDialog::TestAnswer = [&](TOpenDialog* d) {
    d->FileName = dir.file(name);
    d->FilterIndex = index;
    return true;
  };
  auto save = [&](const std::string& typed, int filter) {
    name = typed;
    index = filter;
    testinput::ClickCenter(f.SpeedButton5);
  };
  save("x.prj", 3);
  EXPECT_FALSE(fs::exists(dir.file("x.dat")));
  ASSERT_TRUE(fs::exists(dir.file("x.prj")));
  EXPECT_EQ(testsupport::ReadLines(dir.file("x.prj")).size(), 5u + 2 * 3);
  save("y.bmp", 1);
  EXPECT_FALSE(fs::exists(dir.file("y.prj")));
  EXPECT_EQ(testsupport::ReadAll(dir.file("y.bmp")).substr(0, 2), "BM");
  save("z.DAT", 2);
  EXPECT_FALSE(fs::exists(dir.file("z.bmp")));
  EXPECT_GT(testsupport::ReadLines(dir.file("z.dat")).size(), 10u);
  // Not a kind of this dialog: the filter decides.
  save("w.txt", 1);
  EXPECT_TRUE(fs::exists(dir.file("w.prj")));
  save("v.prj.old", 2);
  EXPECT_TRUE(fs::exists(dir.file("v.prj.bmp")));
  EXPECT_TRUE(messages.Messages().empty());
}

// A save that fails on the way (a full disk) keeps the old file and says why.
TEST_F(MainWindow, AFailedSceneSaveKeepsTheOldPicture)
{
  TForm1& f = Loaded();
  const std::string old(1100000, 'o');
  testsupport::WriteAll(dir.file("scene.bmp"), old);
  TOpenDialog::TestAnswer = [&](TOpenDialog* d) {
    d->FileName = dir.file("scene.bmp");
    d->FilterIndex = 2;
    return true;
  };
  {
    testsupport::FileSizeLimit limit(100000);
    testinput::ClickCenter(f.SpeedButton5);
  }
  EXPECT_TRUE(testsupport::ReadAll(dir.file("scene.bmp")) == old);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].find("File too large"), std::string::npos) << messages.Messages()[0];
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) files += e.path().filename().string().starts_with("scene");
  EXPECT_EQ(files, 1u);
  // With room, the picture replaces it.
  messages.Clear();
  testinput::ClickCenter(f.SpeedButton5);
  EXPECT_EQ(testsupport::ReadAll(dir.file("scene.bmp")).substr(0, 2), "BM");
  EXPECT_TRUE(messages.Messages().empty());
}

// Every failed save names the file and the reason.
TEST_F(MainWindow, FailedSavesSaySoWithTheFileAndTheReason)
{
  TForm1& f = Loaded();
  int index = 1;
  TOpenDialog::TestAnswer = [&](TOpenDialog* d) {
    d->FileName = dir.file("no-folder/saved");
    d->FilterIndex = index;
    return true;
  };
  for (index = 1; index <= 3; ++index) {
    messages.Clear();
    testinput::ClickCenter(f.SpeedButton5);
    ASSERT_EQ(messages.Messages().size(), 1u) << index;
    const std::string& m = messages.Messages()[0];
    EXPECT_NE(m.find(dir.file("no-folder/saved.")), std::string::npos) << m;
    EXPECT_NE(m.find("No such file or directory"), std::string::npos) << m;
  }
  EXPECT_FALSE(fs::exists(dir.file("no-folder")));
}

// File dialogs open beside the current project, or where the last file was chosen; message boxes
// carry the window's name.
TEST_F(MainWindow, DialogsOpenBesideTheProjectAndBoxesCarryTheWindowsName)
{
  TForm1& f = Make();
  EXPECT_EQ(MessageBoxTitle(TMsgDlgType::mtCustom), "Orbisk");
  EXPECT_EQ(f.GetCaption(), "Orbisk");
  TempDir other;
  fs::copy_file(dir.file("demo.prj"), other.file("demo.prj"));
  f.OpenProject(other.file("demo.prj"));
  const std::string folder = other.path().string() + "/";
  EXPECT_EQ(f.OpenDialog1->StartFolder(), folder);
  EXPECT_EQ(f.OpenDialog2->StartFolder(), folder);
  EXPECT_EQ(f.SaveDialog1->StartFolder(), folder);
  // A model chosen elsewhere moves them all there.
  AnswerFile("demo-east.k2d", 1);
  ClickCell(1, 1, mbRight);
  EXPECT_EQ(f.SaveDialog1->StartFolder(), dir.path().string() + "/");
}

TEST_F(MainWindow, OptionsShowTheSetupFormOnceMadeAndRebuild)
{
  TForm1& f = Loaded();
  int shown = 0;
  TForm::ModalAnswer = [&](TForm*) {
    ++shown;
    return mrOk;
  };
  f.Chart3->PaintBuffer();
  std::weak_ptr<TBitmap> texture = f.State.Profiles[0][0].Texture;
  ASSERT_FALSE(texture.expired());
  testinput::ClickCenter(f.SpeedButton2);
  ASSERT_NE(f.SetupForm, nullptr);
  EXPECT_TRUE(texture.expired());
  f.Chart3->PaintBuffer();
  texture = f.State.Profiles[0][0].Texture;
  TForm* first = f.SetupForm;
  testinput::ClickCenter(f.SpeedButton2);
  EXPECT_EQ(f.SetupForm, first);
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(texture.expired());
}

TEST_F(MainWindow, MessagesDuringALoadDoNotPaintTheHalfLoadedScene)
{
  std::string prj = testsupport::ReadAll(dir.file("demo.prj"));
  // The second file is missing: its message comes while the list is half read.
  const auto at = prj.find("demo-north.cht");
  prj.replace(at, 14, "missing-n.cht");
  testsupport::WriteAll(dir.file("half.prj"), prj);
  TForm1& f = Make();
  int paints = 0;
  bool paintedHalfLoaded = false;
  f.Chart3->OnPaint = [&](TObject*) {
    ++paints;
    paintedHalfLoaded = paintedHalfLoaded || f.SceneLocked();
  };
  testinput::ProcessEvents();
  const int before = paints;
  f.OpenProject(dir.file("half.prj"));
  EXPECT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(f.State.Profiles.size(), 3u);
  // Painted after the load finished, never during it.
  testinput::ProcessEvents();
  EXPECT_GT(paints, before);
  EXPECT_FALSE(paintedHalfLoaded);
  EXPECT_FALSE(f.SceneLocked());
  // A project that cannot be read leaves the lock released.
  f.OpenProject(dir.file("none.prj"));
  EXPECT_FALSE(f.SceneLocked());
  f.Chart3->PaintBuffer();
  EXPECT_FALSE(paintedHalfLoaded);
  f.Chart3->OnPaint = nullptr;
}

TEST_F(MainWindow, StartsWithADamagedAppearanceFileBesideIt)
{
  // Both point series of the section chart get their default text with a pointer size of 0.
  NuvSeriesStartup();
  TPointSeries fresh(nullptr);
  std::string text = SeriesFormatToText(&fresh);
  std::vector<size_t> seps;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '~') seps.push_back(i);
  ASSERT_EQ(seps.size(), 41u);
  auto withField = [&](size_t field, const std::string& value) {  // field counted from 1
    std::string t = text;
    return t.replace(seps[field - 2] + 1, seps[field - 1] - seps[field - 2] - 1, value);
  };
  testsupport::WriteAll(dir.file("orbisk.in"), "[serie_vamir_ps_grid]\r\nser_Point=" + withField(25, "0") +
                                                    "\r\n[serie_vamir_ps_st]\r\nser_Point=" + withField(26, "0") + "\r\n");
  SetSeriesSettingsFileName(dir.file("orbisk.in"));
  TForm1* made = nullptr;
  EXPECT_NO_THROW(made = &Make());
  SetSeriesSettingsFileName(std::string());
  ASSERT_NE(made, nullptr);
  // The series keep the appearance they are built with.
  EXPECT_EQ(made->PseudoSection2d1->GridPointSeries->GetPointer()->GetHorizSize(), 2);
  EXPECT_EQ(made->PseudoSection2d1->StationSeries->GetPointer()->GetVertSize(), 3);
  EXPECT_EQ(made->PseudoSection2d1->StationSeries->GetPointer()->GetStyle(), psDownTriangle);
  made->OpenProject(dir.file("demo.prj"));
  EXPECT_EQ(made->State.Profiles.size(), 3u);
}

}  // namespace
