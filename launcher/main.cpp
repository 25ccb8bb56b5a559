#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QStringList>
#include <QTranslator>
#include <clocale>
#include <cstdio>

#include "common/log.h"
#include "launcher/launcher.h"
#include "launcher/run-log.h"
#include "service/cloud-service.h"
#include "telk/brenlocale.h"
#include "telk/instance-channel.h"
#include "telk/qtsingleapplication.h"
#include "telk/uipathmanager.h"
#include "texts/strtable.h"

// Outside any namespace: the macro declares the registration function of the resource tree.
static void RegisterTexts() {
    Q_INIT_RESOURCE(texts);
}

namespace {

struct RegistryRow {
    const char *key;
    const char *suffix;
    bool under_home;  // else under the launcher's own directory
};

const RegistryRow kRegistry[] = {
    {"user_brenthor_loxen_path", "/.BrenthorLoxen", true},
    {"user_brenthor_loxen_app_path", "/.BrenthorLoxen/BrenthorLoxen.app", true},
    {"user_brenthor_loxen_resource_path", "/.BrenthorLoxen/BrenthorLoxen.app", true},
    {"user_brenthor_loxen_data_path", "/.BrenthorLoxen/data", true},
    {"user_brenthor_loxen_working_dir_path", "/.BrenthorLoxen/BrenthorLoxen.app/bin", true},
    {"user_brenthor_loxen_ui_path", "/.BrenthorLoxen/BrenthorLoxen.app/bin/cloud-loxen-ui", true},
    {"user_nimbrel_path", "/.Nimbrel", true},
    {"user_nimbrel_resource_path", "/.Nimbrel/Nimbrel.app", true},
    {"root_resource_path", "/..", false},
};

QByteArray RegistryValue(const char *key) {
    return UIPathManager::getInstance()->getPath(key).toUtf8();
}

void initialize_resources(const char *program_path) {
    std::setlocale(LC_ALL, "");
    RegisterTexts();
    const QString plugin_dir =
        QDir::cleanPath(QString::fromLocal8Bit(program_path) + "/../../lib/plugins");
    QCoreApplication::setLibraryPaths(QStringList{plugin_dir});
    std::printf("lib path = '%s'\n", plugin_dir.toLocal8Bit().constData());
}

// A home whose name is not in the file-name encoding has no exact form in the registry; a lossy
// one would name another directory beside the home and install the client there.
bool HomeNameIsExact() {
    const QByteArray home = qgetenv("HOME");
    return home.isEmpty() || QFile::encodeName(QFile::decodeName(home)) == home;
}

void initializeLoxenPaths() {
    for (const RegistryRow &row : kRegistry) {
        const QString base =
            row.under_home ? Service::GetUserInstallPath() : QCoreApplication::applicationDirPath();
        UIPathManager::getInstance()->setPath(row.key, QDir::cleanPath(base + row.suffix));
    }
}

void initialize_logger() {
    const std::string level_file =
        (UIPathManager::getInstance()->getPath("root_resource_path") + "/log/launcher.debug")
            .toUtf8()
            .toStdString();
    const QString log_dir =
        UIPathManager::getInstance()->getPath("user_brenthor_loxen_path") + "/log";
    if (!QDir().mkpath(log_dir))
        return;
    Logger::Initialize(Logger::TYPE_FILE, (log_dir + "/launcher.log").toUtf8().toStdString(),
                       level_file, 50, Logger::SCOPE_THREAD);

    LOX_LOG(INFO, "launcher_debug", "main", ">>> user_nimbrel_path = %s",
            RegistryValue("user_nimbrel_path").constData());
    LOX_LOG(INFO, "launcher_debug", "main", ">>> user_nimbrel_app_path = %s",
            RegistryValue("user_nimbrel_app_path").constData());
    LOX_LOG(INFO, "launcher_debug", "main", ">>> user_nimbrel_resource_path = %s",
            RegistryValue("user_nimbrel_resource_path").constData());
    LOX_LOG(INFO, "launcher_debug", "main", ">>> user_nimbrel_data_path = %s",
            RegistryValue("user_nimbrel_data_path").constData());
    LOX_LOG(INFO, "launcher_debug", "main", ">>> user_nimbrel_working_dir_path = %s",
            RegistryValue("user_nimbrel_working_dir_path").constData());
    LOX_LOG(INFO, "launcher_debug", "main", ">>> user_nimbrel_loxen_ui_path = %s",
            RegistryValue("user_nimbrel_loxen_ui_path").constData());
    LOX_LOG(INFO, "launcher_debug", "main", ">>> root_resource_path = %s",
            RegistryValue("root_resource_path").constData());
}

void initializeLanguage(QApplication &app) {
    // Installed for the life of the process and never deleted; the static keeps it reachable.
    static QTranslator *translator = nullptr;
    translator = new QTranslator(nullptr);
    const QString code = BrenLocale::getInstance()->getDefaultLanguage();
    translator->load(":/" + code + ".qm", QString(), QString(), QString());
    if (translator->isEmpty()) {
        delete translator;
        translator = nullptr;
    } else {
        app.installTranslator(translator);
    }
    StrTable::InitStrTable();
    const QString family = code != "tha" ? "Arial" : "Microsoft Sans Serif";
    QApplication::setFont(QFont(family, 9, -1, false));
}

}  // namespace

int main(int argc, char **argv) {
    initialize_resources(argv[0]);
    QtSingleApplication app(argc, argv, true);
    // The window class and the Wayland application id: the desktop entry's StartupWMClass and name.
    QGuiApplication::setApplicationName(QStringLiteral("brenthor-loxen"));
    QGuiApplication::setDesktopFileName(QStringLiteral("brenthor-loxen"));
    if (!HomeNameIsExact()) {
        LOX_LOG(ERROR, "launcher_debug", "main",
                "home directory '%s' is not a name in the file-name encoding, leaving it alone",
                qgetenv("HOME").constData());
        return 0;
    }
    initializeLoxenPaths();
    initialize_logger();
    if (app.isRunning()) {
        LOX_LOG(DEBUG, "launcher_debug", "main", "app has already launched, return");
        InstanceChannel::AskToRaise();
        return 0;
    }

    initializeLanguage(app);
    LogRunStart();
    // Only LaunchDone ends the run; hiding or closing the dialog must not end the event loop
    // while the worker thread still writes the user's installation.
    app.setQuitOnLastWindowClosed(false);
    auto *launcher = new Launcher();
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::sigRaise, launcher, &Launcher::RaiseDialog);
    channel.Listen();
    launcher->Run();
    launcher->Start();
    const int status = app.exec();
    delete launcher;
    return status;
}
