#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "chart/canvas/NuvHtml.h"
#include "chart/canvas/NvCanvas.h"

namespace {

// A GDI chart canvas drawing straight on a white bitmap.
struct Surface {
  TBitmap bitmap;
  TNuvCanvas3D canvas;
  explicit Surface(int w = 300, int h = 120)
  {
    bitmap.SetSize(w, h);
    canvas.AttachCanvas(bitmap.Canvas());
    canvas.Font()->SetName("Arial");
    canvas.Font()->SetSize(12);
    canvas.Font()->SetColor(clBlack);
    canvas.SetBackMode(cbmTransparent);
  }
  int32_t Width(const std::string& s, int32_t size, TFontStyles style = 0)
  {
    TFont saved;
    saved.Assign(canvas.Font());
    canvas.Font()->SetSize(size);
    canvas.Font()->SetStyle(style);
    int32_t w = canvas.TextWidth(s);
    canvas.Font()->Assign(&saved);
    return w;
  }
  // Topmost and bottommost rows with a non-white pixel in columns [x0, x1).
  std::pair<int, int> InkRows(int x0, int x1)
  {
    int top = -1, bottom = -1;
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = x0; x < x1; ++x)
        if ((bitmap.Canvas()->GetPixel(x, y) & 0xFFFFFF) != clWhite) {
          if (top < 0) top = y;
          bottom = y;
        }
    return {top, bottom};
  }
  bool HasColor(TColor c)
  {
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x)
        if ((bitmap.Canvas()->GetPixel(x, y) & 0xFFFFFF) == c) return true;
    return false;
  }
};

}  // namespace

TEST(NuvHtmlMeasure, RunsAddUpOnOneLine)
{
  Surface s;
  const int32_t fh = s.canvas.FontHeight();
  TSize size = HtmlTextExtent(&s.canvas, "a<B>b</B>c");
  EXPECT_EQ(size.cx, s.Width("a", 12) + s.Width("b", 12, fsBold) + s.Width("c", 12));
  EXPECT_EQ(size.cy, fh);

  // Closing the last tag: a heading restores its font, bold goes through the tag stack.
  size = HtmlTextExtent(&s.canvas, "<H1>T</>x");
  EXPECT_EQ(size.cx, s.Width("T", 48) + s.Width("x", 12));
  size = HtmlTextExtent(&s.canvas, "<B>b</>c");
  EXPECT_EQ(size.cx, s.Width("b", 12, fsBold) + s.Width("c", 12));

  // Entities become their characters; unknown closing tags are text.
  EXPECT_EQ(HtmlTextExtent(&s.canvas, "&lt;&amp;&quot;").cx, s.Width("<&\"", 12));
  EXPECT_EQ(HtmlTextExtent(&s.canvas, "x</BIG>").cx, s.Width("x</BIG>", 12));
  EXPECT_EQ(HtmlTextExtent(&s.canvas, "<FONT SIZE=+4>x</FONT>y").cx, s.Width("x", 16) + s.Width("y", 12));
  EXPECT_EQ(HtmlTextExtent(&s.canvas, "<SMALL>x</>").cx, s.Width("x", 10));

  // The measured height is the tallest line, not the sum of the lines.
  size = HtmlTextExtent(&s.canvas, "ab<BR>c");
  EXPECT_EQ(size.cx, s.Width("ab", 12));
  EXPECT_EQ(size.cy, fh);
  EXPECT_EQ(s.canvas.Font()->GetSize(), 12);
  EXPECT_EQ(s.canvas.Font()->GetStyle(), 0);
}

TEST(NuvHtmlDraw, EntitiesDrawAsCharacters)
{
  Surface a, b;
  HtmlTextOut(&a.canvas, 10, 10, "&lt;b&gt;");
  b.canvas.TextOut(10, 10 + b.canvas.FontHeight() * 0, "<b>");
  // The first run keeps the pen line: both draw the same pixels.
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 300; ++x)
      ASSERT_EQ(a.bitmap.Canvas()->GetPixel(x, y), b.bitmap.Canvas()->GetPixel(x, y)) << x << "," << y;
}

TEST(NuvHtmlDraw, FontTagColours)
{
  Surface s;
  HtmlTextOut(&s.canvas, 5, 5, "<FONT COLOR=#FF0000 SIZE=20>W</FONT>");
  EXPECT_TRUE(s.HasColor(clRed));
  EXPECT_EQ(s.canvas.Font()->GetColor(), clBlack);

  Surface t;
  HtmlTextOut(&t.canvas, 5, 5, "<FONT color=Lime size=20>W</FONT><FONT color=clBlue size=20>W</FONT>");
  EXPECT_TRUE(t.HasColor(clLime));
  EXPECT_TRUE(t.HasColor(clBlue));
}

TEST(NuvHtmlDraw, SubscriptBelowSuperscript)
{
  Surface sub, sup;
  HtmlTextOut(&sub.canvas, 0, 30, "<SUB>x</SUB>");
  HtmlTextOut(&sup.canvas, 0, 30, "<SUPER>x</SUPER>");
  auto subRows = sub.InkRows(0, 40);
  auto supRows = sup.InkRows(0, 40);
  ASSERT_GE(subRows.first, 0);
  ASSERT_GE(supRows.first, 0);
  EXPECT_GT(subRows.first, supRows.first);
  // Both runs are drawn at half size.
  EXPECT_EQ(HtmlTextExtent(&sub.canvas, "<SUB>x</SUB>").cx, sub.Width("x", 6));
}

TEST(NuvHtmlErrors, ReportedAndFontRestored)
{
  Surface s;
  s.canvas.Font()->SetStyle(fsItalic);
  try {
    HtmlTextOut(&s.canvas, 0, 0, "a<B>b<c");
    FAIL() << "no exception";
  } catch (const HtmlParserException& e) {
    EXPECT_EQ(e.Message(), "Missing > at c");
  }
  EXPECT_EQ(s.canvas.Font()->GetStyle(), fsItalic);
  EXPECT_EQ(s.canvas.Font()->GetSize(), 12);

  try {
    HtmlTextExtent(&s.canvas, "<FONT FACE=Arial SIZE=30>x");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unknown field in FONT: FACE");
  }
  EXPECT_EQ(s.canvas.Font()->GetSize(), 12);
  try {
    HtmlTextExtent(&s.canvas, "<FONT WEIGHT=BOLD, HEAVY>x");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Unknown field in FONT WEIGHT=BOLD, HEAVY");
  }
  // A colour text too short for its form is refused, not read past.
  EXPECT_THROW(HtmlTextExtent(&s.canvas, "<FONT COLOR=#FF>x"), EConvertError);
  EXPECT_EQ(s.canvas.Font()->GetColor(), clBlack);

  // Through the canvas's formatted output a markup error draws the plain text.
  InstallHtmlRenderer();
  EXPECT_NO_THROW(s.canvas.TextOutFormatted(0, 0, "a<b", true));
  EXPECT_TRUE(s.HasColor(clBlack));
}

TEST(NuvHtmlFonts, SavedTagsRoundTrip)
{
  TFont f;
  f.SetName("Courier New");
  f.SetSize(11);
  f.SetColor(clRed);
  f.SetStyle(fsBold | fsItalic);
  const std::string tag = FontToTag(f);
  EXPECT_NE(tag.find("weight=BOLD, ITALIC>"), std::string::npos) << tag;
  TFont g;
  ApplyFontTag(g, tag);
  EXPECT_EQ(g.GetName(), "Courier New");
  EXPECT_EQ(g.GetSize(), 11);
  EXPECT_EQ(g.GetColor(), clRed);
  EXPECT_EQ(g.GetStyle(), fsBold | fsItalic);

  // A system colour is written as a negative number and read back.
  f.SetColor(clBtnFace);
  f.SetStyle(0);
  ApplyFontTag(g, FontToTag(f));
  EXPECT_EQ(g.GetColor(), clBtnFace);
  EXPECT_EQ(g.GetStyle(), 0);

  // Sizes never drop below one point.
  ApplyFontTag(g, "<FONT size=-50>");
  EXPECT_EQ(g.GetSize(), 1);
  Surface s;
  s.canvas.Font()->SetSize(2);
  EXPECT_NO_THROW(HtmlTextExtent(&s.canvas, "<SUB><SUB><SUB>x</SUB></SUB></SUB><SMALL><SMALL>y"));
  EXPECT_EQ(s.canvas.Font()->GetSize(), 2);
}

TEST(NuvHtmlImages, PlaceholderWhenNoSource)
{
  Surface s;
  HtmlTextOut(&s.canvas, 10, 10, "<IMG SRC=\"picture.png\">");
  // 40 x 40 white box, red frame and diagonals.
  auto px = [&](int x, int y) { return s.bitmap.Canvas()->GetPixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(px(10, 10), clRed);
  EXPECT_EQ(px(49, 10), clRed);
  EXPECT_EQ(px(30, 30), clRed);
  EXPECT_EQ(px(20, 30), clWhite);
  EXPECT_EQ(px(10, 49), clRed);
  EXPECT_EQ(px(51, 51), clWhite);

  // Without SRC nothing is drawn.
  Surface t;
  HtmlTextOut(&t.canvas, 10, 10, "<IMG WIDTH=20>");
  EXPECT_FALSE(t.HasColor(clRed));
}

TEST(NuvHtmlDraw, RuleCentreAndLineBreaks)
{
  Surface s;
  s.canvas.SetBufferedDisplay(false);
  s.canvas.InitWindow(s.bitmap.Canvas(), nullptr, clWhite, false, Rect(0, 0, 300, 120));
  const int32_t fh = s.canvas.FontHeight();
  HtmlTextOut(&s.canvas, 20, 10, "<HR>");
  // A grey rule 100 pixels long at the pen line.
  EXPECT_EQ(s.bitmap.Canvas()->GetPixel(20, 10) & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(s.bitmap.Canvas()->GetPixel(119, 10) & 0xFFFFFF, 0x808080u);
  EXPECT_EQ(s.bitmap.Canvas()->GetPixel(20, 11) & 0xFFFFFF, clWhite);

  Surface c;
  c.canvas.SetBufferedDisplay(false);
  c.canvas.InitWindow(c.bitmap.Canvas(), nullptr, clWhite, false, Rect(0, 0, 300, 120));
  HtmlTextOut(&c.canvas, 0, 0, "<CENTER>WWW</CENTER>");
  auto [top, bottom] = c.InkRows(0, 300);
  ASSERT_GE(top, 0);
  int left = 300, right = -1;
  for (int y = top; y <= bottom; ++y)
    for (int x = 0; x < 300; ++x)
      if ((c.bitmap.Canvas()->GetPixel(x, y) & 0xFFFFFF) != clWhite) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  EXPECT_NEAR((left + right) / 2.0, 150.0, 3.0);

  // A text ending in CR LF starts the next run at the start x, one line lower.
  Surface l;
  TSize size = HtmlTextExtent(&l.canvas, "abc\r\n<B>d</B>");
  EXPECT_EQ(size.cx, l.Width("abc", 12));
  EXPECT_EQ(size.cy, fh);
}

// A text with a markup error is drawn plainly on a clean area: nothing of its markup shows.
TEST(NuvHtmlErrors, PlainFallbackDrawsNoneOfTheMarkup)
{
  InstallHtmlRenderer();
  Surface s;
  s.canvas.SetBufferedDisplay(false);
  s.canvas.InitWindow(s.bitmap.Canvas(), nullptr, clWhite, false, Rect(0, 0, 300, 120));
  s.canvas.Font()->SetColor(clBlack);
  EXPECT_NO_THROW(s.canvas.TextOutFormatted(10, 10, "<HR><FONT COLOR=RED>red words</FONT><B", true));
  EXPECT_FALSE(s.HasColor(clRed));
  EXPECT_FALSE(s.HasColor(0x808080));
  EXPECT_TRUE(s.HasColor(clBlack));
}

// Hostile sizes and font names: sums stay in range, a font name with "=" survives saving.
TEST(NuvHtmlFonts, HostileSizesAndNames)
{
  Surface s;
  TSize size;
  EXPECT_NO_THROW(size = HtmlTextExtent(&s.canvas, "<IMG SRC=\"a.png\" WIDTH=2147483647 HEIGHT=2147483647>x"));
  EXPECT_NO_THROW(HtmlTextOut(&s.canvas, 2147483000, 2147483000, "<IMG SRC=\"a.png\" WIDTH=2147483647>x<HR>y"));
  EXPECT_NO_THROW(HtmlTextOut(&s.canvas, -2147483000, 0, "<IMG SRC=\"a.png\" WIDTH=-2147483648>x"));

  TFont f;
  f.SetName("Odd=Name \"Q\"");
  f.SetSize(9);
  f.SetColor(clGreen);
  TFont g;
  ApplyFontTag(g, FontToTag(f));
  EXPECT_EQ(g.GetName(), "Odd=Name \"Q\"");
  EXPECT_EQ(g.GetSize(), 9);
  EXPECT_EQ(g.GetColor(), clGreen);
  // Saved and restored around a tag while drawing.
  s.canvas.Font()->SetName("A=B");
  EXPECT_NO_THROW(HtmlTextExtent(&s.canvas, "<BIG>x</BIG>y<H1>z</>"));
  EXPECT_EQ(s.canvas.Font()->GetName(), "A=B");

  // A long text of many tokens measures as its parts.
  std::string longText;
  for (int i = 0; i < 20000; ++i) longText += "a<B>b</B>";
  const TSize whole = HtmlTextExtent(&s.canvas, longText);
  EXPECT_EQ(whole.cx, 20000 * HtmlTextExtent(&s.canvas, "a<B>b</B>").cx);
  std::string entities(100000, 'x');
  for (size_t i = 0; i < entities.size(); i += 10) entities.replace(i, 4, "&lt;");
  EXPECT_GT(HtmlTextExtent(&s.canvas, entities).cx, 0);
  // One tag of many pairs without blanks.
  std::string pairs = "<IMG ";
  for (int i = 0; i < 50000; ++i) pairs += "a=";
  EXPECT_EQ(HtmlTextExtent(&s.canvas, pairs + "SRC=x.png>").cx, 0);
}

// The image path with hooks the test installs: the graphic reads the bytes itself.
TEST(NuvHtmlImages, InstalledHooksDrawThePicture)
{
  TBitmap picture;
  picture.SetSize(6, 4);
  picture.Canvas()->Brush()->SetColor(clBlue);
  picture.Canvas()->FillRect(Rect(0, 0, 6, 4));
  const std::string file = ::testing::TempDir() + "nuvhtml-picture.bmp";
  picture.SaveToFile(file);
  std::string bytes;
  {
    FILE* f = std::fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
  }
  std::vector<std::string> asked;
  GraphicForExtension = [&](const std::string& ext) -> std::unique_ptr<TGraphic> {
    asked.push_back(ext);
    return ext == ".BMP" ? std::make_unique<TBitmap>() : nullptr;
  };
  LoadImageSource = [&](const std::string& source, std::string& stream) {
    if (source == "broken.bmp") {
      stream = "not a picture";
      return 0;
    }
    stream = bytes;
    return 0;
  };
  Surface s;
  HtmlTextOut(&s.canvas, 10, 10, "<IMG SRC=\"pic.bmp\">");
  EXPECT_EQ(s.bitmap.Canvas()->GetPixel(12, 12) & 0xFFFFFF, clBlue);
  EXPECT_EQ(s.bitmap.Canvas()->GetPixel(16, 12) & 0xFFFFFF, clWhite);
  const TSize size = HtmlTextExtent(&s.canvas, "<IMG SRC=\"pic.bmp\">");
  EXPECT_EQ(size.cx, 0);  // an image moves the pen but measures nothing of its own
  Surface t;
  HtmlTextOut(&t.canvas, 10, 10, "<IMG SRC=\"pic.bmp\" WIDTH=12 HEIGHT=8>");
  EXPECT_EQ(t.bitmap.Canvas()->GetPixel(20, 16) & 0xFFFFFF, clBlue);
  // Bytes the graphic cannot read draw the placeholder.
  Surface u;
  HtmlTextOut(&u.canvas, 10, 10, "<IMG SRC=\"broken.bmp\">");
  EXPECT_EQ(u.bitmap.Canvas()->GetPixel(10, 10) & 0xFFFFFF, clRed);
  EXPECT_EQ(asked, (std::vector<std::string>{".BMP", ".BMP", ".BMP", ".BMP"}));
  GraphicForExtension = nullptr;
  LoadImageSource = nullptr;
  std::remove(file.c_str());
}
