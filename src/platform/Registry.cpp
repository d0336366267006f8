#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace {

std::string& StoreOverride()
{
  static std::string path;
  return path;
}

// Key segments and value names may hold any character but the separators of the settings file.
QString Escape(const std::string& s)
{
  QString out;
  for (QChar c : QString::fromStdString(s)) {
    if (c == '%') out += "%25";
    else if (c == '/') out += "%2F";
    else if (c == '\\') out += "%5C";
    else out += c;
  }
  return out;
}

QString Unescape(const QString& s)
{
  QString out = s;
  out.replace("%2F", "/").replace("%5C", "\\").replace("%25", "%");
  return out;
}

// Marker of an existing (possibly empty) key, and the prefix of value entries.
const QString kKeyMarker = QStringLiteral("@");
const QString kValuePrefix = QStringLiteral("=");
const QString kIntTag = QStringLiteral("dword:");
const QString kStrTag = QStringLiteral("sz:");

std::vector<std::string> Segments(const std::string& path)
{
  std::vector<std::string> out;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

}  // namespace

void TRegistry::SetStoreFile(const std::string& path) { StoreOverride() = path; }

std::string TRegistry::StoreFile()
{
  if (!StoreOverride().empty()) return StoreOverride();
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) base = QDir::homePath() + "/.config";
  return (base + "/Orbisk/registry.conf").toStdString();
}

TRegistry::TRegistry()
{
  QString file = QString::fromStdString(StoreFile());
  QDir().mkpath(QFileInfo(file).absolutePath());
  settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
}

TRegistry::~TRegistry()
{
  if (settings_) settings_->sync();
}

void TRegistry::SetRootKey(HKEY key)
{
  CloseKey();
  root_ = key;
}

std::string TRegistry::RootName() const
{
  switch (root_) {
  case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
  case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
  case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
  case HKEY_USERS: return "HKEY_USERS";
  default: return "HKEY_" + std::to_string(root_);
  }
}

// The settings group of key: absolute when key starts with a backslash, else below the open key.
std::string TRegistry::FullKey(const std::string& key) const
{
  std::vector<std::string> segs;
  if (!(key.size() > 0 && key[0] == '\\') && open_) segs = Segments(current_);
  for (auto& s : Segments(key)) segs.push_back(s);
  std::string out;
  for (auto& s : segs) {
    if (!out.empty()) out += '\\';
    out += s;
  }
  return out;
}

static QString GroupOf(const std::string& root, const std::string& key)
{
  QString g = QString::fromStdString(root);
  for (auto& s : Segments(key)) g += "/" + Escape(s);
  return g;
}

std::string TRegistry::ValuePath(const std::string& name) const
{
  return (GroupOf(RootName(), current_) + "/" + kValuePrefix + Escape(name)).toStdString();
}

bool TRegistry::KeyExists(const std::string& key)
{
  std::string full = FullKey(key);
  if (full.empty()) return true;
  QString g = GroupOf(RootName(), full);
  if (settings_->contains(g + "/" + kKeyMarker)) return true;
  settings_->beginGroup(g);
  bool any = !settings_->allKeys().isEmpty();
  settings_->endGroup();
  return any;
}

bool TRegistry::CreateKey(const std::string& key)
{
  std::string full = FullKey(key);
  // Every level exists from now on, as it does in a tree of keys.
  std::string partial;
  for (auto& s : Segments(full)) {
    if (!partial.empty()) partial += '\\';
    partial += s;
    settings_->setValue(GroupOf(RootName(), partial) + "/" + kKeyMarker, QString());
  }
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
  std::string full = FullKey(key);
  if (!KeyExists("\\" + full)) {
    if (!canCreate) return false;
    if (!CreateKey("\\" + full)) return false;
  }
  current_ = full;
  open_ = true;
  readOnly_ = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
  std::string full = FullKey(key);
  if (!KeyExists("\\" + full)) return false;
  current_ = full;
  open_ = true;
  readOnly_ = true;
  return true;
}

void TRegistry::CloseKey()
{
  if (settings_) settings_->sync();
  current_.clear();
  open_ = false;
  readOnly_ = false;
}

bool TRegistry::DeleteKey(const std::string& key)
{
  std::string full = FullKey(key);
  if (full.empty() || !KeyExists("\\" + full)) return false;
  settings_->remove(GroupOf(RootName(), full));
  settings_->sync();
  return true;
}

bool TRegistry::ValueExists(const std::string& name)
{
  if (!open_) return false;
  return settings_->contains(QString::fromStdString(ValuePath(name)));
}

bool TRegistry::DeleteValue(const std::string& name)
{
  if (!ValueExists(name) || readOnly_) return false;
  settings_->remove(QString::fromStdString(ValuePath(name)));
  settings_->sync();
  return true;
}

std::vector<std::string> TRegistry::GetValueNames()
{
  std::vector<std::string> out;
  settings_->beginGroup(GroupOf(RootName(), current_));
  for (const QString& k : settings_->childKeys())
    if (k.startsWith(kValuePrefix)) out.push_back(Unescape(k.mid(kValuePrefix.size())).toStdString());
  settings_->endGroup();
  return out;
}

std::vector<std::string> TRegistry::GetKeyNames()
{
  std::vector<std::string> out;
  settings_->beginGroup(GroupOf(RootName(), current_));
  for (const QString& k : settings_->childGroups()) out.push_back(Unescape(k).toStdString());
  settings_->endGroup();
  return out;
}

void TRegistry::CheckWritable() const
{
  if (!open_) throw ERegistryException("No registry key is open");
  if (readOnly_) throw ERegistryException("Registry key is read-only");
}

int32_t TRegistry::ReadInteger(const std::string& name)
{
  QVariant v = settings_->value(QString::fromStdString(ValuePath(name)));
  QString s = v.toString();
  if (!open_ || !v.isValid() || !s.startsWith(kIntTag))
    throw ERegistryException("Invalid data type for '" + name + "'");
  bool ok = false;
  int32_t value = s.mid(kIntTag.size()).toInt(&ok);
  if (!ok) throw ERegistryException("Invalid data type for '" + name + "'");
  return value;
}

bool TRegistry::ReadBool(const std::string& name) { return ReadInteger(name) != 0; }

std::string TRegistry::ReadString(const std::string& name)
{
  QVariant v = settings_->value(QString::fromStdString(ValuePath(name)));
  QString s = v.toString();
  if (!open_ || !v.isValid() || !s.startsWith(kStrTag))
    throw ERegistryException("Invalid data type for '" + name + "'");
  return s.mid(kStrTag.size()).toStdString();
}

void TRegistry::WriteInteger(const std::string& name, int32_t value)
{
  CheckWritable();
  settings_->setValue(QString::fromStdString(ValuePath(name)), kIntTag + QString::number(value));
  settings_->sync();
}

void TRegistry::WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
  CheckWritable();
  settings_->setValue(QString::fromStdString(ValuePath(name)), kStrTag + QString::fromStdString(value));
  settings_->sync();
}
