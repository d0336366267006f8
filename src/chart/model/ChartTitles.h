#pragma once
// Chart titles: the four text boxes of a chart (title, sub-title, foot, sub-foot). A title
// without a custom position takes a band off the chart rectangle (top titles from the top, feet
// from the bottom); one with a custom position keeps its place. Also the shape with a custom
// position that titles and the legend derive from.
#include <cstdint>
#include <string>
#include <vector>

#include "chart/canvas/NuvShapes.h"
#include "platform/StdCtrls.h"

class TCustomChart;

// A framed shape that may sit at a place of its own (Left, Top) instead of its automatic place.
class TNuvCustomShapePosition : public TNuvCustomShape {
public:
  explicit TNuvCustomShapePosition(TCustomNuvPanel* chart = nullptr);
  void Assign(const TPersistent* source) override;

  bool GetCustomPosition() const { return customPosition_; }
  void SetCustomPosition(bool v);
  bool GetDefaultCustomPosition() const { return defaultCustomPosition_; }
  void SetDefaultCustomPosition(bool v) { defaultCustomPosition_ = v; }
  bool IsCustomPositionStored() const { return customPosition_ != defaultCustomPosition_; }
  // Left and top of the shape's bounds; setting either makes the position custom.
  int32_t GetLeft() const { return ShapeBounds.Left; }
  void SetLeft(int32_t v);
  int32_t GetTop() const { return ShapeBounds.Top; }
  void SetTop(int32_t v);
  bool IsLeftTopStored() const { return customPosition_; }

private:
  bool customPosition_ = false;
  bool defaultCustomPosition_ = false;
};

// What a title's layout needs, measured on the canvas.
struct TTitleMetrics {
  int32_t frameWidth = 0;     // F
  int32_t lineHeight = 0;     // H: height of "W"
  int32_t charWidth = 0;      // M: width of "W"
  int32_t widestLine = 0;     // widest line's width
  int32_t lineCount = 0;
  int32_t shadowVertSize = 0; // counted in the gap when the title is not transparent
};

// The laid-out title: its box and the chart rectangle's new top or bottom.
struct TTitleLayout {
  TRect bounds;
  bool movesChartRect = false;
  int32_t newChartTop = 0;     // a top title
  int32_t newChartBottom = 0;  // a foot
};

// The title's box: chartRect is the chart rectangle, startBounds the stored bounds (used with a
// custom position). No canvas; DrawTitle places what this computes.
TTitleLayout CalcTitleLayout(const TTitleMetrics& m, const TRect& chartRect, const TRect& startBounds, bool isTop,
                             bool customPosition, bool adjustFrame, TAlignment alignment, bool customChartRect,
                             bool transparent);

class TChartTitle : public TNuvCustomShapePosition {
public:
  explicit TChartTitle(TCustomChart* chart);
  ~TChartTitle() override;
  void Assign(const TPersistent* source) override;

  bool GetAdjustFrame() const { return adjustFrame_; }
  void SetAdjustFrame(bool v);
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  // The lines of the title; a change repaints the chart.
  const std::vector<std::string>& GetText() const { return text_; }
  void SetText(const std::vector<std::string>& lines);
  // The lines joined by line breaks; setting splits at line breaks (an empty text has no lines).
  std::string GetCaption() const;
  void SetCaption(const std::string& text);
  void Clear() { SetText({}); }
  bool IsTop() const { return top_; }
  TChartPen* GetFrame() const { return GetPen(); }
  TCustomChart* Chart() const { return chart_; }

  // Visible, and (x, y) inside the last drawn bounds.
  bool Clicked(int32_t x, int32_t y) const;
  // Draws the title and, unless custom-positioned, takes its band off the chart rectangle.
  void DrawTitle();

protected:
  TChartTitle(TCustomChart* chart, bool top);

private:
  TCustomChart* chart_;
  bool adjustFrame_ = true;
  TAlignment alignment_ = taCenter;
  std::vector<std::string> text_;
  bool top_ = true;
};

// A bottom title: red, italic font by default.
class TChartFootTitle : public TChartTitle {
public:
  explicit TChartFootTitle(TCustomChart* chart);
};
