#pragma once

#include "runtime/errors.h"

#include <string>

namespace zelmora {

// The Italian sentence that tells the user what went wrong: it names the
// problem, the file involved by its whole path and, where the system said
// why, the reason.
std::string ErrorMessage(const RuntimeError& error);

// What the user reads when the colours could not be saved: which file, why,
// and that the colours did not change.
std::string SaveFailureMessage(const RuntimeError& error);

// The reason of a failure in a few Italian words ("permesso negato",
// "spazio esaurito", ...), or the system's own text for the rare rest;
// empty when there is none.
std::string CauseText(const RuntimeError& error);

// What the user reads when no text editor could open `file` (a path as the
// system spells it).
std::string NoEditorMessage(const std::string& file);

// A failure that is none of the program's own errors (it should not happen):
// reported all the same, so that no command ends in silence.
std::string UnexpectedErrorMessage(const std::string& what);

} // namespace zelmora
