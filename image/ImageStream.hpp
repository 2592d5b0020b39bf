#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <unordered_map>

namespace d88 {

// Read-only access to the image file by absolute position. Every read says how
// many bytes it really got, so nothing past the end of the file is ever used.
//
// Lookups walk a track's records from its start every time, so the same bytes
// are read again and again. The file is therefore kept in blocks loaded on
// first use and held for the run, up to a limit; a read inside the block last
// used is a plain copy, with no library call and no system call.
class ImageStream {
public:
    static constexpr std::size_t blockSize = 64 * 1024;
    static constexpr std::size_t defaultCacheLimit = 256 * 1024 * 1024;

    explicit ImageStream(std::size_t cacheLimit = defaultCacheLimit) : cacheLimit_(cacheLimit) {}

    // Fails for anything that is not a readable regular file (a folder, say).
    bool open(const char* path);
    void close();
    bool isOpen() const { return file_.is_open(); }

    // Copies up to `count` bytes starting at `position`; returns how many arrived.
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count)
    {
        if (position >= recentStart_ && position - recentStart_ <= recentLength_ &&
            count <= recentLength_ - (position - recentStart_)) {
            std::memcpy(destination, recentData_ + (position - recentStart_), count);
            return count;
        }
        return readThroughBlocks(position, destination, count);
    }

private:
    struct Block {
        std::unique_ptr<std::uint8_t[]> data;
        std::size_t length = 0; // short only at the end of the file
    };

    std::size_t readThroughBlocks(std::uint64_t position, std::uint8_t* destination, std::size_t count);
    const Block* block(std::uint64_t index);
    void forgetRecent();

    std::size_t cacheLimit_;
    std::ifstream file_;
    std::unordered_map<std::uint64_t, Block> blocks_;
    std::deque<std::uint64_t> loadOrder_; // oldest first, for eviction past the limit
    std::size_t cached_ = 0;
    // The block last used: its file position, data and length.
    std::uint64_t recentStart_ = 0;
    const std::uint8_t* recentData_ = nullptr;
    std::size_t recentLength_ = 0;
};

} // namespace d88
