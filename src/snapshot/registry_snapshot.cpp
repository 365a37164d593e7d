#include "snapshot/registry_snapshot.h"

#include <algorithm>
#include <cstring>

#include "core/format.h"
#include "core/registry.h"
#include "core/translate.h"
#include "platform/errors.h"
#include "platform/names.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "model/value_record.h"

namespace {

struct ValueEntry {
  std::wstring name;
  DWORD type = 0;
  std::vector<uint8_t> data;
  LONG error = ERROR_SUCCESS;  // the value could not be read
};

// Walks one root key. Every registry call here is a round trip to the registry
// server under Wine, so the walk makes only the calls it needs: one information
// query per key, enumerations bounded by its counts, values read with their data in
// the same call that names them.
class RegistryWalk {
 public:
  RegistryWalk(DataWriter& w, bool showErrors, SnapshotReport& report)
      : w_(w), show_errors_(showErrors), report_(report) {}

  void Key(HKEY key, const std::string& path) {
    ++depth_;
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValueName = 0, longestData = 0;
    const bool info = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                                       &values, &longestValueName, &longestData, nullptr,
                                       nullptr) == ERROR_SUCCESS;
    if (!info) subkeys = values = 0;
    Subkeys(key, path, subkeys, longestSubkey);
    Values(key, path, values, longestValueName, longestData);
    --depth_;
  }

 private:
  void Subkeys(HKEY key, const std::string& path, DWORD count, DWORD longest) {
    std::vector<std::wstring> names = EnumerateSubkeyNames(key, count, longest);
    // The numbered control sets are copies the system keeps; the current one is stored.
    if (depth_ == 2 && platform::UpperCase(path) == "SYSTEM") {
      names.erase(std::remove_if(names.begin(), names.end(),
                                 [](const std::wstring& n) { return n.rfind(L"ControlSet00", 0) == 0; }),
                  names.end());
    }
    platform::SortByName(names, [](const std::wstring& n) { return std::wstring_view(n); });

    w_.WriteInteger(static_cast<int32_t>(names.size()));
    if (depth_ == 1) {
      report_.ProgressMax = static_cast<int32_t>(names.size());
      report_.Update();
    }
    for (size_t i = 0; i < names.size(); ++i) {
      if (depth_ == 1) {
        report_.ProgressPos = static_cast<int32_t>(i);
        report_.Update();
      }
      const std::string name = platform::WideToUtf8(names[i]);
      w_.WriteString(name);
      const std::string subPath = path.empty() ? name : path + "\\" + name;
      HKEY sub = nullptr;
      if (RegOpenKeyExW(key, names[i].c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) {
        w_.WriteInteger(0);  // a key that cannot be opened has nothing to show
        w_.WriteInteger(0);
        continue;
      }
      Key(sub, subPath);
      RegCloseKey(sub);
    }
  }

  void Values(HKEY key, const std::string& path, DWORD count, DWORD longestName, DWORD longestData) {
    std::vector<ValueEntry> entries;
    entries.reserve(count);
    std::vector<wchar_t> name(longestName + 2);
    if (data_.size() < longestData + 1) data_.resize(longestData + 1);
    for (DWORD i = 0, retries = 0; i < count; ++i) {
      DWORD nameLen = static_cast<DWORD>(name.size());
      DWORD dataLen = static_cast<DWORD>(data_.size());
      DWORD type = 0;
      LONG rc = RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data_.data(), &dataLen);
      if (rc == ERROR_MORE_DATA && retries++ < 8) {
        // The data (or the name) grew since the key was queried: read again with the size
        // the registry reports; the buffer keeps its size for the values that follow.
        if (dataLen + 2 > data_.size()) data_.resize(dataLen + 2);
        else name.resize(name.size() * 2 + 256);
        --i;
        continue;
      }
      retries = 0;
      ValueEntry entry;
      if (rc == ERROR_SUCCESS) {
        entry.name.assign(name.data(), nameLen);
        entry.type = type;
        entry.data.assign(data_.begin(), data_.begin() + dataLen);
      } else {
        // The data cannot be read; the name may still be: store it as unreadable.
        nameLen = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
          continue;
        entry.name.assign(name.data(), nameLen);
        entry.error = rc;
      }
      entries.push_back(std::move(entry));
    }
    platform::SortByName(entries, [](const ValueEntry& e) { return std::wstring_view(e.name); });

    w_.WriteInteger(static_cast<int32_t>(entries.size()));
    for (const ValueEntry& e : entries) {
      const std::string name = platform::WideToUtf8(e.name);
      w_.WriteString(name);
      WriteValueData(e, path, name);
    }
  }

  void WriteValueData(const ValueEntry& e, const std::string& path, const std::string& name) {
    std::string failure;
    if (e.error != ERROR_SUCCESS) failure = platform::ErrorText(static_cast<uint32_t>(e.error));
    else if (e.type > 11) failure = "unknown Datatype of the Registry";
    if (!failure.empty()) {
      WriteTextValue(w_, rsSnapshot, kCodeString, "");
      if (show_errors_)
        report_.ShowError(FormatMsg(
            tr("%s\rPfad:%s, Wert:%s\rLesen des Werts war nicht möglich ->Korrupte registry!"),
            {failure, path, name}));
      return;
    }
    const int code = RegTypeToRegDataType(e.type);
    if (code == rdString || code == rdExpandString) {
      std::wstring text(e.data.size() / sizeof(wchar_t), L'\0');
      if (!text.empty()) std::memcpy(text.data(), e.data.data(), text.size() * sizeof(wchar_t));
      // The terminating zero is not part of the text; a value stored without one loses nothing.
      if (!text.empty() && text.back() == L'\0') text.pop_back();
      WriteTextValue(w_, rsSnapshot, code, platform::WideToUtf8(text));
    } else if (code == rdInteger) {
      uint8_t bytes[4] = {0, 0, 0, 0};
      std::memcpy(bytes, e.data.data(), std::min<size_t>(4, e.data.size()));
      int32_t number;
      std::memcpy(&number, bytes, 4);
      WriteNumberValue(w_, rsSnapshot, number);
    } else {
      WriteBytesValue(w_, rsSnapshot, code, e.data.data(), e.data.size());
    }
  }

  DataWriter& w_;
  bool show_errors_;
  SnapshotReport& report_;
  int depth_ = 0;
  std::vector<uint8_t> data_;  // one growing buffer for all value data
};

}  // namespace

void WriteRegistryKey(DataWriter& writer, HKEY key, const std::string& path, bool showRegistryErrors,
                      SnapshotReport& report) {
  RegistryWalk walk(writer, showRegistryErrors, report);
  walk.Key(key, path);
}

void WriteRegistrySection(DataWriter& writer, const std::vector<std::string>& rootKeys,
                          bool showRegistryErrors, SnapshotReport& report) {
  writer.WriteListBegin();
  for (const std::string& name : rootKeys) {
    report.ProgressMax = 0;
    report.ProgressPos = 0;
    report.StatusText = " Registry:" + name;
    report.Update();
    HKEY root = RootKeyByIndex(RootKeyIndex(name));
    writer.WriteString(name);
    if (root == nullptr) {  // not a root key of this system: stored empty
      writer.WriteInteger(0);
      writer.WriteInteger(0);
      continue;
    }
    WriteRegistryKey(writer, root, "", showRegistryErrors, report);
  }
  writer.WriteListEnd();
}
