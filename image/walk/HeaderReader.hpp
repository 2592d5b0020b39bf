#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/ImageStream.hpp"
#include "image/SectorHeader.hpp"
namespace d88 {

// A track's sector count is 16 bits wide, so no track describes more records;
// a walk stops there whatever a damaged image chains.
inline constexpr std::uint32_t maxWalkRecords = 65535;

// The reader's thresholds. Tests and the fuzz target set the memo tiny, so
// that what only large images reach runs on small ones too.
struct WalkLimits {
    // Record headers kept for the later passes over the same image (16 bytes
    // each, 8 MiB): a header they hold is never read from the file again.
    std::size_t memoBudget = std::size_t{1} << 19;
    // Log the position of every header a pass reads from the file.
    bool logReads = false;
};

// Reads record headers for the walks and counts what it reads from the file.
// A pass asks in position order and is answered from the memo where an
// earlier pass read the same header; what a pass that more passes follow
// reads itself joins the memo, while the budget lasts, when it ends.
class HeaderReader {
public:
    HeaderReader(ImageStream& stream, const WalkLimits& limits)
        : stream_(stream), budget_(limits.memoBudget), logReads_(limits.logReads)
    {
    }

    // Reads the header at `position` from the file; false where it does not hold one.
    bool read(std::uint64_t position, SectorHeader& header);

    // A walk from a track's first record read as it goes: what a read no pass
    // prepared costs. `visit` takes each record's position and header until it
    // returns false; the walk also ends where no header can be read, after the
    // record whose count - 1 is its position in the walk, or after
    // maxWalkRecords records.
    template <class Visit> void walkTrack(std::uint64_t start, Visit&& visit)
    {
        SectorHeader header;
        std::uint64_t position = start;
        for (std::uint32_t i = 0;
             i < maxWalkRecords && read(position, header) && visit(position, header) && i + 1 != header.sectorCount;
             ++i)
            position += SectorHeader::size + header.dataLength;
    }
    // Within a pass, in non-decreasing position order.
    void beginPass(bool keep)
    {
        keep_ = keep;
        passFileSize_ = stream_.fileSize();
    }
    bool readInPass(std::uint64_t position, SectorHeader& header);
    void endPass();

    void clear();
    // Record headers read from the file since construction.
    std::uint64_t headersRead() const { return headersRead_; }
    // With WalkLimits::logReads, the positions passes read from the file, in order.
    const std::vector<std::uint64_t>& passReads() const { return passReads_; }

private:
    struct Entry {
        std::uint64_t position;
        SectorHeader header;
    };

    ImageStream& stream_;
    std::size_t budget_;
    bool logReads_;
    std::uint64_t headersRead_ = 0;
    std::vector<std::uint64_t> passReads_;
    std::vector<Entry> memo_;  // by position
    std::size_t memoNext_ = 0; // the first entry the pass has not gone past
    std::vector<Entry> fresh_; // what this pass read, by position
    std::uint64_t passFileSize_ = 0;
    bool keep_ = false;
};

} // namespace d88
