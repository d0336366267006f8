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
  return Held(RoundHalfAway(std::clamp(v, -1e9, 1e9)));
}

int32_t HeldAngle(int32_t v) { return Held(v, 360); }

}  // namespace

namespace {

// The axis' settings as they are, nothing held or rounded; the positions as the doubles they are.
struct TAxisSnapshot {
  TAxisSettings Settings;
  double StartPosition = 0;
  double EndPosition = 100;
  double PositionPercent = 0;
};

TAxisSnapshot SnapshotOf(const TChartAxis& a)
{
  TAxisSnapshot snap;
  TAxisSettings& s = snap.Settings;
  s.Automatic = a.GetAutomatic();
  s.Axis = PenSettingsOf(*a.GetAxis());
  s.Grid = PenSettingsOf(*a.GetGrid());
  s.GridCentered = a.GetGridCentered();
  s.Inverted = a.GetInverted();
  s.Horizontal = a.GetHorizontal();
  s.OtherSide = a.GetOtherSide();
  s.Labels = a.GetLabels();
  s.LabelsAlign = a.GetLabelsAlign();
  s.LabelsAngle = a.GetLabelsAngle();
  s.LabelsExponent = a.GetLabelsExponent();
  s.LabelsFont = FontSettingsOf(*a.GetLabelsFont());
  s.LabelsMultiLine = a.GetLabelsMultiLine();
  s.LabelsOnAxis = a.GetLabelsOnAxis();
  s.LabelsSeparation = a.GetLabelsSeparation();
  s.LabelsSize = a.GetLabelsSize();
  s.LabelStyle = a.GetLabelStyle();
  s.Logarithmic = a.GetLogarithmic();
  s.MaximumOffset = a.GetMaximumOffset();
  s.MinimumOffset = a.GetMinimumOffset();
  s.MinorGrid = PenSettingsOf(*a.GetMinorGrid());
  s.MinorTickCount = a.GetMinorTickCount();
  s.MinorTickLength = a.GetMinorTickLength();
  s.MinorTicks = PenSettingsOf(*a.GetMinorTicks());
  snap.StartPosition = a.GetStartPosition();
  snap.EndPosition = a.GetEndPosition();
  snap.PositionPercent = a.GetPositionPercent();
  s.PositionUnits = a.GetPositionUnits();
  s.RoundFirstLabel = a.GetRoundFirstLabel();
  s.TickInnerLength = a.GetTickInnerLength();
  s.TickLength = a.GetTickLength();
  s.Ticks = PenSettingsOf(*a.GetTicks());
  s.TicksInner = PenSettingsOf(*a.GetTicksInner());
  s.TickOnLabelsOnly = a.GetTickOnLabelsOnly();
  s.TitleAngle = a.GetTitle()->GetAngle();
  s.TitleFont = FontSettingsOf(*a.GetTitle()->GetFont());
  s.TitleVisible = a.GetTitle()->GetVisible();
  s.TitleSize = a.GetTitleSize();
  s.Visible = a.GetVisible();
  s.SymmetricDecades = a.SymmetricDecades;
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
  return snap;
}


}  // namespace

// What the text carries: values held to what the reader takes, positions rounded.
TAxisSettings AxisSettingsOf(const TChartAxis& a)
{
  const TAxisSnapshot snap = SnapshotOf(a);
  TAxisSettings s = snap.Settings;
  s.LabelsAngle = HeldAngle(s.LabelsAngle);
  s.LabelsSeparation = std::clamp(s.LabelsSeparation, 0, SettingsTextMaxInt);
  s.LabelsSize = Held(s.LabelsSize);
  s.MaximumOffset = Held(s.MaximumOffset);
  s.MinimumOffset = Held(s.MinimumOffset);
  s.MinorTickCount = std::clamp(s.MinorTickCount, 0, 1000);
  s.MinorTickLength = Held(s.MinorTickLength);
  s.StartPosition = HeldRound(snap.StartPosition);
  s.EndPosition = HeldRound(snap.EndPosition);
  s.PositionPercent = HeldRound(snap.PositionPercent);
  s.TickInnerLength = Held(s.TickInnerLength);
  s.TickLength = Held(s.TickLength);
  s.TitleAngle = HeldAngle(s.TitleAngle);
  s.TitleSize = Held(s.TitleSize);
  s.SymmetricDecades = std::max(Held(s.SymmetricDecades, 1000), 0);
  return s;
}

void AxisToText(const TChartAxis& axis, std::string& text) { text = AxisSettingsToText(AxisSettingsOf(axis)); }

namespace {

// In the order the fields are applied, through the setters (each change repaints), some stored
// directly; Logarithmic last, once the range and AutoLogFormat are in place. With an exact
// snapshot the positions are its own doubles.
void ApplyAxisSettings(TChartAxis& a, const TAxisSettings& s, bool applyOrientation,
                       const TAxisSnapshot* exact = nullptr)
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
  a.SetStartPosition(exact ? exact->StartPosition : s.StartPosition);
  a.SetEndPosition(exact ? exact->EndPosition : s.EndPosition);
  a.SetPositionPercent(exact ? exact->PositionPercent : s.PositionPercent);
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
  const TAxisSnapshot before = SnapshotOf(axis);
  // What the text leaves out (a caption, a skipped pen or font value) keeps the axis' own.
  TAxisSettings s = before.Settings;
  if (!ParseAxisText(text, s))
    throw EConvertError("'" + text.substr(0, 200) + "' is not a valid axis settings text");
  try {
    ApplyAxisSettings(axis, s, applyOrientation);
  } catch (...) {
    // A setter refused a value (a logarithmic date-time axis): the axis goes back as it was.
    ApplyAxisSettings(axis, before.Settings, true, &before);
    throw;
  }
}
