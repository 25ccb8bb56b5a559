// The launcher, its worker and its dialog in one process, with a fake upgrade service.
#include "launcher/launcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <regex>
#include <thread>

#include "common/log.h"
#include "telk/dpiinfo.h"
#include "tests/launcher/fake_service.h"
#include "tests/support/fake_install.h"
#include "texts/notify_adapter.h"

namespace loxtest {
namespace {

const QString kInitializing = "Brenthor Loxen Client is initializing...";
const QString kReady = "Brenthor Loxen Client is ready.";

// Longer than the launcher holds the dialog back at the start of a replacement.
void OutlastTheShowDelay() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
}

// Notes what the dialog looked like whenever it was shown or hidden.
class DialogWatch : public QObject {
public:
    int shows = 0;
    int maximum_at_show = -1;  // 0: a busy bar
    int hides = 0;
    QString label_at_hide;
    int value_at_hide = -1;
    QSemaphore hidden;

    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *dialog = qobject_cast<QProgressDialog *>(watched);  // null while it is destroyed
        if (dialog == nullptr)
            return false;
        if (event->type() == QEvent::Show) {
            ++shows;
            maximum_at_show = dialog->maximum();
        }
        if (event->type() == QEvent::Hide) {
            ++hides;
            label_at_hide = dialog->labelText();
            value_at_hide = dialog->value();
            hidden.release();
        }
        return false;
    }
};

ProcessingProgressDialog *FindDialog() {
    ProcessingProgressDialog *found = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<ProcessingProgressDialog *>(widget)) {
            EXPECT_EQ(found, nullptr) << "more than one progress dialog";
            found = dialog;
        }
    }
    return found;
}

class LauncherTest : public ::testing::Test {
protected:
    LauncherTest() : app(TestApplication()), record(std::make_shared<ServiceRecord>()) {
        fake.FillRegistry();
        MakeDirs(fake.nimbrel_path() + "/app/bin");
        MakeDirs(fake.nimbrel_path() + "/data");
        WriteFile(fake.nimbrel_path() + "/data/keep.txt", "user data");
        service = new FakeService(record, fake.nimbrel_path());
    }

    ~LauncherTest() override { Logger::Destroy(); }

    std::unique_ptr<Launcher> MakeLauncher() {
        auto launcher = std::make_unique<Launcher>(service);
        dialog = launcher->Dialog();
        EXPECT_EQ(FindDialog(), dialog);
        if (dialog != nullptr)
            dialog->installEventFilter(&watch);
        return launcher;
    }

    // Runs the whole service as main does and returns the event loop's result.
    int RunToEnd(Launcher &launcher) {
        bool timed_out = false;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            timed_out = true;
            QCoreApplication::exit(99);
        });
        guard.start(60000);
        launcher.Run();
        launcher.Start();
        int status = app.exec();
        EXPECT_FALSE(timed_out) << "the run did not end through LaunchDone";
        return status;
    }

    void LogEverythingTo(const std::string &log_file) {
        WriteFile(fake.root() + "/log/launcher.debug", "launcher_debug=7\n");
        Logger::Initialize(Logger::TYPE_FILE, log_file, fake.root() + "/log/launcher.debug", 50,
                           Logger::SCOPE_THREAD);
    }

    QApplication &app;
    FakeInstall fake;
    std::shared_ptr<ServiceRecord> record;
    FakeService *service;  // owned by the launcher once made
    ProcessingProgressDialog *dialog = nullptr;
    DialogWatch watch;
};

TEST_F(LauncherTest, DialogIsBuiltHiddenWithTitleLabelRangeAndNoCancelButton) {
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "Brenthor Loxen Client");
    EXPECT_EQ(dialog->labelText(), kInitializing);
    EXPECT_EQ(dialog->minimum(), 0);
    EXPECT_EQ(dialog->maximum(), 100);
    EXPECT_EQ(dialog->value(), 0);
    EXPECT_TRUE(dialog->findChildren<QPushButton *>().isEmpty()) << "a cancel button is left";
    EXPECT_FALSE(dialog->autoReset());
    EXPECT_FALSE(dialog->windowIcon().isNull()) << "icon from root/images is missing";
}

TEST_F(LauncherTest, DialogHasTitleAndMenuOnlyAndIsWindowModal) {
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);

    const Qt::WindowFlags hints = dialog->windowFlags() & ~Qt::WindowType_Mask;
    EXPECT_EQ(hints, Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(dialog->isModal());
}

TEST_F(LauncherTest, DialogIsFourHundredPixelsWideAtFactorOne) {
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);
    const double factor = DPIinfo::getInstance()->getDPI();
    EXPECT_EQ(dialog->width(), static_cast<int>(factor * 400.0));
    if (factor != 1.0)
        GTEST_SKIP() << "display factor here is " << factor << ", not 1";
    EXPECT_EQ(dialog->width(), 400);
    EXPECT_EQ(dialog->minimumWidth(), 400);
    EXPECT_EQ(dialog->maximumWidth(), 400);
}

TEST_F(LauncherTest, UpdateProgressShowsTruncatedPercentage) {
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);
    auto update = [&](int total, int steps) {
        QMetaObject::invokeMethod(launcher.get(), "UpdateProgress", Qt::DirectConnection,
                                  Q_ARG(int, total), Q_ARG(int, steps));
        return dialog->value();
    };

    EXPECT_EQ(update(3, 1), 33);
    EXPECT_EQ(update(3, 2), 66);
    EXPECT_EQ(update(100, 100), 99) << "a full bar only once the dialog closes";
    EXPECT_EQ(update(30000000, 15000000), 50) << "steps * 100 must not overflow";
    EXPECT_EQ(update(0, 5), 50) << "a total of 0 is ignored";
}

TEST_F(LauncherTest, UpgradeRunsServiceInOrderShowsDialogAndEndsReady) {
    service->need_upgrade = true;
    service->during_upgrade = [] {
        OutlastTheShowDelay();
        Notify_Adapter::GetInstance()->UpdateDialogText("unpacking");
        Notify_Adapter::GetInstance()->UpdateProgress(3, 1);
        Notify_Adapter::GetInstance()->UpdateProgress(3, 2);
        Notify_Adapter::GetInstance()->UpdateProgress(3, 3);
    };
    bool hidden_before_finish = false;
    service->during_finish = [&] { hidden_before_finish = watch.hidden.tryAcquire(1, 10000); };
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);
    QProgressBar *bar = dialog->findChild<QProgressBar *>();
    ASSERT_NE(bar, nullptr);
    QSignalSpy bar_values(bar, &QProgressBar::valueChanged);
    QSignalSpy starts(launcher.get(), &Launcher::sigStart);
    QSignalSpy cancels(dialog, &QProgressDialog::canceled);

    EXPECT_EQ(RunToEnd(*launcher), 0);

    EXPECT_EQ(record->calls,
              (std::vector<std::string>{"PreUpgrade", "IsNeedUpgrade", "HandlePackageUpgrade",
                                        "PostUpgrade", "FinishReplacement"}));
    EXPECT_FALSE(record->legacy_app_present_at_post_upgrade)
        << "aged folders go before PostUpgrade";
    EXPECT_TRUE(record->legacy_data_present_at_post_upgrade);
    EXPECT_EQ(starts.count(), 1);
    EXPECT_EQ(cancels.count(), 0);
    ASSERT_EQ(bar_values.count(), 3);
    EXPECT_EQ(bar_values.at(0).at(0).toInt(), 33);
    EXPECT_EQ(bar_values.at(1).at(0).toInt(), 66);
    EXPECT_EQ(bar_values.at(2).at(0).toInt(), 99);
    EXPECT_EQ(watch.shows, 1);
    EXPECT_EQ(watch.maximum_at_show, 0) << "no busy bar before the total was known";
    EXPECT_EQ(watch.hides, 1);
    EXPECT_EQ(watch.label_at_hide, kReady) << "LaunchDone must come after the label update";
    EXPECT_EQ(watch.value_at_hide, 99);
    EXPECT_TRUE(hidden_before_finish) << "the old copy must go after the dialog closed";
    EXPECT_FALSE(dialog->isVisible());
}

// Nothing asks for the dialog during an up-to-date run, so it is never built.
TEST_F(LauncherTest, UpToDateRunBuildsNoDialog) {
    auto launcher = std::make_unique<Launcher>(service);
    EXPECT_EQ(RunToEnd(*launcher), 0);
    EXPECT_EQ(FindDialog(), nullptr);
    EXPECT_EQ(record->calls.back(), "FinishReplacement");
}

TEST_F(LauncherTest, UpToDateRunSkipsUpgradeAndNeverShowsDialog) {
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(RunToEnd(*launcher), 0);

    EXPECT_EQ(record->calls, (std::vector<std::string>{"PreUpgrade", "IsNeedUpgrade", "PostUpgrade",
                                                       "FinishReplacement"}));
    EXPECT_FALSE(record->legacy_app_present_at_post_upgrade);
    EXPECT_TRUE(record->legacy_data_present_at_post_upgrade);
    EXPECT_EQ(watch.shows, 0);
    EXPECT_EQ(dialog->labelText(), kInitializing);
}

TEST_F(LauncherTest, FailedUpgradeKeepsLastLabelLogsAndStillStartsClient) {
    TempDir logs;
    LogEverythingTo(logs / "launcher.log");
    fake.InstallClient("120");  // an upgrade; a failed first install says so
    service->need_upgrade = true;
    service->upgrade_problem = ProblemOf(ClientProblem::DamagedPackage);
    service->during_upgrade = [] {
        OutlastTheShowDelay();
        Notify_Adapter::GetInstance()->UpdateDialogText("half way");
        Notify_Adapter::GetInstance()->UpdateProgress(4, 2);
    };
    auto launcher = MakeLauncher();

    EXPECT_EQ(RunToEnd(*launcher), 0);

    EXPECT_EQ(record->calls,
              (std::vector<std::string>{"PreUpgrade", "IsNeedUpgrade", "HandlePackageUpgrade",
                                        "PostUpgrade", "FinishReplacement"}));
    EXPECT_EQ(watch.shows, 1);
    EXPECT_EQ(watch.label_at_hide, "half way");
    const std::string log = ReadFile(logs / "launcher.log");
    EXPECT_TRUE(std::regex_search(
        log, std::regex(R"( \[ERROR\] launcher\(\d+\): Failed to upgrade package\n)")))
        << log;
}

// A window mapped for a few milliseconds is a flash: a quick replacement shows none.
TEST_F(LauncherTest, QuickReplacementShowsNoWindowWhateverItsResult) {
    for (ClientProblem status : {ClientProblem::None, ClientProblem::DamagedPackage}) {
        SCOPED_TRACE(static_cast<int>(status));
        if (status != ClientProblem::None) {  // the fixture made the first one
            record = std::make_shared<ServiceRecord>();
            service = new FakeService(record, fake.nimbrel_path());
        }
        service->need_upgrade = true;
        service->upgrade_problem = ProblemOf(status);
        watch.shows = 0;
        auto launcher = MakeLauncher();
        EXPECT_EQ(RunToEnd(*launcher), 0);
        EXPECT_EQ(watch.shows, 0);
        EXPECT_EQ(record->calls.back(), "FinishReplacement");
    }
}

TEST_F(LauncherTest, CloseRequestAndEscapeLeaveTheDialogUpUntilTheWorkIsDone) {
    QSemaphore release;
    service->need_upgrade = true;
    service->during_upgrade = [&release] { release.acquire(); };
    auto launcher = MakeLauncher();
    ASSERT_NE(dialog, nullptr);
    QSignalSpy cancels(dialog, &QProgressDialog::canceled);
    bool closed = true;
    bool visible_after_close = false;
    bool visible_after_escape = false;

    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        if (!dialog->isVisible())
            return;
        poke.stop();
        closed = dialog->close();
        QCoreApplication::processEvents();
        visible_after_close = dialog->isVisible();
        QTest::keyClick(dialog, Qt::Key_Escape);
        QCoreApplication::processEvents();
        visible_after_escape = dialog->isVisible();
        release.release();
    });
    poke.start(10);

    EXPECT_EQ(RunToEnd(*launcher), 0);

    EXPECT_FALSE(closed);
    EXPECT_TRUE(visible_after_close);
    EXPECT_TRUE(visible_after_escape);
    EXPECT_EQ(cancels.count(), 0);
    EXPECT_EQ(record->calls.back(), "FinishReplacement");
    EXPECT_FALSE(dialog->isVisible()) << "LaunchDone still hides it";
}

// The worker alone: what it emits, in which order, on its own thread.
class WorkerTest : public ::testing::Test {
protected:
    WorkerTest() : app(TestApplication()), record(std::make_shared<ServiceRecord>()) {
        fake.FillRegistry();
        service = new FakeService(record, fake.nimbrel_path());
        worker = std::make_unique<Worker>(service);
    }

    // The signal names in emission order, recorded on the emitting thread.
    std::vector<std::string> RunOnce() {
        std::vector<std::string> order;
        auto note = [&order](const char *name) {
            return [&order, name] { order.push_back(name); };
        };
        QObject::connect(worker.get(), &Worker::sigShowMsg, note("ShowMsg"));
        QObject::connect(worker.get(), &Worker::sigUpdateProgress, note("UpdateProgress"));
        QObject::connect(worker.get(), &Worker::sigSetLabelText, note("SetLabelText"));
        QObject::connect(worker.get(), &Worker::sigStartScriptDone, note("StartScriptDone"));
        QObject::connect(worker.get(), &Worker::sigServiceDone, note("ServiceDone"));
        // A flag, not QSignalSpy::wait: a signal sent before the wait begins would be missed.
        std::atomic<bool> done{false};
        QObject::connect(worker.get(), &Worker::sigServiceDone, [&done] { done = true; });
        worker->StartThread();
        QMetaObject::invokeMethod(worker.get(), "HandleServicce", Qt::QueuedConnection);
        QElapsedTimer waited;
        waited.start();
        while (!done && waited.elapsed() < 30000) QTest::qWait(10);
        EXPECT_TRUE(done);
        worker->QuitThread();
        worker->JoinThread();
        return order;
    }

    QApplication &app;
    FakeInstall fake;
    std::shared_ptr<ServiceRecord> record;
    FakeService *service;
    std::unique_ptr<Worker> worker;
};

TEST_F(WorkerTest, SuccessfulUpgradeEmitsShowProgressLabelThenDone) {
    service->need_upgrade = true;
    QSignalSpy labels(worker.get(), &Worker::sigSetLabelText);

    EXPECT_EQ(RunOnce(), (std::vector<std::string>{"ShowMsg", "SetLabelText", "StartScriptDone",
                                                   "ServiceDone"}));
    ASSERT_EQ(labels.count(), 1);
    EXPECT_EQ(labels.at(0).at(0).toString(), kReady);
}

TEST_F(WorkerTest, FailedUpgradeEmitsShowThenDoneOnly) {
    service->need_upgrade = true;
    service->upgrade_problem = ProblemOf(ClientProblem::CannotWrite);
    EXPECT_EQ(RunOnce(), (std::vector<std::string>{"ShowMsg", "StartScriptDone", "ServiceDone"}));
    EXPECT_EQ(record->calls.back(), "FinishReplacement");
}

TEST_F(WorkerTest, UpToDateEmitsDoneOnly) {
    EXPECT_EQ(RunOnce(), (std::vector<std::string>{"StartScriptDone", "ServiceDone"}));
}

// A start script that cannot be run costs one replacement and one more start, never a loop.
TEST_F(WorkerTest, UnrunnableStartScriptReplacesTheCopyOnce) {
    service->start_script_unrunnable = true;
    EXPECT_EQ(RunOnce(), (std::vector<std::string>{"ShowMsg", "SetLabelText", "StartScriptDone",
                                                   "ServiceDone"}));
    EXPECT_EQ(record->calls, (std::vector<std::string>{"PreUpgrade", "IsNeedUpgrade", "PostUpgrade",
                                                       "HandlePackageUpgrade", "PostUpgrade",
                                                       "FinishReplacement"}));
}

TEST_F(WorkerTest, DestroyingAWorkerWhoseThreadRunsStopsTheThreadFirst) {
    QThread *thread = static_cast<QObject *>(worker.get())->thread();
    QSignalSpy finished(thread, &QThread::finished);
    worker->StartThread();
    worker.reset();  // a running QThread destroyed would abort the process
    EXPECT_EQ(finished.count(), 1);
}

// The launcher exits right after joining its worker; the system thread must have ended by then,
// its own exit work included (here a slow thread-local clean-up), or Qt's record of it is lost.
TEST_F(WorkerTest, JoiningWaitsForTheSystemThreadToEnd) {
    struct SlowExit {
        ~SlowExit() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }
    };
    pid_t system_id = 0;
    worker->StartThread();
    QMetaObject::invokeMethod(
        worker.get(),
        [&system_id] {
            static thread_local SlowExit slow;
            (void)slow;
            system_id = ::gettid();
        },
        Qt::BlockingQueuedConnection);
    worker->QuitThread();
    worker->JoinThread();
    EXPECT_FALSE(PathExists("/proc/self/task/" + std::to_string(system_id)));
}

}  // namespace
}  // namespace loxtest
