// The merge of two counted name sequences stored in the same order: the step every
// level of the comparison is made of. A cursor rather than a loop with callbacks, so
// that nested levels can be kept on a stack of their own instead of the call stack.
#pragma once

#include <cstdint>
#include <string>

#include "model/data_stream.h"

class NameMerge {
 public:
  enum Step { kBoth, kNewOnly, kOldOnly, kDone };

  // Reads both counts and the first name of each side. errorPrefix starts the message
  // of a name that cannot be read ("ERROR in ReadNextStr:" or "FEHLER in ReadNextStr:").
  NameMerge(DataReader& oldReader, DataReader& newReader, const char* errorPrefix);

  Step Current() const { return step_; }
  // The new side's name when it stands on both sides (its letter case enters paths
  // and records) or only there; the old side's otherwise.
  const std::string& Name() const { return step_ == kOldOnly ? old_name_ : new_name_; }

  // Reads the next name on the side(s) of the current step. The caller has read the
  // entry's own data first, so both streams stay in step.
  void Advance();

  int32_t NewCount() const { return new_count_; }
  int32_t OldIndex() const { return old_index_; }
  int32_t NewIndex() const { return new_index_; }

 private:
  void ReadOld();
  void ReadNew();
  void Decide();

  DataReader* old_;
  DataReader* new_;
  const char* error_prefix_;
  int32_t old_count_ = 0, new_count_ = 0;
  int32_t old_index_ = 0, new_index_ = 0;
  std::string old_name_, new_name_;
  bool old_end_ = false, new_end_ = false;
  Step step_ = kDone;
};
