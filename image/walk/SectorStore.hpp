#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

#include "image/ImageStream.hpp"

namespace d88 {

// The data of the sectors a pass finds, read while the pass stands on their
// records, in file order, so that the reads the programs then make in their
// own order copy from memory and the file is read in a few long stretches.
// Holds at most `budget` bytes; a sector past it is read from the file when
// asked for.
class SectorStore {
public:
    explicit SectorStore(std::size_t budget) : budget_(budget) { }

    // Reads and keeps the first `count` bytes of data at `position`.
    void keep(ImageStream& stream, std::uint64_t position, std::size_t count);
    // Copies the first `count` bytes of data at `position`, if held; returns
    // how many bytes the file holds there, or nullopt when it has to be read.
    std::optional<std::size_t> copy(std::uint64_t position, std::size_t count, std::uint8_t* destination) const;

private:
    struct Held {
        std::size_t offset;
        std::size_t count; // bytes kept
        bool fileEnds;     // fewer than asked for arrived: the file ends there
    };

    std::size_t budget_;
    std::unique_ptr<std::uint8_t[]> bytes_; // the budget, taken at the first sector kept
    std::size_t used_ = 0;
    std::unordered_map<std::uint64_t, Held> held_;
};

} // namespace d88
