#include "app/SectionPictures.h"

#include <algorithm>
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

TSectionMessages::TSectionMessages(TPseudoSectionContour& contour)
    : contour_(contour), handler_(std::move(contour.OnMessage))
{
  contour_.OnMessage = [this](const std::string& text) {
    const auto same = std::find_if(gathered_.begin(), gathered_.end(), [&](const auto& g) { return g.first == text; });
    if (same == gathered_.end())
      gathered_.emplace_back(text, 1);
    else
      ++same->second;
  };
}

TSectionMessages::~TSectionMessages() { Restore(); }

void TSectionMessages::Restore()
{
  if (restored_) return;
  restored_ = true;
  contour_.OnMessage = std::move(handler_);
}

void TSectionMessages::Show()
{
  Restore();
  std::vector<std::pair<std::string, size_t>> gathered;
  gathered.swap(gathered_);
  if (!contour_.OnMessage) return;
  for (const auto& [text, count] : gathered)
    contour_.OnMessage(count > 1 ? text + " (" + std::to_string(count) + " sections)" : text);
}
