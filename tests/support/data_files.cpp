#include "support/data_files.h"

#include "model/data_codes.h"
#include "model/entry_record.h"
#include "platform/file_stream.h"

void WriteConfigurationFile(const std::string& path, const SectionBody& registry, const SectionBody& drives,
                            const SectionBody& systemFiles, bool driveVersions) {
  platform::FileStream f(path, platform::FileStream::Mode::Create);
  DataWriter w(f);
  w.WriteString(kRegistrationHeader);
  w.WriteListBegin();
  if (registry) registry(w);
  w.WriteListEnd();
  w.WriteString(driveVersions ? kDrivesHeader2 : kDrivesHeader);
  w.WriteListBegin();
  if (drives) drives(w);
  w.WriteListEnd();
  w.WriteString(kSystemFilesHeader);
  w.WriteListBegin();
  if (systemFiles) systemFiles(w);
  w.WriteListEnd();
  w.Flush();
}

void WriteIniFile(DataWriter& w, const std::string& entryText, const std::vector<IniSection>& sections) {
  w.WriteString(entryText);
  w.WriteInteger(static_cast<int32_t>(sections.size()));
  for (const IniSection& section : sections) {
    w.WriteString(section.header);
    w.WriteInteger(static_cast<int32_t>(section.entries.size()));
    for (const auto& [key, value] : section.entries) {
      w.WriteString(key);
      WriteIniEntry(w, rsSnapshot, value);
    }
  }
}
