// What the error dialog says about an exception: its category line (tested in the
// dialog's order of precedence, later rows replacing earlier ones, some rows
// appending their text) and the class name for the details.
#pragma once

#include <exception>
#include <string>

std::string ErrorCategory(const std::exception& e);
// The exception's class name without namespaces ("EReadError", "bad_alloc").
std::string ExceptionClassName(const std::exception& e);

// The two aborts the handler treats specially: the silent one is never shown, the
// user's cancel only as "Vorgang abgebrochen !".
bool IsSilentAbort(const std::exception& e);
bool IsUserAbort(const std::exception& e);
