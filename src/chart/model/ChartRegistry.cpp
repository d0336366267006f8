#include "chart/model/ChartRegistry.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "chart/canvas/NuvConst.h"

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
  ClassesByName()[cls->ClassName] = cls;
  ClassesByType()[cls->Type] = cls;
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

TNuvSeriesType* TNuvSeriesTypes::FindSeriesType(TChartSeriesClass seriesClass) const
{
  for (const auto& t : items_)
    if (t->SeriesClass == seriesClass && !t->FunctionClass) return t.get();
  return nullptr;
}

TNuvSeriesTypes* NuvSeriesTypesList() { return SeriesTypes().get(); }

void RegisterNuvSeriesFunction(TChartSeriesClass seriesClass, TNuvFunctionClass functionClass,
                               const std::string* description, const std::string* galleryPage,
                               int32_t numGallerySeries)
{
  if (!SeriesTypes()) SeriesTypes() = std::make_unique<TNuvSeriesTypes>();
  RegisterNuvClass(seriesClass);
  RegisterNuvClass(functionClass);
  TNuvSeriesTypes& list = *SeriesTypes();
  for (int32_t i = 0; i < list.Count(); ++i)
    if (list.Get(i)->SeriesClass == seriesClass && list.Get(i)->FunctionClass == functionClass) return;
  auto t = std::make_unique<TNuvSeriesType>();
  t->SeriesClass = seriesClass;
  t->FunctionClass = functionClass;
  t->Description = description;
  t->GalleryPage = galleryPage;
  t->NumGallerySeries = numGallerySeries;
  list.Add(std::move(t));
}

void RegisterNuvSeries(TChartSeriesClass seriesClass, const std::string* description, const std::string* galleryPage,
                       int32_t numGallerySeries)
{
  RegisterNuvSeriesFunction(seriesClass, nullptr, description, galleryPage, numGallerySeries);
}

void RegisterNuvBasicSeries(TChartSeriesClass seriesClass, const std::string* description)
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
    if ((bySeriesClass ? t->SeriesClass : t->FunctionClass) == cls)
      list->Delete(i);  // the scan goes on at the same index
    else
      ++i;
  }
}

void UnRegisterNuvSeries(const std::vector<TChartSeriesClass>& classes)
{
  for (TChartSeriesClass c : classes) UnRegisterNuvSeriesFunction(true, c);
}

void UnRegisterNuvFunctions(const std::vector<TNuvFunctionClass>& classes)
{
  for (TNuvFunctionClass c : classes) UnRegisterNuvSeriesFunction(false, c);
}

void GetGallerySeriesName(const TChartSeries* series, std::string& text)
{
  const TObject* obj = reinterpret_cast<const TObject*>(series);
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
  auto it = std::find(items_.begin(), items_.end(), cls);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

void TNuvToolTypes::Remove(TNuvToolClass cls) { std::erase(items_, cls); }

TNuvToolTypes* NuvToolTypesList() { return ToolTypes().get(); }

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

// ---- Series creation (completed with the series base) ----

void GetNewSeriesName(const TComponent*, std::string& name) { name.clear(); }
TNuvFunction* CreateNewNuvFunction(TChartSeries*, TNuvFunctionClass) { return nullptr; }
TChartSeries* CreateNewSeries(TComponent*, TCustomAxisPanel*, TChartSeriesClass, TNuvFunctionClass) { return nullptr; }
TChartSeries* CloneChartSeries(TChartSeries*) { return nullptr; }
void AssignSeries(TChartSeries*&, TChartSeries*&) {}
void ChangeSeriesType(TChartSeries*&, TChartSeriesClass) {}
void PaintSeriesLegend(TChartSeries*, TCanvas*, const TRect&, TCustomAxisPanel*) {}

void ChartRegistryStartup()
{
  if (!ToolTypes()) ToolTypes() = std::make_unique<TNuvToolTypes>();
}

void ChartRegistryShutdown()
{
  SeriesTypes().reset();
  ToolTypes().reset();
}
