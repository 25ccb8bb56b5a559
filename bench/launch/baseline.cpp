// The least a launcher can do: an application object, the start script, and with --dialog a
// progress dialog that is built but never shown.
#include <QApplication>
#include <QProcess>
#include <QProgressDialog>
#include <cstring>
#include <memory>

int main(int argc, char **argv) {
    const bool with_dialog = argc == 3 && std::strcmp(argv[2], "--dialog") == 0;
    if (argc != 2 && !with_dialog)
        return 2;
    QApplication app(argc, argv);
    std::unique_ptr<QProgressDialog> dialog;
    if (with_dialog)
        dialog = std::make_unique<QProgressDialog>();
    QProcess::execute(QString::fromLocal8Bit(argv[1]), {"start"});
    return 0;
}
