// The chart element, the custom series and the series base: points, colours, labels, linked
// series, data sources, axes, visible range, paging, depth, legend symbol, streaming.
#include "chart/model/NvEngineSeries.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineSources.h"
#include "chart/model/NvEngineStream.h"

std::function<std::string(TChartSeries* series)> SeriesSettingsTextWriter;
bool NuvChartSampleValues = false;

namespace {

// Restores a value when the scope ends (also on exceptions).
template <class T>
class TValueSaver {
public:
  TValueSaver(T& field, T value) : field_(field), saved_(field) { field_ = value; }
  ~TValueSaver() { field_ = saved_; }
  TValueSaver(const TValueSaver&) = delete;
  TValueSaver& operator=(const TValueSaver&) = delete;

private:
  T& field_;
  T saved_;
};

// Ends an update of a series when the scope ends.
class TSeriesUpdate {
public:
  explicit TSeriesUpdate(TChartSeries* s) : s_(s) { s_->BeginUpdate(); }
  ~TSeriesUpdate() { s_->EndUpdate(); }
  TSeriesUpdate(const TSeriesUpdate&) = delete;
  TSeriesUpdate& operator=(const TSeriesUpdate&) = delete;

private:
  TChartSeries* s_;
};

[[noreturn]] void RaiseListIndex(int32_t index)
{
  throw ChartException(FormatMessage(NuvMsg_ListIndexOutOfBounds, {std::to_string(index)}));
}

bool SameTextNoCase(const std::string& a, const std::string& b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

// ---- TCustomChartElement ----

TCustomChartElement::TCustomChartElement(TComponent* owner) : TComponent(owner)
{
  brush_ = std::make_unique<TChartBrush>([this](TObject* s) { CanvasChanged(s); });
  pen_ = CreateChartPen();
}

TCustomChartElement::~TCustomChartElement()
{
  brush_.reset();
  pen_.reset();
  TCustomChartElement::SetParentChart(nullptr);
}

void TCustomChartElement::CanvasChanged(TObject*) { Repaint(); }

void TCustomChartElement::SetActive(bool value) { SetBooleanProperty(active_, value); }

void TCustomChartElement::SetParentChart(TCustomAxisPanel* value) { parentChart_ = value; }

void TCustomChartElement::SetPen(const TChartPen* value) { pen_->Assign(value); }

void TCustomChartElement::SetBrush(const TChartBrush* value) { brush_->Assign(value); }

std::unique_ptr<TChartPen> TCustomChartElement::CreateChartPen()
{
  return std::make_unique<TChartPen>([this](TObject* s) { CanvasChanged(s); });
}

void TCustomChartElement::Assign(const TPersistent* source)
{
  if (const auto* e = dynamic_cast<const TCustomChartElement*>(source)) {
    active_ = e->active_;
    brush_->Assign(e->brush_.get());
    pen_->Assign(e->pen_.get());
    Tag = e->Tag;
    return;
  }
  TComponent::Assign(source);
}

TComponent* TCustomChartElement::GetParentComponent() const { return parentChart_; }

void TCustomChartElement::SetParentComponent(TComponent* value)
{
  if (auto* chart = dynamic_cast<TCustomAxisPanel*>(value)) SetParentChart(chart);
}

void TCustomChartElement::Repaint()
{
  if (parentChart_) parentChart_->Invalidate();
}

void TCustomChartElement::SetBooleanProperty(bool& field, bool value)
{
  if (Store(field, value)) Repaint();
}

void TCustomChartElement::SetColorProperty(TColor& field, TColor value)
{
  if (Store(field, value)) Repaint();
}

void TCustomChartElement::SetDoubleProperty(double& field, double value)
{
  if (Store(field, value)) Repaint();
}

void TCustomChartElement::SetIntegerProperty(int32_t& field, int32_t value)
{
  if (Store(field, value)) Repaint();
}

void TCustomChartElement::SetStringProperty(std::string& field, const std::string& value)
{
  if (Store(field, value)) Repaint();
}

// ---- TCustomChartSeries ----

TCustomChartSeries::TCustomChartSeries(TComponent* owner) : TCustomChartElement(owner) {}

void TCustomChartSeries::CalcHorizMargins(int32_t& leftMargin, int32_t& rightMargin)
{
  leftMargin = 0;
  rightMargin = 0;
}

void TCustomChartSeries::CalcVerticalMargins(int32_t& topMargin, int32_t& bottomMargin)
{
  topMargin = 0;
  bottomMargin = 0;
}

void TCustomChartSeries::Assign(const TPersistent* source)
{
  if (const auto* s = dynamic_cast<const TCustomChartSeries*>(source)) {
    showInLegend_ = s->showInLegend_;
    title_ = s->title_;
    style_ = s->style_;
    identifier_ = s->identifier_;
  }
  TCustomChartElement::Assign(source);
}

void TCustomChartSeries::NotifyChartChange(TChartSeriesEvent kind)
{
  if (!parentChart_) return;
  auto* series = dynamic_cast<TChartSeries*>(this);
  parentChart_->BroadcastSeriesEvent(series, kind);
  if (parentChart_->SeriesChangeRefresh) parentChart_->SeriesChangeRefresh(series);
}

void TCustomChartSeries::SetActive(bool value)
{
  TCustomChartElement::SetActive(value);
  NotifyChartChange(seChangeActive);
}

void TCustomChartSeries::SetTitle(const std::string& value)
{
  SetStringProperty(title_, value);
  NotifyChartChange(seChangeTitle);
}

void TCustomChartSeries::DefineProperties(TFiler* filer)
{
  filer->DefineProperty(
      "Identifier",
      [this](const TStreamValue& v) {
        if (const auto* s = std::get_if<std::string>(&v)) identifier_ = *s;
        else throw EConvertError("Invalid property value");
      },
      {}, false);
  filer->DefineProperty(
      "Style", [this](const TStreamValue& v) { style_ = static_cast<TChartSeriesStyle>(StreamValueToInteger(v) & 0x3F); },
      {}, false);
}

// ---- TCustomSeriesList ----

TChartSeries* TCustomSeriesList::GetSeries(int32_t index) const
{
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TCustomSeriesList::SetSeries(int32_t index, TChartSeries* series)
{
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  items_[static_cast<size_t>(index)] = series;
}

int32_t TCustomSeriesList::IndexOf(const TChartSeries* series) const
{
  auto it = std::find(items_.begin(), items_.end(), series);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

int32_t TCustomSeriesList::Add(TChartSeries* series)
{
  items_.push_back(series);
  return Count() - 1;
}

int32_t TCustomSeriesList::Remove(TChartSeries* series)
{
  const int32_t i = IndexOf(series);
  if (i >= 0) items_.erase(items_.begin() + i);
  return i;
}

void TCustomSeriesList::Delete(int32_t index)
{
  if (index < 0 || index >= Count()) RaiseListIndex(index);
  items_.erase(items_.begin() + index);
}

void TCustomSeriesList::Insert(int32_t index, TChartSeries* series)
{
  if (index < 0 || index > Count()) RaiseListIndex(index);
  items_.insert(items_.begin() + index, series);
}

void TCustomSeriesList::Exchange(int32_t index1, int32_t index2)
{
  if (index1 < 0 || index1 >= Count()) RaiseListIndex(index1);
  if (index2 < 0 || index2 >= Count()) RaiseListIndex(index2);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TCustomSeriesList::ClearValues()
{
  const std::vector<TChartSeries*> copy = items_;
  for (TChartSeries* s : copy) s->Clear();
}

// ---- TChartSeries: life ----

TChartSeries::TChartSeries(TComponent* owner) : TCustomChartSeries(owner)
{
  xValues_ = new TChartValueList(this, NuvMsg_ValuesX);
  xValues_->SetOrder(loAscending);
  yValues_ = new TChartValueList(this, NuvMsg_ValuesY);
  yMandatory_ = true;
  mandatoryValueList_ = yValues_;
  notMandatoryValueList_ = xValues_;
  valueFormat_ = NuvMsg_DefValueFormat;
  percentFormat_ = NuvMsg_DefPercentFormat;
  marks_ = std::make_unique<TSeriesMarks>(this);
  labels_ = std::make_unique<TLabelsList>([this] { Repaint(); });
  labels_->PointCount = [this] { return Count(); };
  dataSources_ = std::make_unique<TDataSourcesList>(this);
  linkedSeries_ = std::make_unique<TCustomSeriesList>();
}

TChartSeries::~TChartSeries()
{
  // Leave the chart first: its lists must not keep a half-destroyed series.
  if (parentChart_) SetParentChart(nullptr);
  destroyingSeries_ = true;
  if (function_) {
    TNuvFunction* f = function_;
    function_ = nullptr;
    RemoveFreeNotification(f);
    f->InternalSetParentSeries(nullptr);
    delete f;
  }
  // Sources this series owns go now, while the series can still answer them.
  const std::vector<TComponent*> sources = dataSources_->Items();
  for (TComponent* c : sources) {
    if (auto* src = dynamic_cast<TNuvSeriesSource*>(c)) {
      if (src->GetSeries() == this) src->SeriesFreed();
      if (src->GetOwner() == this) {
        dataSources_->InternalRemove(src);
        delete src;
        continue;
      }
      RemoveFreeNotification(src);
    }
  }
  RemoveDataSource();
  while (!dataSources_->Empty()) dataSources_->InternalRemove(dataSources_->First());
  // Series fed by this one forget it.
  const std::vector<TChartSeries*> linked = linkedSeries_->Items();
  for (TChartSeries* s : linked) {
    s->dataSources_->InternalRemove(this);
  }
  linkedSeries_->Clear();
  RemoveFreedSeriesFromGroups(this);
  Clear();
  valuesList_.Clear();
  xValues_ = yValues_ = mandatoryValueList_ = notMandatoryValueList_ = nullptr;
  colors_.reset();
  labels_.reset();
  marks_.reset();
}

// ---- Points ----

int32_t TChartSeries::Count() const { return xValues_ ? xValues_->Count() : 0; }

int32_t TChartSeries::InsertPoint(int32_t index, TColor color, const std::string& label)
{
  if (colors_) {
    colors_->insert(colors_->begin() + std::min<int32_t>(index, static_cast<int32_t>(colors_->size())), color);
  } else if (color != clDefault) {
    colors_ = std::make_unique<std::vector<TColor>>(static_cast<size_t>(std::max(Count() - 1, 0)), clDefault);
    colors_->insert(colors_->begin() + std::min<int32_t>(index, static_cast<int32_t>(colors_->size())), color);
  }
  if (!label.empty() || labels_->Count() > 0) labels_->InsertLabel(index, label);
  return index;
}

int32_t TChartSeries::AddXY(double x, double y, const std::string& label, TColor color)
{
  xValues_->TempValue = x;
  yValues_->TempValue = y;
  if (OnBeforeAdd && !OnBeforeAdd(this)) return -1;
  const int32_t index = xValues_->AddChartValue(x);
  yValues_->InsertChartValue(index, y);
  for (int32_t i = 2; i < valuesList_.Count(); ++i) {
    TChartValueList* list = valuesList_.GetValueList(i);
    list->InsertChartValue(index, list->TempValue);
  }
  InsertPoint(index, color, label);
  if (updateCount_ == 0) NotifyNewValue(this, index);
  return index;
}

int32_t TChartSeries::Add(double value, const std::string& label, TColor color)
{
  if (yMandatory_) return AddXY(xValues_->Count(), value, label, color);
  return AddXY(value, yValues_->Count(), label, color);
}

int32_t TChartSeries::AddNull(const std::string& label) { return Add(0, label, clNone); }

int32_t TChartSeries::AddNullXY(double x, double y, const std::string& label) { return AddXY(x, y, label, clNone); }

int32_t TChartSeries::AddChartValue(TChartSeries* source, int32_t valueIndex)
{
  double x = source->xValues_->Value(valueIndex);
  double y = source->yValues_->Value(valueIndex);
  if (yMandatory_ != source->yMandatory_) std::swap(x, y);
  const int32_t index = xValues_->AddChartValue(x);
  yValues_->InsertChartValue(index, y);
  for (int32_t i = 2; i < valuesList_.Count(); ++i) {
    const double v = i < source->valuesList_.Count() ? source->valuesList_.GetValueList(i)->Value(valueIndex) : 0.0;
    valuesList_.GetValueList(i)->InsertChartValue(index, v);
  }
  return index;
}

int32_t TChartSeries::AddValue(TChartSeries* source, int32_t valueIndex)
{
  const int32_t index = AddChartValue(source, valueIndex);
  // Colour and label slots are kept for every point once the lists exist, so that they stay
  // parallel to the values.
  InsertPoint(index, source->GetStoredColor(valueIndex), source->labels_->GetLabel(valueIndex));
  NotifyNewValue(this, index);
  return index;
}

void TChartSeries::NotifyNewValue(TChartSeries*, int32_t valueIndex)
{
  if (OnAfterAdd) OnAfterAdd(this, valueIndex);
  NotifyValue(veAdd, valueIndex);
  if (active_) Repaint();
}

void TChartSeries::NotifyValue(TValueEvent valueEvent, int32_t valueIndex)
{
  if (updateCount_ > 0 || !linkedSeries_) return;
  const std::vector<TChartSeries*> linked = linkedSeries_->Items();
  for (TChartSeries* s : linked) {
    if (linkedSeries_->IndexOf(s) < 0) continue;  // left during the loop
    switch (valueEvent) {
      case veClear:
        if (s->LinkedRefresh & lrOnClear) s->Clear();
        break;
      case veAdd:
        if ((s->LinkedRefresh & lrOnAdd) && !s->function_) s->AddValue(this, valueIndex);
        break;
      case veDelete:
        if ((s->LinkedRefresh & lrOnDelete) && !s->function_) s->DeletedValue(this, valueIndex);
        break;
      case veRefresh:
        s->AssignValues(this);
        break;
      case veModify:
        if (s->LinkedRefresh & lrOnModify) s->AssignValues(this);
        break;
    }
  }
}

void TChartSeries::DeletedValue(TChartSeries*, int32_t valueIndex)
{
  if (valueIndex >= 0 && valueIndex < Count()) Delete(valueIndex);
}

void TChartSeries::AssignValues(TChartSeries* source)
{
  TSeriesUpdate update(this);
  Clear();
  if (function_) {
    if (source) {
      xValues_->SetDateTime(source->xValues_->GetDateTime());
      yValues_->SetDateTime(source->yValues_->GetDateTime());
    }
    function_->AddPoints(source);
  } else if (source && source != this) {
    const int32_t n = source->Count();
    for (int32_t i = 0; i < n; ++i) AddValue(source, i);
  }
}

void TChartSeries::CopyValuesFrom(TChartSeries* source)
{
  if (!source || source == this) return;
  ClearLists();
  const int32_t n = source->Count();
  for (int32_t i = 0; i < valuesList_.Count(); ++i) {
    TChartValueList* own = valuesList_.GetValueList(i);
    std::vector<double>& values = own->ValueArray();
    values.assign(static_cast<size_t>(n), 0.0);
    if (i < source->valuesList_.Count()) {
      const std::vector<double>& theirs = source->valuesList_.GetValueList(i)->ValueArray();
      std::copy_n(theirs.begin(), std::min<size_t>(theirs.size(), static_cast<size_t>(n)), values.begin());
    }
    own->SetCount(n);
  }
  if (source->colors_) colors_ = std::make_unique<std::vector<TColor>>(*source->colors_);
  labels_->Assign(*source->labels_);
  Repaint();
}

void TChartSeries::DeleteCheck(int32_t valueIndex) const
{
  if (valueIndex < 0 || valueIndex >= Count())
    throw ChartException(
        FormatMessage(NuvMsg_SeriesDeleteOutOfBounds, {std::to_string(valueIndex), std::to_string(Count() - 1)}));
}

void TChartSeries::Delete(int32_t valueIndex)
{
  DeleteCheck(valueIndex);
  for (int32_t i = 0; i < valuesList_.Count(); ++i) valuesList_.GetValueList(i)->Delete(valueIndex);
  if (colors_ && valueIndex < static_cast<int32_t>(colors_->size())) colors_->erase(colors_->begin() + valueIndex);
  labels_->DeleteLabel(valueIndex);
  if (marks_) marks_->DeletedValue(valueIndex);
  NotifyValue(veDelete, valueIndex);
  if (active_) Repaint();
}

void TChartSeries::DeleteRange(int32_t start, int32_t quantity, bool removeGap)
{
  if (quantity < 1) throw ChartException(NuvMsg_DeleteQuantityPositive);
  if (start < 0) RaiseListIndex(start);
  if (static_cast<int64_t>(start) + quantity - 1 >= Count()) throw ChartException(NuvMsg_DeleteQuantityBelowCount);
  for (int32_t i = 0; i < valuesList_.Count(); ++i) valuesList_.GetValueList(i)->DeleteRange(start, quantity);
  if (colors_) {
    const int32_t size = static_cast<int32_t>(colors_->size());
    if (start < size) colors_->erase(colors_->begin() + start, colors_->begin() + std::min(size, start + quantity));
    if (colors_->empty()) colors_.reset();
  }
  if (start < labels_->Count()) labels_->DeleteRange(start, std::min(quantity, labels_->Count() - start));
  if (marks_) {
    TSeriesMarksPositions& positions = marks_->Positions();
    if (start < positions.Count()) positions.DeleteRange(start, std::min(quantity, positions.Count() - start));
  }
  // Linked series hear of every deleted point, the last first, each at its old index.
  for (int32_t i = start + quantity - 1; i >= start; --i) NotifyValue(veDelete, i);
  if (active_) Repaint();
  if (removeGap) notMandatoryValueList_->FillSequence();
}

void TChartSeries::Clear()
{
  FirstValueIndex = -1;
  LastValueIndex = -1;
  ClearLists();
  if (OnClearValues) OnClearValues(this);
  NotifyValue(veClear, 0);
  if (function_) function_->Clear();
  if (active_ && parentChart_ && !parentChart_->Destroying()) Repaint();
}

void TChartSeries::ClearLists()
{
  for (int32_t i = 0; i < valuesList_.Count(); ++i) valuesList_.GetValueList(i)->ClearValues();
  colors_.reset();
  if (labels_) labels_->Clear();
  if (marks_) marks_->ClearData();
}

void TChartSeries::ExchangeValues(int32_t index1, int32_t index2)
{
  // Checked on the X list first so that nothing moves on a bad index.
  if (index1 < 0 || index1 >= Count()) RaiseListIndex(index1);
  if (index2 < 0 || index2 >= Count()) RaiseListIndex(index2);
  for (int32_t i = 0; i < valuesList_.Count(); ++i) valuesList_.GetValueList(i)->Exchange(index1, index2);
  if (colors_) {
    const int32_t size = static_cast<int32_t>(colors_->size());
    if (index1 < size && index2 < size) std::swap((*colors_)[static_cast<size_t>(index1)], (*colors_)[static_cast<size_t>(index2)]);
  }
  if (labels_->Count() > 0) labels_->Exchange(index1, index2);
}

double TChartSeries::GetXValue(int32_t valueIndex) const { return xValues_->Value(valueIndex); }

double TChartSeries::GetYValue(int32_t valueIndex) const { return yValues_->Value(valueIndex); }

void TChartSeries::SetXValue(int32_t valueIndex, double value)
{
  if (valueIndex < 0 || valueIndex >= Count()) RaiseListIndex(valueIndex);
  xValues_->SetValue(valueIndex, value);
  Repaint();
}

void TChartSeries::SetYValue(int32_t valueIndex, double value)
{
  if (valueIndex < 0 || valueIndex >= yValues_->Count()) RaiseListIndex(valueIndex);
  yValues_->SetValue(valueIndex, value);
  Repaint();
}

TColor TChartSeries::GetStoredColor(int32_t valueIndex) const
{
  if (!colors_ || valueIndex < 0 || valueIndex >= static_cast<int32_t>(colors_->size())) return clDefault;
  return (*colors_)[static_cast<size_t>(valueIndex)];
}

void TChartSeries::EnsureColors()
{
  if (!colors_) colors_ = std::make_unique<std::vector<TColor>>(static_cast<size_t>(Count()), clDefault);
  else if (static_cast<int32_t>(colors_->size()) < Count()) colors_->resize(static_cast<size_t>(Count()), clDefault);
}

void TChartSeries::SetValueColor(int32_t valueIndex, TColor color)
{
  if (valueIndex < 0 || valueIndex >= Count()) RaiseListIndex(valueIndex);
  if (!colors_ && color == clDefault) {
    Repaint();
    return;
  }
  EnsureColors();
  (*colors_)[static_cast<size_t>(valueIndex)] = color;
  Repaint();
}

TColor TChartSeries::ValueColor(int32_t valueIndex)
{
  const TColor stored = GetStoredColor(valueIndex);
  if (stored != clDefault) return stored;
  if (colorEachPoint_) {
    if (parentChart_) return parentChart_->GetDefaultColor(valueIndex);
    return ::GetDefaultColor(valueIndex);
  }
  return GetSeriesColor();
}

double TChartSeries::MaxXValue() const { return xValues_->MaxValue(); }
double TChartSeries::MaxYValue() const { return yValues_->MaxValue(); }
double TChartSeries::MinXValue() const { return xValues_->MinValue(); }
double TChartSeries::MinYValue() const { return yValues_->MinValue(); }
double TChartSeries::MaxZValue() const { return GetZOrder(); }
double TChartSeries::MinZValue() const { return GetZOrder(); }

double TChartSeries::GetMarkValue(int32_t valueIndex) { return mandatoryValueList_->Value(valueIndex); }

TChartValueList* TChartSeries::ValueListByName(const std::string& name)
{
  for (int32_t i = 2; i < valuesList_.Count(); ++i) {
    TChartValueList* list = valuesList_.GetValueList(i);
    if (SameTextNoCase(list->GetName(), name)) return list;
  }
  return yValues_;
}

void TChartSeries::SetHorizontal()
{
  mandatoryValueList_ = xValues_;
  notMandatoryValueList_ = yValues_;
  yMandatory_ = false;
}

void TChartSeries::AssignProperty(TPersistent* dest, const TPersistent* source)
{
  dest->Assign(source);
  Repaint();
}

void TChartSeries::SetXValues(const TChartValueList* value) { AssignProperty(xValues_, value); }

void TChartSeries::SetYValues(const TChartValueList* value) { AssignProperty(yValues_, value); }

void TChartSeries::SetMarks(const TSeriesMarks* value) { marks_->Assign(value); }

void TChartSeries::SetMarksObject(std::unique_ptr<TSeriesMarks> marks)
{
  marks_ = std::move(marks);
  if (marks_) marks_->SetParentChart(parentChart_);
}

bool TChartSeries::IsPercentFormatStored() const { return percentFormat_ != NuvMsg_DefPercentFormat; }

bool TChartSeries::IsValueFormatStored() const { return valueFormat_ != NuvMsg_DefValueFormat; }

// ---- Colours ----

void TChartSeries::SetSeriesColor(TColor value)
{
  if (seriesColor_ == clDefault && value == paletteColor_) return;
  SetColorProperty(seriesColor_, value);
  paletteColor_ = seriesColor_;
  NotifyChartChange(seChangeColor);
}

void TChartSeries::SetColorEachPoint(bool value) { SetBooleanProperty(colorEachPoint_, value); }

void TChartSeries::SetColorSource(const std::string& value)
{
  if (colorSource_ == value) return;
  colorSource_ = value;
  CheckDataSource();
}

void TChartSeries::SetXLabelsSource(const std::string& value)
{
  if (xLabelsSource_ == value) return;
  xLabelsSource_ = value;
  CheckDataSource();
}

// ---- Updates ----

void TChartSeries::EndUpdate()
{
  if (updateCount_ > 0 && --updateCount_ == 0) RefreshSeries();
}

void TChartSeries::RefreshSeries()
{
  NotifyValue(veRefresh, 0);
  if (parentChart_) parentChart_->BroadcastSeriesEvent(this, seDataChanged);
}

void TChartSeries::CheckDataSource()
{
  if (updateCount_ == 0 && parentChart_) parentChart_->RefreshSeriesData(this);
}

void TChartSeries::SaveDefaults()
{
  if (SeriesSettingsTextWriter) DefaultSettingsText = SeriesSettingsTextWriter(this);
}

// ---- Data sources ----

TComponent* TChartSeries::GetDataSource() const { return dataSources_->First(); }

void TChartSeries::SetDataSource(TComponent* value)
{
  if (!value) {
    // Series sources bound to this series close and let it go: none refills it later.
    const std::vector<TComponent*> sources = dataSources_->Items();
    for (TComponent* c : sources)
      if (auto* src = dynamic_cast<TNuvSeriesSource*>(c); src && src->GetSeries() == this) {
        src->Close();
        src->InternalSetSeries(nullptr);
      }
    InternalRemoveDataSource(nullptr);
    return;
  }
  if (parentChart_) {
    if (!parentChart_->IsValidDataSource(this, value)) {
      std::string name = value->GetName();
      if (name.empty()) name = NuvTypeName(typeid(*value));
      throw ChartException(FormatMessage(NuvMsg_NoValidDataSource, {name}));
    }
  } else {
    auto* s = dynamic_cast<TChartSeries*>(value);
    if (!s || !IsValidSourceOf(s) || !s->IsValidSeriesSource(this)) throw ChartException(NuvMsg_NoParentChartValidate);
  }
  if (dataSources_->IndexOf(value) != -1) return;
  if (dynamic_cast<TChartSeries*>(value)) {
    if (parentChart_) parentChart_->CheckCircularDependence(this, value);
    else CheckCircularSeriesDependence(this, value);
  }
  if (!Loading) dataSources_->Clear();
  AddDataSource(value);
  CheckDataSource();
}

int32_t TChartSeries::AddDataSource(TComponent* source)
{
  if (!source) return -1;
  dataSources_->InternalAdd(source);
  const int32_t index = dataSources_->Count() - 1;
  ManualData = false;
  if (auto* s = dynamic_cast<TChartSeries*>(source)) {
    if (s->linkedSeries_->IndexOf(this) == -1) s->linkedSeries_->Add(this);
    // Out of a chart the series leaves the linked lists: it hears of a freed source this way.
    s->FreeNotification(this);
  } else {
    source->FreeNotification(this);
    if (auto* src = dynamic_cast<TNuvSeriesSource*>(source)) {
      TChartSeries* old = src->GetSeries();
      if (old && old != this) {
        const bool wasActive = src->GetActive();
        src->Close();
        old->dataSources_->InternalRemove(src);
        if (src->GetOwner() == old) src->ChangeOwner(this);
        src->InternalSetSeries(this);
        if (wasActive) src->Open();
      } else if (!old) {
        src->InternalSetSeries(this);
      }
    }
  }
  return index;
}

void TChartSeries::InternalRemoveDataSource(TComponent* source)
{
  if (destroyingSeries_) return;
  if (parentChart_ && GetDataSource()) parentChart_->RemovedDataSource(this, source);
  // A null source clears every source: "no data source" leaves none behind.
  if (!source || source == GetDataSource()) dataSources_->Clear();
  else dataSources_->InternalRemove(source);
  CheckDataSource();
}

void TChartSeries::RemoveDataSource()
{
  for (TComponent* c : dataSources_->Items())
    if (auto* s = dynamic_cast<TChartSeries*>(c)) s->linkedSeries_->Remove(this);
}

void TChartSeries::ReadDataSources(const std::vector<std::string>& names)
{
  dataSourceNames_ = std::make_unique<std::vector<std::string>>(names);
}

std::vector<std::string> TChartSeries::DataSourceNames() const
{
  std::vector<std::string> names;
  for (TComponent* c : dataSources_->Items()) names.push_back(c->GetName());
  return names;
}

void TChartSeries::Notification(TComponent* component, TOperation operation)
{
  TCustomChartSeries::Notification(component, operation);
  if (operation != TOperation::opRemove || !component) return;
  if (function_ && component == static_cast<TComponent*>(function_)) function_ = nullptr;
  if (destroyingSeries_) return;
  if (dataSources_ && dataSources_->IndexOf(component) != -1) {
    if (component == GetDataSource()) InternalRemoveDataSource(component);
    // Any other source that goes away leaves the list too (no dangling entries).
    if (dataSources_->IndexOf(component) != -1) dataSources_->InternalRemove(component);
  }
}

void TChartSeries::SetFunction(TNuvFunction* value)
{
  if (value == function_) return;
  if (function_) {
    TNuvFunction* old = function_;
    function_ = nullptr;
    RemoveFreeNotification(old);
    old->InternalSetParentSeries(nullptr);
    delete old;
  }
  function_ = value;
  if (function_) {
    if (TChartSeries* previous = function_->GetParentSeries(); previous && previous != this) previous->ReleaseFunction();
    function_->InternalSetParentSeries(this);
    ManualData = false;
    FreeNotification(function_);
  }
  CheckDataSource();
}

TNuvFunction* TChartSeries::ReleaseFunction()
{
  TNuvFunction* f = function_;
  if (f) {
    function_ = nullptr;
    RemoveFreeNotification(f);
  }
  return f;
}

// ---- Axes ----

void TChartSeries::RecalcAxes()
{
  if (!parentChart_) {
    horizAxisObj_ = vertAxisObj_ = nullptr;
    return;
  }
  if (horizAxis_ == aTopAxis) horizAxisObj_ = parentChart_->GetTopAxis();
  else if (horizAxis_ == aCustomHorizAxis && customHorizAxis_) horizAxisObj_ = customHorizAxis_;
  else horizAxisObj_ = parentChart_->GetBottomAxis();
  if (vertAxis_ == aRightAxis) vertAxisObj_ = parentChart_->GetRightAxis();
  else if (vertAxis_ == aCustomVertAxis && customVertAxis_) vertAxisObj_ = customVertAxis_;
  else vertAxisObj_ = parentChart_->GetLeftAxis();
}

void TChartSeries::SetHorizAxis(THorizAxis value)
{
  if (horizAxis_ == value) return;
  horizAxis_ = value;
  if (value != aCustomHorizAxis && !Loading) customHorizAxis_ = nullptr;
  RecalcAxes();
  Repaint();
}

void TChartSeries::SetVertAxis(TVertAxis value)
{
  if (vertAxis_ == value) return;
  vertAxis_ = value;
  if (value != aCustomVertAxis && !Loading) customVertAxis_ = nullptr;
  RecalcAxes();
  Repaint();
}

bool TChartSeries::IsForeignAxis(const TChartAxis* axis) const
{
  return axis && parentChart_ && parentChart_->AxesList()->IndexOf(axis) < 0;
}

void TChartSeries::SetCustomHorizAxis(TChartAxis* value)
{
  // A series takes custom axes only from its own chart.
  if (IsForeignAxis(value)) value = nullptr;
  customHorizAxis_ = value;
  horizAxis_ = value ? aCustomHorizAxis : aBottomAxis;
  RecalcAxes();
  Repaint();
}

void TChartSeries::SetCustomVertAxis(TChartAxis* value)
{
  if (IsForeignAxis(value)) value = nullptr;
  customVertAxis_ = value;
  vertAxis_ = value ? aCustomVertAxis : aLeftAxis;
  RecalcAxes();
  Repaint();
}

void TChartSeries::AxisRemoved(TChartAxis* axis)
{
  if (customHorizAxis_ == axis) SetCustomHorizAxis(nullptr);
  if (customVertAxis_ == axis) SetCustomVertAxis(nullptr);
  if (horizAxisObj_ == axis || vertAxisObj_ == axis) RecalcAxes();
  if (horizAxisObj_ == axis) horizAxisObj_ = nullptr;
  if (vertAxisObj_ == axis) vertAxisObj_ = nullptr;
}

bool TChartSeries::AssociatedToAxis(TChartAxis* axis)
{
  if (!UseAxis() || !axis) return false;
  if (axis->GetHorizontal()) return horizAxis_ == aBothHorizAxis || axis == horizAxisObj_;
  return vertAxis_ == aBothVertAxis || axis == vertAxisObj_;
}

TChartValueList* TChartSeries::ValueListOfAxis(TChartAxis* axis)
{
  if (!AssociatedToAxis(axis)) return nullptr;
  return axis->GetHorizontal() ? xValues_ : yValues_;
}

int32_t TChartSeries::CalcXPos(int32_t valueIndex) { return CalcXPosValue(GetXValue(valueIndex)); }

int32_t TChartSeries::CalcYPos(int32_t valueIndex) { return CalcYPosValue(GetYValue(valueIndex)); }

int32_t TChartSeries::CalcXPosValue(double value) const
{
  return horizAxisObj_ ? horizAxisObj_->CalcXPosValue(value) : 0;
}

int32_t TChartSeries::CalcYPosValue(double value) const
{
  return vertAxisObj_ ? vertAxisObj_->CalcYPosValue(value) : 0;
}

double TChartSeries::XScreenToValue(int32_t screenPos) const
{
  return horizAxisObj_ ? horizAxisObj_->PositionToValue(screenPos) : 0;
}

double TChartSeries::YScreenToValue(int32_t screenPos) const
{
  return vertAxisObj_ ? vertAxisObj_->PositionToValue(screenPos) : 0;
}

// ---- Visible range, paging, depth ----

void TChartSeries::CalcFirstLastVisibleIndex()
{
  if (!KeepFirstLast) {
    FirstValueIndex = -1;
    LastValueIndex = -1;
  }
  const int32_t n = Count();
  if (n == 0) return;
  TChartValueList* list = notMandatoryValueList_;
  TChartAxis* axis = yMandatory_ ? horizAxisObj_ : vertAxisObj_;
  if (!CalcVisiblePoints || list->GetOrder() == loNone || !axis || !parentChart_) {
    if (!KeepFirstLast) {
      FirstValueIndex = 0;
      LastValueIndex = n - 1;
    }
    return;
  }
  const TRect& r = parentChart_->ChartRect;
  int32_t minPos, maxPos;
  if (axis->GetHorizontal()) {
    minPos = axis->GetInverted() ? r.Right : r.Left;
    maxPos = axis->GetInverted() ? r.Left : r.Right;
  } else {
    minPos = axis->GetInverted() ? r.Top : r.Bottom;
    maxPos = axis->GetInverted() ? r.Bottom : r.Top;
  }
  const double minValue = axis->PositionToValue(minPos);
  const double maxValue = axis->PositionToValue(maxPos);
  int32_t first = 0;
  while (first < n && list->Value(first) < minValue) ++first;
  if (first >= n) {
    FirstValueIndex = -1;
    return;
  }
  FirstValueIndex = first;
  if (list->Value(n - 1) <= maxValue) {
    LastValueIndex = n - 1;
    return;
  }
  int32_t last = first;
  while (last < n - 1 && list->Value(last) < maxValue) ++last;
  if (!DrawPastLastVisible && list->Value(last) > maxValue) --last;
  LastValueIndex = last;
}

void TChartSeries::CalcFirstLastPage(int32_t& first, int32_t& last)
{
  const int32_t n = Count();
  if (n == 0) {
    first = last = -1;
    return;
  }
  const int32_t m = parentChart_ ? parentChart_->GetMaxPointsPerPage() : 0;
  if (m < 1) {
    first = 0;
    last = n - 1;
    return;
  }
  const int64_t page = parentChart_ ? std::max(parentChart_->GetPage(), 1) : 1;
  int64_t f = (page - 1) * m;
  if (f >= n) f = static_cast<int64_t>(std::max(0, n / m - 1)) * m;
  int64_t l = f + m - 1;
  if (l >= n) l = f + (n % m) - 1;
  // Never outside the values.
  l = std::clamp<int64_t>(l, f, n - 1);
  first = static_cast<int32_t>(f);
  last = static_cast<int32_t>(l);
}

void TChartSeries::SetZOrder(int32_t value) { SetIntegerProperty(zOrder_, value); }

void TChartSeries::CalcZOrder()
{
  if (!parentChart_) return;
  if (zOrder_ != -1) {
    parentChart_->MaxZOrder = std::max(parentChart_->MaxZOrder, zOrder_);
  } else if (!parentChart_->GetView3D()) {
    iZOrder_ = 0;
  } else {
    ++parentChart_->MaxZOrder;
    iZOrder_ = parentChart_->MaxZOrder;
  }
}

void TChartSeries::CalcDepthPositions()
{
  const int32_t perSeries = parentChart_ ? parentChart_->SeriesWidth3D : 0;
  StartZ = MulChecked(iZOrder_, perSeries);
  EndZ = AddChecked(StartZ, depth_ == -1 ? perSeries : depth_);
  MiddleZ = static_cast<int32_t>((static_cast<int64_t>(StartZ) + EndZ) / 2);
  if (marks_) marks_->ZPosition = MiddleZ;
}

bool TChartSeries::SharesZOrder()
{
  if (!parentChart_ || !parentChart_->ApplyZOrder) return false;
  for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
    TChartSeries* s = parentChart_->GetSeries(i);
    if (s != this && s->active_ && !s->HasZValues && s->GetZOrder() == GetZOrder()) return true;
  }
  return false;
}

bool TChartSeries::FirstInZOrder()
{
  if (!active_) return false;
  if (!parentChart_) return true;
  for (int32_t i = 0; i < parentChart_->SeriesCount(); ++i) {
    TChartSeries* s = parentChart_->GetSeries(i);
    if (s == this) break;
    if (s->active_ && s->GetZOrder() == GetZOrder()) return false;
  }
  return true;
}

// ---- Drawing ----

bool TChartSeries::DrawValuesForward()
{
  bool result;
  if (yMandatory_) {
    result = !horizAxisObj_ || !horizAxisObj_->GetInverted();
    if (parentChart_ && parentChart_->CalcIsViewTurned()) result = !result;
  } else {
    result = !vertAxisObj_ || !vertAxisObj_->GetInverted();
  }
  return result;
}

bool TChartSeries::DrawSeriesForward(int32_t) { return !(parentChart_ && parentChart_->CalcIsViewTurned()); }

void TChartSeries::DrawAllValues()
{
  if (FirstValueIndex < 0 || LastValueIndex < FirstValueIndex) return;
  const int32_t last = std::min(LastValueIndex, Count() - 1);
  if (DrawValuesForward()) {
    firstDrawIndex_ = FirstValueIndex;
    for (int32_t i = FirstValueIndex; i <= last; ++i) DrawValue(i);
  } else {
    firstDrawIndex_ = last;
    for (int32_t i = last; i >= FirstValueIndex; --i) DrawValue(i);
  }
}

void TChartSeries::DoBeforeDrawValues()
{
  if (BeforeDrawValues) BeforeDrawValues(this);
}

void TChartSeries::DoAfterDrawValues()
{
  if (AfterDrawValues) AfterDrawValues(this);
}

void TChartSeries::DrawMark(int32_t valueIndex, const std::string& text, TSeriesMarkPosition* position)
{
  if (marks_ && position) marks_->DrawItem(valueIndex, ValueColor(valueIndex), text, *position);
}

void TChartSeries::CreateSubGallery(const TChartSubGalleryProc& addSubChart)
{
  if (addSubChart) addSubChart(NuvMsg_GalleryNormal);
}

void TChartSeries::DrawLegendShape(int32_t, const TRect& rect)
{
  if (parentChart_) parentChart_->DrawLegendSymbolRect(this, rect);
}

void TChartSeries::DrawLegend(int32_t valueIndex, const TRect& rect)
{
  if (valueIndex == -1 && colorEachPoint_) return;
  if (!parentChart_) return;
  TCustomAxisPanel* chart = parentChart_;
  struct TAutoRepaintGuard {
    TCustomAxisPanel* c;
    bool old;
    ~TAutoRepaintGuard() { c->SetAutoRepaint(old); }
  } guard{chart, chart->GetAutoRepaint()};
  chart->SetAutoRepaint(false);
  DrawLegendInner(valueIndex, rect);
}

void TChartSeries::DrawLegendInner(int32_t valueIndex, const TRect& rect)
{
  TCustomAxisPanel* chart = parentChart_;
  TCanvas3D* canvas = chart->Canvas();
  const TColor color = valueIndex == -1 ? GetSeriesColor() : LegendItemColor(valueIndex);
  canvas->Brush()->SetColor(color);
  if (color == clNone) return;
  TColor back = chart->LegendSymbolBackColor;
  TBrushStyle style = brush_->GetStyle();
  canvas->AssignVisiblePen(pen_.get());
  PrepareLegendCanvas(valueIndex, back, style);
  if (chart->LegendSymbolPen) canvas->AssignVisiblePen(chart->LegendSymbolPen);
  if (back == clDefault) back = chart->GetColor();
  const TBrushStyle oldStyle = brush_->GetStyle();
  const bool keepPattern = brush_->HasImage() && brush_->GetImage()->GetGraphic() && !brush_->GetImage()->GetGraphic()->Empty();
  struct TStyleGuard {
    TChartBrush* b;
    TBrushStyle s;
    bool active;
    ~TStyleGuard()
    {
      if (active) b->SetStyle(s);
    }
  } guard{brush_.get(), oldStyle, !keepPattern && style != oldStyle};
  if (!keepPattern && style != oldStyle) brush_->SetStyle(style);
  chart->SetBrushCanvas(color, brush_.get(), back);
  DrawLegendShape(valueIndex, rect);
}

bool TChartSeries::CheckMouse(int32_t x, int32_t y)
{
  if (cursor_ == crDefault && !OnMouseEnter && !OnMouseLeave) return false;
  const int32_t index = Clicked(x, y);
  if (index != -1) {
    if (cursor_ != crDefault && parentChart_) parentChart_->SetCursor(cursor_);
    if (!mouseInside_) {
      mouseInside_ = true;
      if (OnMouseEnter) OnMouseEnter(this);
    }
    return true;
  }
  if (mouseInside_) {
    mouseInside_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
  }
  return false;
}

// ---- Chart membership ----

void TChartSeries::SetParentChart(TCustomAxisPanel* value)
{
  if (value == parentChart_) return;
  if (parentChart_) parentChart_->RemoveSeries(this);
  parentChart_ = value;
  if (marks_) marks_->SetParentChart(value);
  if (value) value->InternalAddSeries(this);
  else RecalcAxes();
}

void TChartSeries::AddedToChart()
{
  if (!parentChart_) return;
  if (seriesColor_ == clDefault) {
    paletteColor_ = parentChart_->GetFreeSeriesColor(true, this);
    parentChart_->BroadcastSeriesEvent(this, seChangeColor);
  }
  // Custom axes given while out of any chart stay only when they are this chart's.
  if (IsForeignAxis(customHorizAxis_)) {
    customHorizAxis_ = nullptr;
    horizAxis_ = aBottomAxis;
  }
  if (IsForeignAxis(customVertAxis_)) {
    customVertAxis_ = nullptr;
    vertAxis_ = aLeftAxis;
  }
  RecalcAxes();
  CheckDataSource();
}

void TChartSeries::RemovedFromChart()
{
  if (parentChart_ && cursor_ != crDefault && parentChart_->GetCursor() == cursor_)
    parentChart_->SetCursor(parentChart_->OldCursor);
  RemoveDataSource();
  parentChart_ = nullptr;
  if (marks_) marks_->SetParentChart(nullptr);
  // Custom axes belong to the chart left behind: the series goes back to the standard axes.
  if (customHorizAxis_ || horizAxis_ == aCustomHorizAxis) {
    customHorizAxis_ = nullptr;
    horizAxis_ = aBottomAxis;
  }
  if (customVertAxis_ || vertAxis_ == aCustomVertAxis) {
    customVertAxis_ = nullptr;
    vertAxis_ = aLeftAxis;
  }
  RecalcAxes();
}

// ---- Copy ----

void TChartSeries::Assign(const TPersistent* source)
{
  auto* s = const_cast<TChartSeries*>(dynamic_cast<const TChartSeries*>(source));
  if (!s) {
    TCustomChartSeries::Assign(source);
    return;
  }
  if (s == this) return;
  // Sources taken over must not lead back to this series; refused before anything changes.
  if (s->GetDataSource() && !s->ManualData)
    for (TComponent* c : s->dataSources_->Items()) {
      if (c == this || !dynamic_cast<TChartSeries*>(c)) continue;
      if (parentChart_) parentChart_->CheckCircularDependence(this, c);
      else CheckCircularSeriesDependence(this, c);
    }
  TCustomChartSeries::Assign(source);
  SetDataSource(nullptr);
  if (yMandatory_ == s->yMandatory_) {
    xValues_->Assign(s->xValues_);
    yValues_->Assign(s->yValues_);
  } else {
    xValues_->Assign(s->yValues_);
    yValues_->Assign(s->xValues_);
  }
  xLabelsSource_ = s->xLabelsSource_;
  colorSource_ = s->colorSource_;
  const int32_t lists = std::min(valuesList_.Count(), s->valuesList_.Count());
  for (int32_t i = 2; i < lists; ++i) valuesList_.GetValueList(i)->Assign(s->valuesList_.GetValueList(i));
  if (marks_ && s->marks_) marks_->Assign(s->marks_.get());
  seriesColor_ = s->seriesColor_;
  paletteColor_ = s->paletteColor_;
  colorEachPoint_ = s->colorEachPoint_;
  valueFormat_ = s->valueFormat_;
  percentFormat_ = s->percentFormat_;
  horizAxis_ = s->horizAxis_;
  vertAxis_ = s->vertAxis_;
  // Custom axes belong to a chart: only those of this series' chart are taken over.
  customHorizAxis_ = s->parentChart_ == parentChart_ ? s->customHorizAxis_ : nullptr;
  customVertAxis_ = s->parentChart_ == parentChart_ ? s->customVertAxis_ : nullptr;
  LinkedRefresh = s->LinkedRefresh;
  cursor_ = s->cursor_;
  depth_ = s->depth_;
  RecalcAxes();
  if (s->function_ && !function_) {
    TNuvFunction* f = s->ReleaseFunction();
    function_ = f;
    f->InternalSetParentSeries(this);
    FreeNotification(f);
  }
  ManualData = s->ManualData;
  const bool designing = false;
  if ((!s->GetDataSource() || s->ManualData) && (s->ManualData || !designing)) {
    CopyValuesFrom(s);
  } else if (s->GetDataSource() && !s->ManualData) {
    for (TComponent* c : s->dataSources_->Items()) {
      if (c != this && dataSources_->IndexOf(c) == -1) AddDataSource(c);
    }
  }
  CheckDataSource();
}

// ---- Streaming ----

namespace {
// Hands a sub-object's stored properties on under its property path ("Marks." + name).
class TPathFiler : public TFiler {
public:
  TPathFiler(TFiler* filer, std::string path) : filer_(filer), path_(std::move(path)) {}
  void DefineProperty(const std::string& name, const std::function<void(const TStreamValue&)>& readFn,
                      const std::function<TStreamValue()>& writeFn, bool hasData) override
  {
    filer_->DefineProperty(path_ + name, readFn, writeFn, hasData);
  }

private:
  TFiler* filer_;
  std::string path_;
};
}  // namespace

void TChartSeries::DefineProperties(TFiler* filer)
{
  TCustomChartSeries::DefineProperties(filer);
  filer->DefineProperty(
      "DataSources",
      [this](const TStreamValue& v) {
        const auto* names = std::get_if<std::vector<std::string>>(&v);
        if (!names) throw EConvertError("Invalid property value");
        ReadDataSources(*names);
      },
      [this]() -> TStreamValue { return DataSourceNames(); }, dataSources_->Count() > 0);
  auto customIndex = [this](TChartAxis* axis) -> int64_t {
    return parentChart_ ? parentChart_->GetCustomAxes()->IndexOf(axis) : -1;
  };
  auto readCustom = [this](const TStreamValue& v, bool horizontal) {
    const int64_t index = StreamValueToInteger(v);
    if (!parentChart_) return;
    TChartCustomAxes* axes = parentChart_->GetCustomAxes();
    if (index < 0 || index >= axes->Count()) return;
    if (horizontal) SetCustomHorizAxis(axes->GetAxis(static_cast<int32_t>(index)));
    else SetCustomVertAxis(axes->GetAxis(static_cast<int32_t>(index)));
  };
  filer->DefineProperty(
      "CustomHorizAxis", [readCustom](const TStreamValue& v) { readCustom(v, true); },
      [this, customIndex]() -> TStreamValue { return customIndex(customHorizAxis_); },
      customHorizAxis_ != nullptr && customIndex(customHorizAxis_) >= 0);
  filer->DefineProperty(
      "CustomVertAxis", [readCustom](const TStreamValue& v) { readCustom(v, false); },
      [this, customIndex]() -> TStreamValue { return customIndex(customVertAxis_); },
      customVertAxis_ != nullptr && customIndex(customVertAxis_) >= 0);
  filer->DefineProperty(
      "Data",
      [this](const TStreamValue& v) {
        const auto* block = std::get_if<std::vector<uint8_t>>(&v);
        if (!block) throw EConvertError("Invalid property value");
        ReadSeriesData(this, *block);
      },
      [this]() -> TStreamValue {
        std::vector<uint8_t> block;
        WriteSeriesData(this, block);
        return block;
      },
      IsDataStored());
  // The marks' per-point items ("Marks.Items").
  TPathFiler marks(filer, "Marks.");
  marks_->DefineProperties(&marks);
}

void TChartSeries::Loaded()
{
  if (dataSourceNames_) {
    std::unique_ptr<std::vector<std::string>> names = std::move(dataSourceNames_);
    TComponent* owner = GetOwner();
    for (const std::string& name : *names) {
      TComponent* c = owner ? owner->FindComponent(name) : nullptr;
      if (!c || c == this || dataSources_->IndexOf(c) != -1) continue;
      // A stored loop of sources would refill the series forever: such a source is left out.
      if (auto* s = dynamic_cast<TChartSeries*>(c); s && SeriesDependsOn(s, this)) continue;
      AddDataSource(c);
    }
  }
  Loading = false;
  CheckDataSource();
}
