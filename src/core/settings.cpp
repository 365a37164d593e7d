#include "core/settings.h"

#include "core/exceptions.h"
#include "core/format.h"
#include "core/identity.h"
#include "core/registry.h"
#include "core/translate.h"

namespace {

constexpr int32_t kInfoBackgroundColour = static_cast<int32_t>(0x80000018u);  // system colour
constexpr int32_t kBlack = 0x000000;
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kSilver = 0xC0C0C0;

bool ParseInt(const std::string& text, int32_t& value) {
  try {
    size_t used = 0;
    const long long v = std::stoll(text, &used, 10);
    if (used != text.size() || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int32_t AsInt(const std::string& name, const SettingValue& value) {
  if (const auto* i = std::get_if<int32_t>(&value)) return *i;
  int32_t parsed = 0;
  if (ParseInt(std::get<std::string>(value), parsed)) return parsed;
  throw EConvertError(FormatMsg(tr("Die Einstellung %s enthält keine Zahl: '%s'"),
                                {name, std::get<std::string>(value)}));
}

}  // namespace

std::vector<SettingDef> SettingsTable() {
  const std::string folder = ProgramFolder();
  using K = SettingKind;
  return {
      {"PathToSystemFiles", K::Text, std::string("C:\\")},
      {"DefaultText", K::Text, std::string("(Standard)")},
      {"EmptyText", K::Text, std::string("(leer)")},
      {"ShowRegistryErrors", K::Boolean, 0},
      {"ShowHints", K::Boolean, 1},
      {"HintColor", K::Colour, kInfoBackgroundColour},
      {"CaptionColor", K::Colour, kBlack},
      {"CaptionTextActive", K::Colour, kWhite},
      {"CaptionTextInActive", K::Colour, kSilver},
      {"UseRecycleBin", K::Boolean, 1},
      {"BackupFiles", K::Boolean, 0},
      {"BackupDir", K::Text, folder},
      {"HandleSharedDLLs", K::Integer, 0},
      {"MakeDLLBackup", K::Boolean, 0},
      {"DLLBackupPath", K::Text, folder + "DLLBackup\\"},
      {"UseDLLBackupRestore", K::Boolean, 1},
      {"StoreVersionInfo", K::Boolean, 0},
      {"VersionExtList", K::Text, std::string("*.exe\r\n*.dll\r\n*.ocx\r\n*.vbx")},
  };
}

SettingValue ReadSettingDef(const std::string& name, const SettingValue& defaultValue) {
  TMyRegistry& reg = SettingsRegistry();
  if (!reg.ValueExists(name)) return defaultValue;
  switch (reg.GetDataType(name)) {
    case rdString:
    case rdExpandString: return reg.ReadString(name);
    case rdInteger: return reg.ReadInteger(name);
    default: throw EMyRegistryException(tr("Unbekannter VariablenTyp beim Lesen aus der Registry"));
  }
}

SettingValue ReadSetting(const std::string& name) {
  TMyRegistry& reg = SettingsRegistry();
  if (!reg.ValueExists(name))
    throw EMyRegistryException(FormatMsg("Values have not been initialized - Value: %s", {name}));
  return ReadSettingDef(name, 0);
}

bool ReadSettingBool(const std::string& name) { return AsInt(name, ReadSetting(name)) != 0; }
int32_t ReadSettingInt(const std::string& name) { return AsInt(name, ReadSetting(name)); }

std::string ReadSettingText(const std::string& name) {
  const SettingValue value = ReadSetting(name);
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  return std::to_string(std::get<int32_t>(value));
}

void WriteSetting(const std::string& name, const SettingValue& value) {
  TMyRegistry& reg = SettingsRegistry();
  if (const auto* s = std::get_if<std::string>(&value)) reg.WriteString(name, *s);
  else reg.WriteInteger(name, std::get<int32_t>(value));
}

void WriteBackAllSettings() {
  for (const SettingDef& row : SettingsTable()) {
    const SettingValue value = ReadSettingDef(row.name, row.defaultValue);
    if (row.kind == SettingKind::Text) {
      WriteSetting(row.name, std::holds_alternative<std::string>(value)
                                 ? value
                                 : SettingValue(std::to_string(std::get<int32_t>(value))));
      continue;
    }
    // A number row holding text that is no number gets its default back.
    int32_t number = std::get<int32_t>(row.defaultValue);
    if (const auto* i = std::get_if<int32_t>(&value)) number = *i;
    else ParseInt(std::get<std::string>(value), number);
    WriteSetting(row.name, number);
  }
}
