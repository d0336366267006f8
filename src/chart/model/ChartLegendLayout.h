#pragma once
// Legend layout as plain arithmetic: given the measured sizes (item height, text width, symbol
// width, title), the chart rectangle and the legend's options, where the legend box goes, how many
// rows and columns it shows, where each item sits, which item a point hits, and how the chart
// rectangle gives way. The legend measures with its canvas and draws what this computes; tests
// call it without a canvas.
#include <cstdint>
#include <functional>

#include "platform/Types.h"

enum TLegendAlignment : uint8_t { laLeft, laRight, laTop, laBottom };
enum TLegendSymbolPosition : uint8_t { spLeft, spRight };

// What the layout needs to know. Sizes in pixels.
struct TLegendLayoutInput {
  TLegendAlignment Alignment = laRight;
  bool CustomPosition = false;
  // With CustomPosition: the box's current left and top.
  int32_t CustomLeft = 0, CustomTop = 0;
  bool HasCheckBoxes = false;
  int32_t MaxNumRows = 10;
  // Column limit of a single-row legend; 0 = none.
  int32_t MaxColumns = 0;
  int32_t TopPos = 10;
  int32_t HorizMargin = 0, VertMargin = 0;
  int32_t VertSpacing = 0;
  bool ResizeChart = true;
  bool Inverted = false;
  TLegendSymbolPosition SymbolPosition = spLeft;

  int32_t FirstValue = 0;
  // Items that could be listed from FirstValue on.
  int32_t TotalItems = 0;

  int32_t FrameWidth = 0;   // F: frame or bevel width
  int32_t ItemHeight = 0;   // H
  int32_t TextWidth = 0;    // W: both text columns with their spacing
  int32_t SymbolWidth = 0;  // the symbol's width in pixels

  bool HasTitle = false;
  int32_t TitleHeight = 0;  // lines x font height, with its frame
  int32_t TitleWidth = 0;
  int32_t TitleShadowVert = 0;
  bool TitleTransparent = true;

  // The chart's shadow.
  int32_t ShadowHoriz = 0, ShadowVert = 0;
  TRect ChartRect;
  TRect ChartBounds;

  // Lets a neighbour (a legend scroll bar) adjust a bottom legend's bottom offset and a side
  // legend's width; asked with 0, it gives the width left out at the right of the clickable box.
  std::function<void(int32_t& size)> ExtraSpace;
};

struct TLegendLayout {
  int32_t NumCols = 0, NumRows = 0;
  int32_t LastValue = -1;
  // False when nothing is listed (FirstValue beyond LastValue): no box.
  bool HasBox = false;
  TRect Box;
  // Top of the title strip's underside: the items start here.
  int32_t ItemsTop = 0;
  // The chart rectangle after the legend took its room (unchanged without a box, with a custom
  // position or without ResizeChart).
  TRect ChartRect;
};

// Column and row counts of a top or bottom legend. A row limit below 1 is taken as 1.
void LegendGridSize(int32_t totalItems, int32_t maxNumRows, int32_t maxColumns, int32_t chartWidth,
                    int32_t frameWidth, int32_t itemWidth, int32_t& numCols, int32_t& numRows);

// A pixel size or offset held within the layout's limits (about a million pixels either way).
int32_t LegendHoldPixels(int64_t value);

// The chart rectangle after a legend box took its room (as the layout gives it; a box moved by
// the chart's legend-rectangle event gives way from where it ended up).
TRect LegendGiveWay(const TLegendLayoutInput& in, const TRect& box);

// The whole layout.
TLegendLayout CalcLegendLayout(const TLegendLayoutInput& in);

// Where item at position i (0 = first listed) is drawn.
struct TLegendItemPlace {
  int32_t Row = 0, Column = 0;
  int32_t Y = 0;          // top of the item's text and symbol
  int32_t CheckBoxX = 0;  // left of its check box (when shown)
  int32_t SymbolX = 0;
  int32_t TextX = 0;      // left of the first text column
  // Left of the item's column (for dividing lines).
  int32_t ColumnLeft = 0;
};
TLegendItemPlace LegendItemPlace(const TLegendLayoutInput& in, const TLegendLayout& layout, int32_t i);

// The legend item (FirstValue-based index) under (x, y); -1 when none.
int32_t LegendClickedItem(const TLegendLayoutInput& in, const TLegendLayout& layout, int32_t x, int32_t y);
