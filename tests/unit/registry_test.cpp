// The registry access layer against the real registry of the test prefix, below a
// key of its own that each test removes again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/registry.h"
#include "platform/text.h"

namespace {

constexpr char kBase[] = "Software\\Velmoria\\QuitawayTests\\registry";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kBase).c_str()); }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kBase).c_str());
  }
  static std::string Abs(const std::string& rel = "") {
    return "\\" + std::string(kBase) + (rel.empty() ? "" : "\\" + rel);
  }
  static bool Exists(const std::string& rel) {
    HKEY key;
    const std::wstring path = platform::Utf8ToWide(std::string(kBase) + "\\" + rel);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  template <typename F>
  static std::string ErrorOf(F f) {
    try {
      f();
    } catch (const EMyRegistryException& e) {
      return e.what();
    }
    return "no error";
  }
};

}  // namespace

TEST(RegDataType, ThreeAndFourAreExchanged) {
  EXPECT_EQ(RegDataTypeToRegType(rdInteger), static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(RegDataTypeToRegType(rdBinary), static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(RegTypeToRegDataType(REG_DWORD), rdInteger);
  EXPECT_EQ(RegTypeToRegDataType(REG_BINARY), rdBinary);
  for (int code : {0, 1, 2, 5, 6, 7, 8, 9, 10, 11}) {
    EXPECT_EQ(RegDataTypeToRegType(code), static_cast<DWORD>(code));
    EXPECT_EQ(RegTypeToRegDataType(static_cast<DWORD>(code)), code);
  }
  EXPECT_EQ(RegDataTypeToRegType(128 + 4), static_cast<DWORD>(REG_BINARY));  // masked to 7 bits
  EXPECT_THROW(RegDataTypeToRegType(12), EMyRegistryException);
  EXPECT_THROW(RegTypeToRegDataType(12), EMyRegistryException);
}

TEST(RootKeys, LongAndShortNames) {
  EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeyShortName(HKEY_CURRENT_CONFIG), "HKCC");
  EXPECT_EQ(RootKeyShortName(HKEY_USERS), "HKU");
  EXPECT_EQ(RootKeyName(reinterpret_cast<HKEY>(static_cast<intptr_t>(0x1234))), "");
  EXPECT_EQ(RootKeyIndex("hkey_classes_root"), 0);
  EXPECT_EQ(RootKeyIndex("hkdd"), 6);
  EXPECT_EQ(RootKeyIndex("HKEY_NIRGENDS"), -1);
  EXPECT_EQ(RootKeyByIndex(2), HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RootKeyByIndex(7), nullptr);
}

TEST_F(RegistryTest, OpenKeyAbsoluteRelativeAndThePath) {
  TMyRegistry reg(raFull);
  EXPECT_FALSE(reg.OpenKey(Abs("A"), false));  // not there, not created
  ASSERT_TRUE(reg.OpenKey(Abs("A"), true));
  EXPECT_EQ(reg.CurrentPath(), std::string(kBase) + "\\A");
  ASSERT_TRUE(reg.OpenKey("B\\C", true));  // relative to the open key
  EXPECT_EQ(reg.CurrentPath(), std::string(kBase) + "\\A\\B\\C");
  EXPECT_TRUE(Exists("A\\B\\C"));
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");

  // Relative to the root when no key is open; an empty path opens the root itself.
  ASSERT_TRUE(reg.OpenKey(std::string(kBase) + "\\A", false));
  TMyRegistry root(raRead);
  ASSERT_TRUE(root.OpenKey("", false));
  EXPECT_NE(root.CurrentKey(), nullptr);
  std::vector<std::string> names;
  root.GetKeyNames(names);
  EXPECT_NE(std::find(names.begin(), names.end(), "Software"), names.end());

  reg.RegAccess = 9;
  try {
    reg.OpenKey(Abs(), false);
    FAIL();
  } catch (const EMyRegistryException& e) {
    EXPECT_STREQ(e.what(), "unknown Accesstype");
  }
  EXPECT_EQ(ErrorOf([&] { reg.CreateKey(Abs("X")); }), "TMyRegistry.CreateKey: unknown Accesstype");
}

TEST_F(RegistryTest, ValuesOfEveryKindAndTheirTypes) {
  TMyRegistry reg(raFull);
  ASSERT_TRUE(reg.OpenKey(Abs(), true));
  reg.WriteString("Text", "Größe ✓");
  reg.WriteString("Pfad", "%WINDIR%\\x", rdExpandString);
  reg.WriteInteger("Zahl", -5);
  reg.WriteBool("Ja", true);
  reg.WriteFloat("Datum", 36526.5);
  const uint8_t multi[] = {'a', 0, 0, 0, 0, 0};
  reg.WriteBinaryData("Mehr", multi, rdMultiString, sizeof multi);
  const uint8_t bin[] = {1, 2, 3};
  reg.WriteBinaryData("Bin", bin, rdBinary, 3);

  EXPECT_EQ(reg.ReadString("Text"), "Größe ✓");
  EXPECT_EQ(reg.ReadString("Pfad"), "%WINDIR%\\x");
  const std::string expanded = reg.ReadString("Pfad", true);
  EXPECT_EQ(expanded.find('%'), std::string::npos) << expanded;
  EXPECT_EQ(expanded.substr(expanded.size() - 2), "\\x");
  EXPECT_EQ(reg.ReadInteger("Zahl"), -5);
  EXPECT_TRUE(reg.ReadBool("Ja"));
  EXPECT_DOUBLE_EQ(reg.ReadFloat("Datum"), 36526.5);
  EXPECT_EQ(reg.GetDataType("Zahl"), rdInteger);
  EXPECT_EQ(reg.GetDataType("Bin"), rdBinary);
  EXPECT_EQ(reg.GetDataType("Mehr"), rdMultiString);
  EXPECT_EQ(reg.GetDataType("Fehlt"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize("Bin"), 3);
  EXPECT_EQ(reg.GetDataSize("Fehlt"), -1);
  EXPECT_TRUE(reg.ValueExists("Bin"));
  EXPECT_EQ(reg.ReadString("Fehlt"), "");

  uint8_t buf[3] = {};
  EXPECT_EQ(reg.ReadBinaryData("Bin", buf, 3), 3);
  EXPECT_EQ(buf[2], 3);
  EXPECT_EQ(reg.ReadBinaryData("Fehlt", buf, 3), 0);
  EXPECT_EQ(ErrorOf([&] { reg.ReadBinaryData("Bin", buf, 2); }), "Ungültiger Datentyp für 'Bin'");

  std::vector<std::string> names;
  reg.GetValueNames(names);
  EXPECT_EQ(names.size(), 7u);
  EXPECT_TRUE(reg.DeleteValue("Bin"));
  EXPECT_FALSE(reg.DeleteValue("Bin"));
  EXPECT_FALSE(reg.ValueExists("Bin"));
}

TEST_F(RegistryTest, WrongTypesMissingValuesAndWritesWithoutWriteAccess) {
  TMyRegistry writer(raFull);
  ASSERT_TRUE(writer.OpenKey(Abs(), true));
  writer.WriteInteger("Zahl", 7);
  writer.WriteString("Text", "7");

  TMyRegistry reader;  // mode 0: read
  ASSERT_TRUE(reader.OpenKey(Abs(), false));
  EXPECT_EQ(ErrorOf([&] { reader.ReadString("Zahl"); }), "Ungültiger Datentyp für 'Zahl'");
  EXPECT_EQ(ErrorOf([&] { reader.ReadInteger("Text"); }), "Ungültiger Datentyp für 'Text'");
  EXPECT_EQ(ErrorOf([&] { reader.ReadInteger("Fehlt"); }), "Konnte Daten für 'Fehlt' nicht holen");
  EXPECT_EQ(ErrorOf([&] { reader.ReadFloat("Zahl"); }), "Ungültiger Datentyp für 'Zahl'");
  EXPECT_EQ(ErrorOf([&] { reader.WriteInteger("Neu", 1); }),
            "TMyRegistry.PutData: You need WriteAccess to write Data, please use property REGACCESS "
            "before OPENKEY");
  EXPECT_FALSE(reader.ValueExists("Neu"));  // nothing written
  EXPECT_EQ(ErrorOf([&] { writer.WriteString("S", "x", rdInteger); }),
            "MyRegistry.WriteString: RegDataType must be rdString or rdExpandString");

  TMyRegistry writeOnly(raWrite);
  ASSERT_TRUE(writeOnly.OpenKey(Abs(), false));
  writeOnly.WriteInteger("Neu", 1);
  EXPECT_EQ(writer.ReadInteger("Neu"), 1);
}

TEST_F(RegistryTest, DeleteKeyRemovesThreeLevelsOfSubkeys) {
  TMyRegistry reg(raFull);
  reg.CreateKey(Abs("Del\\L1a\\L2\\L3"));
  reg.CreateKey(Abs("Del\\L1b\\L2b"));
  ASSERT_TRUE(reg.OpenKey(Abs("Del\\L1a\\L2\\L3"), false));
  reg.WriteString("v", "w");
  reg.CloseKey();
  ASSERT_TRUE(Exists("Del\\L1a\\L2\\L3"));

  EXPECT_TRUE(reg.DeleteKey(Abs("Del")));
  EXPECT_FALSE(Exists("Del"));
  EXPECT_FALSE(reg.DeleteKey(Abs("Del")));  // nothing left to delete

  // Relative to the open key.
  reg.CreateKey(Abs("R\\S\\T"));
  ASSERT_TRUE(reg.OpenKey(Abs("R"), false));
  EXPECT_TRUE(reg.HasSubKeys());
  EXPECT_TRUE(reg.DeleteKey("S"));
  EXPECT_FALSE(reg.HasSubKeys());
  TRegKeyInfo info;
  ASSERT_TRUE(reg.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 0u);
}

TEST_F(RegistryTest, KeyNamesWithUnicodeAndLongNames) {
  TMyRegistry reg(raFull);
  const std::string longName(200, 'k');
  reg.CreateKey(Abs("Names\\Ärger"));
  reg.CreateKey(Abs("Names\\" + longName));
  ASSERT_TRUE(reg.OpenKey(Abs("Names"), false));
  std::vector<std::string> names;
  reg.GetKeyNames(names);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{longName, "Ärger"}));
}

TEST_F(RegistryTest, IniFileSectionsAndNumbers) {
  TMyRegIniFile ini(kBase);
  ini.WriteString("Fenster", "Name", "Haupt");
  ini.WriteInteger("Fenster", "Breite", -640);
  EXPECT_EQ(ini.ReadString("Fenster", "Name", "x"), "Haupt");
  EXPECT_EQ(ini.ReadString("Fenster", "Fehlt", "vorgabe"), "vorgabe");
  EXPECT_EQ(ini.ReadString("Fehlt", "Name", "vorgabe"), "vorgabe");
  EXPECT_EQ(ini.ReadInteger("Fenster", "Breite", 0), -640);
  EXPECT_TRUE(Exists("Fenster"));

  ini.WriteString("Zahlen", "hex", "0x1F");
  ini.WriteString("Zahlen", "gross", "0XfF");
  ini.WriteString("Zahlen", "text", "abc");
  ini.WriteString("Zahlen", "nur0x", "0x");
  ini.WriteString("Zahlen", "riesig", "99999999999");
  EXPECT_EQ(ini.ReadInteger("Zahlen", "hex", 5), 31);
  EXPECT_EQ(ini.ReadInteger("Zahlen", "gross", 5), 255);
  EXPECT_EQ(ini.ReadInteger("Zahlen", "text", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Zahlen", "nur0x", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Zahlen", "riesig", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Zahlen", "fehlt", 5), 5);
}
