// The lists beside the result trees: the records of the selected node, read from the
// result file for this one request (the file is never held open).
#pragma once

#include <string>

#include "model/list_model.h"
#include "model/tree_model.h"
#include "result/result_file.h"

// The values of a registry result node: caption the name (defaultText for the
// unnamed value, whose row keeps its own empty name), one column with the data as
// ValueDisplayText shows it, Status the record's status (change code and done mark),
// the type image.
void FillResultValueList(const ResultFileInfo& info, const TreeNode& node, ListModel& list,
                         const std::string& defaultText, const std::string& emptyText);

// The files of a folder node: name, size, date and time, attributes, and the version
// when the result carries versions. Image: the index of the file's small icon in the
// system's image list (the existing file's own for new and altered files, else the
// one registered for its extension).
void FillResultFileList(const ResultFileInfo& info, const TreeNode& node, ListModel& list);

// The entries of a system-file node, sorted by text: an INI entry with its value, a
// text line with "Zeile: n".
void FillResultSystemList(const ResultFileInfo& info, const TreeNode& node, ListModel& list);
