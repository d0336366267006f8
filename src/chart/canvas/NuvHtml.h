#pragma once
// Markup text: a small tag language for chart texts (bold, italic, fonts, sizes, headings,
// sub- and superscripts, line breaks, rules and images), drawn and measured token by token.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Graphics.h"
#include "platform/Types.h"

class TNuvCanvas;

class HtmlParserException : public Exception { public: using Exception::Exception; };

// Draws text with its top-left at (x, y). The canvas font is the same afterwards as before,
// whether the call ends normally or by an exception.
void HtmlTextOut(TNuvCanvas* canvas, int32_t x, int32_t y, const std::string& text);
// The size of text: the largest x reached and the tallest line height.
TSize HtmlTextExtent(TNuvCanvas* canvas, const std::string& text);

// Image hooks of the <IMG> tag; none installed by default (the tag then draws a placeholder).
// A new, empty graphic for an upper-case file extension such as ".PNG", or nullptr.
using TGraphicForExtension = std::function<std::unique_ptr<TGraphic>(const std::string& extension)>;
// Fills stream with the bytes of source; 0 on success.
using TLoadImageSource = std::function<int32_t(const std::string& source, std::string& stream)>;
// The graphic then reads the bytes itself (TGraphic::LoadFromBytes); one it cannot read draws the
// placeholder.
extern TGraphicForExtension GraphicForExtension;
extern TLoadImageSource LoadImageSource;

// Unit state: style tags opened so far and saved fonts (as font tag texts).
extern std::vector<std::string> TagStack;
extern std::vector<std::string> FontStack;

// The font tag text that saves font: "<FONT size=.. name=.. color=.. weight=..>". A name holding
// "=" or a double quote is written in double quotes, a double quote inside as "&quot;".
std::string FontToTag(const TFont& font);
// Applies a font tag (as saved, or as written in a text) to font.
void ApplyFontTag(TFont& font, const std::string& tag);

// Makes the canvas's formatted text output draw markup through this renderer. The text is
// measured first; one with a markup error is drawn plainly, and nothing of its markup is drawn.
void InstallHtmlRenderer();
