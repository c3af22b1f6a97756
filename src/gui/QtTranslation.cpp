#include "gui/QtTranslation.h"

#include "base/Language.h"
#include "gui/QtText.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace tapeloft {

bool installQtTranslation(QTranslator& translator, const Language& language) {
    const QString locale = toQString(language.lookup(kLanguageGroup, kLocaleKey, u"")).trimmed();
    // Qt speaks English by itself; a file without the key keeps the program as it always was.
    if (locale.isEmpty() || QLocale(locale).language() == QLocale::English) return false;
    if (!translator.load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

} // namespace tapeloft
