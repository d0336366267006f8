#include "app/SectionPictures.h"

#include <memory>

#include "app/Project.h"
#include "app/PseudoSection2d.h"
#include "platform/Metafile.h"

void ContourSectionPictures(TProjectState& state, TPseudoSection2d& chart)
{
  const size_t mode = state.DisplayMode == 1 ? 1 : 0;
  TPseudoSectionContour& c = chart.Contour();
  for (TProfileEntry& entry : state.Profiles) {
    fdata& half = entry[mode];
    if (!half.Present) continue;
    const fdata& res = entry[0];
    c.SetGridInput(res, half);
    chart.BuildSection(true);
    if (!c.UserLimits) {
      c.DataMax = c.RangeMax = state.ValueMax;
      c.DataMin = c.RangeMin = state.ValueMin;
    }
    chart.UpdateLevels();
    chart.UpdateLayout();
    auto picture = std::make_shared<TMetafile>();
    picture->Assign(chart.SectionPicture());
    half.Picture = std::move(picture);
  }
}
