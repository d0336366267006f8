#pragma once
// Contours every present section of a project into its picture through the section chart.
struct TProjectState;
class TPseudoSection2d;

// For every entry whose half of the current display mode is present, in entry order: the grid of
// that half goes into the chart (positions, depths and relief of the resistivity half), the chart
// builds it, takes the scene's value range unless it has user limits (so that all sections share
// one colour scale), computes its levels and layout, and the half's Picture becomes a copy of the
// chart's picture.
void ContourSectionPictures(TProjectState& state, TPseudoSection2d& chart);
