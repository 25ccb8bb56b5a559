#pragma once

// The toolkit reports on standard error what it tried and gave up: a display platform that could
// not start, a missing runtime directory, X errors about a window that is going away. A run that
// works stays quiet on the terminal; these reports go to the log, at DEBUG but for the toolkit's
// critical and fatal ones.
namespace ToolkitMessages {

// Holds the toolkit's reports until the log exists. Call before the application object.
void Hold();
// Writes what was held to the log and sends every later report there. Call once the logger
// exists (an uninitialised one passes only its errors and warnings on to standard error).
void SendToLog();

}  // namespace ToolkitMessages
