// Text export of a result subtree, and the result-tree walker it shares with the
// installation files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "result/result_file.h"
#include "model/tree_model.h"

// Which result tree a walk runs on.
enum : int { tkRegistry = 0, tkFiles = 1, tkSystem = 2 };

// Kind mask: bit k stands for change code k (6 ... 12). All of bits 0 to 21.
inline constexpr uint32_t kAllKinds = 0x3FFFFF;

// A record's value as the walker hands it over:
//   registry: text (type 1), bytes (type 2: the characters and one zero byte; other
//             types: the stored bytes), integer (type 3);
//   files:    integers: packed date and time, size, attributes (+ the two version
//             words when the result carries versions);
//   system:   text (INI kinds) or integer (text kinds: line number from 1).
// The value callback's dataType is the stored registry type code (0 for files and
// system-file entries); nodePath is a folder's full path ending in "\" in the file
// tree, otherwise the texts from the root-key or system-file level joined by "\".
using WalkValue = std::variant<std::string, std::vector<uint8_t>, int32_t, std::vector<int32_t>>;

using ValueCallback = std::function<void(int kind, const std::string& nodePath, const std::string& name,
                                         int treeKind, int dataType, int level, const WalkValue& value)>;
using NodeCallback = std::function<void(int kind, const std::string& nodePath, int level, int treeKind)>;

// Walks the subtree of start: for each node first the change call of a deleted node,
// then its children, its header, its records, the change call of a new node and the
// end call. The keys and folders inside new and deleted ones are read from their
// stored copies, not loaded into the tree. One reader on the result file serves the
// whole walk. Callbacks may be empty; each is called only when mask has the bit of
// the kind concerned.
void WalkResultTree(const ResultFileInfo& info, TreeNode* start, uint32_t mask, int treeKind,
                    const ValueCallback& onValue, const NodeCallback& onHeader, const NodeCallback& onChange,
                    const NodeCallback& onEnd);

// The export lines of a subtree: eight header lines, then "[+][path]" lines for
// changed keys, folders and sections, each followed by its value lines.
// titleLabel ends the first header line. defaultText names the unnamed registry
// value (the setting DefaultText).
std::vector<std::string> ExportResultText(const ResultFileInfo& info, TreeNode* start, uint32_t mask,
                                          int treeKind, const std::string& titleLabel,
                                          const std::string& defaultText);

// The number a registry file gives a stored type code: 3 and 4 exchanged.
int RegistryTypeNumber(int dataType);
// Bytes as hex digits behind head ("name=hex(2):"), "," between them; a line longer
// than 80 characters goes on, after a "\", in a line indented by two blanks.
void AddHexLines(std::vector<std::string>& lines, std::string head, const std::vector<uint8_t>& bytes);

// Writes lines as a text file (UTF-8, CR LF after every line); raises on failure.
// ansi: in Windows-1252 instead, for the registry, script and INF files that regedit,
// the script host and setup read in the ANSI code page.
void SaveTextLines(const std::string& fileName, const std::vector<std::string>& lines, bool ansi = false);
