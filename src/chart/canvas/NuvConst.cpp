#include "chart/canvas/NuvConst.h"

// The texts are made before the units of the library start (they read them at start-up, from
// their own files' initialisation) and freed after those units shut down: an early priority,
// whatever the compiler can or cannot initialise as a constant.
#define NUV_EARLY __attribute__((init_priority(200)))
#define NUV_DEFINE_MESSAGE(id, text) NUV_EARLY std::string id;
NUV_MESSAGE_TEXTS(NUV_DEFINE_MESSAGE)
#undef NUV_DEFINE_MESSAGE

const char* const NuvTemplateExtension = "nuv";
NUV_EARLY std::string NuvMsg_TemplateFilter;

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

TNuvConstUnit::TNuvConstUnit() { NuvConstStartup(); }

TNuvConstUnit::~TNuvConstUnit() { NuvConstShutdown(); }

namespace {
// The unit's own start-up and shut-down, around the whole program.
NUV_EARLY TNuvConstUnit constUnit;
}  // namespace
