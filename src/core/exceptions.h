// The program's exception classes. Every failure is an exception whose message is
// the German text the user sees (UTF-8). The error dialog maps the classes onto its
// categories in this order of precedence, later and more special rows winning:
//
//   std::exception (any)                 general program error
//   EAbort                               silent abort: never shown
//   std::bad_alloc                       out of memory
//   platform::EStreamError               stream error
//     platform::EFCreateError (appended) creating a file
//     platform::EFOpenError (appended)   opening a file
//     EFilerError (appended)             reading or writing structured data
//       EReadError (appended)            data file cannot be read
//       EWriteError (appended)           data cannot be written
//   EConvertError                        conversion of a value
//   EMyRegistryException                 registry
//
// EMyAbort is no error: the handler shows only "Vorgang abgebrochen !".
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/stream.h"

// Base of the program's own errors.
class EQuitawayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The silent abort: leaves a command without any message (after it showed its own).
class EAbort : public std::exception {
 public:
  const char* what() const noexcept override { return "Operation aborted"; }
};

// The user cancelled a command; shown as a plain information box.
class EMyAbort : public EQuitawayError {
 public:
  EMyAbort();
};

// Every failure of the registry access layer.
class EMyRegistryException : public EQuitawayError {
 public:
  using EQuitawayError::EQuitawayError;
};

// A value that cannot be converted (text to number and the like).
class EConvertError : public EQuitawayError {
 public:
  using EQuitawayError::EQuitawayError;
};

// Structured data (the data files) cannot be read or written.
class EFilerError : public platform::EStreamError {
 public:
  using platform::EStreamError::EStreamError;
};

// A data file or embedded block that cannot be read: wrong tag, truncated, lengths
// or counts beyond the end.
class EReadError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

class EWriteError : public EFilerError {
 public:
  using EFilerError::EFilerError;
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
