#include "ui/folder_dialog.h"

#include <shlobj.h>

#include "core/translate.h"
#include "platform/text.h"

namespace {

struct BrowseStart {
  std::wstring folder, caption, status;
};

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED) {
    const auto& start = *reinterpret_cast<const BrowseStart*>(data);
    if (!start.caption.empty()) SetWindowTextW(dialog, start.caption.c_str());
    if (!start.folder.empty())
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.folder.c_str()));
    if (!start.status.empty())
      SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(start.status.c_str()));
  }
  return 0;
}

std::wstring Translated(const std::string& text) {
  return text.empty() ? std::wstring() : platform::Utf8ToWide(tr(text));
}

}  // namespace

bool ChooseFolder(HWND owner, const FolderDialogOptions& options, std::string& folder) {
  BrowseStart start{platform::Utf8ToWide(folder), Translated(options.Caption), Translated(options.Status)};
  const std::wstring text = Translated(options.Text);
  PIDLIST_ABSOLUTE root = nullptr;
  if (options.DrivesRoot) SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &root);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = root;
  info.lpszTitle = text.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | (options.Status.empty() ? 0 : BIF_STATUSTEXT);
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(&start);
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  wchar_t path[MAX_PATH] = {};
  const bool ok = chosen != nullptr && SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  CoTaskMemFree(root);
  if (!ok) return false;
  folder = platform::WideToUtf8(path);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return true;
}
