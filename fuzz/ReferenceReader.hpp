#pragma once

// A second, deliberately plain reading of a D88 file held in memory: the fuzz
// targets compare every answer of D88Image with it, so a read that reaches
// outside the file or returns other bytes is caught, not only a crash.
// It re-implements the walk on purpose, sharing no code with the reader, so
// that a mistake in the reader cannot hide in both.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace d88::fuzz {

class ReferenceReader {
public:
    explicit ReferenceReader(std::span<const std::uint8_t> file) : file_(file)
    {
        std::uint64_t offset = 0;
        while (offsets_.size() < 64) {
            if (offset > file_.size() || file_.size() - offset < 0x2B0)
                break;
            offsets_.push_back(offset);
            offset += u32(offset + 0x1C);
        }
    }

    std::size_t diskCount() const { return offsets_.size(); }
    std::uint64_t diskOffset(std::size_t disk) const { return offsets_[disk]; }

    void select(std::size_t disk)
    {
        disk_ = offsets_[disk];
        size_ = u32(disk_ + 0x1C);
    }

    std::int32_t readSector(int track, int c, int h, int r, int n, std::uint8_t* out, std::int32_t capacity) const
    {
        std::uint64_t at = 0;
        walked_.clear();
        if (capacity < 0 || !trackStart(track, at))
            return 0;
        for (std::uint64_t i = 0; i < maxWalk; ++i) {
            ++headersRead_;
            walked_.push_back(at);
            if (!has(at, 16))
                return 0;
            const std::uint32_t count = u16(at + 4);
            const std::uint32_t length = u16(at + 14);
            if (count == 0)
                return 0;
            if (file_[at] == c && file_[at + 1] == h && file_[at + 2] == r && file_[at + 3] == n) {
                const std::uint64_t wanted = std::min<std::uint64_t>(length, static_cast<std::uint64_t>(capacity));
                const std::uint64_t present =
                    has(at + 16, 0) ? std::min<std::uint64_t>(wanted, file_.size() - (at + 16)) : 0;
                std::copy_n(file_.begin() + static_cast<std::ptrdiff_t>(at + 16), present, out);
                return static_cast<std::int32_t>(present);
            }
            at += 16 + length;
            if (i + 1 == count)
                return 0;
        }
        return 0;
    }

    std::vector<std::uint8_t> listSectorIds(int track, std::int32_t capacity) const
    {
        std::vector<std::uint8_t> ids;
        std::uint64_t at = 0;
        if (!trackStart(track, at))
            return ids;
        for (std::uint64_t i = 0; i < maxWalk && static_cast<std::int64_t>(ids.size()) + 4 <= capacity; ++i) {
            ++headersRead_;
            if (!has(at, 16))
                break;
            ids.insert(ids.end(), file_.begin() + static_cast<std::ptrdiff_t>(at),
                       file_.begin() + static_cast<std::ptrdiff_t>(at + 4));
            const std::uint32_t count = u16(at + 4);
            at += 16 + u16(at + 14);
            if (i + 1 == count)
                break;
        }
        return ids;
    }

    // Where track `track` of the selected disk starts; nullopt when it is absent.
    std::optional<std::uint64_t> trackOffset(int track) const
    {
        std::uint64_t at = 0;
        return trackStart(track, at) ? std::optional(at) : std::nullopt;
    }
    // The sector count of the track's first record; nullopt where it cannot be read.
    std::optional<std::uint32_t> firstCount(int track) const
    {
        std::uint64_t at = 0;
        return trackStart(track, at) && has(at, 16) ? std::optional(u16(at + 4)) : std::nullopt;
    }
    // Headers the plain walks have tried to read, the one that ends a walk
    // where the file does not hold it included.
    std::uint64_t headersRead() const { return headersRead_; }
    // Where the last readSector tried to read headers, in walk order.
    const std::vector<std::uint64_t>& lastWalk() const { return walked_; }

private:
    static constexpr std::uint64_t maxWalk = 65535; // the most records one track can count

    bool has(std::uint64_t at, std::uint64_t count) const { return at <= file_.size() && file_.size() - at >= count; }
    std::uint32_t u16(std::uint64_t at) const { return file_[at] | (file_[at + 1] << 8); }
    std::uint32_t u32(std::uint64_t at) const { return u16(at) | (u16(at + 2) << 16); }
    bool trackStart(int track, std::uint64_t& at) const
    {
        if (track < 0 || track >= 164)
            return false;
        const std::uint32_t entry = u32(disk_ + 0x20 + 4 * static_cast<std::uint64_t>(track));
        if (entry == 0 || entry > size_)
            return false;
        at = disk_ + entry;
        return true;
    }

    std::span<const std::uint8_t> file_;
    std::vector<std::uint64_t> offsets_;
    std::uint64_t disk_ = 0;
    std::uint32_t size_ = 0;
    mutable std::uint64_t headersRead_ = 0;
    mutable std::vector<std::uint64_t> walked_;
};

} // namespace d88::fuzz
