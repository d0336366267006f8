#pragma once
// What the main window asks of its two charts: the three-dimensional scene chart and the hidden
// section chart. The commands talk only to these, so the charts behind them can be exchanged.
#include <string>

class TControl;

class ISceneChart {
public:
  virtual ~ISceneChart() = default;
  // The control that shows the scene.
  virtual TControl* Control() = 0;
  // Fixed ranges of the bottom axis (plan x), the depth axis (plan y) and the left axis (depth).
  virtual void SetAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin, double depthMax) = 0;
  virtual void GetAxisRanges(double& xMin, double& xMax, double& yMin, double& yMax, double& depthMin,
                             double& depthMax) = 0;
  // Factor applied to the left axis' labels.
  virtual void SetLeftAxisLabelFactor(double factor) = 0;
  virtual void GetView3D(int& zoom, int& rotation, int& elevation) = 0;
  virtual void SetView3D(int zoom, int rotation, int elevation) = 0;
  virtual void ClearTextureCache() = 0;
  // Switches the chart library's habit of scrolling a chart by the mouse wheel.
  virtual void SetWheelScrolls(bool on) = 0;
  virtual void SaveToBitmapFile(const std::string& fileName) = 0;
  virtual void Repaint() = 0;
};

class ISectionChart {
public:
  virtual ~ISectionChart() = default;
  // The 18-field settings line.
  virtual std::string GetSettings() = 0;
  virtual void SetSettings(const std::string& line) = 0;
  virtual void SetShowIsolines(bool on) = 0;
  virtual void SetLogData(bool on) = 0;
};
