#pragma once
// Scroll bars drawn inside a chart: TNuvScrollBar is a chart tool with arrows, a track and a
// thumb, clicked and dragged with the mouse (arrows repeat while held); TLegendScrollBar sits
// along the chart's legend, takes room from it and scrolls its items (the legend's FirstValue).
// The thumb arithmetic is plain functions (ScrollThumb*) tests call without a canvas.
#include <cstdint>
#include <memory>

#include "chart/model/NvEngineTools.h"
#include "platform/StdCtrls.h"

class TTimer;
class TCustomChartLegend;

// Thumb place along a track of trackLength pixels (after the two arrows): offset from the track's
// start and length. The range min..max holds the positions; pageSize how many fit at once.
struct TScrollThumb {
  int32_t Offset = 0;
  int32_t Length = 0;
};
TScrollThumb ScrollThumbPlace(int32_t trackLength, int32_t minimum, int32_t maximum, int32_t pageSize,
                              int32_t position, int32_t minThumbSize);
// The position whose thumb starts nearest to offset (a drag of the thumb).
int32_t ScrollPositionAt(int32_t trackLength, int32_t minimum, int32_t maximum, int32_t pageSize, int32_t offset,
                         int32_t minThumbSize);

// 0: always drawn; 1: drawn only when there is something to scroll.
enum TScrollBarDrawStyle { dsAlways = 0, dsWhenNeeded = 1 };

class TNuvScrollBar : public TNuvCustomTool {
public:
  // Size 18, initial repeat delay 250 ms, minimum thumb size 4, auto-repeat on, raised bevel,
  // brush white, pen the window-frame colour, thumb brush silver.
  explicit TNuvScrollBar(TComponent* owner = nullptr);
  ~TNuvScrollBar() override;

  int32_t GetSize() const { return size_; }
  // Thickness in pixels; repaints.
  void SetSize(int32_t value);
  bool GetHorizontal() const { return horizontal_; }
  void SetHorizontal(bool value);
  TBevelCut GetBevel() const { return bevel_; }
  void SetBevel(TBevelCut value);
  int32_t GetInitialDelay() const { return initialDelay_; }
  void SetInitialDelay(int32_t value) { initialDelay_ = value; }
  int32_t GetMinThumbSize() const { return minThumbSize_; }
  void SetMinThumbSize(int32_t value);
  bool GetAutoRepeat() const { return autoRepeat_; }
  void SetAutoRepeat(bool value) { autoRepeat_ = value; }
  TChartBrush* GetThumbBrush() const { return thumbBrush_.get(); }
  void SetThumbBrush(const TChartBrush* value);
  TScrollBarDrawStyle GetDrawStyle() const { return drawStyle_; }
  void SetDrawStyle(TScrollBarDrawStyle value);

  // Range and position (position kept within min..max - pageSize + 1, at least min).
  int32_t GetMin() const { return min_; }
  int32_t GetMax() const { return max_; }
  int32_t GetPageSize() const { return pageSize_; }
  void SetParams(int32_t minimum, int32_t maximum, int32_t pageSize);
  int32_t GetPosition() const { return position_; }
  // Stores the clamped position; OnChange when it changed.
  void SetPosition(int32_t value);
  TNotifyEvent OnChange;

  // Where the bar lies (chart pixels) and its parts.
  TRect GetBounds() const { return bounds_; }
  void SetBounds(const TRect& r) { bounds_ = r; }
  TRect FirstArrowRect() const;
  TRect SecondArrowRect() const;
  TRect ThumbRect() const;
  // Whether the bar is drawn and answers the mouse now.
  bool Showing() const;

  void ChartEvent(TChartToolEvent kind) override;
  void ChartMouseEvent(TChartMouseEvent kind, TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  std::string GetDescription() const override { return "Scroll bar"; }

  // Draws the bar on the chart canvas.
  void DrawBar();

protected:
  // Called before drawing and before a mouse action: descendants place the bar and set its range.
  virtual void UpdateBar() {}
  int32_t TrackLength() const;

private:
  // The largest position (the last page's first).
  int32_t LastPosition() const;
  void Step(int32_t delta);
  void RepeatTick();

  int32_t size_ = 18;
  bool horizontal_ = false;
  TBevelCut bevel_ = bvRaised;
  int32_t initialDelay_ = 250;
  int32_t minThumbSize_ = 4;
  bool autoRepeat_ = true;
  std::unique_ptr<TChartBrush> thumbBrush_;
  TScrollBarDrawStyle drawStyle_ = dsAlways;
  int32_t min_ = 0, max_ = 0, pageSize_ = 1, position_ = 0;
  TRect bounds_;
  // Mouse state: 0 none, 1 first arrow, 2 second arrow, 3 thumb drag, 4 page before, 5 page after.
  int pressed_ = 0;
  int32_t dragOffset_ = 0;
  TTimer* timer_ = nullptr;
};

// The scroll bar of the chart's legend: vertical at the right of a side legend, horizontal under
// a top or bottom legend; it reserves its thickness beside the items and scrolls the legend's
// first listed item.
class TLegendScrollBar : public TNuvScrollBar {
public:
  explicit TLegendScrollBar(TComponent* owner = nullptr);
  ~TLegendScrollBar() override;
  void SetParentChart(TCustomAxisPanel* value) override;
  void SetActive(bool value) override;
  TCustomChartLegend* Legend() const;
  std::string GetDescription() const override { return "Legend scroll bar"; }

protected:
  void UpdateBar() override;

private:
  void Attach();
  // The legend's extra-space handler reaches the bar through this cell, emptied when the bar goes,
  // so a legend that outlives the bar (or a bar that outlives its chart) never calls a dead object.
  std::shared_ptr<TLegendScrollBar*> cell_;
};
