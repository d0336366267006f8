#include "app/ChartPlaceholders.h"

#include <sstream>
#include <vector>

#include "app/Supermath2d.h"

TSceneChartPlaceholder::TSceneChartPlaceholder(TComponent* owner) : TCustomControl(owner)
{
  SetColor(clWhite);
}

void TSceneChartPlaceholder::SetAxisRanges(double xMin, double xMax, double yMin, double yMax, double depthMin,
                                           double depthMax)
{
  ranges_ = {xMin, xMax, yMin, yMax, depthMin, depthMax};
}

void TSceneChartPlaceholder::GetAxisRanges(double& xMin, double& xMax, double& yMin, double& yMax, double& depthMin,
                                           double& depthMax)
{
  xMin = ranges_[0];
  xMax = ranges_[1];
  yMin = ranges_[2];
  yMax = ranges_[3];
  depthMin = ranges_[4];
  depthMax = ranges_[5];
}

void TSceneChartPlaceholder::GetView3D(int& zoom, int& rotation, int& elevation)
{
  zoom = zoom_;
  rotation = rotation_;
  elevation = elevation_;
}

void TSceneChartPlaceholder::SetView3D(int zoom, int rotation, int elevation)
{
  zoom_ = zoom;
  rotation_ = rotation;
  elevation_ = elevation;
}

void TSceneChartPlaceholder::SaveToBitmapFile(const std::string& fileName)
{
  PaintBuffer();
  BackBuffer()->SaveToFile(fileName);
}

void TSceneChartPlaceholder::Repaint()
{
  ++repaints_;
  TCustomControl::Repaint();
}

void TSceneChartPlaceholder::Paint()
{
  if (OnAfterDraw) OnAfterDraw(this);
  TCanvas* c = GetCanvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(GetColor());
  c->FillRect(GetClientRect());
  c->Pen()->SetColor(0xB6BEDA);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(GetClientRect());
  const std::string caption = "3-D view";
  const TSize sz = c->TextExtent(caption);
  c->Font()->SetColor(clGray);
  c->TextOut((GetWidth() - sz.cx) / 2, (GetHeight() - sz.cy) / 2, caption);
}
