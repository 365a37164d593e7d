#include "core/translate.h"

namespace {
std::map<std::string, std::string>& Catalog() {
  static std::map<std::string, std::string> catalog;
  return catalog;
}
}  // namespace

const std::string& tr(const std::string& german) {
  const auto& catalog = Catalog();
  if (catalog.empty()) return german;
  const auto it = catalog.find(german);
  return it == catalog.end() ? german : it->second;
}

void SetTranslationCatalog(std::map<std::string, std::string> catalog) {
  Catalog() = std::move(catalog);
}
