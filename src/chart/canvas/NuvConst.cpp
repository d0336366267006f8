#include "chart/canvas/NuvConst.h"

// The variables are constant-initialised (empty), so start-up may run before this unit's own
// dynamic initialisation without being undone by it.
#define NUV_DEFINE_MESSAGE(id, text) constinit std::string id;
NUV_MESSAGE_TEXTS(NUV_DEFINE_MESSAGE)
#undef NUV_DEFINE_MESSAGE

const char* const NuvTemplateExtension = "nuv";
constinit std::string NuvMsg_TemplateFilter;

namespace {
constinit int startupCount = 0;

std::string FilterOf(const std::string& extension) { return "(*." + extension + ")|*." + extension; }
}  // namespace

void NuvConstStartup()
{
  if (startupCount++ > 0) return;
#define NUV_ASSIGN_MESSAGE(id, text) id = text;
  NUV_MESSAGE_TEXTS(NUV_ASSIGN_MESSAGE)
#undef NUV_ASSIGN_MESSAGE
  NuvMsg_TemplateFilter = "NuvChart files " + FilterOf(NuvTemplateExtension);
}

void NuvConstShutdown()
{
  if (startupCount == 0 || --startupCount > 0) return;
#define NUV_CLEAR_MESSAGE(id, text) id.clear();
  NUV_MESSAGE_TEXTS(NUV_CLEAR_MESSAGE)
#undef NUV_CLEAR_MESSAGE
  NuvMsg_TemplateFilter.clear();
}

std::vector<const std::string*> NuvAllMessages()
{
  std::vector<const std::string*> all;
#define NUV_LIST_MESSAGE(id, text) all.push_back(&id);
  NUV_MESSAGE_TEXTS(NUV_LIST_MESSAGE)
#undef NUV_LIST_MESSAGE
  all.push_back(&NuvMsg_TemplateFilter);
  return all;
}

namespace {
struct ConstUnit {
  ConstUnit() { NuvConstStartup(); }
};
ConstUnit constUnit;
}  // namespace
