#pragma once
// Controls: the visual component bases. Every control is shown by a widget of the window system;
// a custom control paints into a back-buffer bitmap through its canvas, and the widget shows
// that bitmap. Mouse and key input arrive as the virtual handlers and events below.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

class QWidget;
class TWinControl;
class TControlEventFilter;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Shift state: a set of these bits.
using TShiftState = uint16_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;

// Cursor numbers of the screen's cursor table (negative: standard cursors).
using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11,
                  crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16,
                  crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22;

// Virtual key codes.
constexpr uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
                   VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36,
                   VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46,
                   VK_ADD = 107, VK_SUBTRACT = 109, VK_F1 = 112, VK_F2 = 113;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int32_t x, int32_t y)>;
using TMouseWheelEvent =
    std::function<void(TObject* sender, TShiftState shift, int32_t wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

class TControl : public TComponent {
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* GetParent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int32_t GetLeft() const { return left_; }
  int32_t GetTop() const { return top_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  void SetLeft(int32_t v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int32_t v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int32_t v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int32_t v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  // The client area in the control's own coordinates.
  virtual TRect GetClientRect() const { return Rect(0, 0, width_, height_); }
  int32_t ClientWidth() const { return GetClientRect().Width(); }
  int32_t ClientHeight() const { return GetClientRect().Height(); }
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign GetAlign() const { return align_; }
  void SetAlign(TAlign v);
  bool GetVisible() const { return visible_; }
  virtual void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible.
  bool Showing() const;
  bool GetEnabled() const { return enabled_; }
  virtual void SetEnabled(bool v);

  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* font) { font_->Assign(font); }
  TColor GetColor() const { return color_; }
  virtual void SetColor(TColor v);
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& v);
  bool GetShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor v);
  const std::string& GetCaption() const { return caption_; }
  virtual void SetCaption(const std::string& v);
  // Captured: mouse moves and the release reach this control while a button is down.
  bool GetMouseCapture() const;
  void SetMouseCapture(bool v);

  // Marks the control for painting at the next message loop pass.
  virtual void Invalidate();
  // Paints now.
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void Update();
  void BringToFront();

  // Runs the click handler as a click would.
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

  // The widget side; for use inside the platform layer only.
  QWidget* Widget() const { return widget_; }
  static TControl* FromWidget(const QWidget* widget);

  // Input entry points of the platform layer (the widget's events come here).
  void DispatchMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y, bool doubleClick);
  void DispatchMouseMove(TShiftState shift, int32_t x, int32_t y);
  void DispatchMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  bool DispatchMouseWheel(TShiftState shift, int32_t delta, TPoint mousePos);
  void DispatchResize();
  void DispatchMouseEnter();
  void DispatchMouseLeave();

protected:
  // Made over a widget of a derived kind; takes ownership of it.
  TControl(TComponent* owner, QWidget* widget);

  virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  virtual void DblClick();
  // Returns true when handled.
  virtual bool DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
  virtual void Resize();
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void FontChanged();
  // The widget was resized from outside (window manager, layout).
  void SyncBoundsFromWidget();

  QWidget* widget_ = nullptr;

private:
  friend class TWinControl;
  void Init();
  TWinControl* parent_ = nullptr;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  bool visible_ = true;
  bool enabled_ = true;
  bool showHint_ = false;
  bool settingBounds_ = false;
  std::unique_ptr<TFont> font_;
  TColor color_ = clBtnFace;
  std::string hint_;
  std::string caption_;
  TCursor cursor_ = crDefault;
  TControlEventFilter* filter_ = nullptr;
  bool clickPending_ = false;
};

// A control that can hold others and take the keyboard focus.
class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }

  bool Focused() const;
  virtual bool CanFocus() const;
  virtual void SetFocus();
  bool GetTabStop() const { return tabStop_; }
  void SetTabStop(bool v);

  // Places the aligned children inside the client area.
  void AlignControls();

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Input entry points of the platform layer.
  void DispatchKeyDown(uint16_t key, TShiftState shift, char ch);
  void DispatchKeyUp(uint16_t key, TShiftState shift);
  void DispatchFocus(bool in);

protected:
  TWinControl(TComponent* owner, QWidget* widget);

  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();
  void Resize() override;

private:
  friend class TControl;
  std::vector<TControl*> controls_;
  bool tabStop_ = false;
  bool aligning_ = false;
};

// A control painted by its own code: Paint draws on Canvas, which is a back-buffer bitmap the
// size of the control; the widget then shows that bitmap.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  // The canvas of the back buffer (valid during Paint and afterwards).
  TCanvas* GetCanvas();
  // The back buffer as last painted.
  TBitmap* BackBuffer() { return buffer_.get(); }
  // Paints into the back buffer now, without showing it.
  void PaintBuffer();
  void Repaint() override;

  // The platform's paint entry: paints the buffer and returns it.
  TBitmap* PaintForWidget();

protected:
  virtual void Paint();

private:
  std::unique_ptr<TBitmap> buffer_;
  bool painting_ = false;
};
