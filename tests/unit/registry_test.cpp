// The registry access layer on the real registry, below a key each test removes again.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/registry.h"
#include "support/checks.h"

namespace {
constexpr char kBase[] = "Software\\Velmoria\\QuitawayTests\\registry";
const std::string kAbs = std::string("\\") + kBase + "\\";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kBase).c_str()); }
  void TearDown() override { SetUp(); }
};

}  // namespace

TEST(RegistryCodes, TypesAndRootKeys) {
  for (int code = 0; code <= 11; ++code) {  // 3 and 4 exchanged, the rest the registry's numbers
    const DWORD type = code == rdInteger ? REG_DWORD : code == rdBinary ? REG_BINARY : DWORD(code);
    EXPECT_EQ(RegDataTypeToRegType(code), type);
    EXPECT_EQ(RegTypeToRegDataType(type), code);
  }
  EXPECT_EQ(RegDataTypeToRegType(128 + 4), static_cast<DWORD>(REG_BINARY));  // masked to 7 bits
  EXPECT_EQ(ErrorOf([] { RegTypeToRegDataType(12); }), "unknown Datatype of the Registry");
  EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
  for (const auto& [name, index] : {std::pair{"hkey_classes_root", 0}, {"hkdd", 6}, {"HKEY_NIRGENDS", -1}})
    EXPECT_EQ(RootKeyIndex(name), index) << name;
  EXPECT_EQ(RootKeyByIndex(2), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RootKeyByIndex(7), nullptr);
}

TEST_F(RegistryTest, KeysOpenAbsoluteOrRelativeAreListedAndDeletedWithAllBelow) {
  TMyRegistry reg(raFull);
  EXPECT_FALSE(reg.OpenKey(kAbs + "A", false));  // not there, not created
  ASSERT_TRUE(reg.OpenKey(kAbs + "A", true));
  ASSERT_TRUE(reg.OpenKey("B\\C", true));  // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), std::string(kBase) + "\\A\\B\\C");
  EXPECT_TRUE(reg.KeyExists(kAbs + "A\\B\\C"));
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  ASSERT_TRUE(reg.OpenKey(std::string(kBase) + "\\A", false));  // relative to the root when none is open
  reg.CreateKey(kAbs + "A\\Ärger\\L2");
  reg.CreateKey(kAbs + "A\\" + std::string(200, 'k'));
  std::vector<std::string> names;
  reg.GetKeyNames(names);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B", std::string(200, 'k'), "Ärger"}));
  reg.CloseKey();
  EXPECT_TRUE(reg.DeleteKey(kAbs + "A"));  // with every level below
  EXPECT_FALSE(reg.KeyExists(kAbs + "A"));
  EXPECT_FALSE(reg.DeleteKey(kAbs + "A"));
  reg.RegAccess = 9;
  EXPECT_EQ(ErrorOf([&] { reg.OpenKey(kAbs, false); }), "unknown Accesstype");
  EXPECT_EQ(ErrorOf([&] { reg.CreateKey(kAbs + "X"); }), "TMyRegistry.CreateKey: unknown Accesstype");
}

TEST_F(RegistryTest, ValuesRoundTripWithTheirTypesAndWrongReadsAreReported) {
  TMyRegistry reg(raFull);
  ASSERT_TRUE(reg.OpenKey(kAbs, true));
  reg.WriteString("Text", "Größe ✓");
  reg.WriteString("Pfad", "%WINDIR%\\x", rdExpandString);
  reg.WriteInteger("Zahl", -5);
  const uint8_t bin[] = {1, 2, 3};
  reg.WriteBinaryData("Bin", bin, rdBinary, 3);
  EXPECT_EQ(reg.ReadString("Text"), "Größe ✓");
  EXPECT_EQ(reg.ReadString("Pfad"), "%WINDIR%\\x");
  const std::string expanded = reg.ReadString("Pfad", true);
  EXPECT_TRUE(expanded.find('%') == std::string::npos && expanded.ends_with("\\x")) << expanded;
  EXPECT_EQ(reg.ReadInteger("Zahl"), -5);
  EXPECT_EQ(reg.ReadString("Fehlt"), "");
  for (const auto& [name, type] : {std::pair{"Text", rdString}, {"Pfad", rdExpandString}, {"Zahl", rdInteger},
                                   {"Bin", rdBinary}, {"Fehlt", rdUnknown}})
    EXPECT_EQ(reg.GetDataType(name), type) << name;
  uint8_t buf[3] = {};
  EXPECT_TRUE(reg.ReadBinaryData("Bin", buf, 3) == 3 && buf[2] == 3);
  EXPECT_TRUE(reg.DeleteValue("Bin"));
  EXPECT_FALSE(reg.ValueExists("Bin"));
  TMyRegistry reader;  // mode 0: read
  ASSERT_TRUE(reader.OpenKey(kAbs, false));
  EXPECT_EQ(ErrorOf([&] { reader.ReadString("Zahl"); }), "Ungültiger Datentyp für 'Zahl'");
  EXPECT_EQ(ErrorOf([&] { reader.ReadInteger("Text"); }), "Ungültiger Datentyp für 'Text'");
  EXPECT_EQ(ErrorOf([&] { reader.ReadBinaryData("Text", buf, 2); }), "Ungültiger Datentyp für 'Text'");
  EXPECT_EQ(ErrorOf([&] { reader.ReadInteger("Fehlt"); }), "Konnte Daten für 'Fehlt' nicht holen");
  EXPECT_EQ(ErrorOf([&] { reader.WriteInteger("Neu", 1); }),
            "TMyRegistry.PutData: You need WriteAccess to write Data, please use property REGACCESS before OPENKEY");
  EXPECT_EQ(ErrorOf([&] { reg.WriteString("S", "x", rdInteger); }),
            "MyRegistry.WriteString: RegDataType must be rdString or rdExpandString");
  EXPECT_FALSE(reader.ValueExists("Neu"));  // nothing written
}

TEST_F(RegistryTest, IniFileSectionsAndNumbers) {
  TMyRegIniFile ini(kBase);
  ini.WriteString("Fenster", "Name", "Haupt");
  EXPECT_EQ(ini.ReadString("Fenster", "Name", "x"), "Haupt");
  EXPECT_EQ(ini.ReadString("Fehlt", "Name", "vorgabe"), "vorgabe");
  for (const auto& [text, value] : {std::pair{"-640", -640}, {"0x1F", 31}, {"0XfF", 255}, {"abc", 5}, {"0x", 5},
                                    {"99999999999", 5}, {"0x+1F", 5}}) {
    ini.WriteString("Zahlen", "n", text);
    EXPECT_EQ(ini.ReadInteger("Zahlen", "n", 5), value) << text;
  }
}
