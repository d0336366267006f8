#pragma once
// The chart's right-click menus (opened by a right click with Shift held) over the legend, a
// series and an axis, and the stored appearance they restore: the axes' saved settings texts
// (SaveAxesDefaults) and a series' appearance read from the ".in" file beside the program
// (LoadSeriesSettings).
//
// Each chart keeps one menu object per kind, made on first use, owned by the chart and rebuilt in
// place each time it opens, so repeated right clicks never pile menus up.
//
// The dialogs the menus open live in the chart editor, above this library; the editor installs
// them in ChartEditorServices() (InstallChartEditorServices in chart/editor/ChartEditor.h). Without
// them "Options" does nothing.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Classes.h"

class TCustomChart;
class TCustomChartLegend;
class TChartSeries;
class TChartAxis;
class TPopupMenu;

// What the menus and the chart's legend click call in the chart editor.
struct TChartEditorServices {
  // The series editor on a series (the chart editor showing only that series' page).
  std::function<void(TChartSeries* series)> EditSeries;
  // The axis editor of an axis of the chart.
  std::function<void(TCustomChart* chart, TChartAxis* axis)> EditChartAxis;
  // The legend options dialog: created, captioned "Legend options", shown modally and freed.
  std::function<void(TCustomChart* chart, TCustomChartLegend* legend)> EditLegend;
  // Applies a series appearance settings text (false when the text does not fit the series).
  std::function<bool(TChartSeries* series, const std::string& text)> SeriesFormatFromText;
};
TChartEditorServices& ChartEditorServices();

// The three menus of one chart (a component owned by the chart).
class TChartMenus : public TComponent {
public:
  explicit TChartMenus(TCustomChart* chart);
  ~TChartMenus() override;
  // The chart's menus, made on first ask.
  static TChartMenus* Of(TCustomChart* chart);

  TPopupMenu* LegendMenu() const { return legendMenu_; }
  TPopupMenu* SeriesMenu() const { return seriesMenu_; }
  TPopupMenu* AxisMenu() const { return axisMenu_; }

  // Build the menu and pop it up at the mouse cursor's screen position (CancelMouse is set first).
  void PopupLegendMenu();
  void PopupSeriesMenu(TChartSeries* series);
  void PopupAxisMenu(TChartAxis* axis);

private:
  void Rebuild(TPopupMenu* menu, const std::vector<std::string>& captions, const std::vector<bool>& checked,
               void (*handler)(TCustomChart*, int));
  void Pop(TPopupMenu* menu);

  TCustomChart* chart_;
  TPopupMenu* legendMenu_;
  TPopupMenu* seriesMenu_;
  TPopupMenu* axisMenu_;
};

// Click handlers of the menu items (itemIndex = the item's place in its menu).
void LegendMenuClick(TCustomChart* chart, int itemIndex);
void SeriesMenuClick(TCustomChart* chart, int itemIndex);
void AxisMenuClick(TCustomChart* chart, int itemIndex);

// Stores each side axis' settings text (left, right, top, bottom) as its DefaultSettingsText.
void SaveAxesDefaults(TCustomChart* chart);
// Reads section "serie_" + name, key "ser_" + the series' gallery description, from the program's
// ".in" file and applies it to series when it is a valid settings text for it. Nothing is written.
void LoadSeriesSettings(TCustomChart* chart, const std::string& name, TChartSeries* series);
// The ".in" file: the program file with its extension changed.
std::string SeriesSettingsFileName();
// Tests point the ".in" file elsewhere (empty: beside the program again).
void SetSeriesSettingsFileName(const std::string& fileName);
