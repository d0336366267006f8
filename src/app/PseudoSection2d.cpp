#include "app/PseudoSection2d.h"

#include <algorithm>
#include <cmath>

#include "app/PseudoSection2dExport.h"
#include "app/PseudoSetup.h"
#include "app/Supermath2d.h"
#include "chart/canvas/NvCanvasEffects.h"
#include "chart/editor/ChartPreview.h"
#include "chart/model/ChartMenus.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/series/ChartTools.h"
#include "chart/series/LegendScrollBar.h"
#include "chart/series/PointSeries.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/MessageBox.h"
#include "platform/Metafile.h"
#include "platform/SysUtils.h"
#include "platform/Dialogs.h"

namespace {

const char* const kMenuCaptions[8] = {"Log data scale", "Display grid point", "Display ColorBar", "Setup",
                                      "Print preview",  "Save picture",       "Save XYZ file",    "Default"};

TPseudosetupForm* g_setupDialog = nullptr;

// Clears the shared setup dialog's pointer when the application frees it.
class TSetupDialogWatch : public TComponent {
public:
  TSetupDialogWatch() : TComponent(nullptr) {}

protected:
  void Notification(TComponent* component, TOperation operation) override
  {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == g_setupDialog) g_setupDialog = nullptr;
  }
};

TSetupDialogWatch& SetupDialogWatch()
{
  static TSetupDialogWatch watch;
  return watch;
}

// Plot coordinate of an input coordinate on an axis: plain, Log10 or the symmetric logarithm.
double AxisPlotValue(const TChartAxis* axis, double v)
{
  if (!axis || !axis->GetLogarithmic()) return v;
  if (axis->SymmetricLog) return SymmetricLog10(axis->SymmetricScale, v);
  return std::log10(v);
}

}  // namespace

TPseudoSection2d::TPseudoSection2d(TComponent* owner)
    : TChart(owner),
      contour_(std::make_unique<TPseudoSectionContour>(5 * Screen()->GetWidth(), 5 * Screen()->GetHeight()))
{
  CreateParts();
  // The engine's messages (node limit, very large grid) go to the user.
  contour_->OnMessage = [](const std::string& text) { ShowMessage(text); };
}

TPseudoSection2d::~TPseudoSection2d()
{
  // The tools and the series go before the chart they are placed on.
  delete ImageTool;
  ImageTool = nullptr;
  delete LegendScrollBar;
  LegendScrollBar = nullptr;
  for (TPointSeries** s : {&BoundsSeries, &StationSeries, &GridPointSeries, &MarkSeries}) {
    delete *s;
    *s = nullptr;
  }
  contour_->NextNode = 1;
  contour_->TriangleCount = 0;
}

void TPseudoSection2d::CreateParts()
{
  // 1. Font of the colour bar labels.
  auto labelFont = std::make_unique<TNuvFont>();
  labelFont->SetName("Small fonts");
  labelFont->SetSize(7);
  contour_->LabelFont = std::move(labelFont);

  // 2. The hidden series spanning the data extent, and the tool that draws the picture over it.
  BoundsSeries = new TPointSeries(this);
  BoundsSeries->SetParentChart(this);
  BoundsSeries->GetPointer()->SetVisible(false);
  BoundsSeries->SetShowInLegend(false);
  ImageTool = new TChartImageTool(this);
  ImageTool->SetParentChart(this);
  ImageTool->SetSeries(BoundsSeries);
  ImageTool->SetVertFlip(true);

  // 3. Grid points.
  GridPointSeries = new TPointSeries(this);
  GridPointSeries->SetParentChart(this);
  TSeriesPointer* p = GridPointSeries->GetPointer();
  p->SetVisible(true);
  p->SetHorizSize(2);
  p->SetVertSize(2);
  p->SetStyle(psCircle);
  p->SetColor(clBlack);
  p->GetBrush()->SetColor(clBlack);
  GridPointSeries->XAutoExcluded = true;
  GridPointSeries->YAutoExcluded = true;
  TSeriesMarks* m = GridPointSeries->GetMarks();
  m->SetVisible(false);
  m->SetStyle(smsLabel);
  m->SetTransparent(true);
  m->GetFont()->SetColor(clBlack);
  m->GetFont()->SetName("small fonts");
  m->GetFont()->SetSize(7);
  m->GetPen()->SetVisible(false);
  m->SetArrowLength(0);
  GridPointSeries->SaveDefaults();
  ::LoadSeriesSettings(this, "vamir_ps_grid", GridPointSeries);

  // 4. Stations.
  StationSeries = new TPointSeries(this);
  StationSeries->SetParentChart(this);
  StationSeries->SetShowInLegend(false);
  p = StationSeries->GetPointer();
  p->SetVisible(true);
  p->SetHorizSize(3);
  p->SetVertSize(3);
  p->SetStyle(psDownTriangle);
  p->SetColor(clBlack);
  StationSeries->SetSeriesColor(clBlack);
  StationSeries->SetColorEachPoint(true);
  StationSeries->XAutoExcluded = true;
  StationSeries->YAutoExcluded = true;
  StationSeries->SaveDefaults();
  ::LoadSeriesSettings(this, "vamir_ps_st", StationSeries);

  // 5. Marks.
  MarkSeries = new TPointSeries(this);
  MarkSeries->SetParentChart(this);
  p = MarkSeries->GetPointer();
  p->SetVisible(true);
  p->SetHorizSize(3);
  p->SetVertSize(3);
  p->SetStyle(psCircle);
  p->SetColor(clBlack);
  MarkSeries->SetSeriesColor(clBlack);
  MarkSeries->SetColorEachPoint(true);
  MarkSeries->XAutoExcluded = true;
  MarkSeries->YAutoExcluded = true;
  MarkSeries->SaveDefaults();
  GridPointSeries->SetShowInLegend(false);
  MarkSeries->SetShowInLegend(false);

  // 6. Chart appearance.
  SetAllowZoom(true);
  GetBackWall()->GetBrush()->SetColor(clWhite);
  GetBackWall()->GetBrush()->SetStyle(bsClear);
  SetMarginUnits(muPixels);
  Zoom()->GetPen()->SetColor(clBlack);
  GetTitle()->SetVisible(true);
  GetTitle()->GetFont()->SetName("small fonts");
  GetTitle()->GetFont()->SetSize(7);
  SetView3D(false);
  SetView3DWalls(true);
  GetWalls()->SetView3D(true);
  SetBevelOuter(bvNone);
  SetColor(clWhite);
  GetTitle()->Clear();

  // 7. Axes.
  TChartAxis* left = GetLeftAxis();
  left->SetAutomatic(true);
  left->SetInverted(true);
  left->GetGrid()->SetVisible(false);
  left->SetStartPosition(5);
  left->SetLabelsSize(1);
  left->SetMinorTickCount(1);
  left->AutoLogFormat = true;
  left->SymmetricDecades = 1;
  left->SetLogarithmic(false);
  left->SetLabelsOnAxis(true);
  left->GetAxis()->SetVisible(false);
  left->SetLabelStyle(talValue);
  TChartAxis* bottom = GetBottomAxis();
  bottom->AutoLogFormat = true;
  bottom->SymmetricDecades = 1;
  bottom->SetLabelsSize(1);
  GetRightAxis()->SetLabelsSize(1);
  GetRightAxis()->GetAxis()->SetWidth(0);
  bottom->SetMinorTickCount(1);
  bottom->GetAxis()->SetVisible(false);
  bottom->SetAutomatic(true);
  bottom->GetGrid()->SetVisible(false);
  bottom->SetLabelStyle(talValue);

  // 8. Legend.
  TChartLegend* legend = GetLegend();
  legend->SetVisible(false);
  legend->SetCustomPosition(true);
  legend->SetCheckBoxes(true);
  legend->SetResizeChart(false);
  legend->GetFont()->SetName("small fonts");
  legend->GetFont()->SetSize(7);
  legend->SetPositionUnits(muPixels);

  // 9. The legend's scroll bar.
  LegendScrollBar = new TLegendScrollBar(this);
  LegendScrollBar->GetBrush()->SetColor(clWhite);
  LegendScrollBar->SetParentChart(this);
  LegendScrollBar->SetActive(true);
  LegendScrollBar->SetDrawStyle(dsAlways);
  LegendScrollBar->GetPen()->SetColor(clWindowFrame);
  LegendScrollBar->SetSize(7);
  LegendScrollBar->GetThumbBrush()->SetColor(0xC0C0C0);
  LegendScrollBar->SetActive(true);

  // 10.
  ::SaveAxesDefaults(this);
  contour_->GridMode = false;
  contour_->TriangleCount = 0;
  contour_->NextNode = 1;

  // 11. The popup menu.
  SectionMenu = new TPopupMenu(this);
  SectionMenu->SetAutoHotkeys(maManual);
  for (int i = 0; i < 8; ++i) {
    auto* item = new TMenuItem(this);
    item->SetCaption(kMenuCaptions[i]);
    item->OnClick = [this, item](TObject*) { PopupCommand(item->GetMenuIndex()); };
    SectionMenu->Add(item);
  }

  // 12.
  contour_->UserMax = NoValue;
  contour_->UserMin = NoValue;
  contour_->ShowIsolines = true;
  SetDefaults();

  // 13. Events.
  OnDblClick = [this](TObject* sender) { ShowPopup(sender); };
  OnMouseMove = [this](TObject* sender, TShiftState shift, int32_t x, int32_t y) {
    SectionMouseMove(sender, shift, x, y);
  };
  OnResize = [this](TObject*) { ResizeHandler(); };
  OnSeriesMenu = [this](TObject*) { UpdateLayout(); };
  GetLeftAxis()->OnScaleChange = [this](TObject*) { UpdateLayout(); };
  GetBottomAxis()->OnScaleChange = [this](TObject*) { UpdateLayout(); };
  ResizeHandler();
}

// ---------------------------------------------------------------- settings

void TPseudoSection2d::SetDefaults()
{
  TSectionSettings d;
  contour_->ShowColorBar = true;
  contour_->LogData = false;
  contour_->ContourMinColor = d.ContourMinColor;
  contour_->ContourMaxColor = d.ContourMaxColor;
  contour_->MidColors = {d.MidColor1, d.MidColor2};
  contour_->IsolineMinColor = d.IsolineMinColor;
  contour_->IsolineMaxColor = d.IsolineMaxColor;
  SetMarginLeft(d.MarginLeft);
  SetMarginRight(d.MarginRight);
  SetMarginTop(d.MarginTop);
  SetMarginBottom(d.MarginBottom);
  contour_->LevelCount = d.LevelCount;
}

void TPseudoSection2d::SetLevelCount(int32_t v)
{
  contour_->LevelCount = std::clamp(v, SectionMinLevels, SectionMaxLevels);
}

TNuvFont* TPseudoSection2d::LabelFont() const { return static_cast<TNuvFont*>(contour_->LabelFont.get()); }

TSectionSettings TPseudoSection2d::CurrentSettings() const
{
  const TPseudoSectionContour& c = *contour_;
  TSectionSettings s;
  s.ContourMinColor = c.ContourMinColor;
  s.ContourMaxColor = c.ContourMaxColor;
  s.IsolineMinColor = c.IsolineMinColor;
  s.IsolineMaxColor = c.IsolineMaxColor;
  s.MidColor1 = c.MidColors.at(0);
  s.MidColor2 = c.MidColors.at(1);
  s.LevelCount = c.LevelCount;
  s.MarginLeft = GetMarginLeft();
  s.MarginRight = GetMarginRight();
  s.MarginTop = GetMarginTop();
  s.MarginBottom = GetMarginBottom();
  s.UserLimits = c.UserLimits;
  s.ShowIsolines = c.ShowIsolines;
  s.LogData = c.LogData;
  s.ShowColorBar = c.ShowColorBar;
  s.GridPointsActive = GridPointSeries && GridPointSeries->GetActive();
  s.UserMax = c.UserMax;
  s.UserMin = c.UserMin;
  return s;
}

void TPseudoSection2d::ApplySettings(const TSectionSettings& s)
{
  TPseudoSectionContour& c = *contour_;
  c.ContourMinColor = s.ContourMinColor;
  c.ContourMaxColor = s.ContourMaxColor;
  c.IsolineMinColor = s.IsolineMinColor;
  c.IsolineMaxColor = s.IsolineMaxColor;
  c.MidColors = {s.MidColor1, s.MidColor2};
  c.LevelCount = s.LevelCount;
  SetMarginLeft(s.MarginLeft);
  SetMarginRight(s.MarginRight);
  SetMarginTop(s.MarginTop);
  SetMarginBottom(s.MarginBottom);
  c.UserLimits = s.UserLimits;
  c.ShowIsolines = s.ShowIsolines;
  c.LogData = s.LogData;
  c.ShowColorBar = s.ShowColorBar;
  if (GridPointSeries) GridPointSeries->SetActive(s.GridPointsActive);
  c.UserMax = s.UserMax;
  c.UserMin = s.UserMin;
}

void TPseudoSection2d::GetSettings(std::string& line) { line = FormatSectionSettings(CurrentSettings()); }

std::string TPseudoSection2d::GetSettings() { return FormatSectionSettings(CurrentSettings()); }

void TPseudoSection2d::SetSettings(const std::string& line)
{
  TSectionSettings s = CurrentSettings();
  if (!ParseSectionSettings(line, s)) return;
  ApplySettings(s);
  UpdateLevels();
}

// ---------------------------------------------------------------- layout

TRect TPseudoSection2d::PlotArea()
{
  // The chart rectangle inside the margins, as the last paint placed it.
  return ChartRect;
}

TRect TPseudoSection2d::PictureRect() const
{
  if (!ImageTool) return TRect{};
  // The tool keeps its rectangle as drawn, upside down when flipped; the zones want it upright.
  const TRect r = ImageTool->PictureRect();
  return Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
              std::max(r.Top, r.Bottom));
}

void TPseudoSection2d::ResizeHandler()
{
  Invalidate();
  Update();
  const TRect plot = PlotArea();
  GetLegend()->SetLeft(plot.Right + 15);
  GetLegend()->SetTop(plot.Top);
}

void TPseudoSection2d::UpdateLayout()
{
  TPseudoSectionContour& c = *contour_;
  if (c.NextNode < 3 || !ImageTool || !ImageTool->GetActive()) return;
  // 1. Extent of the nodes as added.
  double xmin = c.NodeTable[1].inputX, xmax = xmin, ymin = c.NodeTable[1].inputY, ymax = ymin;
  for (int32_t i = 2; i < c.NextNode; ++i) {
    const dVertex3d& n = c.NodeTable[static_cast<size_t>(i)];
    xmin = std::min(xmin, n.inputX);
    xmax = std::max(xmax, n.inputX);
    ymin = std::min(ymin, n.inputY);
    ymax = std::max(ymax, n.inputY);
  }
  // 2. The bounds series spans it; the automatic axis ranges follow.
  if (BoundsSeries->Count() == 2) {
    BoundsSeries->XValues()->SetValue(0, xmin);
    BoundsSeries->YValues()->SetValue(0, ymax);
    BoundsSeries->XValues()->SetValue(1, xmax);
    BoundsSeries->YValues()->SetValue(1, ymin);
    BoundsSeries->Repaint();
  } else {
    BoundsSeries->Clear();
    BoundsSeries->AddXY(xmin, ymax, "", clDefault);
    BoundsSeries->AddXY(xmax, ymin, "", clDefault);
  }
  // 3. Only a chart on screen paints now: the picture below does not depend on the chart's paint,
  // and the hidden renderer of the main window would otherwise draw its old picture for nothing.
  if (Showing()) {
    Repaint();
  } else {
    Invalidate();
    // The axes still take their ranges from the data (a logarithmic axis turns symmetric when its
    // range reaches 0 or below), as a paint would have them.
    GetLeftAxis()->AdjustMaxMin();
    GetBottomAxis()->AdjustMaxMin();
  }
  // 4. Plot coordinates follow the axes' logarithmic modes.
  const TChartAxis* left = GetLeftAxis();
  const TChartAxis* bottom = GetBottomAxis();
  bool placeable = true;
  for (int32_t i = 1; i < c.NextNode; ++i) {
    dVertex3d& n = c.NodeTable[static_cast<size_t>(i)];
    n.x = AxisPlotValue(bottom, n.inputX);
    n.y = AxisPlotValue(left, n.inputY);
    placeable = placeable && std::isfinite(n.x) && std::isfinite(n.y);
  }
  // 5. A node with no place on a logarithmic axis (a position of 0 or below) leaves the picture
  // empty, as any section that cannot be drawn does.
  if (placeable) {
    c.UpdatePlotTransform();
    if (c.GridMode) c.ExtendPlotBottom(AxisPlotValue(left, c.ThinnedGridBottom));
    c.RenderPicture();
  } else {
    c.SectionPicture()->Clear();
  }
  if (ImageTool) {
    auto shown = std::make_unique<TMetafile>();
    shown->Assign(c.SectionPicture());
    ImageTool->GetPicture()->SetGraphic(std::move(shown));
  }
}

// ---------------------------------------------------------------- mouse

void TPseudoSection2d::ClassifyMousePos(int32_t x, int32_t y)
{
  const TRect pic = PictureRect();
  const TRect plot = PlotArea();
  if (pic.Left < x && x <= pic.Right && pic.Top <= y && y <= pic.Bottom)
    MouseZone = smzPicture;
  else if (x < plot.Left && plot.Top <= y && y <= plot.Bottom)
    MouseZone = smzLeft;
  else if (plot.Left <= x && x <= plot.Right && y < plot.Top)
    MouseZone = smzAbove;
  else if (plot.Left <= x && x <= plot.Right && y > plot.Bottom)
    MouseZone = smzBelow;
  else if (x >= plot.Right && plot.Top <= y && y <= plot.Bottom)
    MouseZone = smzRight;
}

void TPseudoSection2d::SectionMouseMove(TObject*, TShiftState, int32_t x, int32_t y)
{
  if (contour_->NextNode < 3 || !ImageTool) return;
  CursorX = ImageTool->XScreenToValue(x);
  CursorY = ImageTool->YScreenToValue(y);
  ClassifyMousePos(x, y);
  PositionText = FloatToStrDec(0, true, CursorX) + " " + FloatToStrDec(0, true, CursorY);
  if (OnPosition) OnPosition(this);
}

// ---------------------------------------------------------------- menu

void TPseudoSection2d::ShowPopup(TObject* sender)
{
  if (MouseZone == smzPicture) return;
  SectionMenu->Items(scLogScale)->SetChecked(contour_->LogData);
  SectionMenu->Items(scGridPoints)->SetChecked(GridPointSeries->GetActive());
  SectionMenu->Items(scColorBar)->SetChecked(contour_->ShowColorBar);
  CancelMouse = true;
  PopupChart = dynamic_cast<TPseudoSection2d*>(sender);
  if (!PopupChart) PopupChart = this;
  const TPoint at = ClientToScreen(GetCursorPos());
  SectionMenu->Popup(at.x, at.y);
  CancelMouse = true;
}

TPseudosetupForm* TPseudoSection2d::SetupDialog() { return g_setupDialog; }

void TPseudoSection2d::PopupCommand(int32_t index)
{
  TPseudoSectionContour& c = *contour_;
  switch (index) {
    case scLogScale: {
      const bool was = c.LogData;
      c.LogData = !c.LogData;
      if (c.RangeMin <= 0 || c.UserMin <= 0) c.LogData = false;
      if (c.LogData != was) {
        UpdateLevels();
        UpdateLayout();
      }
      break;
    }
    case scGridPoints: GridPointSeries->SetActive(!GridPointSeries->GetActive()); break;
    case scColorBar:
      c.ShowColorBar = !c.ShowColorBar;
      Repaint();
      break;
    case scSetup:
      if (!g_setupDialog) {
        g_setupDialog = new TPseudosetupForm(ApplicationOwner());
        g_setupDialog->FreeNotification(&SetupDialogWatch());
      }
      g_setupDialog->LoadFromSection(this);
      g_setupDialog->ShowModal();
      break;
    case scPrintPreview: ChartPreview(this, PopupChart ? PopupChart : this); break;
    case scSavePicture: SavePicture(); break;
    case scSaveXYZ: SaveXYZ(); break;
    case scDefault:
      if (!DefaultSettings.empty()) SetSettings(DefaultSettings);
      break;
    default: return;
  }
  if (OnChange) OnChange(this);
}

void TPseudoSection2d::SavePicture()
{
  auto dialog = std::make_unique<TSaveDialog>(this);
  dialog->Filter = "Meta files [*.emf]|*.emf";
  dialog->NameToWrite = [](std::string name, int) {
    SectionPictureFormat(name);
    return name;
  };
  if (!dialog->Execute()) return;
  std::string fileName = dialog->FileName;
  const TSectionPictureFormat format = SectionPictureFormat(fileName);
  if (!dialog->MayReplace(fileName)) return;
  try {
    switch (format) {
      case TSectionPictureFormat::Enhanced: SaveToMetafileEnh(fileName); break;
      case TSectionPictureFormat::Placeable: SaveToMetafileRect(false, fileName, GetRectangle()); break;
      case TSectionPictureFormat::Bitmap: SaveToBitmapFile(fileName); break;
    }
  } catch (const Exception& e) {
    ShowMessage("The picture was not saved: " + e.Message());
  }
}

void TPseudoSection2d::SaveXYZ()
{
  auto dialog = std::make_unique<TSaveDialog>(this);
  dialog->Filter = "XYZ files [*.dat]|*.dat";
  dialog->NameToWrite = [](const std::string& name, int) { return ChangeFileExt(name, ".dat"); };
  if (!dialog->Execute()) return;
  const std::string fileName = ChangeFileExt(dialog->FileName, ".dat");
  if (!dialog->MayReplace(fileName)) return;
  std::string error;
  if (!WriteSectionXYZ(fileName, contour_->NodeTable, contour_->NextNode, &error))
    ShowMessage("The XYZ file was not saved: " + error);
}

void TPseudoSection2d::Notification(TComponent* component, TOperation operation)
{
  TChart::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == PopupChart) PopupChart = nullptr;
  if (component == ImageTool) ImageTool = nullptr;
  if (component == LegendScrollBar) LegendScrollBar = nullptr;
  if (component == SectionMenu) SectionMenu = nullptr;
  for (TPointSeries** s : {&BoundsSeries, &StationSeries, &GridPointSeries, &MarkSeries})
    if (component == *s) *s = nullptr;
}
