#include "launcher/handler-thread.h"

HandlerThread::HandlerThread() : QThread(nullptr) {}

void HandlerThread::run() {
    exec();
}
