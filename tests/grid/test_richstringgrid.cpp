// The rich string grid: check boxes, editing rights, validation, alignment and banded rows,
// driven by synthetic mouse and key input.
#include <gtest/gtest.h>

#include <memory>

#include "grid/RichStringGrid.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/TestInput.h"

namespace {

class RichGrid : public ::testing::Test {
protected:
  void SetUp() override
  {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 300);
    grid = new TRichStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetBounds(0, 0, 400, 200);
    grid->SetColCount(4);
    grid->SetRowCount(4);
    grid->SetDefaultRowHeight(20);
    for (int c = 0; c < 4; ++c) grid->SetColWidth(c, 60);
    grid->SetOptions(grid->GetOptions() | goEditing);
    testinput::ShowWindow(form.get());
  }

  TPoint Center(int col, int row)
  {
    const TRect r = grid->CellRect(col, row);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Click(int col, int row, TMouseButton b = mbLeft)
  {
    const TPoint p = Center(col, row);
    testinput::Click(grid, p.x, p.y, b);
  }
  TColor Pixel(int x, int y)
  {
    grid->PaintBuffer();
    return grid->BackBuffer()->Canvas()->GetPixel(x, y);
  }

  std::unique_ptr<TForm> form;
  TRichStringGrid* grid = nullptr;
};

TEST_F(RichGrid, CheckBoxClickFlipsAndReportsTheNewState)
{
  grid->AddCheckBox(2, 1, true, false);
  std::vector<std::tuple<int, int, bool>> clicks;
  grid->OnCheckBoxClick = [&](TObject*, int32_t c, int32_t r, bool s) { clicks.emplace_back(c, r, s); };
  Click(2, 1);
  Click(2, 1);
  Click(3, 1);  // no box there
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0], std::make_tuple(2, 1, false));
  EXPECT_EQ(clicks[1], std::make_tuple(2, 1, true));
  EXPECT_TRUE(grid->GetCheckBoxState(2, 1));
  // The box is drawn: its frame and tick differ from the cell's background.
  const TRect box = grid->CheckBoxRect(2, 1);
  ASSERT_FALSE(box.IsEmpty());
  EXPECT_EQ(Pixel(box.Left + 6, box.Top + 1), ColorToRGB(clWindow));
  EXPECT_NE(Pixel(box.Left + 5, box.Top + 8), ColorToRGB(clWindow));
}

TEST_F(RichGrid, EmptyTextAndDroppedRowsRemoveCheckBoxes)
{
  grid->AddCheckBox(2, 1, true, false);
  grid->AddCheckBox(2, 3, true, false);
  grid->AddCheckBox(9, 1, true, false);  // outside: ignored
  EXPECT_FALSE(grid->HasCheckBox(9, 1));
  grid->SetCells(2, 1, "");
  EXPECT_FALSE(grid->HasCheckBox(2, 1));
  grid->SetRowCount(3);
  grid->SetRowCount(4);
  EXPECT_FALSE(grid->HasCheckBox(2, 3));
  EXPECT_EQ(grid->GetCells(2, 3), "");
  grid->SetCells(1, 1, "a");
  EXPECT_EQ(grid->GetCells(1, 1), "a");
}

TEST_F(RichGrid, EditingIsLimitedByTheCanEditHandlerAndValidated)
{
  grid->OnCanEditCell = [](TObject*, int32_t c, int32_t, bool& can) { can = c >= 2; };
  std::vector<std::string> offered;
  grid->OnCellValidate = [&](TObject*, int32_t, int32_t r, std::string& text, bool& valid) {
    offered.push_back(text);
    valid = r != 2;
    if (text == "lower") text = "LOWER";
  };
  grid->SetCells(1, 1, "keep");
  Click(1, 1);
  Click(1, 1);
  EXPECT_FALSE(grid->GetEditorMode());
  // Double click on an editable cell opens the editor; typing and Enter store the text.
  const TPoint p = Center(2, 1);
  testinput::DoubleClick(grid, p.x, p.y);
  ASSERT_TRUE(grid->GetEditorMode());
  grid->SetEditorText("");
  testinput::Type(grid, "lower");
  testinput::Key(grid, VK_RETURN);
  EXPECT_EQ(grid->GetCells(2, 1), "LOWER");
  // Refused: the old text stays.
  grid->SetCells(2, 2, "old");
  Click(2, 2);
  testinput::Key(grid, VK_F2);
  ASSERT_TRUE(grid->GetEditorMode());
  grid->SetEditorText("new");
  testinput::Key(grid, VK_RETURN);
  EXPECT_EQ(grid->GetCells(2, 2), "old");
  EXPECT_EQ(offered, (std::vector<std::string>{"lower", "new"}));
  // Without the editing option nothing opens, whatever the handler says.
  grid->SetOptions(grid->GetOptions() & ~goEditing);
  Click(3, 1);
  Click(3, 1);
  EXPECT_FALSE(grid->GetEditorMode());
}

TEST_F(RichGrid, BandedRowsFixedCellsAndAlignment)
{
  grid->Bands.Active = true;
  grid->Bands.PrimaryColor = clInfoBk;
  grid->Bands.SecondaryColor = clWindow;
  grid->MoveTo(1, 3);
  auto inner = [&](int col, int row) {
    const TRect r = grid->CellRect(col, row);
    return Pixel(r.Left + 2, r.Top + 2);
  };
  EXPECT_EQ(inner(2, 1), ColorToRGB(clInfoBk));
  EXPECT_EQ(inner(2, 2), ColorToRGB(clWindow));
  EXPECT_EQ(inner(3, 3), ColorToRGB(clInfoBk));
  EXPECT_EQ(inner(0, 2), ColorToRGB(clBtnFace));
  EXPECT_EQ(inner(2, 0), ColorToRGB(clBtnFace));
  // The current cell is marked, also while another control has the focus.
  EXPECT_EQ(inner(1, 3), ColorToRGB(clHighlight));
  auto* other = new TEdit(form.get());
  other->SetParent(form.get());
  other->SetBounds(410, 10, 60, 20);
  testinput::Focus(other);
  ASSERT_FALSE(grid->Focused());
  EXPECT_EQ(inner(1, 3), ColorToRGB(clHighlight));
  // Text left-aligned by default, centred when the handler says so.
  grid->SetCells(2, 2, "WW");
  auto firstInk = [&]() {
    grid->PaintBuffer();
    const TRect r = grid->CellRect(2, 2);
    for (int x = r.Left + 1; x < r.Right - 1; ++x)
      for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
        if (grid->BackBuffer()->Canvas()->GetPixel(x, y) != ColorToRGB(clWindow)) return x - r.Left;
    return -1;
  };
  const int left = firstInk();
  grid->OnGetAlignment = [](TObject*, int32_t, int32_t, THorzAlign& h, TVertAlign& v) {
    h = haCenter;
    v = vaCenter;
  };
  const int centred = firstInk();
  ASSERT_GE(left, 0);
  EXPECT_LT(left, 6);
  EXPECT_GT(centred, left + 10);
}

TEST_F(RichGrid, MouseMapsToCellsAndKeysScrollColumnsIntoView)
{
  grid->SetBounds(0, 0, 150, 200);
  int32_t c, r;
  ASSERT_TRUE(grid->MouseToCell(70, 30, c, r));
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  grid->MoveTo(1, 1);
  testinput::Key(grid, VK_RIGHT);
  testinput::Key(grid, VK_RIGHT);
  EXPECT_EQ(grid->GetCol(), 3);
  EXPECT_GT(grid->GetLeftCol(), 1);
  EXPECT_FALSE(grid->CellRect(3, 1).IsEmpty());
  EXPECT_LE(grid->CellRect(3, 1).Right, 150);
  // The fixed column stays.
  EXPECT_EQ(grid->CellRect(0, 1).Left, 0);
  // Mouse down events carry the button and position.
  TMouseButton got = mbLeft;
  grid->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int32_t, int32_t) { got = b; };
  Click(3, 2, mbRight);
  EXPECT_EQ(got, mbRight);
  EXPECT_EQ(grid->GetRow(), 1) << "a right click does not move the current cell";
}

TEST_F(RichGrid, HeaderBordersDragToSizeColumns)
{
  grid->SetOptions(grid->GetOptions() | goColSizing);
  const TRect h = grid->CellRect(1, 0);
  testinput::MouseDown(grid, mbLeft, h.Right, 5);
  testinput::MouseMove(grid, h.Right + 25, 5, ssLeft);
  testinput::MouseUp(grid, mbLeft, h.Right + 25, 5);
  EXPECT_EQ(grid->GetColWidth(1), 85);
  EXPECT_EQ(grid->CellRect(2, 1).Left, h.Right + 25 + 1);
  // Without the option the same drag changes nothing.
  grid->SetOptions(grid->GetOptions() & ~goColSizing);
  testinput::MouseDown(grid, mbLeft, h.Right + 25, 5);
  testinput::MouseMove(grid, h.Right + 60, 5, ssLeft);
  testinput::MouseUp(grid, mbLeft, h.Right + 60, 5);
  EXPECT_EQ(grid->GetColWidth(1), 85);
}

TEST_F(RichGrid, ScrollBarsReachColumnsAndRowsBeyondTheView)
{
  // Nine columns as wide as the section list's in a pane too narrow for them.
  grid->SetColCount(9);
  for (int c = 0; c < 9; ++c) grid->SetColWidth(c, 40);
  grid->SetBounds(0, 0, 200, 200);
  grid->PaintBuffer();
  ASSERT_TRUE(grid->HorzScrollBarShown());
  EXPECT_FALSE(grid->VertScrollBarShown());
  EXPECT_LT(grid->ClientHeight(), 200);
  EXPECT_TRUE(grid->CellRect(8, 1).IsEmpty() || grid->CellRect(8, 1).Right > grid->ClientWidth());
  // Clicks on the bar's far arrow scroll until the last column shows whole, and no further.
  for (int i = 0; i < 12; ++i) {
    testinput::Click(grid, grid->ClientWidth() - 4, grid->GetHeight() - 4);
    grid->PaintBuffer();
  }
  const TRect last = grid->CellRect(8, 1);
  ASSERT_FALSE(last.IsEmpty());
  EXPECT_LE(last.Right, grid->ClientWidth());
  // 200 pixels hold the fixed column and three more of 41: no further than column 6.
  EXPECT_EQ(grid->GetLeftCol(), 6);
  // More rows than fit bring the vertical bar.
  grid->SetRowCount(30);
  grid->PaintBuffer();
  EXPECT_TRUE(grid->VertScrollBarShown());
  EXPECT_LT(grid->ClientWidth(), 200);
  // A grid that holds everything has no bars and its whole area for cells.
  grid->SetRowCount(3);
  grid->SetBounds(0, 0, 400, 200);
  grid->PaintBuffer();
  EXPECT_FALSE(grid->HorzScrollBarShown());
  EXPECT_FALSE(grid->VertScrollBarShown());
  EXPECT_EQ(grid->GetLeftCol(), 1);
  EXPECT_EQ(grid->ClientWidth(), 400);
}

}  // namespace

namespace {

// Check boxes go with their column, and a cell the select handler refuses keeps its box as it is.
TEST_F(RichGrid, CheckBoxesFollowTheirColumnAndARefusedCell)
{
  grid->AddCheckBox(3, 1, true, false);
  grid->SetColCount(3);
  EXPECT_FALSE(grid->HasCheckBox(3, 1));
  grid->SetColCount(4);
  EXPECT_FALSE(grid->HasCheckBox(3, 1));
  EXPECT_FALSE(grid->GetCheckBoxState(3, 1));

  grid->AddCheckBox(2, 2, true, false);
  int clicks = 0;
  grid->OnCheckBoxClick = [&](TObject*, int32_t, int32_t, bool) { ++clicks; };
  grid->OnSelectCell = [](TObject*, int32_t, int32_t row, bool& can) { can = row != 2; };
  Click(2, 2);
  EXPECT_TRUE(grid->GetCheckBoxState(2, 2));
  EXPECT_EQ(clicks, 0);
  grid->OnSelectCell = nullptr;
  Click(2, 2);
  EXPECT_FALSE(grid->GetCheckBoxState(2, 2));
  EXPECT_EQ(clicks, 1);
}

// A number wider than its cell is cut at its end with a mark, never at its beginning, whatever the
// alignment.
TEST_F(RichGrid, NumbersWiderThanTheCellKeepTheirLeadingDigits)
{
  TCanvas* c = grid->BackBuffer()->Canvas();
  c->Font()->Assign(grid->Font());
  EXPECT_EQ(FitCellText(c, "12", 40), "12");
  const std::string cut = FitCellText(c, "653737.0", 36);
  EXPECT_LE(c->TextWidth(cut), 36);
  ASSERT_GE(cut.size(), 4u);
  EXPECT_EQ(std::string("653737.0").rfind(cut.substr(0, cut.size() - 3), 0), 0u) << cut;
  EXPECT_EQ(cut.substr(cut.size() - 3), "\u2026");
  EXPECT_EQ(FitCellText(c, "5547507", 1), "\u2026");
  // Whole characters only.
  const std::string utf = FitCellText(c, "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", 30);
  EXPECT_EQ(utf.size() % 2, 1u);

  // Drawn centred in a 40-pixel column: the ink starts at the cell's left margin, not cut off.
  grid->SetColWidth(2, 40);
  grid->SetCells(2, 2, "5547507.25");
  grid->OnGetAlignment = [](TObject*, int32_t, int32_t, THorzAlign& h, TVertAlign& v) {
    h = haCenter;
    v = vaCenter;
  };
  grid->PaintBuffer();
  const TRect r = grid->CellRect(2, 2);
  int first = -1;
  for (int x = r.Left; x < r.Right && first < 0; ++x)
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      if (grid->BackBuffer()->Canvas()->GetPixel(x, y) != ColorToRGB(clWindow)) {
        first = x - r.Left;
        break;
      }
  EXPECT_GE(first, 2);
  EXPECT_LT(first, 6);
}

}  // namespace
