#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/SectorHeader.hpp"

namespace d88 {

// Record headers that earlier passes over the image read, for the later
// passes: a header the budget holds is never read from the file again.
// Kept in position order, as a pass asks for them, so a lookup goes on from
// where the last one ended.
class RecordMemo {
public:
    explicit RecordMemo(std::size_t budget) : budget_(budget) { }

    enum class Known : std::uint8_t { no, record, unreadable };
    struct Entry {
        std::uint64_t position;
        SectorHeader header;
    };

    // What is known at `position`; sets `header` for a record. Cheapest when
    // positions come in order, as a pass asks them.
    Known find(std::uint64_t position, SectorHeader& header);
    // Headers a pass read, in position order, and positions where none could
    // be read; kept while the budget lasts, the first positions first.
    void keep(std::vector<Entry> records, std::vector<std::uint64_t> unreadable);
    // Entries the budget still takes.
    std::size_t room() const { return budget_ - std::min(budget_, records_.size() + unreadable_.size()); }
    void clear();

private:
    struct Cursor {
        std::size_t next = 0;
        std::uint64_t asked = 0;
    };
    template <class T, class PositionOf>
    static bool holds(const std::vector<T>& sorted, Cursor& cursor, std::uint64_t position, PositionOf positionOf);

    std::size_t budget_;
    std::vector<Entry> records_;
    std::vector<std::uint64_t> unreadable_;
    Cursor recordCursor_;
    Cursor unreadableCursor_;
};

} // namespace d88
