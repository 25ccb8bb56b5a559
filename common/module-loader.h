#pragma once

#include <string>

// Loads a module of the installed tree's lib/ and returns its one entry point, or nullptr after
// logging the file and the loader's reason (a missing file, or a library the module needs).
// The module stays loaded until the process ends: its threads and statics may outlive the call.
void *LoadModuleEntry(const char *module_path, const char *entry_name);
