#include "model/system_file_kind.h"

#include <string_view>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace {

// The kind marks are ASCII; compared byte for byte so that no case mapping of another
// script can change the length of what is cut off.
bool EndsWithMark(std::string_view text, std::string_view mark) {
  if (text.size() < mark.size()) return false;
  const std::string_view tail = text.substr(text.size() - mark.size());
  for (size_t i = 0; i < mark.size(); ++i) {
    char c = tail[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != mark[i]) return false;
  }
  return true;
}

// The kind, and with path the file to read; pathToSystemFiles is read only when
// needed and given.
int Classify(const std::string& entryText, std::string* path, const std::string* pathToSystemFiles) {
  // The fixed names are matched without their surrounding blanks and read without
  // them too: a blank around a file name would only make the file unreadable.
  const std::string_view trimmed = platform::TrimBlanks(entryText);
  const std::string upper = platform::UpperCase(trimmed);
  if (upper == "AUTOEXEC.BAT" || upper == "CONFIG.SYS") {
    if (path) *path = (pathToSystemFiles ? *pathToSystemFiles : std::string()) + std::string(trimmed);
    return sfSystemText;
  }
  if (upper == "SYSTEM.INI" || upper == "WIN.INI") {
    if (path) {
      *path = platform::WindowsFolder();
      if (path->empty() || path->back() != '\\') *path += '\\';
      *path += trimmed;
    }
    return sfWindowsIni;
  }
  // A blank before the mark stays part of the path.
  for (const auto& [mark, kind] : {std::pair{"(INI)", sfUserIni}, std::pair{"(TXT)", sfUserText}}) {
    if (!EndsWithMark(trimmed, mark)) continue;
    if (path) *path = std::string(trimmed.substr(0, trimmed.size() - 5));
    return kind;
  }
  throw EQuitawayError(FormatMsg(tr("Konnte den Dateityp für %s nicht feststellen"), {entryText}));
}

}  // namespace

int FileKindOf(const std::string& entryText, std::string& path) {
  const int kind = KindOfEntry(entryText);
  const std::string setting = kind == sfSystemText ? ReadSettingText("PathToSystemFiles") : std::string();
  return Classify(entryText, &path, &setting);
}

int FileKindOf(const std::string& entryText, std::string& path, const std::string& pathToSystemFiles) {
  return Classify(entryText, &path, &pathToSystemFiles);
}

int KindOfEntry(const std::string& entryText) { return Classify(entryText, nullptr, nullptr); }
