#include "gui/QtFileOperations.h"

#include "base/TextCodec.h"
#include "gui/QtText.h"

#include <QFile>

namespace tapeloft {

bool QtFileOperations::moveToTrash(const std::filesystem::path& file) {
    QFile trashed(toQString(textFromPath(file)));
    if (trashed.moveToTrash()) {
        setLastError(std::u16string());
        return true;
    }
    setLastError(trashed.errorString().toStdU16String());
    return false;
}

} // namespace tapeloft
