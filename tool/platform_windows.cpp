#include "tool/platform.h"

#include <io.h>
#include <windows.h>

namespace tavrel {

namespace {

HANDLE handle_of(std::FILE* file) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

bool identify(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
    return handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info) != 0;
}

} // namespace

// A console or pipe whose reader has gone only fails the write here: there is
// no signal to ignore.
void ignore_lost_console() {}

bool is_disk_file(std::FILE* file) {
    const HANDLE handle = handle_of(file);
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(handle) == FILE_TYPE_DISK && identify(handle, info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool names_same_file(const char* path, std::FILE* file) {
    // Opened for no access at all, only to learn which file the path names.
    const HANDLE named =
        CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION named_info;
    BY_HANDLE_FILE_INFORMATION opened_info;
    const bool same = identify(named, named_info) && identify(handle_of(file), opened_info) &&
                      named_info.dwVolumeSerialNumber == opened_info.dwVolumeSerialNumber &&
                      named_info.nFileIndexHigh == opened_info.nFileIndexHigh &&
                      named_info.nFileIndexLow == opened_info.nFileIndexLow;
    if (named != INVALID_HANDLE_VALUE) {
        CloseHandle(named);
    }
    return same;
}

} // namespace tavrel
