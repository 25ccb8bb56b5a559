// A run that leaves no working client, or no new copy, tells the user once, through a
// notification service on a real session bus started by the test, or on standard error when
// there is none. The space and noexec cases put the home on a small tmpfs (root only).
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QSemaphore>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <filesystem>
#include <mutex>
#include <regex>

#include "tests/support/core_app.h"
#include "tests/support/fault_scratch.h"
#include "tests/support/tmpfs_mount.h"

namespace loxtest {
namespace {

const char kSummary[] = "Brenthor Loxen Client could not be installed.";
const char kNotStarted[] = "Brenthor Loxen Client could not be started.";
const char kUpdateFailed[] =
    "The update of Brenthor Loxen Client could not be installed; the current version keeps "
    "running.";
const char kDamaged[] = "The installation package is damaged.";
const char kStartAgain[] = "Once this is fixed, start Brenthor Loxen Client again.";
const char kOnStderr[] =
    "No log could be written; the details went to standard error (run brenthor-loxen in a "
    "terminal to see them).";

// text as a pattern that matches only itself
std::string Quoted(const std::string &text) {
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

struct NoticeCall {
    QString app_name, icon, summary, body;
    QStringList actions;
    int expire = 0;
};

// Stands in for the desktop's notification service and records every Notify call.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<NoticeCall> Calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

public slots:
    uint Notify(const QString &app_name, uint, const QString &icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &, int expire) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back({app_name, icon, summary, body, actions, expire});
        return static_cast<uint>(calls_.size());
    }

private:
    std::mutex mutex_;
    std::vector<NoticeCall> calls_;
};

// The service answers on a thread of its own while the test waits for the launcher.
class ServiceThread : public QThread {
public:
    explicit ServiceThread(QString address) : address_(std::move(address)) {}
    // Also when an assertion leaves the test early: a running thread must not be destroyed.
    ~ServiceThread() override {
        quit();
        wait();
    }
    bool registered() const { return registered_; }
    NotificationService &service() { return service_; }

protected:
    void run() override {
        QDBusConnection bus = QDBusConnection::connectToBus(address_, "notification-service");
        registered_ = bus.registerObject("/org/freedesktop/Notifications", &service_,
                                         QDBusConnection::ExportAllSlots) &&
                      bus.registerService("org.freedesktop.Notifications");
        ready_.release();
        exec();
        QDBusConnection::disconnectFromBus("notification-service");
    }

public:
    void StartAndWait() {
        service_.moveToThread(this);
        start();
        ready_.acquire();
    }

private:
    QString address_;
    NotificationService service_;
    QSemaphore ready_;
    bool registered_ = false;
};

class DesktopNoticeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CoreApp(); }

    void SetUp() override {
        if (RunShell("command -v dbus-daemon >/dev/null") != 0)
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/deps installs it)";
        address = "unix:path=" + (scratch / "bus");
        bus = std::make_unique<ChildProcess>(
            "/usr/bin/env",
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=1",
                                     "--address=" + address},
            ChildProcess::Environment{});
        ASSERT_FALSE(bus->ReadLine().empty()) << "the session bus did not start";
    }

    void StartService() {
        service = std::make_unique<ServiceThread>(QString::fromStdString(address));
        service->StartAndWait();
        ASSERT_TRUE(service->registered());
    }

    // Clients first: a lazily unmounted home must not keep a client of the test alive.
    void TearDown() override {
        EndClient(box, 0);
        home_mount.reset();
    }

    void BreakPackage() {
        box.MakePackage("121", {"--filler", "50"});
        std::filesystem::resize_file(box.fake().package_path(),
                                     std::filesystem::file_size(box.fake().package_path()) / 2);
    }

    // False when the machine cannot mount it (the caller skips).
    bool MountHome(unsigned long flags) {
        home_mount = std::make_unique<TmpfsMount>(box.fake().home(), flags);
        return home_mount->mounted();
    }

    CapturedRun Run(const std::string &bus_address, RunUser user = RunUser::Current) {
        ChildProcess::Environment env = scratch.Env(box.fake().home());
        env["DBUS_SESSION_BUS_ADDRESS"] = bus_address;
        return scratch.Run(box.launcher(), env, user);
    }

    std::string LogDetails() const {
        return "Details: " + box.fake().user_path() + "/log/launcher.log";
    }

    LauncherSandbox box;
    FaultScratch scratch;
    std::string address;
    std::unique_ptr<ChildProcess> bus;
    std::unique_ptr<ServiceThread> service;
    std::unique_ptr<TmpfsMount> home_mount;
};

TEST_F(DesktopNoticeTest, BrokenFirstInstallNotifiesOnceAndGoodRunsNotAtAll) {
    ASSERT_NO_FATAL_FAILURE(StartService());
    BreakPackage();

    CapturedRun run = Run(address);

    EXPECT_EQ(run.status, 0);
    std::vector<NoticeCall> calls = service->service().Calls();
    ASSERT_EQ(calls.size(), 1u) << run.err;
    EXPECT_EQ(calls[0].app_name, "Brenthor Loxen Client");
    EXPECT_EQ(calls[0].summary, kSummary);
    EXPECT_EQ(calls[0].body.toStdString(),
              std::string(kDamaged) + "\n" + kStartAgain + "\n" + LogDetails());
    EXPECT_TRUE(calls[0].actions.isEmpty());
    EXPECT_EQ(calls[0].expire, -1);
    EXPECT_TRUE(QFile::exists(calls[0].icon)) << calls[0].icon.toStdString();
    EXPECT_EQ(run.err.find(kSummary), std::string::npos) << "told twice";

    box.MakePackage("121");
    EXPECT_EQ(Run(address).status, 0);  // installs
    EXPECT_EQ(Run(address).status, 0);  // up to date
    EXPECT_EQ(service->service().Calls().size(), 1u) << "a run with a working client notified";
}

TEST_F(DesktopNoticeTest, WithoutBusOrServiceTheNoticeGoesToStandardError) {
    BreakPackage();
    for (const std::string &where : {"unix:path=" + (scratch / "no-bus"), address}) {
        SCOPED_TRACE(where);
        CapturedRun run = Run(where);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.err.find(std::string(kSummary) + "\n" + kDamaged + "\n"), std::string::npos)
            << run.err;
    }
}

enum class Setup { DamagedUpdate, FullUpdate, FullInstall, NoExecHome, ReadOnlyHome };

// What the user is told, and where the client stands afterwards.
struct NoticeCase {
    const char *name;
    Setup setup;
    const char *summary;
    std::string (*reason)(const FakeInstall &);  // a pattern of the reason line
    bool old_client_untouched;  // the client running before is still the same process
};

void PrintTo(const NoticeCase &notice_case, std::ostream *out) {
    *out << notice_case.name;
}

class DesktopNoticeCaseTest : public DesktopNoticeTest,
                              public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(DesktopNoticeCaseTest, TheNoticeSaysWhatHappenedAndWhereToAct) {
    ASSERT_NO_FATAL_FAILURE(StartService());
    const NoticeCase &c = GetParam();
    const FakeInstall &fake = box.fake();
    const bool update = c.setup == Setup::DamagedUpdate || c.setup == Setup::FullUpdate;
    if (c.setup != Setup::DamagedUpdate &&
        !MountHome(c.setup == Setup::NoExecHome ? MS_NOEXEC : 0)) {
        GTEST_SKIP() << "cannot mount a small tmpfs on the home (needs root)";
    }
    if (update) {
        ASSERT_TRUE(box.InstallRunningClient("120"));
    }
    const pid_t old_client = ClientNamedBy(fake.user_path());
    const TreeListing old_tree = update ? ListTree(fake.app_path()) : TreeListing{};
    RunUser user = RunUser::Current;
    switch (c.setup) {
        case Setup::DamagedUpdate:
            BreakPackage();
            break;
        case Setup::FullUpdate:
        case Setup::FullInstall:
            fake.WritePackage("121", {{"share/big", std::string(10 << 20, 'x')}});  // 8 MB free
            break;
        case Setup::NoExecHome:
            box.MakePackage("121");
            break;
        case Setup::ReadOnlyHome:
            if (!FaultScratch::CanRunAs(RunUser::Nobody))
                GTEST_SKIP() << "cannot drop to the user nobody here";
            box.MakePackage("121");
            HandToNobody(fake.base(), fake.home());
            ASSERT_EQ(::chmod(fake.home().c_str(), 0555), 0);
            user = RunUser::Nobody;
            break;
    }

    const CapturedRun run = Run(address, user);

    EXPECT_EQ(run.status, 0);
    std::string notice = run.err;  // another user cannot reach the test's session bus
    if (user == RunUser::Current) {
        const std::vector<NoticeCall> calls = service->service().Calls();
        ASSERT_EQ(calls.size(), 1u) << run.err;
        notice = (calls[0].summary + "\n" + calls[0].body).toStdString();
    }
    const std::string details = user == RunUser::Current ? LogDetails() : kOnStderr;
    EXPECT_TRUE(
        std::regex_search(notice, std::regex(Quoted(c.summary) + "\n" + c.reason(fake) + "\n" +
                                             Quoted(kStartAgain) + "\n" + Quoted(details))))
        << notice;
    if (c.old_client_untouched) {
        EXPECT_TRUE(IsAlive(old_client)) << "the client was stopped";
        EXPECT_EQ(ListTree(fake.app_path()), old_tree);
    } else if (update) {
        EXPECT_TRUE(WaitFor([&] { return ClientNamedBy(fake.user_path()) != 0; }))
            << "no client runs";
        EXPECT_NE(ReadFile(fake.source_info()).find("build_version=120\n"), std::string::npos);
    }
}

std::string NoSpaceIn(const std::string &folder) {
    return Quoted("There is not enough disk space in " + folder) +
           ": [0-9.]+ MB is needed, [0-9.]+ (kB|MB) is free\\.";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopNoticeCaseTest,
    ::testing::Values(
        NoticeCase{"DamagedUpdate", Setup::DamagedUpdate, kUpdateFailed,
                   [](const FakeInstall &) { return Quoted(kDamaged); }, false},
        NoticeCase{"UpdateThatDoesNotFit", Setup::FullUpdate, kUpdateFailed,
                   [](const FakeInstall &f) { return NoSpaceIn(f.user_path()); }, true},
        NoticeCase{"InstallThatDoesNotFit", Setup::FullInstall, kSummary,
                   [](const FakeInstall &f) { return NoSpaceIn(f.user_path()); }, false},
        NoticeCase{"NoExecHome", Setup::NoExecHome, kNotStarted,
                   [](const FakeInstall &f) {
                       return Quoted("Programs cannot be run from " + f.app_path() +
                                     ": its file system is mounted noexec.");
                   },
                   false},
        NoticeCase{"ReadOnlyHome", Setup::ReadOnlyHome, kSummary,
                   [](const FakeInstall &f) {
                       return Quoted("The folder " + f.home() + " cannot be written to.");
                   },
                   false}),
    [](const ::testing::TestParamInfo<NoticeCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace loxtest

#include "desktop_notice_test.moc"
