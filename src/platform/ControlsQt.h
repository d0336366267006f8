#pragma once
// Conversions between the control types and Qt; for the platform layer's own sources only.
#include <QColor>
#include <QFont>
#include <QString>
#include <Qt>

#include <string>

#include "platform/Controls.h"

namespace ctlqt {

inline QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
inline std::string S(const QString& s) { return s.toUtf8().toStdString(); }

inline QColor ToQColor(TColor c)
{
  const TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QFont ToQFont(const TFont& font);
TShiftState ShiftFrom(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
uint16_t VirtualKeyFrom(int qtKey);
int QtKeyFrom(uint16_t vk);
Qt::CursorShape CursorShapeFrom(TCursor cursor);

}  // namespace ctlqt
