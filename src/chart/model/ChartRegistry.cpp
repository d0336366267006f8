#include "chart/model/ChartRegistry.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/canvas/NvCanvas.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/NvEngineTools.h"

std::string NuvTypeName(const std::type_info& type)
{
  int status = 0;
  char* s = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string name = (status == 0 && s) ? s : type.name();
  std::free(s);
  const size_t colon = name.rfind("::");
  if (colon != std::string::npos) name = name.substr(colon + 2);
  return name;
}

namespace {
std::map<std::string, TNuvClass>& ClassesByName()
{
  static std::map<std::string, TNuvClass> m;
  return m;
}
std::map<std::type_index, TNuvClass>& ClassesByType()
{
  static std::map<std::type_index, TNuvClass> m;
  return m;
}
std::unique_ptr<TNuvSeriesTypes>& SeriesTypes()
{
  static std::unique_ptr<TNuvSeriesTypes> p;
  return p;
}
std::unique_ptr<TNuvToolTypes>& ToolTypes()
{
  static std::unique_ptr<TNuvToolTypes> p;
  return p;
}
}  // namespace

void RegisterNuvClass(TNuvClass cls)
{
  if (!cls) return;
  // A record that names the parent class is kept over one that does not.
  TNuvClass& byType = ClassesByType()[cls->Type];
  if (byType && (byType->ParentClassName.size() >= cls->ParentClassName.size())) return;
  byType = cls;
  ClassesByName()[cls->ClassName] = cls;
}

void UnRegisterNuvClass(TNuvClass cls)
{
  if (!cls) return;
  auto n = ClassesByName().find(cls->ClassName);
  if (n != ClassesByName().end() && n->second == cls) ClassesByName().erase(n);
  auto t = ClassesByType().find(cls->Type);
  if (t != ClassesByType().end() && t->second == cls) ClassesByType().erase(t);
}

TNuvClass FindNuvClass(const std::string& className)
{
  auto it = ClassesByName().find(className);
  return it == ClassesByName().end() ? nullptr : it->second;
}

TNuvClass NuvClassOfObject(const TObject* object)
{
  if (!object) return nullptr;
  auto it = ClassesByType().find(std::type_index(typeid(*object)));
  return it == ClassesByType().end() ? nullptr : it->second;
}

std::string NuvClassName(const TObject* object)
{
  if (!object) return std::string();
  if (TNuvClass c = NuvClassOfObject(object)) return c->ClassName;
  return NuvTypeName(typeid(*object));
}

// ---- Series and function types ----

TNuvSeriesType* TNuvSeriesTypes::FindSeriesType(TNuvSeriesClass seriesClass) const
{
  for (const auto& t : items_)
    if (seriesClass && SameNuvClass(t->SeriesClass, seriesClass) && !t->FunctionClass) return t.get();
  return nullptr;
}

TNuvSeriesTypes* NuvSeriesTypesList() { return SeriesTypes().get(); }

void RegisterNuvSeriesFunction(TNuvSeriesClass seriesClass, TNuvFunctionClass functionClass,
                               const std::string* description, const std::string* galleryPage,
                               int32_t numGallerySeries)
{
  if (!SeriesTypes()) SeriesTypes() = std::make_unique<TNuvSeriesTypes>();
  RegisterNuvClass(seriesClass);
  RegisterNuvClass(functionClass);
  TNuvSeriesTypes& list = *SeriesTypes();
  for (int32_t i = 0; i < list.Count(); ++i)
    if (SameNuvClass(list.Get(i)->SeriesClass, seriesClass) && SameNuvClass(list.Get(i)->FunctionClass, functionClass))
      return;
  auto t = std::make_unique<TNuvSeriesType>();
  t->SeriesClass = seriesClass;
  t->FunctionClass = functionClass;
  t->Description = description;
  t->GalleryPage = galleryPage;
  t->NumGallerySeries = numGallerySeries;
  list.Add(std::move(t));
}

void RegisterNuvSeries(TNuvSeriesClass seriesClass, const std::string* description, const std::string* galleryPage,
                       int32_t numGallerySeries)
{
  RegisterNuvSeriesFunction(seriesClass, nullptr, description, galleryPage, numGallerySeries);
}

void RegisterNuvBasicSeries(TNuvSeriesClass seriesClass, const std::string* description)
{
  RegisterNuvSeries(seriesClass, description, &NuvMsg_GalleryStandard, 2);
}

void RegisterNuvFunction(TNuvFunctionClass functionClass, const std::string* description,
                         const std::string* galleryPage, int32_t numGallerySeries)
{
  RegisterNuvSeriesFunction(nullptr, functionClass, description, galleryPage, numGallerySeries);
}

void RegisterNuvBasicFunction(TNuvFunctionClass functionClass, const std::string* description)
{
  RegisterNuvFunction(functionClass, description, &NuvMsg_GalleryStandard, 2);
}

void UnRegisterNuvSeriesFunction(bool bySeriesClass, TNuvClass cls)
{
  TNuvSeriesTypes* list = SeriesTypes().get();
  if (!list) return;
  int32_t i = 0;
  while (i < list->Count()) {
    const TNuvSeriesType* t = list->Get(i);
    if (cls && SameNuvClass(bySeriesClass ? t->SeriesClass : t->FunctionClass, cls))
      list->Delete(i);  // the scan goes on at the same index
    else
      ++i;
  }
}

void UnRegisterNuvSeries(const std::vector<TNuvSeriesClass>& classes)
{
  for (TNuvSeriesClass c : classes) UnRegisterNuvSeriesFunction(true, c);
}

void UnRegisterNuvFunctions(const std::vector<TNuvFunctionClass>& classes)
{
  for (TNuvFunctionClass c : classes) UnRegisterNuvSeriesFunction(false, c);
}

void GetGallerySeriesName(const TChartSeries* series, std::string& text)
{
  const TObject* obj = series;
  text.clear();
  if (!series) return;
  if (SeriesTypes())
    if (const TNuvSeriesType* t = SeriesTypes()->FindSeriesType(NuvClassOfObject(obj))) {
      text = t->GetDescription();
      return;
    }
  text = NuvClassName(obj);
}

std::string GetGallerySeriesName(const TChartSeries* series)
{
  std::string s;
  GetGallerySeriesName(series, s);
  return s;
}

// ---- Tool types ----

int32_t TNuvToolTypes::IndexOf(TNuvToolClass cls) const
{
  auto it = std::find_if(items_.begin(), items_.end(), [cls](TNuvToolClass c) { return SameNuvClass(c, cls); });
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

void TNuvToolTypes::Remove(TNuvToolClass cls)
{
  std::erase_if(items_, [cls](TNuvToolClass c) { return SameNuvClass(c, cls); });
}

TNuvToolTypes* NuvToolTypesList()
{
  if (!ToolTypes()) ToolTypes() = std::make_unique<TNuvToolTypes>();
  return ToolTypes().get();
}

void RegisterNuvTools(const std::vector<TNuvToolClass>& classes)
{
  if (!ToolTypes()) ToolTypes() = std::make_unique<TNuvToolTypes>();
  for (TNuvToolClass c : classes) {
    if (!c || ToolTypes()->IndexOf(c) >= 0) continue;
    RegisterNuvClass(c);
    ToolTypes()->Add(c);
  }
}

void UnRegisterNuvTools(const std::vector<TNuvToolClass>& classes)
{
  if (!ToolTypes()) return;
  for (TNuvToolClass c : classes) ToolTypes()->Remove(c);
}

// ---- Series creation ----

void GetNewSeriesName(const TComponent* owner, std::string& name) { name = GetUniqueComponentName(owner, "Series"); }

TNuvFunction* CreateNewNuvFunction(TChartSeries* series, TNuvFunctionClass functionClass)
{
  if (!series || !functionClass) return nullptr;
  TComponent* made = functionClass->Create(series->GetOwner());
  auto* function = dynamic_cast<TNuvFunction*>(made);
  if (!function) {
    delete made;
    throw EInvalidOperation("'" + functionClass->ClassName + "' is not a series function class");
  }
  series->SetFunction(function);
  function->SetName(GetUniqueComponentName(function->GetOwner(), "NuvFunction"));
  return function;
}

TChartSeries* CreateNewSeries(TComponent* owner, TCustomAxisPanel* chart, TNuvSeriesClass seriesClass,
                              TNuvFunctionClass functionClass)
{
  if (!seriesClass) throw EInvalidOperation("No series class");
  TComponent* o = owner ? owner : chart;
  if (chart)
    for (int32_t i = 0; i < chart->SeriesCount(); ++i)
      if (chart->GetSeries(i)->GetOwner() == chart) o = chart;
  TComponent* made = seriesClass->Create(o);
  auto* series = dynamic_cast<TChartSeries*>(made);
  if (!series) {
    delete made;
    throw EInvalidOperation("'" + seriesClass->ClassName + "' is not a series class");
  }
  std::string name;
  GetNewSeriesName(o, name);
  series->SetName(name);
  series->SetParentChart(chart);
  if (functionClass) CreateNewNuvFunction(series, functionClass);
  return series;
}

TChartSeries* CloneChartSeries(TChartSeries* series)
{
  if (!series) return nullptr;
  TNuvSeriesClass cls = NuvClassOfObject(series);
  if (!cls) throw EInvalidOperation("Series class '" + NuvClassName(series) + "' is not registered");
  TNuvFunctionClass fcls = nullptr;
  if (TNuvFunction* f = series->GetFunction()) {
    fcls = NuvClassOfObject(f);
    if (!fcls) throw EInvalidOperation("Function class '" + NuvClassName(f) + "' is not registered");
  }
  TChartSeries* copy = CreateNewSeries(series->GetOwner(), series->GetParentChart(), cls, fcls);
  copy->Assign(series);
  return copy;
}

void AssignSeries(TChartSeries*& oldSeries, TChartSeries*& newSeries)
{
  if (!oldSeries || !newSeries || oldSeries == newSeries) return;
  TChartSeries* o = oldSeries;
  TChartSeries* n = newSeries;
  n->Assign(o);
  n->AfterDrawValues = o->AfterDrawValues;
  n->BeforeDrawValues = o->BeforeDrawValues;
  n->OnAfterAdd = o->OnAfterAdd;
  n->OnBeforeAdd = o->OnBeforeAdd;
  n->OnClearValues = o->OnClearValues;
  n->OnClick = o->OnClick;
  n->OnDblClick = o->OnDblClick;
  n->OnGetMarkText = o->OnGetMarkText;
  n->OnMouseEnter = o->OnMouseEnter;
  n->OnMouseLeave = o->OnMouseLeave;
  const std::string name = o->GetName();
  TCustomAxisPanel* chart = o->GetParentChart();

  // Series that take their points from the old series take them from the new one.
  std::vector<TChartSeries*> dependants(o->LinkedSeries()->Items());
  for (TChartSeries* d : dependants) {
    TDataSourcesList* sources = d->DataSources();
    if (sources->IndexOf(n) < 0) sources->InternalAdd(n);
    n->FreeNotification(d);
    sources->InternalRemove(o);
    o->LinkedSeries()->Remove(d);
    if (n->LinkedSeries()->IndexOf(d) < 0) n->LinkedSeries()->Add(d);
  }
  if (chart) {
    for (int32_t i = 0; i < chart->Tools()->Count(); ++i)
      if (auto* t = dynamic_cast<TNuvCustomToolSeries*>(chart->Tools()->GetTool(i)); t && t->GetSeries() == o)
        t->SetSeries(n);
    // The new series takes the old one's place in the list.
    TChartSeriesList* list = chart->SeriesList();
    const int32_t oldIndex = list->IndexOf(o);
    if (oldIndex >= 0 && list->IndexOf(n) >= 0) {
      list->Remove(n);
      list->Insert(list->IndexOf(o), n);
    }
  }
  delete o;
  oldSeries = n;
  n->SetName(name);
  if (chart) chart->BroadcastSeriesEvent(n, seChangeTitle);
  n->CheckDataSource();
}

void ChangeSeriesType(TChartSeries*& series, TNuvSeriesClass newClass)
{
  if (!series || !newClass || std::type_index(typeid(*series)) == newClass->Type) return;
  TChartSeries* made = CreateNewSeries(series->GetOwner(), series->GetParentChart(), newClass, nullptr);
  AssignSeries(series, made);
}

void PaintSeriesLegend(TChartSeries* series, TCanvas* canvas, const TRect& rect, TCustomAxisPanel* chart)
{
  if (!series || !canvas) return;
  TCustomAxisPanel* own = series->GetParentChart();
  std::unique_ptr<TChart> temporary;
  if (!own) {
    if (!chart) {
      temporary = std::make_unique<TChart>(nullptr);
      chart = temporary.get();
    }
    series->SetParentChart(chart);
  }
  TCustomAxisPanel* host = series->GetParentChart();
  auto* full = dynamic_cast<TCustomChart*>(host);
  // The parent chart goes back (and a temporary chart away) also when drawing raises.
  struct Restore {
    TChartSeries* series;
    TCustomAxisPanel* own;
    TNuvCanvas* chartCanvas = nullptr;
    TCanvas* oldReference = nullptr;
    TCustomAxisPanel* host;
    TChartPen* oldSymbolPen;
    ~Restore()
    {
      if (chartCanvas) chartCanvas->AttachCanvas(oldReference);
      host->LegendSymbolPen = oldSymbolPen;
      if (!own) series->SetParentChart(nullptr);
    }
  } restore{series, own, nullptr, nullptr, host, host->LegendSymbolPen};

  canvas->Brush()->SetStyle(bsSolid);
  if (full) {
    canvas->Brush()->SetColor(full->GetLegend()->GetColor());
    TLegendSymbol* symbol = full->GetLegend()->GetSymbol();
    host->LegendSymbolPen = symbol->GetDefaultPen() ? nullptr : symbol->GetPen();
  }
  TCanvas3D* chartCanvas = host->Canvas();
  if (chartCanvas && !chartCanvas->SupportsFullRotation()) {
    restore.chartCanvas = chartCanvas;
    restore.oldReference = chartCanvas->GetReferenceCanvas();
    chartCanvas->AttachCanvas(canvas);
  }
  series->DrawLegend(-1, rect);
}

void ChartRegistryStartup()
{
  if (!ToolTypes()) ToolTypes() = std::make_unique<TNuvToolTypes>();
}

void ChartRegistryShutdown()
{
  SeriesTypes().reset();
  ToolTypes().reset();
}
