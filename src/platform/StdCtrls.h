#pragma once
// Standard controls: speed buttons, edits, spin buttons, toolbars, status bars, image lists,
// panels, labels, push buttons and check boxes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"

class QLineEdit;

// Draws a one-pixel 3-D frame: top and left in topLeft, bottom and right in bottomRight.
void Frame3D(TCanvas* canvas, const TRect& r, TColor topLeft, TColor bottomRight);

// A list of images of one size.
class TImageList : public TComponent {
public:
  explicit TImageList(TComponent* owner);
  ~TImageList() override;
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  void SetSize(int32_t width, int32_t height);
  int Count() const { return static_cast<int>(images_.size()); }
  // Adds a copy of the bitmap; returns its index. White (or the bitmap's transparent colour) is
  // drawn transparent when the bitmap is marked transparent.
  int Add(const TBitmap* image);
  TBitmap* Image(int index) const;
  // Draws image index with its top-left at (x, y); an index outside the list draws nothing.
  void Draw(TCanvas* canvas, int32_t x, int32_t y, int index, bool enabled = true) const;
  TNotifyEvent OnChange;

private:
  int32_t width_ = 16, height_ = 16;
  std::vector<std::unique_ptr<TBitmap>> images_;
};

// Draws a glyph bitmap at (x, y); its bottom-left pixel (or the transparent colour) is treated as
// transparent when the bitmap is transparent. A disabled glyph is drawn greyed.
void DrawGlyph(TCanvas* canvas, int32_t x, int32_t y, TBitmap* glyph, const TRect& src, bool enabled);

class TSpeedButton : public TCustomControl {
public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;

  bool GetFlat() const { return flat_; }
  void SetFlat(bool v);
  // The glyph: NumGlyphs images side by side (up, disabled, clicked, down).
  TBitmap* Glyph();
  void SetGlyph(const TBitmap* glyph);
  int GetNumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int v);
  int GetGroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }
  bool GetDown() const { return down_; }
  void SetDown(bool v);
  bool GetAllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v) { allowAllUp_ = v; }
  bool Pressed() const { return pressed_; }

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void PaintFace(const TRect& r, bool sunken);

private:
  std::unique_ptr<TBitmap> glyph_;
  bool flat_ = false;
  int numGlyphs_ = 1;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool pressed_ = false;
  bool hot_ = false;
};

// One-line text editor.
class TEdit : public TWinControl {
public:
  explicit TEdit(TComponent* owner);
  std::string GetText() const;
  // Setting the text raises OnChange as typing does.
  void SetText(const std::string& text);
  bool GetReadOnly() const;
  void SetReadOnly(bool v);
  void SelectAll();
  TNotifyEvent OnChange;

protected:
  virtual void Change();

private:
  QLineEdit* edit_;
};

// Two arrows, up above down; a click on an arrow raises its event.
class TSpinButton : public TCustomControl {
public:
  explicit TSpinButton(TComponent* owner);
  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  int pressedHalf_ = 0;  // 1 up, 2 down
};

// A bar along the top that places its controls left to right in the order they were added,
// each separator leaving a gap.
class TToolBar : public TCustomControl {
public:
  explicit TToolBar(TComponent* owner);
  int32_t GetButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(int32_t v);
  int32_t GetButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int32_t v);
  // Adds a gap of the given width after the controls added so far.
  void AddSeparator(int32_t width = 8);
  // Places the visible controls.
  void ArrangeControls();

protected:
  void Paint() override;
  void Resize() override;

private:
  int32_t buttonHeight_ = 22, buttonWidth_ = 23;
  std::vector<std::pair<int, int32_t>> separators_;  // (control count before it, width)
};

struct TStatusPanel {
  std::string Text;
  int32_t Width = 50;
};

class TStatusBar : public TCustomControl {
public:
  explicit TStatusBar(TComponent* owner);
  std::vector<TStatusPanel>& Panels() { return panels_; }
  void SetPanelText(size_t index, const std::string& text);

protected:
  void Paint() override;

private:
  std::vector<TStatusPanel> panels_;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TCustomControl {
public:
  explicit TPanel(TComponent* owner);
  TBevelCut GetBevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v);

protected:
  void Paint() override;

private:
  TBevelCut bevelOuter_ = bvRaised;
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TCustomControl {
public:
  explicit TLabel(TComponent* owner);
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  void SetCaption(const std::string& v) override;
  // Fits the width to the caption.
  bool AutoSize = true;

protected:
  void Paint() override;

private:
  TAlignment alignment_ = taLeftJustify;
};

class TButton : public TCustomControl {
public:
  explicit TButton(TComponent* owner);
  // A click on the button of a modal form sets the form's modal result to this.
  int ModalResult = 0;
  void Click() override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  bool pressed_ = false;
};

class TCheckBox : public TCustomControl {
public:
  explicit TCheckBox(TComponent* owner);
  bool GetChecked() const { return checked_; }
  // Raises OnClick when the state changes.
  void SetChecked(bool v);
  void Click() override;

protected:
  void Paint() override;

private:
  bool checked_ = false;
  bool inSet_ = false;
};
