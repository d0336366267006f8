#pragma once
// The main window: the section list, the scene chart, the hidden section chart and the toolbar.
// It owns the project state and runs every command of the toolbar, the editors and the grid.
#include <memory>
#include <string>
#include <vector>

#include "app/MainCharts.h"
#include "app/Project.h"
#include "app/PseudoSection2d.h"
#include "app/PseudoSetup.h"
#include "app/SceneHost.h"
#include "grid/RichStringGrid.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/Timers.h"
#include "widgets/kwWidgets.h"

class TChart;
class TRotateTool;
class TSurfaceSeries;
class TChartSceneAxes;
class TNuvOpenGL;
class ISceneSection;

class TForm1 : public TForm {
public:
  // Args: the command-line arguments after the program name.
  TForm1(TComponent* owner, std::vector<std::string> args);
  ~TForm1() override;

  // Components, as laid out in the form.
  TToolBar* ToolBar1;
  TSpeedButton* SpeedButton4;
  TSpeedButton* SpeedButton5;
  TSpeedButton* SpeedButton1;
  TSpeedButton* SpeedButton6;
  TSpeedButton* SpeedButton3;
  TSpeedButton* SpeedButton7;
  TSpeedButton* SpeedButton2;
  TkwToolbarButton* SpeedButton8;
  TSpeedButton* SpeedButton11;
  TSpeedButton* SpeedButton9;
  TSpinButton* SpinButton1;
  TEdit* Edit1;
  TSpeedButton* SpeedButton10;
  TEdit* Edit2;
  TkwBiSplit* kwBiSplit1;
  TRichStringGrid* RichStringGrid1;
  TPseudoSection2d* PseudoSection2d1;
  TChart* Chart3;
  TSurfaceSeries* Series4;
  TRotateTool* ChartTool5;
  TStatusBar* StatusBar1;
  TOpenDialog* OpenDialog1;
  TSaveDialog* SaveDialog1;
  TOpenDialog* OpenDialog2;
  TTimer* Timer1;
  TTimer* Timer2;
  TImageList* ImageList1;
  TNuvOpenGL* NuvOpenGL1;

  // The project state (cell mode, entries, slice, bounds, settings lines, view switches).
  TProjectState State;
  TPseudosetupForm* SetupForm = nullptr;

  ISectionChart* SectionChart() const;

  void FormCreate();
  void Timer1Timer();
  void Timer2Timer();

  // Toolbar and editor commands.
  void OpenDataClick();         // SpeedButton4
  void SaveDataClick();         // SpeedButton5
  void AppendRowClick();        // SpeedButton1
  void DropRowClick();          // SpeedButton6
  void ResistivityModeClick();  // SpeedButton3
  void PolarizabilityModeClick();  // SpeedButton7
  void GraphicsOptionsClick();  // SpeedButton2
  void CellModeClick();         // SpeedButton8
  void AutoRotationClick();     // SpeedButton11
  void PlaneClick();            // SpeedButton9
  void SpinDownClick();         // SpinButton1 down
  void SpinUpClick();           // SpinButton1 up
  void Edit1Change();
  void EqualScaleClick();       // SpeedButton10
  void Edit2Change();

  // Grid handlers.
  void GridCanEditCell(int32_t col, int32_t row, bool& canEdit);
  void GridGetAlignment(int32_t col, int32_t row, THorzAlign& horz, TVertAlign& vert);
  void GridCellValidate(int32_t col, int32_t row, std::string& text, bool& valid);
  void GridCheckBoxClick(int32_t col, int32_t row, bool state);
  void GridSelectCell(int32_t col, int32_t row, bool& canSelect);
  void GridMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
  // Loads a model file (or a point table) chosen in OpenDialog1 into a data row.
  void LoadFileIntoRow(int32_t row);

  // Opens a project (the state, the grid and the scene follow).
  void OpenProject(const std::string& fileName);
  // The full rebuild: textures, bounds, outlines, pictures, repaint.
  void Rebuild();
  // Contours the sections into pictures; then the slice.
  void BuildSectionPictures();
  // The horizontal slice (does nothing unless shown, in texture mode, with entries).
  void BuildPlaneSlice();
  // Shows PlaneDepth in Edit1 unless the user is typing there.
  void ShowPlaneDepth();
  // Chart3's after-draw handler: the scene, then the slice depth box.
  void Chart3AfterDraw();
  // The colour bar onto the finished frame of Chart3.
  void DrawLegendOnGL();
  // Zoom, rotation and elevation of Chart3's 3-D view.
  void GetView3D(int& zoom, int& rotation, int& elevation) const;
  void SetView3D(int zoom, int rotation, int elevation);
  // Fixed ranges of Chart3's bottom (plan x), depth (plan y) and left (depth) axes.
  void SetSceneAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin, double depthMax);
  // A project is being read: the scene holds half-loaded entries and must not be painted.
  bool SceneLocked() const { return loading_ > 0; }
  bool SectionPresent() const;

  // Repaints the scene chart (not while a project is being read).
  void RepaintScene();
  // Mirrors the state's grid table into the grid.
  void GridChanged();
  // Shows the display mode on the mode buttons.
  void ShowModeButtons();
  // What the project and scene code calls back.
  ISceneHost* Host() const { return host_.get(); }

private:
  void CreateComponents();
  void CreateSceneChart();
  class SceneHost;
  void SwitchMode(int mode);
  void ChangePlaneDepth(double delta);
  // The entry of a grid data row, or nullptr (row out of range, or no entry behind it).
  TProfileEntry* EntryOfRow(int32_t row);
  bool RowLoaded(int32_t row) const;

  std::unique_ptr<ISceneHost> host_;
  // What the scene drawing asks of the section chart and of Chart3's axes.
  std::unique_ptr<ISceneSection> sceneSection_;
  std::unique_ptr<TChartSceneAxes> sceneAxes_;
  std::vector<std::string> args_;
  int loading_ = 0;
};

// Joins the command-line arguments from the last to the first with nothing between them.
std::string JoinArgumentsReversed(const std::vector<std::string>& args);

// The main window of the running program (null before it is made and after it is freed).
extern TForm1* Form1;
