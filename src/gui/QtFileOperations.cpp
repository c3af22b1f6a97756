#include "gui/QtFileOperations.h"

#include "base/TextCodec.h"
#include "gui/QtText.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace tapeloft {

bool QtFileOperations::moveToTrash(const std::filesystem::path& file) {
    // The freedesktop trash lives below the data folder, and when that folder does not exist Qt puts the
    // trash's folders into the current one: beside Settings.ini. (Windows has the folder; making it is a
    // no-op there.)
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QFile trashed(toQString(textFromPath(file)));
    if (trashed.moveToTrash()) {
        setLastError(std::u16string());
        return true;
    }
    setLastError(trashed.errorString().toStdU16String());
    return false;
}

} // namespace tapeloft
