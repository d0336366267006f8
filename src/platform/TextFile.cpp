#include "platform/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines)
{
  lines.clear();
  // A folder opens as a stream but reads as empty; it is no text file.
  std::error_code ec;
  if (std::filesystem::is_directory(fileName, ec))
    return false;
  std::ifstream in(fileName, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad())
    return false;
  const std::string text = ss.str();
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string::npos ? text.size() : nl;
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r')
      --stop;
    lines.emplace_back(text, start, stop - start);
    if (nl == std::string::npos)
      break;
    start = nl + 1;
  }
  return true;
}

namespace {

// Writes all bytes to fd; false with errno set on failure.
bool WriteAll(int fd, const std::string& bytes)
{
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& name, const std::string& bytes, std::string* error)
{
  auto fail = [&](const std::string& what) {
    if (error)
      *error = what + ": " + std::strerror(errno);
    return false;
  };
  // A link is followed: the file it names is replaced and the link stays.
  std::string fileName = name;
  struct stat link {};
  if (lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::weakly_canonical(name, ec);
    if (!ec)
      fileName = target.string();
  }
  // A device or a pipe is written as it is; only a file can be replaced.
  struct stat existing {};
  if (stat(fileName.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
    if (S_ISDIR(existing.st_mode)) {
      errno = EISDIR;
      return fail("cannot write " + name);
    }
    int fd = open(fileName.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
      return fail("cannot write " + name);
    const bool written = WriteAll(fd, bytes);
    const int saved = errno;
    const bool closed = close(fd) == 0;
    if (!written)
      errno = saved;
    if (!written || !closed)
      return fail("cannot write " + name);
    return true;
  }
  std::string tmpl = fileName + ".tmp-XXXXXX";
  int fd = mkstemp(tmpl.data());
  if (fd < 0)
    return fail("cannot create a file beside " + fileName);
  // Keep the permissions of the file being replaced; a new file gets the usual ones.
  struct stat st {};
  if (stat(fileName.c_str(), &st) == 0)
    fchmod(fd, st.st_mode & 07777);
  else {
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  if (!WriteAll(fd, bytes)) {
    int saved = errno;
    close(fd);
    unlink(tmpl.c_str());
    errno = saved;
    return fail("cannot write " + fileName);
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    int saved = errno;
    unlink(tmpl.c_str());
    errno = saved;
    return fail("cannot write " + fileName);
  }
  if (std::rename(tmpl.c_str(), fileName.c_str()) != 0) {
    int saved = errno;
    unlink(tmpl.c_str());
    errno = saved;
    return fail("cannot replace " + fileName);
  }
  return true;
}

bool WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines, std::string* error)
{
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return WriteFileAtomically(fileName, text, error);
}

std::string TTextReader::ReadLn()
{
  if (pos_ >= lines_.size())
    return "";
  return lines_[pos_++];
}
