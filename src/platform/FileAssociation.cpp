#include "platform/FileAssociation.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QProcess>
#include <QString>
#include <QStringList>

#include "platform/TextFile.h"

namespace fs = std::filesystem;

namespace {

std::string XmlEscape(const std::string& s)
{
  std::string r;
  for (char c : s) {
    switch (c) {
    case '&': r += "&amp;"; break;
    case '<': r += "&lt;"; break;
    case '>': r += "&gt;"; break;
    case '"': r += "&quot;"; break;
    default: r += c;
    }
  }
  return r;
}

// One argument of an Exec line: quoted, with the quoting escapes and then the string escapes.
std::string ExecQuote(const std::string& path)
{
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\')
      quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  std::string r;
  for (char c : quoted) {
    if (c == '\\')
      r += "\\\\";
    else if (c == '%')
      r += "%%";
    else
      r += c;
  }
  return r;
}

// A line value of a desktop entry may hold no line break.
bool SingleLine(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

bool ReadWhole(const fs::path& p, std::string& text)
{
  std::ifstream in(p, std::ios::binary);
  if (!in)
    return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}

// Writes text unless the file already holds it. Changed is set when something was written.
bool WriteIfChanged(const fs::path& p, const std::string& text, bool& changed)
{
  std::string old;
  if (ReadWhole(p, old) && old == text)
    return true;
  std::error_code ec;
  fs::create_directories(p.parent_path(), ec);
  if (ec)
    return false;
  std::string tmp = p.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out)
      return false;
    out << text;
    out.close();
    if (!out) {
      fs::remove(tmp, ec);
      return false;
    }
  }
  fs::rename(tmp, p, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return false;
  }
  changed = true;
  return true;
}

// Runs a helper program on a folder and waits a little for it; failures are ignored.
void RunTool(const char* program, const std::string& folder)
{
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(QString::fromLatin1(program), QStringList{QString::fromStdString(folder)});
  if (process.waitForStarted(2000) && !process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished(1000);
  }
}

}  // namespace

std::string UserDataFolder()
{
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/')
    return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/')
    return std::string(home) + "/.local/share";
  return "";
}

bool WriteFileAssociation(const std::string& ext, const std::string& progId, const std::string& description,
                          const std::string& exePath)
{
  if (ext.empty() || progId.empty() || exePath.empty())
    return false;
  if (!SingleLine(ext) || !SingleLine(progId) || !SingleLine(description) || !SingleLine(exePath))
    return false;
  if (progId.find('/') != std::string::npos || ext.find('/') != std::string::npos)
    return false;
  const std::string data = UserDataFolder();
  if (data.empty())
    return false;
  const std::string mimeType = "application/x-" + progId;

  std::string xml;
  xml += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  xml += "  <mime-type type=\"" + XmlEscape(mimeType) + "\">\n";
  xml += "    <comment>" + XmlEscape(description) + "</comment>\n";
  xml += "    <glob pattern=\"*." + XmlEscape(ext) + "\"/>\n";
  xml += "  </mime-type>\n";
  xml += "</mime-info>\n";

  std::string desktop;
  desktop += "[Desktop Entry]\n";
  desktop += "Type=Application\n";
  desktop += "Name=Orbisk\n";
  desktop += "Exec=" + ExecQuote(exePath) + " %f\n";
  desktop += "MimeType=" + mimeType + ";\n";
  desktop += "Terminal=false\n";
  desktop += "NoDisplay=true\n";

  bool mimeChanged = false, desktopChanged = false;
  const fs::path root(data);
  bool ok = WriteIfChanged(root / "mime" / "packages" / (progId + ".xml"), xml, mimeChanged);
  ok = WriteIfChanged(root / "applications" / (progId + ".desktop"), desktop, desktopChanged) && ok;
  // The desktop's caches are rebuilt only when something changed; a missing tool is no error.
  if (mimeChanged)
    RunTool("update-mime-database", (root / "mime").string());
  if (desktopChanged)
    RunTool("update-desktop-database", (root / "applications").string());
  return ok;
}
