// The lists beside the selection trees, read from the live registry and disk when a
// node is selected.
#pragma once

#include <string>

#include "model/list_model.h"
#include "model/tree_model.h"

// The values of a registry node's key (level 1 or deeper), sorted by name with the
// unnamed value first: caption the name (defaultText for the unnamed value), one
// column with the data (strings as stored, emptyText when empty; integers as
// "$0000001F   (31)"; anything else as "Binary(type), size bytes: " and its first
// bytes), images 13, 15 and 14. A key without values shows one line defaultText /
// emptyText; a key that cannot be opened shows nothing.
void FillRegistryValueList(const TreeNode& node, ListModel& list, const std::string& defaultText,
                           const std::string& emptyText);
