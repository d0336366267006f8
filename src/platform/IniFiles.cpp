#include "platform/IniFiles.h"

#include <fstream>

#include "platform/SysUtils.h"

namespace {
std::string StripLineEnd(std::string line)
{
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return line;
}
}  // namespace

TIniFile::TIniFile(const std::string& fileName) : fileName_(fileName)
{
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return;
  std::string line;
  std::string section;
  bool inSection = false;
  while (std::getline(in, line)) {
    line = StripLineEnd(line);
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t[0] == '[') {
      auto close = t.find(']');
      if (close == std::string::npos) continue;
      section = LowerCase(Trim(t.substr(1, close - 1)));
      sections_[section];
      inSection = true;
      continue;
    }
    if (!inSection) continue;
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = LowerCase(Trim(line.substr(0, eq)));
    if (key.empty()) continue;
    sections_[section].emplace(key, line.substr(eq + 1));
  }
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const
{
  auto s = sections_.find(LowerCase(section));
  if (s == sections_.end()) return defaultValue;
  auto k = s->second.find(LowerCase(key));
  return k == s->second.end() ? defaultValue : k->second;
}

bool TIniFile::SectionExists(const std::string& section) const { return sections_.count(LowerCase(section)) != 0; }

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const
{
  auto s = sections_.find(LowerCase(section));
  return s != sections_.end() && s->second.count(LowerCase(key)) != 0;
}
