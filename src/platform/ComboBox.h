#pragma once
// Combo box: a one-line field with a drop-down list of items, shown by the window system's own
// combo widget. Derived controls may paint over what the window system painted (PaintOver).
#include <cstdint>
#include <string>

#include "platform/Controls.h"

class QComboBox;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// System metrics asked for by the controls.
constexpr int SM_CXSIZE = 30;
// Width of a window caption button for SM_CXSIZE; 0 for an index not known here.
int32_t GetSystemMetrics(int index);

class TCustomComboBox : public TWinControl {
public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  int ItemCount() const;
  void AddItem(const std::string& text);
  void ClearItems();
  std::string Item(int index) const;
  // -1 when no item is selected.
  int GetItemIndex() const;
  void SetItemIndex(int v);
  std::string GetText() const;
  void SetText(const std::string& v);
  // csDropDownList: a choice from the list only; the other styles let the user type.
  TComboBoxStyle GetStyle() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  // Height of an item of the list in pixels.
  int32_t GetItemHeight() const { return itemHeight_; }
  void SetItemHeight(int32_t v);
  // Width of the drop-down list: at least the control's width.
  int32_t GetDroppedWidth() const;
  void SetDroppedWidth(int32_t v);
  bool GetDroppedDown() const;
  void SetDroppedDown(bool v);

  // Draws what the control shows now into Bitmap (sized to the control).
  void PaintTo(TBitmap* bitmap);

  // Raised when the user picks an item or edits the text, and by SetItemIndex / SetText.
  TNotifyEvent OnChange;

  // Platform entry: the window system has painted the control; Canvas draws on it.
  void DispatchPaintOver(TCanvas* canvas);

protected:
  // Paints over the window system's painting; nothing in the base.
  virtual void PaintOver(TCanvas* canvas);
  virtual void Change();

private:
  void ApplyItemHeight(int index);
  QComboBox* combo_;
  TComboBoxStyle style_ = csDropDown;
  int32_t itemHeight_ = 16;
  int32_t droppedWidth_ = 0;
};
