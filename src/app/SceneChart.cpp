#include "app/SceneChart.h"

#include <cmath>

#include "app/PseudoSection2d.h"
#include "chart/canvas/NuvGLEditor.h"
#include "chart/canvas/NuvOpenGL.h"
#include "chart/editor/ChartEditor.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineAxisPanel.h"

namespace {
void SetRange(TChartAxis* axis, double lo, double hi)
{
  if (!axis || !std::isfinite(lo) || !std::isfinite(hi)) return;
  axis->SetMinMax(lo, hi);
  axis->SetScale(axis->GetMinimum(), axis->GetMaximum());
}
}  // namespace

TPseudoSectionContour& TSectionChartScene::Contour() { return chart_.Contour(); }
void TSectionChartScene::UpdateLayout() { chart_.UpdateLayout(); }

double TChartSceneAxes::XPos(double planX) { return chart_->GetBottomAxis()->CalcPosValueFloat(planX); }
double TChartSceneAxes::YPos(double depth) { return chart_->GetLeftAxis()->CalcPosValueFloat(depth); }
double TChartSceneAxes::ZPos(double planY) { return chart_->GetDepthAxis()->CalcPosValueFloat(planY); }
double TChartSceneAxes::BottomLength() { return chart_->GetBottomAxis()->PosSize; }
double TChartSceneAxes::LeftLength() { return chart_->GetLeftAxis()->PosSize; }
double TChartSceneAxes::DepthLength() { return chart_->GetDepthAxis()->PosSize; }
void TChartSceneAxes::SetBottomRange(double lo, double hi) { SetRange(chart_->GetBottomAxis(), lo, hi); }
void TChartSceneAxes::SetLeftRange(double lo, double hi) { SetRange(chart_->GetLeftAxis(), lo, hi); }
void TChartSceneAxes::SetDepthRange(double lo, double hi) { SetRange(chart_->GetDepthAxis(), lo, hi); }

// ---------------------------------------------------------------- the "OpenGL" editor page

namespace {
constexpr const char* kOpenGLPage = "OpenGL";

void OpenGLEditorHook(TChartEditForm* editor, TTabSheet* sheet)
{
  TCustomNuvPanel* chart = editor ? editor->Chart() : nullptr;
  auto* gl = chart ? dynamic_cast<TNuvOpenGL*>(chart->GLComponent) : nullptr;
  if (!gl) return;
  if (!sheet) {
    if (!editor->MainPage()) return;
    auto* page = new TTabSheet(editor);
    page->SetCaption(kOpenGLPage);
    page->SetPageControl(editor->MainPage());
    return;
  }
  if (sheet->ControlCount() != 0 || sheet->GetCaption() != kOpenGLPage) return;
  auto* form = new TFormNuvGLEditor(editor);
  form->PanelOK->SetVisible(false);
  form->CBActive->SetChecked(gl->GetActive());
  EmbedFormWithObject(form, sheet, gl);
}

// Adds the hook at start-up and takes it out at shutdown.
struct OpenGLEditorPage {
  OpenGLEditorPage() { AddChartEditorPageHook(&OpenGLEditorHook); }
  ~OpenGLEditorPage() { RemoveChartEditorPageHook(&OpenGLEditorHook); }
};
}  // namespace

void RegisterOpenGLEditorPage()
{
  static OpenGLEditorPage page;
  (void)page;
}
