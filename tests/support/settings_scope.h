// The program's settings in a key of the test's own, with their defaults, for the
// lifetime of the scope; the key is removed before and after.
#pragma once

#include <windows.h>

#include <string>

#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"

class SettingsScope {
 public:
  explicit SettingsScope(const std::string& name) : key_("Software\\Velmoria\\QuitawayTests\\" + name) {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key_).c_str());
    OpenSettingsRegistry(key_);
    WriteBackAllSettings();
  }
  ~SettingsScope() {
    CloseSettingsRegistry();
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(key_).c_str());
  }
  SettingsScope(const SettingsScope&) = delete;
  SettingsScope& operator=(const SettingsScope&) = delete;
  const std::string& Key() const { return key_; }

 private:
  std::string key_;
};
