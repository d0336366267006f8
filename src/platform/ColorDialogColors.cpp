#include "platform/ColorDialogColors.h"

#include <QColorDialog>

#include "platform/ControlsQt.h"

int ColorDialogCustomCount() { return QColorDialog::customCount(); }

TColor GetColorDialogCustomColor(int index)
{
  if (index < 0 || index >= QColorDialog::customCount()) return clWhite;
  const QColor c = QColorDialog::customColor(index);
  return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}

void SetColorDialogCustomColor(int index, TColor color)
{
  if (index < 0 || index >= QColorDialog::customCount()) return;
  QColorDialog::setCustomColor(index, ctlqt::ToQColor(color));
}
