#include "telk/brenlocale.h"

#include <QStringList>

namespace {

QString ChineseCode(const QLocale &locale)
{
    const bool traditional = locale.script() == QLocale::TraditionalChineseScript ||
                             locale.country() == QLocale::Taiwan || locale.country() == QLocale::HongKong;
    return traditional ? QStringLiteral("cht") : QStringLiteral("chs");
}

QString PortugueseCode(const QLocale &locale)
{
    return locale.country() == QLocale::Brazil ? QStringLiteral("ptb") : QStringLiteral("ptg");
}

}  // namespace

BrenLocale *BrenLocale::getInstance()
{
    static BrenLocale instance;
    return &instance;
}

QString BrenLocale::getDefaultLanguage() const
{
    // uiLanguages() follows the message locale; QLocale::system() alone follows LC_NUMERIC.
    const QStringList languages = QLocale::system().uiLanguages();
    return languageCodeFor(languages.isEmpty() ? QLocale::system() : QLocale(languages.first()));
}

QString BrenLocale::languageCodeFor(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Chinese: return ChineseCode(locale);
    case QLocale::Portuguese: return PortugueseCode(locale);
    case QLocale::Czech: return QStringLiteral("csy");
    case QLocale::Danish: return QStringLiteral("dan");
    case QLocale::French: return QStringLiteral("fre");
    case QLocale::German: return QStringLiteral("ger");
    case QLocale::Hungarian: return QStringLiteral("hun");
    case QLocale::Italian: return QStringLiteral("ita");
    case QLocale::Japanese: return QStringLiteral("jpn");
    case QLocale::Korean: return QStringLiteral("krn");
    case QLocale::Dutch: return QStringLiteral("nld");
    case QLocale::NorwegianBokmal:
    case QLocale::NorwegianNynorsk: return QStringLiteral("nor");
    case QLocale::Polish: return QStringLiteral("plk");
    case QLocale::Russian: return QStringLiteral("rus");
    case QLocale::Spanish: return QStringLiteral("spn");
    case QLocale::Swedish: return QStringLiteral("sve");
    case QLocale::Thai: return QStringLiteral("tha");
    case QLocale::Turkish: return QStringLiteral("trk");
    default: return QStringLiteral("enu");
    }
}
