#pragma once

#include <cstdint>
#include <vector>

#include "image/ImageStream.hpp"
#include "image/RecordMemo.hpp"
#include "image/SectorHeader.hpp"
#include "image/WalkLimits.hpp"

namespace d88 {

// Reads record headers for the walks and counts what it reads from the file.
// A pass asks in position order and is answered from the memo where an
// earlier pass read the same header; what it reads itself goes to the memo
// when it ends.
class HeaderReader {
public:
    HeaderReader(ImageStream& stream, const WalkLimits& limits)
        : stream_(stream), memo_(limits.memoBudget), logReads_(limits.logReads)
    {
    }

    // Reads the header at `position` from the file; false where it does not hold one.
    bool read(std::uint64_t position, SectorHeader& header);

    // A pass that keeps what it reads for the passes after it, or not.
    void beginPass(bool keep);
    // Within a pass, in non-decreasing position order.
    bool readInPass(std::uint64_t position, SectorHeader& header);
    void endPass();

    void clear();
    // Record headers read from the file since construction.
    std::uint64_t headersRead() const { return headersRead_; }
    // With WalkLimits::logReads, the positions passes read from the file, in order.
    const std::vector<std::uint64_t>& passReads() const { return passReads_; }

private:
    ImageStream& stream_;
    RecordMemo memo_;
    bool logReads_;
    bool keep_ = false;
    std::uint64_t headersRead_ = 0;
    std::vector<std::uint64_t> passReads_;
    std::vector<RecordMemo::Entry> fresh_;
    std::vector<std::uint64_t> freshUnreadable_;
};

} // namespace d88
