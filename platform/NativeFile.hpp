#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

#include "platform/ByteSource.hpp"
#include "platform/FileId.hpp"

namespace d88 {

// A regular file opened read-only, read by absolute position with no shared
// file position and no library buffering: how the programs read an image.
// NativeFile_posix.cpp and NativeFile_windows.cpp hold the two versions.
class NativeFile : public ByteSource {
public:
    NativeFile() = default;
    ~NativeFile() override { close(); }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    // Fails, saying why, for anything that is not a readable regular file (a
    // folder, a FIFO). Paths are UTF-8 on Windows (the programs take their
    // command line as UTF-16), the system's own bytes elsewhere.
    [[nodiscard]] std::error_code open(const char* path);
    void close();
    bool isOpen() const { return handle_ != closedHandle; }
    // Identity of the open file as it is now; nullopt when closed.
    std::optional<FileId> id() const override { return isOpen() ? openIdOf(handle_) : std::nullopt; }
    // The file's size now; 0 when closed or when the system cannot say.
    std::uint64_t size() const override;
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const override;

private:
    static constexpr std::intptr_t closedHandle = -1;
    std::intptr_t handle_ = closedHandle; // a descriptor, or a HANDLE on Windows
};

} // namespace d88
