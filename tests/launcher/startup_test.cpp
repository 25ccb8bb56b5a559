// Start-up functions of the launcher's main module, called in process.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <cstdlib>

#include "tests/launcher/fake_service.h"
#include "tests/support/fake_install.h"

// The start-up functions have internal linkage; the module is compiled into this test.
#define main launcher_main
#include "launcher/main.cpp"
#undef main

namespace loxtest {
namespace {

class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : name_(name) {
        const char *old = std::getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char *name_;
    bool had_ = false;
    std::string old_;
};

QString Path(const char *key) {
    return UIPathManager::getInstance()->getPath(key);
}

// The toolkit reads the user's locale once per process; a test that needs another language
// can only run as the first to ask (ctest runs every test in a process of its own).
bool LocaleIs(const char *code) {
    return BrenLocale::getInstance()->getDefaultLanguage() == code;
}

TEST(StartupTest, RegistryHoldsTheNineKeysCleaned) {
    TestApplication();
    ScopedEnv home("HOME", "/tmp//someone/../ann/");
    initializeLoxenPaths();

    EXPECT_EQ(Path("user_brenthor_loxen_path"), "/tmp/ann/.BrenthorLoxen");
    EXPECT_EQ(Path("user_brenthor_loxen_app_path"), "/tmp/ann/.BrenthorLoxen/BrenthorLoxen.app");
    EXPECT_EQ(Path("user_brenthor_loxen_resource_path"), Path("user_brenthor_loxen_app_path"));
    EXPECT_EQ(Path("user_brenthor_loxen_data_path"), "/tmp/ann/.BrenthorLoxen/data");
    EXPECT_EQ(Path("user_brenthor_loxen_working_dir_path"),
              "/tmp/ann/.BrenthorLoxen/BrenthorLoxen.app/bin");
    EXPECT_EQ(Path("user_brenthor_loxen_ui_path"),
              "/tmp/ann/.BrenthorLoxen/BrenthorLoxen.app/bin/cloud-loxen-ui");
    EXPECT_EQ(Path("user_nimbrel_path"), "/tmp/ann/.Nimbrel");
    EXPECT_EQ(Path("user_nimbrel_resource_path"), "/tmp/ann/.Nimbrel/Nimbrel.app");
    EXPECT_EQ(Path("root_resource_path"),
              QDir::cleanPath(QCoreApplication::applicationDirPath() + "/.."));
    EXPECT_EQ(Path("user_nimbrel_app_path"), "") << "start-up never sets this key";
}

TEST(StartupTest, RootAsHomeGivesNoDoubledSeparator) {
    TestApplication();
    ScopedEnv home("HOME", "/");
    initializeLoxenPaths();
    EXPECT_EQ(Path("user_brenthor_loxen_path"), "/.BrenthorLoxen");
    EXPECT_EQ(Path("user_nimbrel_path"), "/.Nimbrel");
}

// Without a usable HOME the home comes from the user database, never / or the working folder,
// and the log says which; a usable HOME is kept as given.
TEST(StartupTest, HomeWithoutAnAbsolutePathIsTakenFromTheUserDatabase) {
    const passwd *user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const std::string database = user->pw_dir;
    struct Row {
        const char *given;  // nullptr: not set
        std::string home, said;
    } rows[] = {{nullptr, database, "HOME is not set: using the home '" + database},
                {"", database, "HOME is empty: using"},
                {"ann", database, "HOME 'ann' is not an absolute path: using"},
                {"/tmp/ann", "/tmp/ann", ""}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.given != nullptr ? row.given : "(not set)");
        ScopedEnv home("HOME", row.given != nullptr ? row.given : "");
        if (row.given == nullptr)
            ::unsetenv("HOME");
        const std::string said = SettleHomeVariable();
        EXPECT_EQ(said.substr(0, row.said.size()), row.said);
        EXPECT_EQ(row.said.empty(), said.empty());
        EXPECT_STREQ(std::getenv("HOME"), row.home.c_str());
    }
}

// Whatever path, link or bare name started the program, the plug-ins lie beside the executable
// itself, where root_resource_path points; a tree without them (the Debian package's) uses the
// system's.
TEST(StartupTest, PluginFolderFollowsTheExecutableAndReplacesTheDefaults) {
    TestApplication();
    const QStringList saved = QCoreApplication::libraryPaths();
    const QString own = QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../lib/plugins");
    for (const bool tree_has_plugins : {true, false}) {
        if (tree_has_plugins)
            ASSERT_TRUE(QDir().mkpath(own));
        else
            ASSERT_TRUE(QDir(own).removeRecursively());
        const QString plugins =
            tree_has_plugins ? own : QLibraryInfo::location(QLibraryInfo::PluginsPath);
        for (const char *program : {"/opt/Brenthor/BrenthorLoxen/bin/loxen-launcher",
                                    "./bin/loxen-launcher", "loxen-launcher"}) {
            testing::internal::CaptureStdout();
            initialize_resources(program);
            const std::string printed = testing::internal::GetCapturedStdout();
            EXPECT_EQ(printed, "lib path = '" + plugins.toStdString() + "'\n") << program;
            EXPECT_EQ(QCoreApplication::libraryPaths(), QStringList{plugins});
        }
    }
    QCoreApplication::setLibraryPaths(saved);
}

TEST(StartupTest, GermanLocaleGivesGermanLabelAndArial) {
    QApplication &app = TestApplication();
    FakeInstall fake;
    ScopedEnv language("LANGUAGE", "de");
    ScopedEnv all("LC_ALL", "de_DE.UTF-8");
    if (!LocaleIs("ger"))
        GTEST_SKIP() << "this process fixed its locale earlier; run the test alone";
    initializeLanguage(app);

    auto record = std::make_shared<ServiceRecord>();
    Launcher launcher(new FakeService(record, fake.nimbrel_path()));
    QProgressDialog *dialog = launcher.Dialog();

    EXPECT_EQ(dialog->labelText(), "Brenthor Loxen Client wird initialisiert ...");
    EXPECT_EQ(dialog->windowTitle(), "Brenthor Loxen Client");
    EXPECT_EQ(QApplication::font().family(), "Arial");
    EXPECT_EQ(QApplication::font().pointSize(), 9);
    EXPECT_EQ(dialog->font().family(), "Arial");
}

TEST(StartupTest, ThaiSelectsItsOwnFontFamily) {
    QApplication &app = TestApplication();
    ScopedEnv language("LANGUAGE", "th");
    ScopedEnv all("LC_ALL", "th_TH.UTF-8");
    if (!LocaleIs("tha"))
        GTEST_SKIP() << "this process fixed its locale earlier; run the test alone";
    initializeLanguage(app);
    EXPECT_EQ(QApplication::font().family(), "Microsoft Sans Serif");
    EXPECT_EQ(QApplication::font().pointSize(), 9);
    EXPECT_FALSE(QApplication::font().italic());
}

}  // namespace
}  // namespace loxtest
