#pragma once
// Chart axes: TChartAxis maps values to pixels along one side of the chart (automatic and manual
// ranges, linear, logarithmic, symmetric-logarithmic and date-time scales, the label increment,
// value <-> pixel) and draws its labels, ticks, minor ticks, grid and title.
//
// The arithmetic is kept apart from the drawing: the free functions below (nice steps, range
// rounding, increment search, label values, number and date formats) take numbers and return
// numbers or texts, and TChartAxis forwards to them. NvEngineAxis.cpp holds the scale,
// NvEngineAxisDraw.cpp the labels, ticks, grid and layout, NvEngineAxisFormat.cpp the formats,
// NvEngineAxisHost.cpp what the axis asks its chart (series extremes, zoom state, canvas).
//
// Failures: invalid settings raise AxisException with the message table's texts and leave the
// property unchanged. Conversions never overflow: pixel results are held within +-PixelLimit.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/NuvProcs.h"
#include "chart/canvas/NuvShapes.h"
#include "chart/model/NvEngineTypes.h"

class TCustomAxisPanel;
class TChartSeries;
class TChartAxis;

// Errors of axis settings (texts from the message table).
class AxisException : public ChartException {
public:
  using ChartException::ChartException;
};

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };
enum TAxisLabelAlign { alDefault, alOpposite };

// ---- Module constants ----
constexpr double MinAxisIncrement = 1e-12;
constexpr double MinAxisRange = 1e-10;
// Bound of returned pixel positions (67108863).
extern int32_t PixelLimit;

// ---- Scale engine: plain functions of numbers ----
// Next value of ... 1, 2, 5, 10, 20, 50 ... strictly above x within its decade; 1 for 0.
// Never loops on Inf or NaN (they come back as they are); negative steps are mirrored.
double NiceStep(double x);
// Round(x) when x is within 1e-10 of it, else ceil / floor.
double CeilTolerant(double x);
double FloorTolerant(double x);
// Sign(x) log10(|x| / s + 1) and its inverse.
double SymmetricLog10(double s, double x);
double SymmetricPower10(double s, double y);
// Rounds a symmetric step (d 0), or the next larger (+1) / smaller (-1) one.
double SymmetricStep(double s, double x, int32_t d);
// Sign(x) base^Round(log_base |x|) (plain), or SymmetricStep(s, x, 0) (symmetric).
double RoundLogIncrement(double x, double logBase, bool symmetric, double symmetricScale);

// Scale type of an axis as the engine needs it.
struct TAxisScaleKind {
  bool Logarithmic = false;
  bool Symmetric = false;   // symmetric logarithm (only with Logarithmic)
  double LogBase = 10;
  double SymmetricScale = 1;
};

// Rounded scale ends of a range. Without roundMinMax, or on a
// linear axis without an increment, the ends come back unchanged.
struct TAxisEnds {
  double Minimum = 0, Maximum = 0;
};
TAxisEnds AxisRoundEnds(double minimum, double maximum, bool roundMinMax, double increment,
                        const TAxisScaleKind& kind);
// The linear zone width S of a symmetric axis for its scale ends. minStep is the
// SymmetricMinStep field (updated to M / 100 when it is <= 0).
double AxisSymmetricScale(double scaleMinimum, double scaleMaximum, int32_t decades, bool minStepMode,
                          double& minStep);

// Everything the increment search reads.
struct TAxisIncrementInput {
  bool IsDateTime = false;
  double Increment = 0;        // the axis' Increment (0 = automatic)
  double ScaleRange = 0;
  TAxisScaleKind Kind;
  int32_t LabelsSeparation = 10;
  // Some active series on this axis as its non-mandatory axis has no more than MaxLabels points
  // (raises the start step to 1 when the range is >= 1). Asked with MaxLabels.
  std::function<bool(int32_t maxLabels)> FewPointsSeries;
};
// The increment for MaxLabels labels (never 0, never Inf or NaN for finite input).
double AxisCalcIncrement(const TAxisIncrementInput& in, int32_t maxLabels);
// How many labels of size labelSize (pixels along the axis) fit in posSize pixels.
int32_t AxisMaxLabels(double labelSize, int32_t labelsSeparation, int32_t posSize);
// Halves / divides / steps the increment down for alternate labels.
double AxisAlternateIncrement(double increment, const TAxisScaleKind& kind);

// Value labels: the label values T (in label units: (value + offset) x |factor|) from the top
// end down, as the axis draws them. Empty when the increment gives 10000 or more labels.
struct TAxisLabelRun {
  double A = 0, B = 0;          // range ends in label units
  double Step = 0;              // |LabelFactor| x increment
  double ScaleMinimum = 0;      // in axis units (the sign test of the lower limit)
  double ScaleRange = 0;        // in axis units
  double Increment = 0;         // in axis units
  bool RoundFirstLabel = true;
  // Date-time calendar stepping: index into DateTimeSteps, NumDateTimeSteps when none.
  bool IsDateTime = false;
  bool ExactDateTime = true;
  int32_t StepIndex = NumDateTimeSteps;
};
std::vector<double> AxisValueLabelValues(const TAxisLabelRun& run);
// Whether two neighbouring label boxes (on screen, in drawing order) overlap.
bool AxisLabelBoxesOverlap(const std::vector<TRect>& boxes);
// Logarithmic labels with Increment 0: the powers of the base within the scale (F, F x base ...).
// extraTicks gets the values below / above the range that carry minor-grid ticks when
// minorGrid is set.
std::vector<double> AxisLogLabelValues(double scaleMinimum, double scaleMaximum, const TAxisScaleKind& kind,
                                       bool minorGrid, std::vector<double>* extraTicks = nullptr);

// ---- Number and date texts ----
// The platform's float formatting: "#", "0", ",", ".", "E+0" / "e-0" exponents, literal text in
// double or single quotes, and up to three sections "positive;negative;zero". Always "." for the
// decimal point and "," for thousands.
std::string FormatFloat(const std::string& format, double value);
// Date-time format: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz am/pm, "/" ":"
// separators, quoted literals; days since 30 December 1899. Empty for a value outside the calendar.
std::string FormatDateTime(const std::string& format, double value);
// The platform's general floating-point text (15 significant digits, shortest form).
std::string FloatToStrGeneral(double value);
// Text as a number, accepting "." or "," as decimal point; false when it does not convert.
bool AxisTextToFloat(const std::string& text, double& value);

// ---- Axis parts ----
enum TAxisLineMode { lmLine, lmCylinder, lmRectangle };

// The axis line pen: width 2, with a line mode.
class TChartAxisPen : public TChartPen {
public:
  explicit TChartAxisPen(TNotifyEvent onChange = {});
  void Assign(const TPersistent* source) override;
  TAxisLineMode GetLineMode() const { return lineMode_; }
  void SetLineMode(TAxisLineMode v);

private:
  TAxisLineMode lineMode_ = lmLine;
};

// Grid pen: grey, dotted, with a depth position and the centred flag.
class TAxisGridPen : public TDottedGrayPen {
public:
  explicit TAxisGridPen(TNotifyEvent onChange = {});
  void Assign(const TPersistent* source) override;
  double GetZPosition() const { return zPosition_; }
  void SetZPosition(double v);
  double DefaultZPosition = 0;
  bool IsZPositionStored() const { return zPosition_ != DefaultZPosition; }
  bool GetCentered() const { return centered_; }
  void SetCentered(bool v);

private:
  double zPosition_ = 0;
  bool centered_ = false;
};

class TChartAxisTitle : public TNuvCustomShape {
public:
  explicit TChartAxisTitle(TCustomNuvPanel* chart = nullptr);
  void Assign(const TPersistent* source) override;
  int32_t GetAngle() const { return angle_; }
  // Taken modulo 360.
  void SetAngle(int32_t v);
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& v);
  // Set by the axis panel together with the angle: 90 left, 270 right, else 0.
  int32_t DefaultAngle = 0;
  bool IsAngleStored() const { return angle_ != DefaultAngle; }

private:
  int32_t angle_ = 0;
  std::string caption_;
};

// A user label at a value.
class TAxisItem : public TNuvCustomShape {
public:
  explicit TAxisItem(TCustomNuvPanel* chart = nullptr);
  void Assign(const TPersistent* source) override;
  const std::string& GetText() const { return text_; }
  void SetText(const std::string& v);
  double GetValue() const { return value_; }
  void SetValue(double v);

private:
  std::string text_;
  double value_ = 0;
};

// The custom labels of an axis (they replace the automatic labels while present).
class TAxisItems {
public:
  explicit TAxisItems(TChartAxis* axis);
  ~TAxisItems();
  TAxisItems(const TAxisItems&) = delete;
  TAxisItems& operator=(const TAxisItems&) = delete;

  TAxisItem* Add(double value);
  TAxisItem* Add(double value, const std::string& text);
  void CopyFrom(const TAxisItems* items);
  void Clear();
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Range error out of 0..Count-1.
  TAxisItem* Item(int32_t index) const;
  // Visible and Font are the axis' Labels and LabelsFont.
  TNuvShape* Format() const { return format_.get(); }

private:
  TChartAxis* axis_;
  std::unique_ptr<TNuvShape> format_;
  std::vector<std::unique_ptr<TAxisItem>> items_;
};

// One label as computed for a paint: its value on the axis, its pixel and its text.
struct TAxisLabelItem {
  double Value = 0;
  int32_t Position = 0;
  std::string Text;
};

using TAxisDrawLabelEvent =
    std::function<void(TChartAxis* sender, int32_t& x, int32_t& y, int32_t& z, std::string& text, bool& drawLabel)>;

class TChartAxis : public TPersistent {
public:
  // Creates pens, title, font and items with their defaults. The axis panel lists the axis
  // (standard axes and the custom-axes collection add it to the chart's axis list).
  explicit TChartAxis(TCustomAxisPanel* chart);
  ~TChartAxis() override;
  TChartAxis(const TChartAxis&) = delete;
  TChartAxis& operator=(const TChartAxis&) = delete;

  void Assign(const TPersistent* source) override;

  TCustomAxisPanel* GetParentChart() const { return parentChart_; }
  // The panel's base (canvas, chart rectangle, repaint); nullptr without a chart.
  TCustomNuvPanel* GetPanel() const;
  void Repaint();

  // ---- Scaling properties ----
  bool GetAutomatic() const { return automatic_; }
  void SetAutomatic(bool v);
  bool GetAutomaticMaximum() const { return automaticMaximum_; }
  void SetAutomaticMaximum(bool v);
  bool GetAutomaticMinimum() const { return automaticMinimum_; }
  void SetAutomaticMinimum(bool v);
  double GetMaximum() const { return maximum_; }
  void SetMaximum(double v);
  double GetMinimum() const { return minimum_; }
  void SetMinimum(double v);
  bool IsMaximumStored() const { return !automatic_ && !automaticMaximum_; }
  bool IsMinimumStored() const { return !automatic_ && !automaticMinimum_; }
  double GetIncrement() const { return increment_; }
  void SetIncrement(double v);
  bool GetLogarithmic() const { return logarithmic_; }
  void SetLogarithmic(bool v);
  double GetLogarithmicBase() const { return logarithmicBase_; }
  void SetLogarithmicBase(double v);
  bool GetInverted() const { return inverted_; }
  virtual void SetInverted(bool v);
  bool GetHorizontal() const { return horizontal_; }
  void SetHorizontal(bool v);
  bool GetOtherSide() const { return otherSide_; }
  void SetOtherSide(bool v);
  double GetStartPosition() const { return startPosition_; }
  void SetStartPosition(double v);
  double GetEndPosition() const { return endPosition_; }
  void SetEndPosition(double v);
  double GetPositionPercent() const { return positionPercent_; }
  void SetPositionPercent(double v);
  TNuvUnits GetPositionUnits() const { return positionUnits_; }
  void SetPositionUnits(TNuvUnits v);
  int32_t GetMaximumOffset() const { return maximumOffset_; }
  void SetMaximumOffset(int32_t v);
  int32_t GetMinimumOffset() const { return minimumOffset_; }
  void SetMinimumOffset(int32_t v);
  double GetZPosition() const { return zPosition_; }
  // 0 becomes 0.01.
  void SetZPosition(double v);
  bool GetExactDateTime() const { return exactDateTime_; }
  void SetExactDateTime(bool v);
  bool GetRoundFirstLabel() const { return roundFirstLabel_; }
  void SetRoundFirstLabel(bool v);
  const std::string& GetDateTimeFormat() const { return dateTimeFormat_; }
  void SetDateTimeFormat(const std::string& v);
  const std::string& GetAxisValuesFormat() const { return axisValuesFormat_; }
  void SetAxisValuesFormat(const std::string& v);
  // Stored rules of the scaling properties.
  bool IsLogarithmicBaseStored() const { return logarithmicBase_ != 10; }
  bool IsStartPositionStored() const { return startPosition_ != 0; }
  bool IsEndPositionStored() const { return endPosition_ != 100; }
  bool IsPositionPercentStored() const { return positionPercent_ != 0; }
  // Horizontal and OtherSide are stored for custom axes only (index 6 on in the chart's axis list).
  bool IsCustomAxis() const;

  // ---- Drawing properties ----
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  TChartAxisPen* GetAxis() const { return axisPen_.get(); }
  void SetAxis(const TChartAxisPen* v) { axisPen_->Assign(v); }
  bool GetLabels() const;
  void SetLabels(bool v);
  TNuvFont* GetLabelsFont() const;
  void SetLabelsFont(const TNuvFont* v);
  TAxisLabelStyle GetLabelStyle() const { return labelStyle_; }
  void SetLabelStyle(TAxisLabelStyle v);
  TAxisLabelAlign GetLabelsAlign() const { return labelsAlign_; }
  void SetLabelsAlign(TAxisLabelAlign v);
  bool GetLabelsAlternate() const { return labelsAlternate_; }
  void SetLabelsAlternate(bool v);
  int32_t GetLabelsAngle() const { return labelsAngle_; }
  void SetLabelsAngle(int32_t v);
  bool GetLabelsExponent() const { return labelsExponent_; }
  void SetLabelsExponent(bool v);
  bool GetLabelsMultiLine() const { return labelsMultiLine_; }
  void SetLabelsMultiLine(bool v);
  bool GetLabelsOnAxis() const { return labelsOnAxis_; }
  void SetLabelsOnAxis(bool v);
  int32_t GetLabelsSeparation() const { return labelsSeparation_; }
  // Must be >= 0 ("Labels Separation % must be greater than 0" otherwise).
  void SetLabelsSeparation(int32_t v);
  int32_t GetLabelsSize() const { return labelsSize_; }
  void SetLabelsSize(int32_t v);
  TDarkGrayPen* GetTicks() const { return ticks_.get(); }
  void SetTicks(const TChartPen* v) { ticks_->Assign(v); }
  TDarkGrayPen* GetTicksInner() const { return ticksInner_.get(); }
  void SetTicksInner(const TChartPen* v) { ticksInner_->Assign(v); }
  TDarkGrayPen* GetMinorTicks() const { return minorTicks_.get(); }
  void SetMinorTicks(const TChartPen* v) { minorTicks_->Assign(v); }
  int32_t GetTickLength() const { return tickLength_; }
  void SetTickLength(int32_t v);
  int32_t GetTickInnerLength() const { return tickInnerLength_; }
  void SetTickInnerLength(int32_t v);
  int32_t GetMinorTickLength() const { return minorTickLength_; }
  void SetMinorTickLength(int32_t v);
  int32_t GetMinorTickCount() const { return minorTickCount_; }
  void SetMinorTickCount(int32_t v);
  bool GetTickOnLabelsOnly() const { return tickOnLabelsOnly_; }
  void SetTickOnLabelsOnly(bool v);
  TAxisGridPen* GetGrid() const { return grid_.get(); }
  void SetGrid(const TChartPen* v) { grid_->Assign(v); }
  bool GetGridCentered() const { return grid_->GetCentered(); }
  void SetGridCentered(bool v) { grid_->SetCentered(v); }
  TChartHiddenPen* GetMinorGrid() const { return minorGrid_.get(); }
  void SetMinorGrid(const TChartPen* v) { minorGrid_->Assign(v); }
  TChartAxisTitle* GetTitle() const { return title_.get(); }
  void SetTitle(const TChartAxisTitle* v) { title_->Assign(v); }
  int32_t GetTitleSize() const { return titleSize_; }
  void SetTitleSize(int32_t v);
  TAxisItems* Items() const { return items_.get(); }
  TAxisDrawLabelEvent OnDrawLabel;

  // ---- Public unpublished state ----
  bool AutoLogFormat = false;
  bool SymmetricLog = false;
  double SymmetricScale = 1.0;
  int32_t SymmetricDecades = 3;
  bool SymmetricMinStepMode = false;
  double SymmetricMinStep = 0.01;
  bool KeepRange = false;
  bool RoundMinMax = false;
  bool UseForcedLimits = false;
  double ForcedMinimum = 0, ForcedMaximum = 0;
  double LabelOffset = 0;
  // A factor of 0 is taken as 1 (no division by zero).
  double LabelFactor = 1;
  bool RangeChanged = false;
  std::string DefaultSettingsText;
  TNotifyEvent OnScaleChange;

  // ---- Computed state ----
  double ScaleMinimum = 0, ScaleMaximum = 0, ScaleRange = 0;
  bool ScaleRangeZero = true;
  int32_t PosStart = 0, PosEnd = 0, PosSize = 0, PosCenter = 0;
  int32_t IStartPos() const { return PosStart; }
  int32_t IEndPos() const { return PosEnd; }
  double PixelsPerUnit = 0;
  double LogMinimum = 0, LogMaximum = 0, LogRange = 0, PixelsPerLogUnit = 0;
  bool IsDateTimeAxis = false;
  bool IsDepthAxis = false;
  // Chart depth (or width, for a depth axis) in pixels, stored by the scale factors.
  int32_t ChartDepth = 0;
  // Layout positions (set by CalcRect / Draw).
  int32_t PosAxis = 0, PosLabels = 0, PosTitle = 0;
  // Whether the panel found the axis visible at the last layout.
  bool InternalVisible = true;
  // Set while the chart draws the axis again in front of the series: the grid, drawn behind them
  // already, is left out.
  bool DrawnInFront = false;
  // Tick pixels of the current paint.
  std::vector<int32_t> Tick;

  // ---- Range ----
  // Sets the range by hand: leaves automatic mode, orders the ends, widens a zero range to
  // MinAxisRange. A non-finite end is refused (AxisException) and nothing changes.
  void SetMinMax(double aMin, double aMax);
  // Puts a saved range back in one step (undo zoom): the three flags and both ends, without the
  // order checks of the setters. Non-finite ends are refused as by SetMinMax.
  void RestoreRange(bool automatic, bool automaticMinimum, bool automaticMaximum, double aMin, double aMax);
  void Scroll(double delta, bool checkLimits);
  virtual void AdjustMaxMin();
  void Recalculate();
  bool IsDateTime() const;
  double CalcIncrement(int32_t maxLabels) const;
  double CalcLabelsIncrement();
  void CalcPositions();
  void RangeFromRect(const TRect& r);
  // Scale factors from the scale ends and positions.
  void CalcScaleFactors();
  // Sets the scale ends directly and recomputes the factors (layout, tests).
  void SetScale(double scaleMinimum, double scaleMaximum);
  // Sets the pixel ends directly and recomputes the factors (tests, tools).
  void SetPositions(int32_t posStart, int32_t posEnd);
  TAxisScaleKind ScaleKind() const;

  // ---- Value <-> pixel ----
  void SetValueToPositionFunction();
  int32_t CalcPosValue(double value) const { return (this->*calcPosValue_)(value); }
  int32_t CalcXPosValue(double value) const { return (this->*calcXPosValue_)(value); }
  int32_t CalcYPosValue(double value) const { return (this->*calcYPosValue_)(value); }
  // CalcXPosValue (CalcYPosValue) of values[0..count) into out, the scale read once.
  void CalcXPosValues(const double* values, int32_t* out, size_t count) const;
  void CalcYPosValues(const double* values, int32_t* out, size_t count) const;
  double ValueToPositionFloat(double value) const;
  double PositionToValue(int32_t pixel) const;
  int32_t ValueToPixelSize(double value) const;
  // Position of a value on the installed scale as a double (no rounding, no clamping).
  double CalcPosValueFloat(double value) const;

  // ---- Labels ----
  TAxisLabelStyle CalcLabelStyle() const;
  virtual TAxisLabelStyle GetAutoLabelStyle() const;
  virtual void FormatValueLabel(double value, std::string& text) const;
  std::string LabelValueText(double value) const;
  // The value labels of the current scale and increment, top end first, with positions and
  // texts (no canvas needed).
  std::vector<TAxisLabelItem> CalcValueLabels(double increment) const;
  // The logarithmic labels (Increment 0) likewise.
  std::vector<TAxisLabelItem> CalcLogLabels() const;
  // Label size along the axis of a value (formatted and measured in the labels font).
  int32_t LabelSizeAlongAxis(double value);
  int32_t MaxLabelsWidth();
  // Minor-mark pixels for the collected ticks (linear: between and beyond the ticks).
  std::vector<int32_t> CalcMinorTickPositions() const;
  // Pixels of grid lines for the collected ticks (centred or not).
  std::vector<int32_t> CalcGridPositions() const;

  // ---- Drawing and layout ----
  void Draw(bool calcPosAxis);
  void CalcRect(TRect& r, bool shrink);
  bool HitTest(int32_t x, int32_t y) const;
  // Axis line position from the chart rectangle and PositionPercent.
  int32_t CalcPosAxisFromRect(const TRect& r) const;
  // Hidden-axis reset of the layout positions.
  void ResetPositions();

protected:
  // Installed value-to-pixel functions.
  using TPosFunction = int32_t (TChartAxis::*)(double) const;
  int32_t LinearXPos(double value) const;
  int32_t LinearYPos(double value) const;
  // Unclamped: the offset rounded first, the sum in checked integers.
  int32_t FastLinearXPos(double value) const;
  int32_t FastLinearYPos(double value) const;
  int32_t LogXPos(double value) const;
  int32_t LogYPos(double value) const;
  int32_t DepthPos(double value) const;

  double EffectiveLabelFactor() const { return LabelFactor == 0 ? 1.0 : LabelFactor; }
  // What the axis asks its chart (NvEngineAxisHost.cpp; defaults without a chart).
  bool ChartLoading() const;
  bool ChartRangesSaved() const;
  bool ChartFastCalc() const;
  int32_t ChartDepthPixels() const;
  bool HasFewPointsSeries(int32_t maxLabels) const;
  // The series extremes the panel gives this axis.
  double SeriesMinimum() const;
  double SeriesMaximum() const;
  void CopyRangeToLinkedAxes();
  // The labels size as the chart's axis list lets it be (its labels-size hook).
  void ChartLabelsSize(int32_t& size);

  // Drawing steps (NvEngineAxisDraw.cpp).
  void DrawTitle();
  // With a shape that is not transparent, its frame and background are drawn around the text.
  void DrawAxisLabel(int32_t position, const std::string& text, TNuvFont* font, int32_t index,
                     TNuvCustomShape* shape = nullptr);
  // The box of a label's text as DrawTextAt places it at (x, y) before any rotation.
  TRect LabelTextBox(int32_t x, int32_t y, const std::string& text, int32_t angle, uint32_t align);
  void DrawValueLabels(double increment, int32_t stepIndex);
  void DrawLogLabels();
  void DrawPointLabels(TAxisLabelStyle style);
  void DrawDepthTextLabels();
  void DrawCustomItems();
  void DrawNextAxisLabels(bool& drawn);
  void DrawTicksGridLine();
  // A tick at a pixel, with its axis value (NaN when unknown).
  void AddTick(int32_t position, double value)
  {
    Tick.push_back(position);
    tickValues_.push_back(value);
  }
  TAxisLabelRun LabelRun(double increment, int32_t stepIndex) const;
  double LabelToAxisValue(double labelValue) const;
  // The step-table entry of a date-time axis with ExactDateTime and an Increment (moved up to
  // the label increment), NumDateTimeSteps when none.
  int32_t DateTimeStepFor(double increment) const;
  int32_t TextSizeAcross(const std::string& text, TNuvFont* font, int32_t angle, int32_t fixedSize);
  // +1 when outward is right / down, -1 when left / up.
  int32_t OutwardSign() const;
  int32_t PositionOffset(const TRect& r) const;
  int32_t LineSize() const;
  bool TitleShown() const;
  bool LabelsShown() const;
  int32_t LabelsSpace();
  int32_t LabelsTextWidth();
  TCanvas3D* Canvas() const;
  // The edge a depth axis runs along: the bottom, or the top for the depth-top axis.
  int32_t DepthAxisY() const;
  // A depth axis' labels project by the view: the increment grows until their boxes on screen
  // stand apart.
  double SpreadDepthLabels(double increment, int32_t stepIndex);
  int32_t DepthOf(double percent) const;
  // Canvas text alignment of a label by axis side and angle.
  uint32_t LabelAlignment(int32_t angle) const;
  void DrawTextAt(int32_t x, int32_t y, int32_t z, const std::string& text, int32_t angle, uint32_t align,
                  bool exponent);
  void OutText(int32_t x, int32_t y, int32_t z, const std::string& text, bool is3D);
  // Chart questions for drawing (NvEngineAxisHost.cpp).
  int32_t WallSize() const;
  bool AxisInUse() const;
  int32_t SeriesMaxMarkWidth();
  int32_t SeriesMaxTextWidth();
  void CallGetAxisLabel(TChartSeries* series, int32_t valueIndex, std::string& text) const;

  TCustomAxisPanel* parentChart_;
  TPosFunction calcPosValue_ = &TChartAxis::LinearXPos;
  TPosFunction calcXPosValue_ = &TChartAxis::LinearXPos;
  TPosFunction calcYPosValue_ = &TChartAxis::LinearYPos;

private:
  void Changed(TObject*) { Repaint(); }
  template <class T>
  void SetProp(T& field, const T& v)
  {
    if (Store(field, v)) Repaint();
  }

  bool automatic_ = true, automaticMaximum_ = true, automaticMinimum_ = true;
  double maximum_ = 0, minimum_ = 0, increment_ = 0;
  bool logarithmic_ = false;
  double logarithmicBase_ = 10;
  bool inverted_ = false, horizontal_ = false, otherSide_ = false;
  double startPosition_ = 0, endPosition_ = 100, positionPercent_ = 0;
  TNuvUnits positionUnits_ = muPercent;
  int32_t maximumOffset_ = 0, minimumOffset_ = 0;
  double zPosition_ = 0;
  bool exactDateTime_ = true, roundFirstLabel_ = true;
  std::string dateTimeFormat_;
  std::string axisValuesFormat_ = "#,##0.###";

  bool visible_ = true;
  std::unique_ptr<TChartAxisPen> axisPen_;
  TAxisLabelStyle labelStyle_ = talAuto;
  TAxisLabelAlign labelsAlign_ = alDefault;
  bool labelsAlternate_ = false;
  int32_t labelsAngle_ = 0;
  bool labelsExponent_ = false, labelsMultiLine_ = false, labelsOnAxis_ = true;
  int32_t labelsSeparation_ = 10, labelsSize_ = 0;
  std::unique_ptr<TDarkGrayPen> ticks_, ticksInner_, minorTicks_;
  int32_t tickLength_ = 4, tickInnerLength_ = 0, minorTickLength_ = 2, minorTickCount_ = 3;
  bool tickOnLabelsOnly_ = true;
  std::unique_ptr<TAxisGridPen> grid_;
  std::unique_ptr<TChartHiddenPen> minorGrid_;
  std::unique_ptr<TChartAxisTitle> title_;
  int32_t titleSize_ = 0;
  std::unique_ptr<TAxisItems> items_;
  // Drawing state of one paint.
  int32_t labelIndex_ = 0;
  int32_t labelsSpace_ = 0;
  std::vector<double> tickValues_;
};

// The depth axes: hidden by default; Inverted is kept equal on both depth axes.
class TChartDepthAxis : public TChartAxis {
public:
  explicit TChartDepthAxis(TCustomAxisPanel* chart);
  void SetInverted(bool v) override;
  // The other depth axis of the chart (set by the panel).
  TChartDepthAxis* OtherDepthAxis = nullptr;
};
