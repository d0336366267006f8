#pragma once
// Stand-in for the section chart until that chart exists: it keeps the settings line the main
// window sets.
#include <array>
#include <string>

#include "app/MainCharts.h"
#include "platform/Classes.h"

class TSectionChartPlaceholder : public TComponent, public ISectionChart {
public:
  explicit TSectionChartPlaceholder(TComponent* owner);
  std::string GetSettings() override;
  // A line of fewer than 18 words changes nothing.
  void SetSettings(const std::string& line) override;
  void SetShowIsolines(bool on) override { words_[12] = on ? "1" : "0"; }
  void SetLogData(bool on) override { words_[13] = on ? "1" : "0"; }
  bool GetShowIsolines() const { return words_[12] == "1"; }
  bool GetLogData() const { return words_[13] == "1"; }

private:
  std::array<std::string, 18> words_;
};
