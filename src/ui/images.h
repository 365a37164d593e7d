// The program's small images, drawn here at the window's DPI in the order of
// model/tree_images.h: keys and folders, the computer, the three check states, the
// seven change codes, the value types, the drives and the system files.
#pragma once

#include <windows.h>
#include <commctrl.h>

// The image list of trees and lists (owned by the caller: ImageList_Destroy).
HIMAGELIST CreateProgramImages(int dpi);
// The state images of the trees: 3 not selected, 4 selected, 5 partly selected.
HIMAGELIST CreateStateImages(int dpi);

// The text colour of entries whose change was undone.
inline constexpr COLORREF kDoneColour = RGB(150, 150, 150);
