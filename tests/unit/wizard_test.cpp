// The install/remove wizard on a main window that only records what it is asked to
// do: each step's commands, pages and messages; the tabs' navigation; the return to
// the install step after the program was left for the explorer; the welcome dialog's
// box.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "app/main_commands.h"
#include "app/old_wizard_dialog.h"
#include "app/welcome_dialog.h"
#include "app/wizard_dialog.h"
#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/window_driver.h"

namespace {

// A main window that writes down what the wizard asks of it.
class RecordingHost : public WizardHost {
 public:
  HWND Window() const override { return nullptr; }
  void RunCommand(int command) override {
    calls.push_back("command " + std::to_string(command));
    if (command == failing) throw std::runtime_error("Bitte speichern Sie zuerst die aktuelle Konfiguration");
  }
  void ShowPage(int page, int tab) override {
    calls.push_back("page " + std::to_string(page) + "," + std::to_string(tab));
  }
  bool ResultLoaded() const override { return loaded; }
  std::vector<std::string> calls;
  bool loaded = false;
  int failing = 0;
};

class WizardTest : public ::testing::Test {
 protected:
  SettingsScope settings_{"wizard-settings"};
  ScriptedInteraction ui_;
  RecordingHost host_;
};

std::string Command(int command) { return "command " + std::to_string(command); }

// Every step: what the main window is asked to do and what the person is told.
TEST_F(WizardTest, EachStepCallsItsCommand) {
  using W = TWizard2FRM;
  const std::string done = "Drücken Sie 'Weiter', um fortzufahren.";
  const struct {
    int step;
    bool loaded;
    std::vector<std::string> calls;
    std::string message;  // the end of the last text shown, "" for none
    int page;             // where the wizard stands afterwards
  } steps[] = {
      {W::idAutoSelection, false, {Command(cmResetSelection)}, done, W::pgInstall},
      {W::idStoreConfiguration, false, {Command(cmStoreConfiguration)}, done, W::pgInstall},
      {W::idCreateLog, false, {Command(cmCreateLogfile)}, "um die Änderungen im Detail zu betrachten!", W::pgStart},
      {W::idLoadLog, false, {Command(cmLoadResult)}, "Es ist kein Installationsprotokoll geladen.", W::pgUninstall},
      {W::idLoadLog, true, {Command(cmLoadResult)}, done, W::pgUninstall},
      {W::idSemiAutomatic, true, {"page 1,0"}, "sowie auch rechts (Liste).", W::pgStart},
      {W::idAutomatic, false, {}, "Bitte laden Sie zuerst eine Protokolldatei !", W::pgUninstall},
      {W::idAutomatic, true, {Command(cmRestoreAll)}, "", W::pgStart},
      {W::idManualSelection, false, {"page 0,0"}, "", W::pgInstall},
  };
  TWizard2FRM wizard(host_);
  for (const auto& s : steps) {
    const bool uninstall = s.step >= W::idLoadLog && s.step <= W::idAutomatic;
    wizard.Open(uninstall ? W::pgUninstall : W::pgInstall, 0);
    host_.calls.clear();
    host_.loaded = s.loaded;
    const size_t shown = ui_.Texts().size();
    wizard.Press(s.step);
    EXPECT_EQ(host_.calls, s.calls) << s.step;
    if (s.message.empty()) {
      EXPECT_EQ(ui_.Texts().size(), shown) << s.step;
    } else {
      ASSERT_EQ(ui_.Texts().size(), shown + 1) << s.step;
      const std::string text = ui_.Texts().back();
      EXPECT_EQ(text.substr(text.size() - std::min(text.size(), s.message.size())), s.message) << s.step;
    }
    EXPECT_EQ(wizard.CurrentPage(), s.page) << s.step;
  }
}

// The file finders: chosen in "Auswahl", then opened by the main window.
TEST_F(WizardTest, FileFindersAreChosenFirst) {
  TWizard2FRM wizard(host_);
  wizard.Open(TWizard2FRM::pgStart);
  WhenShown([](HWND choice) {
    SendMessageW(ButtonOf(choice, "Temporäre Dateien suchen"), BM_CLICK, 0, 0);
    Click(choice, "&OK");
  });
  wizard.Press(TWizard2FRM::idFindFiles);
  EXPECT_EQ(host_.calls, std::vector<std::string>{Command(cmTempFiles)});
  EXPECT_FALSE(IsWindowVisible(wizard.Handle()));
}

// "<  &Zurück" and "&Weiter  >" stay within the tabs; a failing command leaves the
// wizard on its tab and visible again, with the error for the error dialog.
TEST_F(WizardTest, NavigationAndAFailingCommand) {
  TWizard2FRM wizard(host_);
  wizard.Open(TWizard2FRM::pgInstall, 0);
  const struct {
    int button, tab;
  } moves[] = {{TWizard2FRM::idBack, 0}, {TWizard2FRM::idNext, 1}, {TWizard2FRM::idNext, 2},
               {TWizard2FRM::idNext, 3}, {TWizard2FRM::idNext, 3}, {TWizard2FRM::idBack, 2}};
  for (const auto& m : moves) {
    wizard.Press(m.button);
    EXPECT_EQ(wizard.CurrentTab(), m.tab);
  }
  wizard.Press(TWizard2FRM::idBack);
  host_.failing = cmStoreConfiguration;
  EXPECT_THROW(wizard.Press(TWizard2FRM::idStoreConfiguration), std::runtime_error);
  EXPECT_TRUE(IsWindowVisible(wizard.Handle()));
  EXPECT_EQ(wizard.CurrentTab(), 1);
  EXPECT_TRUE(ui_.Texts().empty()) << "no success message after a failure";
}

// Left for the explorer during the install step: the wizard made anew opens there;
// going anywhere else forgets it.
TEST_F(WizardTest, ItOpensWhereTheInstallationWasLeft) {
  WriteSetting("Wizard2InInstall", 1);
  {
    TWizard2FRM wizard(host_);
    wizard.Open(-1);
    EXPECT_EQ(wizard.CurrentPage(), TWizard2FRM::pgInstall);
    EXPECT_EQ(wizard.CurrentTab(), 2);
    wizard.Press(TWizard2FRM::idNext);
  }
  EXPECT_EQ(ReadSetting("Wizard2InInstall"), SettingValue(0));
  TWizard2FRM again(host_);
  again.Open(-1);
  EXPECT_EQ(again.CurrentPage(), TWizard2FRM::pgStart);
}

// The welcome dialog's box is written whichever way it closes.
TEST_F(WizardTest, WelcomeRemembersItsBox) {
  EXPECT_TRUE(ShowWelcomeAtStart());
  const struct {
    bool checked;
    const char* button;
    int result;
  } closes[] = {{true, "S&chließen", mrCancel}, {false, "Assistent jetzt starten", mrYes}};
  for (const auto& c : closes) {
    TWelcomeFRM welcome;
    WhenShown([&](HWND dialog) {
      SendMessageW(ButtonOf(dialog, "Dieses Fenster beim Start nicht mehr zeigen"), BM_SETCHECK,
                   c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
      Click(dialog, c.button);
    });
    EXPECT_EQ(welcome.ShowModal(), c.result);
    EXPECT_EQ(ShowWelcomeAtStart(), !c.checked);
  }
}

}  // namespace

namespace {

// The older assistant: its chapters in turn, the two that need their button, and the
// chapter kept for next time.
TEST_F(WizardTest, OldAssistantGoesThroughItsChapters) {
  WriteSetting("WizardChapter", 0);  // not a chapter: it starts with the first
  TfWizard wizard(host_);
  wizard.CreateHandle(nullptr);
  ShowWindow(wizard.Handle(), SW_SHOW);
  auto checked = [&](int chapter) { return SendMessageW(wizard.DoneBox(chapter), BM_GETCHECK, 0, 0) == BST_CHECKED; };
  EXPECT_EQ(wizard.Chapter(), 1);
  EXPECT_EQ(TextOf(wizard.Hints()).rfind("Klicken Sie auf die kleinen Kästchen", 0), 0u);
  SendMessageW(wizard.DoneBox(1), BM_CLICK, 0, 0);  // "Ok, fertig" of chapter 1
  EXPECT_EQ(wizard.Chapter(), 2);
  EXPECT_TRUE(checked(1));

  ui_.Answer(mrNo);  // skip chapter 2? no
  try {
    wizard.NextStep();
    ADD_FAILURE() << "chapter 2 skipped";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Bitte benutzen Sie die Schaltfläche, um die Aktion #2 auszuführen !");
  }
  SendMessageW(wizard.DoneBox(2), BM_CLICK, 0, 0);
  EXPECT_EQ(ui_.Texts().back(), "Drücken Sie HIER bitte die Schaltfläche !");
  EXPECT_FALSE(checked(2));
  EXPECT_EQ(wizard.Chapter(), 2);

  wizard.ChapterAction(2);
  EXPECT_EQ(host_.calls, (std::vector<std::string>{Command(cmStoreConfiguration)}));
  EXPECT_EQ(wizard.Chapter(), 3);
  SendMessageW(wizard.DoneBox(3), BM_CLICK, 0, 0);
  wizard.ChapterAction(4);
  EXPECT_EQ(host_.calls.back(), Command(cmCreateLogfile));
  EXPECT_EQ(wizard.Chapter(), 5);
  EXPECT_TRUE(checked(1) && checked(2) && checked(3) && checked(4) && !checked(5));
  wizard.NextStep();  // past the last chapter: done, back to the first
  EXPECT_EQ(ui_.Texts().back(), "Der Schritt für Schritt Assistent ist abgeschlossen !");
  EXPECT_EQ(wizard.Chapter(), 1);
  EXPECT_EQ(ReadSetting("WizardChapter"), SettingValue(1));

  WriteSetting("WizardChapter", 4);
  TfWizard again(host_);
  again.CreateHandle(nullptr);
  EXPECT_EQ(again.Chapter(), 4);
}

}  // namespace
