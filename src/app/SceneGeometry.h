#pragma once
// Scene geometry: placement in plan, depth below relief, outlines and frames, scene bounds,
// orientation and normals.
#include "app/ProfileModel.h"
#include "app/Supermath2d.h"

struct TProjectState;
class ISceneHost;

// PlanX0, PlanY0, PlanX1, PlanY1 from X0..Y1, st, en, XFirst, XLast.
// A zero or non-finite span, or a stretch so short that the plan ends overflow, places the first
// and last X on the ends themselves.
void PlaceSection(fdata& d);
// Plan position of the profile coordinate x on the section.
TComplex SectionPlanPoint(const fdata& d, double x);
// Scene depth of a point at model depth z under relief height r.
double SectionDepthToScene(const fdata& d, double r, double z);
// Outline, TexCoords and Frame of a Present half (left alone otherwise).
void BuildSectionOutline(fdata& d);
// BuildSectionOutline for the resistivity half of every entry.
void BuildSectionOutlines(TProjectState& state);
// Scene bounds of the state and the three axis ranges of the host (host may be null).
void UpdateSceneBounds(TProjectState& state, ISceneHost* host);
// Clears the host's texture cache and drops every section texture and the slice texture.
void ReleaseSceneTextures(TProjectState& state, ISceneHost* host);
// Some entry's resistivity half is Present.
bool AnySectionPresent(const TProjectState& state);

// Unit normal of (A - B) x (C - B); the zero vector when the three points are on one line.
TScenePoint TriangleNormal(const TScenePoint& a, const TScenePoint& b, const TScenePoint& c);
// Orientation on screen: the sign of the last non-degenerate cross product, searched from the end.
// False for fewer than three points or when every cross product is below 1e-10 (seen edge-on).
bool PolygonOrientation(const arofcomplex& points);
bool PolygonOrientation(const std::vector<TPoint>& points);
TScenePoint MakePoint3D(double x, double y, double z);
