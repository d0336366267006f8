#include "chart/model/NvEngineStream.h"

#include <cstring>

#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineSeries.h"

namespace {

bool HasSeriesColorOnly(const TChartSeries* s, int32_t i)
{
  const TColor c = s->GetStoredColor(i);
  return c == clDefault || c == s->GetSeriesColor();
}

// ---- Little-endian writing ----
void PutBytes(std::vector<uint8_t>& out, const void* p, size_t n)
{
  const auto* b = static_cast<const uint8_t*>(p);
  out.insert(out.end(), b, b + n);
}
void PutInt32(std::vector<uint8_t>& out, int32_t v)
{
  const uint32_t u = static_cast<uint32_t>(v);
  const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                        static_cast<uint8_t>(u >> 24)};
  PutBytes(out, b, 4);
}
void PutDouble(std::vector<uint8_t>& out, double d)
{
  uint64_t u;
  std::memcpy(&u, &d, 8);
  uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(u >> (8 * i));
  PutBytes(out, b, 8);
}
void PutPoint(std::vector<uint8_t>& out, TPoint p)
{
  PutInt32(out, p.x);
  PutInt32(out, p.y);
}

// ---- Checked reading ----
class BlockReader {
public:
  BlockReader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  size_t Left() const { return left_; }
  const uint8_t* Take(size_t n)
  {
    if (n > left_) throw EReadError("Stream read error: the series data block is too short");
    const uint8_t* r = p_;
    p_ += n;
    left_ -= n;
    return r;
  }
  uint8_t Byte() { return *Take(1); }
  int32_t Int32()
  {
    const uint8_t* b = Take(4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
  }
  double Double()
  {
    const uint8_t* b = Take(8);
    uint64_t u = 0;
    for (int i = 0; i < 8; ++i) u |= static_cast<uint64_t>(b[i]) << (8 * i);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
  }
  TPoint Point()
  {
    TPoint p;
    p.x = Int32();
    p.y = Int32();
    return p;
  }
  bool Bool()
  {
    const uint8_t b = Byte();
    if (b > 1) throw EReadError("Stream read error: invalid Boolean in the series data block");
    return b == 1;
  }

private:
  const uint8_t* p_;
  size_t left_;
};

struct ReadPoint {
  double First = 0, Second = 0;
  TColor Color = clDefault;
  std::string Label;
  std::vector<double> Extra;
  std::unique_ptr<TSeriesMarkPosition> Position;
};

}  // namespace

bool SeriesNeedsXValues(const TChartSeries* s)
{
  if (!s->UseXValuesInStream || s->Count() == 0) return false;
  const TChartValueList* x = s->NotMandatoryValueList();
  for (int32_t i = 0; i < s->Count(); ++i)
    if (x->Value(i) != static_cast<double>(i)) return true;
  return false;
}

bool SeriesNeedsColors(const TChartSeries* s)
{
  if (!s->HasColors()) return false;
  for (int32_t i = 0; i < s->Count(); ++i)
    if (!HasSeriesColorOnly(s, i)) return true;
  return false;
}

bool SeriesNeedsLabels(const TChartSeries* s)
{
  const TLabelsList* labels = s->Labels();
  if (labels->Empty()) return false;
  const int32_t n = std::min(labels->Count(), s->Count());
  for (int32_t i = 0; i < n; ++i)
    if (labels->HasLabel(i) && !labels->GetLabel(i).empty()) return true;
  return false;
}

bool SeriesNeedsMarkPositions(const TChartSeries* s)
{
  const TSeriesMarks* marks = s->GetMarks();
  if (!marks) return false;
  const TSeriesMarksPositions& pos = marks->Positions();
  for (int32_t i = 0; i < pos.Count(); ++i)
    if (const TSeriesMarkPosition* p = pos.Position(i); p && p->Custom) return true;
  return false;
}

uint8_t GetSeriesDataFlags(const TChartSeries* s)
{
  uint8_t flags = 0;
  if (SeriesNeedsXValues(s)) flags |= sdfXValues;
  if (SeriesNeedsColors(s)) flags |= sdfColors;
  if (SeriesNeedsLabels(s)) flags |= sdfLabels;
  if (SeriesNeedsMarkPositions(s)) flags |= sdfMarkPositions;
  return flags;
}

void WriteSeriesData(const TChartSeries* s, std::vector<uint8_t>& stream)
{
  const uint8_t flags = GetSeriesDataFlags(s);
  const int32_t count = s->Count();
  if (flags & sdfLabels)
    for (int32_t i = 0; i < count; ++i)
      if (s->Labels()->GetLabel(i).size() > 255)
        throw ERangeError("Range check error: the label of point " + std::to_string(i) +
                          " is longer than 255 characters and cannot be stored");
  const TChartValueLists& lists = *const_cast<TChartSeries*>(s)->ValuesList();
  const TChartValueList* first = s->NotMandatoryValueList();
  const TChartValueList* second = s->MandatoryValueList();
  std::vector<uint8_t> out;
  out.push_back(flags);
  PutInt32(out, count);
  for (int32_t i = 0; i < count; ++i) {
    if (flags & sdfXValues) PutDouble(out, first->Value(i));
    PutDouble(out, second->Value(i));
    if (flags & sdfColors) PutInt32(out, static_cast<int32_t>(s->GetStoredColor(i)));
    if (flags & sdfLabels) {
      const std::string label = s->Labels()->GetLabel(i);
      out.push_back(static_cast<uint8_t>(label.size()));
      PutBytes(out, label.data(), label.size());
    }
    for (int32_t l = 2; l < lists.Count(); ++l) PutDouble(out, lists[l]->Value(i));
    if (flags & sdfMarkPositions) {
      // A point without a stored position writes an empty, non-custom one.
      const TSeriesMarkPosition* p = s->GetMarks()->Positions().Position(i);
      const TSeriesMarkPosition empty;
      if (!p) p = &empty;
      PutPoint(out, p->ArrowStart);
      out.push_back(p->ArrowFixed ? 1 : 0);
      PutPoint(out, p->ArrowEnd);
      out.push_back(p->Custom ? 1 : 0);
      PutInt32(out, p->Height);
      PutPoint(out, p->TopLeft);
      PutInt32(out, p->Width);
    }
  }
  stream.insert(stream.end(), out.begin(), out.end());
}

void ReadSeriesData(TChartSeries* s, const uint8_t* data, size_t size)
{
  BlockReader r(data, size);
  const uint8_t flags = r.Byte();
  if (flags & 0xF0) throw EReadError("Stream read error: unknown flags in the series data block");
  const int32_t count = r.Int32();
  if (count < 0) throw EReadError("Stream read error: negative point count in the series data block");
  const int32_t extra = std::max(0, s->ValuesList()->Count() - 2);
  const size_t minRecord = 8 + ((flags & sdfXValues) ? 8 : 0) + ((flags & sdfColors) ? 4 : 0) +
                           ((flags & sdfLabels) ? 1 : 0) + 8 * static_cast<size_t>(extra) +
                           ((flags & sdfMarkPositions) ? SeriesMarkPositionSize : 0);
  if (static_cast<uint64_t>(count) * minRecord > r.Left())
    throw EReadError("Stream read error: the series data block is shorter than its point count");

  // The whole block first: nothing changes unless it is complete and consistent.
  std::vector<ReadPoint> points(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    ReadPoint& p = points[static_cast<size_t>(i)];
    p.First = (flags & sdfXValues) ? r.Double() : static_cast<double>(i);
    p.Second = r.Double();
    if (flags & sdfColors) p.Color = static_cast<TColor>(r.Int32());
    if (flags & sdfLabels) {
      const uint8_t n = r.Byte();
      const uint8_t* b = r.Take(n);
      p.Label.assign(reinterpret_cast<const char*>(b), n);
    }
    p.Extra.resize(static_cast<size_t>(extra));
    for (double& v : p.Extra) v = r.Double();
    if (flags & sdfMarkPositions) {
      p.Position = std::make_unique<TSeriesMarkPosition>();
      p.Position->ArrowStart = r.Point();
      p.Position->ArrowFixed = r.Bool();
      p.Position->ArrowEnd = r.Point();
      p.Position->Custom = r.Bool();
      p.Position->Height = r.Int32();
      p.Position->TopLeft = r.Point();
      p.Position->Width = r.Int32();
    }
  }
  if (r.Left() != 0) throw EReadError("Stream read error: the series data block is longer than its point count");

  s->Clear();
  s->BeginUpdate();
  struct EndUpdateGuard {
    TChartSeries* s;
    ~EndUpdateGuard() { s->EndUpdate(); }
  } guard{s};
  const bool horizontal = s->MandatoryValueList() != s->YValues();
  TChartValueLists& lists = *s->ValuesList();
  for (int32_t i = 0; i < count; ++i) {
    ReadPoint& p = points[static_cast<size_t>(i)];
    double x = p.First, y = p.Second;
    if (horizontal) std::swap(x, y);
    for (int32_t l = 0; l < extra; ++l) lists[l + 2]->TempValue = p.Extra[static_cast<size_t>(l)];
    s->AddXY(x, y, p.Label, p.Color);
    if (p.Position) {
      TSeriesMarkPosition* dest = s->GetMarks()->Positions().Ensure(i);
      *dest = *p.Position;
    }
  }
  s->ManualData = true;
}

void DefineSeriesDataProperty(TChartSeries* series, TFiler* filer)
{
  filer->DefineProperty(
      "Data",
      [series](const TStreamValue& v) {
        const auto* block = std::get_if<std::vector<uint8_t>>(&v);
        if (!block) throw EReadError("Stream read error: the series \"Data\" property is not a binary block");
        ReadSeriesData(series, *block);
      },
      [series]() -> TStreamValue {
        std::vector<uint8_t> block;
        WriteSeriesData(series, block);
        return block;
      },
      series->IsDataStored());
}
