#include <fcntl.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/log.h"
#include "launcher/command-line.h"
#include "launcher/display-platform.h"
#include "launcher/launcher.h"
#include "launcher/run-log.h"
#include "launcher/toolkit-messages.h"
#include "launcher/user-home.h"
#include "service/cloud-service.h"
#include "service/copy-check-ahead.h"
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

// The folder of the executable itself, whatever link or PATH entry started it: the installed
// tree is the one the program file lies in. The program path as started only where /proc is
// missing.
QString ExecutableDir(const char *program_path) {
    char target[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", target, sizeof target - 1);
    if (length <= 0)
        return QFileInfo(QFile::decodeName(program_path)).absolutePath();
    return QFileInfo(QFile::decodeName(QByteArray(target, static_cast<int>(length)))).path();
}

// The tree's own plug-ins where it carries them. A tree from the Debian package carries none: the
// system's plug-ins are built against the very toolkit the package depends on, and bring the
// desktop's themes and input methods.
QString PluginDir(const char *program_path) {
    const QString own = QDir::cleanPath(ExecutableDir(program_path) + "/../lib/plugins");
    return QFileInfo(own).isDir() ? own : QLibraryInfo::location(QLibraryInfo::PluginsPath);
}

void initialize_resources(const char *program_path) {
    std::setlocale(LC_ALL, "");
    RegisterTexts();
    const QString plugin_dir = PluginDir(program_path);
    QCoreApplication::setLibraryPaths(QStringList{plugin_dir});
    std::printf("lib path = '%s'\n", plugin_dir.toLocal8Bit().constData());
}

// Names in packages travel as UTF-8; a C or POSIX character type cannot write them. Only this
// process changes: the environment, and with it the client's locale, stays as given. The
// application object sets the locale from the environment, so this comes after it.
void initialize_ctype() {
    const char *ctype = std::setlocale(LC_CTYPE, nullptr);
    if (ctype != nullptr && (std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0))
        std::setlocale(LC_CTYPE, "C.UTF-8");
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

// The language code it chose: asking the locale again costs as much as the first time.
QString initializeLanguage(QApplication &app) {
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
    return code;
}

// The per-user copy's path as the registry will hold it, from HOME alone: the check of the copy
// starts before the toolkit does.
ustring EarlyAppPath() {
    const QByteArray home = qgetenv("HOME");
    if (home.isEmpty())
        return ustring();
    for (const RegistryRow &row : kRegistry)
        if (std::strcmp(row.key, "user_brenthor_loxen_app_path") == 0)
            return ustring((home + row.suffix).constData());
    return ustring();
}

// A caller may start us with standard input, output or error closed: the next file opened would
// take that number (the log, a file of the copy), and what we or the client write to standard
// output or error would land in it. A reader of standard output or error that went away must
// fail the write, not end the run half way; the client gets the default back at its start.
void GuardStandardStreams() {
    std::signal(SIGPIPE, SIG_IGN);
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF && ::open("/dev/null", O_RDWR) < 0)
            return;  // nothing better to give it; no log is open yet to say so
}

// Runs the launcher until LaunchDone ends the event loop; the exit status.
int RunUntilDone(const DisplayPlatform &platform) {
    auto *launcher = new Launcher();
    InstanceChannel channel;
    QObject::connect(&channel, &InstanceChannel::sigRaise, launcher, &Launcher::RaiseDialog);
    // Only a shown dialog can be raised: a run that shows none never opens the channel.
    QObject::connect(launcher, &Launcher::sigDialogShown, &channel, &InstanceChannel::Listen);
    QObject::connect(launcher, &Launcher::sigDialogShown, launcher,
                     [&platform, launcher] { platform.LogMissingTitleBar(*launcher->Dialog()); });
    launcher->Run();
    launcher->Start();
    const int status = QApplication::exec();
    delete launcher;
    return status;
}

// The run's own objects are released by now. A normal exit would add the toolkit's teardown,
// in which the platform's font database reads the whole font configuration even when no text
// was ever drawn: a third of an up-to-date run, spent beside the client that has just started.
[[noreturn]] void EndProcess(int status) {
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();  // what a normal exit runs under the sanitizer
#endif
    std::_Exit(status);
}

}  // namespace

int main(int argc, char **argv) {
    const int answered = AnswerCommandLine(argc, argv);
    if (answered >= 0)
        return answered;
    GuardStandardStreams();
    const std::string home_settled = SettleHomeVariable();
    // Read only: a second launcher, or a home left alone below, costs it nothing but the time.
    StartCopyCheckAhead(EarlyAppPath());
    initialize_resources(argv[0]);
    ToolkitMessages::Hold();
    const DisplayPlatform platform;
    QtSingleApplication app(argc, argv, true);
    platform.RestoreSessionChoice();
    initialize_ctype();
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
    ToolkitMessages::SendToLog();
    if (!home_settled.empty())
        LOX_LOG(NOTE, "launcher_debug", "main", "%s", home_settled.c_str());
    platform.LogFallback();
    if (app.isRunning()) {
        LOX_LOG(DEBUG, "launcher_debug", "main", "app has already launched, return");
        const bool raised = InstanceChannel::AskToRaise();
        LOX_LOG(INFO, "launcher_debug", "main",
                "another launcher is already working on this home: %s; exiting",
                raised ? "asked it to bring its window forward"
                       : "it shows no window to bring forward");
        return 0;
    }

    LogRunStart(initializeLanguage(app));
    // Only LaunchDone ends the run; hiding or closing the dialog must not end the event loop
    // while the worker thread still writes the user's installation.
    app.setQuitOnLastWindowClosed(false);
    EndProcess(RunUntilDone(platform));
}
