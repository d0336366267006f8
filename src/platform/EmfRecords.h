#pragma once
// Enhanced metafile record types and a little-endian record writer, shared by the recording
// canvas's encoder and the placeable metafile conversions.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/Types.h"

namespace emf {

enum : uint32_t {
  EMR_HEADER = 1, EMR_POLYBEZIER = 2, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_EOF = 14, EMR_SETPIXELV = 15,
  EMR_SETBKMODE = 18, EMR_SETPOLYFILLMODE = 19, EMR_SETROP2 = 20, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24,
  EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27, EMR_INTERSECTCLIPRECT = 30, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
  EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54, EMR_SELECTCLIPRGN = 67, EMR_STRETCHDIBITS = 81,
  EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84, EMR_POLYBEZIER16 = 85, EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87
};
constexpr uint32_t EmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t StockObject = 0x80000000;

// Appends records; Begin starts one and End pads it to four bytes and patches its size.
class EmfWriter {
public:
  std::string bytes;
  uint32_t records = 0;

  void U32(uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void U16(uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); }
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void F32(float v)
  {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    U32(u);
  }
  size_t Begin(uint32_t type)
  {
    const size_t at = bytes.size();
    U32(type);
    U32(0);
    return at;
  }
  void End(size_t at)
  {
    while ((bytes.size() - at) % 4) bytes.push_back('\0');
    const auto size = static_cast<uint32_t>(bytes.size() - at);
    std::memcpy(&bytes[at + 4], &size, 4);
    ++records;
  }
  // A record of one value.
  void Simple(uint32_t type, uint32_t v)
  {
    const size_t at = Begin(type);
    U32(v);
    End(at);
  }
  // A record of several values.
  void Simple(uint32_t type, std::initializer_list<int32_t> values)
  {
    const size_t at = Begin(type);
    for (int32_t v : values) I32(v);
    End(at);
  }
  void Rect(const TRect& r)
  {
    I32(r.Left);
    I32(r.Top);
    I32(r.Right);
    I32(r.Bottom);
  }
};

}  // namespace emf
