#include "extractor/failure-log.h"

#include <archive.h>

#include <cstring>

#include "common/log.h"

const char *ErrorText(archive *handle) {
    const char *text = archive_error_string(handle);
    return text ? text : "unknown error";
}

void LogFailedStep(const char *step, const char *entry_path, archive *handle) {
    const int error_number = archive_errno(handle);
    // libarchive's own codes are negative and have no system text.
    LOX_LOG(ERROR, "extractor_debug", "extractor", "failed %s '%s': %s (errno %d%s%s)", step,
            entry_path ? entry_path : "", ErrorText(handle), error_number,
            error_number > 0 ? ", " : "", error_number > 0 ? std::strerror(error_number) : "");
}
