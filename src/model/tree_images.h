// Image numbers of the tree and list nodes, shared by the engines that build trees
// and the views that draw them (the main window's image list follows this order).
#pragma once

#include <cstdint>

enum : int32_t {
  imgKeyClosed = 0,       // key or folder
  imgKeyOpen = 1,         // key or folder, selected
  imgComputer = 2,        // "Arbeitsplatz", "Laufwerke", "Systemdateien"
  // 3..5 are the check states, 6..12 the change codes (same numbers as the codes)
  imgStringValue = 13,
  imgBinaryValue = 14,
  imgIntegerValue = 15,
  imgDriveBase = 16,      // + the drive type of GetDriveType (0..6)
  imgIniFile = 23,
  imgTextFile = 24,
};
