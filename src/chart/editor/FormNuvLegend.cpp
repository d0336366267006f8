#include "chart/editor/FormNuvLegend.h"

#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/editor/EditorControls.h"
#include "chart/model/ChartLegend.h"
#include "platform/SysUtils.h"

TFormNuvLegend* TFormNuvLegend::CreateLegend(TComponent* owner, TCustomChartLegend* legend)
{
  return new TFormNuvLegend(owner, legend);
}

TFormNuvLegend::TFormNuvLegend(TComponent* owner, TCustomChartLegend* legend) : TForm(owner), legend_(legend)
{
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientSize(300, 250);
  VisibleCheck = NewCheck(this, this, "Visible", 8, 8, legend->GetVisible());
  NewLabel(this, this, "Position:", 8, 40);
  PositionCombo = NewCombo(this, this, 100, 36, 150);
  for (const char* s : {"Left", "Right", "Top", "Bottom"}) PositionCombo->AddItem(s);
  PositionCombo->SetItemIndex(static_cast<int>(legend->GetAlignment()));
  NewLabel(this, this, "Style:", 8, 70);
  StyleCombo = NewCombo(this, this, 100, 66, 150);
  for (const char* s : {"Automatic", "Series", "Values", "Last values"}) StyleCombo->AddItem(s);
  StyleCombo->SetItemIndex(static_cast<int>(legend->GetLegendStyle()));
  CheckBoxesCheck = NewCheck(this, this, "Check boxes", 8, 98, legend->GetCheckBoxes());
  InvertedCheck = NewCheck(this, this, "Inverted", 150, 98, legend->GetInverted());
  FontSeriesColorCheck = NewCheck(this, this, "Font series color", 8, 126, legend->GetFontSeriesColor());
  NewLabel(this, this, "Max. rows:", 8, 160);
  MaxRowsEdit = NewEdit(this, this, IntToStr(legend->GetMaxNumRows()), 100, 156, 60);
  CloseButton = NewButton(this, this, "Close", 214, 214, mrOk);

  VisibleCheck->OnClick = [this](TObject*) {
    if (!loading_) legend_->SetVisible(VisibleCheck->GetChecked());
  };
  PositionCombo->OnChange = [this](TObject*) {
    int i = PositionCombo->GetItemIndex();
    if (!loading_ && i >= 0 && i <= 3) legend_->SetAlignment(static_cast<TLegendAlignment>(i));
  };
  StyleCombo->OnChange = [this](TObject*) {
    int i = StyleCombo->GetItemIndex();
    if (!loading_ && i >= 0 && i <= 3) legend_->SetLegendStyle(static_cast<TLegendStyle>(i));
  };
  CheckBoxesCheck->OnClick = [this](TObject*) {
    if (!loading_) legend_->SetCheckBoxes(CheckBoxesCheck->GetChecked());
  };
  InvertedCheck->OnClick = [this](TObject*) {
    if (!loading_) legend_->SetInverted(InvertedCheck->GetChecked());
  };
  FontSeriesColorCheck->OnClick = [this](TObject*) {
    if (!loading_) legend_->SetFontSeriesColor(FontSeriesColorCheck->GetChecked());
  };
  MaxRowsEdit->OnChange = [this](TObject*) {
    int32_t rows = 0;
    // Only a whole number of at least 1 is taken; anything else leaves the legend as it is.
    if (!loading_ && TryStrToInt(Trim(MaxRowsEdit->GetText()), rows) && rows >= 1) legend_->SetMaxNumRows(rows);
  };
  loading_ = false;
  TranslateControl(this);
  DoCreate();
}
