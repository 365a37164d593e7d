// The commands "Installationsdateien erzeugen": of the log's popups (a registry file,
// an INF file or the copy of the files, for the selected node) and of the menu (all
// of them for the whole log). Each asks for the kinds to write (TfExpForm) and then for
// the file name or target folder.
#pragma once

#include <windows.h>

#include "app/workspace.h"
#include "model/tree_model.h"

// tab: 0 registry (".REG"), 1 file structure (copy of the files), 2 system files
// ("_add.INF").
void CreateInstallFilesFor(HWND owner, const ResultFileInfo& info, TreeNode& node, int tab);
void CreateAllInstallFilesCommand(HWND owner, Workspace& ws);
