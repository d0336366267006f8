#include "chart/model/NvEngineAxis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#ifdef __AVX__
#include <immintrin.h>
#endif

#include "chart/canvas/NuvConst.h"

int32_t PixelLimit = 67108863;

namespace {

// Half away from zero on doubles; values past 2^52 are already whole.
double RoundD(double x)
{
  if (!std::isfinite(x) || std::fabs(x) >= 4503599627370496.0) return x;
  return static_cast<double>(RoundHalfAway(x));
}

double Sign(double x) { return x >= 0 ? 1.0 : -1.0; }

double Power(double base, double exponent) { return std::pow(base, exponent); }

// log_base |x|
double LogN(double base, double x) { return std::log(std::fabs(x)) / std::log(base); }

// Half away from zero of a value within the 32-bit range: its whole part and the exact rest.
inline int32_t RoundPixel(double p)
{
  const auto whole = static_cast<int32_t>(p);
  const double rest = p - whole;
  // (Without branches: the rests of a run of points fall either way at random.)
  return whole + static_cast<int32_t>(rest >= 0.5) - static_cast<int32_t>(rest <= -0.5);
}

// Pixel from a double offset, held within +-limit (NaN goes to the start).
inline int32_t ClampPixel(double p, int32_t limit)
{
  if (std::isnan(p)) return 0;
  if (p > limit) return limit;
  if (p < -limit) return -limit;
  return RoundPixel(p);
}

int32_t ClampPixel(double p) { return ClampPixel(p, PixelLimit); }

// A pixel that fits 32 bits exactly; what does not fit is held within the pixel limit.
inline int32_t FittingPixel(double p)
{
  if (p > -2147483648.5 && p < 2147483647.5) return RoundPixel(p);
  return ClampPixel(p);
}

}  // namespace

// ---- Scale engine ----
double NiceStep(double x)
{
  if (x == 0) return 1.0;
  if (!std::isfinite(x)) return x;
  // Mirrored for negative steps (the definition would descend for ever).
  if (x < 0) return -NiceStep(-x);
  // x = m * 10^e with 1 <= m < 10, taken from the decimal exponent (one division, no drift).
  int32_t e = static_cast<int32_t>(std::floor(std::log10(x)));
  double scale = std::pow(10.0, e);
  double m = x / scale;
  if (!std::isfinite(m) || scale == 0) return x;
  if (m >= 10) {
    m /= 10;
    scale *= 10;
  } else if (m < 1) {
    m *= 10;
    scale /= 10;
  }
  double r;
  if (m < 2) {
    r = 2;
  } else if (m < 5) {
    r = 5;
  } else {
    r = 10;
  }
  return r * scale;
}

double CeilTolerant(double x)
{
  const double r = RoundD(x);
  if (std::fabs(x - r) < 1e-10) return r;
  return std::ceil(x);
}

double FloorTolerant(double x)
{
  const double r = RoundD(x);
  if (std::fabs(x - r) < 1e-10) return r;
  return std::floor(x);
}

double SymmetricLog10(double s, double x) { return Sign(x) * std::log10(std::fabs(x) / s + 1.0); }

double SymmetricPower10(double s, double y) { return Sign(y) * s * (std::pow(10.0, std::fabs(y)) - 1.0); }

double SymmetricStep(double s, double x, int32_t d)
{
  double v = SymmetricPower10(s, SymmetricLog10(s, x) + d);
  if (v != 0 && std::isfinite(v)) v = Sign(v) * std::pow(10.0, RoundD(std::log10(std::fabs(v))));
  if (std::fabs(v) < 6 * s) v = 0;
  return v;
}

double RoundLogIncrement(double x, double logBase, bool symmetric, double symmetricScale)
{
  if (symmetric) return SymmetricStep(symmetricScale, x, 0);
  if (x == 0 || !std::isfinite(x)) return x;
  return Sign(x) * Power(logBase, RoundD(LogN(logBase, x)));
}

TAxisEnds AxisRoundEnds(double minimum, double maximum, bool roundMinMax, double increment,
                        const TAxisScaleKind& kind)
{
  TAxisEnds e{minimum, maximum};
  if (!roundMinMax || (!kind.Logarithmic && increment <= 0)) return e;
  if (!kind.Logarithmic) {
    e.Maximum = CeilTolerant(maximum / increment) * increment;
    e.Minimum = FloorTolerant(minimum / increment) * increment;
  } else if (!kind.Symmetric) {
    const double b = kind.LogBase;
    e.Maximum = Power(b, CeilTolerant(LogN(b, maximum)));
    e.Minimum = Power(b, FloorTolerant(LogN(b, minimum)));
    if (e.Maximum == e.Minimum) {
      e.Maximum *= b;
      e.Minimum /= b;
    }
  } else {
    if (maximum > 0) {
      e.Maximum = std::pow(10.0, CeilTolerant(std::log10(maximum)));
    } else if (maximum < 0) {
      e.Maximum = -std::pow(10.0, FloorTolerant(std::log10(-maximum)));
    }
    if (minimum > 0) {
      e.Minimum = std::pow(10.0, FloorTolerant(std::log10(minimum)));
    } else if (minimum < 0) {
      e.Minimum = -std::pow(10.0, CeilTolerant(std::log10(-minimum)));
    }
  }
  // A rounding that leaves the number range keeps the unrounded end.
  if (!std::isfinite(e.Minimum)) e.Minimum = minimum;
  if (!std::isfinite(e.Maximum)) e.Maximum = maximum;
  return e;
}

double AxisSymmetricScale(double scaleMinimum, double scaleMaximum, int32_t decades, bool minStepMode,
                          double& minStep)
{
  const double m = std::max(std::fabs(scaleMaximum), std::fabs(scaleMinimum));
  if (m == 0 || !std::isfinite(m)) return 1.0;
  double t;
  if (minStepMode) {
    if (minStep <= 0) minStep = m / 100;
    // A minimum step above the largest magnitude is held at it.
    t = std::pow(10.0, RoundD(std::log10(std::min(minStep, m))));
  } else if (scaleMaximum >= 0) {
    t = std::pow(10.0, RoundD(std::log10(m)) - decades);
  } else {
    t = std::pow(10.0, RoundD(std::log10(1e-5 * std::fabs(scaleMaximum))));
  }
  if (!(t > 0) || !std::isfinite(t)) return 1.0;
  return t / 9;
}

double AxisCalcIncrement(const TAxisIncrementInput& in, int32_t maxLabels)
{
  const double firstStep = DateTimeSteps[0];
  if (maxLabels < 1) return in.IsDateTime ? firstStep : MinAxisIncrement;
  const double range = in.ScaleRange;
  if (!std::isfinite(range)) return in.IsDateTime ? firstStep : MinAxisIncrement;
  if (in.IsDateTime) {
    double t = in.Increment > firstStep && std::isfinite(in.Increment) ? in.Increment : firstStep;
    if (range / t > 1e6) t = range / 1e6;
    for (;;) {
      // A ratio past the integer range needs a larger step at once.
      const double q = range / t;
      if (std::fabs(q) < 2147483647.0 && RoundD(q) <= maxLabels) break;
      if (t >= 365) {
        t *= 2;
      } else if (t >= DateTimeSteps[2]) {
        t = FindDateTimeStep(t);
      } else {
        t = NiceStep(t);
      }
      if (!std::isfinite(t)) break;
    }
    return std::max(t, firstStep);
  }
  const TAxisScaleKind& k = in.Kind;
  double t;
  if (in.Increment > 0) {
    t = in.Increment;
  } else if (range == 0) {
    t = 1.0;
  } else {
    t = std::fabs(range) / (maxLabels + 1.0);
    if (k.Logarithmic) t = RoundLogIncrement(t, k.LogBase, k.Symmetric, k.SymmetricScale);
    if (range >= 1 && t < 1 && in.FewPointsSeries && in.FewPointsSeries(maxLabels)) t = 1.0;
  }
  if (in.LabelsSeparation > 0) {
    // A plain logarithmic step that cannot grow (base below 1) would never end: at most a few
    // thousand rounds, far more than any finite range needs.
    for (int round = 0; round < 5000; ++round) {
      bool advance;
      if (t == 0) {
        t = 100000;
        advance = RoundD(range / t) > maxLabels;
      } else {
        const double q = range / t;
        if (std::fabs(q) >= 2147483647.0) {
          advance = true;
        } else {
          advance = RoundD(q) > maxLabels;
        }
      }
      if (!advance) break;
      if (!k.Logarithmic) {
        t = NiceStep(t);
      } else if (!k.Symmetric) {
        t *= k.LogBase;
      } else {
        t = SymmetricStep(k.SymmetricScale, t, 1);
      }
      if (t > range || t == 0 || !std::isfinite(t)) break;
    }
  }
  if (t == 0) return range;
  if (!std::isfinite(t)) return std::isfinite(range) && range > 0 ? range : MinAxisIncrement;
  return std::max(t, MinAxisIncrement);
}

int32_t AxisMaxLabels(double labelSize, int32_t labelsSeparation, int32_t posSize)
{
  if (labelSize < 1) return 1;
  double s = labelSize;
  if (labelsSeparation > 0) s += RoundD(labelsSeparation * 0.01 * s);
  const double n = RoundD(posSize / s);
  if (n > 2147483647.0) return 2147483647;
  if (n < -2147483647.0) return -2147483647;
  return static_cast<int32_t>(n);
}

double AxisAlternateIncrement(double increment, const TAxisScaleKind& kind)
{
  if (!kind.Logarithmic) return increment * 0.5;
  if (!kind.Symmetric) return increment / kind.LogBase;
  return SymmetricStep(kind.SymmetricScale, increment, -1);
}

// ---- Axis parts ----
TChartAxisPen::TChartAxisPen(TNotifyEvent onChange) : TChartPen(std::move(onChange)) { SetWidth(2); }

void TChartAxisPen::Assign(const TPersistent* source)
{
  if (auto p = dynamic_cast<const TChartAxisPen*>(source)) lineMode_ = p->lineMode_;
  TChartPen::Assign(source);
}

void TChartAxisPen::SetLineMode(TAxisLineMode v) { Change(lineMode_, v); }

TAxisGridPen::TAxisGridPen(TNotifyEvent onChange) : TDottedGrayPen(std::move(onChange)) {}

void TAxisGridPen::Assign(const TPersistent* source)
{
  if (auto p = dynamic_cast<const TAxisGridPen*>(source)) {
    zPosition_ = p->zPosition_;
    centered_ = p->centered_;
  }
  TDottedGrayPen::Assign(source);
}

void TAxisGridPen::SetZPosition(double v) { Change(zPosition_, v); }
void TAxisGridPen::SetCentered(bool v) { Change(centered_, v); }

TChartAxisTitle::TChartAxisTitle(TCustomNuvPanel* chart) : TNuvCustomShape(chart) {}

void TChartAxisTitle::Assign(const TPersistent* source)
{
  if (auto t = dynamic_cast<const TChartAxisTitle*>(source)) {
    angle_ = t->angle_;
    caption_ = t->caption_;
  }
  TNuvCustomShape::Assign(source);
}

void TChartAxisTitle::SetAngle(int32_t v)
{
  v %= 360;
  if (v < 0) v += 360;
  if (Store(angle_, v)) Repaint();
}

void TChartAxisTitle::SetCaption(const std::string& v)
{
  if (Store(caption_, v)) Repaint();
}

TAxisItem::TAxisItem(TCustomNuvPanel* chart) : TNuvCustomShape(chart) { SetTransparent(true); }

void TAxisItem::Assign(const TPersistent* source)
{
  if (auto t = dynamic_cast<const TAxisItem*>(source)) {
    text_ = t->text_;
    value_ = t->value_;
  }
  TNuvCustomShape::Assign(source);
}

void TAxisItem::SetText(const std::string& v)
{
  if (Store(text_, v)) Repaint();
}

void TAxisItem::SetValue(double v)
{
  if (Store(value_, v)) Repaint();
}

TAxisItems::TAxisItems(TChartAxis* axis) : axis_(axis), format_(std::make_unique<TNuvShape>(axis->GetPanel()))
{
  format_->SetTransparent(true);
}

TAxisItems::~TAxisItems() = default;

TAxisItem* TAxisItems::Add(double value) { return Add(value, std::string()); }

TAxisItem* TAxisItems::Add(double value, const std::string& text)
{
  auto item = std::make_unique<TAxisItem>(axis_->GetPanel());
  item->SetValue(value);
  item->SetText(text);
  item->SetFont(format_->GetFont());
  items_.push_back(std::move(item));
  axis_->Repaint();
  return items_.back().get();
}

void TAxisItems::CopyFrom(const TAxisItems* items)
{
  if (items == this || items == nullptr) return;
  for (const auto& src : items->items_) {
    auto item = std::make_unique<TAxisItem>(axis_->GetPanel());
    item->Assign(src.get());
    items_.push_back(std::move(item));
  }
  axis_->Repaint();
}

void TAxisItems::Clear()
{
  items_.clear();
  axis_->Repaint();
}

TAxisItem* TAxisItems::Item(int32_t index) const
{
  if (index < 0 || index >= Count()) throw ERangeError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<size_t>(index)].get();
}

// ---- TChartAxis ----
TChartAxis::TChartAxis(TCustomAxisPanel* chart) : parentChart_(chart)
{
  TNotifyEvent changed = [this](TObject* s) { Changed(s); };
  axisPen_ = std::make_unique<TChartAxisPen>(changed);
  ticks_ = std::make_unique<TDarkGrayPen>(changed);
  ticksInner_ = std::make_unique<TDarkGrayPen>(changed);
  minorTicks_ = std::make_unique<TDarkGrayPen>(changed);
  grid_ = std::make_unique<TAxisGridPen>(changed);
  // Grid lines stand on the back wall.
  grid_->DefaultZPosition = 100;
  grid_->SetZPosition(100);
  minorGrid_ = std::make_unique<TChartHiddenPen>(changed);
  title_ = std::make_unique<TChartAxisTitle>(GetPanel());
  items_ = std::make_unique<TAxisItems>(this);
  SetValueToPositionFunction();
}

TChartAxis::~TChartAxis() = default;

void TChartAxis::Repaint()
{
  if (auto p = GetPanel()) p->Invalidate();
}

bool TChartAxis::GetLabels() const { return items_->Format()->GetVisible(); }
void TChartAxis::SetLabels(bool v) { items_->Format()->SetVisible(v); }
TNuvFont* TChartAxis::GetLabelsFont() const { return items_->Format()->GetFont(); }
void TChartAxis::SetLabelsFont(const TNuvFont* v) { items_->Format()->SetFont(v); }

void TChartAxis::SetAutomatic(bool v)
{
  const bool loading = ChartLoading();
  if (automatic_ == v && (loading || (automaticMinimum_ == v && automaticMaximum_ == v))) return;
  automatic_ = v;
  if (!loading) {
    automaticMinimum_ = v;
    automaticMaximum_ = v;
  }
  Repaint();
}

void TChartAxis::SetAutomaticMaximum(bool v)
{
  if (!Store(automaticMaximum_, v)) return;
  if (!v) {
    automatic_ = false;
  } else if (automaticMinimum_) {
    automatic_ = true;
  }
  Repaint();
}

void TChartAxis::SetAutomaticMinimum(bool v)
{
  if (!Store(automaticMinimum_, v)) return;
  if (!v) {
    automatic_ = false;
  } else if (automaticMaximum_) {
    automatic_ = true;
  }
  Repaint();
}

void TChartAxis::SetMaximum(double v)
{
  if (!ChartLoading() && v < minimum_) throw AxisException(NuvMsg_AxisMaximum);
  SetProp(maximum_, v);
}

void TChartAxis::SetMinimum(double v)
{
  if (!ChartLoading() && v > maximum_) throw AxisException(NuvMsg_AxisMinimum);
  SetProp(minimum_, v);
}

void TChartAxis::SetIncrement(double v)
{
  if (!(v >= 0) || !std::isfinite(v)) throw AxisException(NuvMsg_AxisIncrement);
  SetProp(increment_, v);
}

void TChartAxis::SetLogarithmic(bool v)
{
  if (v && IsDateTime()) throw AxisException(NuvMsg_DateTimeLogarithmic);
  const bool changed = logarithmic_ != v;
  logarithmic_ = v;
  if (AutoLogFormat) {
    if (v) {
      labelsExponent_ = true;
      axisValuesFormat_ = "0\"0\"e-0";
      minorTickCount_ = 8;
    } else {
      labelsExponent_ = false;
      axisValuesFormat_ = "##0.###";
      minorTickCount_ = 1;
    }
  }
  if (v) AdjustMaxMin();
  SetValueToPositionFunction();
  if (changed) {
    Repaint();
    if (OnScaleChange) OnScaleChange(this);
  }
}

void TChartAxis::SetLogarithmicBase(double v)
{
  if (v == 1 || !(v > 0) || !std::isfinite(v)) throw AxisException(NuvMsg_AxisLogarithmicBase);
  SetProp(logarithmicBase_, v);
}

void TChartAxis::SetInverted(bool v) { SetProp(inverted_, v); }

void TChartAxis::SetHorizontal(bool v)
{
  SetProp(horizontal_, v);
  SetValueToPositionFunction();
}

void TChartAxis::SetOtherSide(bool v) { SetProp(otherSide_, v); }
void TChartAxis::SetStartPosition(double v) { SetProp(startPosition_, v); }
void TChartAxis::SetEndPosition(double v) { SetProp(endPosition_, v); }
void TChartAxis::SetPositionPercent(double v) { SetProp(positionPercent_, v); }
void TChartAxis::SetPositionUnits(TNuvUnits v) { SetProp(positionUnits_, v); }
void TChartAxis::SetMaximumOffset(int32_t v) { SetProp(maximumOffset_, v); }
void TChartAxis::SetMinimumOffset(int32_t v) { SetProp(minimumOffset_, v); }

void TChartAxis::SetZPosition(double v)
{
  if (v == 0) v = 0.01;
  SetProp(zPosition_, v);
}

void TChartAxis::SetExactDateTime(bool v) { SetProp(exactDateTime_, v); }
void TChartAxis::SetRoundFirstLabel(bool v) { SetProp(roundFirstLabel_, v); }
void TChartAxis::SetDateTimeFormat(const std::string& v) { SetProp(dateTimeFormat_, v); }
void TChartAxis::SetAxisValuesFormat(const std::string& v) { SetProp(axisValuesFormat_, v); }
void TChartAxis::SetVisible(bool v) { SetProp(visible_, v); }
void TChartAxis::SetLabelStyle(TAxisLabelStyle v) { SetProp(labelStyle_, v); }
void TChartAxis::SetLabelsAlign(TAxisLabelAlign v) { SetProp(labelsAlign_, v); }
void TChartAxis::SetLabelsAlternate(bool v) { SetProp(labelsAlternate_, v); }
void TChartAxis::SetLabelsAngle(int32_t v) { SetProp(labelsAngle_, v); }
void TChartAxis::SetLabelsExponent(bool v) { SetProp(labelsExponent_, v); }
void TChartAxis::SetLabelsMultiLine(bool v) { SetProp(labelsMultiLine_, v); }
void TChartAxis::SetLabelsOnAxis(bool v) { SetProp(labelsOnAxis_, v); }

void TChartAxis::SetLabelsSeparation(int32_t v)
{
  if (v < 0) throw AxisException(NuvMsg_LabelsSeparation);
  SetProp(labelsSeparation_, v);
}

void TChartAxis::SetLabelsSize(int32_t v) { SetProp(labelsSize_, v); }
void TChartAxis::SetTickLength(int32_t v) { SetProp(tickLength_, v); }
void TChartAxis::SetTickInnerLength(int32_t v) { SetProp(tickInnerLength_, v); }
void TChartAxis::SetMinorTickLength(int32_t v) { SetProp(minorTickLength_, v); }
void TChartAxis::SetMinorTickCount(int32_t v) { SetProp(minorTickCount_, v); }
void TChartAxis::SetTickOnLabelsOnly(bool v) { SetProp(tickOnLabelsOnly_, v); }
void TChartAxis::SetTitleSize(int32_t v) { SetProp(titleSize_, v); }

void TChartAxis::Assign(const TPersistent* source)
{
  auto a = dynamic_cast<const TChartAxis*>(source);
  if (a == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  items_->Clear();
  items_->CopyFrom(a->items_.get());
  labelsAlign_ = a->labelsAlign_;
  labelsAlternate_ = a->labelsAlternate_;
  labelsAngle_ = a->labelsAngle_;
  labelsExponent_ = a->labelsExponent_;
  labelsMultiLine_ = a->labelsMultiLine_;
  labelsSeparation_ = a->labelsSeparation_;
  labelsSize_ = a->labelsSize_;
  labelStyle_ = a->labelStyle_;
  labelsOnAxis_ = a->labelsOnAxis_;
  ticks_->Assign(a->ticks_.get());
  ticksInner_->Assign(a->ticksInner_.get());
  grid_->Assign(a->grid_.get());
  minorTicks_->Assign(a->minorTicks_.get());
  minorGrid_->Assign(a->minorGrid_.get());
  tickLength_ = a->tickLength_;
  minorTickLength_ = a->minorTickLength_;
  minorTickCount_ = a->minorTickCount_;
  tickInnerLength_ = a->tickInnerLength_;
  titleSize_ = a->titleSize_;
  title_->Assign(a->title_.get());
  axisValuesFormat_ = a->axisValuesFormat_;
  dateTimeFormat_ = a->dateTimeFormat_;
  increment_ = a->increment_;
  maximumOffset_ = a->maximumOffset_;
  minimumOffset_ = a->minimumOffset_;
  automatic_ = a->automatic_;
  automaticMaximum_ = a->automaticMaximum_;
  automaticMinimum_ = a->automaticMinimum_;
  grid_->SetCentered(a->grid_->GetCentered());
  logarithmic_ = a->logarithmic_;
  logarithmicBase_ = a->logarithmicBase_;
  inverted_ = a->inverted_;
  exactDateTime_ = a->exactDateTime_;
  roundFirstLabel_ = a->roundFirstLabel_;
  tickOnLabelsOnly_ = a->tickOnLabelsOnly_;
  IsDepthAxis = a->IsDepthAxis;
  startPosition_ = a->startPosition_;
  endPosition_ = a->endPosition_;
  positionPercent_ = a->positionPercent_;
  positionUnits_ = a->positionUnits_;
  visible_ = a->visible_;
  horizontal_ = a->horizontal_;
  otherSide_ = a->otherSide_;
  SetValueToPositionFunction();
  Repaint();
}

// ---- Range ----
void TChartAxis::SetMinMax(double aMin, double aMax)
{
  if (!std::isfinite(aMin) || !std::isfinite(aMax)) throw AxisException("Axis range must be finite");
  automatic_ = false;
  automaticMinimum_ = false;
  automaticMaximum_ = false;
  if (aMin > aMax) std::swap(aMin, aMax);
  // Both ends stored together: the order checks of the setters do not apply to a new pair.
  const bool changed = minimum_ != aMin || maximum_ != aMax;
  minimum_ = aMin;
  maximum_ = aMax;
  if (maximum_ - minimum_ < MinAxisRange) maximum_ = minimum_ + MinAxisRange;
  if (changed) Repaint();
  CopyRangeToLinkedAxes();
}

void TChartAxis::RestoreRange(bool automatic, bool automaticMinimum, bool automaticMaximum, double aMin,
                              double aMax)
{
  if (!std::isfinite(aMin) || !std::isfinite(aMax)) throw AxisException("Axis range must be finite");
  automatic_ = automatic;
  automaticMinimum_ = automaticMinimum;
  automaticMaximum_ = automaticMaximum;
  minimum_ = aMin;
  maximum_ = aMax;
  Repaint();
}

void TChartAxis::Scroll(double delta, bool checkLimits)
{
  if (!std::isfinite(delta)) return;
  if (checkLimits) {
    if (delta == 0) return;
    if (delta > 0 && !(SeriesMaximum() > maximum_)) return;
    if (delta < 0 && !(SeriesMinimum() < minimum_)) return;
  }
  automatic_ = false;
  automaticMinimum_ = false;
  automaticMaximum_ = false;
  maximum_ += delta;
  minimum_ += delta;
  Repaint();
}

TAxisScaleKind TChartAxis::ScaleKind() const
{
  TAxisScaleKind k;
  k.Logarithmic = logarithmic_;
  k.Symmetric = logarithmic_ && SymmetricLog;
  k.LogBase = logarithmicBase_;
  k.SymmetricScale = SymmetricScale;
  return k;
}

void TChartAxis::AdjustMaxMin()
{
  if (KeepRange) return;
  const double oldMin = ScaleMinimum;
  const double oldMax = ScaleMaximum;
  IsDateTimeAxis = IsDateTime();
  if (ChartRangesSaved()) {
    ScaleMaximum = maximum_;
    ScaleMinimum = minimum_;
  } else {
    const bool autoMax = automatic_ || automaticMaximum_;
    const bool autoMin = automatic_ || automaticMinimum_;
    if (autoMax) maximum_ = SeriesMaximum();
    if (autoMin) minimum_ = SeriesMinimum();
    if (UseForcedLimits) {
      if (autoMin) minimum_ = ForcedMinimum;
      if (autoMax) maximum_ = ForcedMaximum;
    }
    if (logarithmic_) SymmetricLog = std::min(minimum_, maximum_) <= 0;
    const TAxisEnds e = AxisRoundEnds(minimum_, maximum_, RoundMinMax, increment_, ScaleKind());
    ScaleMinimum = e.Minimum;
    ScaleMaximum = e.Maximum;
    minimum_ = ScaleMinimum;
    maximum_ = ScaleMaximum;
    if (logarithmic_ && SymmetricLog)
      SymmetricScale = AxisSymmetricScale(ScaleMinimum, ScaleMaximum, SymmetricDecades, SymmetricMinStepMode,
                                          SymmetricMinStep);
  }
  RangeChanged = ScaleMinimum != oldMin || ScaleMaximum != oldMax;
  CalcScaleFactors();
}

void TChartAxis::Recalculate()
{
  AdjustMaxMin();
  SetValueToPositionFunction();
  if (OnScaleChange) OnScaleChange(this);
}

void TChartAxis::CalcScaleFactors()
{
  ScaleRange = ScaleMaximum - ScaleMinimum;
  ScaleRangeZero = !(std::fabs(ScaleRange) >= 1e-100);
  PixelsPerUnit = ScaleRangeZero ? 0 : PosSize / ScaleRange;
  if (!std::isfinite(PixelsPerUnit)) PixelsPerUnit = 0;
  if (logarithmic_) {
    if (SymmetricLog) {
      LogMinimum = SymmetricLog10(SymmetricScale, ScaleMinimum);
      LogMaximum = SymmetricLog10(SymmetricScale, ScaleMaximum);
    } else {
      LogMinimum = ScaleMinimum <= 0 ? 0 : std::log(ScaleMinimum);
      LogMaximum = ScaleMaximum <= 0 ? 0 : std::log(ScaleMaximum);
    }
    LogRange = LogMaximum - LogMinimum;
    PixelsPerLogUnit = LogRange == 0 ? 0 : PosSize / LogRange;
    if (!std::isfinite(PixelsPerLogUnit)) PixelsPerLogUnit = 0;
  } else {
    LogMinimum = LogMaximum = LogRange = PixelsPerLogUnit = 0;
  }
  ChartDepth = ChartDepthPixels();
}

void TChartAxis::SetScale(double scaleMinimum, double scaleMaximum)
{
  ScaleMinimum = scaleMinimum;
  ScaleMaximum = scaleMaximum;
  CalcScaleFactors();
}

void TChartAxis::SetPositions(int32_t posStart, int32_t posEnd)
{
  PosStart = posStart;
  PosEnd = posEnd;
  PosSize = posEnd - posStart;
  PosCenter = static_cast<int32_t>((static_cast<int64_t>(posStart) + posEnd) / 2);
  CalcScaleFactors();
}

void TChartAxis::RangeFromRect(const TRect& r)
{
  double a, b;
  if (horizontal_) {
    a = PositionToValue(r.Left);
    b = PositionToValue(r.Right);
  } else {
    a = PositionToValue(r.Top);
    b = PositionToValue(r.Bottom);
  }
  if (a > b) std::swap(a, b);
  SetScale(a, b);
}

double TChartAxis::CalcIncrement(int32_t maxLabels) const
{
  TAxisIncrementInput in;
  in.IsDateTime = IsDateTimeAxis;
  in.Increment = increment_;
  in.ScaleRange = ScaleRange;
  in.Kind = ScaleKind();
  in.LabelsSeparation = labelsSeparation_;
  in.FewPointsSeries = [this](int32_t n) { return HasFewPointsSeries(n); };
  return AxisCalcIncrement(in, maxLabels);
}

double TChartAxis::CalcLabelsIncrement()
{
  double a = ScaleMinimum, b = ScaleMaximum;
  const double factor = std::fabs(EffectiveLabelFactor());
  if (!logarithmic_) {
    a = (a + LabelOffset) * factor;
    b = (b + LabelOffset) * factor;
  }
  int32_t s = std::max(LabelSizeAlongAxis(b), LabelSizeAlongAxis(a));
  if (increment_ == 0) {
    s = std::max(s, LabelSizeAlongAxis((a + b) / 2));
  } else {
    s = std::max(s, std::max(LabelSizeAlongAxis(b - increment_), LabelSizeAlongAxis(a + increment_)));
  }
  double result = CalcIncrement(AxisMaxLabels(s, labelsSeparation_, PosSize));
  if (labelsAlternate_) result = AxisAlternateIncrement(result, ScaleKind());
  return result;
}

// ---- Value <-> pixel ----
void TChartAxis::SetValueToPositionFunction()
{
  if (IsDepthAxis) {
    calcXPosValue_ = calcYPosValue_ = &TChartAxis::DepthPos;
  } else if (logarithmic_) {
    calcXPosValue_ = &TChartAxis::LogXPos;
    calcYPosValue_ = &TChartAxis::LogYPos;
  } else if (ChartFastCalc()) {
    calcXPosValue_ = &TChartAxis::FastLinearXPos;
    calcYPosValue_ = &TChartAxis::FastLinearYPos;
  } else {
    // Held within the pixel limit (never an overflow).
    calcXPosValue_ = &TChartAxis::LinearXPos;
    calcYPosValue_ = &TChartAxis::LinearYPos;
  }
  calcPosValue_ = horizontal_ ? calcXPosValue_ : calcYPosValue_;
}

int32_t TChartAxis::LinearXPos(double value) const
{
  if (ScaleRangeZero) return PosCenter;
  const double p = (value - ScaleMinimum) * PixelsPerUnit;
  return ClampPixel(inverted_ ? PosEnd - p : PosStart + p);
}

int32_t TChartAxis::LinearYPos(double value) const
{
  if (ScaleRangeZero) return PosCenter;
  const double p = (value - ScaleMinimum) * PixelsPerUnit;
  return ClampPixel(inverted_ ? PosStart + p : PosEnd - p);
}

int32_t TChartAxis::FastLinearXPos(double value) const
{
  if (ScaleRangeZero) return PosCenter;
  const int32_t p = RoundAway32((value - ScaleMinimum) * PixelsPerUnit);
  return inverted_ ? SubChecked(PosEnd, p) : AddChecked(PosStart, p);
}

int32_t TChartAxis::FastLinearYPos(double value) const
{
  if (ScaleRangeZero) return PosCenter;
  const int32_t p = RoundAway32((value - ScaleMinimum) * PixelsPerUnit);
  return inverted_ ? AddChecked(PosStart, p) : SubChecked(PosEnd, p);
}

namespace {
// Linear positions of many values with the scale taken once: the start plus the offset
// (fromStart), or the end less it; the same arithmetic as LinearXPos and LinearYPos.
void LinearPositions(const TChartAxis& axis, bool fromStart, const double* values, int32_t* out, size_t count)
{
  if (axis.ScaleRangeZero) {
    std::fill(out, out + count, axis.PosCenter);
    return;
  }
  const double base = fromStart ? axis.PosStart : axis.PosEnd, sign = fromStart ? 1.0 : -1.0;
  const double minimum = axis.ScaleMinimum, perUnit = axis.PixelsPerUnit;
  const double limit = PixelLimit;
  // ClampPixel written as selections only, four at a time.
  size_t i = 0;
#ifdef __AVX__
  const __m256d vBase = _mm256_set1_pd(base), vSign = _mm256_set1_pd(sign), vMinimum = _mm256_set1_pd(minimum);
  const __m256d vPerUnit = _mm256_set1_pd(perUnit), vLimit = _mm256_set1_pd(limit), vLow = _mm256_set1_pd(-limit);
  const __m256d half = _mm256_set1_pd(0.5), lowHalf = _mm256_set1_pd(-0.5), one = _mm256_set1_pd(1.0);
  for (; i + 4 <= count; i += 4) {
    __m256d p = _mm256_add_pd(vBase, _mm256_mul_pd(vSign, _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(values + i), vMinimum), vPerUnit)));
    p = _mm256_andnot_pd(_mm256_cmp_pd(p, p, _CMP_UNORD_Q), p);
    p = _mm256_max_pd(_mm256_min_pd(p, vLimit), vLow);
    const __m256d whole = _mm256_round_pd(p, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    const __m256d rest = _mm256_sub_pd(p, whole);
    const __m256d up = _mm256_and_pd(_mm256_cmp_pd(rest, half, _CMP_GE_OQ), one);
    const __m256d down = _mm256_and_pd(_mm256_cmp_pd(rest, lowHalf, _CMP_LE_OQ), one);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm256_cvttpd_epi32(_mm256_sub_pd(_mm256_add_pd(whole, up), down)));
  }
#endif
  for (; i < count; ++i) {
    double p = base + sign * ((values[i] - minimum) * perUnit);
    p = p != p ? 0.0 : p;
    p = p > limit ? limit : p;
    p = p < -limit ? -limit : p;
    const double whole = std::trunc(p), rest = p - whole;
    out[i] = static_cast<int32_t>(whole + (rest >= 0.5 ? 1.0 : 0.0) - (rest <= -0.5 ? 1.0 : 0.0));
  }
}
}  // namespace

void TChartAxis::CalcXPosValues(const double* values, int32_t* out, size_t count) const
{
  if (calcXPosValue_ == &TChartAxis::LinearXPos) {
    LinearPositions(*this, !inverted_, values, out, count);
    return;
  }
  for (size_t i = 0; i < count; ++i) out[i] = (this->*calcXPosValue_)(values[i]);
}

void TChartAxis::CalcYPosValues(const double* values, int32_t* out, size_t count) const
{
  if (calcYPosValue_ == &TChartAxis::LinearYPos) {
    LinearPositions(*this, inverted_, values, out, count);
    return;
  }
  for (size_t i = 0; i < count; ++i) out[i] = (this->*calcYPosValue_)(values[i]);
}

int32_t TChartAxis::DepthPos(double value) const
{
  if (ScaleRangeZero) return PosCenter;
  return FittingPixel(inverted_ ? (ScaleMaximum - value) * PixelsPerUnit : (value - ScaleMinimum) * PixelsPerUnit);
}

int32_t TChartAxis::LogXPos(double value) const
{
  if (LogRange == 0) return PosCenter;
  double l;
  if (SymmetricLog) {
    l = SymmetricLog10(SymmetricScale, value);
  } else {
    // Zero and below have no logarithm: they sit at the end showing the minimum.
    if (value <= 0 || std::isnan(value)) return inverted_ ? PosEnd : PosStart;
    l = std::log(value);
  }
  const double q = inverted_ ? (LogMaximum - l) * PixelsPerLogUnit : (l - LogMinimum) * PixelsPerLogUnit;
  return ClampPixel(PosStart + q);
}

int32_t TChartAxis::LogYPos(double value) const
{
  if (LogRange == 0) return PosCenter;
  double l;
  if (SymmetricLog) {
    if (std::isnan(value) || PixelsPerLogUnit >= 1e9) return 0;
    l = SymmetricLog10(SymmetricScale, value);
  } else {
    if (value <= 0 || std::isnan(value)) return inverted_ ? PosStart : PosEnd;
    l = std::log(value);
  }
  const double q = inverted_ ? (LogMaximum - l) * PixelsPerLogUnit : (l - LogMinimum) * PixelsPerLogUnit;
  return ClampPixel(PosEnd - q);
}

double TChartAxis::ValueToPositionFloat(double value) const
{
  if (ScaleRangeZero) return PosCenter;
  const double p = (value - ScaleMinimum) * PixelsPerUnit;
  if (IsDepthAxis) return inverted_ ? (ScaleMaximum - value) * PixelsPerUnit : p;
  if (horizontal_) return inverted_ ? PosEnd - p : PosStart + p;
  return inverted_ ? PosStart + p : PosEnd - p;
}

double TChartAxis::CalcPosValueFloat(double value) const
{
  if (!logarithmic_) return ValueToPositionFloat(value);
  if (LogRange == 0) return PosCenter;
  // As the integer positions: zero and below sit at the end that shows the minimum.
  if (!SymmetricLog && !(value > 0)) return CalcPosValue(value);
  const double l = SymmetricLog ? SymmetricLog10(SymmetricScale, value) : std::log(value);
  const double q = inverted_ ? (LogMaximum - l) * PixelsPerLogUnit : (l - LogMinimum) * PixelsPerLogUnit;
  return horizontal_ ? PosStart + q : PosEnd - q;
}

double TChartAxis::PositionToValue(int32_t pixel) const
{
  if (!logarithmic_) {
    if (PosSize < 1) return 0;
    double d = inverted_ ? static_cast<double>(PosEnd) - pixel : static_cast<double>(pixel) - PosStart;
    d = d * ScaleRange / PosSize;
    return horizontal_ ? ScaleMinimum + d : ScaleMaximum - d;
  }
  const bool startIsMax = horizontal_ == inverted_;
  if (pixel == PosStart) return startIsMax ? ScaleMaximum : ScaleMinimum;
  if (pixel == PosEnd) return startIsMax ? ScaleMinimum : ScaleMaximum;
  if (LogRange == 0 || PosSize == 0) return ScaleMinimum;
  const double d = (inverted_ ? static_cast<double>(PosEnd) - pixel : static_cast<double>(pixel) - PosStart) *
                   LogRange / PosSize;
  const double l = horizontal_ ? LogMinimum + d : LogMaximum - d;
  return SymmetricLog ? SymmetricPower10(SymmetricScale, l) : std::exp(l);
}

int32_t TChartAxis::ValueToPixelSize(double value) const
{
  if (!(value > 0)) return 0;
  if (!logarithmic_) return ScaleRange == 0 ? 0 : FittingPixel(value * PixelsPerUnit);
  if (LogRange == 0) return 0;
  const double l = SymmetricLog ? SymmetricLog10(SymmetricScale, value) : std::log(value);
  return FittingPixel(l * PixelsPerLogUnit);
}

// ---- Depth axis ----
TChartDepthAxis::TChartDepthAxis(TCustomAxisPanel* chart) : TChartAxis(chart)
{
  IsDepthAxis = true;
  SetVisible(false);
  SetValueToPositionFunction();
}

void TChartDepthAxis::SetInverted(bool v)
{
  TChartAxis::SetInverted(v);
  if (OtherDepthAxis != nullptr && OtherDepthAxis->GetInverted() != v) OtherDepthAxis->TChartAxis::SetInverted(v);
}
