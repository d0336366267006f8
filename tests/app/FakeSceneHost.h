#pragma once
// A scene host that records what the project and scene code asks of the main window.
#include <string>
#include <vector>

#include "app/SceneHost.h"

class FakeSceneHost : public ISceneHost {
public:
  void SetSceneAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin,
                          double depthMax) override
  {
    ranges = {xMin, xMax, yMin, yMax, depthMin, depthMax};
    calls.push_back("ranges");
  }
  void ClearTextureCache() override { calls.push_back("clearcache"); }
  void GetView3D(int& z, int& r, int& e) override
  {
    z = zoom;
    r = rotation;
    e = elevation;
  }
  void SetView3D(int z, int r, int e) override
  {
    zoom = z;
    rotation = r;
    elevation = e;
    calls.push_back("view");
  }
  std::string GetSectionSettings() override { return settings; }
  void SetSectionSettings(const std::string& line) override
  {
    settings = line;
    calls.push_back("settings");
  }
  void GridChanged() override { calls.push_back("grid"); }
  void DisplayModeChanged() override { calls.push_back("mode"); }
  void BuildSectionPictures() override { calls.push_back("pictures"); }
  void Repaint() override { calls.push_back("repaint"); }

  std::vector<double> ranges;
  std::vector<std::string> calls;
  int zoom = 42, rotation = 360, elevation = 360;
  std::string settings;
};
