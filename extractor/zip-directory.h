#pragma once

#include <string>

// Holds the central directory of the zip on fd to the rest of the file. libarchive takes the
// names and the link targets from the local headers, and the sizes, checksums and modes from
// the central directory, and no checksum covers a name, a link target or a record: a changed
// byte there shows only as a disagreement. Compared: every name, method and (where the local
// header holds them) checksum and sizes with the local header; each link target with its
// checksum; the end record with the directory it describes; and the system that made each
// entry with the first one's (a changed one would drop the entry's modes). Empty when all
// agree; else the first fault or why the directory cannot be read. Reads with pread; logs
// nothing.
std::string ZipDirectoryFault(int fd);
