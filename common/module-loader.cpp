#include "common/module-loader.h"

#include <dlfcn.h>

#include "common/log.h"

void *LoadModuleEntry(const char *module_path, const char *entry_name) {
    // RTLD_NOW: a library the module needs that is missing fails here, not at the first call.
    void *handle = ::dlopen(module_path, RTLD_NOW | RTLD_LOCAL);
    void *entry = handle == nullptr ? nullptr : ::dlsym(handle, entry_name);
    if (entry != nullptr)
        return entry;  // the module stays loaded for the process's life
    LOX_LOG(ERROR, "launcher_debug", "module-loader", "cannot load '%s' ('%s'): %s", module_path,
            entry_name, ::dlerror());
    if (handle != nullptr)
        ::dlclose(handle);
    return nullptr;
}
