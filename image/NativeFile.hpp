#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

namespace d88 {

// Which file a name or an open handle leads to: equal ids are the same file,
// whatever names, hard links or symbolic links lead there.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// The identity of what is at `path` itself, nullopt when nothing is there: a
// symbolic link there is not followed, so it never answers for its target
// (nor waits on it). Paths are UTF-8 on Windows (the programs take their
// command line as UTF-16), the system's own bytes elsewhere.
std::optional<FileId> entryIdOf(const char* path);

// A regular file opened read-only, read by absolute position with no shared
// file position and no library buffering. This is the one place the image
// side touches the operating system; NativeFile_posix.cpp and
// NativeFile_windows.cpp hold the two versions.
class NativeFile {
public:
    NativeFile() = default;
    ~NativeFile() { close(); }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Fails for anything that is not a readable regular file (a folder, a
    // FIFO); openError() then says why.
    [[nodiscard]] bool open(const char* path);
    std::error_code openError() const { return openError_; }
    void close();
    bool isOpen() const { return handle_ != closedHandle; }
    // Identity of the open file, taken when it was opened; nullopt when closed.
    std::optional<FileId> id() const { return id_; }
    // The file's size now; 0 when closed or when the system cannot say.
    std::uint64_t size() const;

    // Copies up to `count` bytes from `position`; returns how many arrived
    // (fewer only at the end of the file or on a read error).
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const;

private:
    static constexpr std::intptr_t closedHandle = -1;
    std::intptr_t handle_ = closedHandle; // a descriptor, or a HANDLE on Windows
    std::optional<FileId> id_;
    std::error_code openError_;
};

// Why an image is refused where the system itself has no reason.
enum class OpenError {
    notRegularFile = 1,
};
std::error_code make_error_code(OpenError error);

} // namespace d88

template <> struct std::is_error_code_enum<d88::OpenError> : std::true_type {
};
