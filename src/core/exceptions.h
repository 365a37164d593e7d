// The program's exception classes. Every failure is an exception whose message is
// the German text the user sees (UTF-8); the error dialog maps the classes onto
// its categories.
#pragma once

#include <stdexcept>
#include <string>

// Base of the program's own errors.
class EQuitawayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A data file (selection, configuration, result) or an embedded block that cannot
// be read: wrong tag, truncated, lengths or counts beyond the end.
class EReadError : public EQuitawayError {
 public:
  using EQuitawayError::EQuitawayError;
};

// A data file that is readable but not the kind or version expected (headers).
class EDataFileError : public EQuitawayError {
 public:
  using EQuitawayError::EQuitawayError;
};

// A caller broke a rule of an interface (both a file name and an open stream given).
class EUsageError : public EQuitawayError {
 public:
  using EQuitawayError::EQuitawayError;
};
