#pragma once

#include <QProgressDialog>

class QCloseEvent;
class QShowEvent;

// The small window-modal dialog shown while the per-user installation is replaced.
// It cannot be closed by the user: the run ends only when the launcher hides it.
class ProcessingProgressDialog : public QProgressDialog {
    Q_OBJECT

public:
    ProcessingProgressDialog();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
