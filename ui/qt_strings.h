#pragma once

// Where the program's text becomes Qt text. File names never pass through
// Qt: files are the runtime's business.

#include <QString>
#include <string>

namespace zelmora {

// Text in UTF-8 as Qt text; any bytes are accepted.
QString ToQString(const std::string& utf8);

} // namespace zelmora
