// Axis settings texts: reading and applying an axis' settings.
#include <algorithm>
#include <cmath>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/SettingsText.h"

namespace {

int32_t Held(int64_t v, int32_t limit = SettingsTextMaxInt)
{
  return static_cast<int32_t>(std::clamp<int64_t>(v, -limit, limit));
}

int32_t HeldRound(double v)
{
  if (!std::isfinite(v)) return 0;
  return Held(RoundHalfEven(std::clamp(v, -1e9, 1e9)));
}

int32_t HeldAngle(int32_t v) { return Held(v, 360); }

}  // namespace

TAxisSettings AxisSettingsOf(const TChartAxis& a)
{
  TAxisSettings s;
  s.Automatic = a.GetAutomatic();
  s.Axis = PenSettingsOf(*a.GetAxis());
  s.Grid = PenSettingsOf(*a.GetGrid());
  s.GridCentered = a.GetGridCentered();
  s.Inverted = a.GetInverted();
  s.Horizontal = a.GetHorizontal();
  s.OtherSide = a.GetOtherSide();
  s.Labels = a.GetLabels();
  s.LabelsAlign = a.GetLabelsAlign();
  s.LabelsAngle = HeldAngle(a.GetLabelsAngle());
  s.LabelsExponent = a.GetLabelsExponent();
  s.LabelsFont = FontSettingsOf(*a.GetLabelsFont());
  s.LabelsMultiLine = a.GetLabelsMultiLine();
  s.LabelsOnAxis = a.GetLabelsOnAxis();
  s.LabelsSeparation = std::clamp(a.GetLabelsSeparation(), 0, SettingsTextMaxInt);
  s.LabelsSize = Held(a.GetLabelsSize());
  s.LabelStyle = a.GetLabelStyle();
  s.Logarithmic = a.GetLogarithmic();
  s.MaximumOffset = Held(a.GetMaximumOffset());
  s.MinimumOffset = Held(a.GetMinimumOffset());
  s.MinorGrid = PenSettingsOf(*a.GetMinorGrid());
  s.MinorTickCount = std::clamp(a.GetMinorTickCount(), 0, 1000);
  s.MinorTickLength = Held(a.GetMinorTickLength());
  s.MinorTicks = PenSettingsOf(*a.GetMinorTicks());
  s.StartPosition = HeldRound(a.GetStartPosition());
  s.EndPosition = HeldRound(a.GetEndPosition());
  s.PositionPercent = HeldRound(a.GetPositionPercent());
  s.PositionUnits = a.GetPositionUnits();
  s.RoundFirstLabel = a.GetRoundFirstLabel();
  s.TickInnerLength = Held(a.GetTickInnerLength());
  s.TickLength = Held(a.GetTickLength());
  s.Ticks = PenSettingsOf(*a.GetTicks());
  s.TicksInner = PenSettingsOf(*a.GetTicksInner());
  s.TickOnLabelsOnly = a.GetTickOnLabelsOnly();
  s.TitleAngle = HeldAngle(a.GetTitle()->GetAngle());
  s.TitleFont = FontSettingsOf(*a.GetTitle()->GetFont());
  s.TitleVisible = a.GetTitle()->GetVisible();
  s.TitleSize = Held(a.GetTitleSize());
  s.Visible = a.GetVisible();
  s.SymmetricDecades = Held(a.SymmetricDecades, 1000);
  s.SymmetricDecades = std::max(s.SymmetricDecades, 0);
  s.RoundMinMax = a.RoundMinMax;
  s.SymmetricMinStepMode = a.SymmetricMinStepMode ? 1 : 0;
  s.SymmetricMinStep = a.SymmetricMinStep;
  s.AutomaticMinimum = a.GetAutomaticMinimum();
  s.AutomaticMaximum = a.GetAutomaticMaximum();
  s.LogarithmicBase = a.GetLogarithmicBase();
  s.Increment = a.GetIncrement();
  s.ForcedMinimum = a.ForcedMinimum;
  s.ForcedMaximum = a.ForcedMaximum;
  s.Minimum = a.GetMinimum();
  s.Maximum = a.GetMaximum();
  s.AutoLogFormat = a.AutoLogFormat;
  s.UseForcedLimits = a.UseForcedLimits;
  s.TitleCaption = a.GetTitle()->GetCaption();
  return s;
}

void AxisToText(const TChartAxis& axis, std::string& text) { text = AxisSettingsToText(AxisSettingsOf(axis)); }

namespace {

// In the order the fields are applied, through the setters (each change repaints), some stored
// directly; Logarithmic last, once the range and AutoLogFormat are in place.
void ApplyAxisSettings(TChartAxis& a, const TAxisSettings& s, bool applyOrientation)
{
  a.SetAutomatic(s.Automatic);
  ApplyPenSettings(s.Axis, *a.GetAxis());
  ApplyPenSettings(s.Grid, *a.GetGrid());
  a.SetGridCentered(s.GridCentered);
  a.SetInverted(s.Inverted);
  if (applyOrientation) {
    a.SetHorizontal(s.Horizontal);
    a.SetOtherSide(s.OtherSide);
  }
  a.SetLabels(s.Labels);
  a.SetLabelsAlign(static_cast<TAxisLabelAlign>(s.LabelsAlign));
  a.SetLabelsAngle(s.LabelsAngle);
  a.SetLabelsExponent(s.LabelsExponent);
  ApplyFontSettings(s.LabelsFont, *a.GetLabelsFont());
  a.SetLabelsMultiLine(s.LabelsMultiLine);
  a.SetLabelsOnAxis(s.LabelsOnAxis);
  a.SetLabelsSeparation(s.LabelsSeparation);
  a.SetLabelsSize(s.LabelsSize);
  a.SetLabelStyle(static_cast<TAxisLabelStyle>(s.LabelStyle));
  a.SetMaximumOffset(s.MaximumOffset);
  a.SetMinimumOffset(s.MinimumOffset);
  ApplyPenSettings(s.MinorGrid, *a.GetMinorGrid());
  a.SetMinorTickCount(s.MinorTickCount);
  a.SetMinorTickLength(s.MinorTickLength);
  ApplyPenSettings(s.MinorTicks, *a.GetMinorTicks());
  a.SetStartPosition(s.StartPosition);
  a.SetEndPosition(s.EndPosition);
  a.SetPositionPercent(s.PositionPercent);
  a.SetPositionUnits(static_cast<TNuvUnits>(s.PositionUnits));
  a.SetRoundFirstLabel(s.RoundFirstLabel);
  a.SetTickInnerLength(s.TickInnerLength);
  a.SetTickLength(s.TickLength);
  ApplyPenSettings(s.Ticks, *a.GetTicks());
  ApplyPenSettings(s.TicksInner, *a.GetTicksInner());
  a.SetTickOnLabelsOnly(s.TickOnLabelsOnly);
  a.GetTitle()->SetAngle(s.TitleAngle);
  ApplyFontSettings(s.TitleFont, *a.GetTitle()->GetFont());
  a.GetTitle()->SetVisible(s.TitleVisible);
  a.SetTitleSize(s.TitleSize);
  a.SymmetricDecades = s.SymmetricDecades;
  a.RoundMinMax = s.RoundMinMax;
  a.SymmetricMinStepMode = s.SymmetricMinStepMode != 0;
  a.SymmetricMinStep = s.SymmetricMinStep;
  a.SetAutomaticMinimum(s.AutomaticMinimum);
  a.SetAutomaticMaximum(s.AutomaticMaximum);
  a.SetLogarithmicBase(s.LogarithmicBase);
  a.SetIncrement(s.Increment);
  a.RestoreRange(a.GetAutomatic(), a.GetAutomaticMinimum(), a.GetAutomaticMaximum(), s.Minimum, s.Maximum);
  a.AutoLogFormat = s.AutoLogFormat;
  a.SetLogarithmic(s.Logarithmic);
  a.UseForcedLimits = s.UseForcedLimits;
  a.GetTitle()->SetCaption(s.TitleCaption);
}

}  // namespace

void TextToAxis(TChartAxis& axis, const std::string& text, bool applyOrientation)
{
  std::vector<std::string> words;
  std::string t;
  ReplaceCharWithBlank(text, AxisTextSeparator, t);
  SplitAtBlanks(t, 0, words);
  if (words.empty()) return;
  TAxisSettings s;
  if (!ParseAxisText(text, s))
    throw EConvertError("'" + text.substr(0, 200) + "' is not a valid axis settings text");
  const TAxisSettings before = AxisSettingsOf(axis);
  try {
    ApplyAxisSettings(axis, s, applyOrientation);
  } catch (...) {
    // A setter refused a value (a logarithmic date-time axis): the axis goes back as it was.
    ApplyAxisSettings(axis, before, true);
    throw;
  }
}
