#pragma once

#include <QTranslator>

#include <string_view>

namespace tapeloft {

class Language;

// The language group and key where a language file names its locale ("ru", "en", ...).
inline constexpr std::u16string_view kLanguageGroup = u"language";
inline constexpr std::u16string_view kLocaleKey = u"locale";

// Loads Qt's own translations (its dialogs and standard buttons) for the locale the language file names
// into the translator and installs it. False, and Qt's English kept, when the file names no locale, the
// locale is English, or Qt has no translation for it.
bool installQtTranslation(QTranslator& translator, const Language& language);

} // namespace tapeloft
