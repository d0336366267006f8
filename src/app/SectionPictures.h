#pragma once
// Contours every present section of a project into its picture through the section chart.
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct TProjectState;
class TPseudoSection2d;
class TPseudoSectionContour;

// For every entry whose half of the current display mode is present, in entry order: the grid of
// that half goes into the chart (positions, depths and relief of the resistivity half), the chart
// builds it, takes the scene's value range unless it has user limits (so that all sections share
// one colour scale), computes its levels and layout, and the half's Picture becomes a copy of the
// chart's picture.
void ContourSectionPictures(TProjectState& state, TPseudoSection2d& chart);

// While alive, what the section chart reports is gathered instead of shown. Show passes each text
// on once, in the order first reported, to the chart's own handler; a text that several sections
// reported names how many: "Very large nodes number! (6 sections)". Lives around one rebuild of the
// section pictures and the slice after them.
class TSectionMessages {
public:
  explicit TSectionMessages(TPseudoSectionContour& contour);
  ~TSectionMessages();
  TSectionMessages(const TSectionMessages&) = delete;
  TSectionMessages& operator=(const TSectionMessages&) = delete;
  // Gives the chart its handler back and passes on what was gathered.
  void Show();

private:
  void Restore();
  TPseudoSectionContour& contour_;
  std::function<void(const std::string&)> handler_;
  std::vector<std::pair<std::string, size_t>> gathered_;
  bool restored_ = false;
};
