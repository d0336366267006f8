#pragma once
// Number text, string and file-name routines of the class library; locale-independent.
#include <cstdint>
#include <string>
#include <vector>

// Whole text (blanks around it allowed) as a decimal number: [sign] digits [. digits] [E [sign] digits].
bool TryStrToFloat(const std::string& text, double& value);
// As TryStrToFloat; raises EConvertError when the text is no number.
double StrToFloat(const std::string& text);
bool TryStrToInt(const std::string& text, int32_t& value);
std::string IntToStr(int64_t value);
// The default scientific form of width 23: a blank or "-", one digit, ".", 14 digits, "E",
// a sign and four exponent digits (1250 gives " 1.25000000000000E+0003"). A number whose 15 digits
// would round past the largest double gets the 17 that read back as it (width 25).
std::string FloatToStrSci(double value);
// Fixed-point text with the given number of decimals ("." separator, "-" for negatives).
std::string FloatToStrFixed(double value, int decimals);

std::string Trim(const std::string& s);
// A text's lines, split at CR LF, CR or LF (a string list's Text), and lines joined with CR LF.
std::vector<std::string> SplitTextLines(const std::string& text);
std::string JoinTextLines(const std::vector<std::string>& lines);
std::string LowerCase(const std::string& s);
// Case-insensitive (ASCII) substring test.
bool ContainsText(const std::string& text, const std::string& sub);

// File names use '/' as the folder separator.
std::string ExtractFileExt(const std::string& fileName);   // ".ext" or ""
std::string ChangeFileExt(const std::string& fileName, const std::string& ext);
std::string ExtractFilePath(const std::string& fileName);  // folder with its trailing '/', or ""
std::string ExtractFileName(const std::string& fileName);  // name without folder
// True for an existing regular file (not a folder).
bool FileExists(const std::string& fileName);
