#pragma once
// Stand-ins for the scene chart and the section chart until those charts exist: they keep what
// the main window sets (axis ranges, view, settings line) and show a plain white pane.
#include <array>
#include <string>

#include "app/MainCharts.h"
#include "platform/Controls.h"

class TSceneChartPlaceholder : public TCustomControl, public ISceneChart {
public:
  explicit TSceneChartPlaceholder(TComponent* owner);

  TControl* Control() override { return this; }
  void SetAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin, double depthMax) override;
  void GetAxisRanges(double& xMin, double& xMax, double& yMin, double& yMax, double& depthMin,
                     double& depthMax) override;
  void SetLeftAxisLabelFactor(double factor) override { labelFactor_ = factor; }
  double GetLeftAxisLabelFactor() const { return labelFactor_; }
  void GetView3D(int& zoom, int& rotation, int& elevation) override;
  void SetView3D(int zoom, int rotation, int elevation) override;
  void ClearTextureCache() override { ++cacheClears_; }
  int CacheClears() const { return cacheClears_; }
  void SetWheelScrolls(bool on) override { wheelScrolls_ = on; }
  bool WheelScrolls() const { return wheelScrolls_; }
  void SaveToBitmapFile(const std::string& fileName) override;
  void Repaint() override;
  int Repaints() const { return repaints_; }

  // Runs before every paint (the scene's after-draw work hooks in here).
  TNotifyEvent OnAfterDraw;

protected:
  void Paint() override;

private:
  std::array<double, 6> ranges_{};
  double labelFactor_ = 1.0;
  int zoom_ = 42, rotation_ = 360, elevation_ = 360;
  int cacheClears_ = 0;
  int repaints_ = 0;
  bool wheelScrolls_ = true;
};

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
