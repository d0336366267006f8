// Recorded pictures: recording canvas, stretched replay and the enhanced metafile format.
#include "platform/Metafile.h"

#include <QFontMetrics>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <span>

#ifdef __AVX__
#include <immintrin.h>
#endif

#include "platform/EmfRecords.h"
#include "platform/GraphicsPrivate.h"
#include "platform/TextFile.h"

namespace {
// Sums and differences of stored coordinates, held to the 32-bit range.
int32_t Clamped(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }


enum class RecKind : uint8_t {
  Polygon, Polyline, PolyBezier, Rectangle, FillRect, FrameRect, Ellipse, RoundRect, Arc, Pie, Chord,
  Text, Picture, Pixel
};

struct FontState {
  std::string name = "Tahoma";
  int32_t height = -11;
  TColor color = clBlack;
  TFontStyles style = 0;
  int32_t orientation = 0;
  uint8_t charset = 1;
  TFontQuality quality = fqDefault;
};

struct RecordExtra {
  // Text
  std::string text;
  FontState font;
  uint32_t textAlign = 0;
  bool opaqueText = false;  // background filled in bkColor
  TColor bkColor = clWhite;
  bool textClipped = false;
  TRect textRect;
  // Pictures and pixels
  std::shared_ptr<TGraphic> graphic;
  TColor pixelColor = clBlack;
};

// The widest pen the painter takes; wider ones are held to it when recorded, read or stretched.
constexpr int32_t kMaxPenWidth = 32767;

struct MetaRecord {
  MetaRecord() {}  // the members' own initial values, without zeroing the whole record first
  RecKind kind = RecKind::Polygon;
  // Figure points (box-like figures: corners first, then the extra points): a run of the picture's
  // point pool, pts set once the picture is complete.
  uint32_t first = 0, count = 0;
  std::span<const TPoint> pts;
  TColor penColor = clBlack;
  int32_t penWidth = 1;
  TPenStyle penStyle = psSolid;
  TPenMode penMode = pmCopy;
  TColor brushColor = clWhite;
  TBrushStyle brushStyle = bsSolid;
  // Clip rectangle in force
  bool hasClip = false;
  TRect clip;
  // Texts, pictures and pixels keep the rest aside, so that the many figures stay small.
  std::unique_ptr<RecordExtra> extra;
  RecordExtra& X()
  {
    if (!extra) extra = std::make_unique<RecordExtra>();
    return *extra;
  }
  const RecordExtra& X() const
  {
    static const RecordExtra none;
    return extra ? *extra : none;
  }
};

}  // namespace

struct TMetafileData {
  std::vector<MetaRecord> records;
  std::vector<TPoint> points;  // the records' points, one after the other
  // Appends a record with its points.
  void Add(MetaRecord&& r, std::span<const TPoint> pts)
  {
    AddPoints(r, pts);
    records.push_back(std::move(r));
  }
  // Appends a default record with its points, to be filled in place.
  MetaRecord& Add(std::span<const TPoint> pts)
  {
    MetaRecord& r = records.emplace_back();
    AddPoints(r, pts);
    return r;
  }
  void AddPoints(MetaRecord& r, std::span<const TPoint> pts)
  {
    const size_t at = points.size();
    r.first = static_cast<uint32_t>(at);
    r.count = static_cast<uint32_t>(pts.size());
    points.insert(points.end(), pts.begin(), pts.end());
  }
  void Add(MetaRecord&& r, std::initializer_list<TPoint> pts) { Add(std::move(r), std::span<const TPoint>(pts.begin(), pts.size())); }
  // Points each record at its run once no more points are added.
  void Seal()
  {
    for (MetaRecord& r : records) r.pts = std::span<const TPoint>(points.data() + r.first, r.count);
  }
  // Empty, keeping the storage.
  void Reset()
  {
    records.clear();
    points.clear();
  }
};

// ---------------------------------------------------------------------------------------------
// TMetafile

TMetafile::TMetafile() : data_(std::make_shared<TMetafileData>()) {}
TMetafile::~TMetafile() = default;

void TMetafile::SetWidth(int32_t w) { SetSize(w, height_); }
void TMetafile::SetHeight(int32_t h) { SetSize(width_, h); }

void TMetafile::SetSize(int32_t w, int32_t h)
{
  w = std::max(w, 0);
  h = std::max(h, 0);
  if (w == width_ && h == height_) return;
  width_ = w;
  height_ = h;
  Changed();
}

void TMetafile::Clear()
{
  lastRecords_ = data_->records.size();
  lastPoints_ = data_->points.size();
  // Records nobody else holds leave their storage for the next recording.
  if (data_.use_count() == 1) {
    data_->Reset();
    spare_ = std::move(data_);
  }
  data_ = std::make_shared<TMetafileData>();
  Changed();
}

size_t TMetafile::RecordCount() const { return data_->records.size(); }

void TMetafile::Assign(const TPersistent* source)
{
  if (auto* m = dynamic_cast<const TMetafile*>(source)) {
    if (m == this) return;
    width_ = m->width_;
    height_ = m->height_;
    data_ = m->data_;  // records are never changed in place
    SetTransparent(m->GetTransparent());
    Changed();
    return;
  }
  if (!source) {
    width_ = height_ = 0;
    Clear();
    return;
  }
  TPersistent::Assign(source);
}

namespace {

// Maps recorded coordinates into the destination rectangle.
struct Mapper {
  double sx, sy;
  int32_t ox, oy;
  // Replayed font heights are held to a few times the target picture's height.
  int32_t maxFontHeight = 4096;
  double X(int32_t x) const { return ox + x * sx; }
  double Y(int32_t y) const { return oy + y * sy; }
  // Stretched coordinates of a far-off point are held to +-2^30 rather than failing the paint.
  static int32_t Held(double v) { return RoundAway32(std::clamp(v, -1073741824.0, 1073741824.0)); }
  int32_t IX(int32_t x) const { return Held(X(x)); }
  int32_t IY(int32_t y) const { return Held(Y(y)); }
  TPoint P(const TPoint& p) const { return {IX(p.x), IY(p.y)}; }
  int32_t W(int32_t w) const { return std::clamp(Held(w * std::min(sx, sy)), 1, kMaxPenWidth); }
};

// Solid fills and plain lines straight onto the painter, at sub-pixel precision.
// What was last set on the painter by the fast path, so that runs of records set nothing twice.
struct FastState {
  QPolygonF points;
  bool filling = false, stroking = false;
  TColor color = clNone;
};

// Fills reach at most this far from the origin (far beyond any device).
constexpr int64_t kFillLimit = int64_t{1} << 24;
// Text taller than this is not drawn at all: a glyph image of it would not fit in memory.
constexpr int32_t kMaxDrawnFontHeight = 16384;

bool FastDraw(QPainter& p, const MetaRecord& r, const Mapper& m, FastState& st)
{
  if (r.penMode != pmCopy) return false;
  switch (r.kind) {
  case RecKind::Polygon: {
    if (r.penStyle != psClear || r.brushStyle != bsSolid) return false;
    st.points.resize(static_cast<qsizetype>(r.pts.size()));
    // Vertices lie on pixel corners, as the canvas's own fills take them.
    for (size_t i = 0; i < r.pts.size(); ++i) st.points[i] = QPointF(m.X(r.pts[i].x), m.Y(r.pts[i].y));
    if (!st.filling || st.color != r.brushColor) {
      p.setPen(Qt::NoPen);
      p.setBrush(gfx::ToQColor(r.brushColor));
      st.filling = true;
      st.stroking = false;
      st.color = r.brushColor;
    }
    p.drawPolygon(st.points, Qt::OddEvenFill);
    return true;
  }
  case RecKind::Polyline: {
    if ((r.penStyle != psSolid && r.penStyle != psInsideFrame) || m.W(r.penWidth) != 1) return false;
    if (r.pts.size() < 2) return true;
    // Each point on the pixel under the centre of its stretched source pixel, given as the
    // canvas's own lines take pixel indices.
    st.points.resize(static_cast<qsizetype>(r.pts.size()));
    for (size_t i = 0; i < r.pts.size(); ++i)
      st.points[i] = QPointF(std::floor(m.X(r.pts[i].x) + 0.5 * m.sx), std::floor(m.Y(r.pts[i].y) + 0.5 * m.sy));
    if (!st.stroking || st.color != r.penColor) {
      QPen pen(gfx::ToQColor(r.penColor));
      pen.setWidth(1);
      pen.setCapStyle(Qt::FlatCap);
      pen.setJoinStyle(Qt::MiterJoin);
      p.setPen(pen);
      p.setBrush(Qt::NoBrush);
      st.stroking = true;
      st.filling = false;
      st.color = r.penColor;
    }
    p.drawPolyline(st.points);
    return true;
  }
  case RecKind::FillRect: {
    if (r.brushStyle != bsSolid) return false;
    const TPoint a = m.P(r.pts[0]), b = m.P(r.pts[1]);
    // Extents in 64 bits (held corners span up to 2^31), clipped to what any device can show
    // before they become a rectangle of ints.
    auto clip = [](int64_t v) { return std::clamp<int64_t>(v, -kFillLimit, kFillLimit); };
    const int64_t x0 = clip(std::min<int64_t>(a.x, b.x)), x1 = clip(std::max<int64_t>(a.x, b.x));
    const int64_t y0 = clip(std::min<int64_t>(a.y, b.y)), y1 = clip(std::max<int64_t>(a.y, b.y));
    if (x1 > x0 && y1 > y0)
      p.fillRect(QRect(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)),
                 gfx::ToQColor(r.brushColor));
    return true;
  }
  default: return false;
  }
}

// Solid outline-free polygons filled straight into a bitmap's rows. The pixels are those the
// painter's aliased odd-even fill gives: vertices rounded to 1/64 pixel, a row is crossed by an
// edge when the row's centre lies in (top, bottom] of the edge, the crossing is taken at the row's
// centre in 16.16 fixed point (the edge's slope truncated to it, half a pixel added), and a pixel
// is inside when an odd number of crossings lie at or left of it.
bool gOwnPolygonFill = true;

#ifdef __AVX__
// Byte shuffles that pack the kept lanes of four 32-bit lanes to the front, by the mask of kept
// lanes, and the number of kept lanes before each lane.
struct PackTables {
  alignas(16) int8_t pack[16][16];
  alignas(16) int32_t before[16][4];
  constexpr PackTables() : pack{}, before{}
  {
    for (int mask = 0; mask < 16; ++mask) {
      int at = 0;
      for (int lane = 0; lane < 4; ++lane) {
        before[mask][lane] = at;
        if (mask >> lane & 1) {
          for (int b = 0; b < 4; ++b) pack[mask][4 * at + b] = static_cast<int8_t>(4 * lane + b);
          ++at;
        }
      }
      for (int b = 4 * at; b < 16; ++b) pack[mask][b] = -1;
    }
  }
};
constexpr PackTables kTables{};
#endif

class RowFill {
  struct Edge {
    int64_t x;      // 16.16 crossing at the centre of row top
    int64_t slope;  // 16.16 per row
    int32_t top, bottom;
  };

public:
  // Takes the canvas's bitmap as the target, or declines (another device, a mapping, a clip that
  // is no rectangle, a pixel format of its own).
  bool Target(TCanvas* canvas, QPainter* painter)
  {
    ok_ = false;
    QImage* img = canvas->Image();
    if (!img || img->isNull() || !painter || !painter->worldTransform().isIdentity()) return false;
    const QImage::Format f = img->format();
    if (f == QImage::Format_BGR888) bytes_ = 3;
    else if (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied) bytes_ = 4;
    else return false;
    QRect clip(0, 0, img->width(), img->height());
    if (canvas->HasClip()) {
      const QRegion& rg = canvas->GdiState()->clip;
      if (rg.rectCount() > 1) return false;
      clip &= rg.boundingRect();
    }
    devW_ = img->width();
    devH_ = img->height();
    left_ = clip.left();
    top_ = clip.top();
    right_ = clip.left() + clip.width();  // exclusive
    bottom_ = clip.top() + clip.height();
    // The painter is active on the image, so its bits are its own and stay where they are.
    bits_ = img->bits();
    stride_ = img->bytesPerLine();
    end_ = bits_ + static_cast<ptrdiff_t>(img->height()) * stride_;
    ok_ = true;
    return true;
  }
  bool Ready() const { return ok_; }

  // False when a vertex lies too far out for the fixed point (the painter clips such figures).
  bool Fill(std::span<const TPoint> pts, const Mapper& m, TColor color)
  {
    const size_t n = pts.size();
    if (fx_.size() < n + 4) {
      fx_.resize(n + 4);
      fy_.resize(n + 4);
      edges_.resize(n);
    }
    int32_t* const fx = fx_.data();
    int32_t* const fy = fy_.data();
    int32_t minY = 0, maxY = 0;
    if (!Map(pts, m, fx, fy, minY, maxY)) return false;
    if (n < 2) return true;
    const int32_t top = std::max(top_, (minY + 32) >> 6), bottom = std::min(bottom_ - 1, (maxY - 32) >> 6);
    if (top > bottom || left_ >= right_) return true;
    // Edge k runs from vertex k to vertex k + 1, the last one back to the first.
    fx[n] = fx[0];
    fy[n] = fy[0];
    Edge* const edges = edges_.data();
    size_t ne = 0;
    // The edges that cross a row's centre in the clip, each with its slope per row in 16.16 fixed
    // point; slopes beyond it are left to the painter. (Runs of polygons go the four-wide way of
    // FillChunk; this one serves what it declines.)
    for (size_t k = 0; k < n; ++k) {
      const bool up = fy[k] > fy[k + 1];
      const int32_t ax = up ? fx[k + 1] : fx[k], ay = up ? fy[k + 1] : fy[k];
      const int32_t bx = up ? fx[k] : fx[k + 1], by = up ? fy[k] : fy[k + 1];
      const int32_t eTop = std::max(top, (ay + 32) >> 6), eBottom = std::min(bottom, (by - 32) >> 6);
      if (eTop > eBottom) continue;
      const double slope = (bx - ax) / static_cast<double>(by - ay) * 65536.0;
      if (!(std::abs(slope) < 2147483647.0)) return false;
      const int64_t s = static_cast<int32_t>(slope), aFP = 32768 + (int64_t{ax} << 10);
      edges[ne++] = Edge{aFP + ((s * ((int64_t{eTop} << 16) + 32768 - (int64_t{ay} << 10))) >> 16), s, eTop, eBottom};
    }
    FillEdges(edges, ne, color);
    return true;
  }

  // Fills the polygons of consecutive records (all own-fillable under the present clip) in their
  // order, those it cannot fill (vertices too far out, edges too steep) through viaPainter.
  template <class ViaPainter>
  void FillRun(const MetaRecord* recs, size_t count, const Mapper& m, ViaPainter&& viaPainter)
  {
    size_t i = 0;
    while (i < count) {
      // Records whose points follow one another in the pool, a few thousand points at a time.
      const TPoint* const start = recs[i].pts.data();
      size_t j = i + 1, points = recs[i].pts.size();
      while (j < count && points + recs[j].pts.size() <= kChunkPoints && recs[j].pts.data() == start + points)
        points += recs[j++].pts.size();
      if (!FillChunk(recs + i, j - i, start, points, m))
        for (size_t k = i; k < j; ++k)
          if (!Fill(recs[k].pts, m, recs[k].brushColor)) viaPainter(recs[k]);
      i = j;
    }
  }

  // Fills between edges that cross rows. When up is not negative, the edges are in their order
  // round the polygon and bit k of up is set for edge k running upwards.
  void FillEdges(Edge* edges, size_t ne, TColor color, int32_t up = -1)
  {
    SetColor(color);
    if (ne <= kFewEdges) {
      if (bytes_ == 4)
        FewEdges<4>(edges, static_cast<int32_t>(ne), up);
      else
        FewEdges<3>(edges, static_cast<int32_t>(ne), up);
      return;
    }
    int32_t top = edges[0].top, bottom = edges[0].bottom;
    for (size_t k = 1; k < ne; ++k) {
      top = std::min(top, edges[k].top);
      bottom = std::max(bottom, edges[k].bottom);
    }
    // Crossings gathered row by row: counts, then offsets, then the crossings in place.
    const int32_t rows = bottom - top + 1;
    at_.assign(static_cast<size_t>(rows) + 1, 0);
    for (size_t k = 0; k < ne; ++k) {
      ++at_[edges[k].top - top];
      --at_[edges[k].bottom - top + 1];
    }
    int32_t active = 0, total = 0;
    for (int32_t i = 0; i < rows; ++i) {
      active += at_[i];
      at_[i] = total;
      total += active;
    }
    at_[rows] = total;
    xs_.resize(static_cast<size_t>(total));
    for (size_t k = 0; k < ne; ++k) {
      const Edge& e = edges[k];
      int64_t x = e.x;
      for (int32_t y = e.top - top; y <= e.bottom - top; ++y, x += e.slope) xs_[at_[y]++] = static_cast<int32_t>(x >> 16);
    }
    // at_[i] now ends row i's crossings.
    int32_t from = 0;
    for (int32_t i = 0; i < rows; ++i) {
      int32_t* xs = xs_.data() + from;
      const int32_t count = at_[i] - from;
      from = at_[i];
      if (bytes_ == 4)
        Row<4>(bits_ + static_cast<ptrdiff_t>(top + i) * stride_, xs, count);
      else
        Row<3>(bits_ + static_cast<ptrdiff_t>(top + i) * stride_, xs, count);
    }
  }

  static constexpr size_t kChunkPoints = 4096;

  // The polygons of records whose points lie one after the other from pts: every vertex mapped,
  // every edge sorted out and every slope worked out first, then the polygons filled in turn.
  // False, with nothing drawn, when one of them cannot be filled here.
  bool FillChunk(const MetaRecord* recs, size_t count, const TPoint* pts, size_t points, const Mapper& m)
  {
#ifdef __AVX__
    if (left_ >= right_ || points == 0) return true;
    const size_t cap = std::max(points, kChunkPoints) + 8;
    if (fx_.size() < cap) {
      for (auto* v : {&fx_, &fy_, &qx_, &qy_, &kax_, &kay_, &kdx_, &kdy_, &kt_, &kb_, &ks_, &kup_, &pre_}) v->resize(cap + 16);
      edges_.resize(cap);
    }
    int32_t *const fx = fx_.data(), *const fy = fy_.data(), *const qx = qx_.data(), *const qy = qy_.data();
    int32_t minY = 0, maxY = 0;
    if (!Map(std::span<const TPoint>(pts, points), m, fx, fy, minY, maxY)) return false;
    // Each vertex's successor: the next one, the polygon's first after its last.
    std::memcpy(qx, fx + 1, (points - 1) * sizeof(int32_t));
    std::memcpy(qy, fy + 1, (points - 1) * sizeof(int32_t));
    for (size_t r = 0, a = 0; r < count; ++r) {
      const size_t n = recs[r].pts.size();
      if (n) {
        qx[a + n - 1] = fx[a];
        qy[a + n - 1] = fy[a];
      }
      a += n;
    }
    // The edges that cross a row's centre in the clip, packed in order; pre[k] counts those
    // before vertex k's.
    int32_t *const kax = kax_.data(), *const kay = kay_.data(), *const kdx = kdx_.data(), *const kdy = kdy_.data();
    int32_t *const kt = kt_.data(), *const kb = kb_.data(), *const kup = kup_.data(), *const pre = pre_.data();
    const __m128i vTop = _mm_set1_epi32(top_), vBottom = _mm_set1_epi32(bottom_ - 1), k32 = _mm_set1_epi32(32);
    const __m128i lanes = _mm_setr_epi32(0, 1, 2, 3);
    int32_t ne = 0;
    for (size_t k = 0; k < points; k += 4) {
      const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fy + k));
      const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i*>(qy + k));
      const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(fx + k));
      const __m128i pq = _mm_loadu_si128(reinterpret_cast<const __m128i*>(qx + k));
      const __m128i up = _mm_cmpgt_epi32(p, q);  // running upwards: its upper end is q
      const __m128i ay = _mm_min_epi32(p, q), by = _mm_max_epi32(p, q);
      const __m128i ax = _mm_blendv_epi8(px, pq, up), bx = _mm_blendv_epi8(pq, px, up);
      const __m128i t = _mm_max_epi32(vTop, _mm_srai_epi32(_mm_add_epi32(ay, k32), 6));
      const __m128i b = _mm_min_epi32(vBottom, _mm_srai_epi32(_mm_sub_epi32(by, k32), 6));
      const __m128i inside = _mm_cmpgt_epi32(_mm_set1_epi32(static_cast<int32_t>(std::min<size_t>(points - k, 4))), lanes);
      const unsigned kept = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_andnot_si128(_mm_cmpgt_epi32(t, b), inside))));
      const __m128i pack = _mm_load_si128(reinterpret_cast<const __m128i*>(kTables.pack[kept]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(pre + k), _mm_add_epi32(_mm_set1_epi32(ne), _mm_load_si128(reinterpret_cast<const __m128i*>(kTables.before[kept]))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kax + ne), _mm_shuffle_epi8(ax, pack));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kay + ne), _mm_shuffle_epi8(ay, pack));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kdx + ne), _mm_shuffle_epi8(_mm_sub_epi32(bx, ax), pack));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kdy + ne), _mm_shuffle_epi8(_mm_sub_epi32(by, ay), pack));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kt + ne), _mm_shuffle_epi8(t, pack));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kb + ne), _mm_shuffle_epi8(b, pack));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kup + ne), _mm_shuffle_epi8(up, pack));
      ne += std::popcount(kept);
    }
    pre[points] = ne;
    // Slopes per row in 16.16 fixed point, as one edge at a time works them out: dx / dy * 65536,
    // truncated; those beyond it are the painter's.
    int32_t* const ks = ks_.data();
    const __m256d k65536 = _mm256_set1_pd(65536.0), steepest = _mm256_set1_pd(2147483647.0), sign = _mm256_set1_pd(-0.0);
    __m256d steep = _mm256_setzero_pd();
    for (int32_t k = 0; k < ne; k += 4) {
      const __m256d dx = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kdx + k)));
      const __m256d dy = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(kdy + k)));
      const __m256d slope = _mm256_mul_pd(_mm256_div_pd(dx, dy), k65536);
      const __m256d beyond = _mm256_cmp_pd(_mm256_andnot_pd(sign, slope), steepest, _CMP_NLT_UQ);
      const __m256d inside = _mm256_cmp_pd(_mm256_cvtepi32_pd(_mm_add_epi32(_mm_set1_epi32(k), lanes)), _mm256_set1_pd(ne), _CMP_LT_OQ);
      steep = _mm256_or_pd(steep, _mm256_and_pd(beyond, inside));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(ks + k), _mm256_cvttpd_epi32(_mm256_andnot_pd(beyond, slope)));
    }
    if (_mm256_movemask_pd(steep)) return false;
    Edge* const edges = edges_.data();
    for (int32_t k = 0; k < ne; ++k) {
      const int64_t sl = ks[k], aFP = 32768 + (int64_t{kax[k]} << 10);
      edges[k] = Edge{aFP + ((sl * ((int64_t{kt[k]} << 16) + 32768 - (int64_t{kay[k]} << 10))) >> 16), sl, kt[k], kb[k]};
    }
    for (size_t r = 0, a = 0; r < count; ++r) {
      const size_t n = recs[r].pts.size();
      const int32_t k0 = pre[a], k1 = pre[a + n];
      a += n;
      if (k1 <= k0) continue;
      // The directions of the polygon's first sixteen edges as bits.
      const __m128i* const u = reinterpret_cast<const __m128i*>(kup + k0);
      const __m128i flags = _mm_packs_epi16(_mm_packs_epi32(_mm_loadu_si128(u), _mm_loadu_si128(u + 1)),
                                            _mm_packs_epi32(_mm_loadu_si128(u + 2), _mm_loadu_si128(u + 3)));
      FillEdges(edges + k0, static_cast<size_t>(k1 - k0), recs[r].brushColor, _mm_movemask_epi8(flags));
    }
    return true;
#else
    (void)recs, (void)count, (void)pts, (void)points, (void)m;
    return false;
#endif
  }


  // Vertices to 26.6 fixed point, rounded half away from zero, with the least and greatest y;
  // false when one lies too far out.
  static bool Map(std::span<const TPoint> pts, const Mapper& m, int32_t* fx, int32_t* fy, int32_t& minY, int32_t& maxY)
  {
    constexpr double kLimit = 1 << 14;
    const size_t n = pts.size();
#ifdef __AVX__
    // Two points at a time, each worked out as X and Y do: origin + coordinate * scale.
    const __m256d scale = _mm256_set_pd(m.sy, m.sx, m.sy, m.sx), origin = _mm256_set_pd(m.oy, m.ox, m.oy, m.ox);
    const __m256d limit = _mm256_set1_pd(kLimit), sign = _mm256_set1_pd(-0.0), half = _mm256_set1_pd(0.5);
    const __m256d k64 = _mm256_set1_pd(64.0);
    __m256d far = _mm256_setzero_pd();
    __m128i lo = _mm_set1_epi32(INT32_MAX), hi = _mm_set1_epi32(INT32_MIN);
    // x0 y0 x1 y1 in, x0 x1 y0 y1 out.
    auto fixed = [&](__m128i p) {
      const __m256d v = _mm256_add_pd(origin, _mm256_mul_pd(_mm256_cvtepi32_pd(p), scale));
      far = _mm256_or_pd(far, _mm256_cmp_pd(_mm256_andnot_pd(sign, v), limit, _CMP_NLT_UQ));
      const __m256d w = _mm256_mul_pd(v, k64);
      const __m128i q = _mm256_cvttpd_epi32(_mm256_add_pd(w, _mm256_or_pd(_mm256_and_pd(w, sign), half)));
      lo = _mm_min_epi32(lo, q);
      hi = _mm_max_epi32(hi, q);
      return _mm_shuffle_epi32(q, _MM_SHUFFLE(3, 1, 2, 0));
    };
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
      const __m128i q = fixed(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&pts[i])));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(fx + i), q);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(fy + i), _mm_unpackhi_epi64(q, q));
    }
    if (i < n) {
      // The last point twice.
      const __m128i p = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&pts[i]));
      const __m128i q = fixed(_mm_unpacklo_epi64(p, p));
      fx[i] = _mm_cvtsi128_si32(q);
      fy[i] = _mm_extract_epi32(q, 2);
    }
    minY = std::min(_mm_extract_epi32(lo, 1), _mm_extract_epi32(lo, 3));
    maxY = std::max(_mm_extract_epi32(hi, 1), _mm_extract_epi32(hi, 3));
    return _mm256_movemask_pd(far) == 0;
#else
    minY = INT32_MAX, maxY = INT32_MIN;
    for (size_t i = 0; i < n; ++i) {
      const double x = m.X(pts[i].x), y = m.Y(pts[i].y);
      if (!(std::abs(x) < kLimit && std::abs(y) < kLimit)) return false;
      fx[i] = Round(x * 64);
      fy[i] = Round(y * 64);
      minY = std::min(minY, fy[i]);
      maxY = std::max(maxY, fy[i]);
    }
    return true;
#endif
  }

  // A solid one-pixel polyline through the recorded points, with the pixels the painter's aliased
  // one-pixel pen gives.
  void Polyline(std::span<const TPoint> pts, const Mapper& m, TColor color)
  {
    const size_t n = pts.size();
    if (n < 2) return;
    SetColor(color);
    xmin_ = -1.0, xmax_ = devW_ + 1.0, ymin_ = -1.0, ymax_ = devH_ + 1.0;
    if (bytes_ == 4)
      Trace(pts, m, Dots<4>());
    else
      Trace(pts, m, Dots<3>());
  }

private:
  // Line directions, as the pen's stepping tells them apart.
  enum : int { TopToBottom = 1, BottomToTop = 2, LeftToRight = 4, RightToLeft = 8, Vertical = 3, Horizontal = 12 };

  // Sets a pixel inside the clip. It holds copies of the target and the colour, which the stores
  // into the rows cannot change (the members they might).
  template <int B>
  struct Dot {
    uint8_t* bits;
    ptrdiff_t stride;
    int32_t left, top;
    uint32_t w, h, quad;
    [[gnu::always_inline]] void operator()(int32_t x, int32_t y) const
    {
      if (static_cast<uint32_t>(x - left) >= w || static_cast<uint32_t>(y - top) >= h) return;
      uint8_t* const p = bits + static_cast<ptrdiff_t>(y) * stride + B * static_cast<ptrdiff_t>(x);
      if constexpr (B == 4) {
        std::memcpy(p, &quad, 4);
      } else {
        std::memcpy(p, &quad, 2);
        p[2] = static_cast<uint8_t>(quad >> 16);
      }
    }
  };
  template <int B>
  Dot<B> Dots() const
  {
    return {bits_, stride_, left_, top_, static_cast<uint32_t>(std::max(0, right_ - left_)),
            static_cast<uint32_t>(std::max(0, bottom_ - top_)), quad_};
  }

  // The pixels of the polyline: as whole pixels when all lie inside the pen's clip bounds (nearly
  // always), else as doubles, each segment cut to the bounds.
  template <class Plot>
  [[gnu::noinline]] void Trace(std::span<const TPoint> pts, const Mapper& m, const Plot& plot)
  {
    const size_t n = pts.size();
    const size_t k = n > 2 ? n - 2 : n - 1;  // the last segment's start
    if (pixels_.size() < 2 * n + 2) pixels_.resize(2 * n + 2);
    int32_t* const xy = pixels_.data();
    if (MapPixels(pts, m, xy)) {
      // Inside the pen's clip bounds no segment is cut, and one of no length sets nothing and
      // leaves the state as it is.
      Begin(QPointF(xy[0], xy[1]), QPointF(xy[2 * k], xy[2 * k + 1]), QPointF(xy[2 * n - 2], xy[2 * n - 1]));
      // Points that repeat the one before left out, without branching (x and y as one word).
      uint64_t last;
      std::memcpy(&last, xy, 8);
      size_t kept = 1;
      for (size_t i = 1; i < n; ++i) {
        uint64_t p;
        std::memcpy(&p, xy + 2 * i, 8);
        std::memcpy(xy + 2 * kept, &p, 8);
        kept += p != last;
        last = p;
      }
      const StepCase* const cases = StepCases();
      int state = StateAt(xy[0], xy[1]);
      for (size_t i = 1; i < kept; ++i) {
        const int32_t x1 = xy[2 * i - 2], y1 = xy[2 * i - 1], x2 = xy[2 * i], y2 = xy[2 * i + 1];
        if (static_cast<uint32_t>(x2 - x1 + 1) <= 2 && static_cast<uint32_t>(y2 - y1 + 1) <= 2) {
          const StepCase& c = cases[state * 9 + StepCode(x2 - x1, y2 - y1)];
          if (c.next >= 0) {
            for (int j = 0; j < c.count; ++j) plot(x1 + c.x[j], y1 + c.y[j]);
            lastDir_ = c.dir, lastAxis_ = c.axis, lastX_ = x1 + c.lastX, lastY_ = y1 + c.lastY;
            state = c.next;
            continue;
          }
        } else {
          Steps(x1 * 64, y1 * 64, x2 * 64, y2 * 64, plot);
        }
        state = StateAt(x2, y2);
      }
      return;
    }
    linePoints_.resize(n);
    QPointF* const q = linePoints_.data();
    const double hx = 0.5 * m.sx, hy = 0.5 * m.sy;
    for (size_t i = 0; i < n; ++i) q[i] = QPointF(std::floor(m.X(pts[i].x) + hx), std::floor(m.Y(pts[i].y) + hy));
    Begin(q[0], q[k], q[n - 1]);
    QPointF p = q[0];
    for (size_t i = 1; i < n; ++i) {
      // A segment that set no pixel keeps its start for the next one (except at the ends).
      if (Segment(p.x(), p.y(), q[i].x(), q[i].y(), plot) || i == 1 || i == n - 1) p = q[i];
    }
  }

  void SetColor(TColor color)
  {
    if (haveColor_ && color == lastColor_) return;
    haveColor_ = true;
    lastColor_ = color;
    const TColor c = ColorToRGB(color);  // what the painter's colour takes
    r_ = GetRValue(c), g_ = GetGValue(c), b_ = GetBValue(c);
    quad_ = 0xFF000000u | (uint32_t{r_} << 16) | (uint32_t{g_} << 8) | b_;
    // Eight pixels of three bytes, to store runs from: three words of three phases.
    const uint64_t w = quad_ & 0xFFFFFFu;
    const uint64_t words[3] = {w | w << 24 | w << 48, w >> 16 | w << 8 | w << 32 | w << 56, w >> 8 | w << 16 | w << 40};
    std::memcpy(pattern_, words, sizeof words);
  }
  // The points to pixels as the painter path takes them (see FastDraw), x and y in turn; false when
  // one lies outside the pen's clip bounds.
  bool MapPixels(std::span<const TPoint> pts, const Mapper& m, int32_t* xy) const
  {
    const size_t n = pts.size();
#ifdef __AVX__
    // Two points at a time, each worked out as the doubles are: floor(origin + coordinate * scale
    // + half the scale). Beyond the 32-bit range the conversion gives INT32_MIN, outside the bounds.
    const __m256d scale = _mm256_set_pd(m.sy, m.sx, m.sy, m.sx), origin = _mm256_set_pd(m.oy, m.ox, m.oy, m.ox);
    const __m256d half = _mm256_set_pd(0.5 * m.sy, 0.5 * m.sx, 0.5 * m.sy, 0.5 * m.sx);
    auto pixels = [&](__m128i p) {
      return _mm256_cvttpd_epi32(_mm256_floor_pd(_mm256_add_pd(_mm256_add_pd(origin, _mm256_mul_pd(_mm256_cvtepi32_pd(p), scale)), half)));
    };
    __m128i lo = _mm_set1_epi32(INT32_MAX), hi = _mm_set1_epi32(INT32_MIN);
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
      const __m128i q = pixels(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&pts[i])));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(xy + 2 * i), q);
      lo = _mm_min_epi32(lo, q);
      hi = _mm_max_epi32(hi, q);
    }
    if (i < n) {
      // The last point twice.
      const __m128i p = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&pts[i]));
      const __m128i q = pixels(_mm_unpacklo_epi64(p, p));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(xy + 2 * i), q);
      lo = _mm_min_epi32(lo, q);
      hi = _mm_max_epi32(hi, q);
    }
    const int32_t x0 = std::min(_mm_extract_epi32(lo, 0), _mm_extract_epi32(lo, 2));
    const int32_t y0 = std::min(_mm_extract_epi32(lo, 1), _mm_extract_epi32(lo, 3));
    const int32_t x1 = std::max(_mm_extract_epi32(hi, 0), _mm_extract_epi32(hi, 2));
    const int32_t y1 = std::max(_mm_extract_epi32(hi, 1), _mm_extract_epi32(hi, 3));
    return x0 >= -1 && x1 <= devW_ + 1 && y0 >= -1 && y1 <= devH_ + 1;
#else
    const double hx = 0.5 * m.sx, hy = 0.5 * m.sy;
    for (size_t i = 0; i < n; ++i) {
      const double x = std::floor(m.X(pts[i].x) + hx), y = std::floor(m.Y(pts[i].y) + hy);
      if (!(x >= xmin_ && x <= xmax_ && y >= ymin_ && y <= ymax_)) return false;
      xy[2 * i] = static_cast<int32_t>(x), xy[2 * i + 1] = static_cast<int32_t>(y);
    }
    return true;
#endif
  }
  // The pen's state at a polyline's start, from its first, last but one and last point: a closed
  // polyline begins where its last segment ends.
  void Begin(QPointF first, QPointF beforeLast, QPointF last)
  {
    lastDir_ = 0;
    lastAxis_ = false;
    lastX_ = lastY_ = INT_MIN;
    // Exact equality, as the pen tells a closed line (QPointF's == is fuzzy).
    if (first.x() == last.x() && first.y() == last.y()) LastPixelOf(beforeLast.x(), beforeLast.y(), first.x(), first.y());
  }
  static int32_t To26Dot6(double v) { return static_cast<int32_t>(v * 64.); }
  static int64_t Div16(int32_t a, int32_t b) { return int64_t{a} * 65536 / b; }

  // Cuts a segment to a pixel beyond the device on each side; true when nothing of it is left.
  bool ClipSegment(double& x1, double& y1, double& x2, double& y2)
  {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return true;
    return ClipAxis(x1, y1, x2, y2, xmin_, xmax_) || ClipAxis(y1, x1, y2, x2, ymin_, ymax_);
  }
  // The same along one axis a, between lo and hi, the other coordinate b moved along.
  bool ClipAxis(double& a1, double& b1, double& a2, double& b2, double lo, double hi)
  {
    if (a1 < lo) {
      if (a2 <= lo) return Gone();
      b1 += (b2 - b1) / (a2 - a1) * (lo - a1);
      a1 = lo;
    } else if (a1 > hi) {
      if (a2 >= hi) return Gone();
      b1 += (b2 - b1) / (a2 - a1) * (hi - a1);
      a1 = hi;
    }
    if (a2 < lo) {
      lastX_ = INT_MIN;
      b2 += (b2 - b1) / (a2 - a1) * (lo - a2);
      a2 = lo;
    } else if (a2 > hi) {
      lastX_ = INT_MIN;
      b2 += (b2 - b1) / (a2 - a1) * (hi - a2);
      a2 = hi;
    }
    return false;
  }
  bool Gone()
  {
    lastX_ = INT_MIN;
    return true;
  }

  // The last pixel and direction of a closed polyline's last segment, so that its first segment
  // joins it without a gap or a doubled pixel.
  void LastPixelOf(double rx1, double ry1, double rx2, double ry2)
  {
    lastX_ = lastY_ = INT_MIN;
    if (ClipSegment(rx1, ry1, rx2, ry2)) return;
    const int32_t x1 = To26Dot6(rx1), y1 = To26Dot6(ry1), x2 = To26Dot6(rx2), y2 = To26Dot6(ry2);
    const bool steep = std::abs(x2 - x1) < std::abs(y2 - y1);
    if (!steep && x1 == x2) return;
    // Along the longer axis a (y for steep segments), the other one b, from the lower a.
    int32_t a1 = steep ? y1 : x1, a2 = steep ? y2 : x2, b1 = steep ? x1 : y1, b2 = steep ? x2 : y2;
    const bool swapped = a1 > a2;
    if (swapped) std::swap(a1, a2), std::swap(b1, b2);
    const int64_t inc = Div16(b2 - b1, a2 - a1);
    const int32_t a = (a1 + 32) >> 6, as = (a2 + 32) >> 6;
    if (a == as) return;
    const int64_t b = int64_t{b1} * 1024 + (((a * 64) + (inc > 0 ? 32 : 0) - a1) * inc >> 6);
    // Drawn from the end backwards, the last pixel is the first one stepped.
    const int32_t lastA = swapped ? a : as - 1, lastB = static_cast<int32_t>((swapped ? b : b + (as - a - 1) * inc) >> 16);
    lastX_ = steep ? lastB : lastA;
    lastY_ = steep ? lastA : lastB;
    lastDir_ = steep ? (swapped ? BottomToTop : TopToBottom) : (swapped ? RightToLeft : LeftToRight);
    lastAxis_ = std::abs(inc) < (1 << 14);
  }

  // One segment: false when it is too short to count.
  template <class Plot>
  bool Segment(double rx1, double ry1, double rx2, double ry2, const Plot& plot)
  {
    const bool long1 = std::abs(rx2 - rx1) + std::abs(ry2 - ry1) >= 1.0;
    if (ClipSegment(rx1, ry1, rx2, ry2)) return true;
    return Steps(To26Dot6(rx1), To26Dot6(ry1), To26Dot6(rx2), To26Dot6(ry2), plot) || long1;
  }

  // Steps to one of the eight neighbouring pixels (most segments of a line stretched down), taken
  // as a machine of states. What Steps does with such a step depends on the last direction and
  // axis flag and on where the last pixel lies from the start (or that there is none), each
  // coordinate told apart up to 3 away: it compares it with the start or a pixel next to it, for
  // being the same, next to it or further. All such cases are worked out once by Steps itself.
  static constexpr int kStates = 5 * 2 * 50;
  struct StepCase {
    int16_t next;              // the state seen from the step's end; -1: nothing set, the state stays
    int8_t count, x[3], y[3];  // the pixels set, from the start (three at most)
    int8_t lastX, lastY;       // the last pixel afterwards, from the start
    int8_t dir;
    bool axis;
  };
  static int State(int dir, bool axis, int32_t offX, int32_t offY, bool none)
  {
    const int d = dir < 4 ? dir : 2 + dir / 4;  // 0, 1, 2, 4, 8 in turn
    const int off = none ? 49 : (std::clamp(offX, -3, 3) + 3) * 7 + std::clamp(offY, -3, 3) + 3;
    return (d * 2 + axis) * 50 + off;
  }
  // The present state, seen from the pixel (x, y).
  int StateAt(int32_t x, int32_t y) const
  {
    const bool none = lastX_ == INT_MIN;
    return State(lastDir_, lastAxis_, none ? 0 : lastX_ - x, none ? 0 : lastY_ - y, none);
  }
  static int StepCode(int32_t dx, int32_t dy) { return (dx + 1) * 3 + dy + 1; }
  static const StepCase* StepCases()
  {
    static const std::vector<StepCase> cases = [] {
      std::vector<StepCase> v(kStates * 9);
      constexpr int32_t s = 64;  // the start pixel, far enough from the edge
      for (int dir : {0, int(TopToBottom), int(BottomToTop), int(LeftToRight), int(RightToLeft)})
        for (bool axis : {false, true})
          for (int off = 0; off <= 49; ++off)
            for (int32_t dx = -1; dx <= 1; ++dx)
              for (int32_t dy = -1; dy <= 1; ++dy) {
                if (!dx && !dy) continue;
                const int32_t ox = off / 7 - 3, oy = off % 7 - 3;
                RowFill f;
                f.lastDir_ = dir, f.lastAxis_ = axis;
                f.lastX_ = off == 49 ? INT_MIN : s + ox, f.lastY_ = off == 49 ? INT_MIN : s + oy;
                StepCase& c = v[State(dir, axis, ox, oy, off == 49) * 9 + StepCode(dx, dy)];
                c.count = 0;
                const auto record = [&c](int32_t x, int32_t y) {
                  c.x[c.count] = static_cast<int8_t>(x - s), c.y[c.count] = static_cast<int8_t>(y - s);
                  ++c.count;
                };
                // The last pixel afterwards lies next to the end: its state is exact.
                c.next = f.Steps(s * 64, s * 64, (s + dx) * 64, (s + dy) * 64, record) ? static_cast<int16_t>(f.StateAt(s + dx, s + dy)) : -1;
                c.lastX = static_cast<int8_t>(f.lastX_ - s), c.lastY = static_cast<int8_t>(f.lastY_ - s);
                c.dir = static_cast<int8_t>(f.lastDir_), c.axis = f.lastAxis_;
              }
      return v;
    }();
    return cases.data();
  }

  // A segment in 26.6 fixed point, inside the clip bounds, stepped along its longer axis: pixel
  // rows (columns) whose centres lie in [start, end) of it, the first one dropped when the previous
  // segment set it already, a pixel added where the turn would leave a gap. False when it passes
  // no pixel centre (the last pixel stays).
  template <class Plot>
  [[gnu::always_inline]] bool Steps(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const Plot& plot)
  {
    const int32_t dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    // Steps along the major axis a (the minor one b): "a" is y for steep segments.
    if (dx < dy) return y1 < y2 ? Steps<true, false>(y1, y2, x1, x2, plot) : Steps<true, true>(y2, y1, x2, x1, plot);
    if (!dx) return true;
    return x1 < x2 ? Steps<false, false>(x1, x2, y1, y2, plot) : Steps<false, true>(x2, x1, y2, y1, plot);
  }
  // The same with a1 < a2; a Swapped segment is drawn from a2 to a1.
  template <bool Steep, bool Swapped, class Plot>
  [[gnu::always_inline]] bool Steps(int32_t a1, int32_t a2, int32_t b1, int32_t b2, const Plot& plot)
  {
    constexpr int dir = Steep ? (Swapped ? BottomToTop : TopToBottom) : (Swapped ? RightToLeft : LeftToRight);
    constexpr int mask = Steep ? Vertical : Horizontal;
    const int64_t inc = Div16(b2 - b1, a2 - a1);
    int64_t b = int64_t{b1} * 1024;
    // Back along the previous segment's axis: the cap reaches half a pixel further.
    const bool back = (lastDir_ ^ mask) == dir;
    if (back) {
      if constexpr (Swapped) {
        a2 += 32;
      } else {
        a1 -= 32;
        b -= inc >> 1;
      }
    }
    int32_t a = (a1 + 32) >> 6, as = (a2 + 32) >> 6;
    const int32_t round = inc > 0 ? 32 : 0;
    const int32_t lastA = Steep ? lastY_ : lastX_, lastB = Steep ? lastX_ : lastY_;
    if (!Swapped && back && lastA == a + 1) a++;
    if (a == as) return false;
    b += ((a * 64) + round - a1) * inc >> 6;
    // The first and the last pixel in drawing order.
    const int32_t lowB = static_cast<int32_t>(b >> 16), highB = static_cast<int32_t>((b + (as - a - 1) * inc) >> 16);
    const int32_t firstA = Swapped ? as - 1 : a, firstB = Swapped ? highB : lowB;
    const int32_t endA = Swapped ? a : as - 1;
    int32_t endB = Swapped ? lowB : highB;
    const bool axis = std::abs(inc) < (1 << 14);
    if (lastX_ > INT_MIN) {
      if (firstA == lastA && firstB == lastB) {
        if constexpr (Swapped) {
          --as;
        } else {
          ++a;
          b += inc;
        }
      } else if (lastDir_ != dir && (((axis && lastAxis_) && lastB != firstB && lastA != firstA) ||
                                     (std::abs(lastB - firstB) > 1 || std::abs(lastA - firstA) > 1))) {
        if constexpr (Swapped) {
          ++as;
        } else {
          --a;
          b -= inc;
        }
      } else if (lastDir_ == dir && std::abs(lastX_ - (Steep ? firstB : firstA)) <= 1 &&
                 std::abs(lastY_ - (Steep ? firstA : firstB)) > 1) {
        b += inc >> 1;
        if constexpr (Swapped)
          endB = static_cast<int32_t>(b >> 16);
        else
          endB = static_cast<int32_t>((b + (as - a - 1) * inc) >> 16);
      }
    }
    lastDir_ = dir;
    lastAxis_ = axis;
    do {
      if constexpr (Steep)
        plot(static_cast<int32_t>(b >> 16), a);
      else
        plot(a, static_cast<int32_t>(b >> 16));
      b += inc;
    } while (++a < as);
    lastX_ = Steep ? endB : endA;
    lastY_ = Steep ? endA : endB;
    return true;
  }


  // Polygons of a few edges (nearly all of a contour picture's): the edges sorted by their first
  // row, those crossing the present row kept aside and stepped row by row.
  static constexpr size_t kFewEdges = 16;
  template <int B>
  [[gnu::always_inline]] void FewEdges(Edge* e, int32_t ne, int32_t up)
  {
    if (ne == 2 && e[0].top == e[1].top && e[0].bottom == e[1].bottom) {
      TwoEdges<B>(bits_ + static_cast<ptrdiff_t>(e[0].top) * stride_, e[0].bottom - e[0].top + 1, e, e + 1);
      return;
    }
    if (up >= 0 && ne >= 3) {
      // One run of edges down and one up round the polygon: every row is crossed once by each.
      const uint32_t all = (1u << ne) - 1, ups = static_cast<uint32_t>(up) & all;
      const uint32_t upBefore = ((ups << 1) | (ups >> (ne - 1))) & all;  // bit k: edge k - 1 runs up
      if (std::popcount(ups ^ upBefore) == 2) {
        Chains<B>(e, ne, std::countr_zero(~ups & upBefore & all), std::countr_zero(ups & ~upBefore));
        return;
      }
    }
    Edge* order[kFewEdges];
    int32_t bottom = e[0].bottom;
    for (int32_t a = 0; a < ne; ++a) {
      Edge* const t = e + a;
      bottom = std::max(bottom, t->bottom);
      int32_t k = a;
      for (; k > 0 && order[k - 1]->top > t->top; --k) order[k] = order[k - 1];
      order[k] = t;
    }
    const int32_t top = order[0]->top;
    Edge* act[kFewEdges];
    int32_t xs[kFewEdges];
    int32_t nact = 0, next = 0;
    uint8_t* row = bits_ + static_cast<ptrdiff_t>(top) * stride_;
    for (int32_t y = top; y <= bottom;) {
      while (next < ne && order[next]->top == y) act[nact++] = order[next++];
      if (nact == 2) {
        // One run per row until one of the two edges ends or another begins.
        int32_t stop = std::min(act[0]->bottom, act[1]->bottom);
        if (next < ne) stop = std::min(stop, order[next]->top - 1);
        stop = std::max(stop, y);  // at least this row (edges begin at or below it)
        const int32_t rows = stop - y + 1;
        TwoEdges<B>(row, rows, act[0], act[1]);
        row += rows * stride_;
        y = stop + 1;
      } else {
        for (int32_t i = 0; i < nact; ++i) {
          xs[i] = static_cast<int32_t>(act[i]->x >> 16);
          act[i]->x += act[i]->slope;
        }
        Row<B>(row, xs, nact);
        row += stride_;
        ++y;
      }
      // Edges whose last row is done leave.
      int32_t kept = 0;
      for (int32_t i = 0; i < nact; ++i)
        if (act[i]->bottom >= y) act[kept++] = act[i];
      nact = kept;
    }
  }

  // The runs between the chain of edges down from edge down and the chain up to edge down - 1,
  // which starts at edge up: a stretch of rows at a time, until one edge of the two ends.
  template <int B>
  [[gnu::always_inline]] void Chains(Edge* e, int32_t ne, int32_t down, int32_t up)
  {
    int32_t i = down, j = down == 0 ? ne - 1 : down - 1;
    const int32_t jEnd = up == 0 ? ne - 1 : up - 1;
    int32_t y = e[i].top;
    uint8_t* row = bits_ + static_cast<ptrdiff_t>(y) * stride_;
    for (;;) {
      const int32_t stop = std::min(e[i].bottom, e[j].bottom), rows = stop - y + 1;
      TwoEdges<B>(row, rows, e + i, e + j);
      row += rows * stride_;
      y = stop + 1;
      if (e[i].bottom == stop && (i = i + 1 == ne ? 0 : i + 1) == up) return;
      if (e[j].bottom == stop && (j = j == 0 ? ne - 1 : j - 1) == jEnd) return;
    }
  }

  // The runs between two edges over the given rows, the edges stepped past them.
  template <int B>
  void TwoEdges(uint8_t* row, int32_t rows, Edge* ea, Edge* eb) const
  {
    int64_t xa = ea->x, xb = eb->x, sa = ea->slope, sb = eb->slope;
    ea->x += rows * sa;
    eb->x += rows * sb;
    int64_t endA = xa + (rows - 1) * sa, endB = xb + (rows - 1) * sb;
    if (xa > xb) {
      std::swap(xa, xb);
      std::swap(sa, sb);
      std::swap(endA, endB);
    }
    // The crossings move linearly: when one edge is left of the other and both lie inside the clip
    // on the first and the last row, so they do on every row between.
    if (endA <= endB && (xa >> 16) >= left_ && (endA >> 16) >= left_ && (xb >> 16) <= right_ && (endB >> 16) <= right_) {
#ifdef __AVX__
      if constexpr (B == 3) {
        // Runs of up to five pixels blended into the sixteen bytes where they begin.
        const __m128i pattern = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pattern_));
        const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        for (int32_t i = 0; i < rows; ++i, row += stride_, xa += sa, xb += sb) {
          const int32_t x0 = static_cast<int32_t>(xa >> 16), x1 = static_cast<int32_t>(xb >> 16);
          uint8_t* const p = row + 3 * x0;
          if (x1 - x0 <= 5 && p + 16 <= end_) {
            const __m128i mask = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(3 * (x1 - x0))), index);
            __m128i* const q = reinterpret_cast<__m128i*>(p);
            _mm_storeu_si128(q, _mm_blendv_epi8(_mm_loadu_si128(q), pattern, mask));
          } else if (x0 < x1) {
            Span<B>(row, x0, x1);
          }
        }
        return;
      }
#endif
      for (int32_t i = 0; i < rows; ++i, row += stride_, xa += sa, xb += sb) {
        const int32_t x0 = static_cast<int32_t>(xa >> 16), x1 = static_cast<int32_t>(xb >> 16);
        if (x0 < x1) Span<B>(row, x0, x1);
      }
      return;
    }
    for (int32_t i = 0; i < rows; ++i, row += stride_, xa += sa, xb += sb) {
      const int32_t ca = static_cast<int32_t>(xa >> 16), cb = static_cast<int32_t>(xb >> 16);
      const int32_t x0 = std::max(std::min(ca, cb), left_), x1 = std::min(std::max(ca, cb), right_);
      if (x0 < x1) Span<B>(row, x0, x1);
    }
  }

  // The runs between pairs of a row's crossings.
  template <int B>
  [[gnu::always_inline]] void Row(uint8_t* row, int32_t* xs, int32_t count) const
  {
    if (count == 2) {
      // Most rows of most polygons: one run.
      const int32_t x0 = std::max(std::min(xs[0], xs[1]), left_), x1 = std::min(std::max(xs[0], xs[1]), right_);
      if (x0 < x1) Span<B>(row, x0, x1);
      return;
    }
    for (int32_t a = 1; a < count; ++a)
      for (int32_t k = a; k > 0 && xs[k - 1] > xs[k]; --k) std::swap(xs[k - 1], xs[k]);
    for (int32_t a = 0; a + 1 < count; a += 2) {
      const int32_t x0 = std::max(xs[a], left_), x1 = std::min(xs[a + 1], right_);
      if (x0 < x1) Span<B>(row, x0, x1);
    }
  }
  template <int B>
  [[gnu::always_inline]] void Span(uint8_t* row, int32_t x0, int32_t x1) const
  {
    if constexpr (B == 4) {
      std::fill_n(reinterpret_cast<uint32_t*>(row) + x0, x1 - x0, quad_);
    } else {
      // Stores that overlap where the run's length is no multiple of theirs, each taken from the
      // pattern at the phase where it starts (a run's bytes are a multiple of three).
      uint8_t* const p = row + 3 * x0;
      const int32_t n = x1 - x0;
      if (n == 1) {
        std::memcpy(p, pattern_, 2);
        std::memcpy(p + 1, pattern_ + 1, 2);
      } else if (n == 2) {
        std::memcpy(p, pattern_, 4);
        std::memcpy(p + 2, pattern_ + 2, 4);
      } else if (n <= 5) {
        std::memcpy(p, pattern_, 8);
        std::memcpy(p + 3 * n - 8, pattern_ + 1, 8);
      } else {
        for (int32_t o = 0; o + 16 <= 3 * n; o += 12) std::memcpy(p + o, pattern_, 16);
        std::memcpy(p + 3 * n - 16, pattern_ + 2, 16);
      }
    }
  }
  // Half away from zero: v + 0.5 or v - 0.5, truncated.
  static int32_t Round(double v) { return static_cast<int32_t>(v + std::copysign(0.5, v)); }
  bool ok_ = false;
  int bytes_ = 4;
  int32_t devW_ = 0, devH_ = 0;
  // The polyline in progress: the pen's clip bounds, last direction and pixel.
  double xmin_ = 0, xmax_ = 0, ymin_ = 0, ymax_ = 0;
  int lastDir_ = 0;
  bool lastAxis_ = false;
  int32_t lastX_ = INT_MIN, lastY_ = INT_MIN;
  std::vector<int32_t> pixels_;
  std::vector<QPointF> linePoints_;
  int32_t left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
  uint8_t* bits_ = nullptr;
  const uint8_t* end_ = nullptr;  // past the last row
  qsizetype stride_ = 0;
  bool haveColor_ = false;
  TColor lastColor_ = clBlack;
  uint8_t b_ = 0, g_ = 0, r_ = 0;
  uint32_t quad_ = 0;
  uint8_t pattern_[24] = {};
  std::vector<int32_t> fx_, fy_, xs_, at_;
  // A chunk's successors, packed edges (upper ends, extents, rows, slopes, directions) and counts
  // before each.
  std::vector<int32_t> qx_, qy_, kax_, kay_, kdx_, kdy_, kt_, kb_, ks_, kup_, pre_;
  std::vector<Edge> edges_;
};

bool OwnFillable(const MetaRecord& r)
{
  return r.kind == RecKind::Polygon && r.penMode == pmCopy && r.penStyle == psClear && r.brushStyle == bsSolid;
}

bool gOwnPolylines = true;

// Solid polylines one pixel wide once stretched.
bool OwnDrawableLine(const MetaRecord& r, const Mapper& m)
{
  return r.kind == RecKind::Polyline && r.penMode == pmCopy && (r.penStyle == psSolid || r.penStyle == psInsideFrame) &&
         m.W(r.penWidth) == 1;
}

void ApplyPenBrush(TCanvas* c, const MetaRecord& r, const Mapper& m)
{
  c->Pen()->SetColor(r.penColor);
  c->Pen()->SetWidth(r.penWidth <= 1 ? r.penWidth : m.W(r.penWidth));
  c->Pen()->SetStyle(r.penStyle);
  c->Pen()->SetMode(r.penMode);
  c->Brush()->SetColor(r.brushColor);
  c->Brush()->SetStyle(r.brushStyle);
}

void SlowDraw(TCanvas* c, const MetaRecord& r, const Mapper& m)
{
  std::vector<TPoint> pts;
  pts.reserve(r.pts.size());
  for (const TPoint& q : r.pts) pts.push_back(m.P(q));
  switch (r.kind) {
  case RecKind::Polygon: ApplyPenBrush(c, r, m); c->Polygon(pts); break;
  case RecKind::Polyline: ApplyPenBrush(c, r, m); c->Polyline(pts); break;
  case RecKind::PolyBezier: ApplyPenBrush(c, r, m); c->PolyBezier(pts); break;
  case RecKind::Rectangle: ApplyPenBrush(c, r, m); c->Rectangle(pts[0].x, pts[0].y, pts[1].x, pts[1].y); break;
  case RecKind::FillRect:
    c->Brush()->SetColor(r.brushColor);
    c->Brush()->SetStyle(r.brushStyle);
    c->FillRect(TRect{pts[0].x, pts[0].y, pts[1].x, pts[1].y});
    break;
  case RecKind::FrameRect:
    c->Brush()->SetColor(r.brushColor);
    c->Brush()->SetStyle(r.brushStyle);
    c->FrameRect(TRect{pts[0].x, pts[0].y, pts[1].x, pts[1].y});
    break;
  case RecKind::Ellipse: ApplyPenBrush(c, r, m); c->Ellipse(pts[0].x, pts[0].y, pts[1].x, pts[1].y); break;
  case RecKind::RoundRect:
    ApplyPenBrush(c, r, m);
    c->RoundRect(pts[0].x, pts[0].y, pts[1].x, pts[1].y, Mapper::Held(r.pts[2].x * m.sx), Mapper::Held(r.pts[2].y * m.sy));
    break;
  case RecKind::Arc:
  case RecKind::Pie:
  case RecKind::Chord: {
    ApplyPenBrush(c, r, m);
    auto f = r.kind == RecKind::Arc ? &TCanvas::Arc : r.kind == RecKind::Pie ? &TCanvas::Pie : &TCanvas::Chord;
    (c->*f)(pts[0].x, pts[0].y, pts[1].x, pts[1].y, pts[2].x, pts[2].y, pts[3].x, pts[3].y);
    break;
  }
  case RecKind::Text: {
    TFont* f = c->Font();
    f->SetName(r.X().font.name);
    int32_t h = Mapper::Held(r.X().font.height * m.sy);
    if (h == 0) h = r.X().font.height < 0 ? -1 : 1;
    h = std::clamp(h, -m.maxFontHeight, m.maxFontHeight);
    if (std::abs(h) > kMaxDrawnFontHeight) break;
    f->SetHeight(h);
    f->SetColor(r.X().font.color);
    f->SetStyle(r.X().font.style);
    f->SetOrientation(r.X().font.orientation);
    f->SetCharset(r.X().font.charset);
    f->SetQuality(r.X().font.quality);
    c->Brush()->SetStyle(r.X().opaqueText ? bsSolid : bsClear);
    if (r.X().opaqueText) c->Brush()->SetColor(r.X().bkColor);
    c->SetTextAlign(r.X().textAlign);
    if (r.X().textClipped) {
      TRect tr{m.IX(r.X().textRect.Left), m.IY(r.X().textRect.Top), m.IX(r.X().textRect.Right), m.IY(r.X().textRect.Bottom)};
      c->TextRect(tr, pts[0].x, pts[0].y, r.X().text);
    } else {
      c->TextOut(pts[0].x, pts[0].y, r.X().text);
    }
    break;
  }
  case RecKind::Picture:
    if (r.X().graphic) c->StretchDraw(TRect{pts[0].x, pts[0].y, pts[1].x, pts[1].y}, r.X().graphic.get());
    break;
  case RecKind::Pixel: {
    // A recorded pixel covers its stretched cell.
    TPoint b = m.P({r.pts[0].x == INT32_MAX ? INT32_MAX : r.pts[0].x + 1, r.pts[0].y == INT32_MAX ? INT32_MAX : r.pts[0].y + 1});
    if (b.x - pts[0].x <= 1 && b.y - pts[0].y <= 1) {
      c->SetPixel(pts[0].x, pts[0].y, r.X().pixelColor);
    } else {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(r.X().pixelColor);
      c->FillRect(TRect{pts[0].x, pts[0].y, std::max(b.x, pts[0].x + 1), std::max(b.y, pts[0].y + 1)});
    }
    break;
  }
  }
}

}  // namespace

void TMetafile::Draw(TCanvas* canvas, const TRect& r)
{
  if (!canvas || width_ <= 0 || height_ <= 0 || r.Width() == 0 || r.Height() == 0) return;
  Mapper m{static_cast<double>(r.Width()) / width_, static_cast<double>(r.Height()) / height_, r.Left, r.Top};
  // The target picture: the device, or the destination rectangle on a canvas without one.
  const TSize device = canvas->DeviceSize();
  const int64_t targetHeight = device.cy > 0 ? device.cy : std::abs(int64_t{r.Height()});
  m.maxFontHeight = static_cast<int32_t>(std::clamp<int64_t>(4 * targetHeight, 1, INT32_MAX));
  const std::shared_ptr<TMetafileData> data = data_;  // stays alive while drawing
  // Keep the canvas's own state.
  TPen pen;
  pen.Assign(canvas->Pen());
  TBrush brush;
  brush.Assign(canvas->Brush());
  TFont font;
  font.Assign(canvas->Font());
  const uint32_t align = canvas->GetTextAlign();
  const bool hadClip = canvas->HasClip();
  const TRect oldClip = hadClip ? canvas->GetClipRect() : TRect{};
  bool clipSet = false;
  TRect clipNow;

  FastState fast;
  QPainter* fastPainter = nullptr;
  QPainter* copyPainter = nullptr;
  bool copyPainterKnown = false;
  RowFill rows;
  bool rowsChecked = false;  // rows has looked at the present painter and clip
  const std::vector<MetaRecord>& recs = data->records;
  for (size_t at = 0; at < recs.size(); ++at) {
    const MetaRecord& rec = recs[at];
    if (rec.hasClip != clipSet || (rec.hasClip && !(rec.clip == clipNow))) {
      if (rec.hasClip) {
        TRect c{m.IX(rec.clip.Left), m.IY(rec.clip.Top), m.IX(rec.clip.Right), m.IY(rec.clip.Bottom)};
        if (hadClip) {
          c.Left = std::max(c.Left, oldClip.Left);
          c.Top = std::max(c.Top, oldClip.Top);
          c.Right = std::min(c.Right, oldClip.Right);
          c.Bottom = std::min(c.Bottom, oldClip.Bottom);
        }
        canvas->SetClipRect(c);
      } else if (hadClip) {
        canvas->SetClipRect(oldClip);
      } else {
        canvas->ClearClip();
      }
      clipSet = rec.hasClip;
      clipNow = rec.clip;
      rowsChecked = false;
      copyPainterKnown = false;
    }
    // The canvas may end its painter in between (raster operations): asked again after anything
    // but the fast paths has drawn, and after the clip has changed.
    if (rec.penMode == pmCopy && !copyPainterKnown) {
      copyPainter = canvas->Painter();
      copyPainterKnown = true;
    }
    QPainter* painter = rec.penMode == pmCopy ? copyPainter : nullptr;
    if (painter != fastPainter) {
      fastPainter = painter;
      fast = FastState{};
      rowsChecked = false;
    }
    if (painter && gOwnPolygonFill && OwnFillable(rec)) {
      if (!rowsChecked) {
        rows.Target(canvas, painter);
        rowsChecked = true;
      }
      if (rows.Ready()) {
        // With the fillable records that follow under the same clip.
        size_t end = at + 1;
        while (end < recs.size() && OwnFillable(recs[end]) && recs[end].hasClip == rec.hasClip && (!rec.hasClip || recs[end].clip == rec.clip))
          ++end;
        rows.FillRun(&rec, end - at, m, [&](const MetaRecord& r) { FastDraw(*painter, r, m, fast); });
        at = end - 1;
        continue;
      }
    }
    if (painter && gOwnPolylines && OwnDrawableLine(rec, m)) {
      if (!rowsChecked) {
        rows.Target(canvas, painter);
        rowsChecked = true;
      }
      if (rows.Ready()) {
        rows.Polyline(rec.pts, m, rec.penColor);
        continue;
      }
    }
    if (painter && FastDraw(*painter, rec, m, fast)) continue;
    SlowDraw(canvas, rec, m);
    fast = FastState{};  // the canvas has set its own pen and brush
    rowsChecked = false;  // and may have ended its painter or changed the clip
    copyPainterKnown = false;
  }
  if (clipSet) {
    if (hadClip)
      canvas->SetClipRect(oldClip);
    else
      canvas->ClearClip();
  }
  canvas->Pen()->Assign(&pen);
  canvas->Brush()->Assign(&brush);
  canvas->Font()->Assign(&font);
  canvas->SetTextAlign(align);
}

void TMetafile::SetOwnPolygonFill(bool on) { gOwnPolygonFill = on; }
bool TMetafile::OwnPolygonFill() { return gOwnPolygonFill; }
void TMetafile::SetOwnPolylines(bool on) { gOwnPolylines = on; }
bool TMetafile::OwnPolylines() { return gOwnPolylines; }

// ---------------------------------------------------------------------------------------------
// TMetafileCanvas

struct TMetafileCanvas::Impl {
  std::shared_ptr<TMetafileData> data = std::make_shared<TMetafileData>();
  bool finished = false;
};

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile) : metafile_(metafile), impl_(std::make_unique<Impl>())
{
  if (!metafile_) return;
  if (metafile_->spare_) {
    // The storage of the records cleared last.
    impl_->data = std::move(metafile_->spare_);
  } else {
    // A picture drawn again has about as many records as before (or as before it was cleared).
    impl_->data->records.reserve(std::max(metafile_->RecordCount(), metafile_->lastRecords_));
    impl_->data->points.reserve(std::max(metafile_->data_->points.size(), metafile_->lastPoints_));
  }
}

TMetafileCanvas::~TMetafileCanvas() { Finish(); }

void TMetafileCanvas::Finish()
{
  if (impl_->finished) return;
  impl_->finished = true;
  impl_->data->Seal();
  if (metafile_) {
    metafile_->data_ = impl_->data;
    metafile_->Changed();
  }
}

namespace {

// The canvas's pen, brush and clip in force.
[[gnu::always_inline]] inline void TakeState(TCanvas& c, RecKind kind, MetaRecord& r)
{
  r.kind = kind;
  r.penColor = c.Pen()->GetColor();
  r.penWidth = std::min(c.Pen()->GetWidth(), kMaxPenWidth);
  r.penStyle = c.Pen()->GetStyle();
  r.penMode = c.Pen()->GetMode();
  r.brushColor = c.Brush()->GetColor();
  r.brushStyle = c.Brush()->GetStyle();
  if (c.HasClip()) {
    r.hasClip = true;
    r.clip = c.GetClipRect();
  }
}

MetaRecord StartRecord(TCanvas& c, RecKind kind)
{
  MetaRecord r;
  TakeState(c, kind, r);
  return r;
}

// Records a shape drawn through the given points with the canvas's current pen, brush and clip.
[[gnu::always_inline]] inline void AddShape(TCanvas& c, TMetafileData& data, RecKind kind, std::span<const TPoint> pts)
{
  TakeState(c, kind, data.Add(pts));
}
void AddShape(TCanvas& c, TMetafileData& data, RecKind kind, std::initializer_list<TPoint> pts)
{
  TakeState(c, kind, data.Add(std::span<const TPoint>(pts.begin(), pts.size())));
}

}  // namespace

#define RECORD_GUARD \
  if (impl_->finished) return

void TMetafileCanvas::MoveTo(int32_t x, int32_t y) { SetPenPos({x, y}); }

void TMetafileCanvas::LineTo(int32_t x, int32_t y)
{
  TPoint from = GetPenPos();
  SetPenPos({x, y});
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::Polyline, {from, {x, y}});
}

void TMetafileCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::Rectangle, {{x1, y1}, {x2, y2}});
}

void TMetafileCanvas::FillRect(const TRect& rc)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::FillRect, {{rc.Left, rc.Top}, {rc.Right, rc.Bottom}});
}

void TMetafileCanvas::FrameRect(const TRect& rc)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::FrameRect, {{rc.Left, rc.Top}, {rc.Right, rc.Bottom}});
}

void TMetafileCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::Ellipse, {{x1, y1}, {x2, y2}});
}

void TMetafileCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::RoundRect, {{x1, y1}, {x2, y2}, {x3, y3}});
}

void TMetafileCanvas::Polygon(const std::vector<TPoint>& points)
{
  RECORD_GUARD;
  if (points.size() < 2) return;
  AddShape(*this, *impl_->data, RecKind::Polygon, points);
}

void TMetafileCanvas::FillPolygon(std::span<const TPoint> points, TColor color)
{
  // The setters would change nothing when the brush already is so.
  TBrush* b = Brush();
  if (b->GetStyle() != bsSolid) b->SetStyle(bsSolid);
  if (b->GetColor() != color) b->SetColor(color);
  RECORD_GUARD;
  if (points.size() < 2) return;
  AddShape(*this, *impl_->data, RecKind::Polygon, points);
}

void TMetafileCanvas::Polyline(const std::vector<TPoint>& points)
{
  RECORD_GUARD;
  if (points.size() < 2) return;
  AddShape(*this, *impl_->data, RecKind::Polyline, points);
}

void TMetafileCanvas::PolyBezier(const std::vector<TPoint>& points)
{
  RECORD_GUARD;
  if (points.size() < 4) return;
  const auto end = points.begin() + static_cast<std::ptrdiff_t>(1 + (points.size() - 1) / 3 * 3);
  AddShape(*this, *impl_->data, RecKind::PolyBezier, std::span<const TPoint>(points.data(), static_cast<size_t>(end - points.begin())));
}

void TMetafileCanvas::Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                          int32_t y4)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::Arc, {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}});
}

void TMetafileCanvas::Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                          int32_t y4)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::Pie, {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}});
}

void TMetafileCanvas::Chord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                            int32_t y4)
{
  RECORD_GUARD;
  AddShape(*this, *impl_->data, RecKind::Chord, {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}});
}

namespace {

MetaRecord TextRecord(TCanvas& c, const std::string& text)
{
  MetaRecord r = StartRecord(c, RecKind::Text);
  const TFont* f = c.Font();
  r.X().font.name = f->GetName();
  r.X().font.height = f->GetHeight();
  r.X().font.color = f->GetColor();
  r.X().font.style = f->GetStyle();
  r.X().font.orientation = f->GetOrientation();
  r.X().font.charset = f->GetCharset();
  r.X().font.quality = f->GetQuality();
  r.X().textAlign = c.GetTextAlign() & ~TA_UPDATECP;
  r.X().opaqueText = c.Brush()->GetStyle() != bsClear;
  r.X().bkColor = c.Brush()->GetColor();
  r.X().text = text;
  return r;
}

}  // namespace

void TMetafileCanvas::TextOut(int32_t x, int32_t y, const std::string& text)
{
  if (GetTextAlign() & TA_UPDATECP) {
    x = GetPenPos().x;
    y = GetPenPos().y;
    if ((GetTextAlign() & TA_CENTER) != TA_CENTER) {
      const int32_t w = TextWidth(text);
      SetPenPos({x + ((GetTextAlign() & TA_CENTER) == TA_RIGHT ? -w : w), y});
    }
  }
  RECORD_GUARD;
  impl_->data->Add(TextRecord(*this, text), {{x, y}});
}

void TMetafileCanvas::TextRect(const TRect& rc, int32_t x, int32_t y, const std::string& text)
{
  RECORD_GUARD;
  MetaRecord r = TextRecord(*this, text);
  r.X().textClipped = true;
  r.X().textRect = rc;
  impl_->data->Add(std::move(r), {{x, y}});
}

TSize TMetafileCanvas::TextExtent(const std::string& text) { return TCanvas::TextExtent(text); }

void TMetafileCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic)
{
  if (!graphic || graphic->Empty()) return;
  StretchDraw(TRect{x, y, x + graphic->GetWidth(), y + graphic->GetHeight()}, graphic);
}

void TMetafileCanvas::StretchDraw(const TRect& rc, TGraphic* graphic)
{
  RECORD_GUARD;
  if (!graphic || graphic->Empty()) return;
  if (auto* meta = dynamic_cast<TMetafile*>(graphic)) {
    // A picture inside a picture: its records are taken over, stretched.
    meta->Draw(this, rc);
    return;
  }
  std::shared_ptr<TGraphic> copy;
  if (dynamic_cast<TBitmap*>(graphic)) {
    auto b = std::make_shared<TBitmap>();
    b->Assign(graphic);
    copy = b;
  } else {
    return;
  }
  MetaRecord r = StartRecord(*this, RecKind::Picture);
  r.X().graphic = std::move(copy);
  impl_->data->Add(std::move(r), {{rc.Left, rc.Top}, {rc.Right, rc.Bottom}});
}

TColor TMetafileCanvas::GetPixel(int32_t, int32_t) { return clNone; }

void TMetafileCanvas::SetPixel(int32_t x, int32_t y, TColor color)
{
  RECORD_GUARD;
  MetaRecord r = StartRecord(*this, RecKind::Pixel);
  r.X().pixelColor = color;
  impl_->data->Add(std::move(r), {{x, y}});
}

TRect TMetafileCanvas::GetClipRect() { return TCanvas::GetClipRect(); }

TSize TMetafileCanvas::DeviceSize() const
{
  return metafile_ ? TSize{metafile_->GetWidth(), metafile_->GetHeight()} : TSize{0, 0};
}

// ---------------------------------------------------------------------------------------------
// Enhanced metafile format

namespace {

using namespace emf;

constexpr uint32_t WHITE_BRUSH = 0, BLACK_BRUSH = 4, NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
                   SYSTEM_FONT = 13;
constexpr uint32_t ETO_CLIPPED = 4;
constexpr double HundredthMmPerPixel = 2540.0 / 96.0;

uint32_t Rgb(TColor c) { return static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFF; }

TRect BoundsOf(std::span<const TPoint> pts)
{
  TRect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const TPoint& p : pts) {
    b.Left = std::min(b.Left, p.x);
    b.Top = std::min(b.Top, p.y);
    b.Right = std::max(b.Right, p.x);
    b.Bottom = std::max(b.Bottom, p.y);
  }
  return pts.empty() ? TRect{} : b;
}

struct PenDesc {
  uint32_t style;
  int32_t width;
  uint32_t color;
  bool operator==(const PenDesc&) const = default;
};
struct BrushDesc {
  uint32_t style, color, hatch;
  bool operator==(const BrushDesc&) const = default;
};

uint32_t PenStyleCode(TPenStyle s)
{
  switch (s) {
  case psDash: return 1;
  case psDot: return 2;
  case psDashDot: return 3;
  case psDashDotDot: return 4;
  case psClear: return 5;
  case psInsideFrame: return 6;
  default: return 0;
  }
}

TPenStyle PenStyleOf(uint32_t code)
{
  switch (code & 0xF) {
  case 1: return psDash;
  case 2: return psDot;
  case 3: return psDashDot;
  case 4: return psDashDotDot;
  case 5: return psClear;
  case 6: return psInsideFrame;
  default: return psSolid;
  }
}

BrushDesc BrushOf(TBrushStyle s, TColor c)
{
  switch (s) {
  case bsSolid: return {0, Rgb(c), 0};
  case bsClear: return {1, 0, 0};
  default: return {2, Rgb(c), static_cast<uint32_t>(s - bsHorizontal)};
  }
}

// Writes records with the drawing state selected only when it changes.
class EmfEncoder {
public:
  explicit EmfEncoder(EmfWriter& w) : w_(w) {}

  void SelectPen(const PenDesc& p)
  {
    if (havePen_ && p == pen_) return;
    if (p.style == 5) {
      Select(StockObject | NULL_PEN);
    } else {
      uint32_t h = penSlot_ == 1 ? 2 : 1;
      size_t at = w_.Begin(EMR_CREATEPEN);
      w_.U32(h);
      w_.U32(p.style);
      w_.I32(p.width);
      w_.I32(0);
      w_.U32(p.color);
      w_.End(at);
      Select(h);
      if (penSlot_) w_.Simple(EMR_DELETEOBJECT, penSlot_);
      penSlot_ = h;
    }
    pen_ = p;
    havePen_ = true;
  }

  void SelectBrush(const BrushDesc& b)
  {
    if (haveBrush_ && b == brush_) return;
    if (b.style == 1) {
      Select(StockObject | NULL_BRUSH);
    } else {
      uint32_t h = brushSlot_ == 3 ? 4 : 3;
      size_t at = w_.Begin(EMR_CREATEBRUSHINDIRECT);
      w_.U32(h);
      w_.U32(b.style);
      w_.U32(b.color);
      w_.U32(b.hatch);
      w_.End(at);
      Select(h);
      if (brushSlot_) w_.Simple(EMR_DELETEOBJECT, brushSlot_);
      brushSlot_ = h;
    }
    brush_ = b;
    haveBrush_ = true;
  }

  void SelectFont(const FontState& f)
  {
    if (haveFont_ && f.name == font_.name && f.height == font_.height && f.style == font_.style &&
        f.orientation == font_.orientation && f.charset == font_.charset && f.quality == font_.quality)
      return;
    uint32_t h = fontSlot_ == 5 ? 6 : 5;
    size_t at = w_.Begin(EMR_EXTCREATEFONTINDIRECTW);
    w_.U32(h);
    w_.I32(f.height);
    w_.I32(0);
    w_.I32(f.orientation);
    w_.I32(f.orientation);
    w_.I32(f.style & fsBold ? 700 : 400);
    w_.bytes.push_back(static_cast<char>(f.style & fsItalic ? 1 : 0));
    w_.bytes.push_back(static_cast<char>(f.style & fsUnderline ? 1 : 0));
    w_.bytes.push_back(static_cast<char>(f.style & fsStrikeOut ? 1 : 0));
    w_.bytes.push_back(static_cast<char>(f.charset));
    w_.bytes.push_back(0);  // out precision
    w_.bytes.push_back(0);  // clip precision
    w_.bytes.push_back(static_cast<char>(f.quality));
    w_.bytes.push_back(0);  // pitch and family
    std::u16string face = QString::fromStdString(f.name).left(31).toStdU16String();
    face.resize(32, u'\0');
    for (char16_t ch : face) w_.U16(static_cast<uint16_t>(ch));
    w_.End(at);
    Select(h);
    if (fontSlot_) w_.Simple(EMR_DELETEOBJECT, fontSlot_);
    fontSlot_ = h;
    font_ = f;
    haveFont_ = true;
  }

  void Rop2(TPenMode mode)
  {
    int code = gfx::Rop2OfMode(mode);
    if (code == rop2_) return;
    rop2_ = code;
    w_.Simple(EMR_SETROP2, static_cast<uint32_t>(code));
  }

  void TextState(uint32_t color, bool opaque, uint32_t bk, uint32_t align)
  {
    if (color != textColor_) w_.Simple(EMR_SETTEXTCOLOR, textColor_ = color);
    const uint32_t mode = opaque ? 2 : 1;
    if (mode != bkMode_) w_.Simple(EMR_SETBKMODE, bkMode_ = mode);
    if (opaque && bk != bkColor_) w_.Simple(EMR_SETBKCOLOR, bkColor_ = bk);
    if (align != align_) w_.Simple(EMR_SETTEXTALIGN, align_ = align);
  }

  void Clip(bool has, const TRect& r)
  {
    if (has == hasClip_ && (!has || r == clip_)) return;
    size_t at = w_.Begin(EMR_SELECTCLIPRGN);
    w_.U32(0);
    w_.U32(5);  // RGN_COPY with no region: no clip
    w_.End(at);
    if (has) {
      at = w_.Begin(EMR_INTERSECTCLIPRECT);
      w_.Rect(r);
      w_.End(at);
    }
    hasClip_ = has;
    clip_ = r;
  }

  void Finish()
  {
    // Leave nothing of ours selected, then free it.
    if (penSlot_) {
      Select(StockObject | BLACK_PEN);
      w_.Simple(EMR_DELETEOBJECT, penSlot_);
    }
    if (brushSlot_) {
      Select(StockObject | WHITE_BRUSH);
      w_.Simple(EMR_DELETEOBJECT, brushSlot_);
    }
    if (fontSlot_) {
      Select(StockObject | SYSTEM_FONT);
      w_.Simple(EMR_DELETEOBJECT, fontSlot_);
    }
  }

private:
  void Select(uint32_t h) { w_.Simple(EMR_SELECTOBJECT, h); }
  EmfWriter& w_;
  PenDesc pen_{};
  BrushDesc brush_{};
  FontState font_;
  bool havePen_ = false, haveBrush_ = false, haveFont_ = false;
  uint32_t penSlot_ = 0, brushSlot_ = 0, fontSlot_ = 0;
  int rop2_ = 13;
  uint32_t textColor_ = 0, bkMode_ = 2, bkColor_ = 0xFFFFFF, align_ = 0;
  bool hasClip_ = false;
  TRect clip_;
};

bool Fits16(std::span<const TPoint> pts)
{
  for (const TPoint& p : pts)
    if (p.x < INT16_MIN || p.x > INT16_MAX || p.y < INT16_MIN || p.y > INT16_MAX) return false;
  return true;
}

void WritePoly(EmfWriter& w, uint32_t type16, uint32_t type32, std::span<const TPoint> pts)
{
  const bool small = Fits16(pts);
  size_t at = w.Begin(small ? type16 : type32);
  w.Rect(BoundsOf(pts));
  w.U32(static_cast<uint32_t>(pts.size()));
  for (const TPoint& p : pts) {
    if (small) {
      w.I16(static_cast<int16_t>(p.x));
      w.I16(static_cast<int16_t>(p.y));
    } else {
      w.I32(p.x);
      w.I32(p.y);
    }
  }
  w.End(at);
}

void WriteBox(EmfWriter& w, uint32_t type, std::span<const TPoint> pts, size_t extra)
{
  size_t at = w.Begin(type);
  w.Rect(TRect{pts[0].x, pts[0].y, pts[1].x, pts[1].y});
  for (size_t i = 2; i < 2 + extra; ++i) {
    w.I32(pts[i].x);
    w.I32(pts[i].y);
  }
  w.End(at);
}

void WriteText(EmfWriter& w, const MetaRecord& r)
{
  std::u16string text = QString::fromStdString(r.X().text).toStdU16String();
  TFont f;
  f.SetName(r.X().font.name);
  f.SetHeight(r.X().font.height);
  f.SetStyle(r.X().font.style);
  QFontMetrics fm(gfx::MakeQFont(f));
  std::vector<int32_t> dx;
  int32_t total = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int32_t adv = 0;
    if (QChar::isHighSurrogate(text[i]) && i + 1 < text.size()) {
      adv = fm.horizontalAdvance(QString::fromStdU16String(text.substr(i, 2)));
    } else if (!QChar::isLowSurrogate(text[i])) {
      adv = fm.horizontalAdvance(QChar(text[i]));
    }
    dx.push_back(adv);
    total += adv;
  }
  const TPoint p = r.pts[0];
  size_t at = w.Begin(EMR_EXTTEXTOUTW);
  w.Rect(TRect{p.x, p.y, Clamped(int64_t{p.x} + total), Clamped(int64_t{p.y} + fm.height())});
  w.U32(1);  // compatible graphics mode
  w.F32(static_cast<float>(HundredthMmPerPixel));
  w.F32(static_cast<float>(HundredthMmPerPixel));
  w.I32(p.x);
  w.I32(p.y);
  w.U32(static_cast<uint32_t>(text.size()));
  const uint32_t offString = 76;
  const uint32_t stringBytes = static_cast<uint32_t>((text.size() * 2 + 3) / 4 * 4);
  w.U32(offString);
  w.U32(r.X().textClipped ? ETO_CLIPPED : 0);
  w.Rect(r.X().textClipped ? r.X().textRect : TRect{});
  w.U32(offString + stringBytes);
  for (char16_t ch : text) w.U16(static_cast<uint16_t>(ch));
  while ((w.bytes.size() - at) % 4) w.bytes.push_back('\0');
  for (int32_t d : dx) w.I32(d);
  w.End(at);
}

void WriteBitmap(EmfWriter& w, const MetaRecord& r)
{
  auto* bmp = dynamic_cast<TBitmap*>(r.X().graphic.get());
  if (!bmp || bmp->Empty()) return;
  QImage img = bmp->Image().convertToFormat(QImage::Format_RGB32);
  const int32_t bw = img.width(), bh = img.height();
  const uint32_t stride = static_cast<uint32_t>((bw * 3 + 3) / 4 * 4);
  const uint32_t bitsSize = stride * static_cast<uint32_t>(bh);
  size_t at = w.Begin(EMR_STRETCHDIBITS);
  TRect dest{r.pts[0].x, r.pts[0].y, r.pts[1].x, r.pts[1].y};
  w.Rect(dest);
  w.I32(dest.Left);
  w.I32(dest.Top);
  w.I32(0);
  w.I32(0);
  w.I32(bw);
  w.I32(bh);
  w.U32(80);       // header offset
  w.U32(40);       // header size
  w.U32(120);      // bits offset
  w.U32(bitsSize);
  w.U32(0);           // RGB colours
  w.U32(cmSrcCopy);
  w.I32(dest.Width());
  w.I32(dest.Height());
  w.U32(40);
  w.I32(bw);
  w.I32(bh);  // bottom-up
  w.U16(1);
  w.U16(24);
  w.U32(0);
  w.U32(bitsSize);
  w.I32(3780);
  w.I32(3780);
  w.U32(0);
  w.U32(0);
  for (int32_t y = bh - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    size_t start = w.bytes.size();
    for (int32_t x = 0; x < bw; ++x) {
      w.bytes.push_back(static_cast<char>(qBlue(row[x])));
      w.bytes.push_back(static_cast<char>(qGreen(row[x])));
      w.bytes.push_back(static_cast<char>(qRed(row[x])));
    }
    while (w.bytes.size() - start < stride) w.bytes.push_back('\0');
  }
  w.End(at);
}

}  // namespace

std::string TMetafile::SaveToBytes() const
{
  EmfWriter w;
  // Header: bounds in pixels, frame in hundredths of a millimetre at 96 pixels per inch; a picture
  // without width or height keeps bounds that read back as none (the device is one pixel at least).
  const int32_t wd = std::max(width_, 1), ht = std::max(height_, 1);
  size_t at = w.Begin(EMR_HEADER);
  w.Rect(TRect{0, 0, width_ - 1, height_ - 1});
  w.Rect(TRect{0, 0, RoundAway32(width_ * HundredthMmPerPixel) - 1, RoundAway32(height_ * HundredthMmPerPixel) - 1});
  w.U32(EmfSignature);
  w.U32(0x10000);
  w.U32(0);  // file size, patched below
  w.U32(0);  // record count, patched below
  w.U16(7);  // handles: slot 0 and six objects
  w.U16(0);
  w.U32(0);  // no description
  w.U32(0);
  w.U32(0);  // no palette
  w.I32(wd);
  w.I32(ht);
  w.I32(RoundAway32(wd * 25.4 / 96.0));
  w.I32(RoundAway32(ht * 25.4 / 96.0));
  w.U32(0);  // no pixel format
  w.U32(0);
  w.U32(0);  // no OpenGL
  w.U32(static_cast<uint32_t>(RoundAway32(wd * 25400.0 / 96.0)));
  w.U32(static_cast<uint32_t>(RoundAway32(ht * 25400.0 / 96.0)));
  w.End(at);

  EmfEncoder enc(w);
  w.Simple(EMR_SETPOLYFILLMODE, 1);  // alternate
  w.Simple(EMR_SETBKMODE, 2);
  for (const MetaRecord& r : data_->records) {
    enc.Clip(r.hasClip, r.clip);
    // A pen that draws one pixel is written cosmetic (width 0): readers that scale the picture down
    // keep it one device pixel wide instead of thinning it away.
    const PenDesc pen{PenStyleCode(r.penStyle), r.penWidth <= 1 ? 0 : r.penWidth, Rgb(r.penColor)};
    const BrushDesc brush = BrushOf(r.brushStyle, r.brushColor);
    switch (r.kind) {
    case RecKind::Polygon:
    case RecKind::Polyline:
    case RecKind::PolyBezier:
    case RecKind::Rectangle:
    case RecKind::Ellipse:
    case RecKind::RoundRect:
    case RecKind::Arc:
    case RecKind::Pie:
    case RecKind::Chord:
      enc.SelectPen(pen);
      if (r.kind != RecKind::Polyline && r.kind != RecKind::PolyBezier && r.kind != RecKind::Arc)
        enc.SelectBrush(brush);
      enc.Rop2(r.penMode);
      break;
    default: break;
    }
    switch (r.kind) {
    case RecKind::Polygon: WritePoly(w, EMR_POLYGON16, EMR_POLYGON, r.pts); break;
    case RecKind::Polyline:
      // A single segment goes as move-to and line-to: some readers drop two-point polylines.
      if (r.pts.size() == 2) {
        w.Simple(EMR_MOVETOEX, {r.pts[0].x, r.pts[0].y});
        w.Simple(EMR_LINETO, {r.pts[1].x, r.pts[1].y});
      } else {
        WritePoly(w, EMR_POLYLINE16, EMR_POLYLINE, r.pts);
      }
      break;
    case RecKind::PolyBezier: WritePoly(w, EMR_POLYBEZIER16, EMR_POLYBEZIER, r.pts); break;
    case RecKind::Rectangle: WriteBox(w, EMR_RECTANGLE, r.pts, 0); break;
    case RecKind::Ellipse: WriteBox(w, EMR_ELLIPSE, r.pts, 0); break;
    case RecKind::RoundRect: WriteBox(w, EMR_ROUNDRECT, r.pts, 1); break;
    case RecKind::Arc: WriteBox(w, EMR_ARC, r.pts, 2); break;
    case RecKind::Pie: WriteBox(w, EMR_PIE, r.pts, 2); break;
    case RecKind::Chord: WriteBox(w, EMR_CHORD, r.pts, 2); break;
    case RecKind::FillRect: {
      // A rectangle without outline fills one pixel less to the right and bottom.
      enc.SelectPen({5, 0, 0});
      enc.SelectBrush(brush);
      enc.Rop2(pmCopy);
      std::vector<TPoint> box{r.pts[0], {r.pts[1].x + 1, r.pts[1].y + 1}};
      WriteBox(w, EMR_RECTANGLE, box, 0);
      break;
    }
    case RecKind::FrameRect: {
      if (r.brushStyle == bsClear) break;
      enc.SelectPen({0, 1, Rgb(r.brushColor)});
      enc.SelectBrush({1, 0, 0});
      enc.Rop2(pmCopy);
      WriteBox(w, EMR_RECTANGLE, r.pts, 0);
      break;
    }
    case RecKind::Text:
      enc.SelectFont(r.X().font);
      enc.TextState(Rgb(r.X().font.color), r.X().opaqueText, Rgb(r.X().bkColor), r.X().textAlign);
      WriteText(w, r);
      break;
    case RecKind::Picture: WriteBitmap(w, r); break;
    case RecKind::Pixel: {
      size_t p = w.Begin(EMR_SETPIXELV);
      w.I32(r.pts[0].x);
      w.I32(r.pts[0].y);
      w.U32(Rgb(r.X().pixelColor));
      w.End(p);
      break;
    }
    }
  }
  enc.Finish();
  at = w.Begin(EMR_EOF);
  w.U32(0);   // no palette entries
  w.U32(16);  // palette offset
  w.U32(20);  // size of this record
  w.End(at);

  const uint32_t total = static_cast<uint32_t>(w.bytes.size());
  std::memcpy(&w.bytes[48], &total, 4);
  std::memcpy(&w.bytes[52], &w.records, 4);
  return w.bytes;
}

std::string gfx::ReadFileBytes(const std::string& fileName)
{
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EInOutError("Cannot open file \"" + fileName + "\"");
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void gfx::WriteFileBytes(const std::string& fileName, const std::string& bytes)
{
  // Through a temporary file: a failed write leaves an old file as it was.
  std::string error;
  if (!WriteFileAtomically(fileName, bytes, &error)) throw EInOutError(error);
}

void TMetafile::SaveToFile(const std::string& fileName) { gfx::WriteFileBytes(fileName, SaveToBytes()); }

void TMetafile::LoadFromFile(const std::string& fileName) { LoadFromBytes(gfx::ReadFileBytes(fileName)); }

namespace {

class Reader {
public:
  Reader(const std::string& b, size_t start, size_t end) : b_(b), pos_(start), end_(end) {}
  bool Has(size_t n) const { return pos_ + n <= end_; }
  uint32_t U32()
  {
    uint32_t v = 0;
    if (Has(4)) std::memcpy(&v, b_.data() + pos_, 4);
    pos_ += 4;
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  uint16_t U16()
  {
    uint16_t v = 0;
    if (Has(2)) std::memcpy(&v, b_.data() + pos_, 2);
    pos_ += 2;
    return v;
  }
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint8_t U8()
  {
    uint8_t v = Has(1) ? static_cast<uint8_t>(b_[pos_]) : 0;
    pos_ += 1;
    return v;
  }
  TRect Rect()
  {
    TRect r;
    r.Left = I32();
    r.Top = I32();
    r.Right = I32();
    r.Bottom = I32();
    return r;
  }
  void Seek(size_t p) { pos_ = p; }
  size_t Pos() const { return pos_; }

private:
  const std::string& b_;
  size_t pos_, end_;
};

struct EmfObject {
  enum Kind { None, Pen, Brush, Font } kind = None;
  TPenStyle penStyle = psSolid;
  int32_t penWidth = 1;
  TColor penColor = clBlack;
  TBrushStyle brushStyle = bsSolid;
  TColor brushColor = clWhite;
  FontState font;
};

TColor FromColorRef(uint32_t c) { return static_cast<TColor>(c & 0xFFFFFF); }


}  // namespace

void TMetafile::LoadFromBytes(const std::string& bytes)
{
  if (bytes.size() < 88) throw EInvalidGraphic("Not an enhanced metafile");
  Reader head(bytes, 0, bytes.size());
  if (head.U32() != EMR_HEADER) throw EInvalidGraphic("Not an enhanced metafile");
  const uint32_t headerSize = head.U32();
  const TRect bounds = head.Rect();
  head.Rect();
  if (head.U32() != EmfSignature || headerSize < 88 || headerSize > bytes.size())
    throw EInvalidGraphic("Not an enhanced metafile");

  auto data = std::make_shared<TMetafileData>();
  std::map<uint32_t, EmfObject> objects;
  EmfObject pen, brush, font;
  pen.kind = EmfObject::Pen;
  brush.kind = EmfObject::Brush;
  font.kind = EmfObject::Font;
  TPenMode mode = pmCopy;
  TColor textColor = clBlack, bkColor = clWhite;
  bool opaque = true;
  uint32_t align = 0;
  bool hasClip = false;
  TRect clip;
  TPoint position;

  auto start = [&](RecKind kind) {
    MetaRecord r;
    r.kind = kind;
    r.penStyle = pen.penStyle;
    r.penWidth = pen.penWidth;
    r.penColor = pen.penColor;
    r.penMode = mode;
    r.brushStyle = brush.brushStyle;
    r.brushColor = brush.brushColor;
    r.hasClip = hasClip;
    r.clip = clip;
    return r;
  };

  size_t pos = headerSize;
  bool ended = false;
  while (!ended && pos + 8 <= bytes.size()) {
    Reader rd(bytes, pos, bytes.size());
    const uint32_t type = rd.U32();
    const uint32_t size = rd.U32();
    if (size < 8 || size % 4 || pos + size > bytes.size()) throw EInvalidGraphic("Damaged enhanced metafile");
    Reader r(bytes, pos + 8, pos + size);
    switch (type) {
    case EMR_EOF: ended = true; break;
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIER: {
      const bool small = type >= EMR_POLYBEZIER16;
      r.Rect();
      const uint32_t n = r.U32();
      if (static_cast<uint64_t>(n) * (small ? 4 : 8) > size) throw EInvalidGraphic("Damaged enhanced metafile");
      RecKind kind = (type == EMR_POLYGON16 || type == EMR_POLYGON)     ? RecKind::Polygon
                     : (type == EMR_POLYLINE16 || type == EMR_POLYLINE) ? RecKind::Polyline
                                                                        : RecKind::PolyBezier;
      MetaRecord m = start(kind);
      m.first = static_cast<uint32_t>(data->points.size());
      m.count = n;
      data->points.reserve(data->points.size() + n);
      for (uint32_t i = 0; i < n; ++i) {
        if (small) {
          int16_t x = r.I16(), y = r.I16();
          data->points.push_back({x, y});
        } else {
          int32_t x = r.I32(), y = r.I32();
          data->points.push_back({x, y});
        }
      }
      data->records.push_back(std::move(m));
      break;
    }
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
    case EMR_ROUNDRECT:
    case EMR_ARC:
    case EMR_PIE:
    case EMR_CHORD: {
      TRect b = r.Rect();
      RecKind kind = type == EMR_RECTANGLE ? RecKind::Rectangle
                     : type == EMR_ELLIPSE ? RecKind::Ellipse
                     : type == EMR_ROUNDRECT ? RecKind::RoundRect
                     : type == EMR_ARC       ? RecKind::Arc
                     : type == EMR_PIE       ? RecKind::Pie
                                             : RecKind::Chord;
      MetaRecord m = start(kind);
      TPoint pts[4] = {{b.Left, b.Top}, {b.Right, b.Bottom}};
      const int extra = kind == RecKind::RoundRect ? 1 : (kind == RecKind::Rectangle || kind == RecKind::Ellipse) ? 0 : 2;
      for (int i = 0; i < extra; ++i) {
        int32_t x = r.I32(), y = r.I32();
        pts[2 + i] = {x, y};
      }
      if (kind == RecKind::Rectangle && m.penStyle == psClear) {
        // An outline-free rectangle is a fill of one pixel less.
        m.kind = RecKind::FillRect;
        pts[1] = {Clamped(int64_t{b.Right} - 1), Clamped(int64_t{b.Bottom} - 1)};
        if (m.brushStyle == bsClear) break;
      }
      data->Add(std::move(m), std::span<const TPoint>(pts, static_cast<size_t>(2 + extra)));
      break;
    }
    case EMR_MOVETOEX: {
      int32_t x = r.I32(), y = r.I32();
      position = {x, y};
      break;
    }
    case EMR_LINETO: {
      int32_t x = r.I32(), y = r.I32();
      data->Add(start(RecKind::Polyline), {position, {x, y}});
      position = {x, y};
      break;
    }
    case EMR_SETPIXELV: {
      int32_t x = r.I32(), y = r.I32();
      MetaRecord m = start(RecKind::Pixel);
      m.X().pixelColor = FromColorRef(r.U32());
      data->Add(std::move(m), {{x, y}});
      break;
    }
    case EMR_CREATEPEN: {
      uint32_t h = r.U32();
      EmfObject o;
      o.kind = EmfObject::Pen;
      o.penStyle = PenStyleOf(r.U32());
      // Width 0 (or less) is the pen of one pixel, which the writer writes as 0: read as the width
      // the recording canvas gives it.
      o.penWidth = std::clamp(r.I32(), 1, kMaxPenWidth);
      r.I32();
      o.penColor = FromColorRef(r.U32());
      // Pens and brushes that draw nothing are read as one such pen and brush: what they do not
      // draw is not kept, and the picture saves as it reads.
      if (o.penStyle == psClear) o.penWidth = 1, o.penColor = clBlack;
      objects[h] = o;
      break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
      uint32_t h = r.U32();
      EmfObject o;
      o.kind = EmfObject::Brush;
      uint32_t style = r.U32();
      o.brushColor = FromColorRef(r.U32());
      uint32_t hatch = r.U32();
      o.brushStyle = style == 1 ? bsClear : style == 2 ? static_cast<TBrushStyle>(bsHorizontal + std::min(hatch, 5u)) : bsSolid;
      if (o.brushStyle == bsClear) o.brushColor = clWhite;
      objects[h] = o;
      break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
      uint32_t h = r.U32();
      EmfObject o;
      o.kind = EmfObject::Font;
      o.font.height = r.I32();
      r.I32();
      o.font.orientation = r.I32();
      r.I32();
      const int32_t weight = r.I32();
      const uint8_t italic = r.U8(), underline = r.U8(), strike = r.U8();
      o.font.charset = r.U8();
      r.U8();
      r.U8();
      o.font.quality = static_cast<TFontQuality>(std::min<uint8_t>(r.U8(), fqClearType));
      r.U8();
      std::u16string face;
      for (int i = 0; i < 32; ++i) {
        char16_t ch = static_cast<char16_t>(r.U16());
        if (ch == 0) break;
        face.push_back(ch);
      }
      o.font.name = QString::fromStdU16String(face).toStdString();
      o.font.style = static_cast<TFontStyles>((weight >= 600 ? fsBold : 0) | (italic ? fsItalic : 0) |
                                              (underline ? fsUnderline : 0) | (strike ? fsStrikeOut : 0));
      objects[h] = o;
      break;
    }
    case EMR_SELECTOBJECT: {
      uint32_t h = r.U32();
      if (h & StockObject) {
        switch (h & 0xFF) {
        case NULL_PEN: pen.penStyle = psClear, pen.penWidth = 1, pen.penColor = clBlack; break;
        case BLACK_PEN: pen.penStyle = psSolid, pen.penWidth = 1, pen.penColor = clBlack; break;
        case WHITE_PEN: pen.penStyle = psSolid, pen.penWidth = 1, pen.penColor = clWhite; break;
        case NULL_BRUSH: brush.brushStyle = bsClear, brush.brushColor = clWhite; break;
        case WHITE_BRUSH: brush.brushStyle = bsSolid, brush.brushColor = clWhite; break;
        case BLACK_BRUSH: brush.brushStyle = bsSolid, brush.brushColor = clBlack; break;
        case 1: brush.brushStyle = bsSolid, brush.brushColor = 0xC0C0C0; break;
        case 2: brush.brushStyle = bsSolid, brush.brushColor = 0x808080; break;
        case 3: brush.brushStyle = bsSolid, brush.brushColor = 0x404040; break;
        default: break;
        }
      } else if (auto it = objects.find(h); it != objects.end()) {
        const EmfObject& o = it->second;
        if (o.kind == EmfObject::Pen) pen = o;
        if (o.kind == EmfObject::Brush) brush = o;
        if (o.kind == EmfObject::Font) font = o;
      }
      break;
    }
    case EMR_DELETEOBJECT: objects.erase(r.U32()); break;
    case EMR_SETROP2: mode = gfx::ModeOfRop2(static_cast<int>(r.U32())); break;
    case EMR_SETTEXTCOLOR: textColor = FromColorRef(r.U32()); break;
    case EMR_SETBKCOLOR: bkColor = FromColorRef(r.U32()); break;
    case EMR_SETBKMODE: opaque = r.U32() == 2; break;
    case EMR_SETTEXTALIGN: align = r.U32(); break;
    case EMR_SELECTCLIPRGN:
      if (r.U32() == 0) hasClip = false;
      break;
    case EMR_INTERSECTCLIPRECT: {
      TRect c = r.Rect();
      if (hasClip) {
        c.Left = std::max(c.Left, clip.Left);
        c.Top = std::max(c.Top, clip.Top);
        c.Right = std::min(c.Right, clip.Right);
        c.Bottom = std::min(c.Bottom, clip.Bottom);
      }
      hasClip = true;
      clip = c;
      break;
    }
    case EMR_EXTTEXTOUTW: {
      r.Rect();
      r.U32();
      r.U32();
      r.U32();
      const int32_t x = r.I32(), y = r.I32();
      const uint32_t n = r.U32(), off = r.U32(), options = r.U32();
      const TRect rc = r.Rect();
      if (off < 8 || static_cast<uint64_t>(off) + 2ull * n > size) throw EInvalidGraphic("Damaged enhanced metafile");
      Reader s(bytes, pos + off, pos + size);
      std::u16string text;
      for (uint32_t i = 0; i < n; ++i) text.push_back(static_cast<char16_t>(s.U16()));
      if (text.empty() && !(options & ETO_CLIPPED)) break;  // draws nothing (a clipped one may paint its box)
      MetaRecord m = start(RecKind::Text);
      m.X().font = font.font;
      m.X().font.color = textColor;
      m.X().textAlign = align & ~TA_UPDATECP;
      m.X().opaqueText = opaque;
      m.X().bkColor = bkColor;
      m.X().text = QString::fromStdU16String(text).toStdString();
      m.X().textClipped = (options & ETO_CLIPPED) != 0;
      m.X().textRect = rc;
      data->Add(std::move(m), {{x, y}});
      break;
    }
    case EMR_STRETCHDIBITS: {
      r.Rect();
      const int32_t xd = r.I32(), yd = r.I32();
      r.I32();
      r.I32();
      r.I32();
      r.I32();
      const uint32_t offBmi = r.U32();
      r.U32();
      const uint32_t offBits = r.U32(), cbBits = r.U32();
      r.U32();
      r.U32();
      const int32_t cxd = r.I32(), cyd = r.I32();
      if (static_cast<uint64_t>(offBmi) + 40 > size) throw EInvalidGraphic("Damaged enhanced metafile");
      Reader h(bytes, pos + offBmi, pos + size);
      h.U32();
      const int32_t bw = h.I32(), bhSigned = h.I32();
      h.U16();
      const uint16_t bits = h.U16();
      const uint32_t compression = h.U32();
      const int64_t bh = std::abs(int64_t{bhSigned});
      if (bits != 24 || compression != 0 || bw <= 0 || bh <= 0 || bw > 65536 || bh > 65536) break;
      const uint64_t stride = (static_cast<uint64_t>(bw) * 3 + 3) / 4 * 4;
      if (stride * bh > cbBits || static_cast<uint64_t>(offBits) + stride * bh > size)
        throw EInvalidGraphic("Damaged enhanced metafile");
      auto bmp = std::make_shared<TBitmap>();
      bmp->SetPixelFormat(pf24bit);
      bmp->SetSize(bw, static_cast<int32_t>(bh));
      for (int32_t y = 0; y < bh; ++y) {
        const int64_t srcRow = bhSigned > 0 ? bh - 1 - y : y;
        std::memcpy(bmp->ScanLine(y), bytes.data() + pos + offBits + stride * srcRow, static_cast<size_t>(bw) * 3);
      }
      MetaRecord m = start(RecKind::Picture);
      m.X().graphic = bmp;
      data->Add(std::move(m), {{xd, yd}, {Clamped(int64_t{xd} + cxd), Clamped(int64_t{yd} + cyd)}});
      break;
    }
    default: break;
    }
    pos += size;
  }
  // A side beyond 2^22 pixels is no picture (and could not be saved again).
  const int64_t w = int64_t{bounds.Right} - bounds.Left + 1, h = int64_t{bounds.Bottom} - bounds.Top + 1;
  if (w > (1 << 22) || h > (1 << 22)) throw EInvalidGraphic("Damaged enhanced metafile");
  width_ = static_cast<int32_t>(std::max<int64_t>(0, w));
  height_ = static_cast<int32_t>(std::max<int64_t>(0, h));
  data->Seal();
  data_ = data;
  Changed();
}
