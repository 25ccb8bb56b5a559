// The least a launcher can do: an application object, a progress dialog, the start script.
#include <QApplication>
#include <QProcess>
#include <QProgressDialog>

int main(int argc, char **argv) {
    if (argc != 2)
        return 2;
    QApplication app(argc, argv);
    QProgressDialog dialog;
    QProcess::execute(QString::fromLocal8Bit(argv[1]), {"start"});
    return 0;
}
