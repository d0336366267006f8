#pragma once
// Type registries of the chart model: the registered series and function types (galleries and
// editors are built from them, and their descriptions name series types in stored settings), the
// registered tool types, and the routines that create, clone, replace and name series by class.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "platform/Classes.h"
#include "platform/Types.h"

class TCanvas;
class TChartSeries;
class TCustomAxisPanel;
class TNuvFunction;
class TNuvCustomTool;

// ---- Class references ----
// What a class reference of the object model carries: the class name, its parent class's name
// (bitmap resources fall back to it), its run-time type and a constructor taking the owner.
struct TNuvClassInfo {
  std::string ClassName;
  std::string ParentClassName;
  std::type_index Type;
  std::function<TComponent*(TComponent* owner)> Create;
};
using TNuvClass = const TNuvClassInfo*;

// The readable name of a run-time type ("TPointSeries").
std::string NuvTypeName(const std::type_info& type);

template <class P>
std::string NuvParentClassName()
{
  if constexpr (std::is_void_v<P>)
    return std::string();
  else
    return NuvTypeName(typeid(P));
}

// The one record of class T (Parent names its parent class; void for none). T must be
// constructible from its owner.
template <class T, class Parent = void>
TNuvClass NuvClassOf()
{
  static const TNuvClassInfo info{NuvTypeName(typeid(T)), NuvParentClassName<Parent>(), std::type_index(typeid(T)),
                                  [](TComponent* owner) -> TComponent* { return new T(owner); }};
  return &info;
}

// Two references to one class (records made with and without a parent name compare equal).
inline bool SameNuvClass(TNuvClass a, TNuvClass b) { return a == b || (a && b && a->Type == b->Type); }

// The class of an object: its registered record when its class was registered for streaming,
// else nullptr.
TNuvClass NuvClassOfObject(const TObject* object);
// The class name of an object (registered or not).
std::string NuvClassName(const TObject* object);
// The streaming registry by class name (the platform's class registration).
void RegisterNuvClass(TNuvClass cls);
void UnRegisterNuvClass(TNuvClass cls);
TNuvClass FindNuvClass(const std::string& className);

using TNuvSeriesClass = TNuvClass;
using TNuvFunctionClass = TNuvClass;
using TNuvToolClass = TNuvClass;

// ---- Series and function types ----
// One registered type. Description and GalleryPage point at message strings, so the texts follow
// the message table.
struct TNuvSeriesType {
  TNuvSeriesClass SeriesClass = nullptr;
  TNuvFunctionClass FunctionClass = nullptr;
  const std::string* Description = nullptr;
  const std::string* GalleryPage = nullptr;
  int32_t NumGallerySeries = 1;
  std::string GetDescription() const { return Description ? *Description : std::string(); }
};

class TNuvSeriesTypes {
public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TNuvSeriesType* Get(int32_t index) const { return items_.at(static_cast<size_t>(index)).get(); }
  // The first record of SeriesClass without a function class; nullptr when absent.
  TNuvSeriesType* FindSeriesType(TNuvSeriesClass seriesClass) const;
  void Clear() { items_.clear(); }
  void Add(std::unique_ptr<TNuvSeriesType> t) { items_.push_back(std::move(t)); }
  void Delete(int32_t index) { items_.erase(items_.begin() + index); }

private:
  std::vector<std::unique_ptr<TNuvSeriesType>> items_;
};

// The global registry; nullptr until the first registration.
TNuvSeriesTypes* NuvSeriesTypesList();

void RegisterNuvSeriesFunction(TNuvSeriesClass seriesClass, TNuvFunctionClass functionClass,
                               const std::string* description, const std::string* galleryPage,
                               int32_t numGallerySeries);
void RegisterNuvSeries(TNuvSeriesClass seriesClass, const std::string* description, const std::string* galleryPage,
                       int32_t numGallerySeries);
void RegisterNuvBasicSeries(TNuvSeriesClass seriesClass, const std::string* description);
void RegisterNuvFunction(TNuvFunctionClass functionClass, const std::string* description,
                         const std::string* galleryPage, int32_t numGallerySeries);
void RegisterNuvBasicFunction(TNuvFunctionClass functionClass, const std::string* description);
void UnRegisterNuvSeriesFunction(bool bySeriesClass, TNuvClass cls);
void UnRegisterNuvSeries(const std::vector<TNuvSeriesClass>& classes);
void UnRegisterNuvFunctions(const std::vector<TNuvFunctionClass>& classes);

// The description of the series' registered type, else its class name.
void GetGallerySeriesName(const TChartSeries* series, std::string& text);
std::string GetGallerySeriesName(const TChartSeries* series);

// ---- Tool types ----
class TNuvToolTypes {
public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TNuvToolClass GetToolClass(int32_t index) const { return items_.at(static_cast<size_t>(index)); }
  int32_t IndexOf(TNuvToolClass cls) const;
  void Add(TNuvToolClass cls) { items_.push_back(cls); }
  void Remove(TNuvToolClass cls);

private:
  std::vector<TNuvToolClass> items_;
};

// The tool registry (made on first use, as at module start-up).
TNuvToolTypes* NuvToolTypesList();
void RegisterNuvTools(const std::vector<TNuvToolClass>& classes);
void UnRegisterNuvTools(const std::vector<TNuvToolClass>& classes);

// ---- Series creation ----
// The first free name "Series<n>" among Owner's components.
void GetNewSeriesName(const TComponent* owner, std::string& name);
TNuvFunction* CreateNewNuvFunction(TChartSeries* series, TNuvFunctionClass functionClass);
TChartSeries* CreateNewSeries(TComponent* owner, TCustomAxisPanel* chart, TNuvSeriesClass seriesClass,
                              TNuvFunctionClass functionClass);
TChartSeries* CloneChartSeries(TChartSeries* series);
// NewSeries takes OldSeries' place (settings, sources, dependants, tools, list position, name);
// OldSeries is freed and set to NewSeries.
void AssignSeries(TChartSeries*& oldSeries, TChartSeries*& newSeries);
void ChangeSeriesType(TChartSeries*& series, TNuvSeriesClass newClass);

// The legend symbol of a series on any canvas; a series without chart borrows Chart, or a
// temporary chart, for the call.
void PaintSeriesLegend(TChartSeries* series, TCanvas* canvas, const TRect& rect, TCustomAxisPanel* chart);

void ChartRegistryStartup();
void ChartRegistryShutdown();
