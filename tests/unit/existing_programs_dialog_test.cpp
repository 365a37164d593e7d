// "Bestehende Anwendungen Löschen" in a real window: the program folders' tree opened
// at its place, a program folder and a file extension ticked (its file type and the
// type's other extension offered and taken), the confirmation list with a refused
// protected folder, and the ticked deletions carried out.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/existing_programs_dialog.h"
#include "core/registry.h"
#include "model/treetool.h"
#include "platform/text_file.h"
#include "support/checks.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/ticked_tree.h"
#include "support/window_driver.h"

namespace {

std::string ProgramFiles() {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
}

TEST(ExistingProgramsDialog, TickPlanAndCarryOut) {
  SettingsScope settings("existing-programs-dialog");
  WriteSetting("UseRecycleBin", 0);
  WriteSetting("BackupFiles", 0);
  PumpingInteraction ui;
  const std::string folder = ProgramFiles() + "\\QwTestDlg";
  CreateDirectoryW(platform::Utf8ToWide(folder).c_str(), nullptr);
  WriteFileBytes(folder + "\\prog.exe", "MZ");
  for (const wchar_t* ext : {L".qwtd", L".qwte"}) RegSetValueW(HKEY_CLASSES_ROOT, ext, REG_SZ, L"QwTestDlg.Datei", 0);
  RegSetValueW(HKEY_CLASSES_ROOT, L"QwTestDlg.Datei\\shell", REG_SZ, L"open", 0);
  {
    TDelExistingFRM dialog;
    dialog.FirstPause = 20;
    dialog.CreateHandle(nullptr);
    ShowWindow(dialog.Handle(), SW_SHOW);
    Click(dialog.Handle(), "&Weiter  >");
    EXPECT_EQ(dialog.CurrentPage(), TDelExistingFRM::ProgramFiles);
    TreeNode* programs = FolderNode(dialog.Tree(TDelExistingFRM::ProgramFiles).Model(), ProgramFiles());
    ASSERT_NE(programs, nullptr);
    EXPECT_TRUE(programs->Expanded());  // the tree moved there
    TreeNode* node = FolderNode(dialog.Tree(TDelExistingFRM::ProgramFiles).Model(), folder);
    ASSERT_NE(node, nullptr);
    dialog.CheckClick(TDelExistingFRM::ProgramFiles, *node);
    TreeNode* windows = FolderNode(dialog.Tree(TDelExistingFRM::ProgramFiles).Model(), platform::WindowsFolder());
    ASSERT_NE(windows, nullptr);
    dialog.CheckClick(TDelExistingFRM::ProgramFiles, *windows);  // listed, refused

    dialog.ShowPage(TDelExistingFRM::FileExtensions);
    Tree& types = dialog.Tree(TDelExistingFRM::FileExtensions).Model();
    TreeNode* ext = FindNodeByPath("HKEY_CLASSES_ROOT\\.qwtd", types, false, true);
    ASSERT_NE(ext, nullptr);
    ui.Answer(mrYes);
    ui.Answer(mrYes);
    dialog.CheckClick(TDelExistingFRM::FileExtensions, *ext);
    EXPECT_EQ(ui.Texts(), (std::vector<std::string>{
                              "Soll der zugehörige Dateityp 'QwTestDlg.Datei' auch markiert werden ?",
                              "Es wurden 1 weitere Erweiterungen gefunden !\rSollen diese auch markiert werden ?"}));

    Click(dialog.Handle(), "&Fertigstellen");
    ASSERT_EQ(dialog.Plan().size(), 5u);
    EXPECT_FALSE(IsWindowEnabled(ButtonOf(dialog.Handle(), "&Fertigstellen")));
    std::vector<std::string> rows;
    for (int i = 0; i < dialog.ConfirmList().Count(); ++i)
      rows.push_back(dialog.ConfirmList().Text(i, 0) + " " + dialog.ConfirmList().Text(i, 2));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Ordner löschen geschützt, wird nicht gelöscht"), 1) << rows[1];
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Eintrag löschen unerledigt"), 3);
    dialog.ToggleAction(0);  // off and on again: the first row is the program folder
    EXPECT_FALSE(dialog.Plan()[0].Ticked);
    Click(dialog.Handle(), "alle markieren");
    Click(dialog.Handle(), "gewählte Aktionen Durchführen");
    for (const PlannedAction& a : dialog.Plan())
      EXPECT_EQ(a.Status, a.Refused ? "geschützt, wird nicht gelöscht" : "Ok, fertig") << a.Path;
  }
  EXPECT_FALSE(PathExists(folder));
  EXPECT_TRUE(PathExists(platform::WindowsFolder()));
  for (const wchar_t* k : {L".qwtd", L".qwte", L"QwTestDlg.Datei"}) {
    HKEY h;
    EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, k, 0, KEY_READ, &h), ERROR_SUCCESS);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, k);
  }
}

}  // namespace
