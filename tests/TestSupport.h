#pragma once
// Helpers shared by the test programs.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

#include "platform/TextFile.h"

namespace testsupport {

// Bytes this process has read from files so far.
inline uint64_t BytesReadByProcess()
{
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:")
      return value;
  return 0;
}

// A folder of its own under the system temporary folder, removed on destruction.
class TempDir {
public:
  TempDir()
  {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orbisk-test-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir()
  {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

// While alive, no file of this process grows beyond bytes: a write past it fails with "File too
// large", as on a full disk (the signal the limit raises is ignored meanwhile).
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes)
  {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit()
  {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
  rlimit old_{};
  void (*previous_)(int) = SIG_DFL;
};

inline std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline void WriteAll(const std::string& path, const std::string& text)
{
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The lines of a text file as the application reads them; none when it cannot be read.
inline std::vector<std::string> ReadLines(const std::string& path)
{
  std::vector<std::string> lines;
  ReadTextLines(path, lines);
  return lines;
}

inline std::string ExamplePath(const std::string& name) { return std::string(ORBISK_EXAMPLES) + "/" + name; }
inline std::string FieldPath(const std::string& name) { return std::string(ORBISK_FIELD_DATA) + "/" + name; }

}  // namespace testsupport
