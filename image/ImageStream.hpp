#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "platform/NativeFile.hpp"

namespace d88 {

// Read-only access to the image by absolute position, from a file or from
// bytes in memory. Every read says how
// many bytes it really got, so nothing past the end of the file is ever used.
//
// Walking a track reads small headers one after another, so one window of the
// file is kept: reads inside it are plain copies, and a read that misses it
// fills it from that position. Larger reads go straight to the file. A fill
// reads little (smallFill) unless the reads run on just past the last fill,
// when each fill reads twice as much up to the whole window, or go back a
// little before it, when it reads the whole window: a dense chain of records
// costs few system calls, a track walked again costs none, and a header far
// from the last costs one small read. A file of at most wholeFile bytes, as
// every real image is, is read whole at the first miss instead, since the
// programs read sectors in catalogue order, not file order. Memory stays the
// size of the window whatever the image holds.
class ImageStream {
public:
    static constexpr std::size_t windowSize = std::size_t{64} * 1024;
    static constexpr std::size_t smallFill = 4096;
    static constexpr std::size_t wholeFile = std::size_t{2} << 20;

    [[nodiscard]] std::error_code open(const char* path);
    // Bytes in memory, which the caller keeps alive while they are read.
    void open(std::span<const std::uint8_t> bytes);
    void close();
    bool isOpen() const { return source_ != nullptr; }
    std::optional<FileId> fileId() const { return source_ != nullptr ? source_->id() : std::nullopt; }
    std::uint64_t fileSize() const { return source_ != nullptr ? source_->size() : 0; }

    // Copies up to `count` bytes starting at `position`; returns how many arrived.
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count)
    {
        if (!inWindow(position, count))
            return readMissed(position, destination, count);
        std::memcpy(destination, window_.get() + (position - windowStart_), count);
        return count;
    }

    // The `count` bytes at `position` where they lie in the window, with no
    // copy; nullptr when the file does not hold them all. `count` is at most
    // smallFill.
    const std::uint8_t* view(std::uint64_t position, std::size_t count)
    {
        if (!inWindow(position, count))
            fill(position);
        return inWindow(position, count) ? window_.get() + (position - windowStart_) : nullptr;
    }

private:
    void sizeWindow();
    bool inWindow(std::uint64_t position, std::size_t count) const
    {
        return position >= windowStart_ && position - windowStart_ <= windowLength_ &&
            count <= windowLength_ - (position - windowStart_);
    }
    void fill(std::uint64_t position);
    std::size_t readMissed(std::uint64_t position, std::uint8_t* destination, std::size_t count);

    NativeFile file_;
    MemoryBytes memory_;
    const ByteSource* source_ = nullptr;     // the one of the two that is open
    std::unique_ptr<std::uint8_t[]> window_; // not cleared: only what a read placed is used
    std::size_t windowCapacity_ = 0;
    std::uint64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    std::size_t fillSize_ = smallFill;
};

} // namespace d88
