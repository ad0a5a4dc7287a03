#include "ui/settings_writer.h"

#include "app/color_settings.h"
#include "app/module1.h"
#include "runtime/errors.h"
#include "runtime/platform.h"
#include "ui/qt_strings.h"

#include <QSaveFile>
#include <cerrno>

namespace zelmora {

void SaveColorSettings(const std::filesystem::path& directory, std::int32_t foreColor,
                       std::int32_t backColor) {
    const std::filesystem::path path = directory / Module1::kSettingsFileName;
    const std::optional<QString> name = QtFileName(path);
    if (!name)
        throw RuntimeError(kPathFileAccess, platform::pathText(path), Cause::Other,
                           "il nome della cartella non è scritto in UTF-8");
    QSaveFile file(*name);
    const std::string bytes = FormatColorSettings(foreColor, backColor);
    // Qt keeps the reason only as English text; the system's error code, read
    // right after the failing call, says it in the program's own words.
    const auto fail = [&](int error) {
        file.cancelWriting();
        if (error != 0)
            throw platform::fileError(kPathFileAccess, platform::pathText(path), error);
        throw RuntimeError(kPathFileAccess, platform::pathText(path), Cause::Other,
                           file.errorString().toStdString());
    };
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        fail(errno);
    // write() may only fill Qt's buffer, and commit() does not notice when
    // the flush of that buffer fails (a full disk): it would then put an
    // empty file in place of the user's. So the bytes are pushed to the disk
    // and checked before the commit.
    errno = 0;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
        fail(errno);
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError)
        fail(errno);
    errno = 0;
    if (!file.commit())
        fail(errno);
}

} // namespace zelmora
