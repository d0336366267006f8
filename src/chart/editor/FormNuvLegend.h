#pragma once
// The legend options page: visible, position, style, check boxes, inverted, font colour by series,
// maximum rows. Bound to one legend; every change goes to the legend at once.
#include "platform/ComboBox.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TCustomChartLegend;

class TFormNuvLegend : public TForm {
public:
  // The page bound to legend; the caller captions it, shows it and frees it.
  static TFormNuvLegend* CreateLegend(TComponent* owner, TCustomChartLegend* legend);
  TFormNuvLegend(TComponent* owner, TCustomChartLegend* legend);
  TCustomChartLegend* Legend() const { return legend_; }

  TCheckBox* VisibleCheck;
  // Left, Right, Top, Bottom.
  TCustomComboBox* PositionCombo;
  // Automatic, Series, Values, Last values.
  TCustomComboBox* StyleCombo;
  TCheckBox* CheckBoxesCheck;
  TCheckBox* InvertedCheck;
  TCheckBox* FontSeriesColorCheck;
  TEdit* MaxRowsEdit;
  TButton* CloseButton;

private:
  TCustomChartLegend* legend_;
  bool loading_ = true;
};
