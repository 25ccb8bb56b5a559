// A run that leaves no working client tells the user once, through a notification service on a
// real session bus started by the test, or on standard error when there is none.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QSemaphore>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <filesystem>
#include <mutex>

#include "tests/support/core_app.h"
#include "tests/support/fault_scratch.h"

namespace loxtest {
namespace {

const char kSummary[] = "Brenthor Loxen Client could not be installed.";
const char kDamaged[] = "The installation package is damaged.";

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

    void BreakPackage() {
        box.MakePackage("121", {"--filler", "50"});
        std::filesystem::resize_file(box.fake().package_path(),
                                     std::filesystem::file_size(box.fake().package_path()) / 2);
    }

    CapturedRun Run(const std::string &bus_address) {
        ChildProcess::Environment env = scratch.Env(box.fake().home());
        env["DBUS_SESSION_BUS_ADDRESS"] = bus_address;
        return scratch.Run(box.launcher(), env);
    }

    LauncherSandbox box;
    FaultScratch scratch;
    std::string address;
    std::unique_ptr<ChildProcess> bus;
};

TEST_F(DesktopNoticeTest, BrokenFirstInstallNotifiesOnceAndGoodRunsNotAtAll) {
    ServiceThread thread(QString::fromStdString(address));
    thread.StartAndWait();
    ASSERT_TRUE(thread.registered());
    BreakPackage();

    CapturedRun run = Run(address);

    EXPECT_EQ(run.status, 0);
    std::vector<NoticeCall> calls = thread.service().Calls();
    ASSERT_EQ(calls.size(), 1u) << run.err;
    EXPECT_EQ(calls[0].app_name, "Brenthor Loxen Client");
    EXPECT_EQ(calls[0].summary, kSummary);
    EXPECT_EQ(calls[0].body, QString(kDamaged) +
                                 "\nDetails: " + QString::fromStdString(box.fake().user_path()) +
                                 "/log/launcher.log");
    EXPECT_TRUE(calls[0].actions.isEmpty());
    EXPECT_EQ(calls[0].expire, -1);
    EXPECT_TRUE(QFile::exists(calls[0].icon)) << calls[0].icon.toStdString();
    EXPECT_EQ(run.err.find(kSummary), std::string::npos) << "told twice";

    box.MakePackage("121");
    EXPECT_EQ(Run(address).status, 0);  // installs
    EXPECT_EQ(Run(address).status, 0);  // up to date
    EXPECT_EQ(thread.service().Calls().size(), 1u) << "a run with a working client notified";
}

TEST_F(DesktopNoticeTest, WithoutBusOrServiceTheNoticeGoesToStandardError) {
    BreakPackage();
    for (const std::string &where : {"unix:path=" + (scratch / "no-bus"), address}) {
        SCOPED_TRACE(where);
        CapturedRun run = Run(where);
        EXPECT_EQ(run.status, 0);
        EXPECT_NE(run.err.find(std::string(kSummary) + "\n" + kDamaged + "\nDetails: "),
                  std::string::npos)
            << run.err;
    }
}

}  // namespace
}  // namespace loxtest

#include "desktop_notice_test.moc"
