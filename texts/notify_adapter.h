#pragma once

#include <QObject>
#include <QString>

// Lets deep code on the worker thread move the progress dialog: every call is re-emitted as a
// signal, which reaches receivers on other threads as a queued call.
class Notify_Adapter : public QObject {
    Q_OBJECT

public:
    static Notify_Adapter *GetInstance();

    void UpdateProgress(int total, int current);
    void UpdateDialogText(QString text);

signals:
    void sigUpdateProgress(int total, int current);
    void sigUpdateDialogText(QString text);

private:
    Notify_Adapter() = default;
};
