#include "chart/model/NvEngineSources.h"

#include <algorithm>

TNuvSeriesSource::TNuvSeriesSource(TComponent* owner) : TComponent(owner) {}
TNuvSeriesSource::~TNuvSeriesSource() = default;
void TNuvSeriesSource::SetActive(bool value) { active_ = value; }
void TNuvSeriesSource::SetSeries(TChartSeries* value) { series_ = value; }
void TNuvSeriesSource::InternalSetSeries(TChartSeries* value) { series_ = value; }
bool TNuvSeriesSource::HasSeries(TChartSeries*) const { return false; }
void TNuvSeriesSource::Close() {}
void TNuvSeriesSource::Refresh() {}
void TNuvSeriesSource::Loaded() {}
void TNuvSeriesSource::Notification(TComponent* component, TOperation operation) { TComponent::Notification(component, operation); }

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
int32_t TDataSourcesList::Add(TComponent* source) { items_.push_back(source); return Count() - 1; }
void TDataSourcesList::Remove(TComponent* source) { InternalRemove(source); }
void TDataSourcesList::InternalRemove(TComponent* source) { std::erase(items_, source); }
void TDataSourcesList::Clear() { items_.clear(); }

bool SeriesDependsOn(const TChartSeries*, const TChartSeries*) { return false; }
void CheckCircularSeriesDependence(const TChartSeries*, const TComponent*) {}

std::string TLabelsList::GetLabel(int32_t) const { return std::string(); }
bool TLabelsList::HasLabel(int32_t) const { return false; }
void TLabelsList::SetLabel(int32_t, const std::string&) {}
void TLabelsList::InsertLabel(int32_t, const std::string&) {}
void TLabelsList::DeleteLabel(int32_t) {}
void TLabelsList::DeleteRange(int32_t, int32_t) {}
void TLabelsList::Exchange(int32_t, int32_t) {}
void TLabelsList::Assign(const TLabelsList& source) { items_ = source.items_; }

TSeriesGroupActive TSeriesGroup::GetActive() const { return gaYes; }
void TSeriesGroup::SetActive(TSeriesGroupActive) {}
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

std::string SeriesTitleOrName(const TChartSeries*) { return std::string(); }
void FillSeriesItems(std::vector<std::pair<std::string, TChartSeries*>>& items, const std::vector<TChartSeries*>&, bool) { items.clear(); }
void DrawClassIcon(TCanvas*, const TObject*, int32_t, int32_t) {}
