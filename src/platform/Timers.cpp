#include "platform/Timers.h"

#include <QTimer>

#include <cstdio>
#include <exception>

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_(new QTimer)
{
  QObject::connect(timer_, &QTimer::timeout, [this] {
    try {
      Tick();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orbisk: timer: %s\n", e.what());
    }
  });
  Restart();
}

TTimer::~TTimer() { delete timer_; }

void TTimer::SetEnabled(bool v)
{
  if (v == enabled_) return;
  enabled_ = v;
  Restart();
}

void TTimer::SetInterval(uint32_t v)
{
  if (v == interval_) return;
  interval_ = v;
  Restart();
}

void TTimer::Tick()
{
  if (OnTimer) OnTimer(this);
}

void TTimer::Restart()
{
  timer_->stop();
  if (enabled_ && interval_ > 0) timer_->start(static_cast<int>(interval_));
}
