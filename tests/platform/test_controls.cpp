// Controls, forms, standard controls, timers, dialogs and the string grid, driven through the
// window system's event path.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/Grids.h"
#include "platform/StdCtrls.h"
#include "platform/TextFile.h"
#include "platform/TestInput.h"
#include "platform/Timers.h"

namespace {

class PaintedBox : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  int paints = 0;

protected:
  void Paint() override
  {
    ++paints;
    GetCanvas()->Brush()->SetColor(clRed);
    GetCanvas()->FillRect(GetClientRect());
    GetCanvas()->Brush()->SetColor(clBlue);
    GetCanvas()->FillRect(Rect(0, 0, 5, 5));
  }
};

TEST(Controls, AlignPlacesChildrenInOrderTopBottomLeftClient)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  auto* top = new TPanel(&form);
  top->SetHeight(30);
  top->SetAlign(alTop);
  top->SetParent(&form);
  auto* bottom = new TPanel(&form);
  bottom->SetHeight(20);
  bottom->SetAlign(alBottom);
  bottom->SetParent(&form);
  auto* left = new TPanel(&form);
  left->SetWidth(50);
  left->SetAlign(alLeft);
  left->SetParent(&form);
  auto* client = new TPanel(&form);
  client->SetAlign(alClient);
  client->SetParent(&form);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 180, 300, 200));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 50, 180));
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 300, 180));
  // A resize of the form re-aligns; a hidden child gives its room away.
  form.SetBounds(0, 0, 400, 300);
  EXPECT_EQ(client->BoundsRect(), Rect(50, 30, 400, 280));
  left->SetVisible(false);
  EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 400, 280));
}

TEST(Controls, CustomControlPaintsBackBufferShownByWidget)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 100, 80);
  auto* box = new PaintedBox(&form);
  box->SetBounds(10, 10, 40, 30);
  box->SetParent(&form);
  box->PaintBuffer();
  ASSERT_EQ(box->BackBuffer()->GetWidth(), 40);
  EXPECT_EQ(box->BackBuffer()->Canvas()->GetPixel(2, 2), clBlue);
  EXPECT_EQ(box->BackBuffer()->Canvas()->GetPixel(20, 20), clRed);
  // The buffer follows the control's size.
  box->SetBounds(10, 10, 60, 20);
  box->PaintBuffer();
  EXPECT_EQ(box->BackBuffer()->GetWidth(), 60);
  EXPECT_EQ(box->BackBuffer()->GetHeight(), 20);
  testinput::ShowWindow(&form);
  const int before = box->paints;
  box->Repaint();
  EXPECT_GT(box->paints, before);
}

TEST(Controls, MouseEventsReachHandlersAndClickNeedsReleaseInside)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  auto* b = new TSpeedButton(&form);
  b->SetParent(&form);
  b->SetBounds(5, 5, 24, 24);
  int clicks = 0;
  TMouseButton lastButton = mbMiddle;
  int lx = -1, ly = -1;
  b->OnClick = [&](TObject*) { ++clicks; };
  b->OnMouseDown = [&](TObject*, TMouseButton btn, TShiftState, int32_t x, int32_t y) {
    lastButton = btn;
    lx = x;
    ly = y;
  };
  testinput::Click(b, 3, 4);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(lastButton, mbLeft);
  EXPECT_EQ(lx, 3);
  EXPECT_EQ(ly, 4);
  testinput::Click(b, 3, 4, mbRight);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(lastButton, mbRight);
  // Pressed inside, released outside: no click.
  testinput::MouseDown(b, mbLeft, 3, 3);
  testinput::MouseUp(b, mbLeft, 60, 3);
  EXPECT_EQ(clicks, 1);
  // A disabled control ignores the mouse.
  b->SetEnabled(false);
  testinput::Click(b, 3, 4);
  EXPECT_EQ(clicks, 1);
}

TEST(Controls, WheelGoesToWheelEventsAndIsMarkedHandled)
{
  TForm form(nullptr);
  auto* box = new PaintedBox(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 50, 50);
  int downs = 0, ups = 0;
  box->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
    ++downs;
    handled = true;
  };
  box->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& handled) {
    ++ups;
    handled = true;
  };
  testinput::Wheel(box, -120, 10, 10);
  testinput::Wheel(box, 120, 10, 10);
  testinput::Wheel(box, 240, 10, 10);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 2);
}

TEST(Controls, EditTypingRaisesChangeAndFocusIsReported)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 100);
  auto* e = new TEdit(&form);
  e->SetParent(&form);
  std::vector<std::string> seen;
  e->OnChange = [&](TObject*) { seen.push_back(e->GetText()); };
  testinput::ShowWindow(&form);
  testinput::Focus(e);
  EXPECT_TRUE(e->Focused());
  testinput::Type(e, "2:1");
  EXPECT_EQ(e->GetText(), "2:1");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen.back(), "2:1");
  e->SetText("x");
  EXPECT_EQ(seen.back(), "x");
}

TEST(Controls, SpinButtonHalvesAndToolbarOrder)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 100);
  auto* bar = new TToolBar(&form);
  bar->SetParent(&form);
  bar->SetButtonHeight(24);
  auto* a = new TSpeedButton(&form);
  a->SetParent(bar);
  bar->AddSeparator(8);
  auto* spin = new TSpinButton(&form);
  spin->SetParent(bar);
  bar->ArrangeControls();
  EXPECT_EQ(a->GetLeft(), 2);
  EXPECT_EQ(spin->GetLeft(), 2 + 23 + 8);
  int up = 0, down = 0;
  spin->OnUpClick = [&](TObject*) { ++up; };
  spin->OnDownClick = [&](TObject*) { ++down; };
  testinput::Click(spin, 5, 2);
  testinput::Click(spin, 5, spin->GetHeight() - 2);
  testinput::Click(spin, 5, spin->GetHeight() - 2);
  EXPECT_EQ(up, 1);
  EXPECT_EQ(down, 2);
}

TEST(Controls, TimerTicksWhileEnabled)
{
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    if (ticks == 2) timer.SetEnabled(false);
  };
  testinput::Wait(150);
  EXPECT_EQ(ticks, 2);
}

TEST(Dialogs, FiltersConvertToNativeNotation)
{
  EXPECT_EQ(DialogFilterToNative("Pelvatra data files|*.k2d;*.cht|Data files|*.dat|Skarnel data files|*.m2d"),
            "Pelvatra data files (*.k2d *.cht);;Data files (*.dat);;Skarnel data files (*.m2d)");
  EXPECT_EQ(DialogFilterToNative("Project file|*.prj"), "Project file (*.prj)");
  EXPECT_EQ(DialogFilterToNative(""), "");
  // A dangling description without patterns is dropped.
  EXPECT_EQ(ParseDialogFilter("A|*.a|B").size(), 1u);
  TOpenDialog::TestAnswer = [](TOpenDialog* d) {
    d->FileName = "/tmp/x.dat";
    d->FilterIndex = 2;
    return true;
  };
  TOpenDialog dlg(nullptr);
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.FilterIndex, 2);
  TOpenDialog::TestAnswer = nullptr;
  // The kind a file name's extension names.
  const std::string kinds = "Project file|*.prj|Picture|*.bmp|Base|*.dat";
  EXPECT_EQ(FilterIndexOfFileName(kinds, "/a/b.prj"), 1);
  EXPECT_EQ(FilterIndexOfFileName(kinds, "b.BMP"), 2);
  EXPECT_EQ(FilterIndexOfFileName(kinds, "/a.prj/b.dat"), 3);
  EXPECT_EQ(FilterIndexOfFileName(kinds, "/a.prj/b"), 0);
  EXPECT_EQ(FilterIndexOfFileName(kinds, "b.prj.old"), 0);
  EXPECT_EQ(FilterIndexOfFileName("Pelvatra data files|*.k2d;*.cht", "x.cht"), 1);
}

// A save into a folder that cannot be written fails; the next file dialog opens in that folder
// (the last one chosen) and must still answer. A system folder holding a file that blocks when
// read (the kernel's message queue in /proc) is the hard case.
TEST(Dialogs, TheDialogAfterAFailedSaveIntoASystemFolderStillAnswers)
{
  TOpenDialog::TestAnswer = [](TOpenDialog* d) {
    d->FileName = "/proc/saved.prj";
    return true;
  };
  TSaveDialog save(nullptr);
  ASSERT_TRUE(save.Execute());
  std::string error;
  EXPECT_FALSE(WriteTextLines(save.FileName, {"x"}, &error));
  EXPECT_FALSE(error.empty());
  TOpenDialog::TestAnswer = nullptr;
  EXPECT_EQ(save.StartFolder(), "/proc/");

  // A hung dialog cannot be told to close: a watchdog ends the test program.
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(m);
    if (!cv.wait_for(lock, std::chrono::seconds(60), [&] { return done; })) {
      std::fprintf(stderr, "The file dialog in /proc/ hung\n");
      std::_Exit(1);
    }
  });
  for (bool saving : {true, false}) {
    TSaveDialog saveDialog(nullptr);
    TOpenDialog openDialog(nullptr);
    TOpenDialog& next = saving ? saveDialog : openDialog;
    next.Filter = "Project file|*.prj";
    testinput::CloseModalAfter(3000);
    EXPECT_FALSE(next.Execute());
  }
  {
    std::lock_guard lock(m);
    done = true;
  }
  cv.notify_one();
  watchdog.join();
}

class EditableGrid : public TStringGrid {
public:
  using TStringGrid::TStringGrid;
  bool refuse = false;

protected:
  bool ValidateEdit(int32_t, int32_t, std::string& text) override { return !refuse && !text.empty(); }
};

TEST(Grid, CellsMouseMappingSelectionAndEditing)
{
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 300);
  auto* g = new EditableGrid(&form);
  g->SetParent(&form);
  g->SetBounds(0, 0, 300, 200);
  g->SetColCount(3);
  g->SetRowCount(3);
  g->SetDefaultRowHeight(20);
  g->SetColWidth(0, 20);
  g->SetColWidth(1, 50);
  g->SetOptions(g->GetOptions() | goEditing);
  g->SetCell(1, 1, "a");
  EXPECT_EQ(g->GetCell(1, 1), "a");
  EXPECT_EQ(g->GetCell(9, 9), "");
  int32_t c, r;
  ASSERT_TRUE(g->MouseToCell(25, 25, c, r));
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  EXPECT_FALSE(g->MouseToCell(250, 25, c, r));
  EXPECT_EQ(g->CellRect(1, 1), Rect(21, 21, 71, 41));
  // Selection asks the handler.
  std::vector<std::pair<int, int>> asked;
  g->OnSelectCell = [&](TObject*, int32_t col, int32_t row, bool& can) {
    asked.emplace_back(col, row);
    can = row != 2 || col != 1;
  };
  testinput::Click(g, 80, 45);  // (2, 2)
  EXPECT_EQ(g->GetCol(), 2);
  EXPECT_EQ(g->GetRow(), 2);
  testinput::Click(g, 25, 45);  // (1, 2) refused
  EXPECT_EQ(g->GetCol(), 2);
  EXPECT_EQ(asked.size(), 2u);
  // Editing: a click on the current cell opens the editor; Enter stores the validated text.
  testinput::ShowWindow(&form);
  testinput::Click(g, 80, 45);
  ASSERT_TRUE(g->GetEditorMode());
  testinput::Type(g, "7.5");
  testinput::Key(g, VK_RETURN);
  EXPECT_FALSE(g->GetEditorMode());
  EXPECT_EQ(g->GetCell(2, 2), "7.5");
  // A refused edit keeps the old text; Escape drops the edit.
  g->refuse = true;
  g->ShowEditor();
  g->SetEditorText("9");
  g->HideEditor(true);
  EXPECT_EQ(g->GetCell(2, 2), "7.5");
  g->refuse = false;
  g->ShowEditor();
  g->SetEditorText("9");
  testinput::Key(g, VK_ESCAPE);
  EXPECT_FALSE(g->GetEditorMode());
  EXPECT_EQ(g->GetCell(2, 2), "7.5");
  // Row count: dropping rows drops their cells; added rows are empty.
  g->SetRowCount(2);
  g->SetRowCount(3);
  EXPECT_EQ(g->GetCell(2, 2), "");
}

TEST(Forms, ModalLoopEndsWithTheButtonsModalResult)
{
  TForm dialog(nullptr);
  dialog.SetBounds(0, 0, 200, 100);
  auto* ok = new TButton(&dialog);
  ok->SetParent(&dialog);
  ok->ModalResult = mrOk;
  int shows = 0;
  dialog.OnShow = [&](TObject*) { ++shows; };
  // The click arrives from inside the modal loop.
  TTimer clicker(nullptr);
  clicker.SetInterval(20);
  clicker.OnTimer = [&](TObject*) {
    clicker.SetEnabled(false);
    EXPECT_TRUE(dialog.IsModal());
    testinput::ClickCenter(ok);
  };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_FALSE(dialog.IsModal());
  EXPECT_FALSE(dialog.GetVisible());
  EXPECT_EQ(shows, 1);
  // Closed by the window system: Cancel.
  clicker.OnTimer = [&](TObject*) {
    clicker.SetEnabled(false);
    dialog.Close();
  };
  clicker.SetEnabled(true);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST(Forms, CloseAskTheHandlerWhichMayRefuse)
{
  TForm form(nullptr);
  TCloseAction answer = caNone;
  int asked = 0;
  form.OnClose = [&](TObject*, TCloseAction& action) {
    ++asked;
    action = answer;
  };
  testinput::ShowWindow(&form);
  form.Close();
  testinput::ProcessEvents();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(form.GetVisible());
  answer = caHide;
  form.Close();
  testinput::ProcessEvents();
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(form.GetVisible());
}

TEST(Forms, ModalAnswerStandsInForTheModalLoop)
{
  TForm form(nullptr);
  TForm::ModalAnswer = [](TForm* f) {
    EXPECT_TRUE(f->IsModal());
    return mrOk;
  };
  EXPECT_EQ(form.ShowModal(), mrOk);
  TForm::ModalAnswer = nullptr;
}

}  // namespace
