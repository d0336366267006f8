// Right-click menus over legend, series and axis; the stored appearance of axes and series.
#include "chart/model/ChartMenus.h"

#include <exception>

#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartRegistry.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/model/SettingsText.h"
#include "platform/Application.h"
#include "platform/IniFiles.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"

TChartEditorServices& ChartEditorServices()
{
  static TChartEditorServices services;
  return services;
}

namespace {

std::string& SettingsFileOverride()
{
  static std::string name;
  return name;
}

// Every menu command ends a scroll that the right click started.
void CancelScroll(TCustomChart* chart)
{
  chart->ZoomPanning()->Active = false;
  chart->CancelMouse = true;
}

}  // namespace

// ---- Menus ----

TChartMenus::TChartMenus(TCustomChart* chart) : TComponent(chart), chart_(chart)
{
  legendMenu_ = new TPopupMenu(this);
  seriesMenu_ = new TPopupMenu(this);
  axisMenu_ = new TPopupMenu(this);
  for (TPopupMenu* m : {legendMenu_, seriesMenu_, axisMenu_}) m->SetAutoHotkeys(maManual);
}

TChartMenus::~TChartMenus() = default;

TChartMenus* TChartMenus::Of(TCustomChart* chart)
{
  if (!chart) return nullptr;
  for (int i = 0; i < chart->ComponentCount(); ++i)
    if (auto* m = dynamic_cast<TChartMenus*>(chart->Components(i))) return m;
  return new TChartMenus(chart);
}

void TChartMenus::Rebuild(TPopupMenu* menu, const std::vector<std::string>& captions,
                          const std::vector<bool>& checked, void (*handler)(TCustomChart*, int))
{
  // Reuse the items of the last opening; make the missing ones.
  std::vector<TMenuItem*> items;
  for (int i = 0; i < menu->Count(); ++i) items.push_back(menu->Items(i));
  menu->Clear();
  for (size_t i = 0; i < captions.size(); ++i) {
    TMenuItem* item = i < items.size() ? items[i] : new TMenuItem(this);
    item->SetCaption(captions[i]);
    item->SetChecked(i < checked.size() && checked[i]);
    TCustomChart* chart = chart_;
    item->OnClick = [chart, handler, menu](TObject* sender) {
      handler(chart, menu->IndexOf(static_cast<TMenuItem*>(sender)));
    };
    menu->Add(item);
  }
}

void TChartMenus::Pop(TPopupMenu* menu)
{
  chart_->CancelMouse = true;
  TPoint p = chart_->ClientToScreen(chart_->GetCursorPos());
  menu->Popup(p.x, p.y);
}

void TChartMenus::PopupLegendMenu()
{
  const int mode = chart_->LegendCheckMode;
  Rebuild(legendMenu_, {"Options", "Visible", "X auto", "Y auto"}, {false, mode == 0, mode == 1, mode == 2},
          &LegendMenuClick);
  Pop(legendMenu_);
}

void TChartMenus::PopupSeriesMenu(TChartSeries* series)
{
  chart_->ClickedSeries = series;
  Rebuild(seriesMenu_, {"Options", "Default"}, {}, &SeriesMenuClick);
  Pop(seriesMenu_);
}

void TChartMenus::PopupAxisMenu(TChartAxis* axis)
{
  chart_->ClickedAxis = axis;
  Rebuild(axisMenu_, {"Options", "Default"}, {}, &AxisMenuClick);
  Pop(axisMenu_);
}

// ---- Click handlers ----

void LegendMenuClick(TCustomChart* chart, int itemIndex)
{
  if (!chart) return;
  chart->CancelMouse = true;
  if (itemIndex == 0) {
    if (ChartEditorServices().EditLegend) ChartEditorServices().EditLegend(chart, chart->GetLegend());
  } else if (itemIndex >= 1 && itemIndex <= 3) {
    chart->LegendCheckMode = itemIndex - 1;
    chart->Invalidate();
  }
  CancelScroll(chart);
  if (chart->OnSeriesMenu) chart->OnSeriesMenu(chart);
}

void SeriesMenuClick(TCustomChart* chart, int itemIndex)
{
  if (!chart) return;
  chart->CancelMouse = true;
  TChartSeries* series = chart->ClickedSeries;
  // A series that left the chart since the menu opened is not edited.
  if (series && chart->SeriesList()->IndexOf(series) < 0) series = nullptr;
  if (series) {
    if (itemIndex == 0) {
      if (ChartEditorServices().EditSeries) ChartEditorServices().EditSeries(series);
    } else if (itemIndex == 1) {
      if (ChartEditorServices().SeriesFormatFromText)
        ChartEditorServices().SeriesFormatFromText(series, series->DefaultSettingsText);
    }
    if (chart->OnSeriesMenu) chart->OnSeriesMenu(series);
  }
  CancelScroll(chart);
}

void AxisMenuClick(TCustomChart* chart, int itemIndex)
{
  if (!chart) return;
  chart->CancelMouse = true;
  TChartAxis* axis = chart->ClickedAxis;
  if (axis && chart->AxesList()->IndexOf(axis) < 0) axis = nullptr;
  if (axis) {
    if (itemIndex == 0) {
      if (ChartEditorServices().EditChartAxis) ChartEditorServices().EditChartAxis(chart, axis);
    } else if (itemIndex == 1) {
      // A damaged saved text leaves the axis as it is.
      try {
        TextToAxis(*axis, axis->DefaultSettingsText, true);
      } catch (const Exception&) {
      }
    }
  }
  CancelScroll(chart);
  if (chart->OnAxisMenu) chart->OnAxisMenu(chart);
}

// ---- Stored appearance ----

void SaveAxesDefaults(TCustomChart* chart)
{
  if (!chart) return;
  for (TChartAxis* axis : {chart->GetLeftAxis(), chart->GetRightAxis(), chart->GetTopAxis(), chart->GetBottomAxis()})
    if (axis) AxisToText(*axis, axis->DefaultSettingsText);
}

std::string SeriesSettingsFileName()
{
  if (!SettingsFileOverride().empty()) return SettingsFileOverride();
  return ChangeFileExt(Application_ExeName(), ".in");
}

void SetSeriesSettingsFileName(const std::string& fileName) { SettingsFileOverride() = fileName; }

void LoadSeriesSettings(TCustomChart* chart, const std::string& name, TChartSeries* series)
{
  (void)chart;
  if (!series) return;
  // A file that cannot be read, or a text that is refused, leaves the series as built.
  try {
    std::string gallery = GetGallerySeriesName(series);
    TIniFile ini(SeriesSettingsFileName());
    std::string value = ini.ReadString("serie_" + name, "ser_" + gallery, std::string());
    if (value.empty()) return;
    if (ChartEditorServices().SeriesFormatFromText) ChartEditorServices().SeriesFormatFromText(series, value);
  } catch (const std::exception&) {
  }
}

// ---- The chart's own names for these ----

void TCustomChart::SaveAxesDefaults() { ::SaveAxesDefaults(this); }
void TCustomChart::LoadSeriesSettings(const std::string& name, TChartSeries* series)
{
  ::LoadSeriesSettings(this, name, series);
}
void TCustomChart::LegendMenuClick(int itemIndex) { ::LegendMenuClick(this, itemIndex); }
void TCustomChart::SeriesMenuClick(int itemIndex) { ::SeriesMenuClick(this, itemIndex); }
void TCustomChart::AxisMenuClick(int itemIndex) { ::AxisMenuClick(this, itemIndex); }
