#include "platform/Grids.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QWidget>

#include <algorithm>
#include <cstdio>

#include "platform/ControlsQt.h"
#include "platform/StdCtrls.h"

using namespace ctlqt;

namespace {
// Escape in the in-place editor drops the edit; Enter offers it.
class EditorKeyFilter : public QObject {
public:
  explicit EditorKeyFilter(TStringGrid* grid) : grid_(grid) {}
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    try {
      if (key == Qt::Key_Escape) {
        grid_->HideEditor(false);
        return true;
      }
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        grid_->HideEditor(true);
        return true;
      }
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: grid: %s\n", e.what());
    }
    return false;
  }

private:
  TStringGrid* grid_;
};
}  // namespace

TStringGrid::TStringGrid(TComponent* owner) : TCustomControl(owner)
{
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 320, 120);
  editor_ = new QLineEdit(widget_);
  editor_->hide();
  editor_->setFrame(false);
  auto* keys = new EditorKeyFilter(this);
  keys->setParent(editor_);
  editor_->installEventFilter(keys);
  QObject::connect(editor_, &QLineEdit::editingFinished, [this] {
    try {
      if (editing_ && !committing_) HideEditor(true);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: grid: %s\n", e.what());
    }
  });
  hbar_ = new QScrollBar(Qt::Horizontal, widget_);
  vbar_ = new QScrollBar(Qt::Vertical, widget_);
  for (QScrollBar* bar : {hbar_, vbar_}) {
    bar->hide();
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setFocusPolicy(Qt::NoFocus);
  }
  QObject::connect(hbar_, &QScrollBar::valueChanged, [this](int v) { SetLeftCol(v); });
  QObject::connect(vbar_, &QScrollBar::valueChanged, [this](int v) { SetTopRow(v); });
  ResizeStore();
}

TStringGrid::~TStringGrid() = default;

TRect TStringGrid::GetClientRect() const
{
  const int32_t w = GetWidth() - (VertScrollBarShown() ? vbar_->width() : 0);
  const int32_t h = GetHeight() - (HorzScrollBarShown() ? hbar_->height() : 0);
  return Rect(0, 0, std::max(0, w), std::max(0, h));
}

bool TStringGrid::HorzScrollBarShown() const { return hbar_ && !hbar_->isHidden(); }

bool TStringGrid::VertScrollBarShown() const { return vbar_ && !vbar_->isHidden(); }

void TStringGrid::UpdateScrollBars()
{
  if (!hbar_ || colWidths_.size() != static_cast<size_t>(colCount_)) return;  // still being made
  const int32_t extent = widget_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int32_t step = defaultRowHeight_ + 1;
  int32_t fixedW = 0, allW = 0;
  for (int32_t c = 0; c < colCount_; ++c) {
    const int32_t w = colWidths_[static_cast<size_t>(c)] + 1;
    allW += w;
    if (c < fixedCols_) fixedW += w;
  }
  const int32_t allH = rowCount_ * step, fixedH = fixedRows_ * step;
  // Each bar takes room from the other direction, so a second pass settles both.
  bool needH = false, needV = false;
  for (int pass = 0; pass < 2; ++pass) {
    needH = allW > GetWidth() - (needV ? extent : 0);
    needV = allH > GetHeight() - (needH ? extent : 0);
  }
  const int32_t clientW = GetWidth() - (needV ? extent : 0), clientH = GetHeight() - (needH ? extent : 0);
  // The furthest scroll position still fills the view: the last column or row at the far edge.
  int32_t maxLeft = colCount_ - 1;
  for (int32_t w = fixedW + colWidths_[static_cast<size_t>(maxLeft)] + 1; maxLeft - 1 >= fixedCols_;) {
    w += colWidths_[static_cast<size_t>(maxLeft - 1)] + 1;
    if (w > clientW) break;
    --maxLeft;
  }
  const int32_t visibleRows = std::max(1, (clientH - fixedH) / step);
  const int32_t maxTop = std::max(fixedRows_, rowCount_ - visibleRows);
  // Scrolled no further than the bars reach.
  const int32_t left = std::min(leftCol_, std::max(fixedCols_, maxLeft)), top = std::min(topRow_, maxTop);
  if (left != leftCol_ || top != topRow_) {
    leftCol_ = std::max(fixedCols_, left);
    topRow_ = std::max(fixedRows_, top);
    PlaceEditor();
  }
  QSignalBlocker blockH(hbar_), blockV(vbar_);
  hbar_->setRange(fixedCols_, std::max(fixedCols_, maxLeft));
  hbar_->setValue(leftCol_);
  hbar_->setGeometry(0, GetHeight() - extent, std::max(0, clientW), extent);
  hbar_->setVisible(needH);
  vbar_->setRange(fixedRows_, maxTop);
  vbar_->setPageStep(visibleRows);
  vbar_->setValue(topRow_);
  vbar_->setGeometry(GetWidth() - extent, 0, extent, std::max(0, clientH));
  vbar_->setVisible(needV);
}

void TStringGrid::Resize()
{
  TCustomControl::Resize();
  UpdateScrollBars();
}

void TStringGrid::ResizeStore()
{
  colWidths_.resize(static_cast<size_t>(colCount_), defaultColWidth_);
  cells_.resize(static_cast<size_t>(rowCount_));
  for (auto& row : cells_) row.resize(static_cast<size_t>(colCount_));
  col_ = std::clamp(col_, std::min(fixedCols_, colCount_ - 1), std::max(0, colCount_ - 1));
  row_ = std::clamp(row_, std::min(fixedRows_, rowCount_ - 1), std::max(0, rowCount_ - 1));
  topRow_ = std::clamp(topRow_, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(fixedCols_, colCount_ - 1));
}

void TStringGrid::SetColCount(int32_t v)
{
  v = std::max(1, v);
  if (v == colCount_) return;
  HideEditor(false);
  colCount_ = v;
  ResizeStore();
  Invalidate();
}

void TStringGrid::SetRowCount(int32_t v)
{
  v = std::max(1, v);
  if (v == rowCount_) return;
  if (editing_ && editRow_ >= v) HideEditor(false);
  rowCount_ = v;
  ResizeStore();
  RowCountChanged();
  Invalidate();
}

void TStringGrid::SetFixedCols(int32_t v)
{
  fixedCols_ = std::clamp(v, 0, colCount_ - 1);
  ResizeStore();
  Invalidate();
}

void TStringGrid::SetFixedRows(int32_t v)
{
  fixedRows_ = std::clamp(v, 0, rowCount_ - 1);
  ResizeStore();
  Invalidate();
}

void TStringGrid::SetDefaultColWidth(int32_t v)
{
  defaultColWidth_ = v;
  std::fill(colWidths_.begin(), colWidths_.end(), v);
  Invalidate();
}

void TStringGrid::SetDefaultRowHeight(int32_t v)
{
  defaultRowHeight_ = std::max(1, v);
  PlaceEditor();
  Invalidate();
}

int32_t TStringGrid::GetColWidth(int32_t col) const
{
  if (col < 0 || col >= colCount_) return 0;
  return colWidths_[static_cast<size_t>(col)];
}

void TStringGrid::SetColWidth(int32_t col, int32_t width)
{
  if (col < 0 || col >= colCount_) return;
  colWidths_[static_cast<size_t>(col)] = std::max(0, width);
  PlaceEditor();
  Invalidate();
}

int32_t TStringGrid::GetRowHeight(int32_t row) const { return row >= 0 && row < rowCount_ ? defaultRowHeight_ : 0; }

void TStringGrid::SetOptions(TGridOptions v)
{
  options_ = v;
  Invalidate();
}

void TStringGrid::SetFixedColor(TColor v)
{
  fixedColor_ = v;
  Invalidate();
}

std::string TStringGrid::GetCell(int32_t col, int32_t row) const
{
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return {};
  return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void TStringGrid::SetCell(int32_t col, int32_t row, const std::string& text)
{
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return;
  cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
  Invalidate();
}

bool TStringGrid::MoveTo(int32_t col, int32_t row)
{
  if (col < fixedCols_ || row < fixedRows_ || col >= colCount_ || row >= rowCount_) return false;
  if (col == col_ && row == row_) return true;
  if (!SelectCell(col, row)) return false;
  if (editing_) HideEditor(true);
  col_ = col;
  row_ = row;
  // Keep the current row in view.
  const int32_t step = defaultRowHeight_ + 1;
  const int32_t visibleRows = std::max(1, (ClientHeight() - fixedRows_ * step) / step);
  if (row_ < topRow_) topRow_ = row_;
  if (row_ >= topRow_ + visibleRows) topRow_ = row_ - visibleRows + 1;
  // Keep the current column in view.
  if (col_ < leftCol_) leftCol_ = col_;
  while (leftCol_ < col_ && ColLeft(col_) + GetColWidth(col_) > ClientWidth()) ++leftCol_;
  Invalidate();
  return true;
}

void TStringGrid::SetTopRow(int32_t v)
{
  v = std::clamp(v, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  if (v == topRow_) return;
  topRow_ = v;
  PlaceEditor();
  Invalidate();
}

std::vector<int32_t> TStringGrid::ShownCols() const
{
  std::vector<int32_t> cols;
  for (int32_t c = 0; c < std::min(fixedCols_, colCount_); ++c) cols.push_back(c);
  for (int32_t c = std::max(leftCol_, fixedCols_); c < colCount_; ++c) cols.push_back(c);
  return cols;
}

int32_t TStringGrid::ColLeft(int32_t col) const
{
  // Scrolled-out columns have no place.
  if (col >= fixedCols_ && col < leftCol_) return -1;
  int32_t x = 0;
  for (int32_t c : ShownCols()) {
    if (c == col) return x;
    x += colWidths_[static_cast<size_t>(c)] + 1;
  }
  return x;
}

void TStringGrid::SetLeftCol(int32_t v)
{
  v = std::clamp(v, fixedCols_, std::max(fixedCols_, colCount_ - 1));
  if (v == leftCol_) return;
  leftCol_ = v;
  PlaceEditor();
  Invalidate();
}

int32_t TStringGrid::RowTop(int32_t row) const
{
  // Fixed rows first, then the scrolled rows from TopRow on.
  if (row < fixedRows_) return row * (defaultRowHeight_ + 1);
  return fixedRows_ * (defaultRowHeight_ + 1) + (row - topRow_) * (defaultRowHeight_ + 1);
}

TRect TStringGrid::CellRect(int32_t col, int32_t row) const
{
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return {};
  if (row >= fixedRows_ && row < topRow_) return {};
  if (col >= fixedCols_ && col < leftCol_) return {};
  const int32_t x = ColLeft(col), y = RowTop(row);
  return Rect(x, y, x + colWidths_[static_cast<size_t>(col)], y + defaultRowHeight_);
}

bool TStringGrid::MouseToCell(int32_t x, int32_t y, int32_t& col, int32_t& row) const
{
  col = row = -1;
  if (x < 0 || y < 0) return false;
  int32_t c = -1;
  int32_t left = 0;
  for (int32_t i : ShownCols()) {
    const int32_t right = left + colWidths_[static_cast<size_t>(i)] + 1;
    if (x < right) {
      c = i;
      break;
    }
    left = right;
  }
  if (c < 0) return false;
  int32_t r = -1;
  const int32_t step = defaultRowHeight_ + 1;
  if (y < fixedRows_ * step) {
    r = y / step;
  } else {
    r = topRow_ + (y - fixedRows_ * step) / step;
    if (r >= rowCount_) return false;
  }
  col = c;
  row = r;
  return true;
}

int32_t TStringGrid::SizingBorderAt(int32_t x, int32_t y) const
{
  if (!(options_ & goColSizing) || y >= fixedRows_ * (defaultRowHeight_ + 1)) return -1;
  for (int32_t c : ShownCols()) {
    const int32_t right = ColLeft(c) + colWidths_[static_cast<size_t>(c)];
    if (x >= right - 2 && x <= right + 2) return c;
  }
  return -1;
}

bool TStringGrid::CanEditCell(int32_t col, int32_t row)
{
  return (options_ & goEditing) && col >= fixedCols_ && row >= fixedRows_;
}

bool TStringGrid::SelectCell(int32_t col, int32_t row)
{
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, col, row, can);
  return can;
}

bool TStringGrid::ValidateEdit(int32_t, int32_t, std::string&) { return true; }

void TStringGrid::GetCellAlignment(int32_t, int32_t, THorzAlign& horz, TVertAlign& vert)
{
  horz = haLeft;
  vert = vaCenter;
}

void TStringGrid::ShowEditor()
{
  if (editing_ || !CanEditCell(col_, row_)) return;
  editing_ = true;
  editCol_ = col_;
  editRow_ = row_;
  editor_->setFont(widget_->font());
  THorzAlign h;
  TVertAlign v;
  GetCellAlignment(col_, row_, h, v);
  editor_->setAlignment(h == haCenter ? Qt::AlignHCenter : h == haRight ? Qt::AlignRight : Qt::AlignLeft);
  editor_->setText(Q(GetCell(col_, row_)));
  editor_->selectAll();
  PlaceEditor();
  editor_->show();
  if (widget_->isVisible()) editor_->setFocus(Qt::OtherFocusReason);
}

void TStringGrid::PlaceEditor()
{
  if (!editing_) return;
  const TRect r = CellRect(editCol_, editRow_);
  if (r.IsEmpty()) {
    editor_->hide();
    return;
  }
  editor_->setGeometry(r.Left, r.Top, r.Width(), r.Height());
  editor_->show();
}

void TStringGrid::HideEditor(bool commit)
{
  if (!editing_ || committing_) return;
  committing_ = true;
  const int32_t c = editCol_, r = editRow_;
  std::string text = S(editor_->text());
  editing_ = false;
  const bool hadFocus = editor_->hasFocus();
  editor_->hide();
  if (hadFocus) widget_->setFocus(Qt::OtherFocusReason);
  try {
    if (commit && ValidateEdit(c, r, text)) SetCell(c, r, text);
  } catch (...) {
    committing_ = false;
    throw;
  }
  committing_ = false;
  Invalidate();
}

std::string TStringGrid::GetEditorText() const { return S(editor_->text()); }

void TStringGrid::SetEditorText(const std::string& text) { editor_->setText(Q(text)); }

void TStringGrid::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft) {
    const int32_t border = SizingBorderAt(x, y);
    if (border >= 0) {
      sizingCol_ = border;
      sizingStartX_ = x;
      sizingStartWidth_ = GetColWidth(border);
    } else {
      int32_t c, r;
      if (MouseToCell(x, y, c, r)) {
        const bool wasCurrent = c == col_ && r == row_;
        if (wasCurrent && !editing_ && !(shift & ssDouble)) {
          ShowEditor();
        } else {
          MoveTo(c, r);
        }
      }
    }
    if (widget_->isVisible() && !editing_) SetFocus();
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TStringGrid::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
  if (sizingCol_ >= 0) SetColWidth(sizingCol_, std::max(2, sizingStartWidth_ + x - sizingStartX_));
  TCustomControl::MouseMove(shift, x, y);
}

void TStringGrid::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (button == mbLeft) sizingCol_ = -1;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TStringGrid::DblClick()
{
  ShowEditor();
  TCustomControl::DblClick();
}

void TStringGrid::KeyDown(uint16_t& key, TShiftState shift)
{
  TCustomControl::KeyDown(key, shift);
  switch (key) {
    case VK_UP: MoveTo(col_, row_ - 1); break;
    case VK_DOWN: MoveTo(col_, row_ + 1); break;
    case VK_LEFT: MoveTo(col_ - 1, row_); break;
    case VK_RIGHT: MoveTo(col_ + 1, row_); break;
    case VK_F2:
    case VK_RETURN: ShowEditor(); break;
    default: break;
  }
}

void TStringGrid::KeyPress(char& key)
{
  TCustomControl::KeyPress(key);
  if (editing_ || static_cast<unsigned char>(key) < 32) return;
  ShowEditor();
  if (editing_) editor_->setText(QString(QChar(key)));
}

bool TStringGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
  if (TCustomControl::DoMouseWheelDown(shift, mousePos)) return true;
  if (shift & ssShift)
    SetLeftCol(leftCol_ + 1);
  else
    SetTopRow(topRow_ + 1);
  return true;
}

bool TStringGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
  if (TCustomControl::DoMouseWheelUp(shift, mousePos)) return true;
  if (shift & ssShift)
    SetLeftCol(leftCol_ - 1);
  else
    SetTopRow(topRow_ - 1);
  return true;
}

std::string FitCellText(TCanvas* canvas, const std::string& text, int32_t width)
{
  if (canvas->TextWidth(text) <= width) return text;
  static const std::string mark = "\u2026";
  // The widest beginning that fits with the mark: cut only between UTF-8 characters.
  auto boundary = [&](size_t n) {
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
  };
  size_t lo = 0, hi = text.size();  // a beginning of lo bytes fits, one of hi does not
  while (hi - lo > 1) {
    const size_t mid = boundary(lo + (hi - lo) / 2);
    if (mid <= lo) {
      // No character boundary between lo and hi other than lo: find the next one up.
      size_t next = lo + 1;
      while (next < hi && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
      if (next >= hi) break;
      if (canvas->TextWidth(text.substr(0, next) + mark) <= width) lo = next; else hi = next;
      continue;
    }
    if (canvas->TextWidth(text.substr(0, mid) + mark) <= width) lo = mid; else hi = mid;
  }
  return text.substr(0, lo) + mark;
}

void TStringGrid::DrawCellText(int32_t col, int32_t row, const TRect& rect)
{
  TCanvas* c = GetCanvas();
  std::string text = GetCell(col, row);
  if (text.empty()) return;
  THorzAlign h;
  TVertAlign v;
  GetCellAlignment(col, row, h, v);
  TSize sz = c->TextExtent(text);
  if (sz.cx > rect.Width() - 4) {
    // Centred or right-aligned, a cut text would lose its beginning (653737.0 would read 53737.).
    text = FitCellText(c, text, rect.Width() - 4);
    sz = c->TextExtent(text);
    h = haLeft;
  }
  int32_t x = rect.Left + 2, y = rect.Top + 2;
  if (h == haCenter) x = rect.Left + (rect.Width() - sz.cx) / 2;
  if (h == haRight) x = rect.Right - 2 - sz.cx;
  if (v == vaCenter) y = rect.Top + (rect.Height() - sz.cy) / 2;
  if (v == vaBottom) y = rect.Bottom - 2 - sz.cy;
  c->Brush()->SetStyle(bsClear);
  c->SetClipRect(rect);
  c->TextOut(x, y, text);
  c->ClearClip();
}

void TStringGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state)
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  if (state & gdFixed) {
    c->Brush()->SetColor(fixedColor_);
  } else if (state & gdSelected) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  } else {
    c->Brush()->SetColor(GetColor());
  }
  c->FillRect(rect);
  DrawCellText(col, row, rect);
  if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

void TStringGrid::Paint()
{
  UpdateScrollBars();
  TCanvas* c = GetCanvas();
  const TRect client = GetClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetColor());
  c->FillRect(Rect(0, 0, GetWidth(), GetHeight()));
  const int32_t step = defaultRowHeight_ + 1;
  const std::vector<int32_t> shown = ShownCols();
  int32_t right = 0;
  for (int32_t col : shown) right = ColLeft(col) + colWidths_[static_cast<size_t>(col)];
  int32_t bottom = 0;
  auto paintRow = [&](int32_t row) {
    const int32_t y = RowTop(row);
    if (y >= client.Bottom) return;
    bottom = y + defaultRowHeight_;
    for (int32_t col : shown) {
      const TRect r = CellRect(col, row);
      if (r.Left >= client.Right) break;
      TGridDrawState st = 0;
      if (col < fixedCols_ || row < fixedRows_) st |= gdFixed;
      if (!(st & gdFixed) && col == col_ && row == row_) st |= gdSelected | (Focused() ? gdFocused : 0);
      c->Font()->Assign(Font());
      DrawCell(col, row, r, st);
      if (st & gdFixed) Frame3D(c, Rect(r.Left, r.Top, r.Right, r.Bottom), clBtnHighlight, clBtnShadow);
    }
  };
  for (int32_t row = 0; row < fixedRows_; ++row) paintRow(row);
  for (int32_t row = topRow_; row < rowCount_ && RowTop(row) < client.Bottom; ++row) paintRow(row);
  // Grid lines one pixel wide to the right and below each cell.
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetWidth(1);
  for (int32_t col : shown) {
    const int32_t x = ColLeft(col) + colWidths_[static_cast<size_t>(col)];
    c->MoveTo(x, 0);
    c->LineTo(x, bottom + 1);
  }
  for (int32_t y = defaultRowHeight_; y <= bottom; y += step) {
    c->MoveTo(0, y);
    c->LineTo(right + 1, y);
  }
}
