#pragma once
// Window timers: OnTimer runs on the user-interface thread every Interval milliseconds while Enabled.
#include <cstdint>

#include "platform/Classes.h"

class QTimer;

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool v);
  uint32_t GetInterval() const { return interval_; }
  void SetInterval(uint32_t v);

  TNotifyEvent OnTimer;

  // Runs OnTimer as a tick would.
  void Tick();

private:
  void Restart();
  QTimer* timer_;
  bool enabled_ = true;
  uint32_t interval_ = 1000;
};
