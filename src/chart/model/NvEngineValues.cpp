// Value lists: ordered insertion, deletion, statistics, search, sort, the old "Multiplier".
#include "chart/model/NvEngineValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/NvEngineSeries.h"
#include "platform/MessageBox.h"

const char* const NuvMsg_ListIndexOutOfBounds = "List index out of bounds (%d)";
const char* const NuvMsg_DeleteQuantityPositive = "Quantity of data points to delete must be greater than zero.";
const char* const NuvMsg_DeleteQuantityBelowCount = "Quantity of data to delete must be less than Count.";
const char* const NuvMsg_ValueListCountNegative = "ValueList Count must be greater than zero.";
const char* const NuvMsg_MultiplierObsolete =
    "Error: Multiplier property is obsolete.\rModify NuvDefs.inc (enable Multiplier) and recompile.";

namespace {

[[noreturn]] void RaiseIndex(int32_t index)
{
  throw ChartException(FormatMessage(NuvMsg_ListIndexOutOfBounds, {std::to_string(index)}));
}

}  // namespace

// ---- Shared helpers of the unit ----

void NvEngineAssert(bool condition, const std::string& message)
{
  if (!condition) throw EAssertionFailed(message + " (NvEngine)");
}

std::string FormatMessage(const std::string& format, std::initializer_list<std::string> args)
{
  std::string out;
  auto arg = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      const char k = format[i + 1];
      if (k == '%') {
        out += '%';
        ++i;
        continue;
      }
      if ((k == 'd' || k == 's') && arg != args.end()) {
        out += *arg++;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

void TPropertyReader::DefineProperty(const std::string& name, const std::function<void(const TStreamValue&)>& readFn,
                                     const std::function<TStreamValue()>&, bool)
{
  auto it = values_.find(name);
  if (it != values_.end() && readFn) readFn(it->second);
}

void TPropertyWriter::DefineProperty(const std::string& name, const std::function<void(const TStreamValue&)>&,
                                     const std::function<TStreamValue()>& writeFn, bool hasData)
{
  if (hasData && writeFn) values_[name] = writeFn();
}

double StreamValueToDouble(const TStreamValue& value)
{
  if (const double* d = std::get_if<double>(&value)) return *d;
  if (const int64_t* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
  throw EConvertError("Invalid property value");
}

int64_t StreamValueToInteger(const TStreamValue& value)
{
  if (const int64_t* i = std::get_if<int64_t>(&value)) return *i;
  if (const double* d = std::get_if<double>(&value)) {
    if (std::isfinite(*d) && std::trunc(*d) == *d && std::fabs(*d) < 9.2e18) return static_cast<int64_t>(*d);
  }
  throw EConvertError("Invalid property value");
}

// ---- TChartValueList ----

TChartValueList::TChartValueList(TChartSeries* series, const std::string& name) : name_(name), owner_(series)
{
  StatsDirty = true;
  if (owner_) owner_->ValuesList()->Add(this);
  ClearValues();
}

TChartValueList::~TChartValueList() = default;

void TChartValueList::DefineProperties(TFiler* filer)
{
  filer->DefineProperty(
      "Multiplier", [this](const TStreamValue& v) { ReadMultiplier(StreamValueToDouble(v)); }, {}, false);
}

void TChartValueList::ReadMultiplier(double value)
{
  if (value != 1) MessageBox(NuvMsg_MultiplierObsolete, std::string(), MB_ICONSTOP | MB_TASKMODAL);
}

void TChartValueList::Assign(const TPersistent* source)
{
  if (const auto* s = dynamic_cast<const TChartValueList*>(source)) {
    order_ = s->order_;
    dateTime_ = s->dateTime_;
    valueSource_ = s->valueSource_;
    return;
  }
  TPersistent::Assign(source);
}

void TChartValueList::Grow(int32_t needed)
{
  if (needed <= Capacity()) return;
  int64_t cap = Capacity();
  while (cap < needed) cap += ValueListCapacityStep;
  value_.resize(static_cast<size_t>(cap), 0.0);
}

int32_t TChartValueList::AddChartValue(double value)
{
  TempValue = value;
  const double v = TempValue;
  const int32_t last = count_ - 1;
  bool append = order_ == loNone || last == -1;
  if (!append) {
    if (order_ == loAscending) append = value_[static_cast<size_t>(last)] <= v;
    else append = v <= value_[static_cast<size_t>(last)];
  }
  if (append) {
    Grow(count_ + 1);
    value_[static_cast<size_t>(count_)] = v;
    ++count_;
    StatsDirty = true;
    return count_ - 1;
  }
  int32_t i = last;
  if (order_ == loAscending) {
    while (i >= 0 && value_[static_cast<size_t>(i)] > v) --i;
  } else {
    while (i >= 0 && value_[static_cast<size_t>(i)] < v) --i;
  }
  InsertChartValue(i + 1, v);
  return i + 1;
}

void TChartValueList::InsertChartValue(int32_t valueIndex, double value)
{
  if (valueIndex < 0 || valueIndex > count_) RaiseIndex(valueIndex);
  Grow(count_ + 1);
  auto first = value_.begin() + valueIndex;
  std::move_backward(first, value_.begin() + count_, value_.begin() + count_ + 1);
  *first = value;
  ++count_;
  StatsDirty = true;
}

void TChartValueList::Delete(int32_t valueIndex)
{
  if (valueIndex < 0 || valueIndex >= count_) RaiseIndex(valueIndex);
  std::move(value_.begin() + valueIndex + 1, value_.begin() + count_, value_.begin() + valueIndex);
  --count_;
  StatsDirty = true;
}

void TChartValueList::DeleteRange(int32_t start, int32_t quantity)
{
  if (quantity < 1) throw ChartException(NuvMsg_DeleteQuantityPositive);
  if (start < 0) RaiseIndex(start);
  if (static_cast<int64_t>(start) + quantity - 1 >= count_) throw ChartException(NuvMsg_DeleteQuantityBelowCount);
  std::move(value_.begin() + start + quantity, value_.begin() + count_, value_.begin() + start);
  count_ -= quantity;
  StatsDirty = true;
}

void TChartValueList::ClearValues()
{
  count_ = 0;
  value_.clear();
  value_.shrink_to_fit();
  StatsDirty = true;
}

int32_t TChartValueList::Count() const
{
  if (count_ > Capacity())
    NvEngineAssert(false, "ValueList Count (" + std::to_string(count_) + ") greater than array length (" +
                              std::to_string(Capacity()) + ").");
  return count_;
}

void TChartValueList::SetCount(int32_t value)
{
  NvEngineAssert(count_ >= 0, NuvMsg_ValueListCountNegative);
  NvEngineAssert(value >= 0, NuvMsg_ValueListCountNegative);
  count_ = value;
  StatsDirty = true;
}

double TChartValueList::Value(int32_t index) const
{
  if (index < 0 || index >= Capacity()) throw ERangeError("Range check error");
  return value_[static_cast<size_t>(index)];
}

void TChartValueList::SetValue(int32_t index, double value)
{
  if (index < 0 || index >= Capacity()) throw ERangeError("Range check error");
  value_[static_cast<size_t>(index)] = value;
  StatsDirty = true;
}

void TChartValueList::RecalcStats() const
{
  if (count_ > Capacity()) count_ = Capacity();
  if (count_ < 1) {
    maxValue_ = minValue_ = total_ = totalABS_ = 0;
  } else {
    double v = value_[0];
    minValue_ = maxValue_ = total_ = v;
    totalABS_ = std::fabs(v);
    for (int32_t i = 1; i < count_; ++i) {
      v = value_[static_cast<size_t>(i)];
      if (v < minValue_) minValue_ = v;
      else if (v > maxValue_) maxValue_ = v;
      total_ += v;
      totalABS_ += std::fabs(v);
    }
  }
  StatsDirty = false;
}

double TChartValueList::MaxValue() const
{
  if (StatsDirty) RecalcStats();
  return maxValue_;
}

double TChartValueList::MinValue() const
{
  if (StatsDirty) RecalcStats();
  return minValue_;
}

double TChartValueList::Total() const
{
  if (StatsDirty) RecalcStats();
  return total_;
}

double TChartValueList::TotalABS() const
{
  if (StatsDirty) RecalcStats();
  return totalABS_;
}

double TChartValueList::Range() const
{
  if (StatsDirty) RecalcStats();
  return maxValue_ - minValue_;
}

int32_t TChartValueList::LocateInRange(double value, int32_t first, int32_t last) const
{
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  for (int32_t i = first; i <= last; ++i)
    if (value_[static_cast<size_t>(i)] == value) return i;
  return -1;
}

void TChartValueList::Exchange(int32_t index1, int32_t index2)
{
  if (index1 < 0 || index1 >= count_) RaiseIndex(index1);
  if (index2 < 0 || index2 >= count_) RaiseIndex(index2);
  std::swap(value_[static_cast<size_t>(index1)], value_[static_cast<size_t>(index2)]);
  StatsDirty = true;
  if (owner_) owner_->NotifyValue(veModify, index1);
}

void TChartValueList::FillSequence()
{
  for (int32_t i = 0; i < count_; ++i) value_[static_cast<size_t>(i)] = i;
  StatsDirty = true;
  if (owner_) owner_->NotifyValue(veModify, 0);
}

void TChartValueList::Sort()
{
  if (order_ == loNone || count_ < 2) return;
  const bool descending = order_ == loDescending;
  auto compare = [this, descending](int32_t a, int32_t b) {
    const double va = value_[static_cast<size_t>(a)], vb = value_[static_cast<size_t>(b)];
    const int r = va < vb ? -1 : (va > vb ? 1 : 0);
    return descending ? -r : r;
  };
  auto swap = [this](int32_t a, int32_t b) {
    if (owner_) owner_->ExchangeValues(a, b);
    else std::swap(value_[static_cast<size_t>(a)], value_[static_cast<size_t>(b)]);
  };
  // Linked series are told once, after the sort, rather than on every swap.
  if (owner_) ++owner_->updateCount_;
  try {
    QuickSort(0, count_ - 1, compare, swap);
  } catch (...) {
    if (owner_) --owner_->updateCount_;
    throw;
  }
  StatsDirty = true;
  if (owner_) {
    --owner_->updateCount_;
    owner_->NotifyValue(veModify, 0);
  }
}

void TChartValueList::Scroll()
{
  if (count_ < 1) return;
  std::rotate(value_.begin(), value_.begin() + 1, value_.begin() + count_);
  StatsDirty = true;
}

void TChartValueList::SetDateTime(bool value)
{
  if (owner_) owner_->SetBooleanProperty(dateTime_, value);
  else dateTime_ = value;
}

void TChartValueList::InitDateTime(bool value)
{
  dateTime_ = value;
  DefaultDateTime = value;
}

void TChartValueList::SetValueSource(const std::string& value)
{
  if (valueSource_ == value) return;
  valueSource_ = value;
  if (owner_) owner_->CheckDataSource();
}

// ---- TChartValueLists ----

TChartValueLists::~TChartValueLists() { Clear(); }

TChartValueList* TChartValueLists::GetValueList(int32_t index) const
{
  if (index < 0 || index >= Count()) throw ERangeError("Range check error");
  return items_[static_cast<size_t>(index)].get();
}

void TChartValueLists::Add(TChartValueList* list) { items_.emplace_back(list); }

int32_t TChartValueLists::IndexOf(const TChartValueList* list) const
{
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == list) return static_cast<int32_t>(i);
  return -1;
}

void TChartValueLists::Clear() { items_.clear(); }
