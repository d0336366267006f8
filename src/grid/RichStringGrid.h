#pragma once
// The rich string grid: a string grid with check-box cells, banded rows, a bold fixed font and
// events for editing rights, alignment, validation and check-box clicks.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "platform/Grids.h"

using TCanEditCellEvent = std::function<void(TObject* sender, int32_t col, int32_t row, bool& canEdit)>;
using TGetAlignmentEvent =
    std::function<void(TObject* sender, int32_t col, int32_t row, THorzAlign& horz, TVertAlign& vert)>;
using TCellValidateEvent =
    std::function<void(TObject* sender, int32_t col, int32_t row, std::string& text, bool& valid)>;
using TCheckBoxClickEvent = std::function<void(TObject* sender, int32_t col, int32_t row, bool state)>;

// Rows painted in two alternating colours, PrimaryLength rows of the first, SecondaryLength of the second.
struct TGridBanding {
  bool Active = false;
  TColor PrimaryColor = clInfoBk;
  TColor SecondaryColor = clWindow;
  int32_t PrimaryLength = 1;
  int32_t SecondaryLength = 1;
};

class TBaseGrid : public TStringGrid {
public:
  explicit TBaseGrid(TComponent* owner);
  // Writes the cell's text and repaints it; an empty text clears the cell, check box included.
  virtual void SetCells(int32_t col, int32_t row, const std::string& text);
  std::string GetCells(int32_t col, int32_t row) const { return GetCell(col, row); }

  TCanEditCellEvent OnCanEditCell;
  TGetAlignmentEvent OnGetAlignment;
  TCellValidateEvent OnCellValidate;

  TGridBanding Bands;
  // printf-style format for numbers the grid prints itself.
  std::string FloatFormat = "%.2f";

protected:
  bool CanEditCell(int32_t col, int32_t row) override;
  bool ValidateEdit(int32_t col, int32_t row, std::string& text) override;
  void GetCellAlignment(int32_t col, int32_t row, THorzAlign& horz, TVertAlign& vert) override;
  void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) override;
  // The background of a non-fixed, non-selected cell.
  TColor CellBackground(int32_t row) const;
  virtual void ClearCellExtras(int32_t, int32_t) {}
};

class TRichStringGrid : public TBaseGrid {
public:
  explicit TRichStringGrid(TComponent* owner);

  // Puts a check box with the given state into the cell (Data: the data-bound kind).
  void AddCheckBox(int32_t col, int32_t row, bool state, bool data);
  void RemoveCheckBox(int32_t col, int32_t row);
  bool HasCheckBox(int32_t col, int32_t row) const;
  // The box's state; false when the cell has none.
  bool GetCheckBoxState(int32_t col, int32_t row) const;
  void SetCheckBoxState(int32_t col, int32_t row, bool state);
  // The box's square inside the cell (empty when the cell has none or is scrolled out).
  TRect CheckBoxRect(int32_t col, int32_t row) const;

  int32_t GetRowCount() const { return TStringGrid::GetRowCount(); }
  void SetRowCount(int32_t v) override;
  // Dropping columns drops their check boxes too.
  void SetColCount(int32_t v) override;

  TCheckBoxClickEvent OnCheckBoxClick;

protected:
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) override;
  void ClearCellExtras(int32_t col, int32_t row) override { RemoveCheckBox(col, row); }
  // Drops the boxes outside the grid's columns and rows.
  void DropOutsideBoxes();

private:
  struct CheckBox {
    bool State = false;
    bool Data = false;
  };
  std::map<std::pair<int32_t, int32_t>, CheckBox> boxes_;  // (row, col)
};
