// Every seed, every input the fuzzers kept and every crash they found, fed once more to its reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FuzzTargets.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ListedTargets()
{
  std::ifstream in(std::string(ORBISK_FUZZ_DIR) + "/targets.txt");
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) names.push_back(line);
  return names;
}

std::vector<fs::path> FilesIn(const fs::path& folder)
{
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec))
    if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Bytes(const fs::path& file)
{
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

TEST(FuzzCorpus, EveryTargetIsListedAndSeeded)
{
  std::vector<std::string> registered;
  for (const TFuzzTarget& t : FuzzTargets()) registered.emplace_back(t.Name);
  EXPECT_EQ(ListedTargets(), registered);
  for (const std::string& name : registered)
    EXPECT_FALSE(FilesIn(fs::path(ORBISK_FUZZ_DIR) / "corpus" / name).empty()) << name;
  EXPECT_EQ(RunFuzzTarget("no such reader", nullptr, 0), -1);
}

TEST(FuzzCorpus, ReplaysSeedsKeptInputsAndCrashes)
{
  size_t replayed = 0;
  for (const std::string& name : ListedTargets()) {
    for (const char* kind : {"corpus", "crashes"}) {
      for (const fs::path& file : FilesIn(fs::path(ORBISK_FUZZ_DIR) / kind / name)) {
        const std::string bytes = Bytes(file);
        SCOPED_TRACE(file.string());
        EXPECT_EQ(RunFuzzTarget(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
        ++replayed;
      }
    }
  }
  EXPECT_GT(replayed, 0u);
}
