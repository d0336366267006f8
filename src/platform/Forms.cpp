#include "platform/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <memory>

#include "platform/ControlsQt.h"

using namespace ctlqt;

std::function<int(TForm*)> TForm::ModalAnswer;

namespace {
// Catches the window system's close request.
class FormCloseFilter : public QObject {
public:
  explicit FormCloseFilter(TForm* form) : form_(form) {}
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() != QEvent::Close) return false;
    if (form_->DispatchCloseRequest()) return false;
    event->ignore();
    return true;
  }

private:
  TForm* form_;
};
}  // namespace

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
  widget_->setWindowFlag(Qt::Window, true);
  auto* filter = new FormCloseFilter(this);
  filter->setParent(widget_);
  widget_->installEventFilter(filter);
  SetVisible(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 400, 300);
}

TForm::~TForm()
{
  if (OnDestroy) OnDestroy(this);
}

void TForm::DoCreate()
{
  if (OnCreate) OnCreate(this);
}

void TForm::SetWindowState(TWindowState v)
{
  windowState_ = v;
  if (!widget_->isVisible()) return;
  if (v == wsMaximized)
    widget_->showMaximized();
  else if (v == wsMinimized)
    widget_->showMinimized();
  else
    widget_->showNormal();
}

void TForm::SetBorderStyle(TFormBorderStyle v)
{
  borderStyle_ = v;
  if (v == bsDialog || v == bsToolWindow) widget_->setWindowFlag(Qt::Dialog, true);
}

void TForm::PlaceOnScreen()
{
  if (placed_) return;
  placed_ = true;
  if (position_ == poScreenCenter || position_ == poDesktopCenter || position_ == poMainFormCenter ||
      position_ == poOwnerFormCenter) {
    const int32_t x = (Screen()->GetWidth() - GetWidth()) / 2, y = (Screen()->GetHeight() - GetHeight()) / 2;
    SetBounds(std::max(0, x), std::max(0, y), GetWidth(), GetHeight());
  }
}

void TForm::SetVisible(bool v)
{
  const bool was = GetVisible();
  TWinControl::SetVisible(v);
  if (v) {
    PlaceOnScreen();
    AlignControls();
    if (windowState_ == wsMaximized)
      widget_->showMaximized();
    else
      widget_->show();
    if (ActiveControl && ActiveControl->CanFocus()) ActiveControl->SetFocus();
    if (!was && OnShow) OnShow(this);
  } else {
    widget_->hide();
    if (was && OnHide) OnHide(this);
  }
}

int TForm::ShowModal()
{
  modalResult_ = mrNone;
  if (ModalAnswer) {
    modal_ = true;
    if (OnShow) OnShow(this);
    modalResult_ = ModalAnswer(this);
    modal_ = false;
    return modalResult_;
  }
  modal_ = true;
  widget_->setWindowModality(Qt::ApplicationModal);
  SetVisible(true);
  QEventLoop loop;
  while (modalResult_ == mrNone && widget_->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
  SetVisible(false);
  widget_->setWindowModality(Qt::NonModal);
  modal_ = false;
  return modalResult_;
}

void TForm::SetModalResult(int v)
{
  modalResult_ = v;
}

void TForm::Close()
{
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return;
  }
  widget_->close();
}

bool TForm::DispatchCloseRequest()
{
  TCloseAction action = caHide;
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return true;
  }
  if (OnClose) OnClose(this, action);
  if (action == caNone) return false;
  TWinControl::SetVisible(false);
  return true;
}

int32_t TScreen::GetWidth() const
{
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}

int32_t TScreen::GetHeight() const
{
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 768;
}

void TScreen::SetCursor(TCursor v)
{
  if (v == cursor_) return;
  if (cursor_ != crDefault) QApplication::restoreOverrideCursor();
  cursor_ = v;
  if (v != crDefault) QApplication::setOverrideCursor(QCursor(CursorShapeFrom(v)));
}

TScreen* Screen()
{
  static TScreen screen;
  return &screen;
}

namespace {
std::unique_ptr<TComponent>& OwnerSlot()
{
  static std::unique_ptr<TComponent> owner;
  return owner;
}
}  // namespace

TComponent* ApplicationOwner()
{
  auto& slot = OwnerSlot();
  if (!slot) slot = std::make_unique<TComponent>(nullptr);
  return slot.get();
}

void Application_FreeOwned() { OwnerSlot().reset(); }
