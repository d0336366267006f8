#pragma once
// Text files: written with CR LF line ends through a temporary file; read accepting LF or CR LF.
#include <string>
#include <vector>

// Reads every line of a file. A last line end does not add an empty line. False when the file
// cannot be read.
bool ReadTextLines(const std::string& fileName, std::vector<std::string>& lines);

// Writes each line followed by CR LF into a temporary file beside fileName and renames it over
// fileName, so a failure leaves the previous file as it was. False with a reason in error on failure.
bool WriteTextLines(const std::string& fileName, const std::vector<std::string>& lines, std::string* error = nullptr);

// Writes bytes into a temporary file beside fileName and renames it over fileName, so a failure
// leaves the previous file as it was. False with a reason in error on failure.
bool WriteFileAtomically(const std::string& fileName, const std::string& bytes, std::string* error = nullptr);

// Forward reading of lines with the end test of the class library: Eof is true once the last line
// has been read.
class TTextReader {
public:
  explicit TTextReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  bool Eof() const { return pos_ >= lines_.size(); }
  // The next line; "" past the end.
  std::string ReadLn();
  size_t LineCount() const { return lines_.size(); }

private:
  std::vector<std::string> lines_;
  size_t pos_ = 0;
};
