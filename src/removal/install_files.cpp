#include "removal/install_files.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "platform/names.h"
#include "platform/text.h"
#include "removal/export.h"
#include "removal/recyc.h"

namespace {

constexpr char kSharedDllsPath[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHAREDDLLS";

bool IsChange(int kind) { return kind == stAdded || kind == stRemoved || kind == stMembersChanged; }

std::string Hex8(int32_t n) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(n));
  return text;
}

// A REGEDIT4 file is read in the ANSI code page, so the texts of expandable and
// multiple strings go into it as such bytes; the log holds them in UTF-8 and UTF-16.
std::vector<uint8_t> AnsiBytes(int dataType, const std::vector<uint8_t>& bytes) {
  std::string text;
  if (dataType == rdExpandString) {
    text.assign(bytes.begin(), bytes.end());
  } else if (dataType == rdMultiString && bytes.size() % 2 == 0) {
    std::wstring wide(bytes.size() / 2, L'\0');
    std::memcpy(wide.data(), bytes.data(), bytes.size());
    text = platform::WideToUtf8(wide);
  } else {
    return bytes;
  }
  text = platform::Utf8ToCp1252(text);
  return std::vector<uint8_t>(text.begin(), text.end());
}

// regedit reads the type of "hex(n):" in hexadecimal: type 11 (a QWORD) is "hex(b):".
std::string TypeInHex(int dataType) {
  char text[12];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(RegistryTypeNumber(dataType)));
  return text;
}

// The registry file and the script lines of one walk.
class RegFileWriter {
 public:
  RegFileWriter(std::vector<std::string>& lines, std::vector<std::string>* script) : lines_(lines), script_(script) {}

  void Header(int kind, const std::string& path) {
    if (!IsChange(kind)) return;
    lines_.push_back("");
    lines_.push_back("[" + path + "]");
    in_shared_ = platform::UpperCase(path) == kSharedDllsPath;
  }

  void End(int kind, const std::string& path) {
    if (kind != stRemoved) return;
    lines_.push_back("");
    lines_.push_back("[-" + path + "]");
  }

  void Value(int kind, const std::string& path, const std::string& name, int dataType, const WalkValue& value) {
    std::string head = "@";
    if (!name.empty()) head.assign("\"").append(EscapeRegString(name)).append("\"");
    const bool put = kind == rsNew || kind == rsNewOfAltered;
    if (const auto* number = std::get_if<int32_t>(&value)) {
      if (in_shared_) return Counter(kind, path, name, *number);
      if (put) lines_.push_back(head + "=dword:" + Hex8(*number));
    } else if (const auto* text = std::get_if<std::string>(&value)) {
      if (put) lines_.push_back(head + "=\"" + EscapeRegString(*text) + "\"");
    } else if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
      if (put)
        AddHexLines(lines_, head + (dataType == 4 ? "=hex:" : "=hex(" + TypeInHex(dataType) + "):"),
                    AnsiBytes(dataType, *bytes));
    }
    if (kind == rsDeleted) lines_.push_back(head + "=-");
  }

 private:
  // A use counter: the script moves it by the logged difference.
  void Counter(int kind, const std::string& key, const std::string& name, int32_t number) {
    std::string change;
    if (kind == rsNew) change.append("+").append(std::to_string(number));
    if (kind == rsDeleted) change.append("-").append(std::to_string(number));
    if (kind == rsOldOfAltered) old_counter_ = number;
    if (kind == rsNewOfAltered) {
      const int32_t d = number - old_counter_;
      change.append(d >= 0 ? "+" : "").append(std::to_string(d));
    }
    if (change.empty() || script_ == nullptr) return;
    const std::string path = key + "\\" + name;
    script_->push_back(FormatMsg("WshShell.RegWrite \"%s\", WshShell.RegRead(\"%s\") %s, \"REG_DWORD\"",
                                 {path, path, change}));
  }

  std::vector<std::string>& lines_;
  std::vector<std::string>* script_;
  bool in_shared_ = false;
  int32_t old_counter_ = 0;
};

// The file and section of an INI entry's path ("C:\X.INI(INI)\[Sektion]"); false for
// text files, which are never written.
bool IniPlace(const std::string& path, std::string& file, std::string& section) {
  std::string upper = platform::UpperCase(path);
  const size_t mark = upper.find("(INI)");
  if (mark != std::string::npos) upper.erase(mark, 5);
  else if (upper.find("WIN.INI") == std::string::npos && upper.find("SYSTEM.INI") == std::string::npos) return false;
  const size_t split = upper.find("\\[");
  if (split == std::string::npos) return false;
  file = upper.substr(0, split);
  section = upper.substr(split + 2);
  if (!section.empty() && section.back() == ']') section.pop_back();
  return true;
}

// Makes a folder with all missing parents.
void MakeFolder(const std::string& folder) {
  if (folder.empty()) throw EQuitawayError(tr("Kann Dir nicht erstellen"));
  const int rc = SHCreateDirectoryExW(nullptr, platform::Utf8ToWide(folder).c_str(), nullptr);
  if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS)
    throw EQuitawayError(tr("Kann Dir nicht erstellen"));
}

}  // namespace

std::string EscapeRegString(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

void ExportRegFile(const ResultFileInfo& info, TreeNode* start, uint32_t mask, std::vector<std::string>& lines,
                   std::vector<std::string>* scriptLines) {
  lines = {"REGEDIT4"};
  if (scriptLines != nullptr) scriptLines->push_back("Set WshShell = WScript.CreateObject(\"WScript.Shell\")");
  RegFileWriter writer(lines, scriptLines);
  WalkResultTree(
      info, start, mask, tkRegistry,
      [&](int kind, const std::string& path, const std::string& name, int, int dataType, int, const WalkValue& value) {
        writer.Value(kind, path, name, dataType, value);
      },
      [&](int kind, const std::string& path, int, int) { writer.Header(kind, path); }, nullptr,
      [&](int kind, const std::string& path, int, int) { writer.End(kind, path); });
  if (lines.size() == 1) lines.clear();  // nothing to write: no file
}

void ExportInfFile(const ResultFileInfo& info, TreeNode* start, uint32_t mask, std::vector<std::string>& lines) {
  const std::string product = ProductName;
  lines = {"[Version]",
           "Signature=$Chicago$",
           "Provider=%Author%",
           "SetupClass=BASE",
           "Class=NoDriver",
           "",
           "[Strings]",
           "Product=\"" + product + " InstallScript\"",
           "Version=\"1.0\"",
           "Info=\"" + product + " InstallScript\"",
           "Author=\"Velmoria\"",
           "Source=\"" + product + "\"",
           "",
           "[DefaultInstall]",
           "UpdateInis=Update_ini",
           "",
           "[Update_ini]",
           ";ini-file,ini-section,old-entry,new-entry,update-flag"};
  std::string oldEntry;
  WalkResultTree(
      info, start, mask, tkSystem,
      [&](int kind, const std::string& path, const std::string& name, int, int, int, const WalkValue& value) {
        const auto* text = std::get_if<std::string>(&value);
        std::string file, section;
        if (text == nullptr || !IniPlace(path, file, section)) return;
        if (kind == rsNew) lines.push_back(FormatMsg("%s,\"%s\",,\"%s=%s\"", {file, section, name, *text}));
        if (kind == rsDeleted) lines.push_back(FormatMsg("%s,\"%s\",\"%s=%s\",", {file, section, name, *text}));
        if (kind == rsOldOfAltered) oldEntry = FormatMsg("\"%s=%s\"", {name, *text});
        if (kind == rsNewOfAltered)
          lines.push_back(FormatMsg("%s,\"%s\",%s,\"%s=%s\"", {file, section, oldEntry, name, *text}));
      },
      nullptr, nullptr, nullptr);
}

void CopyChangedFiles(const ResultFileInfo& info, TreeNode* start, uint32_t mask, const std::string& targetFolder,
                      bool askOnProblems) {
  std::string target = targetFolder;
  if (!target.empty() && target.back() != '\\') target += '\\';
  // The folder's place in the copy: its full path without the drive's colon.
  auto relative = [](const std::string& path) {
    const size_t colon = path.find(':');
    return colon == std::string::npos ? path : path.substr(0, colon) + path.substr(colon + 1);
  };
  int copied = 0;
  WalkResultTree(
      info, start, mask, tkFiles,
      [&](int kind, const std::string& folder, const std::string& name, int, int, int, const WalkValue&) {
        if (kind != rsNew && kind != rsNewOfAltered) return;
        const std::string source = folder + name;
        if (GetFileAttributesW(platform::Utf8ToWide(source).c_str()) == INVALID_FILE_ATTRIBUTES) {
          if (askOnProblems &&
              MessageDlg(tr("Folgende Datei, die kopiert werden sollte ist nicht vorhanden:\r") + source, mtWarning,
                         mbOK | mbCancel) == mrCancel)
            throw EAbort();
          return;
        }
        if (!ShellCopy(source, target + relative(folder) + name, false, true, askOnProblems))
          throw EQuitawayError(tr("Es trat ein Fehler beim Kopieren der Dateien auf !"));
        ++copied;
      },
      [&](int kind, const std::string& folder, int, int) {
        if (kind != stAdded && kind != stMembersChanged) return;
        MakeFolder(target + relative(folder));
        copied = 0;
      },
      nullptr,
      [&](int kind, const std::string& folder, int, int) {
        if ((kind != stAdded && kind != stMembersChanged) || copied > 0) return;
        const std::wstring marker = platform::Utf8ToWide(target + relative(folder) + "create.dir");
        HANDLE h = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw EQuitawayError(tr("Kann Dir nicht erstellen"));
        CloseHandle(h);
      });
}

void CreateAllInstallFiles(const ResultFileInfo& info, TreeNode* registry, TreeNode* system, TreeNode* drives,
                           const std::string& name, const std::string& folder, bool askOnProblems,
                           const InstallFilesDialog& dialog) {
  auto written = [&](const char* kind, size_t lines) {
    if (dialog.Written) dialog.Written(kind, lines);
  };
  std::vector<std::string> lines, script;
  ExportRegFile(info, registry, dialog.Mask, lines, &script);
  SaveTextLines(name + ".REG", lines, true);
  written(".REG", lines.size());
  SaveTextLines(name + ".VBS", script, true);
  written(".VBS", script.size());
  ExportInfFile(info, system, dialog.Mask, lines);
  SaveTextLines(name + "_add.INF", lines, true);
  written(".INF", lines.size());
  std::string target = folder;
  if (dialog.ChooseFolder && !dialog.ChooseFolder(target)) return;
  CopyChangedFiles(info, drives, dialog.Mask, target, askOnProblems);
}
