// The main window in a real window on the virtual display: the value list of a
// registry key, the check click on the live registry tree, the close query with and
// without "Last.TSS", the window resized with nothing outside it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/main_commands.h"
#include "app/main_window.h"
#include "app/selection_lists.h"
#include "core/exceptions.h"
#include "core/identity.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "snapshot/selection_trees.h"
#include "model/treetool.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace {

const std::string kKey = "Software\\Velmoria\\QuitawayTests\\mainwindow";

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenSettingsRegistry(kKey + "-settings");
    WriteBackAllSettings();
    ws_.ProgramFolder = folder_.Path();
    BuildRegistryTree(ws_.RegView);
    BuildDriveTree(ws_.DriveSel);
    BuildSystemFileTree(ws_.SystemSelect, {}, ws_.Context());
    ws_.ShowNoResult();
    window_.CreateHandle(nullptr);
    ASSERT_NE(window_.Handle(), nullptr);
    ShowWindow(window_.Handle(), SW_SHOW);
  }
  void TearDown() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }  // the quit messages of closed main windows
    CloseSettingsRegistry();
    for (const std::string& k : {kKey, kKey + "-settings"})
      RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(k).c_str());
  }
  // The value list after selecting the key below the test key.
  std::vector<std::string> ValuesOf(const std::string& sub) {
    TreeNode* node = FindNodeByPath("HKEY_CURRENT_USER\\" + kKey + sub, ws_.RegView, false, true);
    EXPECT_NE(node, nullptr) << sub;
    if (node == nullptr) return {};
    window_.Binding(0).Select(*node);
    std::vector<std::string> rows;
    ListViewControl& list = window_.RegistryValues();
    for (int i = 0; i < list.Count(); ++i) rows.push_back(list.Text(i, 0) + " | " + list.Text(i, 1));
    return rows;
  }

  ScriptedInteraction ui_;
  TempFolder folder_;
  Workspace ws_;
  TfMain window_{ws_};
};

TEST_F(MainWindowTest, RegistryValueListShowsEveryKindOfValue) {
  const DWORD n = 31;
  const BYTE bytes[] = {1, 0xAB};
  const std::wstring key = platform::Utf8ToWide(kKey);
  RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\Werte").c_str(), L"Zahl", REG_DWORD, &n, 4);
  RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\Werte").c_str(), L"Text", REG_SZ, L"Größe", 12);
  RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\Werte").c_str(), L"Roh", REG_BINARY, bytes, 2);
  RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\Werte").c_str(), L"", REG_SZ, L"", 2);
  HKEY empty = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, (key + L"\\Leer").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &empty,
                  nullptr);
  RegCloseKey(empty);
  EXPECT_EQ(ValuesOf("\\Leer"), std::vector<std::string>{"(Standard) | (leer)"});
  EXPECT_EQ(ValuesOf("\\Werte"), (std::vector<std::string>{"(Standard) | (leer)", "Roh | Binary(3), 2 bytes: 01 AB",
                                                           "Text | Größe", "Zahl | $0000001F   (31)"}));
}

// The Delete key in the value list asks first, then deletes every selected value (the
// unnamed one by its real name) and shows what is left.
TEST_F(MainWindowTest, DeleteKeyDeletesTheSelectedValuesAfterAsking) {
  const std::wstring key = platform::Utf8ToWide(kKey + "\\Löschen");
  const DWORD n = 7;
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"", REG_SZ, L"x", 4);
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Text", REG_SZ, L"y", 4);
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Zahl", REG_DWORD, &n, 4);
  ASSERT_EQ(ValuesOf("\\Löschen").size(), 3u);
  HWND list = window_.RegistryValues().View();
  auto select = [list](std::initializer_list<int> rows) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  };
  const struct {
    std::initializer_list<int> rows;
    int answer;  // 0: no question
    const char* text;
    size_t left;
  } steps[] = {{{}, 0, "Bitte zuerst einen Wert selektieren !", 3},
               {{0, 2}, mrCancel, "Wollen Sie 2 Werte löschen ?", 3},
               {{0, 2}, mrYes, "Wollen Sie 2 Werte löschen ?", 1},
               {{0}, mrYes, "Wollen Sie den markierten Wert löschen ?", 1}};
  for (const auto& step : steps) {
    select(step.rows);
    if (step.answer != 0) ui_.Answer(step.answer);
    const size_t shown = ui_.Texts().size();
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_EQ(ui_.Texts().size(), shown + 1) << step.text;
    EXPECT_EQ(ui_.Texts().back(), step.text);
    EXPECT_EQ(static_cast<size_t>(window_.RegistryValues().Count()), step.left) << step.text;
  }
  // What is left: "Text"; then nothing, shown as the line of a key without values.
  EXPECT_EQ(window_.RegistryValues().Text(0, 0), "(Standard)");
  EXPECT_EQ(window_.RegistryValues().Text(0, 1), "(leer)");
  DWORD type = 0;
  EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Text", RRF_RT_ANY, &type, nullptr, nullptr), ERROR_SUCCESS);
}

// Only the user's own files leave the system-file tree.
TEST_F(MainWindowTest, OnlyUserSystemFilesCanBeRemoved) {
  TreeNode* top = ws_.SystemSelect.First();
  TreeNode* own = top->AddChild("C:\\eigen.ini(INI)");
  TreeNode* section = own->AddChild("[Abschnitt]");
  for (TreeNode* node : {top->Child(0), section, top}) {
    try {
      RemoveUserSystemFile(*node);
      ADD_FAILURE() << node->Text();
    } catch (const EQuitawayError& e) {
      EXPECT_STREQ(e.what(), "Dieser Eintrag kann nicht gelöscht werden");
    }
  }
  const size_t count = top->Count();
  RemoveUserSystemFile(*own);
  EXPECT_EQ(top->Count(), count - 1);
}

// A click on a state image checks the node with its loaded subtree and marks the
// selection as changed; closing then writes "Last.TSS" without a question when there
// is none, and asks when there is one ("Abbrechen" keeps the window open).
TEST_F(MainWindowTest, CheckClickAndCloseQuery) {
  TreeNode* current = FindNodeByPath("HKEY_CURRENT_USER", ws_.RegView, false, true);
  ASSERT_NE(current, nullptr);
  ASSERT_EQ(current->StateIndex(), stUnchecked);
  current->Expand();
  ASSERT_GT(current->Count(), 0u);
  window_.Binding(0).OnCheckClick(*current);
  EXPECT_EQ(current->StateIndex(), stChecked);
  EXPECT_EQ(current->Child(0)->StateIndex(), stChecked);
  EXPECT_EQ(ws_.RegView.First()->StateIndex(), stPartial);
  EXPECT_TRUE(ws_.SelectionModified);

  const std::string last = folder_.File(kLastSelectionFile);
  SendMessageW(window_.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(ui_.Texts().empty());
  EXPECT_TRUE(PathExists(last));
  EXPECT_FALSE(IsWindow(window_.Handle()));

  TfMain again(ws_);
  again.CreateHandle(nullptr);
  ws_.SelectionModified = true;
  DeleteFileW(platform::Utf8ToWide(last).c_str());
  WriteFileBytes(last, "alt");
  ui_.Answer(mrCancel);
  SendMessageW(again.Handle(), WM_CLOSE, 0, 0);
  ASSERT_EQ(ui_.Texts().size(), 1u);
  EXPECT_EQ(ui_.Texts()[0], "Wollen Sie die jetzt aktive Auswahl als\rVorgabe für das nächste Mal speichern ?");
  EXPECT_TRUE(IsWindow(again.Handle()));
  EXPECT_EQ(ReadFileBytes(last), "alt");
  ui_.Answer(mrYes);
  SendMessageW(again.Handle(), WM_CLOSE, 0, 0);
  EXPECT_NE(ReadFileBytes(last), "alt");  // the selection, written
  EXPECT_FALSE(IsWindow(again.Handle()));
}

TEST_F(MainWindowTest, ResizedSmallAndLargeNothingLeavesTheWindow) {
  for (const SIZE size : {SIZE{100, 100}, SIZE{1200, 900}}) {
    SetWindowPos(window_.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    GetClientRect(window_.Handle(), &client);
    for (HWND child = GetWindow(window_.Handle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, window_.Handle(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << size.cx;
    }
  }
}

}  // namespace

namespace {

// The lists beside the drive and system-file trees: a folder's files (no folders)
// with size in the user's grouping and attributes; a text file's lines that are not
// empty; the entries of an INI section.
TEST_F(MainWindowTest, FileAndSystemFileListsShowWhatIsOnDisk) {
  WriteFileBytes(folder_.File("b.dat"), std::string(1234, 'x'));
  WriteFileBytes(folder_.File("a.txt"), "eins\r\n\r\n  \r\nzwei=2\r\n");
  WriteFileBytes(folder_.File("s.ini"), "[Abschnitt]\r\nname=Wert\r\nleer=\r\n");
  CreateDirectoryW(platform::Utf8ToWide(folder_.File("Unter")).c_str(), nullptr);
  std::vector<std::string> path = {kDrivesTop};
  std::string folder = folder_.Path();
  for (size_t at = 0, slash; (slash = folder.find('\\', at)) != std::string::npos; at = slash + 1)
    path.push_back(folder.substr(at, slash - at));
  window_.Binding(1).Select(*FindOrCreatePath(path, ws_.DriveSel, 0, stChecked, 1));
  auto rows = [](ListViewControl& list, int columns) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) {
      std::string row = list.Text(i, 0);
      for (int c = 1; c < columns; ++c) row += " | " + list.Text(i, c);
      out.push_back(row);
    }
    return out;
  };
  const std::vector<std::string> files = rows(window_.DriveFiles(), 4);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].substr(0, 9), "a.txt | 2");
  EXPECT_EQ(files[1].substr(0, 14), "b.dat | 1.234 ");
  EXPECT_EQ(files[2].substr(0, 7), "s.ini |");
  EXPECT_EQ(files[1].substr(files[1].size() - 4), " | A");

  TreeNode* text = ws_.SystemSelect.First()->AddChild(folder_.File("a.txt") + "(TXT)");
  window_.Binding(2).Select(*text);
  EXPECT_EQ(rows(window_.SystemValues(), 2), (std::vector<std::string>{"Zeile: 1 | eins", "Zeile: 2 | zwei=2"}));
  TreeNode* section = ws_.SystemSelect.First()->AddChild(folder_.File("s.ini") + "(INI)")->AddChild("[Abschnitt]");
  window_.Binding(2).Select(*section);
  EXPECT_EQ(rows(window_.SystemValues(), 2), (std::vector<std::string>{"name | Wert", "leer | "}));
}

}  // namespace

namespace {

// Ctrl held while a node expands: its whole subtree is loaded and expanded.
TEST_F(MainWindowTest, CtrlExpansionOpensTheWholeSubtree) {
  HKEY deep = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Tief\\A\\B\\C").c_str(), 0, nullptr, 0,
                  KEY_ALL_ACCESS, nullptr, &deep, nullptr);
  RegCloseKey(deep);
  TreeNode* top = FindNodeByPath("HKEY_CURRENT_USER\\" + kKey + "\\Tief", ws_.RegView, false, true);
  ASSERT_NE(top, nullptr);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  TreeView_Expand(window_.Binding(0).View(), window_.Binding(0).ItemOf(*top), TVE_EXPAND);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  TreeNode* c = FindNodeByPath("HKEY_CURRENT_USER\\" + kKey + "\\Tief\\A\\B\\C", ws_.RegView, false, false);
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(top->Expanded() && c->Parent()->Expanded() && c->Parent()->Parent()->Expanded());
  EXPECT_EQ(window_.Binding(0).Selected(), top);
}

}  // namespace

namespace {

// Dragging the bar between the registry tree and its list moves both panes; the
// position and the lists' column widths are kept at closing and given back to the
// next window.
TEST_F(MainWindowTest, SplitterAndColumnWidthsAreKept) {
  HWND bar = window_.Splitter(0), tree = window_.Binding(0).View();
  RECT before, after;
  GetWindowRect(tree, &before);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(61, 10));  // 60 pixels to the right
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(61, 10));
  GetWindowRect(tree, &after);
  EXPECT_EQ(after.right - before.right, 60);
  RECT barRect, list;
  GetWindowRect(bar, &barRect);
  GetWindowRect(window_.RegistryValues().View(), &list);
  EXPECT_TRUE(barRect.left == after.right && list.left == barRect.right);
  ListView_SetColumnWidth(window_.RegistryValues().View(), 1, 222);
  SendMessageW(window_.Handle(), WM_CLOSE, 0, 0);
  TfMain again(ws_);
  again.CreateHandle(nullptr);
  GetWindowRect(again.Binding(0).View(), &before);
  EXPECT_EQ(before.right - before.left, after.right - after.left);
  EXPECT_EQ(ListView_GetColumnWidth(again.RegistryValues().View(), 1), 222);
}

}  // namespace

namespace {

TEST(MainCommands, HintsAreTheCaptionsWithoutAmpersandsAndKeys) {
  EXPECT_EQ(CommandHint(cmLoadResult), "Lade Ergebnisdatei (Installationsprotokoll)");
  EXPECT_EQ(CommandHint(cmRefresh), "Ansicht aktualisieren");
  EXPECT_EQ(CommandHint(cmFonts), "Schriften deinstallieren");
  EXPECT_EQ(CommandHint(1), "");
}

}  // namespace
