#pragma once
// The legend: the framed box that lists either the chart's series (one item per series) or the
// points of one series (one item per value), each item with a colour symbol, up to two text
// columns and optionally a check box. The chart owns it, asks it whether to draw (ShouldDraw),
// draws it (DrawLegend) and asks which item lies under the mouse (Clicked, LegendClicked). The
// arithmetic of its layout lives in ChartLegendLayout.h.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/model/ChartLegendLayout.h"
#include "chart/model/ChartTitles.h"
#include "chart/model/NvEngineTypes.h"

class TCustomChart;
class TChartSeries;
class TCustomChartLegend;

enum TCheckBoxesStyle : uint8_t { cbsCheck, cbsRadio };
enum TLegendStyle : uint8_t { lsAuto, lsSeries, lsValues, lsLastValues };
enum TLegendSymbolSize : uint8_t { lcsPercent, lcsPixels };

// Separator of the legend's two text columns inside an item text.
constexpr char LegendColumnSeparator = '\x06';

class LegendException : public ChartException {
public:
  using ChartException::ChartException;
};

// The legend's gradient: direction 3, white to silver.
class TChartLegendGradient : public TNuvGradient {
public:
  explicit TChartLegendGradient(TNotifyEvent onChange = {});
};

using TLegendSymbolDrawEvent =
    std::function<void(class TLegendSymbol* sender, TChartSeries* series, int32_t valueIndex, const TRect& rect)>;

// The colour symbols of the legend items.
class TLegendSymbol : public TPersistent {
public:
  explicit TLegendSymbol(TCustomChartLegend* legend);
  ~TLegendSymbol() override;
  void Assign(const TPersistent* source) override;

  bool GetContinuous() const { return continuous_; }
  void SetContinuous(bool v);
  bool GetDefaultPen() const { return defaultPen_; }
  void SetDefaultPen(bool v);
  TNuvGradient* GetGradient() const { return gradient_.get(); }
  void SetGradient(const TNuvGradient* v) { gradient_->Assign(v); }
  TChartPen* GetPen() const { return pen_.get(); }
  void SetPen(const TChartPen* v) { pen_->Assign(v); }
  TLegendSymbolPosition GetPosition() const { return position_; }
  void SetPosition(TLegendSymbolPosition v);
  bool GetSquared() const { return squared_; }
  void SetSquared(bool v);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  int32_t GetWidth() const { return width_; }
  void SetWidth(int32_t v);
  TLegendSymbolSize GetWidthUnits() const { return widthUnits_; }
  void SetWidthUnits(TLegendSymbolSize v);
  TLegendSymbolDrawEvent OnDraw;

  // Width in pixels for a given text width.
  int32_t CalcWidth(int32_t textWidth) const;

private:
  void Changed();
  TCustomChartLegend* legend_;
  bool continuous_ = false;
  bool defaultPen_ = true;
  std::unique_ptr<TNuvGradient> gradient_;
  std::unique_ptr<TChartPen> pen_;
  TLegendSymbolPosition position_ = spLeft;
  bool squared_ = false;
  bool visible_ = true;
  int32_t width_ = 20;
  TLegendSymbolSize widthUnits_ = lcsPercent;
};

// The title box at the top of the legend.
class TLegendTitle : public TNuvShape {
public:
  explicit TLegendTitle(TCustomChartLegend* legend);
  void Assign(const TPersistent* source) override;
  const std::vector<std::string>& GetText() const { return text_; }
  void SetText(const std::vector<std::string>& lines);
  std::string GetCaption() const;
  void SetCaption(const std::string& text);
  TAlignment GetTextAlignment() const { return textAlignment_; }
  void SetTextAlignment(TAlignment v);
  // Visible with at least one non-empty line.
  bool HasText() const;

private:
  std::vector<std::string> text_;
  TAlignment textAlignment_ = taLeftJustify;
};

// Where an item was drawn.
struct TLegendItem {
  int32_t TextWidth = 0;
  int32_t Left = 0;  // text left
  TRect SymbolRect;
  std::string Text;
  int32_t Top = 0;   // text top
};

class TLegendItems {
public:
  explicit TLegendItems(TCustomChartLegend* legend) : legend_(legend) {}
  // Made on first ask.
  TLegendItem& Item(int32_t index);
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Frees the records and repaints the legend.
  void Clear();
  // Keep the stored positions and texts instead of laying them out.
  bool CustomItems = false;

private:
  TCustomChartLegend* legend_;
  std::vector<TLegendItem> items_;
};

// Lets a neighbour reserve room beside the items.
using TLegendExtraSpaceEvent = std::function<void(TCustomChartLegend* legend, int32_t& size)>;

// The legend listens to its chart's series events: a series that leaves the chart is dropped from
// the legend's Series link.
class TCustomChartLegend : public TNuvCustomShapePosition, private INuvEventListener {
public:
  explicit TCustomChartLegend(TCustomChart* chart);
  ~TCustomChartLegend() override;
  void Assign(const TPersistent* source) override;

  TCustomChart* Chart() const { return chart_; }

  // ---- Properties ----
  TLegendAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TLegendAlignment v);
  bool GetCheckBoxes() const { return checkBoxes_; }
  void SetCheckBoxes(bool v);
  TCheckBoxesStyle GetCheckBoxesStyle() const { return checkBoxesStyle_; }
  // Radio leaves only the first active series shown in the legend active.
  void SetCheckBoxesStyle(TCheckBoxesStyle v);
  bool GetCurrentPage() const { return currentPage_; }
  void SetCurrentPage(bool v);
  TChartHiddenPen* GetDividingLines() const { return dividingLines_.get(); }
  void SetDividingLines(const TChartPen* v) { dividingLines_->Assign(v); }
  int32_t GetFirstValue() const { return firstValue_; }
  // Raises LegendException for a negative value, which is not stored.
  void SetFirstValue(int32_t v);
  bool GetFontSeriesColor() const { return fontSeriesColor_; }
  void SetFontSeriesColor(bool v);
  int32_t GetHorizMargin() const { return horizMargin_; }
  void SetHorizMargin(int32_t v);
  bool GetInverted() const { return inverted_; }
  void SetInverted(bool v);
  TLegendItems* Items() const { return items_.get(); }
  int32_t GetLeftPercent() const { return leftPercent_; }
  void SetLeftPercent(int32_t v);
  TLegendStyle GetLegendStyle() const { return legendStyle_; }
  void SetLegendStyle(TLegendStyle v);
  int32_t GetMaxNumRows() const { return maxNumRows_; }
  void SetMaxNumRows(int32_t v);
  TNuvUnits GetPositionUnits() const { return positionUnits_; }
  void SetPositionUnits(TNuvUnits v);
  bool GetResizeChart() const { return resizeChart_; }
  void SetResizeChart(bool v);
  TChartSeries* GetSeries() const { return series_; }
  void SetSeries(TChartSeries* v);
  TLegendSymbol* GetSymbol() const { return symbol_.get(); }
  void SetSymbol(const TLegendSymbol* v) { symbol_->Assign(v); }
  TLegendTextStyle GetTextStyle() const { return textStyle_; }
  void SetTextStyle(TLegendTextStyle v);
  TLegendTitle* GetTitle() const { return title_.get(); }
  void SetTitle(const TLegendTitle* v) { title_->Assign(v); }
  int32_t GetTopPos() const { return topPos_; }
  void SetTopPos(int32_t v);
  int32_t GetTopPercent() const { return topPercent_; }
  void SetTopPercent(int32_t v);
  int32_t GetVertMargin() const { return vertMargin_; }
  void SetVertMargin(int32_t v);
  int32_t GetVertSpacing() const { return vertSpacing_; }
  void SetVertSpacing(int32_t v);
  // The symbol's width (ColorWidth).
  int32_t GetColorWidth() const { return symbol_->GetWidth(); }
  void SetColorWidth(int32_t v) { symbol_->SetWidth(v); }
  TChartPen* GetFrame() const { return GetPen(); }
  void SetFrame(const TChartPen* v) { SetPen(v); }
  TLegendExtraSpaceEvent OnLegendExtraSpace;

  // ---- Layout state (from the last layout) ----
  TLegendStyle ResolvedStyle() const { return resolvedStyle_; }
  int32_t TotalLegendItems() const { return totalLegendItems_; }
  int32_t LastValue() const { return lastValue_; }
  int32_t NumCols() const { return numCols_; }
  int32_t NumRows() const { return numRows_; }
  int32_t SymbolWidthPixels() const { return symbolWidthPixels_; }
  int32_t ColumnWidth(int index) const { return columnWidths_[index & 1]; }
  bool HasTitle() const { return hasTitle_; }
  int32_t MaxColumns = 0;

  // ---- Operations ----
  void CalcLegendStyle();
  bool HasCheckBoxes() const;
  bool IsVertical() const { return alignment_ == laLeft || alignment_ == laRight; }
  bool ShouldDraw() const;
  // The series whose values a values legend lists.
  TChartSeries* LegendSeries() const;
  // Item height with the canvas's current font.
  int32_t ItemHeight();
  // The text of item index (a FirstValue-based index), before the column split.
  std::string ItemText(int32_t index);
  // Index of the item under (x, y); -1 when none.
  int32_t Clicked(int32_t x, int32_t y);
  // Left-click handling of an item's check box; true when it changed something.
  bool LegendClicked(int32_t x, int32_t y, int32_t itemIndex);
  // Lays the legend out on the chart's canvas, draws it and lets the chart rectangle give way.
  void DrawLegend();
  // The layout without drawing (fills the layout state the same way DrawLegend does).
  TLegendLayout CalcLayout();
  // Whether a series' check box shows ticked under the chart's check mode.
  bool IsItemChecked(TChartSeries* series) const;
  // The series an item stands for: the values legend's series for every item of a values
  // legend, else the item's series in the legend's series list; nullptr when none.
  TChartSeries* ItemSeries(int32_t itemIndex);
  // Item height of the last layout (the squared symbol's size follows it).
  int32_t LastItemHeight() const { return lastItemHeight_; }
  // The input and result of the last layout.
  const TLegendLayoutInput& LastLayoutInput() const { return lastInput_; }
  const TLegendLayout& LastLayout() const { return lastLayout_; }
  // The two text columns of the listed items, in drawing order.
  const std::vector<std::string>& ListedTexts(int column) const { return column == 0 ? column0_ : column1_; }

protected:
  std::unique_ptr<TNuvGradient> CreateGradient(TNotifyEvent onChange) override;

private:
  void HandleEvent(TNuvEvent* event) override;
  TLegendStyle ResolveStyle() const;
  bool SeriesInChart(const TChartSeries* series) const;
  // Measures on the chart canvas and lays out; fills the layout state and the listed texts.
  TLegendLayout Prepare();
  int32_t CountItems();
  void GatherTexts(int32_t first, int32_t last);
  int32_t MeasureText(const std::string& text);
  int32_t CalcTextWidth();
  int32_t FrameWidth() const;
  void DrawItem(int32_t i, const TLegendLayout& layout);
  void DrawTitleBox(const TLegendLayout& layout);

  TCustomChart* chart_;
  TLegendAlignment alignment_ = laRight;
  bool checkBoxes_ = false;
  TCheckBoxesStyle checkBoxesStyle_ = cbsCheck;
  bool currentPage_ = true;
  std::unique_ptr<TChartHiddenPen> dividingLines_;
  int32_t firstValue_ = 0;
  bool fontSeriesColor_ = false;
  int32_t horizMargin_ = 0;
  bool inverted_ = false;
  std::unique_ptr<TLegendItems> items_;
  int32_t leftPercent_ = 0;
  TLegendStyle legendStyle_ = lsAuto;
  int32_t maxNumRows_ = 10;
  TNuvUnits positionUnits_ = muPixels;
  bool resizeChart_ = true;
  TChartSeries* series_ = nullptr;
  std::unique_ptr<TLegendSymbol> symbol_;
  TLegendTextStyle textStyle_ = ltsLeftValue;
  std::unique_ptr<TLegendTitle> title_;
  int32_t topPos_ = 10;
  int32_t topPercent_ = 0;
  int32_t vertMargin_ = 0;
  int32_t vertSpacing_ = 0;

  TLegendStyle resolvedStyle_ = lsSeries;
  int32_t totalLegendItems_ = 0;
  int32_t lastValue_ = -1;
  int32_t numCols_ = 0;
  int32_t numRows_ = 0;
  int32_t symbolWidthPixels_ = 0;
  int32_t columnWidths_[2] = {0, 0};
  bool hasTitle_ = false;
  int32_t lastItemHeight_ = 0;
  TLegendLayoutInput lastInput_;
  TLegendLayout lastLayout_;
  std::vector<std::string> column0_, column1_;
};

// The chart's legend.
class TChartLegend : public TCustomChartLegend {
public:
  using TCustomChartLegend::TCustomChartLegend;
};
