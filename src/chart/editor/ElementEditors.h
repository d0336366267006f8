#pragma once
// The editor forms chart elements name from GetEditorClass: the function editor (period, period
// style and alignment), the series tool editor (the tool's series among its chart's series, or
// none) and the axis tool editor (the tool's axis among its chart's axes). Each edits the object
// in its Tag (EmbedFormWithObject binds it), fills its controls when shown and passes every
// change to the object at once.
#include "platform/ComboBox.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TNuvFunction;
class TNuvCustomToolSeries;
class TNuvCustomToolAxis;

class TNuvFunctionEditor : public TForm {
public:
  explicit TNuvFunctionEditor(TComponent* owner);
  // The function edited (the form's object), or nullptr.
  TNuvFunction* Function() const;
  // Shows the function's settings in the controls.
  void LoadSettings();

  // A number of at least 0; anything else leaves the period as it is.
  TEdit* PeriodEdit;
  // Number of points, Range.
  TCustomComboBox* PeriodStyleCombo;
  // First, Center, Last.
  TCustomComboBox* PeriodAlignCombo;

private:
  bool loading_ = true;
};

class TSeriesToolEditor : public TForm {
public:
  explicit TSeriesToolEditor(TComponent* owner);
  TNuvCustomToolSeries* Tool() const;
  // Lists "(none)" and the series of the tool's chart, the tool's series selected.
  void LoadSettings();

  TCustomComboBox* SeriesCombo;

private:
  bool loading_ = true;
};

class TAxisToolEditor : public TForm {
public:
  explicit TAxisToolEditor(TComponent* owner);
  TNuvCustomToolAxis* Tool() const;
  // Lists the axes of the tool's chart, the tool's axis selected.
  void LoadSettings();

  TCustomComboBox* AxisCombo;

private:
  bool loading_ = true;
};

// Registers the three forms under their class names for CreateEditorForm.
void RegisterElementEditors();
