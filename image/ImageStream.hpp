#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "NativeFile.hpp"

namespace d88 {

// Read-only access to the image file by absolute position. Every read says how
// many bytes it really got, so nothing past the end of the file is ever used.
//
// Walking a track reads small headers one after another, so one small window
// of the file is kept: reads inside it are plain copies, and a read that
// misses it fills it from that position. Larger reads go straight to the
// file. Memory stays the size of the window whatever the image holds, and a
// header far from the last costs one small read, not a large block.
class ImageStream {
public:
    static constexpr std::size_t windowSize = 4096;

    [[nodiscard]] bool open(const char* path);
    void close();
    bool isOpen() const { return file_.isOpen(); }
    std::optional<FileId> fileId() const { return file_.id(); }

    // Copies up to `count` bytes starting at `position`; returns how many arrived.
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count)
    {
        if (position >= windowStart_ && position - windowStart_ <= windowLength_ &&
            count <= windowLength_ - (position - windowStart_)) {
            std::memcpy(destination, window_.data() + (position - windowStart_), count);
            return count;
        }
        return readMissed(position, destination, count);
    }

private:
    std::size_t readMissed(std::uint64_t position, std::uint8_t* destination, std::size_t count);

    NativeFile file_;
    std::array<std::uint8_t, windowSize> window_{};
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
};

} // namespace d88
