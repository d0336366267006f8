#include "platform/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines, std::string* error)
{
  lines.clear();
  TTextReader in(fileName);
  while (!in.Eof()) {
    std::string line = in.ReadLn();
    if (in.Failed())
      break;
    lines.push_back(std::move(line));
  }
  if (error)
    *error = in.Error();
  return !in.Failed();
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

TTextReader::~TTextReader() { Close(); }

void TTextReader::Close()
{
  if (fd_ >= 0)
    close(fd_);
  fd_ = -1;
  end_ = true;
}

void TTextReader::Stop(const std::string& why)
{
  error_ = why;
  Close();
  pos_ = size_ = 0;
}

bool TTextReader::Open(const std::string& fileName)
{
  Close();
  error_.clear();
  pos_ = size_ = 0;
  line_ = 0;
  bytesRead_ = 0;
  // A folder opens but reads as empty; it is no text file.
  std::error_code ec;
  if (std::filesystem::is_directory(fileName, ec)) {
    Stop("it is a folder");
    return false;
  }
  fd_ = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    Stop(errno == ENOENT ? std::string("it does not exist")
                         : "it cannot be opened (" + std::string(std::strerror(errno)) + ")");
    return false;
  }
  end_ = false;
  block_.resize(BlockSize);
  return true;
}

bool TTextReader::Fill()
{
  if (end_)
    return false;
  ssize_t n;
  do
    n = read(fd_, block_.data(), block_.size());
  while (n < 0 && errno == EINTR);
  if (n < 0) {
    Stop("it cannot be read (" + std::string(std::strerror(errno)) + ")");
    return false;
  }
  if (n == 0) {
    Close();
    pos_ = size_ = 0;
    return false;
  }
  pos_ = 0;
  size_ = static_cast<size_t>(n);
  bytesRead_ += static_cast<uint64_t>(n);
  return true;
}

bool TTextReader::Eof() { return pos_ >= size_ && !Fill(); }

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
  std::string line;
  if (Eof())
    return line;
  ++line_;
  bool tooLong = false;
  // Line by line up to the next line end; a zero byte or an overlong line stops where it is met.
  for (;;) {
    if (pos_ >= size_ && !Fill())
      break;
    const char* start = block_.data() + pos_;
    const size_t left = size_ - pos_;
    const char* nl = static_cast<const char*>(std::memchr(start, '\n', left));
    const size_t take = nl ? static_cast<size_t>(nl - start) : left;
    if (std::memchr(start, '\0', take)) {
      Stop("it holds binary data (a zero byte in line " + std::to_string(line_) + ")");
      return {};
    }
    // One byte over for a CR of the line end.
    if (line.size() + take > MaxLineLength + 1) {
      tooLong = true;
      break;
    }
    line.append(start, take);
    pos_ += take;
    if (nl) {
      ++pos_;
      break;
    }
  }
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  if (tooLong || line.size() > MaxLineLength) {
    Stop("it holds no text (line " + std::to_string(line_) + " is longer than " +
         std::to_string(MaxLineLength >> 20) + " MB)");
    return {};
  }
  return line;
}

void TTextReader::SkipBlankLines()
{
  while (!Eof()) {
    const char* const start = block_.data() + pos_;
    const char* const end = block_.data() + size_;
    const char* p = start;
    // Whole lines of this block only: a line shorter than a block is no overlong line.
    for (;;) {
      const char* q = p;
      while (q < end && (*q == ' ' || *q == '\t' || *q == '\r'))
        ++q;
      if (q == end || *q != '\n')
        break;
      p = q + 1;
      ++line_;
    }
    pos_ += static_cast<size_t>(p - start);
    if (pos_ < size_)
      return;
  }
}
