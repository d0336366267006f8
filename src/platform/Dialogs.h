#pragma once
// File and colour dialogs. Filters are written "Description|*.ext;*.ext2|Description 2|*.ext3";
// FilterIndex counts the filters from 1.
#include <functional>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Types.h"

class TOpenDialog : public TComponent {
public:
  explicit TOpenDialog(TComponent* owner) : TComponent(owner) {}

  std::string FileName;
  std::string Filter;
  int FilterIndex = 1;
  std::string InitialDir;
  std::string DefaultExt;
  std::string Title;

  // Shows the dialog; true when the user chose a file (FileName and FilterIndex then hold the choice).
  virtual bool Execute();
  // The folder the dialog opens in: InitialDir, else the folder of the current project or of the
  // last file chosen in any file dialog (SetLastFolder), else that of FileName, else "" (the
  // working folder).
  std::string StartFolder() const;
  // Makes Folder the one file dialogs open in when they have no file name or folder of their own.
  static void SetLastFolder(const std::string& folder);

  // Tests answer every file dialog with this instead of showing one: it may set FileName and
  // FilterIndex and returns what Execute returns.
  static std::function<bool(TOpenDialog*)> TestAnswer;

protected:
  virtual bool IsSave() const { return false; }
  // The name a save of the chosen one writes.
  virtual std::string Target(const std::string& fileName, int) const { return fileName; }
  // The name the last Execute asked about: what a save of the chosen name writes.
  std::string chosen_;
};

// A save dialog adds the chosen kind's extension (the first "*.ext" of its filter) to a name typed
// without one. Before it closes it asks whether to replace the file the caller will write, once:
// the name NameToWrite makes of the chosen one, when that file exists.
class TSaveDialog : public TOpenDialog {
public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

  // The file a save of the chosen name and kind (FilterIndex) writes; unset: the chosen name.
  std::function<std::string(const std::string& fileName, int filterIndex)> NameToWrite;

  // Whether the caller may write FileName after Execute: true when it is the name the dialog
  // asked about, when no such file exists, or when the user answers Yes to replacing it.
  bool MayReplace(const std::string& fileName) const;

protected:
  bool IsSave() const override { return true; }
  std::string Target(const std::string& fileName, int filterIndex) const override
  {
    return NameToWrite ? NameToWrite(fileName, filterIndex) : fileName;
  }
};

class TColorDialog : public TComponent {
public:
  explicit TColorDialog(TComponent* owner) : TComponent(owner) {}
  TColor Color = clBlack;
  bool Execute();
  // Tests answer colour dialogs with this: it may set Color and returns what Execute returns.
  static std::function<bool(TColorDialog*)> TestAnswer;
};

// "Desc|*.a;*.b|Desc2|*.c" as the list of (description, patterns) pairs; a trailing description
// without patterns is dropped.
std::vector<std::pair<std::string, std::vector<std::string>>> ParseDialogFilter(const std::string& filter);
// The 1-based index of the first kind of the filter with a pattern "*.ext" whose extension is
// that of fileName (any case); 0 when none names it.
int FilterIndexOfFileName(const std::string& filter, const std::string& fileName);
// The same filter in the window system's notation: "Desc (*.a *.b);;Desc2 (*.c)".
std::string DialogFilterToNative(const std::string& filter);
