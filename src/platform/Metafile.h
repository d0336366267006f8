#pragma once
// Recorded pictures: a TMetafileCanvas records drawing calls into a TMetafile, which replays them
// onto any canvas stretched to any rectangle (no raster at the recorded size is ever made) and
// saves them as an enhanced metafile (.emf) that other programs open.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Graphics.h"

struct TMetafileData;

class TMetafile : public TGraphic {
public:
  TMetafile();
  ~TMetafile() override;

  // Logical size of the picture in pixels; recorded coordinates are relative to it.
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  void SetWidth(int32_t w);
  void SetHeight(int32_t h);
  void SetSize(int32_t w, int32_t h);
  // Drops every record (the size stays).
  void Clear();
  // Number of recorded drawing calls.
  size_t RecordCount() const;

  // Solid outline-free polygons replayed onto a bitmap are filled straight into its rows (on by
  // default); off, they go through the painter, whose pixels the own fill matches.
  static void SetOwnPolygonFill(bool on);
  static bool OwnPolygonFill();
  // Solid polylines one pixel wide likewise set their pixels straight into the bitmap's rows (on
  // by default); off, the painter's one-pixel pen draws them.
  static void SetOwnPolylines(bool on);
  static bool OwnPolylines();

  // Replays the records onto canvas, stretched so that the picture fills r.
  void Draw(TCanvas* canvas, const TRect& r) override;
  // Enhanced metafile (EMR_HEADER ... EMR_EOF).
  void SaveToFile(const std::string& fileName) override;
  // Reads an enhanced metafile; the records this class writes are understood, others skipped.
  // Raises EInvalidGraphic when the file is not an enhanced metafile.
  void LoadFromFile(const std::string& fileName) override;
  // Bytes of the enhanced metafile (what SaveToFile writes).
  std::string SaveToBytes() const;
  void LoadFromBytes(const std::string& bytes) override;
  void Assign(const TPersistent* source) override;

private:
  friend class TMetafileCanvas;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::shared_ptr<TMetafileData> data_;
  std::shared_ptr<TMetafileData> spare_;  // storage of cleared records, for the next recording
  size_t lastRecords_ = 0, lastPoints_ = 0;  // sizes of the records cleared last
};

// A canvas that records into a metafile. The records replace the metafile's content when the
// canvas is destroyed (or Finish is called); until then the metafile keeps its old picture.
class TMetafileCanvas : public TCanvas {
public:
  explicit TMetafileCanvas(TMetafile* metafile);
  ~TMetafileCanvas() override;
  // Hands the records to the metafile now; later drawing is dropped.
  void Finish();

  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void FillRect(const TRect& r) override;
  void FrameRect(const TRect& r) override;
  void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) override;
  void Polygon(const std::vector<TPoint>& points) override;
  void Polyline(const std::vector<TPoint>& points) override;
  void PolyBezier(const std::vector<TPoint>& points) override;
  // Records what Polygon(points) records after Brush()->SetStyle(bsSolid) and
  // Brush()->SetColor(color), for callers that record many filled figures from their own arrays
  // (an override of Polygon does not see these).
  void FillPolygon(std::span<const TPoint> points, TColor color);
  void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void Pie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void Chord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) override;
  void TextOut(int32_t x, int32_t y, const std::string& text) override;
  void TextRect(const TRect& r, int32_t x, int32_t y, const std::string& text) override;
  TSize TextExtent(const std::string& text) override;
  void Draw(int32_t x, int32_t y, TGraphic* graphic) override;
  void StretchDraw(const TRect& r, TGraphic* graphic) override;
  TColor GetPixel(int32_t x, int32_t y) override;
  void SetPixel(int32_t x, int32_t y, TColor color) override;
  TRect GetClipRect() override;
  TSize DeviceSize() const override;

private:
  struct Impl;
  TMetafile* metafile_;
  std::unique_ptr<Impl> impl_;
};
