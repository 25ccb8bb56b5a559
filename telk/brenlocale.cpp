#include "telk/brenlocale.h"

#include <QStringList>

namespace {

struct LanguageCode {
    QLocale::Language language;
    const char *code;
};

// Languages whose code does not depend on the country.
const LanguageCode kLanguageCodes[] = {
    {QLocale::Czech, "csy"},
    {QLocale::Danish, "dan"},
    {QLocale::English, "enu"},
    {QLocale::French, "fre"},
    {QLocale::German, "ger"},
    {QLocale::Hungarian, "hun"},
    {QLocale::Italian, "ita"},
    {QLocale::Japanese, "jpn"},
    {QLocale::Korean, "krn"},
    {QLocale::Dutch, "nld"},
    {QLocale::NorwegianBokmal, "nor"},
    {QLocale::NorwegianNynorsk, "nor"},
    {QLocale::Polish, "plk"},
    {QLocale::Russian, "rus"},
    {QLocale::Spanish, "spn"},
    {QLocale::Swedish, "sve"},
    {QLocale::Thai, "tha"},
    {QLocale::Turkish, "trk"},
};

QString ChineseCode(const QLocale &locale) {
    const bool traditional = locale.script() == QLocale::TraditionalChineseScript ||
                             locale.country() == QLocale::Taiwan ||
                             locale.country() == QLocale::HongKong;
    return traditional ? QStringLiteral("cht") : QStringLiteral("chs");
}

QString PortugueseCode(const QLocale &locale) {
    return locale.country() == QLocale::Brazil ? QStringLiteral("ptb") : QStringLiteral("ptg");
}

}  // namespace

BrenLocale *BrenLocale::getInstance() {
    static BrenLocale instance;
    return &instance;
}

QString BrenLocale::getDefaultLanguage() const {
    // uiLanguages() follows the message locale (LANGUAGE's list first); QLocale::system()
    // alone follows LC_NUMERIC. The first language with a translation wins.
    for (const QString &language : QLocale::system().uiLanguages()) {
        const QString code = TranslatedCodeFor(QLocale(language));
        if (!code.isEmpty())
            return code;
    }
    return languageCodeFor(QLocale::system());
}

QString BrenLocale::languageCodeFor(const QLocale &locale) {
    const QString code = TranslatedCodeFor(locale);
    return code.isEmpty() ? QStringLiteral("enu") : code;
}

QString BrenLocale::TranslatedCodeFor(const QLocale &locale) {
    switch (locale.language()) {
        case QLocale::Chinese:
            return ChineseCode(locale);
        case QLocale::Portuguese:
            return PortugueseCode(locale);
        default:
            break;
    }
    for (const LanguageCode &entry : kLanguageCodes) {
        if (entry.language == locale.language())
            return QString::fromLatin1(entry.code);
    }
    return QString();
}
