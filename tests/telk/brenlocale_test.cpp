#include "telk/brenlocale.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/child_process.h"

namespace {

struct LocaleCase {
    const char *locale;
    const char *code;
};

const LocaleCase kLocaleCases[] = {
    {"zh_CN", "chs"}, {"zh_SG", "chs"}, {"zh", "chs"},      {"zh_Hans", "chs"}, {"zh_TW", "cht"},
    {"zh_HK", "cht"}, {"zh_MO", "cht"}, {"zh_Hant", "cht"}, {"cs_CZ", "csy"},   {"da_DK", "dan"},
    {"en_US", "enu"}, {"en_GB", "enu"}, {"fr_FR", "fre"},   {"fr_CA", "fre"},   {"de_DE", "ger"},
    {"de_CH", "ger"}, {"hu_HU", "hun"}, {"it_IT", "ita"},   {"ja_JP", "jpn"},   {"ko_KR", "krn"},
    {"nl_NL", "nld"}, {"nl_BE", "nld"}, {"nb_NO", "nor"},   {"nn_NO", "nor"},   {"no", "nor"},
    {"pl_PL", "plk"}, {"pt_BR", "ptb"}, {"pt_PT", "ptg"},   {"pt_AO", "ptg"},   {"ru_RU", "rus"},
    {"es_ES", "spn"}, {"es_MX", "spn"}, {"sv_SE", "sve"},   {"th_TH", "tha"},   {"tr_TR", "trk"},
    {"fi_FI", "enu"}, {"uk_UA", "enu"}, {"ar_EG", "enu"},   {"C", "enu"},       {"", "enu"},
};

TEST(BrenLocaleTest, MapsEachLocaleToItsTranslationCode) {
    for (const LocaleCase &c : kLocaleCases) {
        EXPECT_EQ(BrenLocale::languageCodeFor(QLocale(QString::fromLatin1(c.locale))),
                  QString::fromLatin1(c.code))
            << "locale '" << c.locale << "'";
    }
}

// The process's locale comes from the environment, which Qt reads once per process.
std::string LanguageOfProcessWith(const loxtest::ChildProcess::Environment &locale_env) {
    loxtest::ChildProcess::Environment env{{"LANGUAGE", std::nullopt},
                                           {"LC_ALL", std::nullopt},
                                           {"LC_MESSAGES", std::nullopt},
                                           {"LC_NUMERIC", std::nullopt},
                                           {"LANG", std::nullopt}};
    for (const auto &[name, value] : locale_env) env[name] = value;
    loxtest::ChildProcess probe(INSTANCE_PROBE, {"language"}, env);
    const std::string code = probe.ReadLine();
    EXPECT_EQ(probe.Wait(), 0);
    return code;
}

TEST(BrenLocaleTest, DefaultLanguageFollowsTheMessageLocaleOfTheEnvironment) {
    EXPECT_EQ(LanguageOfProcessWith({{"LANG", "de_DE.UTF-8"}}), "ger");
    EXPECT_EQ(LanguageOfProcessWith({{"LANG", "zh_TW.UTF-8"}}), "cht");
    EXPECT_EQ(LanguageOfProcessWith({{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "sv_SE.UTF-8"}}),
              "sve");
    EXPECT_EQ(LanguageOfProcessWith({{"LC_MESSAGES", "sv_SE.UTF-8"}, {"LC_ALL", "pt_BR.UTF-8"}}),
              "ptb");
    EXPECT_EQ(LanguageOfProcessWith({{"LANG", "fr_FR.UTF-8"}, {"LANGUAGE", "ja_JP:fr_FR"}}), "jpn");
    EXPECT_EQ(LanguageOfProcessWith({{"LANGUAGE", "xx:fr:de"}}), "fre")
        << "first with a translation";
    // Number formats are not the language of the texts.
    EXPECT_EQ(LanguageOfProcessWith({{"LANG", "en_US.UTF-8"}, {"LC_NUMERIC", "de_DE.UTF-8"}}),
              "enu");
    EXPECT_EQ(LanguageOfProcessWith({}), "enu");
}

}  // namespace
