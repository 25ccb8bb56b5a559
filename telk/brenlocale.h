#pragma once

#include <QLocale>
#include <QString>

// The user's language as the three-letter code that names a translation file ("enu", "ger", ...).
class BrenLocale {
public:
    static BrenLocale *getInstance();

    // From the message locale the desktop gives the process (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
    QString getDefaultLanguage() const;

    // The code for one locale; "enu" for any language without a translation file.
    static QString languageCodeFor(const QLocale &locale);

    BrenLocale(const BrenLocale &) = delete;
    BrenLocale &operator=(const BrenLocale &) = delete;

private:
    BrenLocale() = default;
    // The code of a language with a translation file; empty for any other.
    static QString TranslatedCodeFor(const QLocale &locale);
};
