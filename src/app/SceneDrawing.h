#pragma once
// Scene drawing: drawing the sections (contoured into their pictures by the section chart) as
// vertical panels (textured or cell by cell) and the horizontal slice through the OpenGL canvas, the colour
// bar on the finished frame, and the horizontal slice itself (cut points, contoured sheet and its
// outline).
#include <memory>
#include <string>
#include <vector>

#include "app/Project.h"
#include "app/PseudoSection2dContour.h"

class TBitmap;
class TCanvas;
class TGLCanvas;
class TMetafile;
class TNuvOpenGL;

// What the scene asks of the section chart: its contouring engine, and laying the chart out,
// which records the finished section picture.
class ISceneSection {
public:
  virtual ~ISceneSection() = default;
  virtual TPseudoSectionContour& Contour() = 0;
  virtual void UpdateLayout() = 0;
};

// A bare contouring engine as the scene's section chart (the picture is the engine's own).
class TContourSceneSection : public ISceneSection {
public:
  explicit TContourSceneSection(TPseudoSectionContour& contour) : contour_(contour) {}
  TPseudoSectionContour& Contour() override { return contour_; }
  void UpdateLayout() override { contour_.RenderPicture(); }

private:
  TPseudoSectionContour& contour_;
};

// What the scene asks of the 3-D chart's axes: value -> pixel position in floating point, the
// axes' lengths in pixels, and fixed ranges (ordered, automatic scaling off).
// Bottom axis: plan x -> X. Left axis: depth -> Y. Depth axis: plan y -> Z.
class ISceneAxes {
public:
  virtual ~ISceneAxes() = default;
  virtual double XPos(double planX) = 0;
  virtual double YPos(double depth) = 0;
  virtual double ZPos(double planY) = 0;
  virtual double BottomLength() = 0;
  virtual double LeftLength() = 0;
  virtual double DepthLength() = 0;
  virtual void SetBottomRange(double lo, double hi) = 0;
  virtual void SetLeftRange(double lo, double hi) = 0;
  virtual void SetDepthRange(double lo, double hi) = 0;
};

// The side of the square texture a section picture is stretched into.
constexpr int32_t SceneTextureSize = 512;

// A SceneTextureSize square 24-bit bitmap with the picture stretched over all of it.
std::shared_ptr<TBitmap> MakeSceneTexture(TMetafile* picture);

// The horizontal slice: cut points of every present section at model depth -PlaneDepth,
// contoured by the section chart; the sheet's outline from the triangulation's outer boundary.
// Does nothing unless shown, in texture mode, with entries.
void BuildPlaneSlice(TProjectState& state, ISceneSection& section);

// The outer boundary of the section chart's triangulation as a closed chain of node numbers (the
// start node repeated last); empty when the boundary does not close.
std::vector<int32_t> TraceSliceBoundary(const TPseudoSectionContour& contour);

// Axis ranges giving every axis the same units per pixel (the left axis ScaleRatio times more).
// An axis without length in pixels leaves every range alone; a zero range gets the common
// scale centred on its value.
void ApplyEqualScale(const TProjectState& state, ISceneAxes& axes);

// Draws the scene on the canvas (after the chart's walls and axes): lights, equal scale, the
// shown sections, the slice. The section chart gives the colour strip in cell mode; gl the lights.
void DrawScene3D(TProjectState& state, TGLCanvas& canvas, ISceneAxes& axes, ISceneSection& section,
                 TNuvOpenGL* gl);

// The colour bar of the section chart onto the finished frame: left 3, top 5, 15 x 150 pixels.
void DrawLegendOnGL(ISceneSection& section, TCanvas* canvas);
