#include "settings_writer.h"

#include "color_settings.h"
#include "desktop_services.h"
#include "module1.h"
#include "runtime/errors.h"

#include <QSaveFile>

namespace zelmora {

void SaveColorSettings(const std::filesystem::path& directory, std::int32_t foreColor,
                       std::int32_t backColor) {
    QSaveFile file(ToQString(directory / Module1::kSettingsFileName));
    const std::string bytes = FormatColorSettings(foreColor, backColor);
    const auto fail = [&file] {
        throw RuntimeError(kPathFileAccess, Module1::kSettingsFileName,
                           file.errorString().toStdString());
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
        fail();
    if (!file.commit())
        fail();
}

} // namespace zelmora
