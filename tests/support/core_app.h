#pragma once

#include <QCoreApplication>

namespace loxtest {

// The one QCoreApplication of a test program, made on first use and kept to the end.
inline QCoreApplication &CoreApp() {
    static int argc = 1;
    static char name[] = "loxen_test";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

}  // namespace loxtest
