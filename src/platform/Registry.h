#pragma once
// The registry: a tree of keys holding named values, kept in one settings file in the user's
// config folder ($XDG_CONFIG_HOME/Orbisk/registry.conf, else ~/.config/Orbisk/registry.conf).
// Tests redirect it with SetStoreFile or XDG_CONFIG_HOME.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

class QSettings;

using HKEY = uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u, HKEY_CURRENT_USER = 0x80000001u, HKEY_LOCAL_MACHINE = 0x80000002u,
               HKEY_USERS = 0x80000003u;

class ERegistryException : public Exception { public: using Exception::Exception; };

class TRegistry {
public:
  TRegistry();
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY GetRootKey() const { return root_; }
  void SetRootKey(HKEY key);
  // Opens key (relative to the open key unless it starts with a backslash); with canCreate the
  // key is made when absent. False when the key does not exist and may not be created.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  bool KeyExists(const std::string& key);
  bool DeleteKey(const std::string& key);
  bool CreateKey(const std::string& key);
  const std::string& CurrentPath() const { return current_; }
  bool HasCurrentKey() const { return open_; }

  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  std::vector<std::string> GetValueNames();
  std::vector<std::string> GetKeyNames();

  // Readers raise ERegistryException when the value is absent or of another kind.
  bool ReadBool(const std::string& name);
  int32_t ReadInteger(const std::string& name);
  std::string ReadString(const std::string& name);
  // Writers raise ERegistryException when no key is open or the key is read-only.
  void WriteBool(const std::string& name, bool value);
  void WriteInteger(const std::string& name, int32_t value);
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value) { WriteString(name, value); }

  // Redirects every registry object to this file (empty: back to the user's config folder).
  static void SetStoreFile(const std::string& path);
  static std::string StoreFile();

private:
  std::string RootName() const;
  std::string FullKey(const std::string& key) const;
  std::string ValuePath(const std::string& name) const;
  void CheckWritable() const;

  HKEY root_ = HKEY_CURRENT_USER;
  std::string current_;
  bool open_ = false;
  bool readOnly_ = false;
  std::unique_ptr<QSettings> settings_;
};
