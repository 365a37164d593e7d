#include "snapshot/system_files.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/settings.h"
#include "core/translate.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "snapshot/data_codes.h"

namespace {

// Smallest stored forms, for checking counts read from a file: a section is a name
// and an entry count; an entry or line a name, a status and a value or index (each
// item at least two bytes).
constexpr size_t kMinSectionSize = 4;
constexpr size_t kMinEntrySize = 6;
constexpr size_t kMinNameSize = 2;

// Blanks are every character up to the space, control characters included.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool IsBracketed(std::string_view t) { return !t.empty() && t.front() == '[' && t.back() == ']'; }

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

std::vector<std::string> ReadLinesOrReport(const std::string& path, SnapshotReport& report) {
  std::vector<std::string> lines;
  std::string error;
  if (!platform::ReadTextFileLines(path, lines, error)) {
    report.ShowError(error);
    lines.clear();
  }
  return lines;
}

template <typename T, typename TextOf>
void SortByName(std::vector<T>& items, TextOf textOf) {
  std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) {
    return platform::CompareNames(textOf(a), textOf(b)) < 0;
  });
}

// The entries of section header: the lines after its first occurrence up to the next
// header, blanks trimmed, without empty and comment lines. A bracketed line holding
// "=" is an entry, not a header.
std::vector<std::string_view> SectionEntries(const std::vector<std::string>& lines,
                                             std::string_view header) {
  std::vector<std::string_view> entries;
  size_t i = 0;
  while (i < lines.size() && !platform::SameText(Trim(lines[i]), header)) ++i;
  if (i == lines.size()) return entries;
  for (++i; i < lines.size(); ++i) {
    const std::string_view t = Trim(lines[i]);
    if (t.empty()) continue;
    if (IsBracketed(t) && t.find('=') == std::string_view::npos) break;
    if (t.front() == ';') continue;
    entries.push_back(t);
  }
  return entries;
}

void WriteIniBlock(DataWriter& writer, const std::string& path, SnapshotReport& report) {
  const std::vector<std::string> lines = ReadLinesOrReport(path, report);
  std::vector<std::string_view> headers;
  for (const std::string& line : lines) {
    const std::string_view t = Trim(line);
    if (IsBracketed(t)) headers.push_back(t);
  }
  SortByName(headers, [](std::string_view h) { return h; });
  writer.WriteInteger(static_cast<int32_t>(headers.size()));
  for (const std::string_view header : headers) {
    writer.WriteString(header);
    if (header == "[]") {
      report.ShowError(FormatMsg(tr("In Datei '%s' ist ein Abschnitt, dessen Name leer ist.\r"
                                    "Die Werte des Abschnitts können nicht gelesen werden"),
                                 {path}));
      writer.WriteInteger(0);
      continue;
    }
    const std::vector<std::string_view> entries = SectionEntries(lines, header);
    writer.WriteInteger(static_cast<int32_t>(entries.size()));
    for (const std::string_view entry : entries) {
      const size_t eq = entry.find('=');
      if (eq == std::string_view::npos) {
        writer.WriteString("");
        writer.WriteInteger(rsSnapshot);
        writer.WriteString(entry);
      } else {
        writer.WriteString(entry.substr(0, eq));
        writer.WriteInteger(rsSnapshot);
        writer.WriteString(entry.substr(eq + 1));
      }
    }
  }
}

void WriteTextBlock(DataWriter& writer, const std::string& path, SnapshotReport& report) {
  const std::vector<std::string> lines = ReadLinesOrReport(path, report);
  struct Line {
    std::string_view text;
    int32_t index;
  };
  std::vector<Line> kept;
  for (size_t i = 0; i < lines.size(); ++i)
    if (!Trim(lines[i]).empty()) kept.push_back({lines[i], static_cast<int32_t>(i)});
  SortByName(kept, [](const Line& l) { return l.text; });
  writer.WriteInteger(static_cast<int32_t>(kept.size()));
  for (const Line& line : kept) {
    writer.WriteString(line.text);
    writer.WriteInteger(rsSnapshot);
    writer.WriteInteger(line.index);
  }
}

}  // namespace

int FileKindOf(const std::string& entryText, std::string& path) {
  return FileKindOf(entryText, path, ReadSettingText("PathToSystemFiles"));
}

int FileKindOf(const std::string& entryText, std::string& path, const std::string& pathToSystemFiles) {
  // The fixed names are matched without their surrounding blanks and read without
  // them too: a blank around a file name would only make the file unreadable.
  const std::string_view trimmed = Trim(entryText);
  const std::string upper = platform::UpperCase(trimmed);
  if (upper == "AUTOEXEC.BAT" || upper == "CONFIG.SYS") {
    path = pathToSystemFiles + std::string(trimmed);
    return sfSystemText;
  }
  if (upper == "SYSTEM.INI" || upper == "WIN.INI") {
    path = platform::WindowsFolder();
    if (path.empty() || path.back() != '\\') path += '\\';
    path += trimmed;
    return sfWindowsIni;
  }
  // A blank before the mark stays part of the path.
  if (EndsWithMark(trimmed, "(INI)")) {
    path = std::string(trimmed.substr(0, trimmed.size() - 5));
    return sfUserIni;
  }
  if (EndsWithMark(trimmed, "(TXT)")) {
    path = std::string(trimmed.substr(0, trimmed.size() - 5));
    return sfUserText;
  }
  throw EQuitawayError(FormatMsg(tr("Konnte den Dateityp für %s nicht feststellen"), {entryText}));
}

void WriteSystemFilesSection(DataWriter& writer, const std::vector<SystemFileEntry>& files,
                             const std::string& pathToSystemFiles, SnapshotReport& report) {
  writer.WriteString(kSystemFilesHeader);
  report.ProgressMax = static_cast<int32_t>(files.size());
  report.ProgressPos = 0;
  report.StatusText = tr(" Systemdateien speichern");
  report.Update();

  writer.WriteListBegin();
  for (size_t i = 0; i < files.size(); ++i) {
    const SystemFileEntry& file = files[i];
    if (file.StateIndex == stUnchecked) continue;
    writer.WriteString(file.Text);
    std::string path;
    const int kind = FileKindOf(file.Text, path, pathToSystemFiles);
    switch (kind) {
      case sfWindowsIni:
      case sfUserIni: WriteIniBlock(writer, path, report); break;
      case sfSystemText:
      case sfUserText: WriteTextBlock(writer, path, report); break;
      default: throw EQuitawayError(FormatMsg(tr("Unbekannte Case-Variable bei %s"), {file.Text}));
    }
    report.ProgressPos = static_cast<int32_t>(i);
    report.Update();
  }
  writer.WriteListEnd();

  report.ProgressMax = 0;
  report.ProgressPos = 0;
  report.StatusText = tr(" Status");
  report.Update();
}

bool CopySysTree(DataReader& reader, DataWriter* writer, int32_t status, bool atSectionLevel, int kind) {
  const bool known = kind >= sfWindowsIni && kind <= sfUserText;
  const int32_t count = reader.ReadCount(atSectionLevel ? kMinSectionSize : known ? kMinEntrySize : kMinNameSize);
  if (writer != nullptr) writer->WriteInteger(count);
  for (int32_t i = 0; i < count; ++i) {
    const std::string name = reader.ReadString();
    if (writer != nullptr) writer->WriteString(name);
    if (atSectionLevel) CopySysTree(reader, writer, status, false, kind);
    else CopySysEntry(reader, writer, status, kind);
  }
  return atSectionLevel && count > 0;
}

void CopySysEntry(DataReader& reader, DataWriter* writer, int32_t status, int kind) {
  if (kind < sfWindowsIni || kind > sfUserText) return;
  reader.ReadInteger();  // the stored status is replaced
  if (writer != nullptr) writer->WriteInteger(status);
  if (IsIniKind(kind)) {
    const std::string value = reader.ReadString();
    if (writer != nullptr) writer->WriteString(value);
  } else {
    const int32_t index = reader.ReadInteger();
    if (writer != nullptr) writer->WriteInteger(index);
  }
}
