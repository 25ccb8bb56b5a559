#pragma once

#include <cstddef>

// The D-Bus half of the desktop notice, a module of its own in the installed tree's lib/ that
// the launcher loads only when it has something to tell: linked in, its libraries would
// cost every run their loading time.
#define LOXEN_NOTICE_MODULE "loxen-notice.so"

// Sends one notice through org.freedesktop.Notifications on the session bus. 0 when the
// service took it; otherwise -1 with the reason in `why` (UTF-8, cut to why_size).
extern "C" int loxen_notify(const char *app_name, const char *icon, const char *summary,
                            const char *body, char *why, size_t why_size);
using LoxenNotifyFunction = decltype(&loxen_notify);
