#pragma once

#include <sys/types.h>

#include <string>

#include "common/ustring.h"

// What makes a process the per-user client: its executable, the directory it was
// installed in, and, for a client run by an interpreter, its process name.
struct ClientIdentity {
    ustring app_path;
    ustring ui_path;
};

// Stops the client named by the pid file: SIGTERM, then SIGKILL if it has not ended five
// seconds later; its end is noticed within milliseconds. A process id that does not name our own
// client (a stale pid file whose number now belongs to another process) is never signalled.
void StopClient(const ustring &pid_file, const ClientIdentity &client);

// The process id that a pid file's "pid" value names, read as atol reads it; 0 when the
// value cannot name a process (empty, no digits, zero, negative, beyond the pid range).
pid_t ParseClientPid(const std::string &value);

// True when pid is a live process of this user that is our client.
bool IsOwnClient(pid_t pid, const ClientIdentity &client);
