#pragma once
// The print preview: a page with the chart drawn where it will print, margins, and a print
// button that prints through the chart's own print routines.
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TCustomChart;
class TCustomNuvPanel;

// The page picture of the preview.
class TChartPreviewPanel : public TCustomControl {
public:
  explicit TChartPreviewPanel(TComponent* owner);
  TCustomNuvPanel* GetPanel() const { return panel_; }
  void SetPanel(TCustomNuvPanel* panel);
  // The page inside the control and, on it, where the chart goes (by the chart's print margins).
  TRect PageRect() const;
  TRect ChartRectOnPage() const;

protected:
  void Paint() override;

private:
  TCustomNuvPanel* panel_ = nullptr;
};

class TChartPreviewForm : public TForm {
public:
  TChartPreviewForm(TComponent* owner, TCustomChart* chart);
  TChartPreviewPanel* Preview() const { return preview_; }
  // Prints the chart on the printer (one page); false with a message when no printer is at hand.
  bool PrintChart();

  TButton* PrintButton;
  TButton* CloseButton;

private:
  TCustomChart* chart_;
  TChartPreviewPanel* preview_;
};

// Opens the preview for chart modally, frees it afterwards and repaints the chart.
void ChartPreview(TComponent* owner, TCustomChart* chart);
