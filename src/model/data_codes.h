// Header strings, fixed file names and the shared state and status codes of the
// data files.
#pragma once

#include <cstdint>

// Header strings: the first item of every file and of every section or block.
inline constexpr char kSelectionHeader[] = "* THIS IS A TIDYSWEEP SELECTION DATAFILE *";
inline constexpr char kRegistrationHeader[] = "* THIS IS A TIDYSWEEP REGISTRATION DATAFILE Ver 4/97 *";
inline constexpr char kRegistrationHeaderV2[] = "* THIS IS A TIDYSWEEP REGISTRATION DATAFILE Ver2 *";
inline constexpr char kDrivesHeader2[] = "* THIS IS A TIDYSWEEP DRIVES DATAFILE2 *";
inline constexpr char kDrivesHeader[] = "* THIS IS A TIDYSWEEP DRIVES DATAFILE *";
inline constexpr char kSystemFilesHeader[] = "* THIS IS A TIDYSWEEP SYSTEMFILES DATAFILE *";
inline constexpr char kResultHeader2[] = "* THIS IS A TIDYSWEEP RESULT DATAFILE2 *";
inline constexpr char kResultHeader[] = "* THIS IS A TIDYSWEEP RESULT DATAFILE *";
inline constexpr char kValuesHeader[] = "* THIS IS A TIDYSWEEP VALUES DATAFILE *";
inline constexpr char kFilesHeader[] = "* THIS IS A TIDYSWEEP FILES DATAFILE *";

// Marker before the no-check list of a selection file.
inline constexpr char kNoCheckMarker[] = "idNocheckFiles";

// Fixed file names in the program's data folder.
inline constexpr char kLastSelectionFile[] = "Last.TSS";
inline constexpr char kOldConfigFile[] = "OldCFG.TSD";
inline constexpr char kNewConfigFile[] = "NewCFG.TSD";
inline constexpr char kOldConfigBackup[] = "OldCFG.BAK";

// Extensions of the three file kinds.
inline constexpr char kSelectionExt[] = "TSS";
inline constexpr char kConfigurationExt[] = "TSD";
inline constexpr char kResultExt[] = "TSL";

// Node states and record statuses. The lower four bits give the code (and the
// state image); flDone is added once a change has been undone. Every value with or
// without the flag is below 128, so its integer item is always two bytes.
enum : int32_t {
  stNeutral = 0,
  stUnchecked = 3,
  stChecked = 4,
  stPartial = 5,
  stAdded = 6,
  stRemoved = 7,
  stMembersChanged = 8,
  rsNew = 9,
  rsDeleted = 10,
  rsOldOfAltered = 11,
  rsNewOfAltered = 12,
  rsSnapshot = 21,
  flDone = 16,
};

inline constexpr int32_t StateCode(int32_t state) { return state & 15; }
inline constexpr bool IsDone(int32_t state) { return (state & flDone) != 0; }
