#pragma once

#include <string>

// Holds the name of every entry in the central directory of the zip on fd to the name in its
// local header. libarchive takes the names from the local headers and the sizes, checksums and
// modes from the central directory, and no checksum covers a name: a changed byte in either
// shows only as a difference between the two. Empty when they all agree; else the first
// difference or why the directory cannot be read. Reads with pread only; logs nothing.
std::string ZipNameDifference(int fd);
