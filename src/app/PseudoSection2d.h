#pragma once
// The section chart: a chart that turns one section (scattered nodes or a regular grid) into a
// colour-filled contour picture with isolines, kept as a metafile five times the screen size. The
// main window keeps one hidden and uses it off-screen; shown, it offers a popup menu (log scale,
// grid points, colour bar, setup, print preview, picture and XYZ export, defaults), reports the data
// position under the mouse and draws the picture through an image tool over the data extent.
// The contouring itself (nodes, triangles, levels, colours, picture) is the owned TPseudoSectionContour.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/MainCharts.h"
#include "app/PseudoSection2dContour.h"
#include "app/PseudoSection2dSettings.h"
#include "chart/model/Chart.h"
#include "chart/model/NvEngineAxis.h"

class TChartImageTool;
class TLegendScrollBar;
class TMetafile;
class TNuvFont;
class TPointSeries;
class TPopupMenu;
class TPseudosetupForm;

// Where the mouse was last: on the picture, or left of, right of, above or below the plot area.
enum TSectionMouseZone : uint8_t { smzPicture = 0, smzLeft = 1, smzRight = 2, smzAbove = 3, smzBelow = 4 };

// The popup menu's commands, in menu order.
enum TSectionCommand : int32_t {
  scLogScale = 0,
  scGridPoints = 1,
  scColorBar = 2,
  scSetup = 3,
  scPrintPreview = 4,
  scSavePicture = 5,
  scSaveXYZ = 6,
  scDefault = 7
};

class TPseudoSection2d : public TChart, public ISectionChart {
public:
  explicit TPseudoSection2d(TComponent* owner);
  ~TPseudoSection2d() override;

  // ---- Settings line ----
  void GetSettings(std::string& line);
  std::string GetSettings() override;
  // A line of fewer than 18 words changes nothing (ParseSectionSettings); then UpdateLevels.
  void SetSettings(const std::string& line) override;
  // The 18 fields as they stand.
  TSectionSettings CurrentSettings() const;
  void ApplySettings(const TSectionSettings& s);
  // Default colours, margins and level count.
  void SetDefaults();

  // ---- Contouring (forwarded to the contour) ----
  TPseudoSectionContour& Contour() { return *contour_; }
  const TPseudoSectionContour& Contour() const { return *contour_; }
  void AddNode(uint8_t flag, double x, double y, double value) { contour_->AddNode(flag, x, y, value); }
  void BuildSection(bool retriangulate) { contour_->BuildSection(retriangulate); }
  void UpdateLevels() { contour_->UpdateLevels(); }
  void ValueToStripCoord(double value, TComplex& coord) const { contour_->ValueToStripCoord(value, coord); }
  TBitmap* ColorStrip() { return contour_->ColorStrip(); }
  void RenderPicture() { contour_->RenderPicture(); }
  void DrawColorBar(int32_t left, int32_t top, int32_t width, int32_t height, int32_t unused1, int32_t unused2,
                    const std::string& title, TCanvas* canvas)
  {
    contour_->DrawColorBar(left, top, width, height, unused1, unused2, title, canvas);
  }
  TMetafile* SectionPicture() const { return contour_->SectionPicture(); }
  // Places the picture over the data extent and redraws it.
  void UpdateLayout();

  // ---- State ----
  int32_t PictureWidth() const { return contour_->PictureWidth; }
  int32_t PictureHeight() const { return contour_->PictureHeight; }
  int32_t GetNextNode() const { return contour_->NextNode; }
  void SetNextNode(int32_t v) { contour_->NextNode = v < 1 ? 1 : v; }
  int32_t GetLevelCount() const { return contour_->LevelCount; }
  // Held within 2..30.
  void SetLevelCount(int32_t v);
  TColor GetContourMinColor() const { return contour_->ContourMinColor; }
  void SetContourMinColor(TColor v) { contour_->ContourMinColor = v; }
  TColor GetContourMaxColor() const { return contour_->ContourMaxColor; }
  void SetContourMaxColor(TColor v) { contour_->ContourMaxColor = v; }
  TColor GetIsolineMinColor() const { return contour_->IsolineMinColor; }
  void SetIsolineMinColor(TColor v) { contour_->IsolineMinColor = v; }
  TColor GetIsolineMaxColor() const { return contour_->IsolineMaxColor; }
  void SetIsolineMaxColor(TColor v) { contour_->IsolineMaxColor = v; }
  // Index 0: one third of the scale, 1: two thirds.
  TColor GetMidColor(int index) const { return contour_->MidColors.at(static_cast<size_t>(index)); }
  void SetMidColor(int index, TColor v) { contour_->MidColors.at(static_cast<size_t>(index)) = v; }
  bool GetUserLimits() const { return contour_->UserLimits; }
  void SetUserLimits(bool v) { contour_->UserLimits = v; }
  // A limit that is not a finite number is stored as not set.
  double GetUserMax() const { return contour_->UserMax; }
  void SetUserMax(double v) { contour_->UserMax = std::isfinite(v) ? v : TPseudoSectionContour::NoValueMark; }
  double GetUserMin() const { return contour_->UserMin; }
  void SetUserMin(double v) { contour_->UserMin = std::isfinite(v) ? v : TPseudoSectionContour::NoValueMark; }
  bool GetShowIsolines() const { return contour_->ShowIsolines; }
  void SetShowIsolines(bool v) override { contour_->ShowIsolines = v; }
  bool GetLogData() const { return contour_->LogData; }
  void SetLogData(bool v) override { contour_->LogData = v; }
  bool GetShowColorBar() const { return contour_->ShowColorBar; }
  void SetShowColorBar(bool v) { contour_->ShowColorBar = v; }
  bool GetGridMode() const { return contour_->GridMode; }
  void SetGridMode(bool v) { contour_->GridMode = v; }
  const std::string& GetColorBarTitle() const { return contour_->ColorBarTitle; }
  void SetColorBarTitle(const std::string& v) { contour_->ColorBarTitle = v; }
  // Font of the colour bar labels.
  TNuvFont* LabelFont() const;

  // ---- Parts ----
  TPopupMenu* SectionMenu = nullptr;
  TLegendScrollBar* LegendScrollBar = nullptr;
  TChartImageTool* ImageTool = nullptr;
  TPointSeries* BoundsSeries = nullptr;
  TPointSeries* StationSeries = nullptr;
  TPointSeries* GridPointSeries = nullptr;
  TPointSeries* MarkSeries = nullptr;

  // ---- Mouse and menu ----
  std::string PositionText;
  uint8_t MouseZone = smzPicture;
  double CursorX = 0.0, CursorY = 0.0;
  // Restored by the "Default" command; set by the owner.
  std::string DefaultSettings;
  // The chart whose popup menu was opened last.
  TPseudoSection2d* PopupChart = nullptr;
  // Called after each mouse move over the chart (with at least two nodes).
  TNotifyEvent OnPosition;
  // Called after every popup command.
  TNotifyEvent OnChange;

  // The double-click handler: pops the menu up unless the mouse is on the picture.
  void ShowPopup(TObject* sender);
  // Runs the menu command of that index (the menu items' click handler).
  void PopupCommand(int32_t index);
  void SectionMouseMove(TObject* sender, TShiftState shift, int32_t x, int32_t y);
  // Classifies a mouse position against the picture and the plot area.
  void ClassifyMousePos(int32_t x, int32_t y);
  // The plot area: the chart rectangle inside the margins.
  TRect PlotArea();
  // The picture rectangle the image tool drew last, top above bottom.
  TRect PictureRect() const;
  // The setup dialog the "Setup" command made (made on first use, owned by the application).
  static TPseudosetupForm* SetupDialog();

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  void CreateParts();
  void ResizeHandler();
  void SavePicture();
  void SaveXYZ();
  std::unique_ptr<TPseudoSectionContour> contour_;
};
