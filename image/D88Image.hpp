#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/DiskHeader.hpp"
#include "image/ImageStream.hpp"
#include "image/SectorAddress.hpp"
#include "image/SectorHeader.hpp"
#include "image/walk/HeaderReader.hpp"
#include "image/walk/WalkAnswers.hpp"
#include "image/walk/WalkPlan.hpp"

namespace d88 {

// The one access to a D88 file: indexes its disks, selects one, and finds
// sectors in the selected disk's tracks by their identity (C, H, R, N).
// Every outcome is a return value; nothing here prints or throws.
//
// A read walks its track from the first record. A program that knows its
// reads beforehand plans them (plan*) and prepares the plan: passes over the
// file in file order then answer them all, and the reads it covers read no
// header.
class D88Image {
public:
    static constexpr std::int32_t maxDisks = 64;
    static constexpr std::int32_t trackCount = static_cast<std::int32_t>(DiskHeader::trackCount);
    static constexpr std::int32_t largestSizeCode = 23; // 128 << 23 still fits in 32 bits
    static constexpr std::uint32_t maxRecordsPerWalk = maxWalkRecords;

    D88Image() : D88Image(WalkLimits{}) { }
    // Smaller limits make the passes' edges reachable in tests.
    explicit D88Image(const WalkLimits& limits) : headers_(stream_, limits) { }

    // With a path: opens and indexes the file; the error says why it cannot
    // be opened (the system's reason, or not a regular file). With nullptr:
    // closes the image.
    [[nodiscard]] std::error_code open(const char* path);
    // Indexes bytes in memory as an image, which the caller keeps alive while
    // the image is open (the tests and fuzz targets read images so).
    void open(std::span<const std::uint8_t> bytes);
    // Forgets everything of the last image: its disks, selection and answers.
    void close();
    std::int32_t diskCount() const { return diskCount_; }
    // True when a whole disk header follows the last of the maxDisks indexed.
    bool moreDisksFollow() const { return moreDisks_; }
    [[nodiscard]] bool selectDisk(std::int32_t index);
    const char* diskName() const { return diskName_.data(); }
    std::int32_t mediaType() const { return mediaType_; }
    void setSectorRange(std::int32_t first, std::int32_t last);

    // Bytes placed at the start of `buffer` (at most its size); 0 when the
    // sector is not found on the address's track.
    [[nodiscard]] std::int32_t readSector(const SectorAddress& at, std::span<std::uint8_t> buffer);
    // Where the record readSector(at) reads lies in the file: its data's
    // position and length. nullopt where readSector finds no sector.
    [[nodiscard]] std::optional<FoundRecord> locateSector(const SectorAddress& at);
    // Writes C, H, R, N of each record of the track; returns the bytes written.
    [[nodiscard]] std::int32_t listSectorIds(std::int32_t track, std::span<std::uint8_t> buffer);

    // Where an extent stopped short: the address of the read that did not
    // deliver its whole request, what it placed and what it asked for.
    struct Shortfall {
        std::int32_t track, c, h, r;
        std::int32_t placed;
        std::int32_t requested;
    };
    // Fills `buffer` with a run of consecutive sectors from `start` across
    // tracks; returns the bytes read in full. `stop`, when given, receives
    // where a short extent stopped; `read`, the address of every sector that
    // delivered its whole request, in order.
    [[nodiscard]] std::int32_t readExtent(const SectorAddress& start, std::span<std::uint8_t> buffer,
                                          Shortfall* stop = nullptr, std::vector<SectorAddress>* read = nullptr);

    // Where each indexed disk starts in the file (0 for an index out of range).
    std::uint64_t diskOffset(std::int32_t index) const;
    // The selected disk's size field; 0 when no disk is selected.
    std::uint32_t selectedDiskSize() const { return selectedDiskSize_; }
    bool trackPresent(std::int32_t track) const { return trackStart(track).has_value(); }
    // The sector count of the track's first record; nullopt where its header
    // cannot be read. A count of 0 means no sector of the track can be found.
    std::optional<std::uint16_t> firstRecordCount(std::int32_t track);
    // Adds to `plan` the walk readSector(at), listSectorIds(track, a buffer of
    // `capacity` bytes) or readExtent(start, a buffer of `length` bytes) makes
    // on the selected disk; nothing where it would read nothing. An extent's
    // sectors are planned each after the one before, as readExtent stops at
    // the first that is missing or short.
    void planSector(WalkPlan& plan, const SectorAddress& at) const;
    void planListing(WalkPlan& plan, std::int32_t track, std::size_t capacity) const;
    void planExtent(WalkPlan& plan, const SectorAddress& start, std::size_t length) const;
    // Answers the walks of `plan` in one pass over the file; the reads of
    // these walks, on any disk selected later, are then answered from it.
    // Where more passes follow, the headers it reads are kept for them.
    enum class LaterPasses : std::uint8_t { none, follow };
    void prepare(const WalkPlan& plan, LaterPasses later = LaterPasses::none);

    // Record headers read from the file, for tests and benchmarks.
    std::uint64_t headersRead() const { return headers_.headersRead(); }
    // With WalkLimits::logReads, where the passes read headers from the file, in order.
    const std::vector<std::uint64_t>& passReads() const { return headers_.passReads(); }
    // Which file is open, so that nothing is ever written over it.
    std::optional<FileId> fileId() const { return stream_.fileId(); }
    // The open file's size and first bytes, to tell a person what else it may be.
    std::uint64_t fileSize() const { return stream_.fileSize(); }
    std::size_t readHead(std::span<std::uint8_t> head) { return stream_.readAt(0, head.data(), head.size()); }

private:
    void indexDisks();
    void clearSelection();
    std::optional<std::uint64_t> trackStart(std::int32_t track) const;
    template <class Visit>
    std::int32_t stepExtent(const SectorAddress& start, std::int32_t length, Visit&& visit) const;

    ImageStream stream_;
    HeaderReader headers_;
    WalkAnswers answers_;
    std::int32_t diskCount_ = 0;
    bool moreDisks_ = false;
    std::int32_t firstSector_ = 1;
    std::int32_t lastSector_ = 16;
    std::array<std::uint64_t, maxDisks> diskOffsets_{};
    std::uint32_t selectedDiskSize_ = 0;
    std::int64_t selectedDiskOffset_ = 0;
    std::array<std::uint32_t, DiskHeader::trackCount> trackTable_{};
    std::int32_t mediaType_ = -1;
    std::array<char, DiskHeader::nameLength + 1> diskName_{};
};

} // namespace d88
