#include "chart/editor/ChartPreview.h"

#include <algorithm>

#include "chart/canvas/NuvProcsRoutines.h"
#include "chart/editor/EditorControls.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/Chart.h"
#include "platform/MessageBox.h"
#include "platform/Printers.h"

TChartPreviewPanel::TChartPreviewPanel(TComponent* owner) : TCustomControl(owner) { SetColor(clGray); }

void TChartPreviewPanel::SetPanel(TCustomNuvPanel* panel)
{
  panel_ = panel;
  Invalidate();
}

TRect TChartPreviewPanel::PageRect() const
{
  // A portrait A4 page as large as fits, centred.
  const double aspect = 210.0 / 297.0;
  int32_t h = std::max<int32_t>(0, GetHeight() - 16);
  int32_t w = static_cast<int32_t>(h * aspect);
  if (w > GetWidth() - 16) {
    w = std::max<int32_t>(0, GetWidth() - 16);
    h = static_cast<int32_t>(w / aspect);
  }
  const int32_t left = (GetWidth() - w) / 2, top = (GetHeight() - h) / 2;
  return TRect{left, top, left + w, top + h};
}

TRect TChartPreviewPanel::ChartRectOnPage() const
{
  TRect page = PageRect();
  if (!panel_) return page;
  const TRect m = panel_->PrintMargins;
  const double w = page.Width(), h = page.Height();
  return TRect{page.Left + Round32(w * m.Left * 0.01), page.Top + Round32(h * m.Top * 0.01),
               page.Right - Round32(w * m.Right * 0.01), page.Bottom - Round32(h * m.Bottom * 0.01)};
}

void TChartPreviewPanel::Paint()
{
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetColor());
  c->FillRect(GetClientRect());
  TRect page = PageRect();
  c->Brush()->SetColor(clWhite);
  c->Pen()->SetColor(clBlack);
  c->Rectangle(page.Left, page.Top, page.Right, page.Bottom);
  if (panel_) {
    TRect r = ChartRectOnPage();
    if (r.Width() > 0 && r.Height() > 0) panel_->PrintPartialCanvas(c, r);
  }
}

TChartPreviewForm::TChartPreviewForm(TComponent* owner, TCustomChart* chart) : TForm(owner), chart_(chart)
{
  SetCaption("Print Preview");
  SetPosition(poScreenCenter);
  SetClientSize(480, 560);
  preview_ = new TChartPreviewPanel(this);
  preview_->SetParent(this);
  preview_->SetBounds(4, 40, 472, 516);
  preview_->SetPanel(chart);
  PrintButton = NewButton(this, this, "Print", 4, 8, 0);
  PrintButton->OnClick = [this](TObject*) { PrintChart(); };
  CloseButton = NewButton(this, this, "Close", 88, 8, mrOk);
  TranslateControl(this);
  DoCreate();
}

bool TChartPreviewForm::PrintChart()
{
  if (!chart_) return false;
  TPrinter* printer = Printer();
  if (!printer->Available()) {
    ShowMessage("No printer is available.");
    return false;
  }
  try {
    printer->SetTitle(chart_->GetName());
    printer->BeginDoc();
    chart_->PrintPartial(chart_->CalcPrintRect());
    printer->EndDoc();
  } catch (const Exception& e) {
    if (printer->Printing()) printer->Abort();
    ShowMessage(e.Message());
    return false;
  }
  return true;
}

void ChartPreview(TComponent* owner, TCustomChart* chart)
{
  if (!chart) return;
  // The preview works out where the chart goes on the page itself.
  chart->ChartPrintRect = TRect{};
  chart->CustomChartPrintRect = true;
  std::unique_ptr<TChartPreviewForm> form(new TChartPreviewForm(owner, chart));
  form->ShowModal();
  form.reset();
  chart->Invalidate();
}
