#pragma once
// The series "Data" stream property: the point count and, per point, the values of every value
// list and, when needed, the X values, point colours, labels and custom mark positions.
// Little-endian integers, IEEE doubles, no padding:
//   flags (1 byte: 1 X values, 2 colours, 4 labels, 8 mark positions), count (int32), then per
//   point: [X double] Y double [colour int32] [length byte + label bytes] extra doubles [34-byte mark position].
// The writer examines every point; the reader checks every length and count against the block
// and raises EReadError on a short, over-long or inconsistent block before the series changes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Types.h"

class TChartSeries;
class TFiler;

class EReadError : public Exception { public: using Exception::Exception; };

constexpr uint8_t sdfXValues = 1, sdfColors = 2, sdfLabels = 4, sdfMarkPositions = 8;
constexpr size_t SeriesMarkPositionSize = 34;

bool SeriesNeedsXValues(const TChartSeries* series);
bool SeriesNeedsColors(const TChartSeries* series);
bool SeriesNeedsLabels(const TChartSeries* series);
bool SeriesNeedsMarkPositions(const TChartSeries* series);
uint8_t GetSeriesDataFlags(const TChartSeries* series);

// Appends the block. A label longer than 255 bytes raises ERangeError before anything is written.
void WriteSeriesData(const TChartSeries* series, std::vector<uint8_t>& stream);
// Replaces the points of the series by those of the block. The whole block is checked first: a
// damaged one raises EReadError and leaves the series as it was. When adding a point fails, the
// points added so far stay, the update count is restored and ManualData is unchanged.
void ReadSeriesData(TChartSeries* series, const uint8_t* data, size_t size);
inline void ReadSeriesData(TChartSeries* series, const std::vector<uint8_t>& block)
{
  ReadSeriesData(series, block.data(), block.size());
}

// Defines the binary "Data" property of a series on Filer: written when the series stores its
// data (ForceSaveData, or ManualData without DontSaveData), read into the series.
void DefineSeriesDataProperty(TChartSeries* series, TFiler* filer);
