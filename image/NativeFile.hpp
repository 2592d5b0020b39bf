#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

namespace d88 {

// What every view of a file shows alike (a bind mount seen through FUSE, an
// overlay's merged folder and its upper one), where device and inode differ.
struct FileStamp {
    bool regular = false;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970
    std::int64_t changed = 0;  // the last change of data or metadata (Windows: its ChangeTime), nanoseconds
    bool operator==(const FileStamp&) const = default;
};

// Which file a name or an open handle leads to: equal ids are the same file,
// whatever names, hard links or symbolic links lead there. The stamp is as
// the file was when the id was taken.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    FileStamp stamp;
    bool operator==(const FileId& other) const { return device == other.device && inode == other.inode; }
};

// The identity of what is at `path` itself, nullopt when nothing is there: a
// symbolic link there is not followed, so it never answers for its target
// (nor waits on it). Paths are UTF-8 on Windows (the programs take their
// command line as UTF-16), the system's own bytes elsewhere.
std::optional<FileId> entryIdOf(const char* path);
// The identity of what an open descriptor (a HANDLE on Windows) leads to.
std::optional<FileId> openIdOf(std::intptr_t handle);

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
    // Identity of the open file as it is now; nullopt when closed.
    std::optional<FileId> id() const { return isOpen() ? openIdOf(handle_) : std::nullopt; }
    // The file's size now; 0 when closed or when the system cannot say.
    std::uint64_t size() const;

    // Copies up to `count` bytes from `position`; returns how many arrived
    // (fewer only at the end of the file or on a read error).
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const;

private:
    static constexpr std::intptr_t closedHandle = -1;
    std::intptr_t handle_ = closedHandle; // a descriptor, or a HANDLE on Windows
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
