// Series texts (marks and legend items) and sample values.
#include <algorithm>
#include <cmath>
#include <ctime>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineTexts.h"
#include "chart/model/NvEngineValues.h"

// ---- Random numbers ----

namespace {
uint32_t& RandSeed()
{
  static uint32_t seed = 0;
  return seed;
}
}  // namespace

void NuvRandomize(uint32_t seed) { RandSeed() = seed; }

int32_t TChartSeries::RandomValue(int32_t limit)
{
  uint32_t& seed = RandSeed();
  seed = seed * 0x08088405u + 1u;
  if (limit <= 0) return 0;
  return static_cast<int32_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(limit)) >> 32);
}

// ---- Texts ----

std::string TChartSeries::GetMarkValueText(int32_t valueIndex)
{
  return FormatFloat(valueFormat_, GetMarkValue(valueIndex));
}

std::string TChartSeries::GetPercentText(int32_t valueIndex, bool addTotal)
{
  const double total = mandatoryValueList_->TotalABS();
  const double percent = total == 0.0 ? 100.0 : std::fabs(GetMarkValue(valueIndex)) * 100.0 / total;
  std::string text = FormatFloat(percentFormat_, percent);
  if (addTotal) {
    const bool multiLine = marks_ && marks_->GetMultiLine();
    text = FormatMessage(multiLine ? NuvMsg_PercentOf2 : NuvMsg_PercentOf, {text, FormatFloat(valueFormat_, total)});
  }
  return text;
}

std::string TChartSeries::GetXValueText(int32_t valueIndex)
{
  const double x = GetXValue(valueIndex);
  if (TChartAxis* axis = GetHorizAxis()) {
    std::string text;
    axis->FormatValueLabel(x, text);
    return text;
  }
  return FormatFloat(valueFormat_, x);
}

std::string TChartSeries::GetMarkText(int32_t valueIndex)
{
  std::string text;
  TSeriesMarks* marks = marks_.get();
  TMarksItem* item = marks ? marks->ItemsList().Find(valueIndex) : nullptr;
  if (item && item->HasText()) {
    const std::vector<std::string>& lines = *item->GetText();
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i) text += ChartLineSeparator;
      text += lines[i];
    }
  } else if (marks) {
    auto join = [](const std::string& a, const std::string& b) { return a + " " + b; };
    const std::string label = GetXLabel(valueIndex);
    switch (marks->GetStyle()) {
      case smsValue: text = GetMarkValueText(valueIndex); break;
      case smsPercent: text = GetPercentText(valueIndex, false); break;
      case smsLabel: text = label; break;
      case smsLabelPercent: text = join(label, GetPercentText(valueIndex, false)); break;
      case smsLabelValue: text = join(label, GetMarkValueText(valueIndex)); break;
      case smsLegend:
        text = parentChart_ ? parentChart_->ValueLegendText(this, valueIndex) : std::string();
        if (!marks->GetMultiLine()) std::replace(text.begin(), text.end(), LegendColumnSeparator, ' ');
        break;
      case smsPercentTotal: text = GetPercentText(valueIndex, true); break;
      case smsLabelPercentTotal: text = join(label, GetPercentText(valueIndex, true)); break;
      case smsXValue: text = GetXValueText(valueIndex); break;
      case smsXY: text = join(GetXValueText(valueIndex), GetMarkValueText(valueIndex)); break;
    }
    if (text == " ") text.clear();
  }
  if (OnGetMarkText) OnGetMarkText(this, valueIndex, text);
  return text;
}

std::string SeriesLegendValueText(TChartSeries* series, int32_t valueIndex)
{
  const double value = series->GetMarkValue(valueIndex);
  if (series->MandatoryValueList()->GetDateTime()) return FormatDateTime(DateTimeDefaultFormat(value), value);
  return FormatFloat(series->GetValueFormat(), value);
}

std::string TChartSeries::LegendString(int32_t legendIndex, TLegendTextStyle style)
{
  const int32_t valueIndex = LegendToValueIndex(legendIndex);
  const std::string label = GetXLabel(valueIndex);
  const std::string sep(1, LegendColumnSeparator);
  auto valueText = [&] { return SeriesLegendValueText(this, valueIndex); };
  auto percentText = [&] {
    const double total = mandatoryValueList_->TotalABS();
    const double p = total == 0.0 ? 100.0 : 100.0 * GetMarkValue(valueIndex) / total;
    return FormatFloat(percentFormat_, p);
  };
  auto leftThenLabel = [&](const std::string& first) { return label.empty() ? first : first + sep + label; };
  auto labelThen = [&](const std::string& second) { return label.empty() ? second : label + sep + second; };
  switch (style) {
    case ltsPlain: return label;
    case ltsLeftValue: return leftThenLabel(valueText());
    case ltsRightValue: return labelThen(valueText());
    case ltsLeftPercent: return leftThenLabel(percentText());
    case ltsRightPercent: return labelThen(percentText());
    case ltsXValue: return GetXValueText(valueIndex);
    case ltsValue: return valueText();
    case ltsPercent: return percentText();
    case ltsXAndValue: return GetXValueText(valueIndex) + sep + valueText();
    case ltsXAndPercent: return GetXValueText(valueIndex) + sep + percentText();
  }
  return label;
}

// ---- Marks ----

void TChartSeries::DrawMarks()
{
  if (!parentChart_ || !marks_) return;
  TCanvas3D* c = parentChart_->Canvas();
  if (!c) return;
  TSeriesMarks* marks = marks_.get();
  const int32_t every = std::max<int32_t>(1, marks->GetDrawEvery());
  auto position = std::make_unique<TSeriesMarkPosition>();
  for (int32_t i = std::max<int32_t>(0, FirstValueIndex); i <= LastValueIndex && i < Count(); ++i) {
    if (i % every != 0) continue;
    const std::string text = GetMarkText(i);
    if (text.empty()) continue;
    TNuvCustomShape* item = marks->MarkItem(i);
    if (!item || !item->GetVisible()) continue;
    AssignMarkFont(parentChart_, item->GetFont());

    int32_t w = 0, h = 0;
    if (marks->GetTextFormat() == ttfHtml) {
      TSize size = HtmlTextExtent(c, text);
      w = size.cx;
      h = size.cy;
    } else {
      int32_t lines = 0;
      w = parentChart_->MultiLineTextWidth(text, lines);
      h = c->FontHeight() * lines;
    }
    w += c->TextWidth("W");
    if (marks->HasSymbol() && marks->GetSymbol()->ShouldDraw()) w += c->FontHeight() - 4;
    TChartPen* frame = item->GetPen();
    c->AssignVisiblePen(frame);
    if (frame->GetVisible()) {
      w += 2 * frame->GetWidth();
      h += 2 * frame->GetWidth();
    } else {
      ++w;
      ++h;
    }
    position->Width = w;
    position->Height = h;
    position->ArrowEnd = TPoint{CalcXPos(i), CalcYPos(i)};
    position->ArrowStart = position->ArrowEnd;
    position->TopLeft = TPoint{position->ArrowEnd.x - w / 2, position->ArrowEnd.y - h + 1};
    if (marks->HasSymbol()) {
      TSeriesMarksSymbol* symbol = marks->GetSymbol();
      const int32_t fh = c->FontHeight();
      symbol->ShapeBounds.Left = position->TopLeft.x + 2;
      symbol->ShapeBounds.Top = position->TopLeft.y + 2;
      symbol->ShapeBounds.Right = symbol->ShapeBounds.Left + fh;
      symbol->ShapeBounds.Bottom = symbol->ShapeBounds.Top + fh;
    }
    DrawMark(i, text, position.get());
  }
}

// ---- Sample values ----

int32_t TChartSeries::NumSampleValues() { return 25; }

void TChartSeries::RandomBounds(int32_t numValues, TSeriesRandomBounds& bounds)
{
  double minY = 0.0, maxY = 1000.0, minX = 0.0, maxX = 0.0;
  bool fromChart = false;
  if (parentChart_ && parentChart_->GetMaxValuesCount() > 0) {
    fromChart = true;
    minY = parentChart_->MinYValue(GetVertAxis());
    maxY = parentChart_->MaxYValue(GetVertAxis());
    minX = parentChart_->MinXValue(GetHorizAxis());
    maxX = parentChart_->MaxXValue(GetHorizAxis());
    if (maxY == minY) {
      if (minY == 0.0)
        maxY = 1000.0;
      else
        maxY = 2.0 * minY;
    }
    if (maxX == minX) {
      if (minX == 0.0)
        maxX = numValues - 1.0;
      else
        maxX = 2.0 * minX;
    }
    if (!yMandatory_) {
      std::swap(minX, minY);
      std::swap(maxX, maxY);
    }
  }
  if (!fromChart) {
    if (xValues_->GetDateTime()) {
      minX = std::floor(static_cast<double>(std::time(nullptr)) / 86400.0) + 25569.0;
      maxX = minX + numValues - 1;
    } else {
      minX = 0.0;
      maxX = numValues - 1.0;
    }
  }
  bounds.StepX = maxX - minX;
  if (numValues > 1) bounds.StepX /= (numValues - 1);
  bounds.DifY = std::clamp(maxY - minY, -2147483647.0, 2147483647.0);
  bounds.tmpY = RandomValue(100) * bounds.DifY * 0.01 + minY;
  bounds.MinY = minY;
  bounds.StartX = minX;
}

void TChartSeries::AddSampleValues(int32_t numValues, bool onlyMandatory)
{
  TSeriesRandomBounds b;
  RandomBounds(numValues, b);
  const double d = b.DifY * 0.25;
  for (int32_t i = 0; i < numValues; ++i) {
    b.tmpY = std::fabs(RandomValue(100) * d * 0.01 + b.tmpY - d * 0.5);
    if (onlyMandatory)
      Add(b.tmpY);
    else if (yMandatory_)
      AddXY(b.StartX, b.tmpY);
    else
      AddXY(b.tmpY, b.StartX);
    b.StartX += b.StepX;
  }
}

void TChartSeries::FillSampleValues(int32_t numValues)
{
  if (numValues < 0) throw ChartException(NuvMsg_FillSampleValuesNumValues);
  if (numValues == 0) numValues = NumSampleValues();
  Clear();
  NuvRandomize(static_cast<uint32_t>(RandomValue(7774444)));
  BeginUpdate();
  AddSampleValues(numValues, false);
  if (mandatoryValueList_->GetOrder() != loNone) {
    mandatoryValueList_->Sort();
    if (notMandatoryValueList_->GetValueSource().empty()) {
      notMandatoryValueList_->FillSequence();
      Repaint();
    }
  }
  EndUpdate();
  ManualData = false;
}

void TChartSeries::PrepareForGallery(bool isEnabled)
{
  FillSampleValues(4);
  if (marks_) {
    marks_->SetVisible(false);
    marks_->GetFont()->SetSize(7);
    marks_->GetCallout()->SetLength(4);
    marks_->SetDrawEvery(2);
  }
  SetColorEachPoint(false);
  if (!isEnabled) {
    SetSeriesColor(clSilver);
  } else if (parentChart_) {
    const bool first = parentChart_->SeriesCount() > 0 && parentChart_->GetSeries(0) == this;
    SetSeriesColor(parentChart_->GetDefaultColor(first ? 0 : 3));
  }
}

void TChartSeries::GalleryChanged3D(bool is3D)
{
  if (parentChart_) parentChart_->SetView3D(is3D);
}
