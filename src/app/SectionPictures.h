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
// reported names how many: "Very large nodes number! (6 sections)". A Rebuild scope lives around one
// rebuild of the section pictures and the slice after them, and counts every report. A Session
// scope lives around several rebuilds (an options dialog's Applies and the rebuild after it): each
// of them reports the sections it built, so a text counts as often as the most one of them said it.
// A scope opened inside another passes what it gathered to the outer one. A scope left without
// Show (an exception) shows what it gathered all the same.
class TSectionMessages {
public:
  enum TScope { Rebuild, Session };
  explicit TSectionMessages(TPseudoSectionContour& contour, TScope scope = Rebuild);
  ~TSectionMessages();
  TSectionMessages(const TSectionMessages&) = delete;
  TSectionMessages& operator=(const TSectionMessages&) = delete;
  // Gives the chart its handler back and passes on what was gathered.
  void Show();

private:
  void Restore();
  void Add(const std::string& text, size_t count);
  TPseudoSectionContour& contour_;
  TScope scope_;
  TSectionMessages* outer_ = nullptr;
  std::function<void(const std::string&)> handler_;
  std::vector<std::pair<std::string, size_t>> gathered_;
  bool restored_ = false;
};
