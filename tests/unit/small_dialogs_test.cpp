// The small dialogs of the undo and the selection: the shared-file questions with their
// box, and "Systemdatei hinzufügen" with its rules for the name.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/add_system_file_dialog.h"
#include "core/exceptions.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/temp_folder.h"
#include "support/window_driver.h"
#include "ui/shared_file_dialog.h"

namespace {

// Each question with its delete button; the box counts, closing the window cancels.
TEST(SmallDialogs, SharedFileQuestionsAnswerAndRememberTheBox) {
  const struct {
    SharedFileQuestion question;
    bool uncheck;
    const char* button;  // nullptr: closed by the window's frame
    int answer;
    bool sameForAll;
  } cases[] = {{SharedFileQuestion::StillRegistered, false, "Datei trotzdem löschen", mrYes, true},
               {SharedFileQuestion::CounterAtZero, true, "Datei löschen", mrYes, false},
               {SharedFileQuestion::CounterAtZero, false, "Datei nicht löschen", mrNo, true},
               {SharedFileQuestion::StillRegistered, true, nullptr, mrCancel, false}};
  for (const auto& c : cases) {
    std::string shownPath;
    WhenShown([&](HWND dialog) {
      for (HWND child : Children(dialog))
        if (ClassOf(child) == "Edit") shownPath = TextOf(child);
      if (c.uncheck)
        SendMessageW(ButtonOf(dialog, "Für alle weiteren Dateien gleich handeln"), BM_SETCHECK, BST_UNCHECKED, 0);
      if (c.button != nullptr) Click(dialog, c.button);
      else SendMessageW(dialog, WM_CLOSE, 0, 0);
    });
    bool same = !c.sameForAll;
    EXPECT_EQ(AskSharedFileInDialog(c.question, "C:\\windows\\system32\\geteilt.dll", same), c.answer) << c.button;
    EXPECT_EQ(same, c.sameForAll) << c.button;
    EXPECT_EQ(shownPath, "C:\\windows\\system32\\geteilt.dll");
  }
}

// A name without a folder is taken from the current folder; the kind follows the
// radio buttons; a file that is not there keeps the dialog open with the error.
TEST(SmallDialogs, AddSystemFileTakesTheCurrentFolderAndTheKind) {
  TempFolder folder;
  WriteFileBytes(folder.File("MY.INI"), "[a]\r\n");
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(platform::Utf8ToWide(folder.Path()).c_str());
  const struct {
    std::string name;
    bool textFile;
    std::string entry;  // "" when the file is not there
    int kind;
  } cases[] = {{"MY.INI", false, folder.File("MY.INI") + "(INI)", 2},
               {folder.File("MY.INI"), true, folder.File("MY.INI") + "(TXT)", 3},
               {"FEHLT.INI", false, "", 0}};
  for (const auto& c : cases) {
    TfAddSysFile dialog;
    dialog.CreateHandle(nullptr);
    SetWindowTextW(dialog.NameField(), platform::Utf8ToWide(c.name).c_str());
    if (c.textFile) SendMessageW(dialog.TextFileRadio(), BM_CLICK, 0, 0);
    try {
      dialog.Accept();
      EXPECT_EQ(dialog.Entry(), c.entry);
      EXPECT_EQ(dialog.Kind(), c.kind);
      EXPECT_EQ(dialog.ModalResult(), 1);
    } catch (const EQuitawayError& e) {
      EXPECT_TRUE(c.entry.empty()) << e.what();
      EXPECT_EQ(std::string(e.what()), "Datei " + folder.File("FEHLT.INI") + " kann nicht erstellt werden");
      EXPECT_EQ(dialog.ModalResult(), 0);
    }
  }
  SetCurrentDirectoryW(before);
}

}  // namespace
