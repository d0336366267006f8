// One libFuzzer harness: ORBISK_FUZZ_TARGET names the entry point of FuzzTargets.cpp.
#include <cstddef>
#include <cstdint>

#include "FuzzTargets.h"

// The system font library keeps caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
  FuzzInitialize(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  return RunFuzzTarget(ORBISK_FUZZ_TARGET, data, size) == 0 ? 0 : -1;
}
