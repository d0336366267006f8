#pragma once
// Plain text on the system clipboard.
#include <string>

void ClipboardSetText(const std::string& text);
std::string ClipboardGetText();
