#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "TestSupport.h"
#include "chart/canvas/NuvProcs.h"
#include "platform/Gdi.h"
#include "platform/Metafile.h"
#include "platform/PanelWidget.h"
#include "platform/Printers.h"

namespace {

using Log = std::vector<std::string>;

// A GDI surface that logs the start and end of each drawing.
class LogCanvas : public TNuvCanvas3D {
public:
  Log* log = nullptr;
  bool fullRotation = false;
  TRect InitWindow(TCanvas* dest, TView3DOptions* options, TColor back, bool is3D, const TRect& r) override
  {
    if (log) log->push_back("InitWindow");
    return TNuvCanvas3D::InitWindow(dest, options, back, is3D, r);
  }
  void ShowImage(TCanvas* dest, TCanvas* def, const TRect& r) override
  {
    if (log) log->push_back("ShowImage");
    TNuvCanvas3D::ShowImage(dest, def, r);
  }
  bool SupportsFullRotation() override { return fullRotation; }
};

// Paints its background, then a red block in the chart rectangle.
class TestPanel : public TCustomNuvPanelExtended {
public:
  explicit TestPanel(TComponent* owner = nullptr) : TCustomNuvPanelExtended(owner) {}
  Log* log = nullptr;
  TRect seenChartRect;
  TColor block = clRed;
  void InternalDraw(const TRect& r) override
  {
    if (log) log->push_back("InternalDraw");
    seenChartRect = ChartRect;
    DrawPanelBackground(r);
    if (block != clNone) {
      Canvas()->Brush()->SetStyle(bsSolid);
      Canvas()->Brush()->SetColor(block);
      Canvas()->FillRect(ChartRect);
    }
  }
  using TCustomNuvPanel::Paint;
};

TColor Pixel(TBitmap* b, int x, int y) { return b->Canvas()->GetPixel(x, y) & 0xFFFFFF; }

// Reads a picture file with ImageMagick into rows of 0x00BBGGRR.
bool ReadWithImageMagick(const std::string& file, int w, int h, std::vector<TColor>& out)
{
  testsupport::TempDir dir;
  const std::string raw = dir.file("out.rgb");
  const std::string cmd = "convert '" + file + "' -depth 8 rgb:'" + raw + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return false;
  const std::string bytes = testsupport::ReadAll(raw);
  if (bytes.size() != static_cast<size_t>(w * h * 3)) return false;
  out.resize(static_cast<size_t>(w * h));
  for (int i = 0; i < w * h; ++i) {
    auto c = [&](int k) { return static_cast<uint8_t>(bytes[static_cast<size_t>(i * 3 + k)]); };
    out[static_cast<size_t>(i)] = RGB(c(0), c(1), c(2));
  }
  return true;
}

// Whether a shell command succeeds (used to find the independent readers).
bool Succeeds(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

uint32_t U32(const std::string& s, size_t at)
{
  uint32_t v;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}

struct Listener : INuvEventListener {
  Log* log;
  std::string name;
  bool cancel = false;
  Listener(Log* l, std::string n) : log(l), name(std::move(n)) {}
  void HandleEvent(TNuvEvent* e) override
  {
    if (auto* m = dynamic_cast<TNuvMouseEvent*>(e)) {
      log->push_back(name + ":mouse" + std::to_string(m->Event) + "@" + std::to_string(m->X) + "," +
                     std::to_string(m->Y));
      if (cancel) e->Sender->CancelMouse = true;
    } else if (dynamic_cast<TNuvView3DEvent*>(e)) {
      log->push_back(name + ":view3d");
    }
  }
};

}  // namespace

TEST(PanelDraw, PaintOrderReachesEveryStep)
{
  Log log;
  TestPanel panel;
  panel.log = &log;
  panel.OnPaint = [&](TObject*) { log.push_back("OnPaint"); };
  auto surface = std::make_unique<LogCanvas>();
  surface->log = &log;
  // Swapping the surface repaints the panel at once.
  panel.SetCanvas(std::move(surface));
  EXPECT_EQ(log, (Log{"InitWindow", "InternalDraw", "ShowImage", "OnPaint"}));
  // The chart rectangle is ready before the content is drawn.
  EXPECT_EQ(panel.seenChartRect, panel.ChartRect);

  // A repaint of an unchanged panel reuses the kept picture; a change draws again.
  log.clear();
  panel.PaintBuffer();
  EXPECT_EQ(log, (Log{"OnPaint"}));
  log.clear();
  panel.SetMarginLeft(10);
  panel.PaintBuffer();
  EXPECT_EQ(log, (Log{"InitWindow", "InternalDraw", "ShowImage", "OnPaint"}));
  EXPECT_EQ(Pixel(panel.BackBuffer(), 200, 125), clRed);
}

TEST(PanelDraw, MarginsGiveChartRectangle)
{
  TestPanel panel;
  panel.SetBevelOuter(bvNone);
  panel.PaintBuffer();
  EXPECT_EQ(panel.GetWidth(), 400);
  EXPECT_EQ(panel.GetHeight(), 250);
  EXPECT_EQ(panel.ChartRect, Rect(12, 10, 388, 240));
  EXPECT_EQ(panel.ChartWidth, 376);
  EXPECT_EQ(panel.ChartHeight, 230);
  EXPECT_EQ(panel.ChartXCenter, 200);
  EXPECT_EQ(panel.ChartYCenter, 125);

  panel.SetMarginUnits(muPixels);
  panel.SetMarginLeft(5);
  panel.SetMarginTop(6);
  panel.SetMarginRight(7);
  panel.SetMarginBottom(8);
  panel.PaintBuffer();
  EXPECT_EQ(panel.ChartRect, Rect(5, 6, 393, 242));

  // Bevels and a visible border take their widths on every side.
  panel.SetBevelOuter(bvRaised);
  panel.SetBevelInner(bvLowered);
  panel.SetBevelWidth(2);
  panel.GetBorder()->SetVisible(true);
  panel.GetBorder()->SetWidth(3);
  panel.PaintBuffer();
  EXPECT_EQ(panel.ChartRect, Rect(5 + 7, 6 + 7, 393 - 7, 242 - 7));

  // A collapsed rectangle keeps a width of 1; one of width exactly 0 takes the control's width.
  panel.SetBevelOuter(bvNone);
  panel.SetBevelInner(bvNone);
  panel.GetBorder()->SetVisible(false);
  panel.SetMarginLeft(300);
  panel.SetMarginRight(200);
  panel.PaintBuffer();
  EXPECT_EQ(panel.ChartRect.Left, 300);
  EXPECT_EQ(panel.ChartRect.Right, 301);
  panel.SetMarginRight(100);
  panel.PaintBuffer();
  EXPECT_EQ(panel.ChartRect.Right, 700);
  EXPECT_EQ(panel.ChartWidth, 400);

  EXPECT_THROW(panel.SetMargin(4, 1), ERangeError);
  EXPECT_THROW(panel.GetMargin(-1), ERangeError);
}

TEST(PanelEvents, ListenersInOrderAndCancelMouse)
{
  Log log;
  TestPanel panel;
  Listener a(&log, "a"), b(&log, "b"), c(&log, "c");
  EXPECT_EQ(panel.Listeners()->Add(&a), 0);
  EXPECT_EQ(panel.Listeners()->Add(&b), 1);
  EXPECT_EQ(panel.Listeners()->Add(&c), 2);
  EXPECT_EQ(panel.Listeners()->Add(&a), 0);
  panel.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { log.push_back("OnMouseDown"); };
  b.cancel = true;
  panel.MouseDown(mbLeft, 0, 5, 6);
  EXPECT_EQ(log, (Log{"OnMouseDown", "a:mouse0@5,6", "b:mouse0@5,6"}));

  // Each new mouse event starts uncancelled.
  log.clear();
  b.cancel = false;
  panel.MouseMove(0, 7, 8);
  EXPECT_EQ(log, (Log{"a:mouse2@7,8", "b:mouse2@7,8", "c:mouse2@7,8"}));

  log.clear();
  panel.SetView3D(false);
  panel.SetView3D(false);
  EXPECT_EQ(log, (Log{"a:view3d", "b:view3d", "c:view3d"}));

  EXPECT_EQ(panel.Listeners()->Remove(&b), 1);
  EXPECT_EQ(panel.Listeners()->Remove(&b), -1);
  log.clear();
  panel.MouseUp(mbRight, 0, 1, 2);
  EXPECT_EQ(log, (Log{"a:mouse1@1,2", "c:mouse1@1,2"}));

  // Leaving the control ends a drag in progress.
  panel.ZoomPanning()->Activate(3, 4);
  panel.MouseLeave();
  EXPECT_FALSE(panel.ZoomPanning()->Active);
}

TEST(PanelEvents, OwnedListenerLeavesOnDestruction)
{
  // A tool owned by the panel takes itself off the listener list when it is freed.
  struct Tool : TComponent, INuvEventListener {
    TCustomNuvPanel* panel;
    int* seen;
    Tool(TCustomNuvPanel* p, int* s) : TComponent(p), panel(p), seen(s) { panel->Listeners()->Add(this); }
    ~Tool() override { panel->RemoveListener(this); }
    void HandleEvent(TNuvEvent*) override { ++*seen; }
  };
  int seen = 0;
  auto* panel = new TestPanel();
  new Tool(panel, &seen);
  panel->MouseDown(mbLeft, 0, 1, 1);
  EXPECT_EQ(seen, 1);
  delete panel;
}

TEST(PanelExport, BitmapOpensInIndependentReader)
{
  testsupport::TempDir dir;
  TestPanel panel;
  panel.SetBounds(0, 0, 120, 80);
  panel.SetColor(clBlue);
  panel.PaintBuffer();
  const std::string file = dir.file("panel.bmp");
  panel.SaveToBitmapFile(file);
  std::vector<TColor> pixels;
  ASSERT_TRUE(ReadWithImageMagick(file, 120, 80, pixels));
  int mismatches = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x)
      if (pixels[static_cast<size_t>(y * 120 + x)] != Pixel(panel.BackBuffer(), x, y)) ++mismatches;
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(pixels[static_cast<size_t>(40 * 120 + 60)], clRed);
  EXPECT_EQ(pixels[static_cast<size_t>(3 * 120 + 2)], clBlue);

  // A surface that rotates fully always exports 24-bit pictures.
  auto surface = std::make_unique<LogCanvas>();
  surface->fullRotation = true;
  panel.SetCanvas(std::move(surface));
  EXPECT_EQ(panel.CreateBitmap(clWhite, Rect(0, 0, 50, 40), pf32bit)->GetPixelFormat(), pf24bit);
}

TEST(PanelExport, EnhancedMetafileHasHeaderAndReplays)
{
  testsupport::TempDir dir;
  TestPanel panel;
  panel.SetBounds(0, 0, 160, 100);
  panel.SetColor(clWhite);
  const std::string file = dir.file("panel.emf");
  panel.SaveToMetafile(file);
  const std::string bytes = testsupport::ReadAll(file);
  ASSERT_GE(bytes.size(), 108u);
  EXPECT_EQ(U32(bytes, 0), 1u);            // header record
  EXPECT_EQ(U32(bytes, 40), 0x464D4520u);  // " EMF"
  EXPECT_EQ(U32(bytes, 48), bytes.size());
  EXPECT_EQ(U32(bytes, bytes.size() - 20), 14u);  // end-of-file record last

  TMetafile replay;
  replay.LoadFromFile(file);
  TBitmap target;
  target.SetSize(160, 100);
  replay.Draw(target.Canvas(), Rect(0, 0, 160, 100));
  EXPECT_EQ(Pixel(&target, 80, 50), clRed);
  EXPECT_NE(Pixel(&target, 1, 1), clRed);
}

TEST(PanelPrint, PdfPageKeepsProportions)
{
  testsupport::TempDir dir;
  const std::string pdf = dir.file("chart.pdf");
  TestPanel panel;
  panel.SetBounds(0, 0, 400, 200);
  panel.SetBevelOuter(bvNone);
  panel.SetMarginUnits(muPixels);
  for (int i = 0; i < 4; ++i) panel.SetMargin(i, 0);
  panel.block = clBlack;
  bool printingSeen = false;
  panel.OnBeforePrint = [&](TObject*, TCanvas*, const TRect&) { printingSeen = panel.Printing; };
  TPrinter* printer = Printer();
  printer->SetOutputFileName(pdf);
  printer->BeginDoc();
  const TRect r = panel.CalcPrintRect();
  panel.PrintPartial(r);
  printer->EndDoc();
  printer->SetOutputFileName("");
  EXPECT_FALSE(panel.Printing);
  EXPECT_TRUE(printingSeen);

  // Wider than high: left and right margins 15, the printed rectangle two to one.
  EXPECT_EQ(panel.PrintMargins.Left, 15);
  EXPECT_EQ(panel.PrintMargins.Right, 15);
  EXPECT_NEAR(static_cast<double>(r.Width()) / r.Height(), 2.0, 0.06);

  if (!Succeeds("command -v gs")) GTEST_SKIP() << "no PDF reader (ghostscript) here";
  const std::string ppm = dir.file("page.ppm");
  const std::string cmd = "gs -q -dSAFER -sDEVICE=ppmraw -r40 -o '" + ppm + "' '" + pdf + "' 2>/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string img = testsupport::ReadAll(ppm);
  // P6 header: magic, width, height, maximum, with comment lines allowed in between.
  std::vector<int> fields;
  size_t pos = 2;
  while (fields.size() < 3 && pos < img.size()) {
    if (img[pos] == '#') {
      pos = img.find('\n', pos);
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(img[pos]))) {
      size_t end = pos;
      while (end < img.size() && std::isdigit(static_cast<unsigned char>(img[end]))) ++end;
      fields.push_back(std::stoi(img.substr(pos, end - pos)));
      pos = end;
    } else {
      ++pos;
    }
  }
  ASSERT_EQ(fields.size(), 3u);
  const int w = fields[0], h = fields[1];
  const size_t base = pos + 1;
  ASSERT_EQ(img.size(), base + static_cast<size_t>(w * h * 3));
  int left = w, right = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t at = base + static_cast<size_t>((y * w + x) * 3);
      if (static_cast<uint8_t>(img[at]) < 64 && static_cast<uint8_t>(img[at + 1]) < 64 &&
          static_cast<uint8_t>(img[at + 2]) < 64) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  ASSERT_GE(right, 0) << "nothing printed";
  const double ratio = static_cast<double>(right - left + 1) / (bottom - top + 1);
  EXPECT_NEAR(ratio, 2.0, 0.1);
  EXPECT_GT(right - left + 1, w / 2);
}

TEST(PanelPrint, MarginsFollowTheShape)
{
  TBitmap wide;
  wide.SetSize(400, 200);
  EXPECT_NEAR(DeviceAspectRatio(wide.Canvas()), 2.0, 0.05);

  TestPanel panel;
  TPrinter* printer = Printer();
  printer->SetOutputFileName("/tmp/unused-orbisk.pdf");
  panel.SetBounds(0, 0, 200, 400);
  TRect m = panel.CalcProportionalMargins();
  EXPECT_EQ(m.Top, 15);
  EXPECT_EQ(m.Bottom, 15);
  EXPECT_GT(m.Left, 15);
  EXPECT_EQ(m.Left, m.Right);
  panel.SetBounds(0, 0, 400, 200);
  m = panel.CalcProportionalMargins();
  EXPECT_EQ(m.Left, 15);
  EXPECT_GT(m.Top, 0);
  printer->SetOutputFileName("");
  if (!printer->Available()) {
    // Without a printer the screen stands in for the page size.
    EXPECT_NO_THROW(panel.CalcProportionalMargins());
    EXPECT_THROW(panel.CalcPrintRect(), EPrinter);
  }
}

TEST(PanelZoom, RubberBandRestoresAndUndoZoom)
{
  TestPanel panel;
  panel.SetBounds(0, 0, 120, 80);
  panel.block = clNone;
  panel.SetColor(clBtnFace);
  panel.SetBevelOuter(bvNone);
  panel.PaintBuffer();
  TBitmap* buffer = panel.BackBuffer();
  std::vector<TColor> before;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) before.push_back(Pixel(buffer, x, y));
  const TColor face = Pixel(buffer, 60, 40);
  ASSERT_NE(face, clWhite);

  panel.Zoom()->Activate(10, 10);
  panel.Zoom()->X1 = 50;
  panel.Zoom()->Y1 = 40;
  panel.DrawZoomRectangle();
  EXPECT_EQ(Pixel(buffer, 10, 20), clWhite);
  EXPECT_EQ(Pixel(buffer, 30, 10), clWhite);
  EXPECT_EQ(Pixel(buffer, 30, 25), face);
  // A repaint from the kept picture keeps the band showing.
  panel.PaintBuffer();
  EXPECT_EQ(Pixel(buffer, 10, 20), clWhite);
  panel.DrawZoomRectangle();
  int changed = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x)
      if (Pixel(buffer, x, y) != before[static_cast<size_t>(y * 120 + x)]) ++changed;
  EXPECT_EQ(changed, 0);

  int undone = 0;
  panel.OnUndoZoom = [&](TObject*) { ++undone; };
  panel.Zoomed = true;
  panel.UndoZoom();
  EXPECT_EQ(undone, 1);
  EXPECT_FALSE(panel.Zoomed);
  auto* gdi = dynamic_cast<TNuvCanvas3D*>(panel.Canvas());
  ASSERT_NE(gdi, nullptr);
  EXPECT_TRUE(gdi->GetBitmapInvalid());

  // Zoom settings copy all but the drag state.
  TNuvZoom other;
  other.Animated = true;
  other.MinimumPixels = 5;
  other.GetPen()->SetColor(clRed);
  other.Active = true;
  panel.Zoom()->Active = false;
  panel.Zoom()->Assign(&other);
  EXPECT_TRUE(panel.Zoom()->Animated);
  EXPECT_EQ(panel.Zoom()->MinimumPixels, 5);
  EXPECT_EQ(panel.Zoom()->GetPen()->GetColor(), clRed);
  EXPECT_FALSE(panel.Zoom()->Active);
  // Copying reads nothing into being on the source: a source without a brush or pen stays so,
  // and the copy then has none either.
  TNuvZoom bare;
  panel.Zoom()->Assign(&bare);
  EXPECT_FALSE(bare.HasBrush());
  EXPECT_FALSE(bare.HasPen());
  EXPECT_FALSE(panel.Zoom()->HasPen());
  EXPECT_FALSE(panel.Zoom()->HasBrush());
}

TEST(PanelBackground, ShadowStripBackImageAndRegion)
{
  TWinControl parent(nullptr);
  parent.SetColor(clRed);
  TestPanel panel;
  panel.SetParent(&parent);
  panel.SetBounds(0, 0, 100, 60);
  panel.block = clNone;
  panel.SetColor(clBlue);
  panel.SetBevelOuter(bvNone);
  panel.GetShadow()->SetColor(clBlack);
  panel.GetShadow()->SetSize(3);
  panel.PaintBuffer();
  TBitmap* b = panel.BackBuffer();
  EXPECT_EQ(Pixel(b, 96, 30), clBlue);
  EXPECT_EQ(Pixel(b, 97, 30), clBlack);
  EXPECT_EQ(Pixel(b, 98, 1), clRed);
  EXPECT_EQ(Pixel(b, 1, 58), clRed);

  // The transparency flag needs a graphic and never makes a back image.
  EXPECT_FALSE(panel.GetBackImageTransp());
  panel.SetBackImageTransp(true);
  EXPECT_FALSE(panel.GetBackImageTransp());
  EXPECT_FALSE(panel.HasBackImage());

  // An empty tiled image draws nothing and leaves no clip behind.
  panel.GetBackImage()->Bitmap();
  panel.GetBackImage()->SetMode(pbmTile);
  ASSERT_TRUE(panel.HasBackImage());
  panel.PaintBuffer();
  TRegion rgn;
  EXPECT_EQ(GetClipRgn(panel.Canvas()->GetReferenceCanvas(), rgn), 0);
  EXPECT_EQ(Pixel(b, 50, 30), clBlue);

  // A tiled picture repeats over the panel.
  TBitmap tile;
  tile.SetSize(10, 10);
  tile.Canvas()->Brush()->SetColor(clLime);
  tile.Canvas()->FillRect(Rect(0, 0, 5, 10));
  panel.GetBackImage()->Bitmap()->Assign(&tile);
  panel.Invalidate();
  panel.PaintBuffer();
  EXPECT_EQ(Pixel(b, 2, 5), clLime);
  EXPECT_EQ(Pixel(b, 7, 5), clWhite);
  EXPECT_EQ(Pixel(b, 72, 45), clLime);

  panel.SetBorderRound(20);
  TRect bounds;
  ASSERT_TRUE(ControlRegionBounds(&panel, bounds));
  EXPECT_EQ(bounds.Right, 100);
  panel.SetBorderRound(0);
  EXPECT_FALSE(ControlRegionBounds(&panel, bounds));
  panel.SetParent(nullptr);
}

TEST(PanelExport, PlainMetafileOpensInIndependentReader)
{
  testsupport::TempDir dir;
  TestPanel panel;
  panel.SetBounds(0, 0, 160, 100);
  panel.SetColor(clBlue);
  panel.SetBevelOuter(bvNone);
  // A tiled back image is drawn under a clip; what comes after the clip keeps its colours.
  TBitmap tile;
  tile.SetSize(10, 10);
  tile.Canvas()->Brush()->SetColor(clLime);
  tile.Canvas()->FillRect(Rect(0, 0, 5, 10));
  panel.GetBackImage()->Bitmap()->Assign(&tile);
  panel.GetBackImage()->SetMode(pbmTile);
  const std::string file = dir.file("panel.wmf");
  panel.SaveToMetafile(file);
  const std::string bytes = testsupport::ReadAll(file);
  ASSERT_GE(bytes.size(), 40u);
  EXPECT_EQ(U32(bytes, 0), 0x9AC6CDD7u);  // placement key
  auto word = [&](size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
  };
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= word(i);
  EXPECT_EQ(sum, word(20));
  // The size in the header counts every word after the placement header.
  EXPECT_EQ(static_cast<size_t>(U32(bytes, 22 + 6)) * 2, bytes.size() - 22);

  if (!Succeeds("convert -list format | grep -q '^ *WMF'")) GTEST_SKIP() << "ImageMagick cannot read WMF here";
  std::vector<TColor> pixels;
  const std::string png = dir.file("wmf.png");
  ASSERT_EQ(std::system(("convert -density 96 '" + file + "' '" + png + "' 2>/dev/null").c_str()), 0);
  ASSERT_TRUE(ReadWithImageMagick(png, 160, 100, pixels));
  EXPECT_EQ(pixels[static_cast<size_t>(50 * 160 + 80)], clRed);
  EXPECT_EQ(pixels[static_cast<size_t>(2 * 160 + 3)], clLime);
  EXPECT_EQ(pixels[static_cast<size_t>(2 * 160 + 7)], clWhite);
}

TEST(PanelEvents, CancelledDoubleClickDropsItsPress)
{
  Log log;
  TestPanel panel;
  Listener a(&log, "a");
  panel.Listeners()->Add(&a);
  bool cancel = true;
  panel.OnDblClick = [&](TObject*) {
    log.push_back("OnDblClick");
    if (cancel) panel.CancelMouse = true;
  };
  panel.DispatchMouseDown(mbLeft, 0, 4, 5, true);
  EXPECT_EQ(log, (Log{"OnDblClick"}));
  // The next press is an ordinary one again.
  log.clear();
  panel.DispatchMouseDown(mbLeft, 0, 6, 7, false);
  EXPECT_EQ(log, (Log{"a:mouse0@6,7"}));
  log.clear();
  cancel = false;
  panel.DispatchMouseDown(mbLeft, 0, 8, 9, true);
  EXPECT_EQ(log, (Log{"OnDblClick", "a:mouse0@8,9"}));
}

TEST(PanelBackground, PanelWithoutColourShowsWhatIsBeneath)
{
  TCustomControl parent(nullptr);
  parent.SetBounds(0, 0, 200, 120);
  parent.SetColor(clGreen);
  parent.PaintBuffer();
  TestPanel panel;
  panel.SetParent(&parent);
  panel.SetBounds(20, 10, 100, 60);
  panel.block = clNone;
  panel.SetBevelOuter(bvNone);
  panel.SetColor(clNone);
  ASSERT_TRUE(panel.GetBufferedDisplay());
  panel.PaintBuffer();
  EXPECT_EQ(Pixel(panel.BackBuffer(), 50, 30), clGreen);
  // A repaint from the kept picture shows it too.
  panel.PaintBuffer();
  EXPECT_EQ(Pixel(panel.BackBuffer(), 5, 5), clGreen);
  // What the panel draws still covers it.
  panel.block = clRed;
  panel.Invalidate();
  panel.PaintBuffer();
  EXPECT_EQ(Pixel(panel.BackBuffer(), 50, 30), clRed);
  EXPECT_EQ(Pixel(panel.BackBuffer(), 1, 1), clGreen);
  panel.SetParent(nullptr);
}
