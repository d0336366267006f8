#pragma once
// Text files: written with CR LF line ends through a temporary file; read accepting LF or CR LF,
// line by line in bounded blocks, refusing content that is not text where it is met.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads every line of a file. A last line end does not add an empty line. False when the file
// cannot be read or is not text (a zero byte, a line longer than TTextReader::MaxLineLength); Error
// (when given) then says why, and Lines holds the lines before the fault.
bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines, std::string* error = nullptr);

// Writes each line followed by CR LF into a temporary file beside fileName and renames it over
// fileName, so a failure leaves the previous file as it was. False with a reason in error on failure.
bool WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines, std::string* error = nullptr);

// Writes bytes into a temporary file beside fileName and renames it over fileName, so a failure
// leaves the previous file as it was. False with a reason in error on failure.
bool WriteFileAtomically(const std::string& fileName, const std::string& bytes, std::string* error = nullptr);

// Forward reading of the lines of a file with the end test of the class library: Eof is true once
// the last line has been read. The file is read in blocks of BlockSize bytes, so memory follows the
// lines the caller keeps, not the file's size. Content that is not text ends the reading where it is
// met: a zero byte, or a line longer than MaxLineLength. Eof is then true, ReadLn gives "" and Error
// says why (as it does when the file cannot be opened or read).
class TTextReader {
public:
  // Room for a line of 65536 numbers of up to 31 characters each, with their blanks.
  static constexpr size_t MaxLineLength = size_t{2} << 20;
  static constexpr size_t BlockSize = size_t{1} << 16;

  TTextReader() = default;
  // Opens fileName; see Open.
  explicit TTextReader(const std::string& fileName) { Open(fileName); }
  ~TTextReader();
  TTextReader(const TTextReader&) = delete;
  TTextReader& operator=(const TTextReader&) = delete;

  // Opens a file for reading from its first line. False, with Error, when it is missing, a folder or
  // cannot be opened.
  bool Open(const std::string& fileName);
  bool IsOpen() const { return fd_ >= 0; }
  bool Eof();
  // The next line without its line end; "" past the end or after a fault.
  std::string ReadLn();
  // Passes over the lines ahead that hold nothing but blanks (spaces, tabs, CRs), counting them as
  // ReadLn would, without making them strings. Stops before any other line, and before a blank
  // line that runs on past the block at hand, which ReadLn then reads (and refuses) as ever.
  void SkipBlankLines();
  // Why reading stopped before the end of the file, or "".
  const std::string& Error() const { return error_; }
  bool Failed() const { return !error_.empty(); }
  // Lines read so far.
  size_t LineNumber() const { return line_; }
  // Bytes taken from the file so far.
  uint64_t BytesRead() const { return bytesRead_; }

private:
  // Refills the block when it is used up; False at the end of the file or on a read error.
  bool Fill();
  void Stop(const std::string& why);
  void Close();

  int fd_ = -1;
  bool end_ = true;
  std::vector<char> block_;
  size_t pos_ = 0, size_ = 0;
  size_t line_ = 0;
  uint64_t bytesRead_ = 0;
  std::string error_;
};
