// The value editor's engine on the test prefix's registry: every type opened and saved
// without an edit comes back byte for byte, each page's edits are written and read back,
// new names, renames and the replace question.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "platform/text.h"
#include "support/bytes.h"
#include "support/scripted_interaction.h"
#include "tools/registry_value.h"

namespace {

const std::string kKey = "Software\\Velmoria\\QuitawayTests\\regvalue";

Bytes U16(const std::wstring& s) { return Bytes(reinterpret_cast<const uint8_t*>(s.data()), reinterpret_cast<const uint8_t*>(s.data() + s.size())); }

struct Value {
  DWORD type;
  Bytes bytes;
  bool operator==(const Value&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Value& v) {
  out << "type " << v.type << ":";
  for (uint8_t b : v.bytes) out << ' ' << int(b);
  return out;
}

class RegistryValue : public testing::Test {
 protected:
  void SetUp() override { TearDown(), RegCreateKeyW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str(), &key_); }
  void TearDown() override {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
  }
  // Stored as given: a zero right behind the data would make the system add one.
  void Put(const std::string& name, const Value& v) {
    Bytes padded = v.bytes + Bytes{0x41, 0x41};
    ASSERT_EQ(RegSetValueExW(key_, platform::Utf8ToWide(name).c_str(), 0, v.type, padded.data(), DWORD(v.bytes.size())), 0);
    ASSERT_EQ(Get(name), v) << name;
  }
  std::optional<Value> Get(const std::string& name) {
    DWORD type = 0, size = 0;
    const std::wstring w = platform::Utf8ToWide(name);
    if (RegQueryValueExW(key_, w.c_str(), nullptr, &type, nullptr, &size)) return std::nullopt;
    Bytes bytes(size + 1);
    RegQueryValueExW(key_, w.c_str(), nullptr, &type, bytes.data(), &size);
    bytes.resize(size);
    return Value{type, bytes};
  }
  // OK pressed at once: the editors as loading filled them.
  static EditorInput Untouched(const RegValue& v) {
    const EditorTexts t = TextsOf(v);
    return {v.Type, FaithfulPage(v), false, t.Text, t.Integer, t.Memo, v.Bytes};
  }
  // The value opened, input changed by edit, and saved under its own name.
  template <typename Edit>
  void EditAndSave(const std::string& name, Edit edit) {
    RegValueEdit e(HKEY_CURRENT_USER, kKey);
    e.Load(name);
    EditorInput in = Untouched(e.Value());
    edit(in);
    ASSERT_TRUE(e.Save(name, name.empty(), in.Type, BytesToSave(e.Value(), in)));
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryValue, EveryTypeOpenedAndSavedUnchangedInItsPage) {
  const Bytes dword{0x1F, 0, 0, 0};
  const struct {
    const char* name;
    Value value;
    RegEditPage page;
  } cases[] = {
      {"none", {REG_NONE, {1, 2, 3}}, rpBinary},
      {"sz", {REG_SZ, U16(std::wstring(L"Grüße \u20AC", 7) + L'\0')}, rpText},
      {"empty sz", {REG_SZ, {}}, rpText},
      {"expand", {REG_EXPAND_SZ, U16(std::wstring(L"%TEMP%\\x", 9))}, rpText},
      {"binary odd", {REG_BINARY, {0, 0xFF, 0x10, 0, 7}}, rpBinary},
      {"dword", {REG_DWORD, dword}, rpInteger},
      {"big endian", {REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0}}, rpInteger},
      {"link", {REG_LINK, U16(L"\\Registry\\Machine")}, rpBinary},
      {"multi", {REG_MULTI_SZ, U16(std::wstring(L"a\0bc\0\0", 6))}, rpMultiText},
      {"multi empty inside", {REG_MULTI_SZ, U16(std::wstring(L"a\0\0b\0\0", 6))}, rpBinary},
      {"multi without end", {REG_MULTI_SZ, U16(std::wstring(L"a\0b", 3))}, rpBinary},
      {"multi with break", {REG_MULTI_SZ, U16(std::wstring(L"a\nb\0\0", 5))}, rpBinary},
      {"resources", {REG_RESOURCE_LIST, {1, 0, 0, 0, 9}}, rpBinary},
      {"qword", {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}, rpBinary},
      {"type 77", {77, {9}}, rpBinary},
      {"sz inner zero", {REG_SZ, U16(std::wstring(L"ab\0cd\0", 6))}, rpBinary},
      {"sz no end", {REG_SZ, U16(L"abc")}, rpBinary},
      {"sz odd", {REG_SZ, {0x41, 0, 0x42}}, rpBinary},
      {"sz lone surrogate", {REG_SZ, U16(std::wstring(L"\xD800x\0", 3))}, rpText},
      {"dword of 3", {REG_DWORD, {1, 2, 3}}, rpBinary},
  };
  for (const auto& c : cases) {
    Put(c.name, c.value);
    RegValueEdit e(HKEY_CURRENT_USER, kKey);
    e.Load(c.name);
    EXPECT_EQ(FaithfulPage(e.Value()), c.page) << c.name;
    EditAndSave(c.name, [](EditorInput&) {});
    EXPECT_EQ(Get(c.name), c.value) << c.name;
  }
  EditAndSave("", [](EditorInput&) {});  // the missing default value stays missing
  EXPECT_FALSE(Get(""));
  EXPECT_EQ(TextsOf({REG_SZ, {}, false}).Text, "");
}

TEST_F(RegistryValue, EditsOfEachPageWrittenAndReadBack) {
  const struct {
    const char* name;
    Value before;
    void (*edit)(EditorInput&);
    Value after;
  } cases[] = {
      {"text", {REG_SZ, U16(std::wstring(L"alt", 4))}, [](EditorInput& in) { in.Text = "neu ä", in.Edited = true; },
       {REG_SZ, U16(std::wstring(L"neu \u00E4", 6))}},
      {"decimal", {REG_DWORD, {5, 0, 0, 0}}, [](EditorInput& in) { in.Integer = "-2", in.Edited = true; },
       {REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}}},
      {"hex", {REG_DWORD, {5, 0, 0, 0}}, [](EditorInput& in) { in.Integer = DecimalOfHex("f000001F"), in.Edited = true; },
       {REG_DWORD, {0x1F, 0, 0, 0xF0}}},
      {"big endian", {REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0}}, [](EditorInput& in) { in.Integer = "258", in.Edited = true; },
       {REG_DWORD_BIG_ENDIAN, {0, 0, 1, 2}}},
      {"multi", {REG_MULTI_SZ, U16(std::wstring(L"a\0b\0\0", 5))},
       [](EditorInput& in) { in.Memo = "x\r\n\r\nyz\r\n", in.Edited = true; },
       {REG_MULTI_SZ, U16(std::wstring(L"x\0\0yz\0\0", 7))}},
      {"hex bytes", {REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8}}, [](EditorInput& in) { in.Binary.resize(4), in.Binary.resize(6), in.Binary[0] = 0xAB; },
       {REG_BINARY, {0xAB, 2, 3, 4, 0, 0}}},
      {"text to dword", {REG_SZ, U16(std::wstring(L" 42 Äpfel", 10))},
       [](EditorInput& in) { in.Type = REG_DWORD, in.Page = PageOfType(REG_DWORD); }, {REG_DWORD, {42, 0, 0, 0}}},
      {"dword to text", {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
       [](EditorInput& in) { in.Type = REG_EXPAND_SZ, in.Page = PageOfType(REG_EXPAND_SZ); },
       {REG_EXPAND_SZ, U16(std::wstring(L"-1", 3))}},
      {"to qword", {REG_DWORD, {7, 0, 0, 0}}, [](EditorInput& in) { in.Type = REG_QWORD, in.Page = rpBinary; },
       {REG_QWORD, {7, 0, 0, 0}}},
  };
  for (const auto& c : cases) {
    Put(c.name, c.before);
    EditAndSave(c.name, c.edit);
    EXPECT_EQ(Get(c.name), c.after) << c.name;
  }
  EditAndSave("", [](EditorInput& in) { in.Text = "Standard", in.Edited = true; });
  EXPECT_EQ(Get(""), (Value{REG_SZ, U16(std::wstring(L"Standard", 9))}));
}

TEST_F(RegistryValue, IntegerFieldsAndLoadedTexts) {
  EXPECT_EQ(HexOfDecimal("-1") + HexOfDecimal("") + HexOfDecimal("4294967295") + HexOfDecimal("4294967296") +
                HexOfDecimal("1-"),
            "FFFFFFFF00000000FFFFFFFF0000000000000000");
  EXPECT_EQ(DecimalOfHex("FFFFFFFF") + "|" + DecimalOfHex("") + "|" + DecimalOfHex("100000000") + "|" + DecimalOfHex("1F"),
            "-1|0|0|31");
  EXPECT_EQ(Caught<EConvertError>([] { ParseDecimal("12a"); }), "'12a' ist kein gültiger Integerwert");
  EXPECT_EQ(Caught<EConvertError>([] { ParseDecimal("-2147483649"); }), "'-2147483649' ist kein gültiger Integerwert");
  const EditorTexts be = TextsOf({REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0}, true});
  EXPECT_EQ(be.Integer + "|" + HexOfDecimal(be.Integer) + "|" + be.Text, "256|00000100|256");
  const EditorTexts multi = TextsOf({REG_MULTI_SZ, U16(std::wstring(L"12a\0b\0\0", 7)), true});
  EXPECT_EQ(multi.Memo + "|" + multi.Text + "|" + multi.Integer, "12a\r\nb|12a\r\nb|12");
  EXPECT_EQ(TextsOf({REG_BINARY, {0x41, 0, 0x42, 0, 0, 0}, true}).Integer, "4325441");
  EXPECT_EQ(TextsOf({REG_BINARY, {0x41, 0, 0x42}, true}).Text, "A");
}

TEST_F(RegistryValue, NewValuesRenamesAndTheReplaceQuestion) {
  ScriptedInteraction ui;
  Put("Neuer Wert #1", {REG_SZ, U16(std::wstring(L"1", 2))});
  Put("Neuer Wert #2", {REG_SZ, U16(std::wstring(L"2", 2))});
  const Bytes three{3, 0, 0, 0};
  RegValueEdit e(HKEY_CURRENT_USER, kKey);
  e.LoadNew();
  EXPECT_EQ(e.ProposedName(), "Neuer Wert #3");
  EXPECT_EQ(e.PathText(), "HKEY_CURRENT_USER\\" + kKey);
  ui.Answer(mrCancel);
  EXPECT_FALSE(e.Save("  Neuer Wert #1 ", false, REG_DWORD, three));
  ui.Answer(mrYes);
  EXPECT_TRUE(e.Save("Neuer Wert #1", false, REG_DWORD, three));
  EXPECT_EQ(ui.Texts(), (std::vector<std::string>{"Soll der bestehende Wert: 'Neuer Wert #1' ersetzt werden ?",
                                                  "Vorgang abgebrochen !",
                                                  "Soll der bestehende Wert: 'Neuer Wert #1' ersetzt werden ?"}));
  EXPECT_EQ(Get("Neuer Wert #1"), (Value{REG_DWORD, three}));
  RegValueEdit fresh(HKEY_CURRENT_USER, kKey);
  fresh.LoadNew();  // OK at once: an empty text
  EXPECT_TRUE(fresh.Save(fresh.ProposedName(), false, REG_SZ, BytesToSave(fresh.Value(), Untouched(fresh.Value()))));
  EXPECT_EQ(Get("Neuer Wert #3"), (Value{REG_SZ, {0, 0}}));

  RegValueEdit r(HKEY_CURRENT_USER, kKey);
  r.Load("Neuer Wert #2");
  ui.Answer(mrCancel);  // renamed onto another value: asked too, nothing changes
  EXPECT_FALSE(r.Save("Neuer Wert #3", false, REG_SZ, r.Value().Bytes));
  EXPECT_EQ(Get("Neuer Wert #3"), (Value{REG_SZ, {0, 0}}));
  EXPECT_TRUE(r.Save("Umbenannt", false, REG_SZ, r.Value().Bytes));
  EXPECT_FALSE(Get("Neuer Wert #2"));
  EXPECT_TRUE(r.Save("UMBENANNT", false, REG_SZ, r.Value().Bytes));  // the letter case alone
  EXPECT_EQ(Get("umbenannt"), (Value{REG_SZ, U16(std::wstring(L"2", 2))}));
  wchar_t name[64];
  DWORD length = 64;
  for (DWORD i = 0; RegEnumValueW(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0; ++i, length = 64)
    if (_wcsicmp(name, L"umbenannt") == 0) {
      EXPECT_STREQ(name, L"UMBENANNT");
    }
  EXPECT_EQ(ui.Texts().size(), 5u);
  EXPECT_EQ(ui.UnansweredQuestions(), 0u);

  EXPECT_EQ(Caught<EMyRegistryException>([&] { r.Load("fehlt"); }), "Konnte Daten für '" + kKey + "\\fehlt' nicht holen");
  EXPECT_NE(Caught<EMyRegistryException>([] { RegValueEdit(HKEY_CURRENT_USER, kKey + "\\fehlt"); })
                .find("Der Schlüssel HKEY_CURRENT_USER\\" + kKey + "\\fehlt konnte nicht geöffnet werden:\r"),
            std::string::npos);
}

}  // namespace
