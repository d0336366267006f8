#include "grid/RichStringGrid.h"

#include <algorithm>

#include "platform/StdCtrls.h"

// ---------------------------------------------------------------- TBaseGrid

TBaseGrid::TBaseGrid(TComponent* owner) : TStringGrid(owner) {}

void TBaseGrid::SetCells(int32_t col, int32_t row, const std::string& text)
{
  if (text.empty()) ClearCellExtras(col, row);
  SetCell(col, row, text);
}

bool TBaseGrid::CanEditCell(int32_t col, int32_t row)
{
  bool can = TStringGrid::CanEditCell(col, row);
  if (can && OnCanEditCell) OnCanEditCell(this, col, row, can);
  return can;
}

bool TBaseGrid::ValidateEdit(int32_t col, int32_t row, std::string& text)
{
  bool valid = true;
  if (OnCellValidate) OnCellValidate(this, col, row, text, valid);
  return valid;
}

void TBaseGrid::GetCellAlignment(int32_t col, int32_t row, THorzAlign& horz, TVertAlign& vert)
{
  TStringGrid::GetCellAlignment(col, row, horz, vert);
  if (OnGetAlignment) OnGetAlignment(this, col, row, horz, vert);
}

TColor TBaseGrid::CellBackground(int32_t row) const
{
  if (!Bands.Active) return GetColor();
  const int32_t period = std::max(1, Bands.PrimaryLength) + std::max(1, Bands.SecondaryLength);
  const int32_t index = (row - GetFixedRows()) % period;
  return index < std::max(1, Bands.PrimaryLength) ? Bands.PrimaryColor : Bands.SecondaryColor;
}

void TBaseGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state)
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  if (state & gdFixed) {
    c->Brush()->SetColor(GetFixedColor());
    c->Font()->SetStyle(c->Font()->GetStyle() | fsBold);
  } else if (state & gdSelected) {
    // The current cell stays marked when the focus moves on (to the scene under the mouse).
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  } else {
    c->Brush()->SetColor(CellBackground(row));
  }
  c->FillRect(rect);
  DrawCellText(col, row, rect);
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

// ---------------------------------------------------------------- TRichStringGrid

TRichStringGrid::TRichStringGrid(TComponent* owner) : TBaseGrid(owner) {}

void TRichStringGrid::AddCheckBox(int32_t col, int32_t row, bool state, bool data)
{
  if (col < 0 || row < 0 || col >= GetColCount() || row >= GetRowCount()) return;
  boxes_[{row, col}] = CheckBox{state, data};
  Invalidate();
}

void TRichStringGrid::RemoveCheckBox(int32_t col, int32_t row)
{
  if (boxes_.erase({row, col}) > 0) Invalidate();
}

bool TRichStringGrid::HasCheckBox(int32_t col, int32_t row) const { return boxes_.count({row, col}) > 0; }

bool TRichStringGrid::GetCheckBoxState(int32_t col, int32_t row) const
{
  auto it = boxes_.find({row, col});
  return it != boxes_.end() && it->second.State;
}

void TRichStringGrid::SetCheckBoxState(int32_t col, int32_t row, bool state)
{
  auto it = boxes_.find({row, col});
  if (it == boxes_.end() || it->second.State == state) return;
  it->second.State = state;
  Invalidate();
}

TRect TRichStringGrid::CheckBoxRect(int32_t col, int32_t row) const
{
  if (!HasCheckBox(col, row)) return {};
  const TRect cell = CellRect(col, row);
  if (cell.IsEmpty()) return {};
  const int32_t size = std::min({13, cell.Width(), cell.Height()});
  const int32_t x = cell.Left + (cell.Width() - size) / 2, y = cell.Top + (cell.Height() - size) / 2;
  return Rect(x, y, x + size, y + size);
}

void TRichStringGrid::SetRowCount(int32_t v)
{
  TBaseGrid::SetRowCount(v);
  DropOutsideBoxes();
}

void TRichStringGrid::SetColCount(int32_t v)
{
  TBaseGrid::SetColCount(v);
  DropOutsideBoxes();
}

void TRichStringGrid::DropOutsideBoxes()
{
  for (auto it = boxes_.begin(); it != boxes_.end();)
    it = it->first.first >= TStringGrid::GetRowCount() || it->first.second >= GetColCount() ? boxes_.erase(it)
                                                                                          : std::next(it);
}

void TRichStringGrid::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  int32_t col, row;
  if (button == mbLeft && MouseToCell(x, y, col, row) && HasCheckBox(col, row)) {
    // A click on the box (or anywhere in its cell) flips it, unless the cell may not be selected.
    const bool movable = col >= GetFixedCols() && row >= GetFixedRows();
    if (movable && !MoveTo(col, row)) {
      TCustomControl::MouseDown(button, shift, x, y);
      return;
    }
    const bool state = !GetCheckBoxState(col, row);
    SetCheckBoxState(col, row, state);
    if (OnCheckBoxClick) OnCheckBoxClick(this, col, row, state);
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  TBaseGrid::MouseDown(button, shift, x, y);
}

void TRichStringGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state)
{
  TBaseGrid::DrawCell(col, row, rect, state);
  const TRect box = CheckBoxRect(col, row);
  if (box.IsEmpty()) return;
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWindow);
  c->FillRect(box);
  Frame3D(c, box, clBtnShadow, clBtnHighlight);
  if (GetCheckBoxState(col, row)) {
    c->Pen()->SetColor(clWindowText);
    c->Pen()->SetWidth(2);
    c->MoveTo(box.Left + 3, box.Top + 6);
    c->LineTo(box.Left + 5, box.Top + 9);
    c->LineTo(box.Left + 10, box.Top + 3);
    c->Pen()->SetWidth(1);
  }
}
