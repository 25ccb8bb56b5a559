#pragma once

#include <string>

#include "common/ustring.h"

// The temporary name a file written atomically takes until it is complete: path + ".new".
ustring AtomicTemporaryPath(const ustring &path);
// Replaces path with text as one step: the temporary name, written and flushed, renamed over
// path, then the folder flushed. 0, or -1 with errno set and no temporary file left.
int WriteFileAtomically(const ustring &path, const std::string &text);
// Makes a rename or removal in the directory durable; 0 or -1 with errno set.
int FlushDirectory(const ustring &dir);
