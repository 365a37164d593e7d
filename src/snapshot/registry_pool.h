// The registry walk on several threads. Every registry call is a round trip to the
// registry server under Wine, and the round trips of two threads overlap; on Windows the
// registry scales across cores. The output is byte for byte what one thread writes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/data_stream.h"
#include "snapshot/snapshot_report.h"

// A root of the section: the name written before its key record, and its key (null: not
// a root key of this system, stored empty).
struct RegistryRoot {
  std::string name;
  HKEY key;
};

// Writes name and key record of each root, in the given order, on threads threads (at
// least 2; the calling thread is one of them). The roots are walked side by side; a
// thread without work takes over the later half of the subkeys not yet begun of the
// outermost key another thread is in, so one large root is shared out as well. Each
// thread writes pieces of its own, joined in order at the end.
//
// Progress shows the first root in order that is not done, with the highest subkey of
// its first level begun so far. Messages are shown in the order the one-thread walk
// shows them: a piece's messages wait until every piece before it is complete.
// Returns how often a thread took over subkeys from another.
size_t WriteRegistryRootsOnPool(DataWriter& writer, const std::vector<RegistryRoot>& roots,
                                bool showRegistryErrors, SnapshotReport& report, unsigned threads);
