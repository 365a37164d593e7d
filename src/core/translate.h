// Translation by the German source text. Every text the user sees goes through
// tr(); with no catalog loaded (German) it is returned unchanged.
#pragma once

#include <map>
#include <string>

const std::string& tr(const std::string& german);

// Installs a catalog mapping German texts to the chosen language; an empty map
// goes back to German.
void SetTranslationCatalog(std::map<std::string, std::string> catalog);
