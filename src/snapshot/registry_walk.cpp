#include "snapshot/registry_walk.h"

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

struct RegistryWalk::ValueEntry {
  std::wstring name;
  DWORD type = 0;
  std::vector<uint8_t> data;
  LONG error = ERROR_SUCCESS;  // the value could not be read
};

void RegistryWalk::Key(HKEY key, const std::string& path) {
  ++depth_;
  DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValueName = 0, longestData = 0;
  const bool info = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values,
                                     &longestValueName, &longestData, nullptr, nullptr) == ERROR_SUCCESS;
  if (!info) subkeys = values = 0;
  std::vector<std::wstring> names = SubkeyNames(key, path, subkeys, longestSubkey);
  w_.WriteInteger(static_cast<int32_t>(names.size()));
  if (depth_ == 1) {
    report_.ProgressMax = static_cast<int32_t>(names.size());
    report_.Update();
  }
  if (Piece* continuation = WriteSubkeys(key, path, names, 0, true)) help_->GoOn(continuation);
  Values(key, path, values, longestValueName, longestData);
  --depth_;
}

void RegistryWalk::Subkeys(HKEY key, const std::string& path, int depth, std::vector<std::wstring>& names,
                           size_t offset) {
  depth_ = depth;
  WriteSubkeys(key, path, names, offset, false);  // what follows them belongs to another walk
}

std::vector<std::wstring> RegistryWalk::SubkeyNames(HKEY key, const std::string& path, DWORD count, DWORD longest) {
  std::vector<std::wstring> names = EnumerateSubkeyNames(key, count, longest);
  // The numbered control sets are copies the system keeps; the current one is stored.
  if (depth_ == 2 && platform::UpperCase(path) == "SYSTEM") {
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::wstring& n) { return n.rfind(L"ControlSet00", 0) == 0; }),
                names.end());
  }
  platform::SortByName(names, [](const std::wstring& n) { return std::wstring_view(n); });
  return names;
}

// Returns the continuation of the first handover when wantsContinuation.
Piece* RegistryWalk::WriteSubkeys(HKEY key, const std::string& path, std::vector<std::wstring>& names,
                                  size_t offset, bool wantsContinuation) {
  levels_.push_back({key, &path, depth_, &names, offset, 0, names.size(), nullptr, wantsContinuation});
  const size_t me = levels_.size() - 1;
  for (;;) {
    if (help_ != nullptr && help_->Wanted()) ShareWork();
    Level& level = levels_[me];
    if (level.next >= level.end) break;
    const size_t i = level.next++;
    if (depth_ == 1) {
      report_.ProgressPos = static_cast<int32_t>(offset + i);
      report_.Update();
    }
    WriteSubkey(key, path, names[i]);
  }
  Piece* continuation = levels_[me].continuation;
  levels_.pop_back();
  return continuation;
}

void RegistryWalk::WriteSubkey(HKEY key, const std::string& path, const std::wstring& wideName) {
  const std::string name = platform::WideToUtf8(wideName);
  w_.WriteString(name);
  HKEY sub = nullptr;
  if (RegOpenKeyExW(key, wideName.c_str(), 0, KEY_READ, &sub) != ERROR_SUCCESS) {
    w_.WriteInteger(0);  // a key that cannot be opened has nothing to show
    w_.WriteInteger(0);
    return;
  }
  Key(sub, path.empty() ? name : std::string(path).append("\\").append(name));
  RegCloseKey(sub);
}

// Hands the later half of the subkeys not yet begun of the outermost key that has some
// to a waiting thread: the outermost keys hold the largest parts, so handovers stay few.
// The key being begun now keeps at least one subkey of its own. The handed part goes
// right behind the piece of now: the keys inside the outermost one with subkeys left
// have handed nothing over, since they would only have done so with none left outside.
void RegistryWalk::ShareWork() {
  for (size_t k = 0; k < levels_.size(); ++k) {
    Level& level = levels_[k];
    const bool current = k + 1 == levels_.size();
    const size_t left = level.end - level.next;
    if (left < (current ? 2u : 1u)) continue;
    const size_t mid = level.end - (current ? left / 2 : (left + 1) / 2);
    std::vector<std::wstring> handed(level.names->begin() + static_cast<ptrdiff_t>(mid),
                                     level.names->begin() + static_cast<ptrdiff_t>(level.end));
    const bool first = level.wantsContinuation && level.continuation == nullptr;
    Piece* continuation =
        help_->HandOver(level.key, *level.path, level.depth, level.offset + mid, std::move(handed), first);
    if (first) level.continuation = continuation;
    level.end = mid;
    return;
  }
}

void RegistryWalk::Values(HKEY key, const std::string& path, DWORD count, DWORD longestName, DWORD longestData) {
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

void RegistryWalk::WriteValueData(const ValueEntry& e, const std::string& path, const std::string& name) {
  std::string failure;
  if (e.error != ERROR_SUCCESS) failure = platform::ErrorText(static_cast<uint32_t>(e.error));
  else if (e.type > 11) failure = "unknown Datatype of the Registry";
  if (!failure.empty()) {
    WriteTextValue(w_, rsSnapshot, kCodeString, "");
    if (show_errors_)
      report_.ShowError(FormatMsg(
          tr("%s\rPfad:%s, Wert:%s\rLesen des Werts war nicht möglich ->Korrupte registry!"), {failure, path, name}));
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
