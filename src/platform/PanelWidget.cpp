#include "platform/PanelWidget.h"

#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QObject>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>
#include <QWidget>


void SetControlRoundRegion(TControl* control, int32_t width, int32_t height, int32_t radius)
{
  QWidget* w = control ? control->Widget() : nullptr;
  if (!w) return;
  if (radius < 1) {
    w->clearMask();
  } else {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    w->setMask(QRegion(path.toFillPolygon().toPolygon()));
  }
  w->update();
}

bool ControlRegionBounds(TControl* control, TRect& bounds)
{
  QWidget* w = control ? control->Widget() : nullptr;
  if (!w || w->mask().isEmpty()) return false;
  QRect b = w->mask().boundingRect();
  bounds = Rect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
  return true;
}

TPoint ControlCursorPos(TControl* control)
{
  QPoint g = QCursor::pos();
  if (control && control->Widget()) {
    QPoint l = control->Widget()->mapFromGlobal(g);
    return Point(l.x(), l.y());
  }
  return Point(g.x(), g.y());
}


namespace {
// Lives as a child of the watched widget and goes with it.
class SystemColourWatcher : public QObject {
public:
  SystemColourWatcher(QWidget* widget, std::function<void()> onChange)
      : QObject(widget), onChange_(std::move(onChange))
  {
    widget->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override
  {
    if (watched == parent() && onChange_ &&
        (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange))
      onChange_();
    return false;
  }

private:
  std::function<void()> onChange_;
};
}  // namespace

void WatchSystemColours(TControl* control, std::function<void()> onChange)
{
  QWidget* w = control ? control->Widget() : nullptr;
  if (w) new SystemColourWatcher(w, std::move(onChange));
}

void PaintBackgroundBeneath(TControl* control, TCanvas* canvas)
{
  TWinControl* parent = control ? control->GetParent() : nullptr;
  if (!parent || !canvas) return;
  const TRect dest = Rect(0, 0, control->GetWidth(), control->GetHeight());
  auto* custom = dynamic_cast<TCustomControl*>(parent);
  TBitmap* picture = custom ? custom->BackBuffer() : nullptr;
  if (picture && !picture->Empty()) {
    canvas->CopyRect(dest, picture->Canvas(), control->BoundsRect());
    return;
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(parent->GetColor());
  canvas->FillRect(dest);
}
