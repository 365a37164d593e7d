#include "snapshot/system_files.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/entry_record.h"
#include "platform/names.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace {

using platform::TrimBlanks;

bool IsBracketed(std::string_view t) { return !t.empty() && t.front() == '[' && t.back() == ']'; }

std::vector<std::string> ReadLinesOrReport(const std::string& path, SnapshotReport& report) {
  std::vector<std::string> lines;
  std::string error;
  if (!platform::ReadTextFileLines(path, lines, error)) {
    report.ShowError(error);
    lines.clear();
  }
  return lines;
}

// Sorted as every stored name sequence is.
template <typename T, typename TextOf>
void SortByName(std::vector<T>& items, TextOf textOf) {
  platform::SortByName(items, [&](const T& item) { return platform::Utf8ToWide(textOf(item)); });
}

// The entries of section header: the lines after its first occurrence up to the next
// header, blanks trimmed, without empty and comment lines. A bracketed line holding
// "=" is an entry, not a header.
std::vector<std::string_view> SectionEntries(const std::vector<std::string>& lines,
                                             std::string_view header) {
  std::vector<std::string_view> entries;
  size_t i = 0;
  while (i < lines.size() && !platform::SameText(TrimBlanks(lines[i]), header)) ++i;
  if (i == lines.size()) return entries;
  for (++i; i < lines.size(); ++i) {
    const std::string_view t = TrimBlanks(lines[i]);
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
    const std::string_view t = TrimBlanks(line);
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
        WriteIniEntry(writer, rsSnapshot, entry);
      } else {
        writer.WriteString(entry.substr(0, eq));
        WriteIniEntry(writer, rsSnapshot, entry.substr(eq + 1));
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
    if (!TrimBlanks(lines[i]).empty()) kept.push_back({lines[i], static_cast<int32_t>(i)});
  SortByName(kept, [](const Line& l) { return l.text; });
  writer.WriteInteger(static_cast<int32_t>(kept.size()));
  for (const Line& line : kept) {
    writer.WriteString(line.text);
    WriteTextLine(writer, rsSnapshot, line.index);
  }
}

}  // namespace

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
