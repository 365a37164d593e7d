// Quitaway.exe: start-up, batch mode, and (until the main window exists) the splash.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/batch.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/options_dialog.h"
#include "app/workspace.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/settings.h"
#include "platform/names.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "ui/error_dialog.h"
#include "ui/form.h"
#include "ui/splash.h"
#include "ui/window_interaction.h"

namespace {

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv != nullptr && i < argc; ++i) args.push_back(platform::WideToUtf8(argv[i]));
  LocalFree(argv);
  return args;
}

void Print(DWORD stream, const std::string& text) {
  std::string lines = text;
  for (char& c : lines)
    if (c == '\r') c = '\n';
  DWORD written = 0;
  HANDLE out = GetStdHandle(stream);
  if (out != nullptr && out != INVALID_HANDLE_VALUE)
    WriteFile(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

void PrintOut(const std::string& text) { Print(STD_OUTPUT_HANDLE, text); }
// Errors of a batch run: one line each on standard error.
void PrintError(const std::string& text) {
  std::string line = text;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  Print(STD_ERROR_HANDLE, line + "\n");
}

std::string ExtensionOf(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of('\\');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return platform::UpperCase(name.substr(dot));
}

bool IsFile(const std::string& path) {
  const DWORD a = GetFileAttributesW(platform::Utf8ToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// A selection or result file named on the command line is loaded at start.
void LoadCommandLineFile(Workspace& ws, const std::vector<std::string>& args) {
  if (args.empty() || !IsFile(args[0])) return;
  const std::string ext = ExtensionOf(args[0]);
  if (ext == ".TSS") LoadSelection(ws, args[0]);
  else if (ext == ".TSL") LoadResult(ws, args[0]);
}

// A box of the window program; where no window can be made (no display) its text
// goes to standard error instead of waiting for a click nobody can give.
void ShowBox(const std::string& text, MsgDlgType type) {
  try {
    MessageDlg(text, type, mbOK);
  } catch (const std::exception&) {
    PrintError(text);
  }
}

// The main window until it is closed; the splash screen stays its three seconds.
int RunMainWindow(Workspace& ws, WindowInteraction& windows, SplashScreen& splash) {
  try {
    TfMain window(ws);
    window.CreateHandle(nullptr);
    windows.SetStatusDisplay(&window.Status());
    if (!ws.CurrentResultFile().empty()) window.ShowResult();
    splash.WaitUntil(3000);
    splash.Close();
    ShowWindow(window.Handle(), SW_SHOW);
    window.Greet();
    const int code = TfMain::MessageLoop(window.Handle());
    windows.SetStatusDisplay(nullptr);
    return code;
  } catch (const std::exception& e) {
    windows.SetStatusDisplay(nullptr);
    splash.Close();
    PrintError(e.what());  // no window could be made: no display to show one on
    return 1;
  }
}

int Run() {
  const std::vector<std::string> args = Arguments();
  WindowInteraction windows;
  InstallInteraction(&windows);
  SetWindowErrorHandler(ShowError);
  const bool batch = IsBatchCommand(args);

  SplashScreen splash;
  try {
    OpenSettingsRegistry();
    WriteBackAllSettings();  // after the first start every setting exists
    ApplyCaptionColorSettings();
  } catch (const std::exception& e) {
    if (batch) PrintError(e.what());
    else ShowBox(e.what(), mtError);
    return 1;
  }
  if (SelectLanguageAtStartup()) return 0;  // started again with the English module
  const std::string helpFile = HelpFileName(ProgramFile(), LanguageCode());
  (void)helpFile;

  if (args.size() == 1 && (args[0] == "?" || args[0] == "/?")) {
    splash.Close();
    PrintOut(CommandLineHelpText());
    try {  // the box too, where a person can see it; without a display the text is out already
      MessageDlg(CommandLineHelpText(), mtInformation, mbOK);
    } catch (const std::exception&) {
    }
    return 0;
  }

  splash.SetStatus("Status: Laden der Vorgabewerte");
  RegisterFileTypes();
  Workspace ws;
  splash.SetStatus("Status: Laden der Auswahl");
  int code = 0;
  try {
    LoadStartupSelection(ws);
    if (!batch) LoadCommandLineFile(ws, args);
  } catch (const std::exception& e) {
    if (batch) {
      PrintError(e.what());
      return 1;
    }
    ShowBox(e.what(), mtError);
  }
  splash.SetStatus("Status: Darstellung aktualisieren");
  ws.SelectionModified = false;

  if (batch) {
    code = RunBatchCommand(ws, args, &splash);
    splash.Close();
  } else {
    if (ws.CurrentResultFile().empty()) ws.ShowNoResult();
    code = RunMainWindow(ws, windows, splash);
  }
  CloseSettingsRegistry();
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  return Run();
}
