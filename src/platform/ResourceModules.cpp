#include "platform/ResourceModules.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {
std::map<std::pair<int, std::string>, TBitmapResourceLoader>& Table()
{
  static std::map<std::pair<int, std::string>, TBitmapResourceLoader> table;
  return table;
}
}  // namespace

void RegisterBitmapResource(int module, const std::string& name, TBitmapResourceLoader loader)
{
  Table()[{module, name}] = std::move(loader);
}

void UnregisterBitmapResource(int module, const std::string& name) { Table().erase({module, name}); }

int ResourceModuleCount()
{
  int n = 1;
  for (const auto& entry : Table()) n = std::max(n, entry.first.first + 1);
  return n;
}

bool LoadBitmapFromModule(int module, const std::string& name, TBitmap* bitmap)
{
  auto it = Table().find({module, name});
  if (it == Table().end() || !it->second) return false;
  return it->second(bitmap);
}
