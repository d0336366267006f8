// Enhanced to placeable Windows metafile conversion.
#include "platform/PlaceableMetafile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "platform/EmfRecords.h"
#include "platform/GraphicsPrivate.h"

namespace {

using namespace emf;

constexpr uint32_t kPlacementKey = 0x9AC6CDD7u;

// Windows metafile record functions.
enum : uint16_t {
  META_EOF = 0x0000, META_SETBKCOLOR = 0x0201, META_SETBKMODE = 0x0102, META_SETROP2 = 0x0104,
  META_SETPOLYFILLMODE = 0x0106, META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
  META_LINETO = 0x0213, META_MOVETO = 0x0214, META_INTERSECTCLIPRECT = 0x0416, META_ARC = 0x0817,
  META_ELLIPSE = 0x0418, META_PIE = 0x081A, META_RECTANGLE = 0x041B, META_ROUNDRECT = 0x061C, META_SAVEDC = 0x001E,
  META_SETPIXEL = 0x041F, META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_RESTOREDC = 0x0127,
  META_SELECTOBJECT = 0x012D, META_SETTEXTALIGN = 0x012E, META_CHORD = 0x0830, META_EXTTEXTOUT = 0x0A32,
  META_STRETCHDIB = 0x0F43, META_DELETEOBJECT = 0x01F0, META_CREATEPENINDIRECT = 0x02FA,
  META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC
};
constexpr uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4;

int16_t Clamp16(int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// Reads little-endian fields of one enhanced record.
class Record {
public:
  Record(const std::string& bytes, size_t at, size_t size) : b_(bytes), at_(at), size_(size) {}
  uint32_t U32(size_t off) const { return Get<uint32_t>(off); }
  int32_t I32(size_t off) const { return Get<int32_t>(off); }
  uint16_t U16(size_t off) const { return Get<uint16_t>(off); }
  int16_t I16(size_t off) const { return Get<int16_t>(off); }
  uint8_t U8(size_t off) const { return Get<uint8_t>(off); }
  std::string Bytes(size_t off, size_t n) const
  {
    Need(off, n);
    return b_.substr(at_ + off, n);
  }
  size_t Size() const { return size_; }

private:
  void Need(size_t off, size_t n) const
  {
    if (off > size_ || n > size_ - off) throw EInvalidGraphic("Truncated metafile record");
  }
  template <class T>
  T Get(size_t off) const
  {
    Need(off, sizeof(T));
    T v;
    std::memcpy(&v, b_.data() + at_ + off, sizeof(T));
    return v;
  }
  const std::string& b_;
  size_t at_, size_;
};

struct Pt {
  int32_t x, y;
};

// Writes Windows metafile records and keeps the object table.
class WmfWriter {
public:
  std::string out;
  uint32_t maxRecord = 0;
  uint16_t maxObjects = 0;

  void Rec(uint16_t function, const std::vector<uint16_t>& params, const std::string& tail = {})
  {
    std::string bytes = tail;
    if (bytes.size() % 2) bytes.push_back('\0');
    const uint32_t words = static_cast<uint32_t>(3 + params.size() + bytes.size() / 2);
    Put32(words);
    Put16(function);
    for (uint16_t p : params) Put16(p);
    out += bytes;
    maxRecord = std::max(maxRecord, words);
  }

  // The lowest free slot of the object table, as a player assigns it.
  uint16_t Allocate()
  {
    uint16_t i = 0;
    while (i < used_.size() && used_[i]) ++i;
    if (i == used_.size()) used_.push_back(true);
    else used_[i] = true;
    maxObjects = std::max<uint16_t>(maxObjects, static_cast<uint16_t>(used_.size()));
    return i;
  }
  void Free(uint16_t slot)
  {
    if (slot < used_.size()) used_[slot] = false;
    Rec(META_DELETEOBJECT, {slot});
  }

  void Put16(uint16_t v) { out.append(reinterpret_cast<const char*>(&v), 2); }
  void Put32(uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); }

private:
  std::vector<bool> used_;
};

uint16_t Lo(uint32_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
uint16_t Hi(uint32_t v) { return static_cast<uint16_t>(v >> 16); }
uint16_t W(int64_t v) { return static_cast<uint16_t>(Clamp16(v)); }

enum class Kind { Pen, Brush, Font };

class Converter {
public:
  Converter(const std::string& emf, int32_t width, int32_t height) : emf_(emf), width_(width), height_(height) {}

  std::string Run()
  {
    if (emf_.size() < 88) throw EInvalidGraphic("Not an enhanced metafile");
    Record head(emf_, 0, emf_.size());
    if (head.U32(0) != EMR_HEADER || head.U32(40) != EmfSignature) throw EInvalidGraphic("Not an enhanced metafile");
    w_.Rec(META_SETWINDOWORG, {0, 0});
    w_.Rec(META_SETWINDOWEXT, {W(height_), W(width_)});
    size_t at = 0;
    bool ended = false;
    while (at + 8 <= emf_.size() && !ended) {
      Record r(emf_, at, emf_.size() - at);
      const uint32_t type = r.U32(0), size = r.U32(4);
      if (size < 8 || size % 4 || size > emf_.size() - at) throw EInvalidGraphic("Malformed metafile record");
      Record rec(emf_, at, size);
      ended = Convert(type, rec);
      at += size;
    }
    if (saved_) Restore();
    w_.Rec(META_EOF, {});
    return Assemble();
  }

private:
  // One enhanced record; true at the end-of-file record.
  bool Convert(uint32_t type, const Record& r)
  {
    switch (type) {
    case EMR_HEADER: break;
    case EMR_EOF: return true;
    case EMR_SETBKMODE: SetState(META_SETBKMODE, {Lo(r.U32(8))}); break;
    case EMR_SETPOLYFILLMODE: SetState(META_SETPOLYFILLMODE, {Lo(r.U32(8))}); break;
    case EMR_SETROP2: SetState(META_SETROP2, {Lo(r.U32(8))}); break;
    case EMR_SETTEXTALIGN: SetState(META_SETTEXTALIGN, {Lo(r.U32(8))}); break;
    case EMR_SETTEXTCOLOR: SetState(META_SETTEXTCOLOR, {Lo(r.U32(8)), Hi(r.U32(8))}); break;
    case EMR_SETBKCOLOR: SetState(META_SETBKCOLOR, {Lo(r.U32(8)), Hi(r.U32(8))}); break;
    case EMR_MOVETOEX: w_.Rec(META_MOVETO, {W(r.I32(12)), W(r.I32(8))}); break;
    case EMR_LINETO: w_.Rec(META_LINETO, {W(r.I32(12)), W(r.I32(8))}); break;
    case EMR_INTERSECTCLIPRECT:
      if (!saved_) {
        w_.Rec(META_SAVEDC, {});
        saved_ = true;
        std::copy(std::begin(selected_), std::end(selected_), std::begin(savedSelection_));
      }
      w_.Rec(META_INTERSECTCLIPRECT, {W(r.I32(20)), W(r.I32(16)), W(r.I32(12)), W(r.I32(8))});
      break;
    case EMR_SELECTCLIPRGN:
      // Only the "no clip" form is written: go back to the state before the first clip.
      if (saved_) Restore();
      break;
    case EMR_CREATEPEN: {
      const uint32_t color = r.U32(24);
      const std::vector<uint16_t> p{Lo(r.U32(12)), W(r.I32(16)), 0, Lo(color), Hi(color)};
      Create(r.U32(8), Kind::Pen, META_CREATEPENINDIRECT, p, {});
      break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      const uint32_t color = r.U32(16);
      Create(r.U32(8), Kind::Brush, META_CREATEBRUSHINDIRECT, {Lo(r.U32(12)), Lo(color), Hi(color), Lo(r.U32(20))}, {});
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: CreateFont(r); break;
    case EMR_SELECTOBJECT: Select(r.U32(8)); break;
    case EMR_DELETEOBJECT: Delete(r.U32(8)); break;
    case EMR_RECTANGLE: Box(META_RECTANGLE, r, 0); break;
    case EMR_ELLIPSE: Box(META_ELLIPSE, r, 0); break;
    case EMR_ROUNDRECT: Box(META_ROUNDRECT, r, 1); break;
    case EMR_ARC: Box(META_ARC, r, 2); break;
    case EMR_CHORD: Box(META_CHORD, r, 2); break;
    case EMR_PIE: Box(META_PIE, r, 2); break;
    case EMR_POLYGON16: Poly(META_POLYGON, ReadPoints(r, true), true); break;
    case EMR_POLYGON: Poly(META_POLYGON, ReadPoints(r, false), true); break;
    case EMR_POLYLINE16: Poly(META_POLYLINE, ReadPoints(r, true), false); break;
    case EMR_POLYLINE: Poly(META_POLYLINE, ReadPoints(r, false), false); break;
    case EMR_POLYBEZIER16: Poly(META_POLYLINE, Flatten(ReadPoints(r, true)), false); break;
    case EMR_POLYBEZIER: Poly(META_POLYLINE, Flatten(ReadPoints(r, false)), false); break;
    case EMR_SETPIXELV: {
      const uint32_t color = r.U32(16);
      w_.Rec(META_SETPIXEL, {Lo(color), Hi(color), W(r.I32(12)), W(r.I32(8))});
      break;
    }
    case EMR_EXTTEXTOUTW: Text(r); break;
    case EMR_STRETCHDIBITS: StretchDib(r); break;
    default: break;  // not written by the recording canvas
    }
    return false;
  }

  // State records are remembered so that they can be put back after a clip ends.
  void SetState(uint16_t function, const std::vector<uint16_t>& params)
  {
    state_[function] = params;
    w_.Rec(function, params);
  }

  void Create(uint32_t handle, Kind kind, uint16_t function, const std::vector<uint16_t>& params,
              const std::string& tail)
  {
    if (objects_.count(handle)) Delete(handle);
    w_.Rec(function, params, tail);
    objects_[handle] = {w_.Allocate(), kind};
  }

  void CreateFont(const Record& r)
  {
    std::vector<uint16_t> p{W(r.I32(12)), W(r.I32(16)), W(r.I32(20)), W(r.I32(24)), Lo(r.U32(28))};
    auto pair = [&](size_t off) { return static_cast<uint16_t>(r.U8(off) | (r.U8(off + 1) << 8)); };
    for (size_t off = 32; off < 40; off += 2) p.push_back(pair(off));
    std::string face(32, '\0');
    for (size_t i = 0; i < 31; ++i) {
      const uint16_t ch = r.U16(40 + 2 * i);
      if (ch == 0) break;
      face[i] = ch < 256 ? static_cast<char>(ch) : '?';
    }
    Create(r.U32(8), Kind::Font, META_CREATEFONTINDIRECT, p, face);
  }

  // The table slot for a stock object, made on first use.
  uint16_t Stock(uint32_t id)
  {
    auto it = stock_.find(id);
    if (it != stock_.end()) return it->second.slot;
    Kind kind;
    switch (id) {
    case 0: w_.Rec(META_CREATEBRUSHINDIRECT, {0, 0xFFFF, 0x00FF, 0}); kind = Kind::Brush; break;  // white
    case 4: w_.Rec(META_CREATEBRUSHINDIRECT, {0, 0, 0, 0}); kind = Kind::Brush; break;            // black
    case 5: w_.Rec(META_CREATEBRUSHINDIRECT, {1, 0, 0, 0}); kind = Kind::Brush; break;            // hollow
    case 6: w_.Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0xFFFF, 0x00FF}); kind = Kind::Pen; break;   // white
    case 8: w_.Rec(META_CREATEPENINDIRECT, {5, 1, 0, 0, 0}); kind = Kind::Pen; break;             // none
    case 7: w_.Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0}); kind = Kind::Pen; break;             // black
    default: {
      // Any stock font: a plain font of the player's choice.
      std::vector<uint16_t> p{static_cast<uint16_t>(-12), 0, 0, 0, 400, 0, 0, 0, 0};
      w_.Rec(META_CREATEFONTINDIRECT, p, std::string(32, '\0'));
      kind = Kind::Font;
      break;
    }
    }
    const uint16_t slot = w_.Allocate();
    stock_[id] = {slot, kind};
    return slot;
  }

  void Select(uint32_t handle)
  {
    Obj o;
    if (handle & StockObject) {
      const uint32_t id = handle & ~StockObject;
      Stock(id);
      o = stock_[id];
    } else {
      auto it = objects_.find(handle);
      if (it == objects_.end()) return;
      o = it->second;
    }
    w_.Rec(META_SELECTOBJECT, {o.slot});
    selected_[static_cast<int>(o.kind)] = o.slot;
  }

  void Delete(uint32_t handle)
  {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return;
    const uint16_t slot = it->second.slot;
    objects_.erase(it);
    // An object the saved state selects must outlive the state's return.
    const bool savedSelects =
        std::find(std::begin(savedSelection_), std::end(savedSelection_), slot) != std::end(savedSelection_);
    if (saved_ && savedSelects) {
      pendingFree_.push_back(slot);
      return;
    }
    w_.Free(slot);
  }

  // Ends a clip: the saved state comes back, then what was set since is put back on top of it.
  void Restore()
  {
    w_.Rec(META_RESTOREDC, {static_cast<uint16_t>(-1)});
    saved_ = false;
    for (int k = 0; k < 3; ++k)
      if (selected_[k] >= 0) w_.Rec(META_SELECTOBJECT, {static_cast<uint16_t>(selected_[k])});
    for (const auto& [function, params] : state_) w_.Rec(function, params);
    for (uint16_t slot : pendingFree_) w_.Free(slot);
    pendingFree_.clear();
    std::fill(std::begin(savedSelection_), std::end(savedSelection_), -1);
  }

  // Rectangle-based figures: the box, then extra points (corner size, or arc ends).
  void Box(uint16_t function, const Record& r, int extra)
  {
    std::vector<uint16_t> p;
    if (extra == 1) {
      p.push_back(W(r.I32(28)));  // corner height
      p.push_back(W(r.I32(24)));  // corner width
    } else if (extra == 2) {
      p.push_back(W(r.I32(36)));  // end y
      p.push_back(W(r.I32(32)));  // end x
      p.push_back(W(r.I32(28)));  // start y
      p.push_back(W(r.I32(24)));  // start x
    }
    p.push_back(W(r.I32(20)));
    p.push_back(W(r.I32(16)));
    p.push_back(W(r.I32(12)));
    p.push_back(W(r.I32(8)));
    w_.Rec(function, p);
  }

  std::vector<Pt> ReadPoints(const Record& r, bool small)
  {
    const uint32_t n = r.U32(24);
    if (n > (r.Size() - 28) / (small ? 4 : 8)) throw EInvalidGraphic("Malformed metafile record");
    std::vector<Pt> pts(n);
    for (uint32_t i = 0; i < n; ++i) {
      if (small) pts[i] = {r.I16(28 + 4 * i), r.I16(30 + 4 * i)};
      else pts[i] = {r.I32(28 + 8 * i), r.I32(32 + 8 * i)};
    }
    return pts;
  }

  // Cubic Bezier segments (start point, then three points per segment) as a polyline.
  static std::vector<Pt> Flatten(const std::vector<Pt>& pts)
  {
    if (pts.empty()) return pts;
    std::vector<Pt> out{pts[0]};
    constexpr int kSteps = 16;
    for (size_t i = 1; i + 2 < pts.size(); i += 3) {
      const Pt p0 = pts[i - 1], p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
      for (int s = 1; s <= kSteps; ++s) {
        const double t = static_cast<double>(s) / kSteps, u = 1 - t;
        const double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
        const double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
        out.push_back({static_cast<int32_t>(std::lround(x)), static_cast<int32_t>(std::lround(y))});
      }
    }
    return out;
  }

  void Poly(uint16_t function, const std::vector<Pt>& pts, bool closed)
  {
    constexpr size_t kMax = 16000;  // keeps a record's point count within 16 bits
    if (pts.size() <= kMax) {
      PolyRecord(function, pts, 0, pts.size(), 1);
    } else if (closed) {
      // A polygon cannot be split: keep every k-th vertex.
      const size_t step = (pts.size() + kMax - 1) / kMax;
      PolyRecord(function, pts, 0, pts.size(), step);
    } else {
      for (size_t first = 0; first + 1 < pts.size(); first += kMax - 1)
        PolyRecord(function, pts, first, std::min(pts.size(), first + kMax), 1);
    }
  }

  void PolyRecord(uint16_t function, const std::vector<Pt>& pts, size_t first, size_t last, size_t step)
  {
    std::vector<uint16_t> p{0};
    for (size_t i = first; i < last; i += step) {
      p.push_back(W(pts[i].x));
      p.push_back(W(pts[i].y));
    }
    p[0] = static_cast<uint16_t>((p.size() - 1) / 2);
    w_.Rec(function, p);
  }

  void Text(const Record& r)
  {
    const int32_t x = r.I32(36), y = r.I32(40);
    const uint32_t n = r.U32(44), offString = r.U32(48), options = r.U32(52), offDx = r.U32(72);
    // UTF-16 to one byte per character (Latin-1; anything else shows as '?').
    std::string text;
    std::vector<uint16_t> dx;
    for (uint32_t i = 0; i < n; ++i) {
      const uint16_t ch = r.U16(offString + 2 * i);
      const int32_t adv = offDx ? r.I32(offDx + 4 * i) : 0;
      if (ch >= 0xDC00 && ch <= 0xDFFF && !dx.empty()) {
        dx.back() = W(static_cast<int16_t>(dx.back()) + adv);  // second half of a pair
        continue;
      }
      text.push_back(ch < 256 ? static_cast<char>(ch) : '?');
      dx.push_back(W(adv));
    }
    // No text draws nothing, unless clipped: the box may be painted.
    if (text.empty() && !(options & ETO_CLIPPED)) return;
    std::vector<uint16_t> p{W(y), W(x), static_cast<uint16_t>(text.size()),
                            static_cast<uint16_t>(options & (ETO_OPAQUE | ETO_CLIPPED))};
    if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
      p.push_back(W(r.I32(56)));
      p.push_back(W(r.I32(60)));
      p.push_back(W(r.I32(64)));
      p.push_back(W(r.I32(68)));
    }
    std::string tail = text;
    if (tail.size() % 2) tail.push_back('\0');
    if (offDx)
      for (uint16_t d : dx) tail.append(reinterpret_cast<const char*>(&d), 2);
    w_.Rec(META_EXTTEXTOUT, p, tail);
  }

  void StretchDib(const Record& r)
  {
    const int32_t xDest = r.I32(24), yDest = r.I32(28), xSrc = r.I32(32), ySrc = r.I32(36);
    const int32_t cxSrc = r.I32(40), cySrc = r.I32(44);
    const uint32_t offBmi = r.U32(48), cbBmi = r.U32(52), offBits = r.U32(56), cbBits = r.U32(60);
    const uint32_t usage = r.U32(64), rop = r.U32(68);
    const int32_t cxDest = r.I32(72), cyDest = r.I32(76);
    const std::string dib = r.Bytes(offBmi, cbBmi) + r.Bytes(offBits, cbBits);
    w_.Rec(META_STRETCHDIB,
           {Lo(rop), Hi(rop), Lo(usage), W(cySrc), W(cxSrc), W(ySrc), W(xSrc), W(cyDest), W(cxDest), W(yDest),
            W(xDest)},
           dib);
  }

  std::string Assemble()
  {
    std::string file;
    auto put16 = [&](uint16_t v) { file.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](uint32_t v) { file.append(reinterpret_cast<const char*>(&v), 4); };
    // Placement header: key, no handle, bounds, units per inch, reserved, checksum.
    put32(kPlacementKey);
    put16(0);
    put16(0);
    put16(0);
    put16(W(width_));
    put16(W(height_));
    put16(96);
    put32(0);
    uint16_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
      uint16_t v;
      std::memcpy(&v, file.data() + i, 2);
      sum ^= v;
    }
    put16(sum);
    // Metafile header: on disk, 9 words, version 3.
    const uint32_t words = static_cast<uint32_t>(9 + w_.out.size() / 2);
    put16(1);
    put16(9);
    put16(0x0300);
    put32(words);
    put16(w_.maxObjects);
    put32(w_.maxRecord);
    put16(0);
    return file + w_.out;
  }

  struct Obj {
    uint16_t slot = 0;
    Kind kind = Kind::Pen;
  };

  const std::string& emf_;
  int32_t width_, height_;
  WmfWriter w_;
  std::map<uint32_t, Obj> objects_;
  std::map<uint32_t, Obj> stock_;
  std::map<uint16_t, std::vector<uint16_t>> state_;
  int selected_[3] = {-1, -1, -1};
  int savedSelection_[3] = {-1, -1, -1};
  std::vector<uint16_t> pendingFree_;
  bool saved_ = false;
};

// Reads the parameter words of one Windows metafile record.
class WmfRecord {
public:
  WmfRecord(const std::string& bytes, size_t at, size_t words) : b_(bytes), at_(at), words_(words) {}
  // Parameter word i (after the size and function words).
  uint16_t U(size_t i) const
  {
    if (3 + i >= words_) throw EInvalidGraphic("Truncated metafile record");
    uint16_t v;
    std::memcpy(&v, b_.data() + at_ + 6 + 2 * i, 2);
    return v;
  }
  int16_t I(size_t i) const { return static_cast<int16_t>(U(i)); }
  uint32_t Color(size_t i) const { return (U(i) | (static_cast<uint32_t>(U(i + 1)) << 16)) & 0xFFFFFFu; }
  size_t ParamBytes() const { return 2 * (words_ - 3); }
  // Parameter bytes from byte offset off.
  std::string Bytes(size_t off, size_t n) const
  {
    if (off > ParamBytes() || n > ParamBytes() - off) throw EInvalidGraphic("Truncated metafile record");
    return b_.substr(at_ + 6 + off, n);
  }

private:
  const std::string& b_;
  size_t at_, words_;
};

class Reverter {
public:
  explicit Reverter(const std::string& wmf) : wmf_(wmf) {}

  std::string Run()
  {
    if (!IsPlaceableMetafile(wmf_) || wmf_.size() < 22 + 18) throw EInvalidGraphic("Not a placeable metafile");
    const int16_t left = Get16(6), top = Get16(8), right = Get16(10), bottom = Get16(12);
    // A placement spans 32767 units at most, as one is written.
    const int32_t width = std::clamp(right - left, 1, 32767), height = std::clamp(bottom - top, 1, 32767);
    const uint16_t headerWords = static_cast<uint16_t>(Get16(22 + 2));
    if (headerWords < 9 || 22 + 2 * size_t{headerWords} > wmf_.size()) throw EInvalidGraphic("Not a placeable metafile");
    Header(width, height);
    size_t at = 22 + 2 * size_t{headerWords};
    bool ended = false;
    while (!ended && at + 6 <= wmf_.size()) {
      uint32_t words;
      std::memcpy(&words, wmf_.data() + at, 4);
      uint16_t function;
      std::memcpy(&function, wmf_.data() + at + 4, 2);
      if (words < 3 || words > (wmf_.size() - at) / 2) throw EInvalidGraphic("Malformed metafile record");
      ended = function == META_EOF;
      if (!ended) Convert(function, WmfRecord(wmf_, at, words));
      at += 2 * size_t{words};
    }
    if (!ended) throw EInvalidGraphic("Truncated metafile");
    w_.Simple(EMR_EOF, {0, 0, 20});
    // File size and record count in the header.
    const auto size = static_cast<uint32_t>(w_.bytes.size());
    std::memcpy(w_.bytes.data() + 48, &size, 4);
    std::memcpy(w_.bytes.data() + 52, &w_.records, 4);
    return w_.bytes;
  }

private:
  int16_t Get16(size_t at) const
  {
    int16_t v;
    std::memcpy(&v, wmf_.data() + at, 2);
    return v;
  }

  void Header(int32_t width, int32_t height)
  {
    const size_t at = w_.Begin(EMR_HEADER);
    for (int32_t v : {0, 0, width - 1, height - 1}) w_.I32(v);
    // Frame in hundredths of a millimetre at 96 units per inch.
    for (int32_t v : {0, 0, static_cast<int32_t>(std::lround(width * 2540.0 / 96)) - 1,
                      static_cast<int32_t>(std::lround(height * 2540.0 / 96)) - 1})
      w_.I32(v);
    w_.U32(EmfSignature);
    w_.U32(0x10000);
    w_.U32(0);  // file size, set at the end
    w_.U32(0);  // record count, set at the end
    w_.U16(1);
    w_.U16(0);
    for (int i = 0; i < 3; ++i) w_.U32(0);  // no description, no palette
    w_.I32(width);
    w_.I32(height);
    w_.I32(static_cast<int32_t>(std::lround(width * 25.4 / 96)));
    w_.I32(static_cast<int32_t>(std::lround(height * 25.4 / 96)));
    w_.End(at);
  }

  // Object table: a new object takes the lowest free slot; slot i is enhanced handle i + 1.
  uint32_t Allocate()
  {
    size_t i = 0;
    while (i < used_.size() && used_[i]) ++i;
    if (i == used_.size()) used_.push_back(true);
    else used_[i] = true;
    return static_cast<uint32_t>(i + 1);
  }

  void Convert(uint16_t function, const WmfRecord& r)
  {
    switch (function) {
    case META_SETBKMODE: w_.Simple(EMR_SETBKMODE, {r.U(0)}); break;
    case META_SETPOLYFILLMODE: w_.Simple(EMR_SETPOLYFILLMODE, {r.U(0)}); break;
    case META_SETROP2: w_.Simple(EMR_SETROP2, {r.U(0)}); break;
    case META_SETTEXTALIGN: w_.Simple(EMR_SETTEXTALIGN, {r.U(0)}); break;
    case META_SETTEXTCOLOR: w_.Simple(EMR_SETTEXTCOLOR, {static_cast<int32_t>(r.Color(0))}); break;
    case META_SETBKCOLOR: w_.Simple(EMR_SETBKCOLOR, {static_cast<int32_t>(r.Color(0))}); break;
    case META_MOVETO: w_.Simple(EMR_MOVETOEX, {r.I(1), r.I(0)}); break;
    case META_LINETO: w_.Simple(EMR_LINETO, {r.I(1), r.I(0)}); break;
    case META_INTERSECTCLIPRECT: w_.Simple(EMR_INTERSECTCLIPRECT, {r.I(3), r.I(2), r.I(1), r.I(0)}); break;
    case META_RESTOREDC: w_.Simple(EMR_SELECTCLIPRGN, {0, 5}); break;  // ends the clip
    case META_CREATEPENINDIRECT:
      w_.Simple(EMR_CREATEPEN, {static_cast<int32_t>(Allocate()), r.U(0), r.I(1), 0, static_cast<int32_t>(r.Color(3))});
      break;
    case META_CREATEBRUSHINDIRECT:
      w_.Simple(EMR_CREATEBRUSHINDIRECT,
                {static_cast<int32_t>(Allocate()), r.U(0), static_cast<int32_t>(r.Color(1)), r.U(3)});
      break;
    case META_CREATEFONTINDIRECT: Font(r); break;
    case META_SELECTOBJECT: w_.Simple(EMR_SELECTOBJECT, {r.U(0) + 1}); break;
    case META_DELETEOBJECT:
      if (r.U(0) < used_.size()) used_[r.U(0)] = false;
      w_.Simple(EMR_DELETEOBJECT, {r.U(0) + 1});
      break;
    case META_RECTANGLE: w_.Simple(EMR_RECTANGLE, {r.I(3), r.I(2), r.I(1), r.I(0)}); break;
    case META_ELLIPSE: w_.Simple(EMR_ELLIPSE, {r.I(3), r.I(2), r.I(1), r.I(0)}); break;
    case META_ROUNDRECT: w_.Simple(EMR_ROUNDRECT, {r.I(5), r.I(4), r.I(3), r.I(2), r.I(1), r.I(0)}); break;
    case META_ARC:
    case META_CHORD:
    case META_PIE:
      w_.Simple(function == META_ARC ? EMR_ARC : function == META_CHORD ? EMR_CHORD : EMR_PIE,
                {r.I(7), r.I(6), r.I(5), r.I(4), r.I(3), r.I(2), r.I(1), r.I(0)});
      break;
    case META_POLYGON:
    case META_POLYLINE: Poly(function == META_POLYGON ? EMR_POLYGON16 : EMR_POLYLINE16, r); break;
    case META_SETPIXEL: w_.Simple(EMR_SETPIXELV, {r.I(3), r.I(2), static_cast<int32_t>(r.Color(0))}); break;
    case META_EXTTEXTOUT: Text(r); break;
    case META_STRETCHDIB: StretchDib(r); break;
    default: break;  // window origin and extent (the placement gives the size), saving the state
    }
  }

  void Font(const WmfRecord& r)
  {
    const size_t at = w_.Begin(EMR_EXTCREATEFONTINDIRECTW);
    w_.U32(Allocate());
    for (size_t i = 0; i < 5; ++i) w_.I32(i == 4 ? r.U(4) : r.I(i));  // height, width, angles, weight
    for (size_t i = 5; i < 9; ++i) w_.U16(r.U(i));                      // the eight byte fields
    const std::string face = r.Bytes(18, std::min<size_t>(32, r.ParamBytes() - 18));
    for (size_t i = 0; i < 32; ++i) w_.U16(i < face.size() ? static_cast<uint8_t>(face[i]) : 0);
    w_.End(at);
  }

  void Poly(uint32_t type, const WmfRecord& r)
  {
    const uint16_t n = r.U(0);
    std::vector<int16_t> xy(2 * size_t{n});
    for (size_t i = 0; i < xy.size(); ++i) xy[i] = r.I(1 + i);
    int16_t l = 0, t = 0, rt = 0, b = 0;
    for (size_t i = 0; i < n; ++i) {
      const int16_t x = xy[2 * i], y = xy[2 * i + 1];
      l = i ? std::min(l, x) : x;
      rt = i ? std::max(rt, x) : x;
      t = i ? std::min(t, y) : y;
      b = i ? std::max(b, y) : y;
    }
    const size_t at = w_.Begin(type);
    for (int32_t v : {int32_t{l}, int32_t{t}, int32_t{rt}, int32_t{b}}) w_.I32(v);
    w_.U32(n);
    for (int16_t v : xy) w_.U16(static_cast<uint16_t>(v));
    w_.End(at);
  }

  void Text(const WmfRecord& r)
  {
    const int16_t y = r.I(0), x = r.I(1);
    const uint16_t n = r.U(2), options = r.U(3);
    const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
    int32_t rect[4] = {0, 0, 0, 0};
    if (hasRect)
      for (size_t i = 0; i < 4; ++i) rect[i] = r.I(4 + i);
    const size_t textAt = hasRect ? 16 : 8;
    const std::string text = r.Bytes(textAt, n);
    // Advances follow the text (padded to a word) when there is room for them.
    const size_t dxAt = textAt + n + (n % 2);
    const bool hasDx = r.ParamBytes() >= dxAt + 2 * size_t{n} && n > 0;
    const size_t at = w_.Begin(EMR_EXTTEXTOUTW);
    for (int i = 0; i < 4; ++i) w_.I32(0);  // bounds
    w_.U32(1);                              // compatible graphics mode
    w_.U32(0);
    w_.U32(0);
    w_.I32(x);
    w_.I32(y);
    w_.U32(n);
    const uint32_t offString = 76, offDx = hasDx ? 76 + ((2 * uint32_t{n} + 3) / 4) * 4 : 0;
    w_.U32(offString);
    w_.U32(options);
    for (int32_t v : rect) w_.I32(v);
    w_.U32(offDx);
    for (unsigned char ch : text) w_.U16(ch);
    while ((w_.bytes.size() - at) % 4) w_.bytes.push_back('\0');
    if (hasDx) {
      const std::string dx = r.Bytes(dxAt, 2 * size_t{n});
      for (size_t i = 0; i < n; ++i) {
        int16_t d;
        std::memcpy(&d, dx.data() + 2 * i, 2);
        w_.I32(d);
      }
    }
    w_.End(at);
  }

  void StretchDib(const WmfRecord& r)
  {
    const uint32_t rop = r.U(0) | (static_cast<uint32_t>(r.U(1)) << 16);
    const uint16_t usage = r.U(2);
    const int16_t cySrc = r.I(3), cxSrc = r.I(4), ySrc = r.I(5), xSrc = r.I(6);
    const int16_t cyDest = r.I(7), cxDest = r.I(8), yDest = r.I(9), xDest = r.I(10);
    const size_t dibAt = 22;
    if (r.ParamBytes() < dibAt + 40) throw EInvalidGraphic("Truncated metafile record");
    const std::string dib = r.Bytes(dibAt, r.ParamBytes() - dibAt);
    uint32_t headerSize, used;
    uint16_t bits;
    std::memcpy(&headerSize, dib.data(), 4);
    std::memcpy(&bits, dib.data() + 14, 2);
    std::memcpy(&used, dib.data() + 32, 4);
    const uint64_t colours = used ? used : bits <= 8 ? (1u << bits) : 0;
    const uint64_t bmiSize = uint64_t{headerSize} + 4 * colours;
    if (headerSize < 40 || bmiSize > dib.size()) throw EInvalidGraphic("Malformed metafile record");
    const size_t at = w_.Begin(EMR_STRETCHDIBITS);
    for (int i = 0; i < 4; ++i) w_.I32(0);  // bounds
    for (int32_t v : {int32_t{xDest}, int32_t{yDest}, int32_t{xSrc}, int32_t{ySrc}, int32_t{cxSrc}, int32_t{cySrc}})
      w_.I32(v);
    w_.U32(80);
    w_.U32(static_cast<uint32_t>(bmiSize));
    w_.U32(static_cast<uint32_t>(80 + bmiSize));
    w_.U32(static_cast<uint32_t>(dib.size() - bmiSize));
    w_.U32(usage);
    w_.U32(rop);
    w_.I32(cxDest);
    w_.I32(cyDest);
    w_.bytes += dib;
    w_.End(at);
  }

  const std::string& wmf_;
  EmfWriter w_;
  std::vector<bool> used_;
};

}  // namespace

bool IsPlaceableMetafile(const std::string& bytes)
{
  uint32_t key = 0;
  if (bytes.size() >= 4) std::memcpy(&key, bytes.data(), 4);
  return key == kPlacementKey;
}

std::string PlaceableToEnhancedMetafile(const std::string& wmf) { return Reverter(wmf).Run(); }

std::string EnhancedToPlaceableMetafile(const std::string& emf, int32_t width, int32_t height)
{
  return Converter(emf, std::max(width, 1), std::max(height, 1)).Run();
}

std::string TFormatMetafile::SaveToFormatBytes() const
{
  const std::string emf = SaveToBytes();
  return enhanced_ ? emf : EnhancedToPlaceableMetafile(emf, GetWidth(), GetHeight());
}

void TFormatMetafile::SaveToFile(const std::string& fileName) { gfx::WriteFileBytes(fileName, SaveToFormatBytes()); }

void TFormatMetafile::LoadFromFormatBytes(const std::string& bytes)
{
  const bool placeable = IsPlaceableMetafile(bytes);
  LoadFromBytes(placeable ? PlaceableToEnhancedMetafile(bytes) : bytes);
  enhanced_ = !placeable;
}

void TFormatMetafile::LoadFromFile(const std::string& fileName) { LoadFromFormatBytes(gfx::ReadFileBytes(fileName)); }
