#pragma once
// The chart editor's entry points: the editor form with its main page control and the page hooks
// other modules use to add or fill pages, embedding a dialog form as a page, the lookup of editor
// forms by class name, the series editor and the axis editor. Every dialog is modal; tests answer
// it through TForm::ModalAnswer (the answer gets the form, sets its controls and returns the
// modal result).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/ComboBox.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TCustomNuvPanel;
class TCustomChart;
class TChartSeries;
class TChartAxis;
class TChartEditForm;
class TSeriesEditorPage;

// A page hook: called with TabSheet nil when the editor is shown (it may add a page of its own to
// the main page control), and with the newly selected page whenever the main page control changes
// page (it fills a page it recognises by caption while the page has no controls yet).
using TChartEditorHook = void (*)(TChartEditForm* editorForm, TTabSheet* tabSheet);
// The global list, in calling order. Modules add their hook at start-up and remove it at shutdown.
std::vector<TChartEditorHook>& ChartEditorPageHooks();
void AddChartEditorPageHook(TChartEditorHook hook);
void RemoveChartEditorPageHook(TChartEditorHook hook);

// The chart editor. With a series given it shows only that series' page.
class TChartEditForm : public TForm {
public:
  TChartEditForm(TComponent* owner, TCustomNuvPanel* chart, TChartSeries* series = nullptr);
  ~TChartEditForm() override;

  // The chart being edited (possibly nil) and the main page control (the parent of new pages).
  TCustomNuvPanel* Chart() const { return chart_; }
  TPageControl* MainPage() const { return mainPage_; }
  // The series page (nullptr without a series).
  TSeriesEditorPage* SeriesPage() const { return seriesPage_; }
  TButton* CloseButton() const { return closeButton_; }
  // Applies the pages' settings to the objects they edit.
  void ApplyChanges();

private:
  void RunHooks(TTabSheet* sheet);

  TCustomNuvPanel* chart_;
  TPageControl* mainPage_;
  TSeriesEditorPage* seriesPage_ = nullptr;
  TButton* closeButton_;
};

// The page that edits one series: title, colour, active, pointer (series with a pointer) and marks.
class TSeriesEditorPage : public TTabSheet {
public:
  TSeriesEditorPage(TComponent* owner, TChartSeries* series);
  TChartSeries* Series() const { return series_; }
  // Puts the controls' values into the series.
  void Apply();

  TEdit* TitleEdit;
  TCheckBox* ActiveCheck;
  // The colour chosen (the colour button asks the platform's colour dialog).
  TColor Color;
  TButton* ColorButton;
  TCheckBox* PointerVisibleCheck = nullptr;
  TEdit* PointerWidthEdit = nullptr;
  TEdit* PointerHeightEdit = nullptr;
  TCustomComboBox* PointerStyleCombo = nullptr;
  TCheckBox* MarksVisibleCheck;
  TCustomComboBox* MarksStyleCombo;

private:
  TChartSeries* series_;
};

// Places a dialog form inside a parent control as an embedded page: no border, the parent's
// colour, left 4, vertically centred with top at least 4; Object goes in the form's Tag; the form
// is shown and stays owned by its owner.
void EmbedFormWithObject(TForm* form, TWinControl* parent, TObject* object);
// The object EmbedFormWithObject stored in a form's Tag.
TObject* EmbeddedObject(const TForm* form);

// Editor forms by class name ("TNuvFunctionEditor", "TSeriesToolEditor", "TAxisToolEditor"...).
using TEditorFormFactory = std::function<TForm*(TComponent* owner)>;
void RegisterEditorClass(const std::string& className, TEditorFormFactory factory);
void UnRegisterEditorClass(const std::string& className);
// A new form of the registered class; nullptr for an empty or unknown name (no editor).
TForm* CreateEditorForm(const std::string& className, TComponent* owner);
bool IsEditorClassRegistered(const std::string& className);

// Opens the chart editor modally on the series' chart, showing only that series' page.
void EditSeries(TChartSeries* series);
// When axis belongs to chart: the axis editor as a modal tool window captioned after the axis'
// side ("Left axis edit", "Right axis edit", "Top axis edit", "Bottom axis edit").
void EditChartAxis(TCustomChart* chart, TChartAxis* axis);
// The caption EditChartAxis gives the axis' window.
std::string AxisEditCaption(TCustomChart* chart, TChartAxis* axis);

// The axis editor page (also used inside the chart editor).
class TAxisEditorForm : public TForm {
public:
  TAxisEditorForm(TComponent* owner, TChartAxis* axis);
  TChartAxis* Axis() const { return axis_; }
  // Puts the controls' values into the axis; false (axis unchanged) when a number does not read
  // or the range is empty the wrong way round. Checks everything before it changes the axis:
  // AxisException (axis unchanged) for a logarithmic date-time axis.
  bool Apply();

  TCheckBox* AutomaticCheck;
  TEdit* MinimumEdit;
  TEdit* MaximumEdit;
  TEdit* IncrementEdit;
  TCheckBox* LogarithmicCheck;
  TCheckBox* InvertedCheck;
  TCheckBox* LabelsCheck;
  TEdit* LabelsFormatEdit;
  TEdit* TitleEdit;
  TCheckBox* VisibleCheck;
  TButton* OkButton;
  TButton* CancelButton;

private:
  TChartAxis* axis_;
};

// Installs the dialogs into the chart model (ChartEditorServices: series editor, axis editor,
// legend options, series settings texts). Safe to call more than once.
void InstallChartEditorServices();
