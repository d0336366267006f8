#include "platform/Dialogs.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include <QColorDialog>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QStringList>

#include "platform/ControlsQt.h"
#include "platform/Forms.h"
#include "platform/MessageBox.h"

using namespace ctlqt;

std::function<bool(TOpenDialog*)> TOpenDialog::TestAnswer;
std::function<bool(TColorDialog*)> TColorDialog::TestAnswer;

namespace {
std::vector<std::string> SplitAt(const std::string& s, char sep)
{
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  return parts;
}

std::string Trim(const std::string& s)
{
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}
}  // namespace

std::vector<std::pair<std::string, std::vector<std::string>>> ParseDialogFilter(const std::string& filter)
{
  std::vector<std::pair<std::string, std::vector<std::string>>> result;
  if (filter.empty()) return result;
  const auto parts = SplitAt(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::vector<std::string> patterns;
    for (const auto& p : SplitAt(parts[i + 1], ';')) {
      const std::string t = Trim(p);
      if (!t.empty()) patterns.push_back(t);
    }
    result.emplace_back(parts[i], patterns);
  }
  return result;
}

int FilterIndexOfFileName(const std::string& filter, const std::string& fileName)
{
  auto lower = [](std::string t) {
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t;
  };
  const size_t slash = fileName.rfind('/');
  const size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
  const std::string ext = lower(fileName.substr(dot));
  const auto kinds = ParseDialogFilter(filter);
  for (size_t i = 0; i < kinds.size(); ++i)
    for (const std::string& pattern : kinds[i].second)
      if (pattern.size() > 2 && pattern[0] == '*' && pattern[1] == '.' && lower(pattern.substr(1)) == ext)
        return static_cast<int>(i) + 1;
  return 0;
}

std::string DialogFilterToNative(const std::string& filter)
{
  std::string out;
  for (const auto& [desc, patterns] : ParseDialogFilter(filter)) {
    if (!out.empty()) out += ";;";
    out += desc + " (";
    for (size_t i = 0; i < patterns.size(); ++i) out += (i ? " " : "") + patterns[i];
    out += ")";
  }
  return out;
}

namespace {
std::string g_lastFolder;

// The extension, without its dot, of the first pattern "*.ext" of each kind; "" for a kind without
// one.
QStringList KindExtensions(const std::string& filter)
{
  QStringList extensions;
  for (const auto& kind : ParseDialogFilter(filter)) {
    QString ext;
    for (const std::string& pattern : kind.second)
      if (pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0 && pattern.find_first_of("*?[", 2) == std::string::npos) {
        ext = Q(pattern.substr(2));
        break;
      }
    extensions.append(ext);
  }
  return extensions;
}

// Whether the user lets a save replace the existing file Name.
bool AskReplace(const std::string& fileName)
{
  return MessageDlg(std::filesystem::path(fileName).filename().string() + " already exists. Do you want to replace it?",
                    TMsgDlgType::mtConfirmation, mbYes | mbNo) == mrYes;
}

// A save dialog whose default suffix follows the chosen kind, up to the moment it checks the name.
// It then asks whether to replace the file that will be written (Target of the chosen name and
// kind), and stays open on No.
class KindSuffixDialog : public QFileDialog {
public:
  using TTarget = std::function<std::string(const std::string&, int)>;
  KindSuffixDialog(const QString& caption, const QString& dir, const QString& filter, bool save, TTarget target)
      : QFileDialog(nullptr, caption, dir, filter), save_(save), target_(std::move(target))
  {
    connect(this, &QFileDialog::filterSelected, this, [this] { FollowKind(); });
    if (save_) setOption(QFileDialog::DontConfirmOverwrite);
  }
  void SetKindExtensions(const QStringList& extensions)
  {
    const QStringList kinds = nameFilters();
    for (qsizetype i = 0; i < kinds.size() && i < extensions.size(); ++i) suffixes_[kinds.at(i)] = extensions.at(i);
    FollowKind();
  }
  void FollowKind()
  {
    if (save_) setDefaultSuffix(suffixes_.value(selectedNameFilter()));
  }
  void accept() override
  {
    FollowKind();
    const QStringList files = selectedFiles();
    if (save_ && files.size() == 1 && !QFileInfo(files.first()).isDir()) {
      const std::string target = target_(S(files.first()), static_cast<int>(nameFilters().indexOf(selectedNameFilter())) + 1);
      std::error_code error;
      if (std::filesystem::exists(target, error) && !AskReplace(target)) return;
    }
    QFileDialog::accept();
  }

private:
  bool save_;
  TTarget target_;
  QHash<QString, QString> suffixes_;
};

class ExtensionIconProvider : public QFileIconProvider {
public:
  QString type(const QFileInfo& info) const override
  {
    if (info.isDir() || info.isRoot()) return QFileIconProvider::type(info);
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
  }
};

std::string FolderOf(const std::string& fileName)
{
  const size_t slash = fileName.rfind('/');
  return slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1);
}
}  // namespace

void TOpenDialog::SetLastFolder(const std::string& folder) { g_lastFolder = folder; }

std::string TOpenDialog::StartFolder() const
{
  if (!InitialDir.empty()) return InitialDir;
  if (!g_lastFolder.empty()) return g_lastFolder;
  return FolderOf(FileName);
}

bool TOpenDialog::Execute()
{
  if (TestAnswer) {
    const bool chosen = TestAnswer(this);
    if (chosen && !FolderOf(FileName).empty()) g_lastFolder = FolderOf(FileName);
    chosen_ = Target(FileName, FilterIndex);
    return chosen;
  }
  const QString native = Q(DialogFilterToNative(Filter));
  const QStringList filters = native.split(";;", Qt::SkipEmptyParts);
  QString selected;
  if (FilterIndex >= 1 && FilterIndex <= filters.size()) selected = filters.at(FilterIndex - 1);
  // The start folder, with the last name chosen here preselected when it lies there.
  const std::string start = StartFolder();
  QString dir = Q(!FileName.empty() && FolderOf(FileName) == start ? FileName : start);
  // The dialog names the kinds of the files it lists by their extensions only: the window
  // system's naming reads the start of each file, and a file of a system folder (/proc, /sys) can
  // block that read for good. The namer outlives the dialog.
  ExtensionIconProvider icons;
  KindSuffixDialog dialog(Q(Title), dir, native, IsSave(),
                         [this](const std::string& name, int index) { return Target(name, index); });
  dialog.setIconProvider(&icons);
  dialog.setAcceptMode(IsSave() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (!IsSave()) dialog.setFileMode(QFileDialog::ExistingFile);
  if (!selected.isEmpty()) dialog.selectNameFilter(selected);
  dialog.SetKindExtensions(KindExtensions(Filter));
  QString chosen;
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) chosen = dialog.selectedFiles().first();
  selected = dialog.selectedNameFilter();
  if (chosen.isEmpty()) return false;
  FileName = S(chosen);
  g_lastFolder = FolderOf(FileName);
  const int idx = filters.indexOf(selected);
  if (idx >= 0) FilterIndex = idx + 1;
  chosen_ = Target(FileName, FilterIndex);
  return true;
}

bool TSaveDialog::MayReplace(const std::string& fileName) const
{
  std::error_code error;
  if (fileName == chosen_ || !std::filesystem::exists(fileName, error)) return true;
  return AskReplace(fileName);
}

bool TColorDialog::Execute()
{
  if (TestAnswer) return TestAnswer(this);
  const QColor c = QColorDialog::getColor(ToQColor(Color));
  if (!c.isValid()) return false;
  Color = RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
  return true;
}
