#pragma once
// Small companions of the series: the base of components that fill a series from outside
// (TNuvSeriesSource), the series' list of data sources, the sparse list of point labels, named
// groups of series, the routines that name series for editors and the class-icon routine.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Classes.h"

class TCanvas;
class TChartSeries;
class TCustomAxisPanel;
class TStrings;

// ---- Series source ----
class TNuvSeriesSource : public TComponent {
public:
  explicit TNuvSeriesSource(TComponent* owner = nullptr);
  ~TNuvSeriesSource() override;

  bool GetActive() const { return active_; }
  // Activating (not while loading) loads; deactivating clears the series' points unless the
  // source or the series is being destroyed or KeepPointsOnClose is set.
  virtual void SetActive(bool value);
  bool GetKeepPointsOnClose() const { return keepPointsOnClose_; }
  void SetKeepPointsOnClose(bool v) { keepPointsOnClose_ = v; }
  TChartSeries* GetSeries() const { return series_; }
  void SetSeries(TChartSeries* value);
  // Called by the series when it drops or takes this source, without further calls.
  void InternalSetSeries(TChartSeries* value);
  // The bound series is being freed: the source forgets it and becomes inactive without
  // touching it.
  void SeriesFreed();

  // May this kind of source serve Chart.
  virtual bool Available(TCustomAxisPanel* chart) const { (void)chart; return true; }
  virtual std::string Description() const { return std::string(); }
  virtual std::string EditorClass() const { return std::string(); }
  virtual bool QueryFlag() const { return false; }
  // True when the series' data source is a source of the same class.
  virtual bool HasSeries(TChartSeries* series) const;
  virtual void Close();
  virtual void Load() {}
  virtual void Open() { SetActive(true); }
  void Refresh();
  // The end of loading from a stream.
  virtual void Loaded();
  bool Loading() const { return loading_; }
  void SetLoading(bool v) { loading_ = v; }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  bool active_ = false;
  bool keepPointsOnClose_ = false;
  TChartSeries* series_ = nullptr;
  bool loading_ = false;
  bool destroying_ = false;  // the destructor runs (before the component's own flag is set)
};

// Registered source classes (the series editor asks each whether it serves a series).
struct TNuvSeriesSourceClass {
  std::string ClassName;
  std::function<bool(TCustomAxisPanel* chart)> Available;
};
std::vector<TNuvSeriesSourceClass>& NuvSeriesSourceClasses();

// ---- Data sources of a series ----
// The components a series takes its points from: series or series sources. Not owned.
class TDataSourcesList {
public:
  explicit TDataSourcesList(TChartSeries* owner) : owner_(owner) {}
  TChartSeries* Owner() const { return owner_; }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  TComponent* Get(int32_t index) const { return items_.at(static_cast<size_t>(index)); }
  TComponent* First() const { return items_.empty() ? nullptr : items_.front(); }
  int32_t IndexOf(const TComponent* c) const;
  const std::vector<TComponent*>& Items() const { return items_; }
  // Through the series' data-source setter, without clearing the list.
  int32_t Add(TComponent* source);
  // Stores the entry only (the series' AddDataSource does the rest).
  void InternalAdd(TComponent* source) { items_.push_back(source); }
  // Removes the entry and tells the series.
  void Remove(TComponent* source);
  // Removes the entry only.
  void InternalRemove(TComponent* source);
  // Takes the series off its source series' linked lists, empties the list and, unless the
  // series has ManualData, clears its points.
  void Clear();

private:
  TChartSeries* owner_;
  std::vector<TComponent*> items_;
};

// Every series Series depends on, directly or through any of its sources, reaches Target. Follows
// all sources of every series, each series once, so no chain recurses forever.
bool SeriesDependsOn(const TChartSeries* series, const TChartSeries* target);
// Raises ChartException "Circular Series dependences are not allowed" when making Source a data
// source of Series would close a loop.
void CheckCircularSeriesDependence(const TChartSeries* series, const TComponent* source);

// ---- Point indexes ----
// Per-point lists (labels, mark items, mark positions) pad up to an index at most this far past
// the point count; an index beyond is refused, so that one bad index cannot claim gigabytes.
constexpr int32_t MaxPointIndexSlack = 1000;
// ChartException "List index out of bounds (%d)" when index lies more than MaxPointIndexSlack
// past count.
void CheckPointIndexSlack(int32_t index, int32_t count);

// ---- Point labels ----
// One optional label per point; the list may be shorter than the point count.
class TLabelsList {
public:
  TLabelsList() = default;
  explicit TLabelsList(std::function<void()> onChange) : OnChange(std::move(onChange)) {}
  std::function<void()> OnChange;  // the series repaints
  // The owner series' point count. SetLabel, InsertLabel and Exchange refuse an index more than
  // MaxPointIndexSlack past it, or past the list's own count when the list has no series.
  std::function<int32_t()> PointCount;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  // Empty text beyond the list or for an empty slot.
  std::string GetLabel(int32_t index) const;
  bool HasLabel(int32_t index) const;
  void SetLabel(int32_t index, const std::string& text);
  void InsertLabel(int32_t index, const std::string& text);
  void DeleteLabel(int32_t index);
  void DeleteRange(int32_t start, int32_t count);
  void Exchange(int32_t a, int32_t b);
  void Assign(const TLabelsList& source);
  void Clear() { items_.clear(); }

private:
  void CheckPadding(int32_t index) const;
  std::vector<std::optional<std::string>> items_;
};

// ---- Series groups ----
enum TSeriesGroupActive : uint8_t { gaYes, gaNo, gaSome };

// Every group drops a series that is freed (RemoveFreedSeriesFromGroups).
class TSeriesGroup {
public:
  explicit TSeriesGroup(const std::string& name = std::string());
  ~TSeriesGroup();
  TSeriesGroup(const TSeriesGroup&) = delete;
  TSeriesGroup& operator=(const TSeriesGroup&) = delete;
  TSeriesGroupActive GetActive() const;
  // gaSome and the current value are ignored; gaYes / gaNo set every series' Active.
  void SetActive(TSeriesGroupActive value);
  const std::string& GetName() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  const std::vector<TChartSeries*>& GetSeries() const { return series_; }
  void SetSeries(const std::vector<TChartSeries*>& v) { series_ = v; }
  void Add(TChartSeries* s) { series_.push_back(s); }
  bool Contains(const TChartSeries* s) const;
  void Remove(const TChartSeries* s);

private:
  std::string name_;
  std::vector<TChartSeries*> series_;
};

class TSeriesGroups {
public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TSeriesGroup* GetGroup(int32_t index) const { return items_.at(static_cast<size_t>(index)).get(); }
  TSeriesGroup* AddGroup(const std::string& name);
  // Index of the first group holding Series, -1 when none.
  int32_t GroupOfSeries(const TChartSeries* series) const;
  // A series leaving the chart leaves every group.
  void RemoveSeries(const TChartSeries* series);
  void Clear() { items_.clear(); }

private:
  std::vector<std::unique_ptr<TSeriesGroup>> items_;
};

// A series is freed: every live group, in a chart or not, drops it.
void RemoveFreedSeriesFromGroups(const TChartSeries* series);

// ---- Naming ----
// Title with legend column separators as blanks; else the component name; else "Series" + the
// 1-based index in its chart.
std::string SeriesTitleOrName(const TChartSeries* series);
// One entry per series listed by the editors: text and series.
void FillSeriesItems(std::vector<std::pair<std::string, TChartSeries*>>& items,
                     const std::vector<TChartSeries*>& seriesList, bool useTitles);

// The icon bitmap of the object's class (else of its parent class) at (X, Y) in its own size.
void DrawClassIcon(TCanvas* canvas, const TObject* instance, int32_t x, int32_t y);

// Unit start-up and shut-down, counted so that each runs once: start-up sets the largest screen
// coordinate of axis positions (0x3FFFFFF); shut-down frees the series-source class list.
void NvEngineStartup();
void NvEngineShutdown();
