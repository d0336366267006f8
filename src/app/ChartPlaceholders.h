#pragma once
// Stand-in for the scene chart until that chart exists: it keeps what the main window sets (axis
// ranges, view) and shows a plain white pane.
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
