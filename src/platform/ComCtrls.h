#pragma once
// Page control: a row of tabs over a stack of pages (tab sheets), one shown at a time.
#include <cstdint>
#include <vector>

#include "platform/Controls.h"

class TPageControl;

// One page; its caption is the tab's text. Controls placed on it show with it.
class TTabSheet : public TCustomControl {
public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* GetPageControl() const { return pageControl_; }
  // Moves the page into a page control (nullptr takes it out).
  void SetPageControl(TPageControl* pageControl);
  int GetPageIndex() const;
  void SetCaption(const std::string& v) override;

protected:
  void Paint() override;

private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

class TPageControl : public TCustomControl {
public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(index); }
  TTabSheet* GetActivePage() const { return active_; }
  // Shows the page (one of this control's) and raises OnChange when it changed.
  void SetActivePage(TTabSheet* page);
  int GetActivePageIndex() const;
  void SetActivePageIndex(int index);
  // The page whose caption is caption, nullptr when none.
  TTabSheet* FindPage(const std::string& caption) const;
  // Height of the tab row.
  static constexpr int32_t TabHeight = 22;
  // The tab under a point of the control, -1 when none.
  int TabAt(int32_t x, int32_t y);

  TNotifyEvent OnChange;

protected:
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void PlacePages();
  std::vector<int32_t> TabEdges();

  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};
