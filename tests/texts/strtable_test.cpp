#include "texts/strtable.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMap>
#include <QResource>
#include <QString>
#include <QTranslator>
#include <memory>

#include "tests/support/core_app.h"

// Outside any namespace: the macro declares the registration function where it stands.
static void RegisterTexts() {
    Q_INIT_RESOURCE(texts);
}

namespace {

struct LanguageTexts {
    const char *code;
    const char *preparing;  // row 1052
    const char *ready;      // row 497
};

const LanguageTexts kLanguages[] = {
    {"chs", "%1 正在初始化...", "%1 已就绪。"},
    {"cht", "%1 準備中...", "%1 準備完成"},
    {"csy", "%1 se inicializuje...", "%1 je připravena."},
    {"dan", "%1 initialiserer...", "%1 er klar."},
    {"enu", "%1 is initializing...", "%1 is ready."},
    {"fre", "%1 est en cours d'initialisation...", "%1 est prêt."},
    {"ger", "%1 wird initialisiert ...", "%1 ist bereit."},
    {"hun", "A %1 inicializálása folyamatban...", "A %1 készen áll."},
    {"ita", "%1 sta inizializzando...", "%1 pronta."},
    {"jpn", "%1 は初期化中です。", "%1 は準備完了です。"},
    {"krn", "%1 초기화 중...", "%1 사용 준비가 되었습니다."},
    {"nld", "%1 is bezig met initialisatie...", "%1 is gereed."},
    {"nor", "%1 starter opp...", "%1 er klar."},
    {"plk", "Aplikacja %1 jest inicjowana...", "Aplikacja %1 jest gotowa."},
    {"ptb", "O %1 está sendo inicializado...", "O %1 está pronto."},
    {"ptg", "%1 a iniciar...", "%1 pronta."},
    {"rus", "%1 выполняет инициализацию...", "%1 готов."},
    {"spn", "%1 se está inicializando...", "%1 está lista."},
    {"sve", "%1 initialiserar...", "%1 är klar."},
    {"tha", "%1 กำลังเริ่มต้น...", "%1 พร้อมแล้ว"},
    {"trk", "%1 başlıyor...", "%1 hazır."},
};

const QString kAppName = QStringLiteral("Brenthor Loxen Client");

QString ResourcePath(const QString &code) {
    return ":/" + code + ".qm";
}

// A translation that returns a fixed text for every source text.
class FixedTranslator : public QTranslator {
public:
    explicit FixedTranslator(QString text) : text_(std::move(text)) {}
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *, const char *, int) const override {
        return text_;
    }

private:
    QString text_;
};

class StrTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterTexts();
        loxtest::CoreApp();
        StrTable::InitStrTable();
    }
};

TEST_F(StrTableTest, WithoutTranslationTheTextsAreEnglish) {
    EXPECT_EQ(StrTable::LoadStr(203), kAppName);
    EXPECT_EQ(StrTable::LoadStr(497), QStringLiteral("%1 is ready."));
    EXPECT_EQ(StrTable::LoadStr(1052), QStringLiteral("%1 is initializing..."));
}

TEST_F(StrTableTest, EveryLanguageFileTranslatesTheLauncherTexts) {
    for (const LanguageTexts &language : kLanguages) {
        SCOPED_TRACE(language.code);
        QTranslator translator;
        ASSERT_TRUE(translator.load(ResourcePath(language.code)));
        ASSERT_FALSE(translator.isEmpty());
        ASSERT_TRUE(QCoreApplication::installTranslator(&translator));

        EXPECT_EQ(StrTable::LoadStr(1052), QString::fromUtf8(language.preparing));
        EXPECT_EQ(StrTable::LoadStr(497), QString::fromUtf8(language.ready));
        EXPECT_EQ(StrTable::LoadStr(203), kAppName);

        QCoreApplication::removeTranslator(&translator);
    }
}

// The notice of a run without a working client: every language has its own sentence.
TEST_F(StrTableTest, EveryLanguageFileTranslatesTheNoticeTexts) {
    const int kNoticeRows[] = {1051, 1053, 1054, 1055, 1056, 1057, 1058, 1059,
                               1060, 1070, 1071, 1072, 1073, 1074, 1075, 1076};
    QMap<QString, QString> english;
    for (int id : kNoticeRows) english[QString::number(id)] = StrTable::LoadStr(id);
    for (const LanguageTexts &language : kLanguages) {
        if (QLatin1String(language.code) == QLatin1String("enu"))
            continue;
        SCOPED_TRACE(language.code);
        QTranslator translator;
        ASSERT_TRUE(translator.load(ResourcePath(language.code)));
        QCoreApplication::installTranslator(&translator);
        for (int id : kNoticeRows) {
            const QString source = english[QString::number(id)];
            const QString text = StrTable::LoadStr(id);
            EXPECT_FALSE(source.isEmpty()) << id;
            EXPECT_NE(text, source) << id;
            EXPECT_EQ(text.contains("%1"), source.contains("%1")) << id;
        }
        QCoreApplication::removeTranslator(&translator);
    }
}

TEST_F(StrTableTest, GermanLabelReadsAsTheDialogShowsIt) {
    QTranslator translator;
    ASSERT_TRUE(translator.load(ResourcePath("ger")));
    QCoreApplication::installTranslator(&translator);
    EXPECT_EQ(StrTable::LoadStr(1052).arg(StrTable::LoadStr(203), 0, QLatin1Char(' ')),
              QStringLiteral("Brenthor Loxen Client wird initialisiert ..."));
    QCoreApplication::removeTranslator(&translator);
}

TEST_F(StrTableTest, LanguageWithoutFileLoadsNothing) {
    QTranslator translator;
    EXPECT_FALSE(translator.load(ResourcePath("xyz")));
    EXPECT_TRUE(translator.isEmpty());
}

TEST_F(StrTableTest, DoubleByteFilesAreStoredUncompressedAndTheOthersWithZlib) {
    for (const LanguageTexts &language : kLanguages) {
        const QString code = QString::fromLatin1(language.code);
        const QResource resource(ResourcePath(code));
        ASSERT_TRUE(resource.isValid()) << language.code;
        const bool double_byte = code == "chs" || code == "cht" || code == "jpn" || code == "krn";
        EXPECT_EQ(resource.compressionAlgorithm(),
                  double_byte ? QResource::NoCompression : QResource::ZlibCompression)
            << language.code;
    }
}

TEST_F(StrTableTest, EscapesInTheTranslationBecomeLineFeedsAndTabs) {
    FixedTranslator translator(QStringLiteral("a\\nb\\tc \\N\\T \\\\n"));
    QCoreApplication::installTranslator(&translator);
    EXPECT_EQ(StrTable::LoadStr(497), QStringLiteral("a\nb\tc \\N\\T \\\n"));
    QCoreApplication::removeTranslator(&translator);
}

TEST_F(StrTableTest, IdOutsideTheTableOrEmptyRowGivesTheEmptyString) {
    EXPECT_TRUE(StrTable::LoadStr(-1).isEmpty());
    EXPECT_TRUE(StrTable::LoadStr(StrTable::NUM_STRING_IDS).isEmpty());
    EXPECT_TRUE(StrTable::LoadStr(0).isEmpty());
}

TEST_F(StrTableTest, LookupFindsKeysWithoutRegardToCase) {
    EXPECT_EQ(StrTable::LookupStrID("app_name_loxen_client"), 203);
    EXPECT_EQ(StrTable::LookupStrID("APP_NAME_LOXEN_CLIENT"), 203);
    EXPECT_EQ(StrTable::LookupStrID("desc_nmbl_env_preparation_done_loxen"), 497);
    EXPECT_EQ(StrTable::LookupStrID("Desc_Nmbl_Env_Preparing_Loxen"), 1052);
    EXPECT_EQ(StrTable::LookupStrID("no_such_key"), -1);
    EXPECT_EQ(StrTable::LookupStrID("app_name_loxen"), -1);
    EXPECT_EQ(StrTable::LookupStrID(QString()), -1);
}

}  // namespace
