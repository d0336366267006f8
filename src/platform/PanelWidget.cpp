#include "platform/PanelWidget.h"

#include <QBitmap>
#include <QCursor>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTransform>
#include <QWidget>

#include <map>

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

TDeviceCaps CanvasDeviceCaps(TCanvas* canvas)
{
  TDeviceCaps caps;
  QPainter* p = canvas ? canvas->Painter() : nullptr;
  QPaintDevice* d = p ? p->device() : nullptr;
  if (!d) return caps;
  caps.LogPixelsX = d->logicalDpiX();
  caps.LogPixelsY = d->logicalDpiY();
  caps.HorzSizeMM = d->widthMM();
  caps.VertSizeMM = d->heightMM();
  return caps;
}

namespace {
std::map<const TCanvas*, TCanvasMapping>& Mappings()
{
  static std::map<const TCanvas*, TCanvasMapping> m;
  return m;
}
}  // namespace

TCanvasMapping GetCanvasMapping(TCanvas* canvas)
{
  auto it = Mappings().find(canvas);
  return it == Mappings().end() ? TCanvasMapping() : it->second;
}

void SetCanvasMapping(TCanvas* canvas, const TCanvasMapping& mapping)
{
  if (!canvas) return;
  QPainter* p = canvas->Painter();
  if (!mapping.Anisotropic || mapping.WindowExtX == 0 || mapping.WindowExtY == 0) {
    Mappings().erase(canvas);
    if (p) p->setWorldTransform(QTransform());
    return;
  }
  Mappings()[canvas] = mapping;
  if (p)
    p->setWorldTransform(QTransform::fromScale(static_cast<double>(mapping.ViewportExtX) / mapping.WindowExtX,
                                               static_cast<double>(mapping.ViewportExtY) / mapping.WindowExtY));
}
