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
    c.GridMode = true;
    c.LogData = half.LogScale != 0;
    c.GridX = res.X;
    c.GridDepths = res.Z;
    c.GridRelief = res.ReliefAtX;
    c.GridValues = half.Values;
    c.ReliefFactor = res.K;
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
