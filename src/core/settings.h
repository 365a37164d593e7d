// The user settings: named values directly under the settings key, read at the
// moment of use through the settings registry object.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// A setting as read: a number for registry integers, a text for registry strings.
using SettingValue = std::variant<int32_t, std::string>;

enum class SettingKind { Text, Boolean, Integer, Colour };

struct SettingDef {
  const char* name;
  SettingKind kind;
  SettingValue defaultValue;
};

// Every setting of the options dialog in its order, with the defaults of this
// installation (some depend on the program folder).
std::vector<SettingDef> SettingsTable();

// The value when it exists, else the default. Other registry types than string and
// integer raise "Unbekannter VariablenTyp beim Lesen aus der Registry".
SettingValue ReadSettingDef(const std::string& name, const SettingValue& defaultValue);
// The same without a default: a missing value raises EMyRegistryException
// "Values have not been initialized - Value: %s".
SettingValue ReadSetting(const std::string& name);

// Typed shorthands over ReadSetting. A text where a number is expected (or the
// other way round) raises EConvertError.
bool ReadSettingBool(const std::string& name);
int32_t ReadSettingInt(const std::string& name);
std::string ReadSettingText(const std::string& name);

// Writes one setting with the storage rule (text as string, others as integer).
void WriteSetting(const std::string& name, const SettingValue& value);

// First start: reads every row with its default and writes it straight back, so
// that afterwards every setting exists.
void WriteBackAllSettings();
