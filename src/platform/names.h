// Name comparison: the one ordering every sorted name sequence uses.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// Orders two names as the user's locale does without regard to case; when the
// locale calls them equal although they differ in more than letter case, the
// ordinal comparison decides, so two different names never count as one.
// Result < 0, 0 or > 0.
int CompareNames(std::string_view a, std::string_view b);
// The same for names already in UTF-16 (no conversions: for sorting large lists).
int CompareNamesW(std::wstring_view a, std::wstring_view b);

// The locale's sort key of a name (ignoring case): comparing two keys byte by byte
// orders the names as the locale does.
std::string NameSortKey(std::wstring_view name);
// Orders names that the locale calls equal: ordinal, ignoring case.
int CompareNamesOrdinal(std::wstring_view a, std::wstring_view b);

// Sorts items stably by CompareNamesW of name(item). Long lists are sorted through
// sort keys (one locale call per name instead of one per comparison); the result is
// checked against CompareNamesW and sorted by it directly should the two disagree.
template <typename T, typename Name>
void SortByName(std::vector<T>& items, Name name) {
  auto less = [&](const T& a, const T& b) { return CompareNamesW(name(a), name(b)) < 0; };
  if (items.size() <= 8) {
    std::stable_sort(items.begin(), items.end(), less);
    return;
  }
  if (std::is_sorted(items.begin(), items.end(), less)) return;  // often so from the system
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) keys.emplace_back(NameSortKey(name(items[i])), i);
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    return CompareNamesOrdinal(name(items[a.second]), name(items[b.second])) < 0;
  });
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (const auto& k : keys) sorted.push_back(std::move(items[k.second]));
  items = std::move(sorted);
  if (!std::is_sorted(items.begin(), items.end(), less)) std::stable_sort(items.begin(), items.end(), less);
}

// Equal without regard to case (ordinal, as the file system compares names).
bool SameText(std::string_view a, std::string_view b);

// Equal for the user's locale without regard to case (values, not names: two texts
// the locale calls equal count as equal).
bool SameTextLocale(std::string_view a, std::string_view b);

// The text in capitals, as the system's upper-case mapping gives it.
std::string UpperCase(std::string_view text);

}  // namespace platform
