#include "platform/TestInput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include "platform/ControlsQt.h"

using namespace ctlqt;

namespace testinput {

namespace {
Qt::MouseButton QtButton(TMouseButton b)
{
  return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

Qt::KeyboardModifiers Mods(TShiftState s)
{
  Qt::KeyboardModifiers m;
  if (s & ssShift) m |= Qt::ShiftModifier;
  if (s & ssCtrl) m |= Qt::ControlModifier;
  if (s & ssAlt) m |= Qt::AltModifier;
  return m;
}

void SendMouse(TControl* c, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int32_t x, int32_t y,
               TShiftState shift)
{
  QWidget* w = c->Widget();
  QPointF local(x, y);
  const QPointF global = w->mapToGlobal(local);
  // As on screen, a visible child under the point (a scroll bar, an in-place editor) takes it.
  if (QWidget* child = w->childAt(QPoint(x, y))) {
    local = child->mapFrom(w, QPoint(x, y));
    w = child;
  }
  QMouseEvent ev(type, local, global, button, buttons, Mods(shift));
  QApplication::sendEvent(w, &ev);
}

// The widget that takes the keys: the focused widget inside the control, else a visible line
// editor inside it (an in-place editor), else the control's own widget.
QWidget* KeyTarget(TControl* c)
{
  QWidget* w = c->Widget();
  QWidget* focus = QApplication::focusWidget();
  if (focus && focus != w && w->isAncestorOf(focus)) return focus;
  for (QLineEdit* e : w->findChildren<QLineEdit*>())
    if (e->isVisible()) return e;
  return w;
}
}  // namespace

void MouseDown(TControl* control, TMouseButton button, int32_t x, int32_t y, TShiftState shift)
{
  SendMouse(control, QEvent::MouseButtonPress, QtButton(button), QtButton(button), x, y, shift);
}

void MouseUp(TControl* control, TMouseButton button, int32_t x, int32_t y, TShiftState shift)
{
  SendMouse(control, QEvent::MouseButtonRelease, QtButton(button), Qt::NoButton, x, y, shift);
}

void MouseMove(TControl* control, int32_t x, int32_t y, TShiftState shift)
{
  Qt::MouseButtons held;
  if (shift & ssLeft) held |= Qt::LeftButton;
  if (shift & ssRight) held |= Qt::RightButton;
  SendMouse(control, QEvent::MouseMove, Qt::NoButton, held, x, y, shift);
}

void Click(TControl* control, int32_t x, int32_t y, TMouseButton button, TShiftState shift)
{
  MouseDown(control, button, x, y, shift);
  MouseUp(control, button, x, y, shift);
}

void ClickCenter(TControl* control, TMouseButton button)
{
  Click(control, control->GetWidth() / 2, control->GetHeight() / 2, button);
}

void DoubleClick(TControl* control, int32_t x, int32_t y)
{
  Click(control, x, y);
  SendMouse(control, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, x, y, 0);
  MouseUp(control, mbLeft, x, y);
}

void Wheel(TControl* control, int32_t delta, int32_t x, int32_t y)
{
  QWidget* w = control->Widget();
  const QPointF local(x, y);
  QWheelEvent ev(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &ev);
}

void Key(TControl* control, uint16_t virtualKey, TShiftState shift)
{
  const int key = QtKeyFrom(virtualKey);
  QString text;
  if (virtualKey == VK_RETURN) text = "\r";
  if (virtualKey == VK_ESCAPE) text = QString(QChar(27));
  if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
    text = QString(QChar(virtualKey)).toLower();
  QWidget* target = KeyTarget(control);
  QKeyEvent press(QEvent::KeyPress, key, Mods(shift), text);
  QApplication::sendEvent(target, &press);
  QWidget* after = KeyTarget(control);
  QKeyEvent release(QEvent::KeyRelease, key, Mods(shift), text);
  QApplication::sendEvent(after, &release);
}

void Type(TControl* control, const std::string& text)
{
  for (QChar ch : Q(text)) {
    int key = 0;
    if (ch.isDigit()) key = Qt::Key_0 + ch.digitValue();
    else if (ch.isLetter()) key = Qt::Key_A + (ch.toUpper().unicode() - 'A');
    else if (ch == '.') key = Qt::Key_Period;
    else if (ch == '-') key = Qt::Key_Minus;
    else if (ch == ':') key = Qt::Key_Colon;
    else if (ch == ' ') key = Qt::Key_Space;
    else if (ch == ',') key = Qt::Key_Comma;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(KeyTarget(control), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(KeyTarget(control), &release);
  }
}

void Focus(TWinControl* control)
{
  QWidget* window = control->Widget()->window();
  if (!window->isVisible()) window->show();
  QApplication::setActiveWindow(window);
  window->activateWindow();
  QApplication::processEvents();
  control->SetFocus();
  QApplication::processEvents();
}

void ShowWindow(TControl* form)
{
  form->Show();
  QApplication::processEvents();
}

void ProcessEvents() { QApplication::processEvents(); }

void Wait(int milliseconds)
{
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

void CloseModalAfter(int milliseconds)
{
  QTimer::singleShot(milliseconds, [] {
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
}

bool SaveScreenshot(TControl* control, const std::string& fileName)
{
  QApplication::processEvents();
  const QPixmap pix = control->Widget()->grab();
  return pix.save(Q(fileName), "PNG");
}

}  // namespace testinput
