// A stand-in launcher for the tests: answers what the support layer says about this process.
//   instance_probe hold      waits for a line on stdin, creates the application, prints "first"
//                            or "running", then keeps running until stdin closes
//   instance_probe spawn     like hold, then starts a detached "sleep 60", prints its pid and exits
//   instance_probe language  prints the language code of the process's locale
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "telk/brenlocale.h"
#include "telk/qtsingleapplication.h"

namespace {

void PrintLine(const QString &text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void WaitForInputEnd() {
    std::string line;
    while (std::getline(std::cin, line)) {
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2)
        return 2;
    const std::string mode = argv[1];
    if (mode == "language") {
        PrintLine(BrenLocale::getInstance()->getDefaultLanguage());
        return 0;
    }

    std::string go;
    std::getline(std::cin, go);
    QtSingleApplication app(argc, argv, true);
    PrintLine(app.isRunning() ? "running" : "first");

    if (mode == "spawn") {
        qint64 pid = 0;
        if (!QProcess::startDetached("sleep", QStringList{"60"}, QString(), &pid))
            return 3;
        PrintLine(QString::number(pid));
        return 0;
    }
    WaitForInputEnd();
    return 0;
}
