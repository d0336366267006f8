// Axis labels, ticks, minor ticks, grid, title and the layout size of an axis. The label values
// come from the plain functions at the top; the drawing only places them.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "chart/model/NvEngineAxis.h"

namespace {

constexpr int32_t kMaxLabelRuns = 20000;
// Minor marks between two ticks beyond this count would only repaint the same pixels.
constexpr int32_t kMaxMinorTicks = 1000;

// A size in pixels held within the pixel limit (settings may hold any integer).
int32_t PixelSize(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -PixelLimit, PixelLimit)); }

double RoundD(double x)
{
  if (!std::isfinite(x) || std::fabs(x) >= 4503599627370496.0) return x;
  return static_cast<double>(RoundHalfAway(x));
}

int32_t ToPixel(double p)
{
  if (std::isnan(p)) return 0;
  if (p > PixelLimit) return PixelLimit;
  if (p < -PixelLimit) return -PixelLimit;
  return static_cast<int32_t>(RoundHalfAway(p));
}

// Splits a label at the line separator (character 13).
std::vector<std::string> LabelLines(const std::string& text)
{
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r') {
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  return lines;
}

// One step down of a value label (calendar steps from 15 days on).
bool StepDown(const TAxisLabelRun& run, double& t)
{
  if (run.IsDateTime && run.ExactDateTime && run.StepIndex >= 20 && run.StepIndex < NumDateTimeSteps) {
    try {
      IncrementDateTime(true, false, t, run.Step, run.StepIndex);
    } catch (const EConvertError&) {
      return false;
    }
    return true;
  }
  t -= run.Step;
  return true;
}

}  // namespace

// ---- Label engine ----
bool AxisLabelBoxesOverlap(const std::vector<TRect>& boxes)
{
  for (size_t i = 1; i < boxes.size(); ++i) {
    const TRect& a = boxes[i - 1];
    const TRect& b = boxes[i];
    if (a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom) return true;
  }
  return false;
}

std::vector<double> AxisValueLabelValues(const TAxisLabelRun& run)
{
  std::vector<double> out;
  if (!(run.Step > 0) || !(run.Increment > 0) || !std::isfinite(run.A) || !std::isfinite(run.B)) return out;
  if (!(std::fabs(run.ScaleRange / run.Increment) < 10000)) return out;
  double t;
  if (run.IsDateTime && run.ExactDateTime && run.StepIndex >= 16 && run.StepIndex < NumDateTimeSteps) {
    try {
      t = RoundDateToStep(run.StepIndex, run.B);
    } catch (const EConvertError&) {
      t = run.B;
    }
  } else if (FloatToStrGeneral(run.A) == FloatToStrGeneral(run.B) || !run.RoundFirstLabel) {
    t = run.B;
  } else {
    t = std::trunc(run.B / run.Step) * run.Step;
  }
  for (int32_t guard = 0; t > run.B && guard < kMaxLabelRuns; ++guard) {
    const double before = t;
    if (!StepDown(run, t) || !(t < before)) return out;
  }
  if (t > run.B) return out;
  const bool many = run.ScaleRange != 0 && std::fabs(run.B - run.A) >= 1e-10 &&
                    FloatToStrGeneral(t) != FloatToStrGeneral(t - run.Step);
  if (!many) {
    out.push_back(t);
    return out;
  }
  const double lower = run.ScaleMinimum < 0 ? run.A : (run.A - 1e-12) / (1 + 1e-12);
  while (lower <= t && static_cast<int32_t>(out.size()) < kMaxLabelRuns) {
    out.push_back(t);
    const double before = t;
    if (!StepDown(run, t) || !(t < before)) break;
  }
  return out;
}

std::vector<double> AxisLogLabelValues(double scaleMinimum, double scaleMaximum, const TAxisScaleKind& kind,
                                       bool minorGrid, std::vector<double>* extraTicks)
{
  std::vector<double> out;
  if (scaleMinimum == scaleMaximum || !std::isfinite(scaleMinimum) || !std::isfinite(scaleMaximum)) return out;
  if (!kind.Symmetric && !(kind.LogBase > 1)) return out;
  double smin = scaleMinimum;
  if (!kind.Symmetric && smin <= 0) smin = smin == 0 ? 0.1 : RoundLogIncrement(1e-10, kind.LogBase, false, 1);
  auto up = [&](double v) {
    return kind.Symmetric ? SymmetricStep(kind.SymmetricScale, v, 1) : v * kind.LogBase;
  };
  double f = RoundLogIncrement(smin, kind.LogBase, kind.Symmetric, kind.SymmetricScale);
  if (minorGrid && extraTicks != nullptr && f >= smin)
    extraTicks->push_back(kind.Symmetric ? SymmetricStep(kind.SymmetricScale, smin, -1) : smin / kind.LogBase);
  double v = f;
  for (int32_t guard = 0; v <= scaleMaximum && guard < 4000; ++guard) {
    if (v >= smin) out.push_back(v);
    const double next = up(v);
    // A symmetric step from zero or a negative value may not grow by itself: take the next decade.
    if (!(next > v)) break;
    v = next;
  }
  if (minorGrid && extraTicks != nullptr && v > scaleMaximum && std::isfinite(v)) extraTicks->push_back(v);
  return out;
}

// ---- Label texts ----
TAxisLabelStyle TChartAxis::CalcLabelStyle() const
{
  return labelStyle_ == talAuto ? GetAutoLabelStyle() : labelStyle_;
}

void TChartAxis::FormatValueLabel(double value, std::string& text) const
{
  if (IsDateTimeAxis) {
    if (value < 0) {
      text.clear();
    } else {
      text = FormatDateTime(dateTimeFormat_.empty() ? DateTimeDefaultFormat(ScaleRange) : dateTimeFormat_, value);
    }
  } else {
    text = FormatFloat(axisValuesFormat_, value);
  }
  CallGetAxisLabel(nullptr, -1, text);
  if (labelsMultiLine_) std::replace(text.begin(), text.end(), ' ', '\r');
}

std::string TChartAxis::LabelValueText(double value) const
{
  std::string s;
  FormatValueLabel(value, s);
  return s;
}

TAxisLabelRun TChartAxis::LabelRun(double increment, int32_t stepIndex) const
{
  TAxisLabelRun run;
  const double factor = std::fabs(EffectiveLabelFactor());
  run.A = ScaleMinimum;
  run.B = ScaleMaximum;
  if (!logarithmic_) {
    run.A = (run.A + LabelOffset) * factor;
    run.B = (run.B + LabelOffset) * factor;
  }
  run.Step = factor * increment;
  run.ScaleMinimum = ScaleMinimum;
  run.ScaleRange = ScaleRange;
  run.Increment = increment;
  run.RoundFirstLabel = roundFirstLabel_;
  run.IsDateTime = IsDateTimeAxis;
  run.ExactDateTime = exactDateTime_;
  run.StepIndex = stepIndex;
  return run;
}

double TChartAxis::LabelToAxisValue(double t) const
{
  if (logarithmic_) return t;
  return t / std::fabs(EffectiveLabelFactor()) - LabelOffset;
}

std::vector<TAxisLabelItem> TChartAxis::CalcValueLabels(double increment) const
{
  std::vector<TAxisLabelItem> out;
  for (double t : AxisValueLabelValues(LabelRun(increment, DateTimeStepFor(increment)))) {
    TAxisLabelItem item;
    item.Value = LabelToAxisValue(t);
    item.Position = CalcPosValue(item.Value);
    item.Text = LabelValueText(EffectiveLabelFactor() < 0 ? -t : t);
    out.push_back(std::move(item));
  }
  return out;
}

std::vector<TAxisLabelItem> TChartAxis::CalcLogLabels() const
{
  std::vector<TAxisLabelItem> out;
  for (double v : AxisLogLabelValues(ScaleMinimum, ScaleMaximum, ScaleKind(), false)) {
    TAxisLabelItem item;
    item.Value = v;
    item.Position = CalcPosValue(v);
    item.Text = LabelValueText(v);
    out.push_back(std::move(item));
  }
  return out;
}

int32_t TChartAxis::DateTimeStepFor(double increment) const
{
  if (!IsDateTimeAxis || !exactDateTime_ || increment_ == 0) return NumDateTimeSteps;
  int32_t index = DateTimeStepIndex(increment_);
  if (index >= NumDateTimeSteps) return index;
  while (index < NumDateTimeSteps - 1 && DateTimeSteps[index] < increment) ++index;
  return index;
}

// ---- Measuring ----
int32_t TChartAxis::TextSizeAcross(const std::string& text, TNuvFont* font, int32_t angle, int32_t fixedSize)
{
  if (fixedSize != 0) return PixelSize(fixedSize);
  TCanvas3D* c = Canvas();
  if (c == nullptr) return 0;
  c->AssignFont(font);
  const bool alongAxis =
      horizontal_ ? (angle == 0 || angle == 180 || angle == 360) : (angle == 90 || angle == 270);
  if (alongAxis) return c->FontHeight();
  int32_t w = 0;
  for (const auto& line : LabelLines(text)) w = std::max(w, c->TextWidth(line));
  return w;
}

int32_t TChartAxis::LabelSizeAlongAxis(double value)
{
  TCanvas3D* c = Canvas();
  if (c == nullptr) return 0;
  const std::string text = LabelValueText(value);
  c->AssignFont(GetLabelsFont());
  const std::vector<std::string> lines = LabelLines(text);
  const bool heights = horizontal_ ? (labelsAngle_ == 90 || labelsAngle_ == 270)
                                   : (labelsAngle_ == 0 || labelsAngle_ == 180 || labelsAngle_ == 360);
  if (heights) return c->FontHeight() * static_cast<int32_t>(lines.size());
  int32_t w = 0;
  for (const auto& line : lines) w = std::max(w, c->TextWidth(line));
  return w;
}

int32_t TChartAxis::MaxLabelsWidth()
{
  TCanvas3D* c = Canvas();
  if (c == nullptr) return 0;
  c->AssignFont(GetLabelsFont());
  auto width = [&](const std::string& text) {
    int32_t w = 0;
    for (const auto& line : LabelLines(text)) w = std::max(w, c->TextWidth(line));
    return w;
  };
  const double factor = EffectiveLabelFactor();
  auto labelOf = [&](double axisValue) {
    const double t = logarithmic_ ? axisValue : (axisValue + LabelOffset) * factor;
    return LabelValueText(t);
  };
  int32_t w = std::max(width(labelOf(ScaleMinimum)), width(labelOf(ScaleMaximum)));
  if (PosSize > 0 && !ScaleRangeZero) {
    const double increment = CalcLabelsIncrement();
    const auto labels = logarithmic_ && increment_ == 0 ? CalcLogLabels() : CalcValueLabels(increment);
    for (const auto& l : labels) w = std::max(w, width(l.Text));
  }
  return w;
}

// ---- Positions ----
int32_t TChartAxis::OutwardSign() const
{
  // A depth axis runs back from the chart's right edge (the depth-top axis from its left edge).
  if (IsDepthAxis) return otherSide_ ? -1 : 1;
  if (horizontal_) return otherSide_ ? -1 : 1;
  return otherSide_ ? 1 : -1;
}

int32_t TChartAxis::PositionOffset(const TRect& r) const
{
  if (positionPercent_ == 0) return 0;
  if (positionUnits_ == muPixels) return ToPixel(positionPercent_);
  const double size = horizontal_ ? r.Height() : r.Width();
  return ToPixel(0.01 * positionPercent_ * size);
}

int32_t TChartAxis::CalcPosAxisFromRect(const TRect& r) const
{
  int32_t side;
  if (IsDepthAxis) {
    side = otherSide_ ? r.Left : r.Right;
  } else if (horizontal_) {
    side = otherSide_ ? r.Top : r.Bottom;
  } else {
    side = otherSide_ ? r.Right : r.Left;
  }
  return side - OutwardSign() * PositionOffset(r);
}

void TChartAxis::CalcPositions()
{
  TCustomNuvPanel* p = GetPanel();
  if (p == nullptr) return;
  int32_t base, length;
  if (IsDepthAxis) {
    base = 0;
    length = p->Width3D;
  } else if (horizontal_) {
    base = p->ChartRect.Left;
    length = p->ChartRect.Width();
  } else {
    base = p->ChartRect.Top;
    length = p->ChartRect.Height();
  }
  PosStart = ToPixel(base + RoundD(length * 0.01 * startPosition_));
  PosEnd = ToPixel(base + RoundD(length * 0.01 * endPosition_));
  PosSize = PosEnd - PosStart;
  PosCenter = static_cast<int32_t>((static_cast<int64_t>(PosStart) + PosEnd) / 2);
  CalcScaleFactors();
}

void TChartAxis::ResetPositions()
{
  PosAxis = PosLabels = PosTitle = 0;
  labelsSpace_ = 0;
}

int32_t TChartAxis::LineSize() const
{
  const int64_t size = axisPen_->GetVisible() ? static_cast<int64_t>(axisPen_->GetWidth()) + 1 : 0;
  int64_t tick = ticks_->GetVisible() ? tickLength_ : 0;
  if (minorTicks_->GetVisible() && minorTickLength_ > tick) tick = minorTickLength_;
  return PixelSize(size + tick);
}

bool TChartAxis::TitleShown() const { return title_->GetVisible() && !title_->GetCaption().empty(); }

bool TChartAxis::LabelsShown() const { return GetLabels() && CalcLabelStyle() != talNone; }

int32_t TChartAxis::LabelsSpace()
{
  int32_t size;
  if (labelsSize_ != 0) {
    size = labelsSize_;
  } else {
    TCanvas3D* c = Canvas();
    if (c == nullptr) return 0;
    c->AssignFont(GetLabelsFont());
    const bool alongAxis = horizontal_ ? (labelsAngle_ == 0 || labelsAngle_ == 180 || labelsAngle_ == 360)
                                       : (labelsAngle_ == 90 || labelsAngle_ == 270);
    if (alongAxis) {
      size = c->FontHeight();
    } else {
      size = LabelsTextWidth();
    }
  }
  if (labelsAlternate_) return PixelSize(2 * static_cast<int64_t>(size));
  return PixelSize(size);
}

int32_t TChartAxis::LabelsTextWidth()
{
  TCanvas3D* c = Canvas();
  if (c == nullptr) return 0;
  if (items_->Count() > 0) {
    int32_t w = 0;
    for (int32_t i = 0; i < items_->Count(); ++i) {
      TAxisItem* item = items_->Item(i);
      c->AssignFont(item->GetFont());
      const std::string text = item->GetText().empty() ? LabelValueText(item->GetValue()) : item->GetText();
      for (const auto& line : LabelLines(text)) w = std::max(w, c->TextWidth(line));
    }
    return w;
  }
  switch (CalcLabelStyle()) {
  case talValue: return MaxLabelsWidth();
  case talMark: return SeriesMaxMarkWidth();
  case talText: return SeriesMaxTextWidth();
  default: return 0;
  }
}

void TChartAxis::CalcRect(TRect& r, bool shrink)
{
  const int32_t out = OutwardSign();
  const int32_t lineSize = LineSize();
  const bool labelsShown = LabelsShown();
  labelsSpace_ = labelsShown ? LabelsSpace() : 0;
  if (labelsShown) ChartLabelsSize(labelsSpace_);
  if (!shrink) {
    PosAxis = CalcPosAxisFromRect(r);
    PosLabels = PosAxis + out * lineSize;
    PosTitle = PosLabels + out * labelsSpace_;
    return;
  }
  int32_t* side;
  if (IsDepthAxis) {
    side = otherSide_ ? &r.Left : &r.Right;
  } else if (horizontal_) {
    side = otherSide_ ? &r.Top : &r.Bottom;
  } else {
    side = otherSide_ ? &r.Right : &r.Left;
  }
  if (TitleShown()) {
    PosTitle = *side;
    *side -= out * TextSizeAcross(title_->GetCaption(), title_->GetFont(), title_->GetAngle(), titleSize_);
  }
  if (labelsSpace_ > 0) {
    PosLabels = *side;
    *side -= out * labelsSpace_;
  }
  const int32_t wall = PixelSize(static_cast<int64_t>(WallSize()) + lineSize);
  if (wall > 0) *side -= out * wall;
  const int32_t offset = PositionOffset(r);
  PosTitle -= out * offset;
  PosLabels -= out * offset;
}

bool TChartAxis::HitTest(int32_t x, int32_t y) const
{
  if (!InternalVisible || !AxisInUse() || IsDepthAxis) return false;
  // In 3-D the band lies at the front, or at the chart's depth for an axis on the other side.
  TCustomNuvPanel* p = GetPanel();
  if (p != nullptr && p->GetView3D() && p->Canvas() != nullptr)
    p->Canvas()->Calculate2DPosition(x, y, otherSide_ ? p->Width3D : 0);
  const int32_t along = horizontal_ ? x : y;
  const int32_t across = horizontal_ ? y : x;
  if (along < std::min(PosStart, PosEnd) || along > std::max(PosStart, PosEnd)) return false;
  const int32_t out = OutwardSign();
  // From the labels to the line, widened by 3 pixels on the line's side.
  const int32_t lineEdge = PosAxis - out * 3;
  const int32_t lo = std::min(PosLabels, lineEdge), hi = std::max(PosLabels, lineEdge);
  return across >= lo && across <= hi;
}

// ---- Drawing ----
int32_t TChartAxis::DepthAxisY() const
{
  TCustomNuvPanel* p = GetPanel();
  return otherSide_ ? p->ChartRect.Top : p->ChartRect.Bottom;
}

double TChartAxis::SpreadDepthLabels(double increment, int32_t stepIndex)
{
  TCanvas3D* c = Canvas();
  if (c == nullptr || GetPanel() == nullptr) return increment;
  const int32_t fh = c->FontHeight();
  const int32_t out = OutwardSign();
  const double factor = EffectiveLabelFactor();
  // Screen position of a chart point as this canvas draws it.
  auto screen = [&](int32_t x, int32_t y, int32_t z) {
    if (c->SupportsFullRotation()) {
      int32_t sx = x, sy = -y;
      c->Calculate2DPosition(sx, sy, -z);
      return TPoint{sx, sy};
    }
    return c->Calculate3DPosition(x, y, z);
  };
  for (int32_t guard = 0; guard < 64 && increment <= std::fabs(ScaleRange); ++guard) {
    std::vector<TRect> boxes;
    for (double t : AxisValueLabelValues(LabelRun(increment, stepIndex))) {
      const int32_t p = CalcPosValue(LabelToAxisValue(t));
      if (!(labelsOnAxis_ || (p > PosStart && p < PosEnd))) continue;
      int32_t w = 0;
      for (const auto& line : LabelLines(LabelValueText(factor < 0 ? -t : t))) w = std::max(w, c->TextWidth(line));
      const TPoint s = screen(PosLabels + out * labelsSpace_, DepthAxisY(), p);
      boxes.push_back(otherSide_ ? TRect{s.x, s.y, s.x + w, s.y + fh} : TRect{s.x - w, s.y, s.x, s.y + fh});
    }
    if (!AxisLabelBoxesOverlap(boxes)) break;
    increment = NiceStep(increment);
  }
  return increment;
}

TCanvas3D* TChartAxis::Canvas() const
{
  TCustomNuvPanel* p = GetPanel();
  return p == nullptr ? nullptr : p->Canvas();
}

int32_t TChartAxis::DepthOf(double percent) const { return ToPixel(0.01 * percent * ChartDepth); }

uint32_t TChartAxis::LabelAlignment(int32_t angle) const
{
  const bool left = !horizontal_ && !otherSide_;
  const bool right = !horizontal_ && otherSide_;
  const bool bottom = horizontal_ && !otherSide_;
  const uint32_t centreBottom = TA_CENTER | TA_BOTTOM;
  angle %= 360;
  switch (angle) {
  case 0: return left ? TA_RIGHT : right ? TA_LEFT : bottom ? TA_CENTER : centreBottom;
  case 180: return left ? TA_LEFT : right ? TA_RIGHT : bottom ? centreBottom : TA_CENTER;
  case 90: return left ? centreBottom : right ? TA_CENTER : bottom ? TA_RIGHT : TA_LEFT;
  case 270: return left ? TA_CENTER : right ? centreBottom : bottom ? TA_LEFT : TA_RIGHT;
  default: return TA_LEFT;
  }
}

void TChartAxis::DrawTextAt(int32_t x, int32_t y, int32_t z, const std::string& text, int32_t angle,
                            uint32_t align, bool exponent)
{
  TCanvas3D* c = Canvas();
  TCustomNuvPanel* p = GetPanel();
  const bool is3D = p != nullptr && p->GetView3D();
  c->SetBackMode(cbmTransparent);
  angle %= 360;
  if (angle != 0) {
    c->SetTextAlign(align);
    if (is3D) {
      c->RotateLabel3D(x, y, z, text, angle);
    } else {
      c->RotateLabel(x, y, text, angle);
    }
    return;
  }
  const std::vector<std::string> lines = LabelLines(text);
  const int32_t fh = c->FontHeight();
  const int32_t n = static_cast<int32_t>(lines.size());
  // Vertical axes centre the block of lines on the anchor; top labels grow upward.
  int32_t y0 = y;
  if (!horizontal_) {
    y0 = y - (fh * n) / 2;
  } else if ((align & TA_BOTTOM) != 0) {
    y0 = y - fh * (n - 1);
  }
  const uint32_t hAlign = align & TA_CENTER;
  for (int32_t i = 0; i < n; ++i) {
    std::string line = lines[static_cast<size_t>(i)];
    double number = 0;
    if (AxisTextToFloat(line, number) && number == 0) line = "0";
    const int32_t ly = y0 + i * fh;
    std::string upper = line;
    for (char& ch : upper)
      if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    const size_t e = upper.find('E');
    if (exponent && e != std::string::npos) {
      const std::string base = line.substr(0, e), power = line.substr(e + 1);
      TFont* font = c->Font();
      const int32_t size = font->GetSize();
      const int32_t w1 = c->TextWidth(base);
      font->SetSize(size - size / 4);
      const int32_t w2 = c->TextWidth(power);
      font->SetSize(size);
      const int32_t total = w1 + 1 + w2;
      int32_t x0 = x;
      if (hAlign == TA_RIGHT) {
        x0 = x - total;
      } else if (hAlign == TA_CENTER) {
        x0 = x - total / 2;
      }
      const uint32_t vAlign = align & TA_BOTTOM;
      c->SetTextAlign(TA_LEFT | vAlign);
      OutText(x0, ly, z, base, is3D);
      font->SetSize(size - size / 4);
      OutText(x0 + w1 + 1, ly - ((fh - 1) / 2 - 2), z, power, is3D);
      font->SetSize(size);
    } else {
      c->SetTextAlign(align);
      OutText(x, ly, z, line, is3D);
    }
  }
}

void TChartAxis::OutText(int32_t x, int32_t y, int32_t z, const std::string& text, bool is3D)
{
  TCanvas3D* c = Canvas();
  if (is3D) {
    c->TextOut3D(x, y, z, text);
  } else {
    c->TextOut(x, y, text);
  }
}

TRect TChartAxis::LabelTextBox(int32_t x, int32_t y, const std::string& text, int32_t angle, uint32_t align)
{
  TCanvas3D* c = Canvas();
  const int32_t fh = c->FontHeight();
  // Rotated labels are one line; flat ones are centred on a vertical axis' anchor.
  const std::vector<std::string> lines = angle % 360 != 0 ? std::vector<std::string>{text} : LabelLines(text);
  const int32_t n = static_cast<int32_t>(lines.size());
  int32_t w = 0;
  for (const auto& line : lines) w = std::max(w, c->TextWidth(line));
  int32_t top = y;
  if (angle % 360 == 0 && !horizontal_) {
    top = y - (fh * n) / 2;
  } else if ((align & TA_BOTTOM) != 0) {
    top = y - fh * n;
  }
  int32_t left = x;
  if ((align & TA_CENTER) == TA_CENTER) {
    left = x - w / 2;
  } else if ((align & TA_CENTER) == TA_RIGHT) {
    left = x - w;
  }
  return TRect{left - 2, top, left + w + 2, top + fh * n + 1};
}

void TChartAxis::DrawAxisLabel(int32_t position, const std::string& text, TNuvFont* font, int32_t index,
                               TNuvCustomShape* shape)
{
  if (tickOnLabelsOnly_) AddTick(position, std::nan(""));
  TCanvas3D* c = Canvas();
  if (c == nullptr) return;
  c->AssignFont(font);
  const int32_t out = OutwardSign();
  int32_t across = PosLabels;
  if (labelsAlternate_ && index % 2 == 1) {
    if (horizontal_) {
      across += out * c->FontHeight();
    } else {
      int32_t w = 0;
      for (const auto& line : LabelLines(text)) w = std::max(w, c->TextWidth(line));
      across += out * w;
    }
  }
  uint32_t align = LabelAlignment(labelsAngle_);
  const int32_t angle = labelsAngle_ % 360;
  if (horizontal_) {
    if (angle == 90) position -= c->FontHeight() / 2;
    if (angle == 270) position += c->FontHeight() / 2;
  }
  if (labelsAlign_ == alOpposite && angle == 0 && !horizontal_) {
    align = otherSide_ ? TA_RIGHT : TA_LEFT;
    across += out * labelsSpace_;
  }
  int32_t x = horizontal_ ? position : across;
  int32_t y = horizontal_ ? across : position;
  int32_t z = DepthOf(zPosition_);
  std::string s = text;
  if (IsDepthAxis) {
    // Beside the chart at the label's depth, lined up at the outer edge of the labels' band.
    x = PosLabels + out * labelsSpace_;
    y = DepthAxisY();
    z = position;
    align = otherSide_ ? TA_LEFT : TA_RIGHT;
  }
  bool draw = true;
  if (OnDrawLabel) OnDrawLabel(this, x, y, z, s, draw);
  if (!draw) return;
  if (shape != nullptr && !shape->GetTransparent()) {
    // The shape turns with the text about the text's anchor: its box moves by what turning
    // about the anchor adds to turning about the box's centre.
    TRect box = LabelTextBox(x, y, s, angle, align);
    if (angle != 0) {
      const double a = angle * std::numbers::pi / 180.0;
      const double dx = (static_cast<double>(box.Left) + box.Right) / 2 - x;
      const double dy = (static_cast<double>(box.Top) + box.Bottom) / 2 - y;
      OffsetRect(box, Round32(dx * std::cos(a) + dy * std::sin(a) - dx), Round32(-dx * std::sin(a) + dy * std::cos(a) - dy));
    }
    shape->DrawRectRotated(box, angle, z);
    c->AssignFont(font);
  }
  DrawTextAt(x, y, z, s, angle, align, labelsExponent_);
}

void TChartAxis::DrawTitle()
{
  if (!TitleShown()) return;
  TCanvas3D* c = Canvas();
  if (c == nullptr) return;
  c->AssignFont(title_->GetFont());
  const int32_t angle = title_->GetAngle();
  const uint32_t align = LabelAlignment(angle);
  int32_t x, y;
  if (horizontal_) {
    x = PosCenter;
    y = PosTitle;
  } else {
    x = PosTitle;
    y = PosCenter;
  }
  int32_t z = DepthOf(zPosition_);
  uint32_t titleAlign = align;
  if (IsDepthAxis) {
    // Halfway along the depth, outward of the labels.
    x = PosTitle;
    y = DepthAxisY();
    z = PosCenter;
    if (angle == 0) titleAlign = otherSide_ ? TA_RIGHT : TA_LEFT;
  }
  DrawTextAt(x, y, z, title_->GetCaption(), angle, titleAlign, false);
}

void TChartAxis::DrawValueLabels(double increment, int32_t stepIndex)
{
  const double factor = EffectiveLabelFactor();
  for (double t : AxisValueLabelValues(LabelRun(increment, stepIndex))) {
    const double value = LabelToAxisValue(t);
    const int32_t p = CalcPosValue(value);
    if (!(labelsOnAxis_ || (p > PosStart && p < PosEnd))) continue;
    if (!tickOnLabelsOnly_) AddTick(p, value);
    const std::string text = LabelValueText(factor < 0 ? -t : t);
    if (GetLabels()) {
      DrawAxisLabel(p, text, GetLabelsFont(), labelIndex_++);
      if (tickOnLabelsOnly_ && !tickValues_.empty()) tickValues_.back() = value;
    }
  }
}

void TChartAxis::DrawLogLabels()
{
  std::vector<double> extra;
  const std::vector<double> values =
      AxisLogLabelValues(ScaleMinimum, ScaleMaximum, ScaleKind(), minorGrid_->GetVisible(), &extra);
  if (values.empty()) {
    // No power of the base inside the range: the plain value labels of the label increment.
    if (ScaleMinimum != ScaleMaximum) DrawValueLabels(CalcLabelsIncrement(), NumDateTimeSteps);
    return;
  }
  if (!extra.empty() && extra.front() < values.front()) AddTick(CalcPosValue(extra.front()), extra.front());
  for (double v : values) {
    const int32_t p = CalcPosValue(v);
    if (!(labelsOnAxis_ || (p > PosStart && p < PosEnd))) continue;
    if (!tickOnLabelsOnly_) AddTick(p, v);
    if (GetLabels()) {
      DrawAxisLabel(p, LabelValueText(v), GetLabelsFont(), labelIndex_++);
      if (tickOnLabelsOnly_ && !tickValues_.empty()) tickValues_.back() = v;
    }
  }
  if (!extra.empty() && extra.back() > values.back()) AddTick(CalcPosValue(extra.back()), extra.back());
}

void TChartAxis::DrawCustomItems()
{
  for (int32_t i = 0; i < items_->Count(); ++i) {
    TAxisItem* item = items_->Item(i);
    const double v = item->GetValue();
    if (v < minimum_ || v > maximum_) continue;
    const int32_t p = CalcPosValue(v);
    if (!tickOnLabelsOnly_) AddTick(p, v);
    if (!item->GetVisible()) continue;
    const std::string text = item->GetText().empty() ? LabelValueText(v) : item->GetText();
    DrawAxisLabel(p, text, item->GetFont(), labelIndex_++, item);
    if (tickOnLabelsOnly_ && !tickValues_.empty()) tickValues_.back() = v;
  }
}

void TChartAxis::Draw(bool calcPosAxis)
{
  TCustomNuvPanel* p = GetPanel();
  TCanvas3D* c = Canvas();
  if (p == nullptr || c == nullptr) return;
  if (calcPosAxis) {
    TRect r = p->ChartRect;
    CalcRect(r, false);
  }
  IsDateTimeAxis = IsDateTime();
  DrawTitle();
  Tick.clear();
  tickValues_.clear();
  labelIndex_ = 0;
  if (items_->Count() > 0) {
    DrawCustomItems();
  } else {
    const TAxisLabelStyle style = CalcLabelStyle();
    if (style != talNone) {
      c->AssignFont(GetLabelsFont());
      double increment = CalcLabelsIncrement();
      const int32_t stepIndex = DateTimeStepFor(increment);
      if (IsDepthAxis && style == talValue && !logarithmic_ && !IsDateTimeAxis && increment > 0)
        increment = SpreadDepthLabels(increment, stepIndex);
      const bool longStep = stepIndex >= 20 && stepIndex < NumDateTimeSteps;
      if ((increment > 0 || longStep) && ScaleMinimum <= ScaleMaximum) {
        if (style == talValue) {
          bool drawn = false;
          DrawNextAxisLabels(drawn);
          if (!drawn) {
            if (logarithmic_ && increment_ == 0) {
              DrawLogLabels();
            } else {
              DrawValueLabels(increment, stepIndex);
            }
          }
        } else if (style == talText && IsDepthAxis) {
          DrawDepthTextLabels();
        } else if (style == talMark || style == talText) {
          DrawPointLabels(style);
        }
      }
    }
  }
  DrawTicksGridLine();
}

std::vector<int32_t> TChartAxis::CalcGridPositions() const
{
  std::vector<int32_t> out;
  auto inside = [&](int32_t t) { return t > PosStart - 2 && t < PosEnd + 2; };
  if (!grid_->GetCentered()) {
    for (int32_t t : Tick)
      if (inside(t)) out.push_back(t);
    return out;
  }
  for (size_t i = 1; i < Tick.size(); ++i) {
    const int32_t m = ToPixel((static_cast<double>(Tick[i - 1]) + Tick[i]) / 2);
    if (inside(m)) out.push_back(m);
  }
  return out;
}

std::vector<int32_t> TChartAxis::CalcMinorTickPositions() const
{
  std::vector<int32_t> out;
  const int32_t n = std::min(minorTickCount_, kMaxMinorTicks);
  if (n <= 0) return out;
  auto add = [&](int32_t p) {
    if (p > PosStart && p < PosEnd) out.push_back(p);
  };
  if (!logarithmic_) {
    if (Tick.size() < 2) return out;
    auto marks = [&](int32_t from, int32_t distance) {
      for (int32_t j = 1; j <= n; ++j) add(from + ToPixel(static_cast<double>(j) * distance / (n + 1)));
    };
    for (size_t i = 1; i < Tick.size(); ++i) marks(Tick[i - 1], Tick[i] - Tick[i - 1]);
    // The same marks outside the first and the last tick.
    marks(Tick[0], Tick[0] - Tick[1]);
    const size_t last = Tick.size() - 1;
    marks(Tick[last], Tick[last] - Tick[last - 1]);
    return out;
  }
  // Logarithmic: each decade from a tick value up to the next one, once.
  std::vector<double> decades;
  for (double v : tickValues_)
    if (std::isfinite(v) && std::find(decades.begin(), decades.end(), v) == decades.end()) decades.push_back(v);
  const TAxisScaleKind k = ScaleKind();
  for (double v : decades) {
    const double top = k.Symmetric ? SymmetricStep(k.SymmetricScale, v, 1) : v * k.LogBase;
    if (!(top > v) || !std::isfinite(top)) continue;
    const double step = (top - v) / (n + 1);
    for (int32_t j = 1; j <= n; ++j) {
      const double m = v + j * step;
      if (m >= ScaleMinimum && m <= ScaleMaximum) add(CalcPosValue(m));
    }
  }
  return out;
}

void TChartAxis::DrawTicksGridLine()
{
  TCustomNuvPanel* p = GetPanel();
  TCanvas3D* c = Canvas();
  const TRect& r = p->ChartRect;
  const int32_t out = OutwardSign();
  const int32_t z = IsDepthAxis ? 0 : DepthOf(zPosition_);
  const int32_t depthY = IsDepthAxis ? DepthAxisY() : 0;
  // A line across the axis at one position along it, from offset a to offset b (relative to PosAxis).
  auto across = [&](int32_t pos, int32_t a, int32_t b) {
    if (IsDepthAxis) {
      c->MoveTo3D(PosAxis + a, depthY, pos);
      c->LineTo3D(PosAxis + b, depthY, pos);
    } else if (horizontal_) {
      c->VertLine3D(pos, PosAxis + a, PosAxis + b, z);
    } else {
      c->HorizLine3D(PosAxis + a, PosAxis + b, pos, z);
    }
  };
  auto gridLine = [&](int32_t pos, TChartPen* pen) {
    c->AssignVisiblePen(pen);
    const int32_t gz = DepthOf(grid_->GetZPosition());
    if (IsDepthAxis) {
      c->MoveTo3D(r.Left, depthY, pos);
      c->LineTo3D(r.Right, depthY, pos);
    } else if (horizontal_) {
      c->VertLine3D(pos, r.Top, r.Bottom, gz);
    } else {
      c->HorizLine3D(r.Left, r.Right, pos, gz);
    }
  };
  // The lines of a grid go to the canvas together (the same pen for each).
  auto gridLines = [&](const std::vector<int32_t>& positions, TChartPen* pen) {
    if (IsDepthAxis || positions.empty()) {
      for (int32_t t : positions) gridLine(t, pen);
      return;
    }
    c->AssignVisiblePen(pen);
    const int32_t gz = DepthOf(grid_->GetZPosition());
    if (horizontal_) c->VertLines3D(positions, r.Top, r.Bottom, gz);
    else c->HorizLines3D(positions, r.Left, r.Right, gz);
  };
  // Ticks likewise: lines across the axis at positions, from offset a to offset b.
  auto acrossAll = [&](const std::vector<int32_t>& positions, int32_t a, int32_t b) {
    if (IsDepthAxis) {
      for (int32_t t : positions) across(t, a, b);
    } else if (horizontal_) {
      c->VertLines3D(positions, PosAxis + a, PosAxis + b, z);
    } else {
      c->HorizLines3D(positions, PosAxis + a, PosAxis + b, z);
    }
  };
  // The ticks within the axis' ends (and a pixel or so beyond).
  std::vector<int32_t> ticks;
  for (int32_t t : Tick)
    if (t > PosStart - 2 && t < PosEnd + 2) ticks.push_back(t);
  if (grid_->GetVisible() && !DrawnInFront) gridLines(CalcGridPositions(), grid_.get());
  const std::vector<int32_t> minor =
      (minorTicks_->GetVisible() || minorGrid_->GetVisible()) ? CalcMinorTickPositions() : std::vector<int32_t>();
  if (minorGrid_->GetVisible() && !DrawnInFront) gridLines(minor, minorGrid_.get());
  if (ticks_->GetVisible() && tickLength_ != 0) {
    c->AssignVisiblePen(ticks_.get());
    acrossAll(ticks, 0, out * PixelSize(tickLength_));
  }
  if (ticksInner_->GetVisible() && tickInnerLength_ != 0) {
    c->AssignVisiblePen(ticksInner_.get());
    acrossAll(ticks, 0, -out * PixelSize(tickInnerLength_));
  }
  if (minorTicks_->GetVisible() && minorTickLength_ != 0) {
    c->AssignVisiblePen(minorTicks_.get());
    acrossAll(minor, 0, out * PixelSize(minorTickLength_));
  }
  if (axisPen_->GetVisible()) {
    c->AssignVisiblePen(axisPen_.get());
    if (IsDepthAxis) {
      c->MoveTo3D(PosAxis, depthY, PosStart);
      c->LineTo3D(PosAxis, depthY, PosEnd);
    } else if (axisPen_->GetLineMode() == lmLine) {
      if (horizontal_) {
        c->HorizLine3D(PosStart, PosEnd, PosAxis, z);
      } else {
        c->VertLine3D(PosAxis, PosStart, PosEnd, z);
      }
    } else {
      // Cylinder and rectangle lines: a filled band of the pen's width in the pen's colour.
      const int32_t w = std::max(1, axisPen_->GetWidth());
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(axisPen_->GetColor());
      TRect band = horizontal_ ? Rect(PosStart, PosAxis - w / 2, PosEnd, PosAxis - w / 2 + w)
                               : Rect(PosAxis - w / 2, PosStart, PosAxis - w / 2 + w, PosEnd);
      c->RectangleWithZ(band, z);
    }
  }
}
