// "Bearbeiten der Registry" in a real window on a key of the test's own: the pages
// chosen and filled, the number fields' key filters and coupling, typing into the hex
// dump and resizing it, the memo, and a new value through the entry operation.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/reg_edit_dialog.h"
#include "app/selection_lists.h"
#include "support/checks.h"
#include "support/settings_scope.h"
#include "support/window_driver.h"
#include "ui/hex_dump.h"

namespace {

const std::string kKey = "Software\\Velmoria\\QuitawayTests\\regedit-dialog-values";
using Bytes = std::vector<uint8_t>;

void Put(const wchar_t* name, DWORD type, Bytes bytes) {
  RegSetKeyValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str(), name, type, bytes.data(),
                  static_cast<DWORD>(bytes.size()));
}

Bytes Get(const wchar_t* name, DWORD& type) {
  HKEY key = nullptr;
  Bytes bytes(64);
  DWORD size = 64;
  type = 0;
  RegOpenKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str(), 0, KEY_READ, &key);
  const LONG rc = RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size);
  RegCloseKey(key);
  bytes.resize(rc == ERROR_SUCCESS ? size : 0);
  return bytes;
}

void Type(HWND control, const std::string& keys) {
  SendMessageW(control, EM_SETSEL, 0, -1);
  for (char c : keys) SendMessageW(control, WM_CHAR, static_cast<WPARAM>(c), 0);
}

struct Dialog : TRegEditFRM {
  Dialog(const wchar_t* name) {
    Load(HKEY_CURRENT_USER, kKey, platform::WideToUtf8(name), false);
    CreateHandle(nullptr);
    ShowWindow(Handle(), SW_SHOW);
  }
};

TEST(RegEditDialog, PagesFieldsHexDumpAndNewValue) {
  SettingsScope settings("regedit-dialog");
  PumpingInteraction ui;
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
  Put(L"zahl", REG_DWORD_BIG_ENDIAN, {0, 0, 1, 0});
  Put(L"bin", REG_BINARY, {1, 2, 3, 4, 5, 6, 7, 8});
  Put(L"multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
  DWORD type = 0;
  {
    Dialog d(L"zahl");
    EXPECT_EQ(d.Page(), rpInteger);
    EXPECT_EQ(TextOf(d.PathEDT()) + "|" + TextOf(d.RegTypeCBO()), "HKEY_CURRENT_USER\\" + kKey +
                                                                      "|Zahl im Motorola-Format  (REG_DWORD_BIG_ENDIAN)");
    EXPECT_EQ(TextOf(d.IntegerEDT()) + " $" + TextOf(d.HexIntegerEDT()), "256 $00000100");
    Type(d.IntegerEDT(), "x1-");  // the letter is refused
    EXPECT_EQ(TextOf(d.IntegerEDT()) + " $" + TextOf(d.HexIntegerEDT()), "1- $00000000");
    Type(d.HexIntegerEDT(), "fgF-");
    EXPECT_EQ(TextOf(d.IntegerEDT()) + " $" + TextOf(d.HexIntegerEDT()), "255 $fF");
    d.Button1Click();
    EXPECT_EQ(d.ModalResult(), mrOk);
    EXPECT_EQ(Get(L"zahl", type), (Bytes{0, 0, 0, 0xFF}));
  }
  {
    Dialog d(L"bin");
    ASSERT_EQ(d.Page(), rpBinary);
    SetFocus(d.HexDump1());
    for (char c : std::string("aB7")) SendMessageW(d.HexDump1(), WM_CHAR, static_cast<WPARAM>(c), 0);
    d.BinSizeSPINChange(4);
    d.BinSizeSPINChange(6);
    EXPECT_EQ(THexDump::Of(d.HexDump1())->Size(), 6u);
    EXPECT_EQ(TextOf(d.BinSizeEDT()), "6");
    d.Button1Click();
    EXPECT_EQ(Get(L"bin", type), (Bytes{0xAB, 0x72, 3, 4, 0, 0}));
  }
  {
    Dialog d(L"multi");
    ASSERT_EQ(d.Page(), rpMultiText);
    EXPECT_EQ(TextOf(d.Memo1()) + " " + TextOf(d.MemoLinesLBL()), "a\r\nb (2 Zeilen)");
    HWND unwrapped = d.Memo1();
    SendMessageW(d.WordWrapCB(), BM_CLICK, 0, 0);
    EXPECT_NE(d.Memo1(), unwrapped);
    EXPECT_TRUE(IsWindowVisible(d.Memo1()) && !IsWindowVisible(unwrapped));
    EXPECT_EQ(TextOf(d.Memo1()), "a\r\nb");
    SendMessageW(d.RegTypeCBO(), CB_SETCURSEL, 4, 0);
    d.RegTypeCBOChange();
    EXPECT_EQ(d.Page(), rpInteger);
    SendMessageW(d.RegTypeCBO(), CB_SETCURSEL, 7, 0);
    d.RegTypeCBOChange();
    d.Button1Click();  // nothing edited: the bytes as they were
    EXPECT_EQ(Get(L"multi", type), (Bytes{'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}));
  }
  {
    Dialog d(L"");  // the missing default value
    EXPECT_EQ(TextOf(d.NameEDT()) + (IsWindowEnabled(d.NameEDT()) ? " enabled" : ""), "(Standard)");
    EXPECT_EQ(d.Page(), rpText);
  }
  WhenShown([](HWND form) {
    EXPECT_EQ(ClassOf(GetFocus()), "Edit");  // the text field of a new text value
    SetWindowTextW(GetFocus(), L"neu");
    Click(form, "&OK");
  });
  EXPECT_EQ(EditRegistryValue(nullptr, HKEY_CURRENT_USER, kKey, "", true), mrOk);
  EXPECT_EQ(Get(L"Neuer Wert #1", type), (Bytes{'n', 0, 'e', 0, 'u', 0, 0, 0}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
}

// The registry tree's "&Neuer Schlüssel" and "Schlüssel &löschen" on the live keys.
TEST(RegEditDialog, KeysMadeAndDeletedBelowATreeNode) {
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
  Put(L"", REG_SZ, {0, 0});
  Tree tree;
  TreeNode* node = tree.AddTop("Arbeitsplatz")->AddChild("HKEY_CURRENT_USER");
  for (const char* part : {"Software", "Velmoria", "QuitawayTests", "regedit-dialog-values"}) node = node->AddChild(part);
  CreateRegistryKey(*node, "Neu");
  const std::string shown = "HKEY_CURRENT_USER\\" + kKey + "\\Neu";
  EXPECT_EQ(ErrorOf([&] { CreateRegistryKey(*node, "Neu"); }), "Der Schlüssel " + shown + " existiert bereits");
  EXPECT_EQ(ErrorOf([&] { CreateRegistryKey(*node, "a\\b"); }), "Ungültiger Schlüsselname: 'a\\b'");
  TreeNode* made = node->AddChild("Neu");
  made->AddChild("Tiefer");
  HKEY key = nullptr;
  RegCreateKeyW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Neu\\Tiefer").c_str(), &key);
  RegCloseKey(key);
  DeleteRegistryKey(*made);
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Neu").c_str(), 0, KEY_READ, &key), 0);
  EXPECT_EQ(ErrorOf([&] { DeleteRegistryKey(*made); }), "Der Schlüssel " + shown + " konnte nicht gelöscht werden");
  EXPECT_EQ(ErrorOf([&] { DeleteRegistryKey(*tree.First()->FirstChild()); }), "Dieser Eintrag kann nicht gelöscht werden");
  RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
}

}  // namespace
