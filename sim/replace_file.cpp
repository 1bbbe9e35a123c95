#include "replace_file.h"

#include "owned_file.h"

#include <climits>

namespace {

// The temporary file from creation until it replaces the target: closed and
// deleted when it goes out of scope without having been moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (file_) {
            file_.reset();
            DeleteFileW(path_.c_str());
        }
    }

    DWORD create()
    {
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return GetLastError();
        }
        file_.reset(file);
        return ERROR_SUCCESS;
    }

    DWORD write(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const DWORD chunk = bytes.size() > INT_MAX ? INT_MAX : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr)) {
                return GetLastError();
            }
            bytes.remove_prefix(written);
        }
        return FlushFileBuffers(file_.get()) ? ERROR_SUCCESS : GetLastError();
    }

    DWORD moveOver(const std::wstring& target)
    {
        // Closed first: a file still open for writing cannot be renamed.
        file_.reset();
        if (!MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = GetLastError();
            DeleteFileW(path_.c_str());
            return error;
        }
        return ERROR_SUCCESS;
    }

private:
    std::wstring path_;
    OwnedFile file_;
};

} // namespace

DWORD replaceFile(const std::wstring& path, std::string_view bytes)
{
    TemporaryFile temporary(path + L".tmp");
    DWORD result = temporary.create();
    if (result == ERROR_SUCCESS) {
        result = temporary.write(bytes);
    }
    if (result == ERROR_SUCCESS) {
        result = temporary.moveOver(path);
    }
    return result;
}
