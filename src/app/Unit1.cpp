#include "app/Unit1.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/PointTable.h"
#include "app/ProfileModel.h"
#include "app/SceneChart.h"
#include "app/SceneDrawing.h"
#include "app/SceneGeometry.h"
#include "app/SectionPictures.h"
#include "app/Supermath2d.h"
#include "app/ToolbarGlyphs.h"
#include "chart/canvas/NuvGLCanvas.h"
#include "chart/canvas/NuvOpenGL.h"
#include "chart/editor/ChartEditor.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"
#include "chart/model/NvEngineMarks.h"
#include "chart/series/ChartTools.h"
#include "chart/series/SurfaceSeries.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/SysUtils.h"

namespace {
constexpr int kColCount = 9;
const char* const kHeaders[kColCount] = {"N", "File Name", "X0", "Y0", "X1", "Y1", "v", "st", "en"};
const int32_t kColWidths[kColCount] = {20, 133, 40, 40, 40, 37, 31, 40, 40};

// What "Save data" writes of a name chosen with the dialog's kind Index: the kind (1 project,
// 2 scene picture, 3 point table; 0 nothing) and the file, which takes the kind's extension. A
// typed extension that names one of the kinds chooses it.
std::pair<int, std::string> SaveDataTarget(const std::string& filter, const std::string& fileName, int index)
{
  if (const int typed = FilterIndexOfFileName(filter, fileName)) index = typed;
  if (index < 1 || index > 3) return {0, fileName};
  static const char* const extensions[] = {".prj", ".bmp", ".dat"};
  return {index, ChangeFileExt(fileName, extensions[index - 1])};
}
}  // namespace

TForm1* Form1 = nullptr;

std::string JoinArgumentsReversed(const std::vector<std::string>& args)
{
  std::string joined;
  for (auto it = args.rbegin(); it != args.rend(); ++it) joined += *it;
  return joined;
}

// What the project and scene code calls back: forwarded to the window and its charts.
class TForm1::SceneHost : public ISceneHost {
public:
  explicit SceneHost(TForm1& form) : f_(form) {}
  void SetSceneAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin,
                          double depthMax) override
  {
    f_.SetSceneAxisRanges(xMin, xMax, yMin, yMax, depthMin, depthMax);
  }
  void ClearTextureCache() override { ::ClearTextureCache(); }
  void GetView3D(int& zoom, int& rotation, int& elevation) override { f_.GetView3D(zoom, rotation, elevation); }
  void SetView3D(int zoom, int rotation, int elevation) override { f_.SetView3D(zoom, rotation, elevation); }
  std::string GetSectionSettings() override { return f_.SectionChart()->GetSettings(); }
  void SetSectionSettings(const std::string& line) override { f_.SectionChart()->SetSettings(line); }
  void GridChanged() override { f_.GridChanged(); }
  void DisplayModeChanged() override { f_.ShowModeButtons(); }
  void BuildSectionPictures() override { f_.BuildSectionPictures(); }
  void Repaint() override { f_.RepaintScene(); }

private:
  TForm1& f_;
};

TForm1::TForm1(TComponent* owner, std::vector<std::string> args)
    : TForm(owner), host_(std::make_unique<SceneHost>(*this)), args_(std::move(args))
{
  // The series types, tools and editor dialogs register themselves before any chart is made.
  InstallChartEditorServices();
  CreateComponents();
  OnCreate = [this](TObject*) { FormCreate(); };
  DoCreate();
}

TForm1::~TForm1()
{
  // The timers must not tick into a half-destroyed window.
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  // Chart3 may paint while the components go (the OpenGL component gives it a GDI canvas): the
  // scene of this window is gone by then.
  Chart3->OnAfterDraw = nullptr;
  Chart3->OnBeforeDrawChart = nullptr;
  Chart3->OnBeforeDrawAxes = nullptr;
  if (TGLCanvas* c = NuvOpenGL1->GetGLCanvas()) c->OnFrameEnd = nullptr;
  ++loading_;
}

ISectionChart* TForm1::SectionChart() const { return PseudoSection2d1; }

void TForm1::CreateComponents()
{
  SetName("Form1");
  SetCaption("Orbisk");
  Application_SetTitle(GetCaption());
  SetPosition(poDesktopCenter);
  SetBounds(94, 38, 1022, 570);
  SetWindowState(wsMaximized);
  Font()->SetName("MS Sans Serif");
  Font()->SetSize(8);

  ImageList1 = new TImageList(this);
  ImageList1->SetSize(23, 23);
  ImageList1->Add(MakeGlyph(TGlyphKind::TextureMode, 23).get());
  ImageList1->Add(MakeGlyph(TGlyphKind::CellMode, 23).get());

  ToolBar1 = new TToolBar(this);
  ToolBar1->SetName("ToolBar1");
  ToolBar1->SetHeight(33);
  ToolBar1->SetButtonHeight(24);
  ToolBar1->SetParent(this);

  auto button = [this](const char* name, const std::string& hint, bool flat, TGlyphKind glyph, bool twoGlyphs) {
    auto* b = new TSpeedButton(this);
    b->SetName(name);
    b->SetWidth(24);
    b->SetHint(hint);
    b->SetShowHint(!hint.empty());
    b->SetFlat(flat);
    if (twoGlyphs) {
      b->SetGlyph(MakeTwoGlyphs(glyph).get());
      b->SetNumGlyphs(2);
    } else {
      b->SetGlyph(MakeGlyph(glyph).get());
    }
    b->SetParent(ToolBar1);
    return b;
  };
  SpeedButton4 = button("SpeedButton4", "Open data", true, TGlyphKind::OpenProject, false);
  SpeedButton5 = button("SpeedButton5", "Save data", true, TGlyphKind::SaveProject, false);
  ToolBar1->AddSeparator();
  SpeedButton1 = button("SpeedButton1", "", true, TGlyphKind::AppendRow, true);
  SpeedButton6 = button("SpeedButton6", "", true, TGlyphKind::DropRow, true);
  ToolBar1->AddSeparator();
  SpeedButton3 = button("SpeedButton3", "Resistivity mode", true, TGlyphKind::Resistivity, false);
  SpeedButton7 = button("SpeedButton7", "Polarizability mode", false, TGlyphKind::Polarizability, false);
  ToolBar1->AddSeparator();
  SpeedButton2 = button("SpeedButton2", "Graphics options", true, TGlyphKind::Options, false);
  ToolBar1->AddSeparator();
  SpeedButton8 = new TkwToolbarButton(this);
  SpeedButton8->SetName("SpeedButton8");
  SpeedButton8->SetWidth(28);
  SpeedButton8->SetImages(ImageList1);
  SpeedButton8->SetImageIndex(0);
  SpeedButton8->SetParent(ToolBar1);
  SpeedButton11 = button("SpeedButton11", "", true, TGlyphKind::Rotation, false);
  ToolBar1->AddSeparator();
  SpeedButton9 = button("SpeedButton9", "XY plane", true, TGlyphKind::Plane, false);
  SpinButton1 = new TSpinButton(this);
  SpinButton1->SetName("SpinButton1");
  SpinButton1->SetBounds(0, 0, 15, 24);
  SpinButton1->SetParent(ToolBar1);
  Edit1 = new TEdit(this);
  Edit1->SetName("Edit1");
  Edit1->SetBounds(0, 0, 48, 21);
  Edit1->SetParent(ToolBar1);
  ToolBar1->AddSeparator();
  SpeedButton10 = button("SpeedButton10", "Equal scale", false, TGlyphKind::EqualScale, false);
  Edit2 = new TEdit(this);
  Edit2->SetName("Edit2");
  Edit2->SetBounds(0, 0, 48, 21);
  Edit2->SetText("1:1");
  Edit2->SetVisible(false);
  Edit2->SetParent(ToolBar1);
  ToolBar1->ArrangeControls();

  StatusBar1 = new TStatusBar(this);
  StatusBar1->SetName("StatusBar1");
  StatusBar1->Panels().resize(2);
  StatusBar1->Panels()[0].Width = 100;
  StatusBar1->Panels()[1].Width = 100;
  StatusBar1->SetVisible(false);
  StatusBar1->SetParent(this);

  kwBiSplit1 = new TkwBiSplit(this);
  kwBiSplit1->SetName("kwBiSplit1");
  kwBiSplit1->SetAlign(alClient);
  kwBiSplit1->SetParent(this);
  kwBiSplit1->SetPosition(366);

  RichStringGrid1 = new TRichStringGrid(this);
  RichStringGrid1->SetName("RichStringGrid1");
  RichStringGrid1->SetColCount(kColCount);
  RichStringGrid1->SetRowCount(2);
  RichStringGrid1->SetFixedCols(1);
  RichStringGrid1->SetFixedRows(1);
  RichStringGrid1->SetDefaultRowHeight(21);
  for (int c = 0; c < kColCount; ++c) {
    RichStringGrid1->SetColWidth(c, kColWidths[c]);
    RichStringGrid1->SetCells(c, 0, kHeaders[c]);
  }
  RichStringGrid1->Font()->SetName("Tahoma");
  RichStringGrid1->Font()->SetSize(8);
  RichStringGrid1->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect |
                              goEditing | goColSizing);
  RichStringGrid1->Bands.Active = true;
  RichStringGrid1->Bands.PrimaryColor = clInfoBk;
  RichStringGrid1->Bands.SecondaryColor = clWindow;
  RichStringGrid1->FloatFormat = "%.2f";
  RichStringGrid1->SetAlign(alClient);
  RichStringGrid1->SetParent(kwBiSplit1->Pane1());
  ActiveControl = RichStringGrid1;

  // The section chart contours off-screen: it stays hidden.
  PseudoSection2d1 = new TPseudoSection2d(this);
  PseudoSection2d1->SetName("PseudoSection2d1");
  PseudoSection2d1->SetVisible(false);
  PseudoSection2d1->SetBounds(0, 0, 400, 300);
  PseudoSection2d1->SetParent(kwBiSplit1->Pane2());

  CreateSceneChart();

  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->Filter = "Pelvatra data files|*.k2d;*.cht|Data files|*.dat|Skarnel data files|*.m2d";
  OpenDialog1->FilterIndex = 1;
  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->Filter = "Project file|*.prj|Picture|*.bmp|Base|*.dat";
  SaveDialog1->NameToWrite = [this](const std::string& name, int index) {
    return SaveDataTarget(SaveDialog1->Filter, name, index).second;
  };
  OpenDialog2 = new TOpenDialog(this);
  OpenDialog2->Filter = "Project file|*.prj";

  Timer1 = new TTimer(this);
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(true);
  Timer2 = new TTimer(this);
  Timer2->SetEnabled(false);
  Timer2->SetInterval(100);

  // Events.
  Timer1->OnTimer = [this](TObject*) { Timer1Timer(); };
  Timer2->OnTimer = [this](TObject*) { Timer2Timer(); };
  SpeedButton4->OnClick = [this](TObject*) { OpenDataClick(); };
  SpeedButton5->OnClick = [this](TObject*) { SaveDataClick(); };
  SpeedButton1->OnClick = [this](TObject*) { AppendRowClick(); };
  SpeedButton6->OnClick = [this](TObject*) { DropRowClick(); };
  SpeedButton3->OnClick = [this](TObject*) { ResistivityModeClick(); };
  SpeedButton7->OnClick = [this](TObject*) { PolarizabilityModeClick(); };
  SpeedButton2->OnClick = [this](TObject*) { GraphicsOptionsClick(); };
  SpeedButton8->OnClick = [this](TObject*) { CellModeClick(); };
  SpeedButton11->OnClick = [this](TObject*) { AutoRotationClick(); };
  SpeedButton9->OnClick = [this](TObject*) { PlaneClick(); };
  SpinButton1->OnDownClick = [this](TObject*) { SpinDownClick(); };
  SpinButton1->OnUpClick = [this](TObject*) { SpinUpClick(); };
  Edit1->OnChange = [this](TObject*) { Edit1Change(); };
  SpeedButton10->OnClick = [this](TObject*) { EqualScaleClick(); };
  Edit2->OnChange = [this](TObject*) { Edit2Change(); };
  Chart3->OnMouseMove = [this](TObject*, TShiftState, int32_t, int32_t) { Chart3->SetFocus(); };
  Chart3->OnMouseWheelDown = [this](TObject*, TShiftState, TPoint, bool& handled) {
    int zoom, rotation, elevation;
    GetView3D(zoom, rotation, elevation);
    SetView3D(zoom - 2, rotation, elevation);
    RepaintScene();
    handled = true;
  };
  Chart3->OnMouseWheelUp = [this](TObject*, TShiftState, TPoint, bool& handled) {
    int zoom, rotation, elevation;
    GetView3D(zoom, rotation, elevation);
    SetView3D(zoom + 2, rotation, elevation);
    RepaintScene();
    handled = true;
  };
  Chart3->OnAfterDraw = [this](TObject*) { Chart3AfterDraw(); };
  // Equal scale sets the axis ranges before the walls and the axes are drawn (from the last
  // frame's axis lengths, then from this frame's), so that the labels belong to the ranges the
  // sections are drawn with in this same frame.
  auto equalScale = [this](TObject*) {
    if (!SceneLocked() && State.EqualScale) ApplyEqualScale(State, *sceneAxes_);
  };
  Chart3->OnBeforeDrawChart = equalScale;
  Chart3->OnBeforeDrawAxes = equalScale;
  RichStringGrid1->OnCanEditCell = [this](TObject*, int32_t c, int32_t r, bool& can) { GridCanEditCell(c, r, can); };
  RichStringGrid1->OnGetAlignment = [this](TObject*, int32_t c, int32_t r, THorzAlign& h, TVertAlign& v) {
    GridGetAlignment(c, r, h, v);
  };
  RichStringGrid1->OnCellValidate = [this](TObject*, int32_t c, int32_t r, std::string& text, bool& valid) {
    GridCellValidate(c, r, text, valid);
  };
  RichStringGrid1->OnCheckBoxClick = [this](TObject*, int32_t c, int32_t r, bool state) {
    GridCheckBoxClick(c, r, state);
  };
  RichStringGrid1->OnSelectCell = [this](TObject*, int32_t c, int32_t r, bool& can) { GridSelectCell(c, r, can); };
  RichStringGrid1->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int32_t x, int32_t y) {
    GridMouseDown(b, s, x, y);
  };
}

void TForm1::CreateSceneChart()
{
  Chart3 = new TChart(this);
  Chart3->SetName("Chart3");
  Chart3->SetColor(clWhite);
  Chart3->SetBevelOuter(bvNone);
  Chart3->AllowPanning = pmNone;
  Chart3->GetLegend()->SetVisible(false);
  Chart3->GetTitle()->SetVisible(false);
  Chart3->GetFoot()->SetVisible(false);
  for (int m = 0; m < 4; ++m) Chart3->SetMargin(m, 1);
  Chart3->SetView3D(true);
  Chart3->SetChart3DPercent(100);
  TView3DOptions* view = Chart3->GetView3DOptions();
  view->SetOrthogonal(false);
  view->SetPerspective(50);
  view->SetZoom(42);
  view->SetRotation(360);
  view->SetElevation(360);
  Chart3->GetBottomAxis()->GetTitle()->SetCaption("x");
  Chart3->GetDepthAxis()->GetTitle()->SetCaption("y");
  Chart3->GetDepthAxis()->SetVisible(true);
  Chart3->GetLeftAxis()->GetTitle()->SetCaption("z");
  Chart3->GetLeftAxis()->SetInverted(true);
  Chart3->GetRightAxis()->SetVisible(false);
  Chart3->GetTopAxis()->SetVisible(false);
  for (TChartAxis* axis : std::initializer_list<TChartAxis*>{Chart3->GetBottomAxis(), Chart3->GetDepthAxis(), Chart3->GetLeftAxis(),
                           Chart3->GetRightAxis(), Chart3->GetTopAxis()}) {
    axis->SetAutomatic(false);
    axis->GetAxis()->SetWidth(1);
    axis->GetGrid()->SetVisible(false);
    axis->GetLabelsFont()->SetHeight(-13);
    axis->SetMinorTickCount(1);
  }
  TChartBackWall* back = Chart3->GetBackWall();
  back->SetTransparent(false);
  back->SetColor(0xB6BEDA);
  back->GetBrush()->SetColor(clWhite);
  Chart3->GetLeftWall()->SetTransparent(true);
  Chart3->GetBottomWall()->SetTransparent(true);
  Chart3->GetRightWall()->SetTransparent(true);
  Chart3->GetRightWall()->SetVisible(true);
  Chart3->SetAlign(alClient);
  Chart3->SetParent(kwBiSplit1->Pane2());
  // The surface series gives the axes their value labels; it holds no points.
  Series4 = new TSurfaceSeries(this);
  Series4->SetName("Series4");
  Series4->GetPen()->SetVisible(false);
  Series4->GetMarks()->SetVisible(false);
  Series4->SetParentChart(Chart3);
  ChartTool5 = new TRotateTool(this);
  ChartTool5->SetName("ChartTool5");
  ChartTool5->GetPen()->SetColor(clWhite);
  ChartTool5->GetPen()->SetMode(pmXor);
  ChartTool5->SetParentChart(Chart3);

  NuvOpenGL1 = new TNuvOpenGL(this);
  NuvOpenGL1->SetName("NuvOpenGL1");
  NuvOpenGL1->SetAmbientLight(35);
  TGLLightSource* light = NuvOpenGL1->GetLight();
  light->SetVisible(true);
  light->SetColor(0x1E1E1E);
  light->SetFixedPosition(true);
  light->GetPosition()->SetX(-20);
  light->GetPosition()->SetY(-10);
  light->GetPosition()->SetZ(500);
  light->GetDirection()->SetX(0);
  light->GetDirection()->SetY(0);
  light->GetDirection()->SetZ(-1);
  light->SetSpotDegrees(180);
  for (TGLLightSource* off : {NuvOpenGL1->GetLight1(), NuvOpenGL1->GetLight2()}) {
    off->SetColor(clBlack);
    off->SetVisible(false);
  }
  NuvOpenGL1->SetShininess(0.69);
  NuvOpenGL1->SetActive(true);
  NuvOpenGL1->SetNuvPanel(Chart3);
  RegisterOpenGLEditorPage();

  sceneSection_ = std::make_unique<TSectionChartScene>(*PseudoSection2d1);
  sceneAxes_ = std::make_unique<TChartSceneAxes>(Chart3);
}

void TForm1::GetView3D(int& zoom, int& rotation, int& elevation) const
{
  const TView3DOptions* v = Chart3->GetView3DOptions();
  zoom = v->GetZoom();
  rotation = v->GetRotation();
  elevation = v->GetElevation();
}

void TForm1::SetView3D(int zoom, int rotation, int elevation)
{
  TView3DOptions* v = Chart3->GetView3DOptions();
  v->SetZoom(zoom);
  v->SetRotation(rotation);
  v->SetElevation(elevation);
}

void TForm1::SetSceneAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin, double depthMax)
{
  // No present section leaves the bounds at their +-1e19 start; the axes keep any finite pair.
  auto set = [](TChartAxis* axis, double lo, double hi) {
    if (std::isfinite(lo) && std::isfinite(hi)) axis->SetMinMax(lo, hi);
  };
  set(Chart3->GetBottomAxis(), xMin, xMax);
  set(Chart3->GetDepthAxis(), yMin, yMax);
  set(Chart3->GetLeftAxis(), depthMin, depthMax);
}

void TForm1::Chart3AfterDraw()
{
  if (SceneLocked()) return;
  if (TGLCanvas* c = NuvOpenGL1->GetGLCanvas()) {
    // A canvas made anew (the component switched off and on) gets the colour bar too.
    if (!c->OnFrameEnd) c->OnFrameEnd = [this](TObject*) { DrawLegendOnGL(); };
    DrawScene3D(State, *c, *sceneAxes_, *sceneSection_, NuvOpenGL1);
  }
  ShowPlaneDepth();
}

void TForm1::DrawLegendOnGL()
{
  if (SceneLocked() || !AnySectionPresent(State)) return;
  TGLCanvas* c = NuvOpenGL1->GetGLCanvas();
  if (c && c->GetHandle()) ::DrawLegendOnGL(*sceneSection_, c->GetHandle());
}

void TForm1::FormCreate()
{
  // 1. The wheel zooms the scene instead of scrolling it.
  NuvChartUseMouseWheel = false;
  // 2. The project association, at every start.
  const std::string exe = Application_ExeName();
  RegisterFileAssociation("prj", "Quon 3d data", exe + ",0", exe);
  // 3.
  State.PlaneDepth = 0.0;
  State.PlaneShown = 0;
  State.CellMode = 0;
  // 4. The colour bar goes onto the finished frame.
  if (TGLCanvas* c = NuvOpenGL1->GetGLCanvas()) c->OnFrameEnd = [this](TObject*) { DrawLegendOnGL(); };
  // 5.
  State.ScaleRatio = 1.0;
  // 6. One empty entry.
  State.Profiles.assign(1, TProfileEntry{});
  State.Loaded.assign(1, 0);
  State.PlaneReady = 0;
  State.Grid.SetCell(0, 1, "1");
  RichStringGrid1->SetCells(0, 1, "1");
  State.DisplayMode = 0;
  for (fdata& half : State.Profiles[0]) {
    half.Texture.reset();
    half.Present = 0;
  }
  State.Profiles[0][0].Shown = 1;
  // 7. Resistivity starts without isolines; polarizability without isolines on a linear scale.
  SectionChart()->SetShowIsolines(false);
  State.SettingsLines[0] = SectionChart()->GetSettings();
  SectionChart()->SetLogData(false);
  State.SettingsLines[1] = SectionChart()->GetSettings();
  SectionChart()->SetLogData(true);
  // 8. The left axis shows depth as positive numbers.
  Chart3->GetLeftAxis()->LabelFactor = -1.0;
  ShowPlaneDepth();
}

void TForm1::Timer1Timer()
{
  Timer1->SetEnabled(false);
  std::string joined = JoinArgumentsReversed(args_);
  if (joined.empty()) return;
  // A path with blanks given unquoted arrives as several arguments: when the joined text names no
  // file, the arguments in their own order with one blank between them may.
  if (args_.size() > 1 && !FileExists(joined)) {
    std::string spaced = args_.front();
    for (size_t i = 1; i < args_.size(); ++i) spaced += " " + args_[i];
    if (FileExists(spaced)) joined = spaced;
  }
  if (LowerCase(ExtractFileExt(joined)) == ".prj") OpenProject(joined);
}

void TForm1::Timer2Timer()
{
  int zoom, rotation, elevation;
  GetView3D(zoom, rotation, elevation);
  rotation += 4;
  if (rotation >= 360) rotation = 0;
  SetView3D(zoom, rotation, elevation);
  RepaintScene();
}

bool TForm1::SectionPresent() const { return AnySectionPresent(State); }

void TForm1::OpenProject(const std::string& fileName)
{
  ++loading_;
  bool loaded = false;
  try {
    loaded = LoadProject(State, host_.get(), fileName);
  } catch (...) {
    --loading_;
    throw;
  }
  --loading_;
  // The file dialogs open beside the current project.
  if (loaded) {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(fileName, ec);
    TOpenDialog::SetLastFolder(ExtractFilePath(ec ? fileName : path.lexically_normal().string()));
  }
  RepaintScene();
}

void TForm1::RepaintScene()
{
  if (SceneLocked()) return;
  Chart3->Invalidate();
}

void TForm1::Rebuild()
{
  ReleaseSceneTextures(State, host_.get());
  UpdateSceneBounds(State, host_.get());
  BuildSectionOutlines(State);
  BuildSectionPictures();
  RepaintScene();
}

void TForm1::BuildSectionPictures()
{
  // What the section chart reports for the pictures and the slice is said once per rebuild.
  TSectionMessages messages(PseudoSection2d1->Contour());
  ContourSectionPictures(State, *PseudoSection2d1);
  BuildPlaneSlice();
  messages.Show();
}

void TForm1::BuildPlaneSlice() { ::BuildPlaneSlice(State, *sceneSection_); }

void TForm1::ShowPlaneDepth()
{
  const std::string text = FloatToStrDec(0, true, State.PlaneDepth);
  const double shown = StrToFloatRange(Edit1->GetText(), true, 0, 0);
  if (shown == NoValue || shown != State.PlaneDepth || Edit1->GetText().empty()) Edit1->SetText(text);
}

// ---------------------------------------------------------------- commands

void TForm1::OpenDataClick()
{
  if (!OpenDialog2->Execute()) return;
  OpenProject(OpenDialog2->FileName);
}

void TForm1::SaveDataClick()
{
  if (!SectionPresent()) return;
  if (!SaveDialog1->Execute()) return;
  const auto [kind, target] = SaveDataTarget(SaveDialog1->Filter, SaveDialog1->FileName, SaveDialog1->FilterIndex);
  if (kind == 0) return;
  SaveDialog1->FilterIndex = kind;
  SaveDialog1->FileName = target;
  if (!SaveDialog1->MayReplace(SaveDialog1->FileName)) return;
  switch (kind) {
    case 1: SaveProject(State, host_.get(), SaveDialog1->FileName); break;
    case 2:
      try {
        Chart3->SaveToBitmapFile(SaveDialog1->FileName);
      } catch (const std::exception& e) {
        ShowMessage("The picture was not saved to " + SaveDialog1->FileName + ": " + e.what());
      }
      break;
    case 3: ExportPointTable(State, SaveDialog1->FileName); break;
    default: break;
  }
}

void TForm1::AppendRowClick()
{
  const int32_t row = RichStringGrid1->GetRowCount();
  // Rows above without an entry (a project that kept none) get theirs first, so that row and
  // entry stay paired.
  while (static_cast<int32_t>(State.Profiles.size()) < row - 1) {
    State.Profiles.push_back(TProfileEntry{});
    State.Loaded.push_back(0);
  }
  State.Profiles.push_back(TProfileEntry{});
  State.Loaded.push_back(0);
  RichStringGrid1->SetRowCount(row + 1);
  State.Grid.SetRowCount(row + 1);
  State.Grid.ClearRow(row);
  RichStringGrid1->SetCells(0, row, IntToStr(row));
  State.Grid.SetCell(0, row, IntToStr(row));
  for (int c = 1; c <= 6; ++c) RichStringGrid1->SetCells(c, row, "");
  RepaintScene();
}

void TForm1::DropRowClick()
{
  const int32_t rows = RichStringGrid1->GetRowCount();
  if (rows <= 2) return;
  if (!State.Profiles.empty() && static_cast<int32_t>(State.Profiles.size()) >= rows - 1) {
    State.Profiles.pop_back();
    State.Loaded.pop_back();
  }
  RichStringGrid1->SetRowCount(rows - 1);
  State.Grid.SetRowCount(rows - 1);
  if (State.SelectedRow >= rows - 1) State.SelectedRow = 0;
  // The dropped section leaves the bounds and outlines too: the full rebuild.
  Rebuild();
}

void TForm1::SwitchMode(int mode)
{
  if (!SectionPresent()) return;
  if (State.DisplayMode != mode) {
    State.SettingsLines[State.DisplayMode == 1 ? 1 : 0] = SectionChart()->GetSettings();
    State.DisplayMode = mode;
    SectionChart()->SetSettings(State.SettingsLines[mode]);
    Rebuild();
  }
  ShowModeButtons();
}

void TForm1::ShowModeButtons()
{
  SpeedButton3->SetFlat(State.DisplayMode == 0);
  SpeedButton7->SetFlat(State.DisplayMode == 1);
}

void TForm1::ResistivityModeClick() { SwitchMode(0); }

void TForm1::PolarizabilityModeClick() { SwitchMode(1); }

void TForm1::GraphicsOptionsClick()
{
  if (!SectionPresent()) return;
  if (!SetupForm) SetupForm = new TPseudosetupForm(ApplicationOwner());
  // What the Applies and the rebuild after the dialog report is said once, when all is done.
  TSectionMessages messages(PseudoSection2d1->Contour(), TSectionMessages::Session);
  SetupForm->LoadFromSection(PseudoSection2d1);
  SetupForm->ShowModal();
  Rebuild();
  messages.Show();
}

void TForm1::CellModeClick()
{
  State.CellMode = State.CellMode ? 0 : 1;
  if (State.CellMode == 1) {
    ::ClearTextureCache();
    SpeedButton8->SetImageIndex(1);
  } else {
    SpeedButton8->SetImageIndex(0);
    Rebuild();
  }
  RepaintScene();
}

void TForm1::AutoRotationClick() { Timer2->SetEnabled(!Timer2->GetEnabled()); }

void TForm1::PlaneClick()
{
  SpeedButton9->SetFlat(!SpeedButton9->GetFlat());
  State.PlaneShown = State.PlaneShown ? 0 : 1;
  if (State.PlaneShown) BuildPlaneSlice();
  RepaintScene();
}

void TForm1::ChangePlaneDepth(double delta)
{
  // The slice cuts at model depth -PlaneDepth: keep it between the deepest and the highest point.
  const double lo = -State.DepthMax, hi = -State.DepthMin;
  State.PlaneDepth = std::max(std::min(lo, hi), std::min(std::max(lo, hi), State.PlaneDepth + delta));
  BuildPlaneSlice();
  ShowPlaneDepth();
  RepaintScene();
}

void TForm1::SpinDownClick()
{
  if (!SectionPresent()) return;
  ChangePlaneDepth(-std::abs(State.DepthMin - State.DepthMax) / 20.0);
}

void TForm1::SpinUpClick()
{
  if (!SectionPresent()) return;
  ChangePlaneDepth(std::abs(State.DepthMin - State.DepthMax) / 20.0);
}

void TForm1::Edit1Change()
{
  if (!Edit1->Focused() || !SectionPresent()) return;
  const std::string text = Edit1->GetText();
  const double v = StrToFloatRange(text, true, 0, 0);
  if (v == NoValue) return;
  if (text == FloatToStrDec(0, true, State.PlaneDepth)) return;
  State.PlaneDepth = v;
  BuildPlaneSlice();
  RepaintScene();
}

void TForm1::EqualScaleClick()
{
  if (!SectionPresent()) return;
  State.EqualScale = State.EqualScale ? 0 : 1;
  SpeedButton10->SetFlat(State.EqualScale != 0);
  Edit2->SetVisible(State.EqualScale != 0);
  ToolBar1->ArrangeControls();
  if (!State.EqualScale) UpdateSceneBounds(State, host_.get());
  RepaintScene();
}

void TForm1::Edit2Change()
{
  if (!Edit2->Focused()) return;
  std::string text = Edit2->GetText();
  std::replace(text.begin(), text.end(), ':', ' ');
  const arofdouble v = SplitFloats(text, 0);
  if (v.size() == 2 && v[0] > 0 && v[1] > 0) {
    State.ScaleRatio = v[0] / v[1];
    RepaintScene();
  } else {
    State.ScaleRatio = 1.0;
  }
}

// ---------------------------------------------------------------- grid

TProfileEntry* TForm1::EntryOfRow(int32_t row)
{
  if (row < 1 || row > static_cast<int32_t>(State.Profiles.size())) return nullptr;
  return &State.Profiles[static_cast<size_t>(row - 1)];
}

bool TForm1::RowLoaded(int32_t row) const
{
  return row >= 1 && row <= static_cast<int32_t>(State.Loaded.size()) &&
         row <= static_cast<int32_t>(State.Profiles.size()) && State.Loaded[static_cast<size_t>(row - 1)] == 1;
}

void TForm1::GridCanEditCell(int32_t col, int32_t, bool& canEdit) { canEdit = col >= 2 && col <= 8; }

void TForm1::GridGetAlignment(int32_t, int32_t, THorzAlign& horz, TVertAlign& vert)
{
  horz = haCenter;
  vert = vaCenter;
}

void TForm1::GridCellValidate(int32_t col, int32_t row, std::string& text, bool& valid)
{
  if (!RowLoaded(row)) {
    valid = false;
    return;
  }
  fdata& d = (*EntryOfRow(row))[0];
  const double v = StrToFloatRange(text, true, 0, 0);
  // The cell keeps showing the number in use: text that is not a finite number is refused.
  if (col != 6 && (v == NoValue || !std::isfinite(v))) {
    valid = false;
    ShowMessage("\"" + text + "\" is not a finite number: " + RichStringGrid1->GetCells(col, 0) + " stays " +
                RichStringGrid1->GetCells(col, row) + ".");
    return;
  }
  if (v != NoValue) {
    // An equal start and end would leave the section without length.
    if ((col == 7 && v == d.en) || (col == 8 && v == d.st)) {
      valid = false;
      return;
    }
    switch (col) {
      case 2: d.X0 = v; break;
      case 3: d.Y0 = v; break;
      case 4: d.X1 = v; break;
      case 5: d.Y1 = v; break;
      case 7: d.st = v; break;
      case 8: d.en = v; break;
      default: break;
    }
  }
  valid = true;
  State.Grid.SetCell(col, row, text);
  PlaceSection(d);
  UpdateSceneBounds(State, host_.get());
  BuildSectionOutlines(State);
  if (State.PlaneShown) {
    ReleaseSceneTextures(State, host_.get());
    BuildPlaneSlice();
  }
  RepaintScene();
}

void TForm1::GridCheckBoxClick(int32_t col, int32_t row, bool state)
{
  // A row without a model (its file could not be read) draws nothing: its box stays unticked.
  if (col == 6 && !RowLoaded(row)) {
    state = false;
    RichStringGrid1->SetCheckBoxState(col, row, false);
  }
  if (TGridRow* r = State.Grid.Row(row); r && col == 6) r->Checked = state;
  TProfileEntry* e = EntryOfRow(row);
  if (!e) return;
  (*e)[0].Shown = state ? 1 : 0;
  RepaintScene();
}

void TForm1::GridSelectCell(int32_t, int32_t row, bool&)
{
  State.SelectedRow = row;
  RepaintScene();
}

void TForm1::GridMouseDown(TMouseButton button, TShiftState, int32_t x, int32_t y)
{
  if (button != mbRight) return;
  int32_t col, row;
  if (!RichStringGrid1->MouseToCell(x, y, col, row)) return;
  if (col == 1 && row >= 1) LoadFileIntoRow(row);
}

void TForm1::LoadFileIntoRow(int32_t row)
{
  if (row < 1 || row >= RichStringGrid1->GetRowCount()) return;
  if (!OpenDialog1->Execute()) return;
  const bool table = OpenDialog1->FilterIndex == 2;
  if (table) {
    if (!ConvertPointTable(OpenDialog1->FileName)) return;
    OpenDialog1->FileName = ChangeFileExt(OpenDialog1->FileName, ".out");
  }
  fdata res, pol;
  std::string error, notice;
  if (!ReadModelFile(OpenDialog1->FileName, res, pol, &error, &notice)) {
    ShowMessage("The file " + ExtractFileName(OpenDialog1->FileName) + " could not be read: " + error);
    return;
  }
  if (table) OpenDialog1->FileName = ChangeFileExt(OpenDialog1->FileName, ".dat");
  // A row may have no entry behind it (a project that kept none): make the entries up to it.
  while (static_cast<int32_t>(State.Profiles.size()) < row) {
    State.Profiles.push_back(TProfileEntry{});
    State.Loaded.push_back(0);
  }
  TProfileEntry& e = State.Profiles[static_cast<size_t>(row - 1)];
  // A row kept from a project for a file it could not read stands for that file moved: the new
  // one is placed as the project placed it.
  if (KeptForLostFile(e[0])) {
    ApplyPositionLine(res, e[0].ProjectLines[1]);
    PlaceSection(res);
  }
  e[0] = std::move(res);
  e[1] = std::move(pol);
  State.Loaded[static_cast<size_t>(row - 1)] = 1;
  const fdata& d = e[0];
  const std::string cells[kColCount] = {IntToStr(row),
                                        ExtractFileName(OpenDialog1->FileName),
                                        FloatToStrDec(1, true, d.X0),
                                        FloatToStrDec(1, true, d.Y0),
                                        FloatToStrDec(1, true, d.X1),
                                        FloatToStrDec(1, true, d.Y1),
                                        "",
                                        FloatToStrDec(1, true, d.st),
                                        FloatToStrDec(1, true, d.en)};
  for (int c = 1; c < kColCount; ++c) {
    if (c == 6) continue;
    RichStringGrid1->SetCells(c, row, cells[c]);
    State.Grid.SetCell(c, row, cells[c]);
  }
  RichStringGrid1->AddCheckBox(6, row, d.Shown != 0, false);
  if (TGridRow* r = State.Grid.Row(row)) {
    r->HasCheckBox = true;
    r->Checked = d.Shown != 0;
  }
  Rebuild();
  // Said once the section shows what was read.
  if (!notice.empty())
    ShowMessage("The file " + ExtractFileName(OpenDialog1->FileName) + " was read in part: " + notice);
}

void TForm1::GridChanged()
{
  const int rows = State.Grid.RowCount();
  RichStringGrid1->SetRowCount(std::max(2, rows));
  for (int r = 0; r < rows; ++r) {
    const TGridRow* row = State.Grid.Row(r);
    for (int c = 0; c < kColCount; ++c) RichStringGrid1->SetCells(c, r, row->Cells[c]);
    if (row->HasCheckBox)
      RichStringGrid1->AddCheckBox(6, r, row->Checked, false);
    else
      RichStringGrid1->RemoveCheckBox(6, r);
  }
}
