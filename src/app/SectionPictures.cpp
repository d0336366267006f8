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

namespace {
// The innermost scope alive.
TSectionMessages* g_innermost = nullptr;
}  // namespace

TSectionMessages::TSectionMessages(TPseudoSectionContour& contour, TScope scope)
    : contour_(contour), scope_(scope), handler_(std::move(contour.OnMessage))
{
  if (g_innermost && &g_innermost->contour_ == &contour_) outer_ = g_innermost;
  g_innermost = this;
  contour_.OnMessage = [this](const std::string& text) { Add(text, 1); };
}

TSectionMessages::~TSectionMessages()
{
  if (restored_) return;
  // Left by an exception: what was gathered still reaches the user.
  try {
    Show();
  } catch (...) {
    Restore();
  }
}

void TSectionMessages::Add(const std::string& text, size_t count)
{
  const auto same = std::find_if(gathered_.begin(), gathered_.end(), [&](const auto& g) { return g.first == text; });
  if (same == gathered_.end())
    gathered_.emplace_back(text, count);
  else if (scope_ == Rebuild)
    same->second += count;
  else
    same->second = std::max(same->second, count);
}

void TSectionMessages::Restore()
{
  if (restored_) return;
  restored_ = true;
  contour_.OnMessage = std::move(handler_);
  if (g_innermost == this) g_innermost = outer_;
}

void TSectionMessages::Show()
{
  Restore();
  std::vector<std::pair<std::string, size_t>> gathered;
  gathered.swap(gathered_);
  if (outer_) {
    for (const auto& [text, count] : gathered) outer_->Add(text, count);
    return;
  }
  if (!contour_.OnMessage) return;
  for (const auto& [text, count] : gathered)
    contour_.OnMessage(count > 1 ? text + " (" + std::to_string(count) + " sections)" : text);
}
