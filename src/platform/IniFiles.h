#pragma once
// INI files: "[section]" lines and "key=value" lines, read exactly as written (keys compared
// without regard to ASCII case, values taken as they stand after the "="). Read only.
#include <map>
#include <string>
#include <vector>

class TIniFile {
public:
  // Reads the file now; a missing or unreadable file reads as empty.
  explicit TIniFile(const std::string& fileName);
  const std::string& FileName() const { return fileName_; }
  // The value, or defaultValue when the file, section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;

private:
  std::string fileName_;
  // Lower-cased section -> lower-cased key -> value; the first occurrence of a key wins.
  std::map<std::string, std::map<std::string, std::string>> sections_;
};
