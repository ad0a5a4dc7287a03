#include "ui/qt_strings.h"

namespace zelmora {

QString ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace zelmora
