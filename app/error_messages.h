#pragma once

#include "runtime/errors.h"

#include <string>

namespace zelmora {

// The Italian sentence that tells the user what went wrong: it names the
// problem, the file involved and, where the system said why, the reason.
std::string ErrorMessage(const RuntimeError& error);

} // namespace zelmora
