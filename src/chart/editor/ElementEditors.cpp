#include "chart/editor/ElementEditors.h"

#include <algorithm>
#include <cmath>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/editor/ChartEditor.h"
#include "chart/editor/EditorControls.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineFunctions.h"
#include "chart/model/NvEngineSources.h"
#include "chart/model/NvEngineTools.h"
#include "platform/SysUtils.h"

namespace {
// An axis as the list shows it: its title, else its side; an untitled custom axis by its number.
std::string AxisText(TCustomAxisPanel* chart, TChartAxis* axis)
{
  const int32_t custom = chart->GetCustomAxes()->IndexOf(axis);
  if (custom >= 0 && axis->GetTitle()->GetCaption().empty()) return "Custom " + IntToStr(custom + 1);
  if (auto* c = dynamic_cast<TCustomChart*>(chart)) return c->AxisTitleOrName(axis);
  return axis->GetTitle()->GetCaption();
}
}  // namespace

// ---- Function editor ----

TNuvFunctionEditor::TNuvFunctionEditor(TComponent* owner) : TForm(owner)
{
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(280, 100);
  NewLabel(this, this, std::string(NuvMsg_FunctionPeriodText) + ":", 8, 12);
  PeriodEdit = NewEdit(this, this, std::string(), 100, 8, 100);
  NewLabel(this, this, "Style:", 8, 40);
  PeriodStyleCombo = NewCombo(this, this, 100, 36, 150);
  for (const char* s : {"Number of points", "Range"}) PeriodStyleCombo->AddItem(s);
  NewLabel(this, this, "Align:", 8, 68);
  PeriodAlignCombo = NewCombo(this, this, 100, 64, 150);
  for (const char* s : {"First", "Center", "Last"}) PeriodAlignCombo->AddItem(s);

  PeriodEdit->OnChange = [this](TObject*) {
    TNuvFunction* f = Function();
    if (loading_ || !f) return;
    std::string t = Trim(PeriodEdit->GetText());
    std::replace(t.begin(), t.end(), ',', '.');
    double period = 0;
    if (TryStrToFloat(t, period) && std::isfinite(period) && period >= 0) f->SetPeriod(period);
  };
  PeriodStyleCombo->OnChange = [this](TObject*) {
    const int i = PeriodStyleCombo->GetItemIndex();
    if (!loading_ && Function() && i >= 0 && i <= 1) Function()->SetPeriodStyle(static_cast<TFunctionPeriodStyle>(i));
  };
  PeriodAlignCombo->OnChange = [this](TObject*) {
    const int i = PeriodAlignCombo->GetItemIndex();
    if (!loading_ && Function() && i >= 0 && i <= 2) Function()->SetPeriodAlign(static_cast<TFunctionPeriodAlign>(i));
  };
  OnShow = [this](TObject*) { LoadSettings(); };
  TranslateControl(this);
  DoCreate();
}

TNuvFunction* TNuvFunctionEditor::Function() const { return dynamic_cast<TNuvFunction*>(EmbeddedObject(this)); }

void TNuvFunctionEditor::LoadSettings()
{
  loading_ = true;
  TNuvFunction* f = Function();
  PeriodEdit->SetText(f ? FloatToStrGeneral(f->GetPeriod()) : std::string());
  PeriodStyleCombo->SetItemIndex(f ? static_cast<int>(f->GetPeriodStyle()) : -1);
  PeriodAlignCombo->SetItemIndex(f ? static_cast<int>(f->GetPeriodAlign()) : -1);
  loading_ = false;
}

// ---- Series tool editor ----

TSeriesToolEditor::TSeriesToolEditor(TComponent* owner) : TForm(owner)
{
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(280, 44);
  NewLabel(this, this, "Series:", 8, 12);
  SeriesCombo = NewCombo(this, this, 100, 8, 170);
  SeriesCombo->OnChange = [this](TObject*) {
    TNuvCustomToolSeries* tool = Tool();
    const int i = SeriesCombo->GetItemIndex();
    if (loading_ || !tool || i < 0) return;
    TCustomAxisPanel* chart = tool->GetParentChart();
    // Item 0 is "(none)"; the others follow the chart's series list.
    if (i == 0)
      tool->SetSeries(nullptr);
    else if (chart && i - 1 < chart->SeriesCount())
      tool->SetSeries(chart->GetSeries(i - 1));
  };
  OnShow = [this](TObject*) { LoadSettings(); };
  TranslateControl(this);
  DoCreate();
}

TNuvCustomToolSeries* TSeriesToolEditor::Tool() const
{
  return dynamic_cast<TNuvCustomToolSeries*>(EmbeddedObject(this));
}

void TSeriesToolEditor::LoadSettings()
{
  loading_ = true;
  SeriesCombo->ClearItems();
  SeriesCombo->AddItem(NuvMsg_EditorNone);
  int selected = 0;
  TNuvCustomToolSeries* tool = Tool();
  if (TCustomAxisPanel* chart = tool ? tool->GetParentChart() : nullptr) {
    for (int32_t i = 0; i < chart->SeriesCount(); ++i) {
      SeriesCombo->AddItem(SeriesTitleOrName(chart->GetSeries(i)));
      if (chart->GetSeries(i) == tool->GetSeries()) selected = i + 1;
    }
  }
  SeriesCombo->SetItemIndex(tool ? selected : -1);
  loading_ = false;
}

// ---- Axis tool editor ----

TAxisToolEditor::TAxisToolEditor(TComponent* owner) : TForm(owner)
{
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(280, 44);
  NewLabel(this, this, "Axis:", 8, 12);
  AxisCombo = NewCombo(this, this, 100, 8, 170);
  AxisCombo->OnChange = [this](TObject*) {
    TNuvCustomToolAxis* tool = Tool();
    const int i = AxisCombo->GetItemIndex();
    TCustomAxisPanel* chart = tool ? tool->GetParentChart() : nullptr;
    if (!loading_ && chart && i >= 0 && i < chart->AxesList()->Count()) tool->SetAxis(chart->AxesList()->GetAxis(i));
  };
  OnShow = [this](TObject*) { LoadSettings(); };
  TranslateControl(this);
  DoCreate();
}

TNuvCustomToolAxis* TAxisToolEditor::Tool() const { return dynamic_cast<TNuvCustomToolAxis*>(EmbeddedObject(this)); }

void TAxisToolEditor::LoadSettings()
{
  loading_ = true;
  AxisCombo->ClearItems();
  int selected = -1;
  TNuvCustomToolAxis* tool = Tool();
  if (TCustomAxisPanel* chart = tool ? tool->GetParentChart() : nullptr) {
    TChartAxes* axes = chart->AxesList();
    for (int32_t i = 0; i < axes->Count(); ++i) {
      AxisCombo->AddItem(AxisText(chart, axes->GetAxis(i)));
      if (axes->GetAxis(i) == tool->GetAxis()) selected = i;
    }
  }
  AxisCombo->SetItemIndex(selected);
  loading_ = false;
}

// ---- Registration ----

void RegisterElementEditors()
{
  RegisterEditorClass("TNuvFunctionEditor", [](TComponent* owner) -> TForm* { return new TNuvFunctionEditor(owner); });
  RegisterEditorClass("TSeriesToolEditor", [](TComponent* owner) -> TForm* { return new TSeriesToolEditor(owner); });
  RegisterEditorClass("TAxisToolEditor", [](TComponent* owner) -> TForm* { return new TAxisToolEditor(owner); });
}
