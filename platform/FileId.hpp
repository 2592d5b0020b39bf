#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

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

// The entry at a name is the open file `open`: the same file, or a regular
// file that shows the same size and times to the nanosecond, as another view
// of it does (bindfs, an overlay's merged folder seen from its upper one),
// where device and inode differ.
inline bool isViewOf(const FileId& entry, const std::optional<FileId>& open)
{
    return open && (entry == *open || (entry.stamp.regular && entry.stamp == open->stamp));
}

// The identity of what is at `path` itself, nullopt when nothing is there: a
// symbolic link there is not followed, so it never answers for its target
// (nor waits on it). FileId_posix.cpp and FileId_windows.cpp hold the two versions.
std::optional<FileId> entryIdOf(const std::filesystem::path& path);
// The identity of what an open descriptor (a HANDLE on Windows) leads to.
std::optional<FileId> openIdOf(std::intptr_t handle);

} // namespace d88
