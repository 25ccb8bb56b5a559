#pragma once

#include <QByteArray>
#include <QString>

class QWidget;

// The toolkit ends the process when its display platform cannot start, so the platform is
// chosen as a list before the application object exists: the session's choice (its platform
// variable, else what the toolkit itself picks for the session), then Wayland where the session
// has a compositor, X11 and no window at all. The launcher's work never depends on a display.
class DisplayPlatform {
public:
    // Sets the toolkit's platform variable to the list. Call before the application object.
    DisplayPlatform();
    // Puts the session's platform variable back, so that the client never sees the list.
    // Call once the application object exists.
    void RestoreSessionChoice() const;
    // NOTE when the platform in use is not the first choice. Call once the logger exists.
    void LogFallback() const;
    // NOTE when Wayland shows the window just shown without a title bar.
    void LogMissingTitleBar(const QWidget &window) const;

private:
    bool was_set_;
    QByteArray session_value_;
    QString first_choice_;
};
