#pragma once
// Series marks: the framed text label of each point of a series, placed by the series type,
// joined to its point by a callout arrow, optionally with a colour symbol, and with per-point
// overrides (a position the user dragged the mark to, an item with its own appearance and text).
// The marks belong to their series; positions and items are owned by the marks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/canvas/NuvShapes.h"
#include "chart/model/NvEnginePointer.h"
#include "chart/model/NvEngineTypes.h"

class TChartSeries;

enum TSeriesMarksStyle {
  smsValue,
  smsPercent,
  smsLabel,
  smsLabelPercent,
  smsLabelValue,
  smsLegend,
  smsPercentTotal,
  smsLabelPercentTotal,
  smsXValue,
  smsXY
};

enum TArrowHeadStyle { ahNone, ahLine, ahSolid };

// Line separator inside mark and label texts (character 13).
constexpr char ChartLineSeparator = '\r';

// Where one mark lies: its arrow and its box, in pixels.
class TSeriesMarkPosition {
public:
  TPoint ArrowStart;
  bool ArrowFixed = false;
  TPoint ArrowEnd;
  bool Custom = false;
  int32_t Height = 0;
  TPoint TopLeft;
  int32_t Width = 0;

  // Copies arrow ends, top-left and size; not ArrowFixed nor Custom.
  void Assign(const TSeriesMarkPosition& source);
  TRect Bounds() const;
};

// One position per point index; entries may be empty.
class TSeriesMarksPositions {
public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The stored position, nullptr beyond the list or for an empty entry.
  TSeriesMarkPosition* Position(int32_t index) const;
  // Pads up to index, creates a position there when missing, marks it custom, copies position.
  void SetPosition(int32_t index, const TSeriesMarkPosition& position);
  // Pads up to index and creates a non-custom position there when missing; returns it. An index
  // more than MaxPointIndexSlack past PointCount raises ChartException.
  TSeriesMarkPosition* Ensure(int32_t index);
  // The series' point count (none: no bound).
  std::function<int32_t()> PointCount;
  void Delete(int32_t index);
  void DeleteRange(int32_t start, int32_t count);
  void Clear() { items_.clear(); }

private:
  std::vector<std::unique_ptr<TSeriesMarkPosition>> items_;
};

// The gradient of marks and mark items: direction 3, silver to white.
class TSeriesMarksGradient : public TNuvGradient {
public:
  explicit TSeriesMarksGradient(TNotifyEvent onChange = {});
};

// A per-point mark appearance and text.
class TMarksItem : public TNuvCustomShape {
public:
  explicit TMarksItem(TCustomNuvPanel* chart = nullptr);
  ~TMarksItem() override;
  void Assign(const TPersistent* source) override;

  // Lines made on first read; nullptr frees them.
  std::vector<std::string>* GetText();
  void SetText(const std::vector<std::string>* v);
  bool HasText() const { return text_ != nullptr; }

protected:
  std::unique_ptr<TNuvGradient> CreateGradient(TNotifyEvent onChange) override;
  void InitShadow(TNuvShadow* shadow) override;

private:
  std::unique_ptr<std::vector<std::string>> text_;
};

class TSeriesMarks;

// Items by point index; entries may be empty.
class TMarksItems {
public:
  explicit TMarksItems(TSeriesMarks* marks) : marks_(marks) {}
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Pads up to index and makes the item there when missing.
  TMarksItem* Item(int32_t index);
  // The item at index, nullptr when none.
  TMarksItem* Find(int32_t index) const;
  void Delete(int32_t index);
  // Every item draws on and repaints chart.
  void SetParentChart(TCustomNuvPanel* chart);
  // Frees every item, then repaints the marks.
  void Clear();
  bool Empty() const;
  bool ReadFromStream = false;

private:
  TSeriesMarks* marks_;
  std::vector<std::unique_ptr<TMarksItem>> items_;
};

// The colour square drawn left of a mark's text.
class TSeriesMarksSymbol : public TNuvCustomShape {
public:
  explicit TSeriesMarksSymbol(TCustomNuvPanel* chart = nullptr);
  // Visible, and its marks visible.
  bool ShouldDraw() const;
  TSeriesMarks* ParentMarks = nullptr;
};

// A point marker with an arrow.
class TCallout : public TSeriesPointer {
public:
  explicit TCallout(TChartSeries* series);
  ~TCallout() override;
  void Assign(const TPersistent* source) override;

  TWhitePen* GetArrow() const { return arrow_.get(); }
  void SetArrow(const TChartPen* v) { arrow_->Assign(v); }
  TArrowHeadStyle GetArrowHead() const { return arrowHead_; }
  void SetArrowHead(TArrowHeadStyle v);
  int32_t GetArrowHeadSize() const { return arrowHeadSize_; }
  void SetArrowHeadSize(int32_t v);
  int32_t GetDistance() const { return distance_; }
  void SetDistance(int32_t v);

  // Draws the arrow from fromPoint to toPoint at depth z, and the marker at fromPoint.
  void Draw(TColor color, TPoint fromPoint, TPoint toPoint, int32_t z);

private:
  std::unique_ptr<TWhitePen> arrow_;
  TArrowHeadStyle arrowHead_ = ahNone;
  int32_t distance_ = 0;
  int32_t arrowHeadSize_ = 8;
};

// The callout of marks: an arrow of a length.
class TMarksCallout : public TCallout {
public:
  explicit TMarksCallout(TChartSeries* series);
  void Assign(const TPersistent* source) override;

  int32_t GetLength() const { return length_; }
  void SetLength(int32_t v);
  int32_t GetDefaultLength() const { return defaultLength_; }
  bool IsLengthStored() const { return length_ != defaultLength_; }
  // Moves the mark up by Length + Distance and the arrow start by Distance.
  void ApplyArrowLength(TSeriesMarkPosition& position) const;

private:
  int32_t length_ = 8;
  int32_t defaultLength_ = 8;
};

// Gives the chart's canvas a mark's font: in 3-D on a canvas without 3-D text, with the view's
// text zoom on, at the zoomed size. Marks are measured and written in it.
void AssignMarkFont(TCustomNuvPanel* chart, TNuvFont* font);

class TSeriesMarks : public TNuvCustomShape {
public:
  explicit TSeriesMarks(TChartSeries* series);
  ~TSeriesMarks() override;
  TSeriesMarks(const TSeriesMarks&) = delete;
  TSeriesMarks& operator=(const TSeriesMarks&) = delete;

  void Assign(const TPersistent* source) override;
  void SetParentChart(TCustomNuvPanel* chart) override;

  // ---- Properties ----
  int32_t GetAngle() const { return angle_; }
  void SetAngle(int32_t v);
  // The callout's arrow pen and length.
  TChartPen* GetArrow();
  void SetArrow(const TChartPen* v);
  int32_t GetArrowLength();
  void SetArrowLength(int32_t v);
  TColor GetBackColor() const { return GetColor(); }
  void SetBackColor(TColor v) { SetColor(v); }
  // Made on first read; nullptr frees it.
  TMarksCallout* GetCallout();
  void SetCallout(const TMarksCallout* v);
  bool HasCallout() const { return callout_ != nullptr; }
  bool GetClip() const { return clip_; }
  void SetClip(bool v);
  int32_t GetDrawEvery() const { return drawEvery_; }
  void SetDrawEvery(int32_t v);
  bool GetMultiLine() const { return multiLine_; }
  void SetMultiLine(bool v);
  TChartSeries* GetParentSeries() const { return parentSeries_; }
  TSeriesMarksPositions& Positions() { return positions_; }
  const TSeriesMarksPositions& Positions() const { return positions_; }
  TSeriesMarksStyle GetStyle() const { return style_; }
  void SetStyle(TSeriesMarksStyle v);
  // Made on first read.
  TSeriesMarksSymbol* GetSymbol();
  void SetSymbol(const TSeriesMarksSymbol* v);
  bool HasSymbol() const { return symbol_ != nullptr; }
  int32_t ZPosition = 0;
  TMarksItems& ItemsList() { return items_; }
  const TMarksItems& ItemsList() const { return items_; }

  // ---- Operations ----
  // The mark whose box holds (x, y), testing every DrawEvery-th stored position from the last; -1.
  int32_t Clicked(int32_t x, int32_t y);
  void DrawItem(int32_t valueIndex, TColor color, const std::string& text, TSeriesMarkPosition& position);
  void ApplyArrowLength(TSeriesMarkPosition& position);
  // Moves the mark of valueIndex off the marks of points first..valueIndex-1.
  void AntiOverlap(int32_t first, int32_t valueIndex, TSeriesMarkPosition& position);
  // Width of the widest line of the point's mark text on the chart canvas.
  int32_t TextWidth(int32_t valueIndex);
  // The point's item when one exists, else the marks themselves.
  TNuvCustomShape* MarkItem(int32_t valueIndex);
  // The point's item, made when missing; an index more than MaxPointIndexSlack past the
  // series' point count raises ChartException.
  TMarksItem* Items(int32_t index);
  // Clears the positions, and the items unless they were read from a stream.
  void ClearData();
  // A point was deleted: its position and item go, later ones move down.
  void DeletedValue(int32_t valueIndex);
  // Position bookkeeping before drawing (custom positions win; the list keeps the last place).
  void UpdatePosition(int32_t valueIndex, TSeriesMarkPosition& position);
  // The rectangle of a mark for overlap tests.
  TRect MarkRect(int32_t valueIndex, const TSeriesMarkPosition& position);
  void Repaint();

  // ---- Stream ----
  // "Items", stored when some item exists. The reader raises EReadError on a short, over-long
  // or inconsistent block and then changes nothing.
  void DefineProperties(TFiler* filer);
  std::vector<uint8_t> WriteItems();
  void ReadItems(const std::vector<uint8_t>& block);

protected:
  std::unique_ptr<TNuvGradient> CreateGradient(TNotifyEvent onChange) override;
  void InitShadow(TNuvShadow* shadow) override;

private:
  // TopLeft moved as the projection moves ArrowEnd at ZPosition (non-3-D-text canvases in 3-D).
  TPoint AdjustedTopLeft(const TSeriesMarkPosition& position);
  TCanvas3D* ChartCanvas() const;
  bool ChartIs3D() const;

  std::unique_ptr<TMarksCallout> callout_;
  bool clip_ = false;
  int32_t drawEvery_ = 1;
  TMarksItems items_{this};
  TSeriesMarksStyle style_ = smsLabel;
  bool multiLine_ = false;
  TChartSeries* parentSeries_ = nullptr;
  TSeriesMarksPositions positions_;
  std::unique_ptr<TSeriesMarksSymbol> symbol_;
  int32_t angle_ = 0;
};
