#include "core/exceptions.h"

#include "core/translate.h"

EMyAbort::EMyAbort() : EQuitawayError(tr("Vorgang abgebrochen !")) {}
