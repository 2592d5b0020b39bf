#include "platform/FileId.hpp"

#include "platform/StatId.hpp"

namespace d88 {
namespace {

std::int64_t nanoseconds(const struct timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

FileId idOf(const struct stat& status)
{
    return FileId{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                  FileStamp{S_ISREG(status.st_mode), static_cast<std::uint64_t>(status.st_size),
                            nanoseconds(status.st_mtim), nanoseconds(status.st_ctim)}};
}

std::optional<FileId> entryIdOf(const std::filesystem::path& path)
{
    struct stat status { };
    if (::lstat(path.c_str(), &status) != 0)
        return std::nullopt;
    return idOf(status);
}

std::optional<FileId> openIdOf(std::intptr_t handle)
{
    struct stat status { };
    if (::fstat(static_cast<int>(handle), &status) != 0)
        return std::nullopt;
    return idOf(status);
}

} // namespace d88
