#pragma once

struct archive;

// libarchive's text for the last failure of handle; it leaves the text null when the failing
// call set none.
const char *ErrorText(archive *handle);

// The line that follows a failure line: the step that failed ("writing the data of"), the
// entry's path in the package, libarchive's text and the system error number behind it.
void LogFailedStep(const char *step, const char *entry_path, archive *handle);
