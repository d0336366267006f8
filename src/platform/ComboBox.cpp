#include "platform/ComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>
#include <QSize>
#include <QStyle>

#include <algorithm>
#include <cstdio>
#include <exception>

#include "platform/ControlsQt.h"

using namespace ctlqt;

int32_t GetSystemMetrics(int index)
{
  if (index != SM_CXSIZE) return 0;
  // A caption button is as wide as the caption is high, less the frame around the button.
  const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  return std::max(18, title - 2);
}

namespace {
// The combo widget: after its own painting the control paints over it.
class ComboWidget : public QComboBox {
public:
  void SetControl(TCustomComboBox* control) { control_ = control; }

protected:
  void paintEvent(QPaintEvent* event) override
  {
    QComboBox::paintEvent(event);
    if (!control_) return;
    try {
      TCanvas canvas;
      canvas.SetDevice(this, nullptr);
      control_->DispatchPaintOver(&canvas);
      canvas.Release();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: combo box paint: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "orbisk: combo box paint: unknown failure\n");
    }
  }

private:
  TCustomComboBox* control_ = nullptr;
};
}  // namespace

TCustomComboBox::TCustomComboBox(TComponent* owner)
  : TWinControl(owner, new ComboWidget), combo_(static_cast<QComboBox*>(widget_))
{
  static_cast<ComboWidget*>(combo_)->SetControl(this);
  SetColor(clWindow);
  SetTabStop(true);
  combo_->setFocusPolicy(Qt::StrongFocus);
  combo_->setEditable(true);
  SetBounds(0, 0, 145, 21);
  QObject::connect(combo_, &QComboBox::currentIndexChanged, [this](int) {
    try {
      Change();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: combo box: %s\n", e.what());
    }
  });
  QObject::connect(combo_, &QComboBox::editTextChanged, [this](const QString&) {
    if (style_ == csDropDownList) return;
    try {
      Change();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: combo box: %s\n", e.what());
    }
  });
}

TCustomComboBox::~TCustomComboBox()
{
  static_cast<ComboWidget*>(combo_)->SetControl(nullptr);
  combo_->disconnect();
}

int TCustomComboBox::ItemCount() const { return combo_->count(); }

void TCustomComboBox::AddItem(const std::string& text)
{
  // Adding items selects nothing and raises no change (the window system would select the first).
  const bool wasEmpty = combo_->count() == 0;
  const QSignalBlocker block(combo_);
  combo_->addItem(Q(text));
  if (wasEmpty) combo_->setCurrentIndex(-1);
  ApplyItemHeight(combo_->count() - 1);
}

void TCustomComboBox::ClearItems()
{
  const QSignalBlocker block(combo_);
  combo_->clear();
}

std::string TCustomComboBox::Item(int index) const
{
  if (index < 0 || index >= combo_->count()) return {};
  return S(combo_->itemText(index));
}

int TCustomComboBox::GetItemIndex() const { return combo_->currentIndex(); }

void TCustomComboBox::SetItemIndex(int v)
{
  if (v < -1 || v >= combo_->count()) v = -1;
  combo_->setCurrentIndex(v);
}

std::string TCustomComboBox::GetText() const { return S(combo_->currentText()); }

void TCustomComboBox::SetText(const std::string& v)
{
  if (style_ == csDropDownList) {
    SetItemIndex(combo_->findText(Q(v)));
    return;
  }
  combo_->setEditText(Q(v));
}

void TCustomComboBox::SetStyle(TComboBoxStyle v)
{
  if (v == style_) return;
  style_ = v;
  combo_->setEditable(v != csDropDownList);
  Invalidate();
}

void TCustomComboBox::ApplyItemHeight(int index)
{
  if (index >= 0 && index < combo_->count()) combo_->setItemData(index, QSize(0, itemHeight_), Qt::SizeHintRole);
}

void TCustomComboBox::SetItemHeight(int32_t v)
{
  v = std::max<int32_t>(1, v);
  if (v == itemHeight_) return;
  itemHeight_ = v;
  for (int i = 0; i < combo_->count(); ++i) ApplyItemHeight(i);
}

int32_t TCustomComboBox::GetDroppedWidth() const { return std::max(droppedWidth_, GetWidth()); }

void TCustomComboBox::SetDroppedWidth(int32_t v)
{
  droppedWidth_ = std::max<int32_t>(0, v);
  combo_->view()->setMinimumWidth(droppedWidth_);
}

bool TCustomComboBox::GetDroppedDown() const { return combo_->view()->isVisible(); }

void TCustomComboBox::SetDroppedDown(bool v)
{
  if (v)
    combo_->showPopup();
  else
    combo_->hidePopup();
}

void TCustomComboBox::PaintTo(TBitmap* bitmap)
{
  if (!bitmap) return;
  const int32_t w = std::max(1, GetWidth()), h = std::max(1, GetHeight());
  bitmap->SetSize(w, h);
  bitmap->Canvas()->Release();
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  combo_->ensurePolished();
  combo_->render(&image);
  QImage& target = bitmap->Image();
  target = image.convertToFormat(target.format());
}

void TCustomComboBox::DispatchPaintOver(TCanvas* canvas) { PaintOver(canvas); }

void TCustomComboBox::PaintOver(TCanvas*) {}

void TCustomComboBox::Change()
{
  if (OnChange) OnChange(this);
}
