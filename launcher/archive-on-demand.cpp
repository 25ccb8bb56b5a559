// The libarchive calls of the extractor, defined in the program itself: linked as needed, the
// program then starts without libarchive and the libraries it brings, which cost every run
// their loading time although only an install unpacks. The first call loads the library.
// A call the extractor starts to make belongs in the list below; otherwise the program links
// the library again (the launcher's run test notices).
#include <archive.h>
#include <archive_entry.h>
#include <dlfcn.h>

#include <type_traits>

#include "common/log.h"

namespace {

#define LOXEN_ARCHIVE_CALLS(X)         \
    X(archive_entry_clone)             \
    X(archive_entry_filetype)          \
    X(archive_entry_free)              \
    X(archive_entry_hardlink)          \
    X(archive_entry_pathname)          \
    X(archive_entry_set_hardlink)      \
    X(archive_entry_set_pathname)      \
    X(archive_entry_size)              \
    X(archive_errno)                   \
    X(archive_error_string)            \
    X(archive_read_close)              \
    X(archive_read_data_block)         \
    X(archive_read_data_skip)          \
    X(archive_read_free)               \
    X(archive_read_new)                \
    X(archive_read_next_header)        \
    X(archive_read_open_filename)      \
    X(archive_read_support_filter_all) \
    X(archive_read_support_format_all) \
    X(archive_write_data_block)        \
    X(archive_write_disk_new)          \
    X(archive_write_disk_set_options)  \
    X(archive_write_finish_entry)      \
    X(archive_write_free)              \
    X(archive_write_header)

struct Calls {
#define LOXEN_POINTER(name) decltype(&::name) name = nullptr;
    LOXEN_ARCHIVE_CALLS(LOXEN_POINTER)
#undef LOXEN_POINTER
};

// Every call resolved, or nullptr when the library or one of them is missing. Never unloaded.
const Calls *Resolve() {
    void *library = ::dlopen(LOXEN_ARCHIVE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        LOX_LOG(ERROR, "launcher_debug", "archive-on-demand",
                "cannot load the unpacking library '%s': %s", LOXEN_ARCHIVE_LIBRARY, ::dlerror());
        return nullptr;
    }
    static Calls calls;
    bool complete = true;
#define LOXEN_RESOLVE(name)                                                              \
    calls.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name));           \
    if (calls.name == nullptr) {                                                         \
        LOX_LOG(ERROR, "launcher_debug", "archive-on-demand",                            \
                "the unpacking library '%s' has no '%s'", LOXEN_ARCHIVE_LIBRARY, #name); \
        complete = false;                                                                \
    }
    LOXEN_ARCHIVE_CALLS(LOXEN_RESOLVE)
#undef LOXEN_RESOLVE
    return complete ? &calls : nullptr;
}

const Calls *Loaded() {
    static const Calls *const calls = Resolve();  // once, whichever thread comes first
    return calls;
}

// Without the library no handle was ever made: every call then fails as on a bad handle.
template <auto Member, typename... Args>
auto Call(Args... args) {
    const Calls *calls = Loaded();
    using Result = decltype((calls->*Member)(args...));
    if (calls != nullptr)
        return (calls->*Member)(args...);
    if constexpr (std::is_pointer_v<Result>)
        return static_cast<Result>(nullptr);
    else if constexpr (!std::is_void_v<Result>)
        return static_cast<Result>(ARCHIVE_FATAL);
}

}  // namespace

extern "C" {

struct archive_entry *archive_entry_clone(struct archive_entry *entry) {
    return Call<&Calls::archive_entry_clone>(entry);
}
__LA_MODE_T archive_entry_filetype(struct archive_entry *entry) {
    return Call<&Calls::archive_entry_filetype>(entry);
}
void archive_entry_free(struct archive_entry *entry) {
    Call<&Calls::archive_entry_free>(entry);
}
const char *archive_entry_hardlink(struct archive_entry *entry) {
    return Call<&Calls::archive_entry_hardlink>(entry);
}
const char *archive_entry_pathname(struct archive_entry *entry) {
    return Call<&Calls::archive_entry_pathname>(entry);
}
void archive_entry_set_hardlink(struct archive_entry *entry, const char *target) {
    Call<&Calls::archive_entry_set_hardlink>(entry, target);
}
void archive_entry_set_pathname(struct archive_entry *entry, const char *path) {
    Call<&Calls::archive_entry_set_pathname>(entry, path);
}
la_int64_t archive_entry_size(struct archive_entry *entry) {
    return Call<&Calls::archive_entry_size>(entry);
}
int archive_errno(struct archive *a) {
    return Call<&Calls::archive_errno>(a);
}
const char *archive_error_string(struct archive *a) {
    return Call<&Calls::archive_error_string>(a);
}
int archive_read_close(struct archive *a) {
    return Call<&Calls::archive_read_close>(a);
}
int archive_read_data_block(struct archive *a, const void **buffer, size_t *size,
                            la_int64_t *offset) {
    return Call<&Calls::archive_read_data_block>(a, buffer, size, offset);
}
int archive_read_data_skip(struct archive *a) {
    return Call<&Calls::archive_read_data_skip>(a);
}
int archive_read_free(struct archive *a) {
    return Call<&Calls::archive_read_free>(a);
}
struct archive *archive_read_new(void) {
    return Call<&Calls::archive_read_new>();
}
int archive_read_next_header(struct archive *a, struct archive_entry **entry) {
    return Call<&Calls::archive_read_next_header>(a, entry);
}
int archive_read_open_filename(struct archive *a, const char *path, size_t block_size) {
    return Call<&Calls::archive_read_open_filename>(a, path, block_size);
}
int archive_read_support_filter_all(struct archive *a) {
    return Call<&Calls::archive_read_support_filter_all>(a);
}
int archive_read_support_format_all(struct archive *a) {
    return Call<&Calls::archive_read_support_format_all>(a);
}
la_ssize_t archive_write_data_block(struct archive *a, const void *buffer, size_t size,
                                    la_int64_t offset) {
    return Call<&Calls::archive_write_data_block>(a, buffer, size, offset);
}
struct archive *archive_write_disk_new(void) {
    return Call<&Calls::archive_write_disk_new>();
}
int archive_write_disk_set_options(struct archive *a, int flags) {
    return Call<&Calls::archive_write_disk_set_options>(a, flags);
}
int archive_write_finish_entry(struct archive *a) {
    return Call<&Calls::archive_write_finish_entry>(a);
}
int archive_write_free(struct archive *a) {
    return Call<&Calls::archive_write_free>(a);
}
int archive_write_header(struct archive *a, struct archive_entry *entry) {
    return Call<&Calls::archive_write_header>(a, entry);
}

}  // extern "C"
