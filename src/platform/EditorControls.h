#pragma once
// Common controls of the editor dialogs: track bar, up-down arrows bound to an edit, a row of tabs
// and a captioned group frame. Drawn by the controls themselves.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/StdCtrls.h"

// A horizontal slider over [Min, Max]; a change of Position raises OnChange.
class TTrackBar : public TCustomControl {
public:
  explicit TTrackBar(TComponent* owner);
  int32_t GetMin() const { return min_; }
  int32_t GetMax() const { return max_; }
  // Sets both ends; the position is held inside them.
  void SetRange(int32_t min, int32_t max);
  int32_t GetPosition() const { return position_; }
  void SetPosition(int32_t v);
  TNotifyEvent OnChange;
  // The position a pixel of the control stands for.
  int32_t PositionAt(int32_t x) const;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  int32_t ThumbX() const;
  int32_t min_ = 0, max_ = 10, position_ = 0;
  bool dragging_ = false;
};

// Up and down arrows stepping Position by Increment inside [Min, Max]; the associated edit shows
// the position. A change raises OnClick.
class TUpDown : public TCustomControl {
public:
  explicit TUpDown(TComponent* owner);
  int32_t GetMin() const { return min_; }
  int32_t GetMax() const { return max_; }
  void SetRange(int32_t min, int32_t max);
  int32_t GetPosition() const { return position_; }
  // Stores the position held inside the range and shows it in the edit; raises no event.
  void SetPosition(int32_t v);
  int32_t Increment = 1;
  TEdit* GetAssociate() const { return associate_; }
  void SetAssociate(TEdit* edit);
  void SetEnabled(bool v) override;
  // One step up (true) or down, as a click on an arrow.
  void Step(bool up);

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  int32_t min_ = 0, max_ = 100, position_ = 0;
  TEdit* associate_ = nullptr;
};

// A row of tabs; selecting one raises OnChange.
class TTabControl : public TCustomControl {
public:
  explicit TTabControl(TComponent* owner);
  std::vector<std::string>& Tabs() { return tabs_; }
  int32_t GetTabIndex() const { return tabIndex_; }
  // Selects a tab (-1: none) and raises OnChange when it differs.
  void SetTabIndex(int32_t v);
  TNotifyEvent OnChange;
  // The tab under a point, -1 when none.
  int32_t TabAt(int32_t x, int32_t y) const;
  static constexpr int32_t TabHeight = 20;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;

private:
  TRect TabRect(int32_t index) const;
  std::vector<std::string> tabs_;
  int32_t tabIndex_ = -1;
};

// A frame with its caption at the top left.
class TGroupBox : public TCustomControl {
public:
  explicit TGroupBox(TComponent* owner);

protected:
  void Paint() override;
};
