#pragma once
// The string grid: rows and columns of text cells with fixed header rows and columns, a current
// cell, column sizing and an in-place editor.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Controls.h"

class QLineEdit;
class QScrollBar;

using TGridOptions = uint32_t;
constexpr TGridOptions goFixedVertLine = 1, goFixedHorzLine = 2, goVertLine = 4, goHorzLine = 8, goRangeSelect = 16,
                       goDrawFocusSelected = 32, goRowSizing = 64, goColSizing = 128, goRowMoving = 256,
                       goColMoving = 512, goEditing = 1024, goTabs = 2048, goRowSelect = 4096,
                       goAlwaysShowEditor = 8192, goThumbTracking = 16384;

using TGridDrawState = uint8_t;
constexpr TGridDrawState gdSelected = 1, gdFocused = 2, gdFixed = 4;

enum THorzAlign { haLeft, haCenter, haRight };
enum TVertAlign { vaTop, vaCenter, vaBottom };

using TSelectCellEvent = std::function<void(TObject* sender, int32_t col, int32_t row, bool& canSelect)>;
using TDrawCellEvent = std::function<void(TObject* sender, int32_t col, int32_t row, const TRect& rect, TGridDrawState state)>;

class TStringGrid : public TCustomControl {
public:
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;

  int32_t GetColCount() const { return colCount_; }
  virtual void SetColCount(int32_t v);
  int32_t GetRowCount() const { return rowCount_; }
  // Adds empty rows at the end or drops rows from the end.
  virtual void SetRowCount(int32_t v);
  int32_t GetFixedCols() const { return fixedCols_; }
  void SetFixedCols(int32_t v);
  int32_t GetFixedRows() const { return fixedRows_; }
  void SetFixedRows(int32_t v);
  int32_t GetDefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int32_t v);
  int32_t GetDefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int32_t v);
  int32_t GetColWidth(int32_t col) const;
  void SetColWidth(int32_t col, int32_t width);
  int32_t GetRowHeight(int32_t row) const;
  TGridOptions GetOptions() const { return options_; }
  void SetOptions(TGridOptions v);
  TColor GetFixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor v);

  // Text of a cell; empty outside the grid.
  std::string GetCell(int32_t col, int32_t row) const;
  // Writes a cell and repaints it; ignored outside the grid.
  virtual void SetCell(int32_t col, int32_t row, const std::string& text);

  // The current cell.
  int32_t GetCol() const { return col_; }
  int32_t GetRow() const { return row_; }
  // Moves the current cell when SelectCell allows it; returns whether it moved.
  bool MoveTo(int32_t col, int32_t row);
  int32_t GetTopRow() const { return topRow_; }
  void SetTopRow(int32_t v);
  // First non-fixed column shown.
  int32_t GetLeftCol() const { return leftCol_; }
  void SetLeftCol(int32_t v);

  // The area the cells are drawn in: the control less the scroll bars shown.
  TRect GetClientRect() const override;
  // Scroll bars are shown when the cells do not fit.
  bool HorzScrollBarShown() const;
  bool VertScrollBarShown() const;

  // The cell's rectangle in client coordinates (empty when scrolled out).
  TRect CellRect(int32_t col, int32_t row) const;
  // The cell under a client point; false (and -1, -1) outside every cell.
  bool MouseToCell(int32_t x, int32_t y, int32_t& col, int32_t& row) const;

  // The in-place editor.
  bool GetEditorMode() const { return editing_; }
  void ShowEditor();
  // Ends editing: commit true offers the text to ValidateEdit, false drops it.
  void HideEditor(bool commit = true);
  std::string GetEditorText() const;
  void SetEditorText(const std::string& text);

  TSelectCellEvent OnSelectCell;
  TDrawCellEvent OnDrawCell;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void DblClick() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void Resize() override;

  virtual bool CanEditCell(int32_t col, int32_t row);
  virtual bool SelectCell(int32_t col, int32_t row);
  // Decides whether an edited text is stored; it may change the text.
  virtual bool ValidateEdit(int32_t col, int32_t row, std::string& text);
  virtual void GetCellAlignment(int32_t col, int32_t row, THorzAlign& horz, TVertAlign& vert);
  virtual void DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state);
  // Draws the cell's text with its alignment; a text wider than the cell is drawn from its left
  // edge and cut at the right end with a mark (FitCellText), so no part of it reads as another text.
  void DrawCellText(int32_t col, int32_t row, const TRect& rect);
  // Called after the row count changed.
  virtual void RowCountChanged() {}

private:
  void ResizeStore();
  void PlaceEditor();
  int32_t ColLeft(int32_t col) const;
  // Columns in the order shown: the fixed ones, then from LeftCol on.
  std::vector<int32_t> ShownCols() const;
  int32_t RowTop(int32_t row) const;
  int32_t SizingBorderAt(int32_t x, int32_t y) const;
  // Shows, hides and sets the scroll bars from the cells' extent and the scroll position.
  void UpdateScrollBars();

  int32_t colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
  int32_t defaultColWidth_ = 64, defaultRowHeight_ = 24;
  std::vector<int32_t> colWidths_;
  std::vector<std::vector<std::string>> cells_;  // [row][col]
  TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TColor fixedColor_ = clBtnFace;
  int32_t col_ = 1, row_ = 1, topRow_ = 1, leftCol_ = 1;
  bool editing_ = false;
  int32_t editCol_ = -1, editRow_ = -1;
  QLineEdit* editor_ = nullptr;
  QScrollBar* hbar_ = nullptr;
  QScrollBar* vbar_ = nullptr;
  int32_t sizingCol_ = -1, sizingStartX_ = 0, sizingStartWidth_ = 0;
  bool committing_ = false;
};

// Text as it fits Width pixels in the canvas's font: unchanged when it fits, else its longest
// beginning (whole characters) followed by "\u2026"; only the mark when not even one character fits.
std::string FitCellText(TCanvas* canvas, const std::string& text, int32_t width);
