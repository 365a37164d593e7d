#include "app/open_file.h"

#include <shellapi.h>

#include "core/interaction.h"
#include "core/translate.h"
#include "platform/files.h"
#include "platform/text.h"

void OpenFileThroughShell(HWND owner, const std::string& path) {
  if (!platform::FileExists(path)) {
    MessageDlg(tr("Datei existiert nicht"), mtError, mbOK);
    return;
  }
  const auto code = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, L"open", platform::Utf8ToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (code == SE_ERR_NOASSOC)
    MessageDlg(tr("Es existiert keine Verknüpfung zu dieser Datei !\r") + path, mtError, mbOK);
  else if (code <= 32) MessageDlg(tr("Fehler beim Ausführen der Datei !\r") + path, mtError, mbOK);
}
