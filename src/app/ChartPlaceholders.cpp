#include "app/ChartPlaceholders.h"

#include <sstream>
#include <vector>

#include "app/Supermath2d.h"

TSectionChartPlaceholder::TSectionChartPlaceholder(TComponent* owner) : TComponent(owner)
{
  // The settings of a fresh section chart.
  words_ = {"255", "16711680", "16711680", "255", "65535", "32768", "15", "25", "70",
            "1",   "20",       "0",        "1",   "0",     "1",     "1",  "*",  "*"};
}

std::string TSectionChartPlaceholder::GetSettings()
{
  std::string line;
  for (const auto& w : words_) line += " " + w;
  return line;
}

void TSectionChartPlaceholder::SetSettings(const std::string& line)
{
  const std::vector<std::string> words = SplitWords(line, 0);
  if (words.size() < 18) return;
  for (size_t i = 0; i < 18; ++i) words_[i] = words[i];
}
