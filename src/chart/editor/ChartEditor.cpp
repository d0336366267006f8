// The chart editor form, its page hooks, embedded pages, editor lookup, series and axis editors.
#include "chart/editor/ChartEditor.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "chart/canvas/NuvConst.h"
#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/editor/EditorControls.h"
#include "chart/editor/ElementEditors.h"
#include "chart/editor/FormNuvLegend.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"
#include "chart/series/PointSeries.h"
#include "chart/series/SeriesFormat.h"
#include "platform/ComboBox.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"

// ---- Page hooks ----

std::vector<TChartEditorHook>& ChartEditorPageHooks()
{
  static std::vector<TChartEditorHook> hooks;
  return hooks;
}

void AddChartEditorPageHook(TChartEditorHook hook)
{
  if (hook) ChartEditorPageHooks().push_back(hook);
}

void RemoveChartEditorPageHook(TChartEditorHook hook)
{
  auto& hooks = ChartEditorPageHooks();
  auto it = std::find(hooks.begin(), hooks.end(), hook);
  if (it != hooks.end()) hooks.erase(it);
}

// ---- Editor form ----

TChartEditForm::TChartEditForm(TComponent* owner, TCustomNuvPanel* chart, TChartSeries* series)
    : TForm(owner), chart_(chart)
{
  SetCaption("Editing " + (chart && !chart->GetName().empty() ? chart->GetName() : std::string("Chart")));
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(440, 360);
  mainPage_ = new TPageControl(this);
  mainPage_->SetParent(this);
  mainPage_->SetBounds(4, 4, 432, 316);
  if (series) {
    seriesPage_ = new TSeriesEditorPage(this, series);
    seriesPage_->SetPageControl(mainPage_);
  }
  closeButton_ = NewButton(this, this, "Close", 356, 328, mrOk);
  mainPage_->OnChange = [this](TObject*) { RunHooks(mainPage_->GetActivePage()); };
  OnShow = [this](TObject*) {
    RunHooks(nullptr);
    if (mainPage_->GetActivePage()) RunHooks(mainPage_->GetActivePage());
  };
  TranslateControl(this);
  DoCreate();
}

TChartEditForm::~TChartEditForm()
{
  // Pages freed with the form must not call the hooks on a form being destroyed.
  mainPage_->OnChange = nullptr;
}

void TChartEditForm::RunHooks(TTabSheet* sheet)
{
  // A hook may add or remove hooks; walk a copy.
  std::vector<TChartEditorHook> hooks = ChartEditorPageHooks();
  for (TChartEditorHook hook : hooks) hook(this, sheet);
}

void TChartEditForm::ApplyChanges()
{
  if (seriesPage_) seriesPage_->Apply();
}

// ---- Series page ----

namespace {
const char* const MarksStyleNames[] = {"Value",       "Percent",  "Label",         "Label and percent",
                                       "Label and value", "Legend", "Percent total", "Label and percent total",
                                       "X value",     "X and Y"};
const char* const PointerStyleNames[] = {"Rectangle", "Circle",     "Triangle", "Down triangle",
                                         "Cross",     "Diagonal cross", "Star",  "Diamond",
                                         "Small dot", "Nothing",    "Left triangle", "Right triangle"};
}  // namespace

TSeriesEditorPage::TSeriesEditorPage(TComponent* owner, TChartSeries* series) : TTabSheet(owner), series_(series)
{
  SetCaption(series && !series->GetTitle().empty() ? series->GetTitle() : std::string("Series"));
  SetBounds(0, 0, 428, 290);
  NewLabel(this, this, "Title:", 8, 12);
  TitleEdit = NewEdit(this, this, series ? series->GetTitle() : std::string(), 90, 8, 200);
  ActiveCheck = NewCheck(this, this, "Visible", 8, 38, series && series->GetActive());
  Color = series ? series->GetSeriesColor() : clBlack;
  ColorButton = NewColorButton(this, this, &Color, 300, 8, 382, 30);
  int32_t y = 70;
  if (auto* points = dynamic_cast<TPointSeries*>(series)) {
    TSeriesPointer* p = points->GetPointer();
    NewLabel(this, this, "Pointer", 8, y);
    PointerVisibleCheck = NewCheck(this, this, "Visible", 90, y, p->GetVisible());
    NewLabel(this, this, "Width:", 8, y + 28);
    PointerWidthEdit = NewEdit(this, this, IntToStr(p->GetHorizSize()), 90, y + 24, 60);
    NewLabel(this, this, "Height:", 170, y + 28);
    PointerHeightEdit = NewEdit(this, this, IntToStr(p->GetVertSize()), 230, y + 24, 60);
    NewLabel(this, this, "Style:", 8, y + 56);
    PointerStyleCombo = NewCombo(this, this, 90, y + 52, 160);
    for (const char* name : PointerStyleNames) PointerStyleCombo->AddItem(name);
    PointerStyleCombo->SetItemIndex(static_cast<int>(p->GetStyle()));
    y += 90;
  }
  TSeriesMarks* marks = series ? series->GetMarks() : nullptr;
  NewLabel(this, this, "Marks", 8, y);
  MarksVisibleCheck = NewCheck(this, this, "Visible", 90, y, marks && marks->GetVisible());
  NewLabel(this, this, "Style:", 8, y + 28);
  MarksStyleCombo = NewCombo(this, this, 90, y + 24, 200);
  for (const char* name : MarksStyleNames) MarksStyleCombo->AddItem(name);
  MarksStyleCombo->SetItemIndex(marks ? static_cast<int>(marks->GetStyle()) : 0);
}

void TSeriesEditorPage::Apply()
{
  if (!series_) return;
  series_->SetTitle(TitleEdit->GetText());
  series_->SetActive(ActiveCheck->GetChecked());
  series_->SetSeriesColor(Color);
  if (auto* points = dynamic_cast<TPointSeries*>(series_)) {
    TSeriesPointer* p = points->GetPointer();
    p->SetVisible(PointerVisibleCheck->GetChecked());
    int32_t w = 0, h = 0;
    // Sizes that do not read, that the pointer refuses (below 1) or are out of reason keep the pointer's size.
    if (TryStrToInt(Trim(PointerWidthEdit->GetText()), w) && w >= 1 && w <= 10000) p->SetHorizSize(w);
    if (TryStrToInt(Trim(PointerHeightEdit->GetText()), h) && h >= 1 && h <= 10000) p->SetVertSize(h);
    int style = PointerStyleCombo->GetItemIndex();
    if (style >= 0) p->SetStyle(static_cast<TSeriesPointerStyle>(style));
  }
  if (TSeriesMarks* marks = series_->GetMarks()) {
    marks->SetVisible(MarksVisibleCheck->GetChecked());
    int style = MarksStyleCombo->GetItemIndex();
    if (style >= 0) marks->SetStyle(static_cast<TSeriesMarksStyle>(style));
  }
}

void EditSeries(TChartSeries* series)
{
  if (!series) return;
  TCustomNuvPanel* chart = series->GetParentChart();
  TChartEditForm form(nullptr, chart, series);
  if (form.ShowModal() == mrOk) form.ApplyChanges();
  if (chart) chart->Invalidate();
}

// ---- Axis editor ----

std::string AxisEditCaption(TCustomChart* chart, TChartAxis* axis)
{
  if (chart && axis) {
    if (axis == chart->GetLeftAxis()) return "Left axis edit";
    if (axis == chart->GetRightAxis()) return "Right axis edit";
    if (axis == chart->GetTopAxis()) return "Top axis edit";
    if (axis == chart->GetBottomAxis()) return "Bottom axis edit";
  }
  if (!axis) return std::string();
  if (axis->GetHorizontal()) return axis->GetOtherSide() ? "Top axis edit" : "Bottom axis edit";
  return axis->GetOtherSide() ? "Right axis edit" : "Left axis edit";
}

namespace {
std::string NumberText(double v) { return FloatToStrGeneral(v); }

bool ReadNumber(const TEdit* edit, double& value)
{
  std::string t = Trim(edit->GetText());
  std::replace(t.begin(), t.end(), ',', '.');
  return TryStrToFloat(t, value) && std::isfinite(value);
}
}  // namespace

TAxisEditorForm::TAxisEditorForm(TComponent* owner, TChartAxis* axis) : TForm(owner), axis_(axis)
{
  SetBorderStyle(bsToolWindow);
  SetPosition(poScreenCenter);
  SetClientSize(320, 300);
  AutomaticCheck = NewCheck(this, this, "Automatic", 8, 8, axis->GetAutomatic());
  NewLabel(this, this, "Minimum:", 8, 38);
  MinimumEdit = NewEdit(this, this, NumberText(axis->GetMinimum()), 100, 34, 120);
  NewLabel(this, this, "Maximum:", 8, 66);
  MaximumEdit = NewEdit(this, this, NumberText(axis->GetMaximum()), 100, 62, 120);
  NewLabel(this, this, "Increment:", 8, 94);
  IncrementEdit = NewEdit(this, this, NumberText(axis->GetIncrement()), 100, 90, 120);
  LogarithmicCheck = NewCheck(this, this, "Logarithmic", 8, 120, axis->GetLogarithmic());
  InvertedCheck = NewCheck(this, this, "Inverted", 150, 120, axis->GetInverted());
  LabelsCheck = NewCheck(this, this, "Labels", 8, 148, axis->GetLabels());
  NewLabel(this, this, "Format:", 8, 178);
  LabelsFormatEdit = NewEdit(this, this, axis->GetAxisValuesFormat(), 100, 174, 120);
  NewLabel(this, this, "Title:", 8, 206);
  TitleEdit = NewEdit(this, this, axis->GetTitle()->GetCaption(), 100, 202, 200);
  VisibleCheck = NewCheck(this, this, "Visible", 8, 234, axis->GetVisible());
  OkButton = NewButton(this, this, "OK", 150, 266, mrOk);
  CancelButton = NewButton(this, this, "Cancel", 234, 266, mrCancel);
  TranslateControl(this);
  DoCreate();
}

bool TAxisEditorForm::Apply()
{
  double minimum = 0, maximum = 0, increment = 0;
  if (!ReadNumber(MinimumEdit, minimum) || !ReadNumber(MaximumEdit, maximum) || !ReadNumber(IncrementEdit, increment))
    return false;
  if (minimum > maximum || increment < 0) return false;
  if (LogarithmicCheck->GetChecked() && minimum <= 0 && !AutomaticCheck->GetChecked()) return false;
  // Everything the setters below would refuse is refused here, before the axis changes.
  if (LogarithmicCheck->GetChecked() && axis_->IsDateTime()) throw AxisException(NuvMsg_DateTimeLogarithmic);
  axis_->SetAutomatic(AutomaticCheck->GetChecked());
  if (!AutomaticCheck->GetChecked()) axis_->SetMinMax(minimum, maximum);
  axis_->SetIncrement(increment);
  axis_->SetLogarithmic(LogarithmicCheck->GetChecked());
  axis_->SetInverted(InvertedCheck->GetChecked());
  axis_->SetLabels(LabelsCheck->GetChecked());
  axis_->SetAxisValuesFormat(LabelsFormatEdit->GetText());
  axis_->GetTitle()->SetCaption(TitleEdit->GetText());
  axis_->SetVisible(VisibleCheck->GetChecked());
  return true;
}

void EditChartAxis(TCustomChart* chart, TChartAxis* axis)
{
  if (!chart || !axis || chart->AxesList()->IndexOf(axis) < 0) return;
  TAxisEditorForm form(nullptr, axis);
  form.SetCaption(AxisEditCaption(chart, axis));
  if (form.ShowModal() == mrOk) {
    try {
      if (!form.Apply()) ShowMessage("The axis settings are not valid; the axis is unchanged.");
    } catch (const Exception& e) {
      ShowMessage(e.Message());
    }
  }
  chart->Invalidate();
}

// ---- Embedded pages ----

void EmbedFormWithObject(TForm* form, TWinControl* parent, TObject* object)
{
  if (!form || !parent) return;
  form->SetBorderStyle(bsNone);
  form->SetParent(parent);
  form->SetColor(parent->GetColor());
  const int32_t top = std::max<int32_t>(4, (parent->ClientHeight() - form->GetHeight()) / 2);
  form->SetBounds(4, top, form->GetWidth(), form->GetHeight());
  form->Tag = reinterpret_cast<intptr_t>(object);
  form->Show();
}

TObject* EmbeddedObject(const TForm* form) { return form ? reinterpret_cast<TObject*>(form->Tag) : nullptr; }

// ---- Editor lookup ----

namespace {
std::map<std::string, TEditorFormFactory>& EditorClasses()
{
  static std::map<std::string, TEditorFormFactory> classes;
  return classes;
}
}  // namespace

void RegisterEditorClass(const std::string& className, TEditorFormFactory factory)
{
  if (!className.empty() && factory) EditorClasses()[className] = std::move(factory);
}

void UnRegisterEditorClass(const std::string& className) { EditorClasses().erase(className); }

TForm* CreateEditorForm(const std::string& className, TComponent* owner)
{
  auto it = EditorClasses().find(className);
  return it == EditorClasses().end() ? nullptr : it->second(owner);
}

bool IsEditorClassRegistered(const std::string& className) { return EditorClasses().count(className) != 0; }

// ---- Services ----

namespace {
void InstallServices()
{
  TChartEditorServices& s = ChartEditorServices();
  s.EditSeries = &EditSeries;
  s.EditChartAxis = &EditChartAxis;
  s.EditLegend = [](TCustomChart* chart, TCustomChartLegend* legend) {
    std::unique_ptr<TFormNuvLegend> form(TFormNuvLegend::CreateLegend(chart, legend));
    form->SetCaption("Legend options");
    form->ShowModal();
  };
  s.SeriesFormatFromText = [](TChartSeries* series, const std::string& text) {
    return SeriesFormatFromText(series, text);
  };
  RegisterElementEditors();
}

// The dialogs are in place as soon as this unit is part of the program. Only function-local
// objects are touched here: globals of other units may not be constructed yet.
struct ServicesInstaller {
  ServicesInstaller() { InstallServices(); }
} servicesInstaller;
}  // namespace

void InstallChartEditorServices()
{
  NuvSeriesStartup();
  InstallServices();
}
