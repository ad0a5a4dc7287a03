#pragma once

// Where the program's text becomes Qt text. Files are the runtime's
// business: their names reach Qt only where a program is started on them.

#include <QString>
#include <string>

namespace zelmora {

// Text in UTF-8 as Qt text; any bytes are accepted.
QString ToQString(const std::string& utf8);

} // namespace zelmora
