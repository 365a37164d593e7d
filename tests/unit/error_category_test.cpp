// The error dialog's category lines for the program's exception classes.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "core/error_category.h"
#include "core/exceptions.h"
#include "platform/stream.h"

TEST(ErrorCategory, ClassesMapOntoTheLinesInOrderOfPrecedenceAndAbortsAreTold) {
  EXPECT_EQ(ErrorCategory(std::runtime_error("x")), "Allgemeiner Programmfehler");
  EXPECT_EQ(ErrorCategory(std::bad_alloc()), "Zuwenig Speicher");
  EXPECT_EQ(ErrorCategory(EMyRegistryException("x")),
            "Fehler beim Umgang mit der Windows-Registrierdatenbank (Registry)");
  EXPECT_EQ(ErrorCategory(EConvertError("x")), "Fehler bei der Typumwandlung einer Variable");
  EXPECT_EQ(ErrorCategory(platform::EFOpenError("x")),
            "Stream-Fehler: Ein Fehler tritt beim Öffnen einer Datei auf");
  EXPECT_EQ(ErrorCategory(platform::EFCreateError("x")), "Stream-Fehler: Ein Fehler beim Erstellen einer Datei");
  EXPECT_EQ(ErrorCategory(EReadError("x")),
            "Stream-Fehler: Fehler beim Lesen-Schreiben von Klasseninformationen\r\nDie Methode ReadBuffer "
            "kann die angegebene Byte-Zahl nicht lesen");
  EXPECT_EQ(ErrorCategory(std::out_of_range("x")),
            "Fehler beim Berechnen eines Ganzzahlwertes\r\nDer Bereich wurde überschritten");
  EXPECT_EQ(ErrorCategory(EAbort()), "Allgemeiner Programmabbruch");
  EMyAbort abort;
  EXPECT_STREQ(abort.what(), "Vorgang abgebrochen !");
  EXPECT_TRUE(IsUserAbort(abort));
  EXPECT_FALSE(IsSilentAbort(abort));
  EXPECT_TRUE(IsSilentAbort(EAbort()));
  EXPECT_EQ(ExceptionClassName(platform::EFOpenError("x")), "EFOpenError");
  EXPECT_EQ(ExceptionClassName(abort), "EMyAbort");
}
