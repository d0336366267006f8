#include "platform/Controls.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <exception>

#include "platform/ControlsQt.h"
#include "platform/Cursors.h"

namespace ctlqt {

QFont ToQFont(const TFont& font)
{
  QFont f(Q(font.GetName()));
  const int32_t h = font.GetHeight();
  if (h < 0)
    f.setPixelSize(std::max(1, -h));
  else if (h > 0)
    f.setPixelSize(std::max(1, h * 4 / 5));  // cell height includes the internal leading
  const TFontStyles st = font.GetStyle();
  f.setBold(st & fsBold);
  f.setItalic(st & fsItalic);
  f.setUnderline(st & fsUnderline);
  f.setStrikeOut(st & fsStrikeOut);
  return f;
}

TShiftState ShiftFrom(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
  TShiftState s = 0;
  if (mods & Qt::ShiftModifier) s |= ssShift;
  if (mods & Qt::AltModifier) s |= ssAlt;
  if (mods & Qt::ControlModifier) s |= ssCtrl;
  if (buttons & Qt::LeftButton) s |= ssLeft;
  if (buttons & Qt::RightButton) s |= ssRight;
  if (buttons & Qt::MiddleButton) s |= ssMiddle;
  return s;
}

namespace {
struct KeyPair {
  int qt;
  uint16_t vk;
};
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},       {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},   {Qt::Key_Shift, VK_SHIFT},   {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},       {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Space, VK_SPACE},
    {Qt::Key_PageUp, VK_PRIOR},   {Qt::Key_PageDown, VK_NEXT}, {Qt::Key_End, VK_END},
    {Qt::Key_Home, VK_HOME},      {Qt::Key_Left, VK_LEFT},     {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},    {Qt::Key_Down, VK_DOWN},     {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},  {Qt::Key_Plus, VK_ADD},      {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_F1, VK_F1},          {Qt::Key_F2, VK_F2},
};
}  // namespace

uint16_t VirtualKeyFrom(int qtKey)
{
  for (const auto& k : kKeys)
    if (k.qt == qtKey) return k.vk;
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<uint16_t>('0' + (qtKey - Qt::Key_0));
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<uint16_t>('A' + (qtKey - Qt::Key_A));
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
  return 0;
}

int QtKeyFrom(uint16_t vk)
{
  for (const auto& k : kKeys)
    if (k.vk == vk) return k.qt;
  if (vk >= '0' && vk <= '9') return Qt::Key_0 + (vk - '0');
  if (vk >= 'A' && vk <= 'Z') return Qt::Key_A + (vk - 'A');
  if (vk >= VK_F1 && vk < VK_F1 + 12) return Qt::Key_F1 + (vk - VK_F1);
  return 0;
}

Qt::CursorShape CursorShapeFrom(TCursor c)
{
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: case crVSplit: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: case crHSplit: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: case crSQLWait: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragMoveCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

}  // namespace ctlqt

using namespace ctlqt;

namespace {
constexpr const char* kControlProperty = "orbiskControl";

// Reports an exception that reached the event boundary instead of letting it leave Qt.
void ReportAtBoundary(const char* where)
{
  try {
    throw;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orbisk: %s: %s\n", where, e.what());
  } catch (...) {
    std::fprintf(stderr, "orbisk: %s: unknown failure\n", where);
  }
}

TMouseButton ButtonFrom(Qt::MouseButton b)
{
  if (b == Qt::RightButton) return mbRight;
  if (b == Qt::MiddleButton) return mbMiddle;
  return mbLeft;
}

// The widget of a plain or custom control: shows the back buffer of a custom control.
class ControlHostWidget : public QWidget {
public:
  explicit ControlHostWidget(TControl* control) : control_(control) {}
  void SetControl(TControl* control) { control_ = control; }
  void Detach() { control_ = nullptr; }

protected:
  void paintEvent(QPaintEvent*) override
  {
    if (!control_) return;
    try {
      if (auto* custom = dynamic_cast<TCustomControl*>(control_)) {
        TBitmap* bmp = custom->PaintForWidget();
        if (bmp && bmp->GetWidth() > 0 && bmp->GetHeight() > 0) {
          QPainter p(this);
          p.drawImage(0, 0, bmp->Image());
        }
      } else {
        QPainter p(this);
        p.fillRect(rect(), ToQColor(control_->GetColor()));
      }
    } catch (...) {
      ReportAtBoundary("paint");
    }
  }

private:
  TControl* control_;
};
}  // namespace

// Forwards the widget's input and geometry events to its control.
class TControlEventFilter : public QObject {
public:
  explicit TControlEventFilter(TControl* control) : control_(control) {}

  bool eventFilter(QObject* watched, QEvent* event) override
  {
    if (!control_ || watched != control_->Widget()) return false;
    try {
      return Handle(event);
    } catch (...) {
      ReportAtBoundary("input");
      return false;
    }
  }

private:
  bool Handle(QEvent* event)
  {
    auto* win = dynamic_cast<TWinControl*>(control_);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = me->position().toPoint();
        control_->DispatchMouseDown(ButtonFrom(me->button()), ShiftFrom(me->modifiers(), me->buttons()), p.x(), p.y(),
                                    event->type() == QEvent::MouseButtonDblClick);
        return false;
      }
      case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = me->position().toPoint();
        control_->DispatchMouseMove(ShiftFrom(me->modifiers(), me->buttons()), p.x(), p.y());
        return false;
      }
      case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint p = me->position().toPoint();
        control_->DispatchMouseUp(ButtonFrom(me->button()), ShiftFrom(me->modifiers(), me->buttons()), p.x(), p.y());
        return false;
      }
      case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(event);
        const QPoint g = we->globalPosition().toPoint();
        const int delta = we->angleDelta().y();
        if (delta == 0) return false;
        const bool handled =
            control_->DispatchMouseWheel(ShiftFrom(we->modifiers(), we->buttons()), delta, TPoint{g.x(), g.y()});
        if (handled) event->accept();
        return handled;
      }
      case QEvent::Resize: control_->DispatchResize(); return false;
      case QEvent::Enter: control_->DispatchMouseEnter(); return false;
      case QEvent::Leave: control_->DispatchMouseLeave(); return false;
      case QEvent::KeyPress: {
        if (!win) return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        const QString text = ke->text();
        char ch = 0;
        if (text.size() == 1 && text.at(0).unicode() < 128) ch = static_cast<char>(text.at(0).unicode());
        win->DispatchKeyDown(VirtualKeyFrom(ke->key()), ShiftFrom(ke->modifiers(), Qt::NoButton), ch);
        return false;
      }
      case QEvent::KeyRelease: {
        if (!win) return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        win->DispatchKeyUp(VirtualKeyFrom(ke->key()), ShiftFrom(ke->modifiers(), Qt::NoButton));
        return false;
      }
      case QEvent::FocusIn:
        if (win) win->DispatchFocus(true);
        return false;
      case QEvent::FocusOut:
        if (win) win->DispatchFocus(false);
        return false;
      default: return false;
    }
  }

  TControl* control_;
};

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TControl(owner, new ControlHostWidget(nullptr)) {}

TControl::TControl(TComponent* owner, QWidget* widget) : TComponent(owner), widget_(widget)
{
  if (auto* host = dynamic_cast<ControlHostWidget*>(widget_)) host->SetControl(this);
  Init();
}

void TControl::Init()
{
  widget_->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
  filter_ = new TControlEventFilter(this);
  widget_->installEventFilter(filter_);
  widget_->setMouseTracking(true);
  font_ = std::make_unique<TFont>();
  font_->SetName("MS Sans Serif");
  font_->SetHeight(-11);
  font_->OnChange = [this](TObject*) { FontChanged(); };
  FontChanged();
  const QSize s = widget_->size();
  width_ = s.width();
  height_ = s.height();
}

TControl::~TControl()
{
  delete filter_;
  filter_ = nullptr;
  if (auto* host = dynamic_cast<ControlHostWidget*>(widget_)) host->Detach();
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    parent_ = nullptr;
  }
  delete widget_;
  widget_ = nullptr;
}

TControl* TControl::FromWidget(const QWidget* widget)
{
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    const QVariant v = w->property(kControlProperty);
    if (v.isValid()) return static_cast<TControl*>(v.value<void*>());
  }
  return nullptr;
}

void TControl::SetParent(TWinControl* parent)
{
  if (parent == parent_) return;
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  parent_ = parent;
  if (parent_) {
    parent_->controls_.push_back(this);
    widget_->setParent(parent_->Widget());
    widget_->setGeometry(left_, top_, width_, height_);
    widget_->setVisible(visible_);
    if (align_ != alNone) parent_->AlignControls();
  } else {
    widget_->hide();
    widget_->setParent(nullptr);
  }
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
  width = std::max(0, width);
  height = std::max(0, height);
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  const bool sized = width != width_ || height != height_;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  settingBounds_ = true;
  if (widget_->isWindow())
    widget_->resize(width_, height_), widget_->move(left_, top_);
  else
    widget_->setGeometry(left_, top_, width_, height_);
  settingBounds_ = false;
  if (sized) Resize();
  if (parent_ && align_ != alNone) parent_->AlignControls();
}

void TControl::SyncBoundsFromWidget()
{
  const QRect g = widget_->geometry();
  left_ = g.x();
  top_ = g.y();
  width_ = g.width();
  height_ = g.height();
}

TPoint TControl::ClientToScreen(TPoint p) const
{
  const QPoint g = widget_->mapToGlobal(QPoint(p.x, p.y));
  return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
  const QPoint l = widget_->mapFromGlobal(QPoint(p.x, p.y));
  return {l.x(), l.y()};
}

void TControl::SetAlign(TAlign v)
{
  if (v == align_) return;
  align_ = v;
  if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool v)
{
  if (v == visible_) return;
  visible_ = v;
  if (parent_ || !v) widget_->setVisible(v);
  if (parent_ && align_ != alNone) parent_->AlignControls();
}

bool TControl::Showing() const
{
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void TControl::SetEnabled(bool v)
{
  if (v == enabled_) return;
  enabled_ = v;
  widget_->setEnabled(v);
  Invalidate();
}

void TControl::SetColor(TColor v)
{
  if (v == color_) return;
  color_ = v;
  Invalidate();
}

void TControl::SetHint(const std::string& v)
{
  hint_ = v;
  widget_->setToolTip(showHint_ ? Q(v) : QString());
}

void TControl::SetShowHint(bool v)
{
  showHint_ = v;
  widget_->setToolTip(showHint_ ? Q(hint_) : QString());
}

void TControl::SetCursor(TCursor v)
{
  cursor_ = v;
  widget_->setCursor(CursorToQCursor(v));
}

void TControl::SetCaption(const std::string& v)
{
  if (v == caption_) return;
  caption_ = v;
  if (widget_->isWindow()) widget_->setWindowTitle(Q(v));
  Invalidate();
}

bool TControl::GetMouseCapture() const { return QWidget::mouseGrabber() == widget_; }

void TControl::SetMouseCapture(bool v)
{
  // Qt keeps the pressed widget as receiver of moves and release; an explicit grab needs a window.
  if (!widget_->isVisible()) return;
  if (v)
    widget_->grabMouse();
  else if (GetMouseCapture())
    widget_->releaseMouse();
}

void TControl::Invalidate() { widget_->update(); }

void TControl::Repaint() { widget_->repaint(); }

void TControl::Update() { widget_->repaint(); }

void TControl::BringToFront() { widget_->raise(); }

void TControl::Click()
{
  if (OnClick) OnClick(this);
}

void TControl::FontChanged()
{
  widget_->setFont(ToQFont(*font_));
  Invalidate();
}

void TControl::DispatchMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y, bool doubleClick)
{
  if (!enabled_) return;
  if (doubleClick) shift |= ssDouble;
  if (button == mbLeft) clickPending_ = !doubleClick;
  if (doubleClick && button == mbLeft) DblClick();
  MouseDown(button, shift, x, y);
}

void TControl::DispatchMouseMove(TShiftState shift, int32_t x, int32_t y)
{
  if (!enabled_) return;
  MouseMove(shift, x, y);
}

void TControl::DispatchMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (!enabled_) return;
  const bool click = button == mbLeft && clickPending_ && x >= 0 && y >= 0 && x < width_ && y < height_;
  if (button == mbLeft) clickPending_ = false;
  MouseUp(button, shift, x, y);
  if (click) Click();
}

bool TControl::DispatchMouseWheel(TShiftState shift, int32_t delta, TPoint mousePos)
{
  if (!enabled_) return false;
  return DoMouseWheel(shift, delta, mousePos);
}

void TControl::DispatchResize()
{
  if (settingBounds_) return;
  const int32_t w = width_, h = height_;
  SyncBoundsFromWidget();
  if (w != width_ || h != height_) Resize();
}

void TControl::DispatchMouseEnter() { MouseEnter(); }
void TControl::DispatchMouseLeave() { MouseLeave(); }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::DblClick()
{
  if (OnDblClick) OnDblClick(this);
}

bool TControl::DoMouseWheel(TShiftState shift, int32_t wheelDelta, TPoint mousePos)
{
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
  if (!handled) handled = wheelDelta < 0 ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos)
{
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos)
{
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

void TControl::Resize()
{
  if (OnResize) OnResize(this);
}

void TControl::MouseEnter()
{
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave()
{
  if (OnMouseLeave) OnMouseLeave(this);
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner) : TWinControl(owner, new ControlHostWidget(nullptr)) {}

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget) {}

TWinControl::~TWinControl()
{
  // The children stay alive until their owner frees them: take their widgets out of ours first.
  auto children = controls_;
  for (TControl* c : children) c->SetParent(nullptr);
}

bool TWinControl::Focused() const { return widget_->hasFocus(); }

bool TWinControl::CanFocus() const { return Showing() && GetEnabled(); }

void TWinControl::SetFocus()
{
  if (widget_->focusPolicy() == Qt::NoFocus) widget_->setFocusPolicy(Qt::StrongFocus);
  widget_->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool v)
{
  tabStop_ = v;
  if (v && widget_->focusPolicy() == Qt::NoFocus) widget_->setFocusPolicy(Qt::StrongFocus);
}

void TWinControl::AlignControls()
{
  if (aligning_) return;
  aligning_ = true;
  TRect r = GetClientRect();
  auto place = [&](TAlign which) {
    for (TControl* c : controls_) {
      if (c->GetAlign() != which || !c->GetVisible()) continue;
      switch (which) {
        case alTop:
          c->SetBounds(r.Left, r.Top, r.Width(), c->GetHeight());
          r.Top += c->GetHeight();
          break;
        case alBottom:
          c->SetBounds(r.Left, r.Bottom - c->GetHeight(), r.Width(), c->GetHeight());
          r.Bottom -= c->GetHeight();
          break;
        case alLeft:
          c->SetBounds(r.Left, r.Top, c->GetWidth(), std::max(0, r.Height()));
          r.Left += c->GetWidth();
          break;
        case alRight:
          c->SetBounds(r.Right - c->GetWidth(), r.Top, c->GetWidth(), std::max(0, r.Height()));
          r.Right -= c->GetWidth();
          break;
        case alClient: c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height())); break;
        default: break;
      }
    }
  };
  place(alTop);
  place(alBottom);
  place(alLeft);
  place(alRight);
  place(alClient);
  aligning_ = false;
}

void TWinControl::Resize()
{
  AlignControls();
  TControl::Resize();
}

void TWinControl::DispatchKeyDown(uint16_t key, TShiftState shift, char ch)
{
  if (!GetEnabled()) return;
  if (key != 0) KeyDown(key, shift);
  if (ch != 0) KeyPress(ch);
}

void TWinControl::DispatchKeyUp(uint16_t key, TShiftState shift)
{
  if (!GetEnabled() || key == 0) return;
  KeyUp(key, shift);
}

void TWinControl::DispatchFocus(bool in)
{
  if (in)
    DoEnter();
  else
    DoExit();
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift)
{
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift)
{
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter()
{
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit()
{
  if (OnExit) OnExit(this);
}

// ---------------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner)
{
  widget_->setAttribute(Qt::WA_OpaquePaintEvent);
}

TCustomControl::~TCustomControl() = default;

TCanvas* TCustomControl::GetCanvas()
{
  if (!buffer_) {
    buffer_ = std::make_unique<TBitmap>();
    buffer_->SetSize(std::max(1, GetWidth()), std::max(1, GetHeight()));
  }
  return buffer_->Canvas();
}

void TCustomControl::PaintBuffer()
{
  if (painting_) return;
  painting_ = true;
  try {
    if (!buffer_) buffer_ = std::make_unique<TBitmap>();
    const int32_t w = std::max(1, GetWidth()), h = std::max(1, GetHeight());
    if (buffer_->GetWidth() != w || buffer_->GetHeight() != h) {
      buffer_->Canvas()->Release();
      buffer_->SetSize(w, h);
    }
    TCanvas* c = buffer_->Canvas();
    c->ClearClip();
    c->Font()->Assign(Font());
    Paint();
    c->Release();
  } catch (...) {
    painting_ = false;
    throw;
  }
  painting_ = false;
}

TBitmap* TCustomControl::PaintForWidget()
{
  PaintBuffer();
  return buffer_.get();
}

void TCustomControl::Repaint()
{
  if (widget_->isVisible())
    widget_->repaint();
  else
    PaintBuffer();
}

void TCustomControl::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetColor(GetColor());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(GetClientRect());
}
