#pragma once
// What the main window asks of its hidden section chart.
#include <string>

class ISectionChart {
public:
  virtual ~ISectionChart() = default;
  // The 18-field settings line.
  virtual std::string GetSettings() = 0;
  virtual void SetSettings(const std::string& line) = 0;
  virtual void SetShowIsolines(bool on) = 0;
  virtual void SetLogData(bool on) = 0;
};
