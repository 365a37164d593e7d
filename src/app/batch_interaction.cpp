#include "app/batch_interaction.h"

#include <windows.h>

#include <algorithm>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/names.h"
#include "ui/splash.h"

namespace {

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

[[noreturn]] void RefuseQuestion(const std::string& text) {
  throw EQuitawayError(FormatMsg(tr("Unerwartete Frage im Stapelbetrieb: %s"), {OneLine(text)}));
}

// The file's use counter below SharedDlls; nothing when it has none.
std::optional<int32_t> SharedCounter(const std::string& path) {
  try {
    TMyRegistry reg(raRead);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", false) && reg.ValueExists(path))
      return reg.ReadInteger(path);
  } catch (const std::exception&) {
  }
  return std::nullopt;
}

}  // namespace

void PrintError(const std::string& text) {
  const std::string line = OneLine(text) + "\n";
  DWORD written = 0;
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err != nullptr && err != INVALID_HANDLE_VALUE)
    WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int BatchInteraction::MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons, int) {
  PrintError(text);
  if (type == mtError) error_shown_ = true;
  if ((buttons & ~(mbOK | mbHelp)) == 0) return mrOk;
  RefuseQuestion(text);
}

bool BatchInteraction::InputQuery(const std::string&, const std::string& prompt, std::string&) {
  RefuseQuestion(prompt);
}

int BatchInteraction::AskSharedFile(SharedFileQuestion question, const std::string& path, bool& sameForAll) {
  sameForAll = false;
  if (question == SharedFileQuestion::CounterAtZero) {  // asked only while HandleSharedDLLs is 0
    const std::string upper = platform::UpperCase(path);
    return std::find(new_files_.begin(), new_files_.end(), upper) != new_files_.end() ? mrYes : mrNo;
  }
  if (ReadSettingInt("HandleSharedDLLs") == 2) return mrNo;
  return SharedCounter(path).value_or(0) < 1 ? mrYes : mrNo;
}

void BatchInteraction::SetNewSharedFiles(std::vector<std::string> files) {
  for (std::string& f : files) f = platform::UpperCase(f);
  new_files_ = std::move(files);
}

void BatchInteraction::ProcessMessages() {
  if (splash_ != nullptr && splash_->Visible()) PumpMessages();
}
