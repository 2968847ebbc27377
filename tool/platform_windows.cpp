#include "tool/platform.h"

#include <cwctype>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

#include <shellapi.h> // needs windows.h first

namespace tavrel {

namespace {

// The name of command-line argument `index` as the user typed it. The ANSI
// argument vector spells characters that the code page lacks by a look-alike
// ("Pokémon" as "Pokemon" in code page 932), which may name another file.
// The wide command line is used where it is the same argument, that is where
// it turns into exactly `argv[index]` in the ANSI code page, as the system
// made `argv` from it; otherwise the ANSI spelling itself.
std::wstring typed_name(char* argv[], int index) {
    std::wstring name;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr && index < count) {
        const std::wstring typed = wide[index];
        const int size =
            WideCharToMultiByte(CP_ACP, 0, typed.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
        if (size > 0 &&
            WideCharToMultiByte(CP_ACP, 0, typed.c_str(), -1, &ansi[0], size, nullptr, nullptr) ==
                size &&
            ansi.c_str() == std::string(argv[index])) {
            name = typed;
        }
    }
    LocalFree(wide);
    if (name.empty()) {
        const int size = MultiByteToWideChar(CP_ACP, 0, argv[index], -1, nullptr, 0);
        if (size > 1) {
            name.resize(static_cast<std::size_t>(size));
            MultiByteToWideChar(CP_ACP, 0, argv[index], -1, &name[0], size);
            name.resize(static_cast<std::size_t>(size - 1));
        }
    }
    return name;
}

// Which file an open handle is: the volume and the 128-bit file ID where the
// file system has them, else the volume serial number and the 64-bit index.
struct file_identity {
    FILE_ID_INFO id{};
    bool has_id = false;
    BY_HANDLE_FILE_INFORMATION info{};
};

bool identify(HANDLE handle, file_identity& identity) {
    identity.has_id =
        GetFileInformationByHandleEx(handle, FileIdInfo, &identity.id, sizeof identity.id) != 0;
    return GetFileInformationByHandle(handle, &identity.info) != 0;
}

bool same_file(const file_identity& a, const file_identity& b) {
    if (a.has_id && b.has_id) {
        return a.id.VolumeSerialNumber == b.id.VolumeSerialNumber &&
               memcmp(&a.id.FileId, &b.id.FileId, sizeof a.id.FileId) == 0;
    }
    return a.info.dwVolumeSerialNumber == b.info.dwVolumeSerialNumber &&
           a.info.nFileIndexHigh == b.info.nFileIndexHigh &&
           a.info.nFileIndexLow == b.info.nFileIndexLow;
}

std::FILE* refuse(HANDLE handle) {
    CloseHandle(handle);
    return nullptr;
}

// Puts C descriptor `fd` on the null device, for reading if it is standard input.
bool put_on_null_device(int fd) {
    const int null_device = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    if (null_device == -1) {
        return false;
    }
    if (null_device == fd) {
        return true;
    }
    const bool moved = _dup2(null_device, fd) == 0;
    _close(null_device);
    return moved;
}

// Console text written into the source or the image would damage it, as in
// `tavrel in.nes out.nes >out.nes`: where standard output is the disk file
// `opened`, or cannot be told apart from it, the console is put on the null
// device, with the text still in its buffer. False if that cannot be done.
bool keep_console_out_of(const file_identity& opened) {
    const HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(1));
    file_identity console_identity;
    return GetFileType(console) != FILE_TYPE_DISK ||
           (identify(console, console_identity) && !same_file(console_identity, opened)) ||
           put_on_null_device(1);
}

// The handle as a C stream, which then owns it.
std::FILE* stream_of(HANDLE handle, int flags, const char* mode) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd == -1) {
        return refuse(handle);
    }
    std::FILE* stream = _fdopen(fd, mode);
    if (stream == nullptr) {
        _close(fd);
    }
    return stream;
}

// True if `full`, a path in the \\?\ form, names a file on a drive or a share.
bool names_a_file(const std::wstring& full) {
    const std::wstring rest = full.substr(4);
    const bool drive = rest.size() >= 3 && iswalpha(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
    return drive || rest.compare(0, 4, L"UNC\\") == 0;
}

} // namespace

bool prepare_process() {
    // A standard handle that is missing leaves its C descriptor free, and the
    // next file opened would take it, console text and all.
    const DWORD standard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    for (int fd = 0; fd <= 2; ++fd) {
        const HANDLE handle = GetStdHandle(standard[fd]);
        const bool usable =
            handle != nullptr && handle != INVALID_HANDLE_VALUE && _get_osfhandle(fd) != -1;
        if (!usable && !put_on_null_device(fd)) {
            return false;
        }
    }
    // A console or pipe whose reader has gone only fails the write here: there
    // is no signal to ignore.
    return true;
}

std::FILE* open_source(char* argv[], int index) {
    const std::wstring name = typed_name(argv, index);
    // Device names (CON, NUL, COM1, \\.\pipe\..., and in the \\?\ form anything
    // but a drive or a share) are refused unopened.
    const DWORD full_size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    std::wstring full(full_size, L'\0');
    if (name.empty() || full_size == 0 ||
        GetFullPathNameW(name.c_str(), full_size, &full[0], nullptr) == 0 ||
        full.compare(0, 4, L"\\\\.\\") == 0 ||
        (full.compare(0, 4, L"\\\\?\\") == 0 && !names_a_file(full))) {
        return nullptr;
    }
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    file_identity identity;
    if (GetFileType(handle) != FILE_TYPE_DISK || !identify(handle, identity) ||
        (identity.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !keep_console_out_of(identity)) {
        return refuse(handle);
    }
    return stream_of(handle, _O_RDONLY, "rb");
}

std::FILE* open_output(char* argv[], int index, std::FILE* source) {
    const std::wstring name = typed_name(argv, index);
    if (name.empty()) {
        return nullptr;
    }
    // Opened without truncating: if this is the source, nothing is lost yet.
    const HANDLE handle =
        CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    // The source is a disk file; a device or pipe cannot be it, nor be emptied.
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        file_identity output_identity;
        file_identity source_identity;
        const HANDLE source_handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(source)));
        if (!identify(handle, output_identity) || !identify(source_handle, source_identity) ||
            same_file(output_identity, source_identity) || !keep_console_out_of(output_identity) ||
            SetEndOfFile(handle) == 0) {
            return refuse(handle);
        }
    }
    return stream_of(handle, _O_WRONLY, "wb");
}

} // namespace tavrel
