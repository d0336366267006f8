#include "chart/model/NvEngineSources.h"

#include <algorithm>
#include <typeinfo>
#include <unordered_set>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/ChartLegend.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineValues.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

// ---- Series source ----

TNuvSeriesSource::TNuvSeriesSource(TComponent* owner) : TComponent(owner) {}

TNuvSeriesSource::~TNuvSeriesSource()
{
  destroying_ = true;
  Close();
  if (series_) {
    series_->RemoveFreeNotification(this);
    if (series_->GetDataSource() == this) series_->InternalRemoveDataSource(this);
    series_ = nullptr;
  }
}

void TNuvSeriesSource::SetActive(bool value)
{
  if (value == active_) return;
  if (series_) {
    if (value) {
      if (!loading_) Load();
    } else if (!destroying_ && !Destroying() && !series_->Destroying() && !keepPointsOnClose_) {
      series_->Clear();
    }
  }
  active_ = value;
}

void TNuvSeriesSource::SetSeries(TChartSeries* value)
{
  if (value == series_) return;
  Close();
  TChartSeries* old = series_;
  if (old) old->RemoveFreeNotification(this);
  series_ = value;
  if (value) {
    value->FreeNotification(this);
    if (value->GetDataSource() != this) value->SetDataSource(this);
  } else if (old && old->GetDataSource() == this) {
    old->SetDataSource(nullptr);
  }
}

void TNuvSeriesSource::SeriesFreed()
{
  if (series_) series_->RemoveFreeNotification(this);
  series_ = nullptr;
  active_ = false;
}

void TNuvSeriesSource::InternalSetSeries(TChartSeries* value)
{
  if (value == series_) return;
  if (series_) series_->RemoveFreeNotification(this);
  series_ = value;
  if (series_) series_->FreeNotification(this);
}

bool TNuvSeriesSource::HasSeries(TChartSeries* series) const
{
  const auto* source = series ? series->GetDataSource() : nullptr;
  if (!source) return false;
  return typeid(*source) == typeid(*this);
}

void TNuvSeriesSource::Close()
{
  if (active_) SetActive(false);
}

void TNuvSeriesSource::Refresh()
{
  if (active_ && !loading_) Load();
}

void TNuvSeriesSource::Loaded()
{
  loading_ = false;
  Refresh();
}

void TNuvSeriesSource::Notification(TComponent* component, TOperation operation)
{
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == series_) {
    // The series is going: forget it without touching it further; nothing is left to fill.
    series_ = nullptr;
    active_ = false;
  }
}

// ---- Data sources of a series ----

std::vector<TNuvSeriesSourceClass>& NuvSeriesSourceClasses()
{
  static std::vector<TNuvSeriesSourceClass> classes;
  return classes;
}

int32_t TDataSourcesList::IndexOf(const TComponent* c) const
{
  auto it = std::find(items_.begin(), items_.end(), c);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

int32_t TDataSourcesList::Add(TComponent* source)
{
  if (!source || IndexOf(source) >= 0) return -1;
  // Validated like the series' data-source setter, without clearing the list.
  if (auto series = dynamic_cast<TChartSeries*>(source)) {
    if (owner_->GetParentChart()) {
      if (!owner_->GetParentChart()->IsValidDataSource(owner_, source))
        throw ChartException(FormatMessage(NuvMsg_NoValidDataSource, {source->GetName()}));
    } else if (series == owner_ || !series->IsValidSourceOf(owner_)) {
      throw ChartException(NuvMsg_NoParentChartValidate);
    }
    CheckCircularSeriesDependence(owner_, source);
  }
  const int32_t index = owner_->AddDataSource(source);
  owner_->CheckDataSource();
  return index;
}

void TDataSourcesList::Remove(TComponent* source)
{
  if (IndexOf(source) < 0) return;
  InternalRemove(source);
  if (auto series = dynamic_cast<TChartSeries*>(source)) series->LinkedSeries()->Remove(owner_);
  if (owner_->GetParentChart()) owner_->GetParentChart()->RemovedDataSource(owner_, source);
  owner_->CheckDataSource();
}

void TDataSourcesList::InternalRemove(TComponent* source) { std::erase(items_, source); }

void TDataSourcesList::Clear()
{
  for (TComponent* c : items_)
    if (auto series = dynamic_cast<TChartSeries*>(c)) series->LinkedSeries()->Remove(owner_);
  items_.clear();
  if (!owner_->ManualData) owner_->Clear();
}

// ---- Circular dependence ----

bool SeriesDependsOn(const TChartSeries* series, const TChartSeries* target)
{
  if (!series || !target) return false;
  // Every source of every series reached, each series once, without recursion (chains may be long).
  std::vector<const TChartSeries*> pending{series};
  std::unordered_set<const TChartSeries*> seen{series};
  while (!pending.empty()) {
    const TChartSeries* s = pending.back();
    pending.pop_back();
    if (s == target) return true;
    for (TComponent* c : s->DataSources()->Items())
      if (auto next = dynamic_cast<const TChartSeries*>(c); next && seen.insert(next).second) pending.push_back(next);
  }
  return false;
}

void CheckCircularSeriesDependence(const TChartSeries* series, const TComponent* source)
{
  auto s = dynamic_cast<const TChartSeries*>(source);
  if (s && SeriesDependsOn(s, series)) throw ChartException(NuvMsg_CircularSeries);
}

void CheckPointIndexSlack(int32_t index, int32_t count)
{
  if (int64_t{index} > int64_t{count} + MaxPointIndexSlack)
    throw ChartException(FormatMessage(NuvMsg_ListIndexOutOfBounds, {std::to_string(index)}));
}

void TLabelsList::CheckPadding(int32_t index) const
{
  CheckPointIndexSlack(index, PointCount ? PointCount() : Count());
}

std::string TLabelsList::GetLabel(int32_t index) const
{
  if (index < 0 || index >= Count() || !items_[static_cast<size_t>(index)]) return std::string();
  return *items_[static_cast<size_t>(index)];
}

bool TLabelsList::HasLabel(int32_t index) const
{
  return index >= 0 && index < Count() && items_[static_cast<size_t>(index)].has_value();
}

void TLabelsList::SetLabel(int32_t index, const std::string& text)
{
  if (index < 0) throw ERangeError("Label index out of range (" + std::to_string(index) + ")");
  CheckPadding(index);
  if (index >= Count()) {
    if (text.empty()) return;
    items_.resize(static_cast<size_t>(index) + 1);
  }
  if (text.empty())
    items_[static_cast<size_t>(index)].reset();
  else
    items_[static_cast<size_t>(index)] = text;
  if (OnChange) OnChange();
}

void TLabelsList::InsertLabel(int32_t index, const std::string& text)
{
  if (index < 0) throw ERangeError("Label index out of range (" + std::to_string(index) + ")");
  if (text.empty() && items_.empty()) return;
  CheckPadding(index);
  if (index > Count()) items_.resize(static_cast<size_t>(index));
  std::optional<std::string> slot;
  if (!text.empty()) slot = text;
  items_.insert(items_.begin() + index, std::move(slot));
}

void TLabelsList::DeleteLabel(int32_t index)
{
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TLabelsList::DeleteRange(int32_t start, int32_t count)
{
  if (start < 0 || count <= 0 || start >= Count()) return;
  const int32_t end = std::min(Count(), start + count);
  items_.erase(items_.begin() + start, items_.begin() + end);
}

void TLabelsList::Exchange(int32_t a, int32_t b)
{
  if (a < 0 || b < 0 || (a >= Count() && b >= Count())) return;
  CheckPadding(std::max(a, b));
  if (std::max(a, b) >= Count()) items_.resize(static_cast<size_t>(std::max(a, b)) + 1);
  std::swap(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]);
}

void TLabelsList::Assign(const TLabelsList& source)
{
  if (&source == this) return;
  Clear();
  for (int32_t i = 0; i < source.Count(); ++i) InsertLabel(i, source.GetLabel(i));
}

namespace {

// Every group alive, so that a freed series can leave each of them.
std::vector<TSeriesGroup*>& LiveGroups()
{
  static std::vector<TSeriesGroup*> groups;
  return groups;
}

}  // namespace

TSeriesGroup::TSeriesGroup(const std::string& name) : name_(name) { LiveGroups().push_back(this); }

TSeriesGroup::~TSeriesGroup() { std::erase(LiveGroups(), this); }

void RemoveFreedSeriesFromGroups(const TChartSeries* series)
{
  for (TSeriesGroup* g : LiveGroups()) g->Remove(series);
}

TSeriesGroupActive TSeriesGroup::GetActive() const
{
  const size_t n = series_.size();
  const size_t a = static_cast<size_t>(std::count_if(series_.begin(), series_.end(), [](TChartSeries* s) { return s->GetActive(); }));
  if (n == 0 || a == n) return gaYes;
  return a == 0 ? gaNo : gaSome;
}

void TSeriesGroup::SetActive(TSeriesGroupActive value)
{
  if (value == gaSome || value == GetActive()) return;
  for (TChartSeries* s : series_) s->SetActive(value == gaYes);
}
bool TSeriesGroup::Contains(const TChartSeries* s) const { return std::find(series_.begin(), series_.end(), s) != series_.end(); }
void TSeriesGroup::Remove(const TChartSeries* s) { std::erase(series_, s); }

TSeriesGroup* TSeriesGroups::AddGroup(const std::string& name)
{
  items_.push_back(std::make_unique<TSeriesGroup>(name));
  return items_.back().get();
}
int32_t TSeriesGroups::GroupOfSeries(const TChartSeries* series) const
{
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->Contains(series)) return static_cast<int32_t>(i);
  return -1;
}
void TSeriesGroups::RemoveSeries(const TChartSeries* series)
{
  for (auto& g : items_) g->Remove(series);
}

// ---- Naming ----

std::string SeriesTitleOrName(const TChartSeries* series)
{
  if (!series) return std::string();
  std::string title = series->GetTitle();
  if (!title.empty()) {
    for (char& c : title)
      if (c == LegendColumnSeparator) c = ' ';
    return title;
  }
  if (!series->GetName().empty()) return series->GetName();
  if (TCustomAxisPanel* chart = series->GetParentChart())
    return NuvMsg_SeriesNoName + std::to_string(chart->SeriesList()->IndexOf(series) + 1);
  return std::string();
}

void FillSeriesItems(std::vector<std::pair<std::string, TChartSeries*>>& items,
                     const std::vector<TChartSeries*>& seriesList, bool useTitles)
{
  items.clear();
  for (TChartSeries* s : seriesList) {
    // This program has no design mode: the editors list what is shown in editors.
    if (!s->ShowInEditor) continue;
    items.emplace_back(useTitles ? SeriesTitleOrName(s) : s->GetName(), s);
  }
}

// ---- Class icons ----

void DrawClassIcon(TCanvas* canvas, const TObject* instance, int32_t x, int32_t y)
{
  if (!canvas || !instance) return;
  auto bitmap = std::make_unique<TBitmap>();
  TNuvClass cls = NuvClassOfObject(instance);
  const std::string name = cls ? cls->ClassName : NuvClassName(instance);
  const std::string parent = cls ? cls->ParentClassName : std::string();
  if (!LoadClassBitmap(name, parent, bitmap.get()) || bitmap->Empty()) return;
  canvas->Draw(x, y, bitmap.get());
}

// ---- Unit start-up and shut-down ----

namespace {
int startupCount = 0;
}  // namespace

void NvEngineStartup()
{
  if (startupCount++ > 0) return;
  PixelLimit = 0x3FFFFFF;
}

void NvEngineShutdown()
{
  if (startupCount == 0 || --startupCount > 0) return;
  NuvSeriesSourceClasses().clear();
}

namespace {
struct NvEngineModule {
  NvEngineModule() { NvEngineStartup(); }
  ~NvEngineModule() { NvEngineShutdown(); }
} nvEngineModule;
}  // namespace
