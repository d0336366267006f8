#include "chart/canvas/NuvHtml.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "chart/canvas/NvCanvas.h"

TGraphicForExtension GraphicForExtension;
TLoadImageSource LoadImageSource;
std::vector<std::string> TagStack;
std::vector<std::string> FontStack;

namespace {

std::string Upper(std::string s)
{
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string TrimText(const std::string& s)
{
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Replaces every occurrence, left to right, in one pass.
void ReplaceAll(std::string& s, const std::string& from, const std::string& to)
{
  size_t pos = s.find(from);
  if (pos == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  size_t at = 0;
  for (; pos != std::string::npos; pos = s.find(from, at)) {
    out.append(s, at, pos - at);
    out += to;
    at = pos + from.size();
  }
  out.append(s, at, std::string::npos);
  s.swap(out);
}

// Name=Value pairs of a tag body; a value runs to the last blank before the next "=". An "=" inside
// double quotes belongs to its value.
std::vector<std::pair<std::string, std::string>> SplitPairs(const std::string& body)
{
  std::vector<size_t> eq;
  bool quoted = false;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '"') quoted = !quoted;
    else if (body[i] == '=' && !quoted) eq.push_back(i);
  }
  std::vector<std::pair<std::string, std::string>> out;
  size_t nameStart = 0;
  for (size_t i = 0; i < eq.size(); ++i) {
    std::string name = TrimText(body.substr(nameStart, eq[i] - nameStart));
    size_t valueEnd = body.size();
    if (i + 1 < eq.size()) {
      // The last blank between this "=" and the next (searched only that far back).
      valueEnd = eq[i + 1];
      for (size_t k = eq[i + 1]; k > eq[i] + 1; --k)
        if (body[k - 1] == ' ') {
          valueEnd = k - 1;
          break;
        }
    }
    out.emplace_back(name, TrimText(body.substr(eq[i] + 1, valueEnd - eq[i] - 1)));
    nameStart = valueEnd;
  }
  return out;
}

int32_t ParseInt(const std::string& text)
{
  std::string t = TrimText(text);
  if (t.empty()) throw EConvertError("'" + text + "' is not a valid integer value");
  bool neg = false;
  size_t i = 0;
  if (t[0] == '+' || t[0] == '-') {
    neg = t[0] == '-';
    i = 1;
  }
  int base = 10;
  if (i < t.size() && t[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) throw EConvertError("'" + text + "' is not a valid integer value");
  int64_t v = 0;
  for (; i < t.size(); ++i) {
    int d;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(t[i])));
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else throw EConvertError("'" + text + "' is not a valid integer value");
    v = v * base + d;
    if (v > 0xFFFFFFFFLL) throw EConvertError("'" + text + "' is not a valid integer value");
  }
  if (neg) v = -v;
  // Colours are written as signed 32-bit numbers; accept both readings of the bits.
  if (v < INT32_MIN || v > 0xFFFFFFFFLL) throw EConvertError("'" + text + "' is not a valid integer value");
  return static_cast<int32_t>(static_cast<uint32_t>(v));
}

struct NamedColor {
  const char* name;
  TColor color;
};

const NamedColor kColorNames[] = {
    {"CLBLACK", clBlack}, {"CLMAROON", clMaroon}, {"CLGREEN", clGreen}, {"CLOLIVE", clOlive}, {"CLNAVY", clNavy},
    {"CLPURPLE", clPurple}, {"CLTEAL", clTeal}, {"CLGRAY", clGray}, {"CLSILVER", clSilver}, {"CLRED", clRed},
    {"CLLIME", clLime}, {"CLYELLOW", clYellow}, {"CLBLUE", clBlue}, {"CLFUCHSIA", clFuchsia}, {"CLAQUA", clAqua},
    {"CLWHITE", clWhite}, {"CLLTGRAY", clLtGray}, {"CLDKGRAY", clDkGray}, {"CLMONEYGREEN", clMoneyGreen},
    {"CLSKYBLUE", clSkyBlue}, {"CLCREAM", clCream}, {"CLMEDGRAY", clMedGray}, {"CLNONE", clNone},
    {"CLDEFAULT", clDefault}, {"CLSCROLLBAR", clScrollBar}, {"CLBACKGROUND", clBackground},
    {"CLACTIVECAPTION", clActiveCaption}, {"CLINACTIVECAPTION", clInactiveCaption}, {"CLMENU", clMenu},
    {"CLWINDOW", clWindow}, {"CLWINDOWFRAME", clWindowFrame}, {"CLMENUTEXT", clMenuText},
    {"CLWINDOWTEXT", clWindowText}, {"CLCAPTIONTEXT", clCaptionText}, {"CLACTIVEBORDER", clActiveBorder},
    {"CLINACTIVEBORDER", clInactiveBorder}, {"CLAPPWORKSPACE", clAppWorkSpace}, {"CLHIGHLIGHT", clHighlight},
    {"CLHIGHLIGHTTEXT", clHighlightText}, {"CLBTNFACE", clBtnFace}, {"CLBTNSHADOW", clBtnShadow},
    {"CLGRAYTEXT", clGrayText}, {"CLBTNTEXT", clBtnText}, {"CLINACTIVECAPTIONTEXT", clInactiveCaptionText},
    {"CLBTNHIGHLIGHT", clBtnHighlight}, {"CL3DDKSHADOW", cl3DDkShadow}, {"CL3DLIGHT", cl3DLight},
    {"CLINFOTEXT", clInfoText}, {"CLINFOBK", clInfoBk}};

int HexDigit(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

TColor ParseColor(const std::string& raw)
{
  const std::string v = Upper(TrimText(raw));
  if (v == "BLACK") return 0x000000;
  if (v == "RED") return 0x0000FF;
  if (v == "BLUE") return 0xFF0000;
  if (v == "YELLOW") return 0x00FFFF;
  if (v == "WHITE") return 0xFFFFFF;
  if (v == "GREEN") return 0x008000;
  if (v == "LIME") return 0x00FF00;
  if (!v.empty() && v[0] == '#') {
    // #RRGGBB: a shorter text is refused rather than read past its end.
    if (v.size() < 7) throw EConvertError("'" + raw + "' is not a valid colour");
    int rgb[3];
    for (int k = 0; k < 3; ++k) {
      int hi = HexDigit(v[1 + 2 * k]), lo = HexDigit(v[2 + 2 * k]);
      if (hi < 0 || lo < 0) throw EConvertError("'" + raw + "' is not a valid colour");
      rgb[k] = hi * 16 + lo;
    }
    return RGB(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]));
  }
  for (const NamedColor& nc : kColorNames)
    if (v == nc.name) return nc.color;
  return static_cast<TColor>(ParseInt(v));
}

// Sums of pen positions and sizes, held to the 32-bit range.
int32_t Saturated(int64_t v)
{
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Image sizes from a tag: held to what a picture can be.
constexpr int32_t kMaxImageSide = 65535;

void SetFontSize(TFont& font, int64_t size)
{
  // A size below one point would make the text vanish or turn the height's sign.
  if (size < 1) size = 1;
  if (size > 1000) size = 1000;
  font.SetSize(static_cast<int32_t>(size));
}

// Restores the canvas font on every exit of a call.
class FontGuard {
public:
  explicit FontGuard(TFont* font) : font_(font) { saved_.Assign(font); }
  ~FontGuard()
  {
    if (font_) font_->Assign(&saved_);
  }
  FontGuard(const FontGuard&) = delete;
  FontGuard& operator=(const FontGuard&) = delete;

private:
  TFont* font_;
  TFont saved_;
};

class Renderer {
public:
  Renderer(TNuvCanvas* canvas, int32_t x, int32_t y, bool draw)
      : c_(canvas), x_(x), y_(y), startX_(x), draw_(draw)
  {
    lineHeight_ = c_->FontHeight();
  }

  void Run(const std::string& text)
  {
    // One pass over the text: each token is cut at its place, nothing is erased.
    size_t at = 0;
    while (at < text.size()) {
      const size_t p = text.find('<', at);
      std::string token;
      if (p == std::string::npos) {
        token = text.substr(at);
        at = text.size();
      } else if (p == at) {
        const size_t q = text.find('>', at);
        if (q == std::string::npos) throw HtmlParserException("Missing > at " + text.substr(at + 1));
        token = text.substr(at, q + 1 - at);
        at = q + 1;
      } else {
        token = text.substr(at, p - at);
        at = p;
      }
      Process(std::move(token));
    }
  }

  TSize Size() const { return size_; }

private:
  TFont& Font() { return *c_->Font(); }

  void PushFont()
  {
    FontStack.push_back(FontToTag(Font()));
    pushed_ = true;
  }

  void PopFont()
  {
    std::string tag;
    if (!FontStack.empty()) {
      tag = FontStack.back();
      FontStack.pop_back();
    }
    ApplyFontTag(Font(), tag);
  }

  void AddStyle(TFontStyles s, const std::string& token)
  {
    Font().SetStyle(Font().GetStyle() | s);
    TagStack.push_back(token);
  }

  void RemoveStyle(TFontStyles s) { Font().SetStyle(Font().GetStyle() & ~s); }

  void LineBreak()
  {
    x_ = startX_;
    lineHeight_ = 0;
    MoveY(c_->FontHeight());
  }

  void MoveX(int64_t d) { x_ = Saturated(x_ + d); }
  void MoveY(int64_t d) { y_ = Saturated(y_ + d); }

  void Process(std::string token)
  {
    const bool previousPushed = lastPushedFont_;
    pushed_ = false;
    if (StartsWith(token, "\r\n")) {
      MoveY(c_->FontHeight());
      x_ = startX_;
      lineHeight_ = 0;
      token.erase(0, 2);
      if (token.empty()) return;
    }
    if (!ProcessTag(token, previousPushed)) {
      TextRun(token);
      return;
    }
    lastPushedFont_ = pushed_;
  }

  // Returns false when the token is not a known tag (it is then drawn as text).
  bool ProcessTag(const std::string& token, bool previousPushed)
  {
    if (token.empty() || token[0] != '<') return false;
    const std::string t = Upper(token);
    if (t == "<BR>" || t == "<P>") {
      LineBreak();
    } else if (t == "<BIG>") {
      PushFont();
      SetFontSize(Font(), static_cast<int64_t>(Font().GetSize()) + 2);
    } else if (t == "<SMALL>") {
      PushFont();
      SetFontSize(Font(), static_cast<int64_t>(Font().GetSize()) - 2);
    } else if (t == "</SUB>") {
      PopFont();
      MoveY(-int64_t{c_->FontHeight()});
    } else if (t == "<SUB>") {
      PushFont();
      SetFontSize(Font(), Font().GetSize() / 2);
      MoveY(c_->FontHeight());
    } else if (t == "</SUPER>") {
      PopFont();
      MoveY(c_->FontHeight() / 2);
    } else if (t == "<SUPER>") {
      PushFont();
      SetFontSize(Font(), Font().GetSize() / 2);
      MoveY(-int64_t{c_->FontHeight() / 2});
    } else if (t.size() == 4 && StartsWith(t, "<H") && t[2] >= '1' && t[2] <= '6' && t[3] == '>') {
      static const int32_t sizes[6] = {48, 36, 24, 18, 12, 8};
      PushFont();
      SetFontSize(Font(), sizes[t[2] - '1']);
    } else if (t == "<PRE>") {
      PushFont();
      Font().SetName("COURIER NEW");
    } else if (t == "<CENTER>") {
      center_ = true;
    } else if (t == "<B>" || t == "<BOLD>" || t == "<STRONG>") {
      AddStyle(fsBold, token);
    } else if (t == "<I>") {
      AddStyle(fsItalic, token);
    } else if (t == "<U>") {
      AddStyle(fsUnderline, token);
    } else if (t == "<STRIKE>") {
      AddStyle(fsStrikeOut, token);
    } else if (StartsWith(t, "<IMG ")) {
      Image(token);
    } else if (t == "</B>" || t == "</BOLD>" || t == "</STRONG>") {
      RemoveStyle(fsBold);
    } else if (t == "</I>") {
      RemoveStyle(fsItalic);
    } else if (t == "</U>") {
      RemoveStyle(fsUnderline);
    } else if (t == "</STRIKE>") {
      RemoveStyle(fsStrikeOut);
    } else if (StartsWith(t, "</FONT")) {
      PopFont();
    } else if (t == "</PRE>") {
      PopFont();
    } else if (t == "</CENTER>") {
      center_ = false;
    } else if (StartsWith(t, "<FONT ")) {
      PushFont();
      ApplyFontTag(Font(), token);
    } else if (t == "</>") {
      if (previousPushed) {
        PopFont();
      } else {
        std::string last;
        if (!TagStack.empty()) {
          last = TagStack.back();
          TagStack.pop_back();
        }
        std::string closing = "</" + (last.empty() ? std::string() : last.substr(1));
        if (closing == "</") {
          TextRun(closing);
        } else {
          Process(closing);
          return true;
        }
      }
    } else if (t == "<HR>") {
      x_ = startX_;
      if (draw_) {
        c_->Pen()->SetStyle(psSolid);
        c_->Pen()->SetWidth(1);
        c_->Pen()->SetColor(0x808080);
        c_->HorizLine(x_, Saturated(int64_t{x_} + 100), y_);
      }
      MoveY(c_->FontHeight());
    } else {
      return false;
    }
    return true;
  }

  void TextRun(std::string run)
  {
    ReplaceAll(run, "&lt;", "<");
    ReplaceAll(run, "&gt;", ">");
    ReplaceAll(run, "&amp;", "&");
    ReplaceAll(run, "&quot;", "\"");
    bool lineEnd = false;
    if (run.size() >= 2 && run.compare(run.size() - 2, 2, "\r\n") == 0) {
      run.erase(run.size() - 2);
      lineEnd = true;
    }
    if (!run.empty()) {
      const int32_t w = c_->TextWidth(run);
      const int32_t h = c_->TextHeight(run);
      if (center_) {
        const TRect& b = c_->GetBounds();
        x_ = Saturated((int64_t{b.Left} + b.Right) / 2 - w / 2);
      }
      if (lineHeight_ == 0) {
        lineHeight_ = c_->FontHeight();
        MoveY(lineHeight_);
      } else if (h < lineHeight_) {
        MoveY(int64_t{lineHeight_} - h - 1);
      }
      if (draw_) c_->TextOut(x_, y_, run);
      MoveX(w);
      size_.cx = std::max(size_.cx, x_);
      if (h > lineHeight_) lineHeight_ = h;
      size_.cy = std::max(size_.cy, lineHeight_);
    }
    if (lineEnd) {
      lineHeight_ = 0;
      x_ = startX_;
    }
  }

  void Placeholder(int32_t w, int32_t h)
  {
    if (w == 0) w = 40;
    if (h == 0) h = 40;
    if (!draw_) return;
    TPen* pen = c_->Pen();
    pen->SetStyle(psSolid);
    pen->SetColor(0x0000FF);
    pen->SetWidth(1);
    c_->Brush()->SetStyle(bsSolid);
    c_->Brush()->SetColor(0xFFFFFF);
    const int32_t right = Saturated(int64_t{x_} + w), bottom = Saturated(int64_t{y_} + h);
    c_->Rectangle(x_, y_, right, bottom);
    c_->Line(x_, y_, right - 1, bottom - 1);
    c_->Line(x_, bottom - 1, right - 1, y_);
  }

  void Image(const std::string& token)
  {
    std::string body = token.substr(5);
    if (StartsWith(body, "\r\n")) body.erase(0, 2);
    if (!body.empty() && body.back() == '>') body.pop_back();
    int32_t width = 0, height = 0;
    std::string src;
    for (auto& [name, value] : SplitPairs(body)) {
      const std::string n = Upper(name);
      if (n == "WIDTH") width = std::clamp(ParseInt(value), 0, kMaxImageSide);
      else if (n == "HEIGHT") height = std::clamp(ParseInt(value), 0, kMaxImageSide);
      else if (n == "SRC") {
        src = TrimText(value);
        if (!src.empty() && src.front() == '"') src.erase(0, 1);
        if (!src.empty() && src.back() == '"') src.pop_back();
      }
    }
    if (src.empty()) return;
    std::string ext;
    size_t dot = src.rfind('.');
    if (dot != std::string::npos && src.find('/', dot) == std::string::npos) ext = Upper(src.substr(dot));
    std::unique_ptr<TGraphic> graphic = GraphicForExtension ? GraphicForExtension(ext) : nullptr;
    if (!graphic) {
      Placeholder(width, height);
      return;
    }
    std::string bytes;
    if (!LoadImageSource || LoadImageSource(src, bytes) != 0 || bytes.empty()) {
      Placeholder(width, height);
      return;
    }
    try {
      graphic->LoadFromBytes(bytes);
    } catch (const Exception&) {
      Placeholder(width, height);
      return;
    }
    if (width == 0) width = std::clamp(graphic->GetWidth(), 0, kMaxImageSide);
    if (height == 0) height = std::clamp(graphic->GetHeight(), 0, kMaxImageSide);
    if (draw_) {
      if (width == graphic->GetWidth() && height == graphic->GetHeight())
        c_->Draw(x_, y_, graphic.get());
      else
        c_->StretchDraw(Rect(x_, y_, Saturated(int64_t{x_} + width), Saturated(int64_t{y_} + height)), graphic.get());
    }
    MoveX(width);
    MoveY(height);
  }

  TNuvCanvas* c_;
  int32_t x_, y_, startX_;
  int32_t lineHeight_ = 0;
  bool center_ = false;
  bool lastPushedFont_ = false;
  bool pushed_ = false;
  bool draw_;
  TSize size_;
};

TSize Render(TNuvCanvas* canvas, int32_t x, int32_t y, const std::string& text, bool draw)
{
  if (!canvas || !canvas->Font()) return TSize();
  FontGuard guard(canvas->Font());
  // Tags left open by an earlier text must not reach into this one.
  TagStack.clear();
  FontStack.clear();
  Renderer r(canvas, x, y, draw);
  r.Run(text);
  return r.Size();
}

}  // namespace

std::string FontToTag(const TFont& font)
{
  std::string words;
  auto add = [&](const char* w) {
    if (!words.empty()) words += ", ";
    words += w;
  };
  const TFontStyles s = font.GetStyle();
  if (s & fsBold) add("BOLD");
  if (s & fsItalic) add("ITALIC");
  if (s & fsUnderline) add("UNDERLINE");
  if (s & fsStrikeOut) add("STRIKE");
  if (words.empty()) words = "NORMAL";
  std::string name = font.GetName();
  if (name.find_first_of("=\"") != std::string::npos) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("&quot;") : std::string(1, c);
    name = quoted + "\"";
  }
  return "<FONT size=" + std::to_string(font.GetSize()) + " name=" + name +
         " color=" + std::to_string(static_cast<int32_t>(font.GetColor())) + " weight=" + words + ">";
}

void ApplyFontTag(TFont& font, const std::string& tag)
{
  if (tag.size() <= 6) return;
  const std::string body = tag.substr(6, tag.size() - 7);
  for (auto& [rawName, value] : SplitPairs(body)) {
    const std::string name = Upper(rawName);
    if (name == "NAME" || name == "FAMILY") {
      // A quoted name as the font stack writes it.
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        std::string unquoted = value.substr(1, value.size() - 2);
        ReplaceAll(unquoted, "&quot;", "\"");
        font.SetName(unquoted);
      } else {
        font.SetName(value);
      }
    } else if (name == "SIZE") {
      if (!value.empty() && (value[0] == '+' || value[0] == '-'))
        SetFontSize(font, static_cast<int64_t>(font.GetSize()) + ParseInt(value));
      else
        SetFontSize(font, ParseInt(value));
    } else if (name == "COLOR") {
      font.SetColor(ParseColor(value));
    } else if (name == "WEIGHT") {
      TFontStyles style = 0;
      std::string list = Upper(value);
      size_t start = 0;
      while (true) {
        size_t comma = list.find(',', start);
        std::string word = TrimText(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (word == "BOLD") style |= fsBold;
        else if (word == "ITALIC") style |= fsItalic;
        else if (word == "UNDERLINE") style |= fsUnderline;
        else if (word == "STRIKE") style |= fsStrikeOut;
        else if (word != "NORMAL") throw Exception("Unknown field in FONT WEIGHT=" + value);
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      font.SetStyle(style);
    } else {
      throw Exception("Unknown field in FONT: " + rawName);
    }
  }
}

void HtmlTextOut(TNuvCanvas* canvas, int32_t x, int32_t y, const std::string& text)
{
  Render(canvas, x, y, text, true);
}

TSize HtmlTextExtent(TNuvCanvas* canvas, const std::string& text) { return Render(canvas, 0, 0, text, false); }

void InstallHtmlRenderer()
{
  if (NuvHtmlTextOut) return;
  NuvHtmlTextOut = [](TNuvCanvas* canvas, int32_t x, int32_t y, const std::string& text) {
    // A markup error never stops the chart from painting: the text shows as written, on an area
    // where none of its markup was drawn (the measuring pass finds every error first).
    try {
      HtmlTextExtent(canvas, text);
    } catch (const Exception&) {
      canvas->TextOut(x, y, text);
      return;
    }
    HtmlTextOut(canvas, x, y, text);
  };
}
