#include "app/workspace.h"

#include <windows.h>

#include "core/identity.h"
#include "core/settings.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "model/tree_images.h"

namespace {

std::string WithBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string SystemDirectory() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? platform::WideToUtf8(std::wstring_view(buffer, n)) : std::string();
}

}  // namespace

Workspace::Workspace()
    : ProgramFolder(::ProgramFolder()),
      WindowsFolder(WithBackslash(platform::WindowsFolder())),
      SystemFolder(WithBackslash(SystemDirectory())),
      Images{imgIniFile, imgTextFile} {
  // New and deleted keys and folders show their stored children when expanded.
  ResultView.SetLoader([this](TreeNode& n) { ExpandStoredNode(Result, ResultSection::Registry, n); });
  DriveResult.SetLoader([this](TreeNode& n) { ExpandStoredNode(Result, ResultSection::Drives, n); });
}

SelectionContext Workspace::Context() const {
  SelectionContext ctx;
  ctx.ProgramFolder = ProgramFolder;
  ctx.WindowsFolder = WindowsFolder;
  ctx.SystemFolder = SystemFolder;
  ctx.PathToSystemFiles = SettingsRegistryOpen() ? ReadSettingText("PathToSystemFiles") : "C:\\";
  ctx.SettingsKey = SettingsKey();
  return ctx;
}

void Workspace::ShowNoResult() {
  for (Tree* tree : {&ResultView, &DriveResult, &SystemResult}) {
    tree->Clear();
    tree->AddTop("<Keine Ergebnisdatei geladen>");
  }
}
