#pragma once

#include <QString>

#include <string>
#include <string_view>

// The one place where the core's UTF-16 text and Qt's QString meet; both are UTF-16, so nothing is recoded.
namespace tapeloft {

// Never fails: the code units are copied as they are, unpaired surrogates included.
inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Never fails; a null QString gives an empty text.
inline std::u16string fromQString(const QString& text) {
    return text.toStdU16String();
}

} // namespace tapeloft
