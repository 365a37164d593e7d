// The lists beside the selection trees, read from the live registry and disk when a
// node is selected.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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
// What a row of that list stands for (its Data): a named value, the unnamed value
// (its caption is defaultText), or no value (the line of a key without values).
enum : int32_t { rvNamed = 0, rvUnnamed = 1, rvNone = 2 };
// The name of the value a row stands for; false for the line of a key without values.
bool RawValueName(const ListRow& row, std::string& name);
// Deletes values of a registry node's key, opened for setting values only (0x20006);
// a value that cannot be deleted raises EMyRegistryException with its name and the
// system's reason (the values before it are gone).
void DeleteRegistryValues(const TreeNode& node, const std::vector<std::string>& names);

// The live key of a registry node (level 1 or deeper): root key and path below it;
// false above the root keys.
bool RegistryKeyOf(const TreeNode& node, HKEY& root, std::string& path);
// Makes the subkey name below a registry node's key. A name with "\\" or an existing
// key raise EMyRegistryException and nothing is made.
void CreateRegistryKey(const TreeNode& node, const std::string& name);
// Deletes a registry node's key with everything below it (level 2 or deeper: never a
// root key); a key that cannot be deleted whole raises EMyRegistryException.
void DeleteRegistryKey(const TreeNode& node);

// The user's own entry of the system-file tree (level 1, "(INI)" or "(TXT)") goes;
// any other node raises EQuitawayError "Dieser Eintrag kann nicht gelöscht werden".
void RemoveUserSystemFile(TreeNode& node);

// The files (not folders) of a drive or folder node, sorted by name: caption the name,
// then size, date and time, attributes; the image is the index of the file's small
// icon in the system's image list.
void FillDriveFileList(const TreeNode& node, ListModel& list);

// A system-file node: a line-type file lists its lines that are not empty ("Zeile: n"
// and the line); an INI section (level 2) lists its entries. Other nodes list nothing.
void FillSystemFileList(const TreeNode& node, ListModel& list, const std::string& pathToSystemFiles);
