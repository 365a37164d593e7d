#include "core/error_category.h"

#include <cxxabi.h>

#include <cstdlib>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

#include "core/exceptions.h"
#include "core/translate.h"

namespace {

template <typename T>
bool Is(const std::exception& e) {
  return dynamic_cast<const T*>(&e) != nullptr;
}

}  // namespace

std::string ErrorCategory(const std::exception& e) {
  std::string line = tr("Allgemeiner Programmfehler");
  auto set = [&](bool match, const char* text) { if (match) line = tr(text); };
  auto append = [&](bool match, const char* text) { if (match) line += tr(text); };

  set(Is<EAbort>(e), "Allgemeiner Programmabbruch");
  set(Is<std::bad_alloc>(e), "Zuwenig Speicher");
  set(Is<std::ios_base::failure>(e), "Ein-Ausgabe-Fehler");
  // Integer errors: the library's range and overflow errors.
  const bool range = Is<std::out_of_range>(e) || Is<std::length_error>(e);
  const bool overflow = Is<std::overflow_error>(e) || Is<std::underflow_error>(e);
  set(range || overflow, "Fehler beim Berechnen eines Ganzzahlwertes");
  append(range, "\r\nDer Bereich wurde überschritten");
  append(overflow, "\r\nÜberlauf bei ganzzahliger Operation");
  set(Is<std::bad_cast>(e), "Ungültige Typumwandlung");
  set(Is<EConvertError>(e) || Is<std::invalid_argument>(e), "Fehler bei der Typumwandlung einer Variable");
  set(Is<platform::EStreamError>(e), "Stream-Fehler: ");
  append(Is<platform::EFCreateError>(e), "Ein Fehler beim Erstellen einer Datei");
  append(Is<platform::EFOpenError>(e), "Ein Fehler tritt beim Öffnen einer Datei auf");
  append(Is<EFilerError>(e), "Fehler beim Lesen-Schreiben von Klasseninformationen");
  append(Is<EReadError>(e), "\r\nDie Methode ReadBuffer kann die angegebene Byte-Zahl nicht lesen");
  append(Is<EWriteError>(e), "\r\nDie Methode WriteBuffer kann die angegebene Byte-Zahl nicht schreiben");
  set(Is<std::system_error>(e), "Fehler in einem Thread");
  set(Is<EMyRegistryException>(e), "Fehler beim Umgang mit der Windows-Registrierdatenbank (Registry)");
  return line;
}

std::string ExceptionClassName(const std::exception& e) {
  const char* mangled = typeid(e).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = (status == 0 && demangled) ? demangled : mangled;
  std::free(demangled);
  const size_t colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

bool IsSilentAbort(const std::exception& e) { return Is<EAbort>(e); }
bool IsUserAbort(const std::exception& e) { return Is<EMyAbort>(e); }
