#pragma once

#include <QString>

// Shows a notice through the freedesktop notification service on the session bus: no action,
// nothing to answer, the server's own expiry. With no bus or no service it goes to standard
// error instead.
void ShowDesktopNotice(const QString &summary, const QString &body);
