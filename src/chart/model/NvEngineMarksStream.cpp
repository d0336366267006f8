// The "Items" stream property of series marks: a 32-bit count, then for every index a list in
// the component stream's value encoding holding the published properties of the item there
// (empty for an index without an item). The reader checks every length and type against the
// block and applies nothing unless the whole block reads.
#include <cstring>
#include <map>
#include <optional>
#include <variant>

#include "chart/model/NvEngineMarks.h"
#include "chart/model/NvEngineStream.h"

namespace {

// Value kinds of the component stream.
enum TValueKind : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaSet = 11,
  vaLString = 12
};

// A read property value: a number, a text or identifier, a flag, a set (of identifiers) or a
// list of texts.
using TItemValue = std::variant<int64_t, std::string, bool, std::vector<std::string>>;
using TItemProperties = std::map<std::string, TItemValue>;

class TWriter {
public:
  std::vector<uint8_t> bytes;

  void Byte(uint8_t b) { bytes.push_back(b); }
  void Int32(int32_t v)
  {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
  }
  void ShortText(const std::string& s)
  {
    Byte(static_cast<uint8_t>(s.size()));
    bytes.insert(bytes.end(), s.begin(), s.end());
  }
  void Name(const std::string& name) { ShortText(name); }
  void Integer(const std::string& name, int64_t v)
  {
    Name(name);
    Byte(vaInt32);
    Int32(static_cast<int32_t>(v));
  }
  void Flag(const std::string& name, bool v)
  {
    Name(name);
    Byte(v ? vaTrue : vaFalse);
  }
  void Ident(const std::string& name, const std::string& ident)
  {
    Name(name);
    Byte(vaIdent);
    ShortText(ident);
  }
  void TextValue(const std::string& s)
  {
    if (s.size() <= 255) {
      Byte(vaString);
      ShortText(s);
    } else {
      Byte(vaLString);
      Int32(static_cast<int32_t>(s.size()));
      bytes.insert(bytes.end(), s.begin(), s.end());
    }
  }
  void Text(const std::string& name, const std::string& s)
  {
    Name(name);
    TextValue(s);
  }
  void Set(const std::string& name, const std::vector<std::string>& members)
  {
    Name(name);
    Byte(vaSet);
    for (const std::string& m : members) ShortText(m);
    Byte(0);
  }
  void Lines(const std::string& name, const std::vector<std::string>& lines)
  {
    Name(name);
    Byte(vaList);
    for (const std::string& l : lines) TextValue(l);
    Byte(vaNull);
  }
};

class TReader {
public:
  explicit TReader(const std::vector<uint8_t>& b) : bytes_(b) {}

  bool AtEnd() const { return pos_ == bytes_.size(); }
  uint8_t Byte()
  {
    Need(1);
    return bytes_[pos_++];
  }
  int32_t Int32()
  {
    Need(4);
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes_[pos_ + static_cast<size_t>(i)]) << (8 * i);
    pos_ += 4;
    return static_cast<int32_t>(u);
  }
  std::string Chars(size_t n)
  {
    Need(n);
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
    pos_ += n;
    return s;
  }
  std::string ShortText() { return Chars(Byte()); }

  // One property value of any kind.
  TItemValue Value()
  {
    const uint8_t kind = Byte();
    switch (kind) {
      case vaInt8: return static_cast<int64_t>(static_cast<int8_t>(Byte()));
      case vaInt16: {
        Need(2);
        const uint16_t u = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return static_cast<int64_t>(static_cast<int16_t>(u));
      }
      case vaInt32: return static_cast<int64_t>(Int32());
      case vaString:
      case vaIdent: return ShortText();
      case vaLString: {
        const int32_t n = Int32();
        if (n < 0) Fail();
        return Chars(static_cast<size_t>(n));
      }
      case vaFalse: return false;
      case vaTrue: return true;
      case vaSet: {
        std::vector<std::string> members;
        for (std::string m = ShortText(); !m.empty(); m = ShortText()) members.push_back(m);
        return members;
      }
      case vaList: {
        std::vector<std::string> lines;
        for (uint8_t k = Peek(); k != vaNull; k = Peek()) {
          // Only texts inside: a nested list is refused before it is read.
          if (k != vaString && k != vaLString && k != vaIdent) Fail();
          const TItemValue v = Value();
          const auto* s = std::get_if<std::string>(&v);
          if (!s) Fail();
          lines.push_back(*s);
        }
        ++pos_;
        return lines;
      }
      default: Fail();
    }
  }

  uint8_t Peek()
  {
    Need(1);
    return bytes_[pos_];
  }

  [[noreturn]] static void Fail() { throw EReadError("Error reading marks items: damaged block"); }

private:
  void Need(size_t n) const
  {
    if (n > bytes_.size() - pos_) Fail();
  }
  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

const char* const BevelNames[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
const char* const ShapeStyleNames[] = {"fosRectangle", "fosRoundRectangle"};
const std::pair<TFontStyle, const char*> FontStyleNames[] = {
    {fsBold, "fsBold"}, {fsItalic, "fsItalic"}, {fsUnderline, "fsUnderline"}, {fsStrikeOut, "fsStrikeOut"}};

void WriteItem(TWriter& w, TMarksItem& item)
{
  w.Ident("Bevel", BevelNames[std::min<int>(static_cast<int>(item.GetBevel()), 3)]);
  w.Integer("BevelWidth", item.GetBevelWidth());
  w.Integer("Color", static_cast<int32_t>(item.GetColor()));
  TNuvFont* font = item.GetFont();
  w.Integer("Font.Color", static_cast<int32_t>(font->GetColor()));
  w.Integer("Font.Height", font->GetHeight());
  w.Text("Font.Name", font->GetName());
  std::vector<std::string> styles;
  for (const auto& [flag, name] : FontStyleNames)
    if (font->GetStyle() & flag) styles.push_back(name);
  w.Set("Font.Style", styles);
  if (item.HasGradient()) {
    TNuvGradient* g = item.GetGradient();
    w.Integer("Gradient.Direction", g->GetDirection());
    w.Integer("Gradient.EndColor", static_cast<int32_t>(g->GetEndColor()));
    w.Integer("Gradient.StartColor", static_cast<int32_t>(g->GetStartColor()));
    w.Flag("Gradient.Visible", g->GetVisible());
  }
  TNuvShadow* shadow = item.GetShadow();
  w.Integer("Shadow.Color", static_cast<int32_t>(shadow->GetColor()));
  w.Integer("Shadow.HorizSize", shadow->GetHorizSize());
  w.Integer("Shadow.VertSize", shadow->GetVertSize());
  w.Ident("ShapeStyle", ShapeStyleNames[item.GetShapeStyle() == fosRoundRectangle ? 1 : 0]);
  if (item.HasText()) w.Lines("Text.Strings", *item.GetText());
  w.Integer("Transparency", item.GetTransparency());
  w.Flag("Transparent", item.GetTransparent());
}

// Checks the kinds of the known properties; unknown names are left alone.
void CheckItem(const TItemProperties& p)
{
  auto isInt = [&](const char* n) { return !p.count(n) || std::holds_alternative<int64_t>(p.at(n)); };
  auto isText = [&](const char* n) { return !p.count(n) || std::holds_alternative<std::string>(p.at(n)); };
  auto isFlag = [&](const char* n) { return !p.count(n) || std::holds_alternative<bool>(p.at(n)); };
  auto isList = [&](const char* n) { return !p.count(n) || std::holds_alternative<std::vector<std::string>>(p.at(n)); };
  for (const char* n : {"BevelWidth", "Color", "Font.Color", "Font.Height", "Gradient.Direction", "Gradient.EndColor",
                        "Gradient.StartColor", "Shadow.Color", "Shadow.HorizSize", "Shadow.VertSize", "Transparency"})
    if (!isInt(n)) TReader::Fail();
  for (const char* n : {"Bevel", "Font.Name", "ShapeStyle"})
    if (!isText(n)) TReader::Fail();
  for (const char* n : {"Gradient.Visible", "Transparent"})
    if (!isFlag(n)) TReader::Fail();
  for (const char* n : {"Font.Style", "Text.Strings"})
    if (!isList(n)) TReader::Fail();
  if (p.count("Transparency")) {
    const int64_t t = std::get<int64_t>(p.at("Transparency"));
    if (t < 0 || t > 100) TReader::Fail();
  }
  if (p.count("Gradient.Direction")) {
    const int64_t d = std::get<int64_t>(p.at("Gradient.Direction"));
    if (d < 0 || d > gdDiagonalDown) TReader::Fail();
  }
  if (p.count("Font.Height")) {
    const int64_t h = std::get<int64_t>(p.at("Font.Height"));
    if (h < -65535 || h > 65535) TReader::Fail();
  }
  auto identIn = [&](const char* n, const char* const* names, int count) {
    if (!p.count(n)) return;
    const std::string& s = std::get<std::string>(p.at(n));
    for (int i = 0; i < count; ++i)
      if (s == names[i]) return;
    TReader::Fail();
  };
  identIn("Bevel", BevelNames, 4);
  identIn("ShapeStyle", ShapeStyleNames, 2);
}

void ApplyItem(TMarksItem& item, const TItemProperties& p)
{
  auto integer = [&](const char* n) { return std::get<int64_t>(p.at(n)); };
  auto has = [&](const char* n) { return p.count(n) > 0; };
  if (has("Bevel")) {
    const std::string& s = std::get<std::string>(p.at("Bevel"));
    for (int i = 0; i < 4; ++i)
      if (s == BevelNames[i]) item.SetBevel(static_cast<TBevelCut>(i));
  }
  if (has("BevelWidth")) item.SetBevelWidth(static_cast<int32_t>(integer("BevelWidth")));
  if (has("Color")) item.SetColor(static_cast<TColor>(integer("Color")));
  TNuvFont* font = item.GetFont();
  if (has("Font.Color")) font->SetColor(static_cast<TColor>(integer("Font.Color")));
  if (has("Font.Height")) font->SetHeight(static_cast<int32_t>(integer("Font.Height")));
  if (has("Font.Name")) font->SetName(std::get<std::string>(p.at("Font.Name")));
  if (has("Font.Style")) {
    TFontStyles styles = 0;
    for (const std::string& m : std::get<std::vector<std::string>>(p.at("Font.Style")))
      for (const auto& [flag, name] : FontStyleNames)
        if (m == name) styles |= flag;
    font->SetStyle(styles);
  }
  if (has("Gradient.Direction") || has("Gradient.EndColor") || has("Gradient.StartColor") || has("Gradient.Visible")) {
    TNuvGradient* g = item.GetGradient();
    if (has("Gradient.Direction")) g->SetDirection(static_cast<TGradientDirection>(integer("Gradient.Direction")));
    if (has("Gradient.EndColor")) g->SetEndColor(static_cast<TColor>(integer("Gradient.EndColor")));
    if (has("Gradient.StartColor")) g->SetStartColor(static_cast<TColor>(integer("Gradient.StartColor")));
    if (has("Gradient.Visible")) g->SetVisible(std::get<bool>(p.at("Gradient.Visible")));
  }
  TNuvShadow* shadow = item.GetShadow();
  if (has("Shadow.Color")) shadow->SetColor(static_cast<TColor>(integer("Shadow.Color")));
  if (has("Shadow.HorizSize")) shadow->SetHorizSize(static_cast<int32_t>(integer("Shadow.HorizSize")));
  if (has("Shadow.VertSize")) shadow->SetVertSize(static_cast<int32_t>(integer("Shadow.VertSize")));
  if (has("ShapeStyle"))
    item.SetShapeStyle(std::get<std::string>(p.at("ShapeStyle")) == ShapeStyleNames[1] ? fosRoundRectangle : fosRectangle);
  if (has("Text.Strings")) {
    const auto& lines = std::get<std::vector<std::string>>(p.at("Text.Strings"));
    item.SetText(&lines);
  }
  if (has("Transparency")) item.SetTransparency(static_cast<TNuvTransparency>(integer("Transparency")));
  if (has("Transparent")) item.SetTransparent(std::get<bool>(p.at("Transparent")));
}

}  // namespace

std::vector<uint8_t> TSeriesMarks::WriteItems()
{
  TWriter w;
  w.Int32(items_.Count());
  for (int32_t i = 0; i < items_.Count(); ++i) {
    w.Byte(vaList);
    if (TMarksItem* item = items_.Find(i)) WriteItem(w, *item);
    w.Byte(vaNull);
  }
  return w.bytes;
}

void TSeriesMarks::ReadItems(const std::vector<uint8_t>& block)
{
  TReader r(block);
  const int32_t count = r.Int32();
  // Every index takes at least two bytes: the count cannot promise more than the block holds.
  if (count < 0 || static_cast<size_t>(count) > (block.size() - 4) / 2) TReader::Fail();
  std::vector<std::optional<TItemProperties>> read(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    if (r.Byte() != vaList) TReader::Fail();
    TItemProperties props;
    bool any = false;
    while (r.Peek() != vaNull) {
      const std::string name = r.ShortText();
      if (name.empty()) TReader::Fail();
      props[name] = r.Value();
      any = true;
    }
    r.Byte();
    CheckItem(props);
    if (any) read[static_cast<size_t>(i)] = std::move(props);
  }
  if (!r.AtEnd()) TReader::Fail();
  // The whole block read: the items are replaced.
  items_.Clear();
  for (int32_t i = 0; i < count; ++i)
    if (read[static_cast<size_t>(i)]) ApplyItem(*items_.Item(i), *read[static_cast<size_t>(i)]);
  items_.ReadFromStream = true;
}

void TSeriesMarks::DefineProperties(TFiler* filer)
{
  filer->DefineProperty(
      "Items",
      [this](const TStreamValue& v) {
        const auto* block = std::get_if<std::vector<uint8_t>>(&v);
        if (!block) TReader::Fail();
        ReadItems(*block);
      },
      [this]() -> TStreamValue { return WriteItems(); }, !items_.Empty());
}
