#include "platform/Types.h"

#include <algorithm>
#include <limits>

namespace {
// Classic light theme values of the system colours.
constexpr TColor kSystemColors[] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF, 0x000000, 0xCC6600,
    0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
}  // namespace

TColor ColorToRGB(TColor color)
{
  if ((color & 0xFF000000u) == 0xFF000000u) {
    uint32_t index = color & 0xFF;
    if (index < sizeof(kSystemColors) / sizeof(kSystemColors[0])) return kSystemColors[index];
    return 0;
  }
  return color & 0x00FFFFFFu;
}

bool PtInRect(const TRect& r, TPoint p)
{
  return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom;
}

bool IntersectRect(TRect& dest, const TRect& a, const TRect& b)
{
  dest = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
  if (dest.IsEmpty()) {
    dest = {};
    return false;
  }
  return true;
}

bool UnionRect(TRect& dest, const TRect& a, const TRect& b)
{
  if (a.IsEmpty()) dest = b;
  else if (b.IsEmpty()) dest = a;
  else dest = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
  if (dest.IsEmpty()) {
    dest = {};
    return false;
  }
  return true;
}

void InflateRect(TRect& r, int32_t dx, int32_t dy)
{
  r.Left -= dx;
  r.Right += dx;
  r.Top -= dy;
  r.Bottom += dy;
}

void OffsetRect(TRect& r, int32_t dx, int32_t dy)
{
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}

int64_t RoundHalfEven(double value)
{
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) throw EOverflow("Floating point overflow");
  return static_cast<int64_t>(std::nearbyint(value));  // default rounding mode is half to even
}

int64_t RoundHalfAway(double value)
{
  if (!std::isfinite(value) || std::fabs(value) >= 9.2e18) throw EOverflow("Floating point overflow");
  return static_cast<int64_t>(std::round(value));
}

int32_t CheckedInt32(int64_t value)
{
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    throw ERangeError("Range check error");
  return static_cast<int32_t>(value);
}

int32_t Round32(double value)
{
  if (!std::isfinite(value) || std::fabs(value) > 2.2e9) throw ERangeError("Range check error");
  return CheckedInt32(RoundHalfEven(value));
}

int32_t RoundAway32(double value)
{
  if (!std::isfinite(value) || std::fabs(value) > 2.2e9) throw ERangeError("Range check error");
  return CheckedInt32(RoundHalfAway(value));
}

int32_t Trunc32(double value)
{
  if (!std::isfinite(value) || std::fabs(value) > 2.2e9) throw ERangeError("Range check error");
  return CheckedInt32(static_cast<int64_t>(value));
}

int32_t AddChecked(int32_t a, int32_t b)
{
  int32_t r;
  if (__builtin_add_overflow(a, b, &r)) throw EOverflow("Arithmetic overflow");
  return r;
}

int32_t SubChecked(int32_t a, int32_t b)
{
  int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) throw EOverflow("Arithmetic overflow");
  return r;
}

int32_t MulChecked(int32_t a, int32_t b)
{
  int32_t r;
  if (__builtin_mul_overflow(a, b, &r)) throw EOverflow("Arithmetic overflow");
  return r;
}
