// Contour levels, band and isoline colours and the colour strip of a section.
#include <algorithm>
#include <cmath>

#include "app/PseudoSection2dContour.h"

namespace {

// Half-to-even rounding of a double that may exceed the integer range (then it is whole already).
double RoundEven(double v)
{
  if (!std::isfinite(v) || std::fabs(v) >= 4503599627370496.0) return v;
  return static_cast<double>(RoundHalfEven(v));
}

}  // namespace

void TPseudoSectionContour::UpdateLevels()
{
  if (LevelCount <= 0 || TriangleCount < 3 || NextNode - 1 < 2) return;
  const int32_t n = LevelCount;
  const bool logMode = LogData && RangeMin > 0;
  double lo = logMode ? std::log(RangeMin) : RangeMin;
  double hi = logMode ? std::log(RangeMax) : RangeMax;
  if (std::fabs(hi - lo) < 1e-7) {
    if (logMode) {
      hi = std::log(std::exp(hi) * 10.0);
      lo = std::log(std::exp(lo) / 10.0);
    } else {
      hi = hi * 2.0;
      lo = lo / 2.0;
    }
    if (lo == hi) hi = 1.0;
  }
  // Negative ends widen the wrong way round.
  if (lo > hi) std::swap(lo, hi);

  LevelValues.assign(static_cast<size_t>(n), 0.0);
  for (int32_t i = 0; i < n; ++i) {
    LevelValues[i] = lo + (hi - lo) * (i + 1) / (n + 1);
    if (logMode) LevelValues[i] = std::exp(LevelValues[i]);
  }

  const std::vector<double> copy = LevelValues;
  for (int32_t i = 0; i < n; ++i) {
    if (LevelValues[i] == 0.0) continue;
    double s;
    if (i + 1 < n)
      s = std::log10(copy[i + 1] - copy[i]);
    else if (i > 0)
      s = std::log10(copy[i] - copy[i - 1]);
    else
      s = std::log10(std::fabs(copy[i]));
    const double p = std::floor(std::min(s, std::log10(std::fabs(copy[i]))));
    if (!std::isfinite(p)) continue;
    const double unit = std::pow(10.0, p);
    const double rounded = RoundEven(LevelValues[i] / unit) * unit;
    if (std::isfinite(rounded)) LevelValues[i] = rounded;
  }
  for (int32_t i = 1; i + 1 < n; ++i)
    if (LevelValues[i - 1] < 0 && LevelValues[i + 1] > 0) LevelValues[i] = 0.0;

  const std::vector<TColor> bandKeys{ContourMinColor, MidColors.size() > 0 ? MidColors[0] : ContourMinColor,
                                     MidColors.size() > 1 ? MidColors[1] : ContourMaxColor, ContourMaxColor};
  BandGradient = MakeColorGradient(200, bandKeys, 3);
  BandColors.assign(static_cast<size_t>(n) + 1, clBlack);
  for (int32_t k = 0; k <= n; ++k) BandColors[k] = BandGradient[Round32(k * 200.0 / n)];

  IsolineGradient = MakeColorGradient(200, {IsolineMinColor, IsolineMaxColor}, 1);
  IsolineColors.assign(static_cast<size_t>(n), clBlack);
  for (int32_t k = 0; k < n; ++k) IsolineColors[k] = IsolineGradient[Round32(k * 200.0 / (n + 1))];

  StripColors = MakeColorGradient(513, bandKeys, 3);
  TBitmap* strip = ColorStrip();
  uint8_t* row = strip->ScanLine(0);
  for (int i = 0; i < 512; ++i) {
    const TColor c = StripColors[i];
    row[3 * i + 0] = static_cast<uint8_t>((c >> 16) & 0xFF);
    row[3 * i + 1] = static_cast<uint8_t>((c >> 8) & 0xFF);
    row[3 * i + 2] = static_cast<uint8_t>(c & 0xFF);
  }

  // No node may lie exactly on a level.
  for (int32_t i = 1; i < NextNode; ++i) {
    double& v = NodeTable[i].value;
    for (double level : LevelValues)
      if (v == level) v = v + v / 100000.0 + 1e-20;
  }
}

TBitmap* TPseudoSectionContour::ColorStrip()
{
  if (!colorStrip_) {
    colorStrip_ = std::make_unique<TBitmap>();
    colorStrip_->SetPixelFormat(pf24bit);
    colorStrip_->SetSize(512, 1);
  }
  return colorStrip_.get();
}

void TPseudoSectionContour::ValueToStripCoord(double value, TComplex& coord) const
{
  coord.y = 1.0;
  coord.x = 0.0;
  if (LevelValues.empty()) return;
  const double first = LevelValues.front(), last = LevelValues.back();
  const bool logMode = LogData && RangeMin > 0;
  double t;
  if (logMode && first > 0 && last > 0 && value > 0)
    t = (std::log(value) - std::log(first)) / (std::log(last) - std::log(first));
  else if (!logMode)
    t = (value - first) / (last - first);
  else
    t = 0.0;
  if (!std::isfinite(t)) t = value > first ? 1.0 : 0.0;
  t = std::clamp(t, -1.0, 2.0);
  coord.x = std::min(511, std::max(0, Round32(t * 512.0))) / 520.0;
}
