#pragma once
// The readers of untrusted input, each as one entry point that takes any bytes. The fuzzing
// harnesses (one per target, built with clang's libFuzzer) and the corpus replay of the test suite
// call the same entry points. A target returns 0; a fault shows as a crash or a sanitizer report.
//
// Adding a reader: write its entry point in FuzzTargets.cpp, list it in FuzzTargets() and in
// fuzz/targets.txt, and give it a seed folder fuzz/corpus/<name>/.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TFuzzTarget {
  const char* Name;
  int (*Run)(const uint8_t* data, size_t size);
};

// Every target, in the order of fuzz/targets.txt.
const std::vector<TFuzzTarget>& FuzzTargets();
// Runs the named target on the bytes; -1 for an unknown name.
int RunFuzzTarget(const std::string& name, const uint8_t* data, size_t size);
// Makes what the targets need once per process (the headless application object).
void FuzzInitialize(int* argc, char*** argv);
