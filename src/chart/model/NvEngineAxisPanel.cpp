// The axis panel: series management, axis ranges from the series, paging, data sources, colours.
// The drawing phases are in NvEngineAxisPanelDraw.cpp.
#include "chart/model/NvEngineAxisPanel.h"

#include <algorithm>
#include <cmath>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSources.h"
#include "chart/model/NvEngineTools.h"
#include "platform/Printers.h"

// ---- TChartSeriesList ----

TChartSeriesList::TChartSeriesList(TCustomAxisPanel* owner) : owner_(owner), groups_(std::make_unique<TSeriesGroups>()) {}

TChartSeriesList::~TChartSeriesList() = default;

bool TChartSeriesList::AllActive() const
{
  return std::all_of(items_.begin(), items_.end(), [](const TChartSeries* s) { return s->GetActive(); });
}

void TChartSeriesList::SetAllActive(bool value)
{
  const std::vector<TChartSeries*> copy = items_;
  for (TChartSeries* s : copy) s->SetActive(value);
}

// ---- TChartAxes ----

TChartAxes::~TChartAxes() { Clear(); }

TChartAxis* TChartAxes::GetAxis(int32_t index) const
{
  if (index < 0 || index >= Count())
    throw ChartException(FormatMessage(NuvMsg_ListIndexOutOfBounds, {std::to_string(index)}));
  return items_[static_cast<size_t>(index)].get();
}

int32_t TChartAxes::IndexOf(const TChartAxis* axis) const
{
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == axis) return static_cast<int32_t>(i);
  return -1;
}

void TChartAxes::Add(TChartAxis* axis)
{
  if (axis && IndexOf(axis) == -1) items_.emplace_back(axis);
}

void TChartAxes::Remove(TChartAxis* axis)
{
  const int32_t i = IndexOf(axis);
  if (i < 0) return;
  // The six standard axes live as long as their chart.
  if (owner_ && (axis == owner_->GetBottomAxis() || axis == owner_->GetTopAxis() || axis == owner_->GetLeftAxis() ||
                 axis == owner_->GetRightAxis() || axis == owner_->GetDepthAxis() || axis == owner_->GetDepthTopAxis()))
    return;
  std::unique_ptr<TChartAxis> owned = std::move(items_[static_cast<size_t>(i)]);
  items_.erase(items_.begin() + i);
  if (owner_) owner_->AxisFreed(axis);
}

void TChartAxes::SetFastCalc(bool v)
{
  if (fastCalc_ == v) return;
  fastCalc_ = v;
  for (const auto& axis : items_) axis->SetValueToPositionFunction();
}

void TChartAxes::Clear()
{
  while (!items_.empty()) {
    std::unique_ptr<TChartAxis> owned = std::move(items_.back());
    items_.pop_back();
  }
}

// ---- TChartCustomAxes ----

TChartAxis* TChartCustomAxes::GetAxis(int32_t index) const
{
  if (index < 0 || index >= Count())
    throw ChartException(FormatMessage(NuvMsg_ListIndexOutOfBounds, {std::to_string(index)}));
  return items_[static_cast<size_t>(index)];
}

int32_t TChartCustomAxes::IndexOf(const TChartAxis* axis) const
{
  auto it = std::find(items_.begin(), items_.end(), axis);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

TChartAxis* TChartCustomAxes::Add(bool horizontal)
{
  auto axis = std::make_unique<TChartAxis>(owner_);
  axis->SetHorizontal(horizontal);
  TChartAxis* raw = axis.release();
  owner_->AxesList()->Add(raw);
  items_.push_back(raw);
  owner_->Invalidate();
  return raw;
}

void TChartCustomAxes::Delete(int32_t index)
{
  TChartAxis* axis = GetAxis(index);
  items_.erase(items_.begin() + index);
  owner_->AxesList()->Remove(axis);  // frees it and tells series and tools
  owner_->Invalidate();
}

void TChartCustomAxes::Clear()
{
  while (!items_.empty()) Delete(Count() - 1);
}

void TChartCustomAxes::Assign(const TChartCustomAxes& source)
{
  if (&source == this) return;
  Clear();
  for (TChartAxis* a : source.items_) Add(a->GetHorizontal())->Assign(a);
}

// ---- TChartTools ----

TChartTools::~TChartTools() { Clear(); }

int32_t TChartTools::IndexOf(const TNuvCustomTool* tool) const
{
  auto it = std::find(items_.begin(), items_.end(), tool);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

TNuvCustomTool* TChartTools::Add(TNuvCustomTool* tool)
{
  if (tool) tool->SetParentChart(owner_);
  return tool;
}

void TChartTools::InternalAdd(TNuvCustomTool* tool)
{
  if (tool && IndexOf(tool) == -1) items_.push_back(tool);
}

void TChartTools::InternalRemove(TNuvCustomTool* tool)
{
  const int32_t i = IndexOf(tool);
  if (i >= 0) items_.erase(items_.begin() + i);
}

void TChartTools::Clear()
{
  while (!items_.empty()) {
    TNuvCustomTool* tool = items_.back();
    items_.pop_back();
    delete tool;  // a tool leaves the list in its destructor; it is gone from it already
  }
}

// ---- TCustomAxisPanel: life ----

TCustomAxisPanel::TCustomAxisPanel(TComponent* owner) : TCustomNuvPanelExtended(owner)
{
  tools_ = std::make_unique<TChartTools>(this);
  seriesList_ = std::make_unique<TChartSeriesList>(this);
  axes_ = std::make_unique<TChartAxes>(this);
  customAxes_ = std::make_unique<TChartCustomAxes>(this);

  auto make = [this](std::unique_ptr<TChartAxis> a) {
    TChartAxis* raw = a.release();
    axes_->Add(raw);
    return raw;
  };
  bottomAxis_ = make(std::make_unique<TChartAxis>(this));
  bottomAxis_->SetHorizontal(true);
  topAxis_ = make(std::make_unique<TChartAxis>(this));
  topAxis_->SetHorizontal(true);
  topAxis_->SetOtherSide(true);
  topAxis_->SetEndPosition(100);
  leftAxis_ = make(std::make_unique<TChartAxis>(this));
  leftAxis_->GetTitle()->DefaultAngle = 90;
  leftAxis_->GetTitle()->SetAngle(90);
  rightAxis_ = make(std::make_unique<TChartAxis>(this));
  rightAxis_->SetOtherSide(true);
  rightAxis_->GetTitle()->DefaultAngle = 270;
  rightAxis_->GetTitle()->SetAngle(270);
  rightAxis_->SetEndPosition(100);
  auto depth = std::make_unique<TChartDepthAxis>(this);
  depthAxis_ = depth.get();
  make(std::move(depth));
  auto depthTop = std::make_unique<TChartDepthAxis>(this);
  depthTopAxis_ = depthTop.get();
  make(std::move(depthTop));
  depthTopAxis_->SetOtherSide(true);
  depthAxis_->OtherDepthAxis = depthTopAxis_;
  depthTopAxis_->OtherDepthAxis = depthAxis_;
}

TCustomAxisPanel::~TCustomAxisPanel()
{
  // Nothing is broadcast while the chart comes apart; tools go first: they may point at axes and
  // series.
  SeriesEventsOff = true;
  axisLinks_.clear();
  tools_->Clear();
  FreeAllSeries();
  customAxes_.reset();
  axes_->Clear();
  bottomAxis_ = topAxis_ = leftAxis_ = rightAxis_ = nullptr;
  depthAxis_ = depthTopAxis_ = nullptr;
  axes_.reset();
  seriesList_.reset();
}

void TCustomAxisPanel::Assign(const TPersistent* source)
{
  if (const auto* p = dynamic_cast<const TCustomAxisPanel*>(source)) {
    chart3DPercent_ = p->chart3DPercent_;
    axisBehind_ = p->axisBehind_;
    axisVisible_ = p->axisVisible_;
    bottomAxis_->Assign(p->bottomAxis_);
    topAxis_->Assign(p->topAxis_);
    leftAxis_->Assign(p->leftAxis_);
    rightAxis_->Assign(p->rightAxis_);
    depthAxis_->Assign(p->depthAxis_);
    depthTopAxis_->Assign(p->depthTopAxis_);
    customAxes_->Assign(*p->customAxes_);
    clipPoints_ = p->clipPoints_;
    colorPalette_ = p->colorPalette_;
    maxPointsPerPage_ = p->maxPointsPerPage_;
    page_ = p->page_;
    scaleLastPage_ = p->scaleLastPage_;
    view3DWalls_ = p->view3DWalls_;
  }
  TCustomNuvPanelExtended::Assign(source);
}

void TCustomAxisPanel::SetBottomAxis(const TChartAxis* value) { bottomAxis_->Assign(value); }
void TCustomAxisPanel::SetTopAxis(const TChartAxis* value) { topAxis_->Assign(value); }
void TCustomAxisPanel::SetLeftAxis(const TChartAxis* value) { leftAxis_->Assign(value); }
void TCustomAxisPanel::SetRightAxis(const TChartAxis* value) { rightAxis_->Assign(value); }
void TCustomAxisPanel::SetDepthAxis(const TChartAxis* value) { depthAxis_->Assign(value); }
void TCustomAxisPanel::SetDepthTopAxis(const TChartAxis* value) { depthTopAxis_->Assign(value); }

void TCustomAxisPanel::AxisFreed(TChartAxis* axis)
{
  for (TChartSeries* s : seriesList_->Items()) s->AxisRemoved(axis);
  for (int32_t i = 0; i < tools_->Count(); ++i)
    if (auto* t = dynamic_cast<TNuvCustomToolAxis*>(tools_->GetTool(i))) t->AxisRemoved(axis);
  std::erase_if(axisLinks_, [axis](const auto& link) { return link.first == axis || link.second == axis; });
}

bool TCustomAxisPanel::LinkCustomAxis(TChartAxis* custom, TChartAxis* master)
{
  if (!custom || !master || custom == master || customAxes_->IndexOf(custom) < 0 || axes_->IndexOf(master) < 0)
    return false;
  for (const TChartAxis* a = master; a; a = LinkedMaster(a))
    if (a == custom) return false;
  UnlinkCustomAxis(custom);
  axisLinks_.emplace_back(custom, master);
  return true;
}

void TCustomAxisPanel::UnlinkCustomAxis(TChartAxis* custom)
{
  std::erase_if(axisLinks_, [custom](const auto& link) { return link.first == custom; });
}

TChartAxis* TCustomAxisPanel::LinkedMaster(const TChartAxis* custom) const
{
  for (const auto& [follower, master] : axisLinks_)
    if (follower == custom) return master;
  return nullptr;
}

std::vector<TChartAxis*> TCustomAxisPanel::LinkedCustomAxes(const TChartAxis* master) const
{
  std::vector<TChartAxis*> result;
  for (const auto& [follower, m] : axisLinks_)
    if (m == master) result.push_back(follower);
  return result;
}

// ---- Series ----

TChartSeries* TCustomAxisPanel::AddSeries(TChartSeries* series)
{
  if (series) series->SetParentChart(this);
  return series;
}

TChartSeries* TCustomAxisPanel::AddNewSeries(const TChartSeriesClass& seriesClass)
{
  if (!seriesClass) return nullptr;
  TChartSeries* s = seriesClass(GetOwner());
  return AddSeries(s);
}

void TCustomAxisPanel::InternalAddSeries(TChartSeries* series)
{
  if (!series || seriesList_->IndexOf(series) != -1) return;
  series->parentChart_ = this;
  series->AddedToChart();
  seriesList_->Add(series);
  BroadcastSeriesEvent(series, seAdd);
  Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* series)
{
  const int32_t i = seriesList_->IndexOf(series);
  if (i < 0) return;
  BroadcastSeriesEvent(series, seRemove);
  series->RemovedFromChart();
  seriesList_->Remove(series);
  seriesList_->Groups()->RemoveSeries(series);
  Invalidate();
}

void TCustomAxisPanel::RemoveSeries(int32_t index) { RemoveSeries(seriesList_->GetSeries(index)); }

void TCustomAxisPanel::FreeAllSeries(const std::function<bool(TChartSeries*)>& match)
{
  const std::vector<TChartSeries*> copy = seriesList_->Items();
  for (TChartSeries* s : copy) {
    // A series freed with an earlier one (its owner) has left the list already.
    if (seriesList_->IndexOf(s) < 0) continue;
    if (match && !match(s)) continue;
    s->SetParentChart(nullptr);
    delete s;
  }
}

void TCustomAxisPanel::ExchangeSeries(int32_t index1, int32_t index2)
{
  TChartSeries* s1 = seriesList_->GetSeries(index1);
  TChartSeries* s2 = seriesList_->GetSeries(index2);
  seriesList_->Exchange(index1, index2);
  TSeriesGroups* groups = seriesList_->Groups();
  const int32_t g = groups->GroupOfSeries(s1);
  if (g >= 0 && groups->GetGroup(g)->Contains(s2)) {
    std::vector<TChartSeries*> list = groups->GetGroup(g)->GetSeries();
    auto a = std::find(list.begin(), list.end(), s1), b = std::find(list.begin(), list.end(), s2);
    std::iter_swap(a, b);
    groups->GetGroup(g)->SetSeries(list);
  }
  BroadcastSeriesEvent(nullptr, seSwap);
  Invalidate();
}

void TCustomAxisPanel::ExchangeSeriesObjects(TChartSeries* series1, TChartSeries* series2)
{
  ExchangeSeries(seriesList_->IndexOf(series1), seriesList_->IndexOf(series2));
}

int32_t TCustomAxisPanel::CountActiveSeries() const
{
  return static_cast<int32_t>(std::count_if(seriesList_->Items().begin(), seriesList_->Items().end(),
                                            [](const TChartSeries* s) { return s->GetActive(); }));
}

int32_t TCustomAxisPanel::GetMaxValuesCount() const
{
  int32_t result = 0;
  for (const TChartSeries* s : seriesList_->Items())
    if (s->GetActive()) result = std::max(result, s->Count());
  return result;
}

TChartSeries* TCustomAxisPanel::SeriesLegend(int32_t index, bool onlyActive)
{
  const int32_t mode = GetLegendCheckMode();
  int32_t n = 0;
  for (TChartSeries* s : seriesList_->Items()) {
    if (!s->GetShowInLegend()) continue;
    bool pass;
    if (mode == 1) pass = !(onlyActive && s->XAutoExcluded);
    else if (mode == 2) pass = !(onlyActive && s->YAutoExcluded);
    else pass = s->GetActive() || !onlyActive;
    if (!pass) continue;
    if (n == index) return s;
    ++n;
  }
  return nullptr;
}

std::string TCustomAxisPanel::SeriesTitleLegend(int32_t index, bool onlyActive)
{
  TChartSeries* s = SeriesLegend(index, onlyActive);
  return s ? SeriesTitleOrName(s) : std::string();
}

void TCustomAxisPanel::BroadcastSeriesEvent(TChartSeries* series, TChartSeriesEvent kind)
{
  if (SeriesEventsOff) return;
  TNuvSeriesEvent event;
  event.Sender = this;
  event.Event = kind;
  event.Series = series;
  BroadcastEvent(&event);
}

bool TCustomAxisPanel::CheckMouseSeries(int32_t x, int32_t y)
{
  bool result = false;
  for (int32_t i = SeriesCount() - 1; i >= 0; --i) {
    if (i >= SeriesCount()) continue;
    TChartSeries* s = GetSeries(i);
    if (s->GetActive() && s->CheckMouse(x, y)) result = true;
  }
  return result;
}

std::vector<TComponent*> TCustomAxisPanel::GetChildren() const
{
  std::vector<TComponent*> result;
  for (TChartSeries* s : seriesList_->Items())
    if (!s->InternalUse) result.push_back(s);
  return result;
}

// ---- Axes and their ranges ----

TChartSeries* TCustomAxisPanel::GetAxisSeries(TChartAxis* axis)
{
  TChartSeries* any = nullptr;
  for (TChartSeries* s : seriesList_->Items()) {
    if (!s->AssociatedToAxis(axis)) continue;
    if (s->GetActive()) return s;
    if (!any) any = s;
  }
  return any;
}

TChartSeries* TCustomAxisPanel::GetAxisSeriesMaxPoints(TChartAxis* axis)
{
  const bool all = NoActiveSeries(axis);
  TChartSeries* result = nullptr;
  for (TChartSeries* s : seriesList_->Items()) {
    if (!(all || s->GetActive()) || !s->AssociatedToAxis(axis)) continue;
    if (!result || s->Count() > result->Count()) result = s;
  }
  return result;
}

bool TCustomAxisPanel::NoActiveSeries(TChartAxis* axis)
{
  for (TChartSeries* s : seriesList_->Items())
    if (s->GetActive() && s->AssociatedToAxis(axis)) return false;
  return true;
}

bool TCustomAxisPanel::AxisHasSeries(TChartAxis* axis, bool defaultValue)
{
  for (TChartSeries* s : seriesList_->Items()) {
    if (!s->GetActive()) continue;
    if (!s->UseAxis()) return false;
    if (s->AssociatedToAxis(axis)) return true;
  }
  return defaultValue;
}

bool TCustomAxisPanel::IsAxisVisible(TChartAxis* axis)
{
  if (!axisVisible_ || !axis || !axis->GetVisible()) return false;
  if (axis->IsDepthAxis) return GetView3D();
  return AxisHasSeries(axis, true);
}

double TCustomAxisPanel::InternalMinMax(TChartAxis* axis, bool isMin, bool isX)
{
  if (!axis) return 0;
  const std::vector<TChartSeries*>& series = seriesList_->Items();
  if (axis->IsDepthAxis) {
    if (CountActiveSeries() == 0) return 0;
    if (axis->CalcLabelStyle() != talValue) return isMin ? -0.5 : MaxZOrder + 0.5;
    bool first = true;
    double result = 0;
    for (TChartSeries* s : series) {
      if (!s->GetActive()) continue;
      const double v = isMin ? s->MinZValue() : s->MaxZValue();
      if (first || (isMin ? v < result : v > result)) result = v;
      first = false;
    }
    return result;
  }

  // Paging: the paged dimension is X unless the axis' first series is horizontal.
  if (maxPointsPerPage_ > 0) {
    TChartSeries* axisSeries = GetAxisSeries(axis);
    const bool pagedIsX = !axisSeries || axisSeries->YMandatory();
    if (isX == pagedIsX) {
      TChartSeries* s = GetAxisSeriesMaxPoints(axis);
      if (!s || s->Count() == 0) return 0;
      int32_t first, last;
      s->CalcFirstLastPage(first, last);
      TChartValueList* list = isX ? s->XValues() : s->YValues();
      if (isMin) return list->Value(first);
      double maximum = list->Value(last);
      const int32_t n = last - first + 1;
      if (!scaleLastPage_ && n < maxPointsPerPage_) {
        const double v0 = list->Value(first);
        maximum = maximum == v0 ? v0 + static_cast<double>(maxPointsPerPage_) / n
                                : v0 + maxPointsPerPage_ * (maximum - v0) / n;
      }
      return maximum;
    }
  }

  const bool allSeries = NoActiveSeries(axis);
  bool found = false;
  double result = 0;
  for (TChartSeries* s : series) {
    if (!(s->GetActive() || allSeries) || s->Count() == 0) continue;
    if (isX ? s->XAutoExcluded : s->YAutoExcluded) continue;
    bool uses;
    if (isX) uses = s->GetHorizAxisKind() == aBothHorizAxis || s->GetHorizAxis() == axis;
    else uses = s->GetVertAxisKind() == aBothVertAxis || s->GetVertAxis() == axis;
    if (!uses) continue;
    const double v = isX ? (isMin ? s->MinXValue() : s->MaxXValue()) : (isMin ? s->MinYValue() : s->MaxYValue());
    if (!found || (isMin ? v < result : v > result)) result = v;
    found = true;
  }
  return result;
}

int32_t TCustomAxisPanel::MultiLineTextWidth(const std::string& text, int32_t& numLines)
{
  numLines = 0;
  if (text.empty()) return 0;
  int32_t widest = 0;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(ChartLineSeparator, start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    ++numLines;
    widest = std::max(widest, Canvas()->TextWidth(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return widest;
}

int32_t TCustomAxisPanel::MaxTextWidth()
{
  int32_t result = 0;
  for (TChartSeries* s : seriesList_->Items()) {
    TLabelsList* labels = s->Labels();
    for (int32_t i = 0; i < labels->Count(); ++i) {
      int32_t lines;
      result = std::max(result, MultiLineTextWidth(labels->GetLabel(i), lines));
    }
  }
  return result;
}

int32_t TCustomAxisPanel::MaxMarkWidth()
{
  int32_t result = 0;
  for (TChartSeries* s : seriesList_->Items()) {
    if (!s->GetActive() || !s->GetMarks()) continue;
    for (int32_t i = 0; i < s->Count(); ++i) result = std::max(result, s->GetMarks()->TextWidth(i));
  }
  return result;
}

// ---- Paging ----

int32_t TCustomAxisPanel::NumPages()
{
  if (maxPointsPerPage_ <= 0 || SeriesCount() == 0) return 1;
  auto axisPages = [this](TChartAxis* axis) {
    int32_t p = 0;
    for (TChartSeries* s : seriesList_->Items())
      if (s->GetActive() && s->AssociatedToAxis(axis)) p = std::max(p, s->Count());
    if (p < 1) return 1;
    return p / maxPointsPerPage_ + (p % maxPointsPerPage_ ? 1 : 0);
  };
  if (!GetSeries(0)->YMandatory()) return std::max(axisPages(rightAxis_), axisPages(leftAxis_));
  return std::max(axisPages(bottomAxis_), axisPages(topAxis_));
}

void TCustomAxisPanel::SetPage(int32_t value)
{
  value = std::max(1, std::min(value, NumPages()));
  if (value == page_) return;
  page_ = value;
  Invalidate();
  TChartChangePage event;
  event.Sender = this;
  BroadcastEvent(&event);
  if (OnPageChange) OnPageChange(this);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int32_t value)
{
  if (value < 0) throw ChartException(NuvMsg_MaxPointsPerPage);
  if (value == maxPointsPerPage_) return;
  maxPointsPerPage_ = value;
  Invalidate();
  if (page_ > NumPages()) page_ = NumPages();
  TChartChangePage event;
  event.Sender = this;
  BroadcastEvent(&event);
}

void TCustomAxisPanel::PrintPages(int32_t fromPage, int32_t toPage)
{
  if (toPage == 0) toPage = NumPages();
  if (fromPage == 0) fromPage = 1;
  const int32_t oldPage = page_;
  TPrinter* printer = Printer();
  if (!GetName().empty()) printer->SetTitle(GetName());
  struct TPageRestore {
    TCustomAxisPanel* p;
    int32_t page;
    ~TPageRestore() { p->SetPage(page); }
  } restore{this, oldPage};
  printer->BeginDoc();
  try {
    for (int32_t page = fromPage; page <= toPage; ++page) {
      if (page > fromPage) printer->NewPage();
      SetPage(page);
      PrintPartial(CalcPrintRect());
    }
  } catch (...) {
    printer->Abort();
    throw;
  }
  printer->EndDoc();
}

// ---- Data sources and colours ----

bool TCustomAxisPanel::IsValidDataSource(TChartSeries* series, TComponent* component)
{
  if (!series || !component) return false;
  if (auto* s = dynamic_cast<TChartSeries*>(component)) return series->IsValidSourceOf(s) && s->IsValidSeriesSource(series);
  if (auto* src = dynamic_cast<TNuvSeriesSource*>(component)) return src->Available(this);
  return false;
}

void TCustomAxisPanel::CheckCircularDependence(TChartSeries* series, TComponent* source)
{
  if (!source) return;
  if (source == series) throw ChartException(NuvMsg_CircularSeries);
  CheckCircularSeriesDependence(series, source);
}

void TCustomAxisPanel::RefreshSeriesData(TChartSeries* series)
{
  if (!series || series->Loading) return;
  TComponent* source = series->GetDataSource();
  if (auto* s = dynamic_cast<TChartSeries*>(source)) {
    series->AssignValues(s);
  } else if (auto* src = dynamic_cast<TNuvSeriesSource*>(source)) {
    src->Refresh();
  } else if (!source && !series->GetFunction()) {
    if (!series->ManualData && (Designing() || NuvChartSampleValues)) series->FillSampleValues(0);
  } else if (series->GetFunction() && series->GetFunction()->GetRefillOnRefresh()) {
    series->BeginUpdate();
    struct TEnd {
      TChartSeries* s;
      ~TEnd() { s->EndUpdate(); }
    } end{series};
    series->Clear();
    series->GetFunction()->AddPoints(dynamic_cast<TChartSeries*>(source));
  }
}

void TCustomAxisPanel::RemovedDataSource(TChartSeries* series, TComponent* component)
{
  auto* src = dynamic_cast<TNuvSeriesSource*>(component);
  if (src && series && component == series->GetDataSource() && src->GetSeries() == series) src->InternalSetSeries(nullptr);
}

TColor TCustomAxisPanel::GetDefaultColor(int32_t index) const
{
  if (!colorPalette_.empty()) {
    const int32_t n = static_cast<int32_t>(colorPalette_.size());
    return colorPalette_[static_cast<size_t>(((index % n) + n) % n)];
  }
  return ::GetDefaultColor(index);
}

TColor TCustomAxisPanel::GetFreeSeriesColor(bool checkBackground, TChartSeries* series)
{
  const int32_t n = static_cast<int32_t>(colorPalette_.empty() ? DefaultPalette.size() : colorPalette_.size());
  if (n <= 0) return clDefault;
  for (int32_t i = 0; i < n - 1; ++i) {
    const TColor c = GetDefaultColor(i);
    if (IsFreeSeriesColor(c, checkBackground, series)) return c;
  }
  return GetDefaultColor(n - 1);
}

void TCustomAxisPanel::AssignSeriesColors()
{
  for (TChartSeries* s : seriesList_->Items())
    if (s->GetStoredSeriesColor() == clDefault) s->SetPaletteColor(GetFreeSeriesColor(true, s));
}

void TCustomAxisPanel::SetChart3DPercent(int32_t value)
{
  if (value < 1 || value > 100) throw Exception(FormatMessage(NuvMsg_Chart3DPercent, {"1", "100"}));
  SetIntegerProperty(chart3DPercent_, value);
}

// ---- Tools ----

void TCustomAxisPanel::BroadcastToolEvent(TChartToolEvent kind)
{
  for (int32_t i = 0; i < tools_->Count(); ++i) {
    TNuvCustomTool* t = tools_->GetTool(i);
    if (t->GetActive()) t->ChartEvent(kind);
  }
}

void TCustomAxisPanel::BroadcastToolMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift,
                                               int32_t x, int32_t y)
{
  for (int32_t i = 0; i < tools_->Count(); ++i) {
    TNuvCustomTool* t = tools_->GetTool(i);
    if (t->GetActive()) t->ChartMouseEvent(kind, button, shift, x, y);
  }
}

void TCustomAxisPanel::MouseLeave()
{
  TCustomNuvPanelExtended::MouseLeave();
  BroadcastToolEvent(cteMouseLeave);
}
