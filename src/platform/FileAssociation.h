#pragma once
// Association of a file extension with the program in the user's desktop environment: a desktop
// entry and a shared MIME type under $XDG_DATA_HOME (or ~/.local/share).
#include <string>

// Writes <data>/mime/packages/<progId>.xml (MIME type "application/x-<progId>", comment Description,
// glob "*.<ext>") and <data>/applications/<progId>.desktop (Exec the quoted program path and %f).
// Files already holding the same text are not rewritten. False on any failure; nothing is reported.
bool WriteFileAssociation(const std::string& ext, const std::string& progId, const std::string& description,
                          const std::string& exePath);
// The user's data folder: $XDG_DATA_HOME when set and absolute, else $HOME/.local/share; "" when neither.
std::string UserDataFolder();
