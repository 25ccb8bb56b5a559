#include "texts/notify_adapter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QSignalSpy>
#include <QString>
#include <QThread>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/core_app.h"

namespace {

class NotifyAdapterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loxtest::CoreApp(); }
};

TEST_F(NotifyAdapterTest, RelaysEachCallAsItsSignal) {
    Notify_Adapter *relay = Notify_Adapter::GetInstance();
    QSignalSpy progress(relay, &Notify_Adapter::sigUpdateProgress);
    QSignalSpy text(relay, &Notify_Adapter::sigUpdateDialogText);

    relay->UpdateDialogText(QStringLiteral("Brenthor Loxen Client is initializing..."));
    relay->UpdateProgress(3, 1);
    relay->UpdateProgress(3, 2);

    ASSERT_EQ(text.count(), 1);
    EXPECT_EQ(text.at(0).at(0).toString(),
              QStringLiteral("Brenthor Loxen Client is initializing..."));
    ASSERT_EQ(progress.count(), 2);
    EXPECT_EQ(progress.at(0).at(0).toInt(), 3);
    EXPECT_EQ(progress.at(0).at(1).toInt(), 1);
    EXPECT_EQ(progress.at(1).at(1).toInt(), 2);
}

// What the dialog side records, on the thread it lives on.
struct Receiver : QObject {
    std::vector<QString> events;
    std::vector<QThread *> threads;

    void Record(QString event) {
        events.push_back(std::move(event));
        threads.push_back(QThread::currentThread());
    }
};

TEST_F(NotifyAdapterTest, CallsFromAWorkerArriveOnTheReceiversThreadInOrder) {
    Notify_Adapter *relay = Notify_Adapter::GetInstance();
    Receiver receiver;
    QObject::connect(relay, &Notify_Adapter::sigUpdateDialogText, &receiver,
                     [&receiver](QString label) { receiver.Record("label " + label); });
    QObject::connect(relay, &Notify_Adapter::sigUpdateProgress, &receiver,
                     [&receiver](int total, int current) {
                         receiver.Record(QStringLiteral("progress %1/%2").arg(current).arg(total));
                     });

    std::thread worker([relay] {
        QString label = QStringLiteral("label text");
        relay->UpdateDialogText(label);
        label.clear();  // the relay must have taken its own copy
        for (int written = 1; written <= 3; ++written) relay->UpdateProgress(3, written);
    });
    worker.join();
    EXPECT_TRUE(receiver.events.empty()) << "queued calls run only in the receiver's loop";

    const QDeadlineTimer hang_guard(60 * 1000);
    while (receiver.events.size() < 4 && !hang_guard.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);

    const std::vector<QString> expected{"label label text", "progress 1/3", "progress 2/3",
                                        "progress 3/3"};
    EXPECT_EQ(receiver.events, expected);
    for (QThread *thread : receiver.threads) EXPECT_EQ(thread, loxtest::CoreApp().thread());
    QObject::disconnect(relay, nullptr, &receiver, nullptr);
}

}  // namespace
