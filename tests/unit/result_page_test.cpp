// The log page of the main window on a real log: a registry key, a folder and an INI
// file of the test prefix watched, the configuration stored, changed, and compared
// by the program's own commands. Then the three tabs, an undo through the
// confirmation dialog, restore-all and the text export, driven through the windows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/commands.h"
#include "app/compare_dialog.h"
#include "app/main_commands.h"
#include "app/main_window.h"
#include "core/exceptions.h"
#include "core/identity.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/names.h"
#include "platform/text.h"
#include "snapshot/selection_trees.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"
#include "support/window_driver.h"

namespace {

using V = std::vector<std::string>;
const std::string kKey = "Software\\Velmoria\\QuitawayTests\\resultpage";

void Set(const std::string& sub, const wchar_t* name, const wchar_t* text) {
  RegSetKeyValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + sub).c_str(), name, REG_SZ, text,
                  static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}
bool KeyExists(const std::string& sub) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}
std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  for (size_t at = 0, slash; at < path.size(); at = slash + 1) {
    slash = path.find('\\', at);
    if (slash == std::string::npos) slash = path.size();
    if (slash > at) parts.push_back(path.substr(at, slash - at));
  }
  return parts;
}
// A branch of a selection tree watched, the nodes above it partly.
void Watch(Tree& tree, std::vector<std::string> path, int32_t image) {
  TreeNode* node = FindOrCreatePath(path, tree, image, stChecked, image);
  for (TreeNode* up = node->Parent(); up != nullptr; up = up->Parent()) up->SetStateIndex(stPartial);
}
// The rows of a list view: each row's cells joined by " | ".
V RowsOf(HWND list) {
  V rows;
  const int columns = Header_GetItemCount(ListView_GetHeader(list));
  for (int i = 0; i < ListView_GetItemCount(list); ++i) {
    std::string row;
    for (int c = 0; c < columns; ++c) {
      wchar_t text[512] = {};
      ListView_GetItemText(list, i, c, text, 512);
      row += (c > 0 ? " | " : "") + platform::WideToUtf8(text);
    }
    rows.push_back(row);
  }
  return rows;
}
HWND ListIn(HWND form) {
  for (HWND c : Children(form))
    if (ClassOf(c) == "SysListView32") return c;
  return nullptr;
}

class ResultPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str());
    OpenSettingsRegistry(kKey + "-settings");
    WriteBackAllSettings();
    WriteSetting("UseRecycleBin", 0);
    ws_.ProgramFolder = folder_.Path();
    // Watched: the test key, the data folder, one INI file.
    ws_.RegView.AddTop(kRegistryTop);
    Watch(ws_.RegView, Split(std::string(kRegistryTop) + "\\HKEY_CURRENT_USER\\" + kKey), 0);
    ws_.DriveSel.AddTop(kDrivesTop);
    Watch(ws_.DriveSel, Split(std::string(kDrivesTop) + "\\" + data_.Path()), 0);
    ini_ = folder_.File("prog.ini");  // outside the watched folder
    BuildSystemFileTree(ws_.SystemSelect, {ini_ + "(INI)"}, ws_.Context());
    TreeNode* systemFiles = ws_.SystemSelect.First();  // only the user's file
    for (size_t i = 0; i < systemFiles->Count(); ++i)
      systemFiles->Child(i)->SetStateIndex(systemFiles->Child(i)->Text() == ini_ + "(INI)" ? stChecked : stUnchecked);
    systemFiles->SetStateIndex(stPartial);
    // Before the installation.
    Set("", L"Alt", L"vorher");
    Set("\\Weg", L"x", L"1");
    WriteFileBytes(data_.File("a.txt"), "alt");
    WriteFileBytes(data_.File("weg.txt"), "weg");
    WritePrivateProfileStringW(L"Abschnitt", L"x", L"1", platform::Utf8ToWide(ini_).c_str());
    StoreConfiguration(ws_);
    // The installation.
    Set("", L"Alt", L"nachher");
    Set("", L"", L"neu");
    Set("\\Neu\\Tief", L"b", L"2");
    RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey + "\\Weg").c_str());
    WriteFileBytes(data_.File("a.txt"), "neuer Inhalt");
    WriteFileBytes(data_.File("b.txt"), "neu");
    DeleteFileW(platform::Utf8ToWide(data_.File("weg.txt")).c_str());
    WritePrivateProfileStringW(L"Abschnitt", L"x", L"2", platform::Utf8ToWide(ini_).c_str());
    WritePrivateProfileStringW(L"Abschnitt", L"y", L"neu", platform::Utf8ToWide(ini_).c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, platform::Utf8ToWide(ini_).c_str());
    log_ = folder_.File("r.TSL");
    CreateLogfile(ws_, log_);
    window_.CreateHandle(nullptr);
    ShowWindow(window_.Handle(), SW_SHOW);
    window_.ShowResult();
  }
  void TearDown() override {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    CloseSettingsRegistry();
    for (const std::string& k : {kKey, kKey + "-settings"})
      RegDeleteTreeW(HKEY_CURRENT_USER, platform::Utf8ToWide(k).c_str());
  }
  // Selects a node of result tab 0 to 2 by its path (below the tree's top) and gives the
  // rows of the list beside it: "caption | change code".
  V Select(int tab, const std::string& path) {
    Tree* trees[] = {&ws_.ResultView, &ws_.DriveResult, &ws_.SystemResult};
    TreeNode* node = FindNodeByPath(path, *trees[tab], false, true);
    EXPECT_NE(node, nullptr) << path;
    return node != nullptr ? Select(tab, *node) : V{};
  }
  V Select(int tab, TreeNode& node) {
    window_.Binding(3 + tab).Select(node);
    V rows;
    ListViewControl& list = window_.ResultList(tab);
    for (int i = 0; i < list.Count(); ++i) {
      const UINT state = ListView_GetItemState(list.View(), i, LVIS_STATEIMAGEMASK) >> 12;
      rows.push_back(list.Text(i, 0) + " | " + std::to_string(state - 1) + (list.Greyed(i) ? " grau" : ""));
    }
    return rows;
  }
  std::string KeyPath(const std::string& sub = "") { return "HKEY_CURRENT_USER\\" + kKey + sub; }
  std::string FolderPath() { return data_.Path().substr(0, data_.Path().size() - 1); }

  ScriptedInteraction ui_;
  TempFolder folder_, data_;
  std::string ini_, log_;
  Workspace ws_;
  TfMain window_{ws_};
};

// Each tab lists the node's records with their change codes; a new key shows its
// stored subkeys when it is expanded.
TEST_F(ResultPageTest, TheThreeTabsShowTheLog) {
  EXPECT_EQ(Select(0, KeyPath()), (V{"(Standard) | 9", "Alt | 11", "Alt | 12"}));
  TreeNode* added = FindNodeByPath(KeyPath("\\Neu"), ws_.ResultView, false, false);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(StateCode(added->StateIndex()), stAdded);
  EXPECT_EQ(added->Count(), 0u);  // not loaded until it is expanded
  TreeView_Expand(window_.Binding(3).View(), window_.Binding(3).ItemOf(*added), TVE_EXPAND);
  ASSERT_EQ(added->Count(), 1u);
  EXPECT_EQ(added->Child(0)->Text(), "Tief");
  EXPECT_EQ(Select(0, KeyPath("\\Neu\\Tief")), (V{"b | 9"}));

  EXPECT_EQ(Select(1, FolderPath()), (V{"a.txt | 11", "a.txt | 12", "b.txt | 9", "weg.txt | 10"}));
  // A system file's entry text holds backslashes (and the log has it in capitals).
  TreeNode* file = nullptr;
  for (size_t i = 0; i < ws_.SystemResult.First()->Count(); ++i)
    if (platform::SameText(ws_.SystemResult.First()->Child(i)->Text(), ini_ + "(INI)"))
      file = ws_.SystemResult.First()->Child(i);
  ASSERT_NE(file, nullptr);
  ASSERT_NE(file->FindChild("[Abschnitt]"), nullptr);
  EXPECT_EQ(Select(2, *file->FindChild("[Abschnitt]")), (V{"x | 11", "x | 12", "y | 9"}));
}

// One key undone through "Bestätigung der Wiederherstellung": the plan, then the
// execution with each row's outcome; the key is gone, its node greyed, and the mark is
// in the log when it is loaded again.
TEST_F(ResultPageTest, UndoOfOneKeyThroughTheConfirmationDialog) {
  ASSERT_FALSE(Select(0, KeyPath("\\Neu\\Tief")).empty());
  Select(0, KeyPath("\\Neu"));
  V planned, executed;
  std::string caption, closeText;
  WhenShown([&](HWND dialog) {
    planned = RowsOf(ListIn(dialog));
    Click(dialog, "Ausführ&en");
    executed = RowsOf(ListIn(dialog));
    caption = TextOf(dialog);
    closeText = TextOf(GetDlgItem(dialog, 2));
    Click(dialog, "S&chließen");
  });
  window_.ResultCommand(cmUndoChanges, 0, false);
  ASSERT_FALSE(planned.empty());
  for (const std::string& row : planned) EXPECT_NE(row.find("| unerledigt"), std::string::npos) << row;
  ASSERT_EQ(executed.size(), planned.size());
  for (const std::string& row : executed) EXPECT_NE(row.find("| Ok, fertig"), std::string::npos) << row;
  EXPECT_EQ(caption, "Wiederherstellung abgeschlossen !!!");
  EXPECT_EQ(closeText, "S&chließen");
  EXPECT_FALSE(KeyExists("\\Neu"));
  EXPECT_TRUE(KeyExists(""));
  TreeNode* added = FindNodeByPath(KeyPath("\\Neu"), ws_.ResultView, false, false);
  ASSERT_NE(added, nullptr);
  EXPECT_TRUE(IsDone(added->StateIndex()));
  bool planning = false;
  for (const auto& [control, text] : ui_.StatusLog()) planning = planning || text == "bearbeiten der `to do`-Liste...";
  EXPECT_TRUE(planning);

  LoadResult(ws_, log_);
  added = FindNodeByPath(KeyPath("\\Neu"), ws_.ResultView, false, false);
  ASSERT_NE(added, nullptr);
  EXPECT_TRUE(IsDone(added->StateIndex()));
  EXPECT_EQ(Select(0, KeyPath()), (V{"(Standard) | 9", "Alt | 11", "Alt | 12"}));  // not undone: not grey
}

// The selected values alone, the unnamed one among them: it is found by its own name.
TEST_F(ResultPageTest, UndoOfSelectedValuesTakesTheUnnamedValueByItsName) {
  Select(0, KeyPath());
  HWND list = window_.ResultList(0).View();
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);  // "(Standard)", new
  WhenShown([](HWND dialog) {
    Click(dialog, "Ausführ&en");
    Click(dialog, "S&chließen");
  });
  window_.ResultCommand(cmUndoChanges, 0, true);
  DWORD size = 0;
  EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str(), L"", RRF_RT_ANY, nullptr, nullptr,
                         &size),
            ERROR_SUCCESS);
  EXPECT_EQ(Select(0, KeyPath()), (V{"(Standard) | 9 grau", "Alt | 11", "Alt | 12"}));
}

// "A&lles wiederherstellen": each area through its confirmation dialog, then the log
// is deleted on "&Ja" and the window goes back to the selection page.
TEST_F(ResultPageTest, RestoreAllTakesBackEveryAreaAndOffersToDeleteTheLog) {
  std::vector<std::string> captions;
  std::function<void(HWND)> confirm = [&](HWND dialog) {
    captions.push_back(TextOf(dialog));
    if (captions.size() < 3) WhenShown(confirm);
    Click(dialog, "Ausführ&en");
    Click(dialog, "S&chließen");
  };
  WhenShown([&](HWND dialog) {
    WhenShown(confirm);
    Click(dialog, "&OK");
  });
  ui_.Answer(mrYes);
  SendMessageW(window_.Handle(), WM_COMMAND, cmRestoreAll, 0);
  const std::string product = std::string(" ") + ProductName;
  EXPECT_EQ(captions, (V{"Bestätigung der Wiederherstellung: Registry" + product,
                         "Bestätigung der Wiederherstellung: Dateistruktur" + product,
                         "Bestätigung der Wiederherstellung: Systemdateien" + product}));
  ASSERT_FALSE(ui_.Texts().empty());
  EXPECT_EQ(ui_.Texts().back(),
            "Es wurden alle markierten Bereiche bearbeitet.\rSoll nun die Logdatei gelöscht werden ?");
  // Back as before: the key's values and subkey, the new file gone, the INI entry.
  wchar_t text[32] = {};
  DWORD size = sizeof text;
  RegGetValueW(HKEY_CURRENT_USER, platform::Utf8ToWide(kKey).c_str(), L"Alt", RRF_RT_REG_SZ, nullptr, text, &size);
  EXPECT_STREQ(text, L"vorher");
  EXPECT_TRUE(KeyExists("\\Weg"));
  EXPECT_FALSE(KeyExists("\\Neu"));
  EXPECT_FALSE(PathExists(data_.File("b.txt")));
  GetPrivateProfileStringW(L"Abschnitt", L"x", L"", text, 32, platform::Utf8ToWide(ini_).c_str());
  EXPECT_STREQ(text, L"1");
  EXPECT_FALSE(PathExists(log_));
  EXPECT_TRUE(ws_.CurrentResultFile().empty());
  EXPECT_EQ(TextOf(window_.Handle()), ProductName);
}

// The kinds chosen in "Auswahl" are the ones the written file holds.
TEST_F(ResultPageTest, ExportWritesTheChosenKinds) {
  Select(0, KeyPath());
  WhenShown([&](HWND dialog) {
    SendMessageW(ButtonOf(dialog, "neuer Wert"), BM_SETCHECK, BST_UNCHECKED, 0);
    WhenShown([](HWND save) { PostMessageW(save, WM_COMMAND, IDOK, 0); }, "#32770");
    Click(dialog, "&OK");
  });
  window_.ResultCommand(cmExportData, 0, false);
  ASSERT_TRUE(PathExists(folder_.File("r_REG.TXT")));
  const std::string text = ReadFileBytes(folder_.File("r_REG.TXT"));
  EXPECT_NE(text.find("[%]\"Alt\" = \"vorher\""), std::string::npos) << text;
  EXPECT_NE(text.find("[*]\"Alt\" = \"nachher\""), std::string::npos);
  EXPECT_EQ(text.find("[+]\""), std::string::npos) << "new values were not chosen";
}

}  // namespace

namespace {

// "Installationsdateien erzeugen" on a key: the kinds, then the name; the registry file
// holds the new state of the key and the message counts its lines.
TEST_F(ResultPageTest, InstallFileOfAKeyAfterKindsAndName) {
  Select(0, KeyPath());
  WhenShown([](HWND dialog) { Click(dialog, "&OK"); });
  ui_.AnswerInput(folder_.File("inst"));
  window_.ResultCommand(cmResultInstallFiles, 0, false);
  const std::string text = ReadFileBytes(folder_.File("inst.REG"));
  EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("\"Alt\"=\"nachher\""), std::string::npos) << text;
  ASSERT_FALSE(ui_.Texts().empty());
  size_t lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  EXPECT_EQ(ui_.Texts().back(), "*.REG-Datei erzeugt, (" + std::to_string(lines) + " Zeilen)");
}

}  // namespace

namespace {

// "Vergleichen zweier Konfigurationen": the fields are asked for in order; then the two
// stored configurations are compared into the log named, which becomes the loaded one.
TEST_F(ResultPageTest, CompareDialogChecksItsFieldsAndLoadsTheNewLog) {
  TfCompare dialog(ws_);
  dialog.CreateHandle(nullptr);
  const struct {
    const char *oldFile, *newFile, *result, *error;
  } missing[] = {{"", "", "", "Sie sollten eine Datei für die alten Konfigurationsdaten wählen"},
                 {"a.TSD", "", "", "Sie sollten eine Datei für die neuen Konfigurationsdaten wählen"},
                 {"a.TSD", "b.TSD", "", "Sie sollten einen Namen für die Ergebnisdatei angeben"}};
  auto fill = [&](const std::string& a, const std::string& b, const std::string& c) {
    const std::string texts[] = {a, b, c};
    for (int i = 0; i < 3; ++i) SetWindowTextW(dialog.Field(i), platform::Utf8ToWide(texts[i]).c_str());
  };
  for (const auto& m : missing) {
    fill(m.oldFile, m.newFile, m.result);
    try {
      dialog.Compare();
      ADD_FAILURE() << m.error;
    } catch (const EQuitawayError& e) {
      EXPECT_STREQ(e.what(), m.error);
    }
  }
  fill(ws_.DataFile(kOldConfigFile), ws_.DataFile(kNewConfigFile), folder_.File("zwei.TSL"));
  dialog.Compare();
  EXPECT_EQ(dialog.ModalResult(), 1);
  EXPECT_EQ(ws_.CurrentResultFile(), folder_.File("zwei.TSL"));
  EXPECT_EQ(Select(0, KeyPath()), (V{"(Standard) | 9", "Alt | 11", "Alt | 12"}));
}

}  // namespace
