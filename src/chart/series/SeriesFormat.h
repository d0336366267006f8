#pragma once
// The series appearance settings text: one "~"-separated line (42 fields) with the series' colour,
// flags, brush, pen, marks and pointer, a block of fields of the series type, the gallery name of
// the series type (field 41) and the text's version (field 42). Nested objects are brush ("#"),
// gradient ("$"), font ("^"), pen ("&") and shadow ("@") texts.
//
//  1 SeriesColor (as stored)   2 ColorEachPoint   3 ShowInLegend   4 Active   5 Brush   6 Pen   7 Depth
//  8 marks Visible   9 marks Style   10 marks Transparent   11 marks Font   12 marks frame Pen
// 13 marks ArrowLength   14 marks Brush   15 marks Gradient   16 marks Shadow   17 marks Arrow pen
// 18 marks Angle   19 marks Clip   20 marks BackColor   21 marks MultiLine   22 marks DrawEvery
// 23 has a pointer   24-34 pointer Visible, HorizSize, VertSize, Style, Brush, Pen, Draw3D, Dark3D,
//    InflateMargins, Transparency, Gradient (a series without pointer writes a new pointer's and
//    ignores them)   35-40 fields of the series type (surface: UseColorRange, StartColor, EndColor,
//    WireFrame; others "0")   41 gallery name   42 version "1".
//
// The reader checks the whole text before anything changes and applies it through the setters.
#include <string>

class TChartSeries;

// False, with the series unchanged, when Series or Text is empty, Text has fewer than 42 fields,
// field 41 is not the gallery name of the series' type or holds "error", or any field is damaged.
bool SeriesFormatFromText(TChartSeries* series, const std::string& text);
void SeriesFormatToText(TChartSeries* series, std::string& text);
std::string SeriesFormatToText(TChartSeries* series);

// Gallery texts of the series types of this library (the message table has none for them).
extern std::string NuvMsg_GallerySurface;  // "Surface"
extern std::string NuvMsg_Gallery3D;       // "3D"

// Registers the series types and tools of this library, installs the settings-text reader and
// writer in the chart model. Runs once; later calls do nothing. The program calls it at start-up;
// the first surface series, rotate tool or image tool made runs it too.
void NuvSeriesStartup();
