// The walk of one registry key into its key record, shared by the one-thread walk and
// the threads of the registry pool (registry_pool.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/data_stream.h"
#include "snapshot/snapshot_report.h"

struct Piece;

// How a walk gives work to threads that have none. A walk without one walks alone.
class WalkHelp {
 public:
  virtual ~WalkHelp() = default;
  // True when a thread waits for work (an atomic read: asked once per subkey).
  virtual bool Wanted() const = 0;
  // Hands names (subkeys of key at path; depth is the key's depth, offset the index of
  // names[0] among its subkeys) to a waiting thread. Their records go right behind the
  // piece this walk writes now. With continuation the walk gets a piece of its own
  // placed behind them, where it goes on after its part of the key.
  virtual Piece* HandOver(HKEY key, const std::string& path, int depth, size_t offset,
                          std::vector<std::wstring> names, bool continuation) = 0;
  // The walk goes on writing into piece (a continuation it got before).
  virtual void GoOn(Piece* piece) = 0;
};

// Every registry call here is a round trip to the registry server under Wine, so the
// walk makes only the calls it needs: one information query per key, enumerations
// bounded by its counts, values read with their data in the same call that names them.
class RegistryWalk {
 public:
  RegistryWalk(DataWriter& w, bool showErrors, SnapshotReport& report, WalkHelp* help = nullptr)
      : w_(w), show_errors_(showErrors), report_(report), help_(help) {}

  // The key record of key (subkeys recursively, then values).
  void Key(HKEY key, const std::string& path);
  // Name and key record of each of names, subkeys of key (at depth; names[0] is subkey
  // number offset): the part of a key that another walk handed over.
  void Subkeys(HKEY key, const std::string& path, int depth, std::vector<std::wstring>& names, size_t offset);

 private:
  // A key whose subkeys are being written; the later ones may still be handed over.
  struct Level {
    HKEY key;
    const std::string* path;
    int depth;
    std::vector<std::wstring>* names;
    size_t offset, next, end;
    Piece* continuation;
    bool wantsContinuation;
  };

  std::vector<std::wstring> SubkeyNames(HKEY key, const std::string& path, DWORD count, DWORD longest);
  Piece* WriteSubkeys(HKEY key, const std::string& path, std::vector<std::wstring>& names, size_t offset,
                      bool wantsContinuation);
  void WriteSubkey(HKEY key, const std::string& path, const std::wstring& name);
  void ShareWork();
  void Values(HKEY key, const std::string& path, DWORD count, DWORD longestName, DWORD longestData);
  struct ValueEntry;
  void WriteValueData(const ValueEntry& e, const std::string& path, const std::string& name);

  DataWriter& w_;
  bool show_errors_;
  SnapshotReport& report_;
  WalkHelp* help_;
  int depth_ = 0;
  std::vector<Level> levels_;
  std::vector<uint8_t> data_;  // one growing buffer for all value data
};
