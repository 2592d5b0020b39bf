#include "image/RecordMemo.hpp"

#include <algorithm>

namespace d88 {

template <class T, class PositionOf>
bool RecordMemo::holds(const std::vector<T>& sorted, Cursor& cursor, std::uint64_t position, PositionOf positionOf)
{
    if (position < cursor.asked) // out of order: search from the beginning again
        cursor.next = static_cast<std::size_t>(
            std::lower_bound(sorted.begin(), sorted.end(), position,
                             [&](const T& item, std::uint64_t sought) { return positionOf(item) < sought; }) -
            sorted.begin());
    cursor.asked = position;
    while (cursor.next < sorted.size() && positionOf(sorted[cursor.next]) < position)
        ++cursor.next;
    return cursor.next < sorted.size() && positionOf(sorted[cursor.next]) == position;
}

RecordMemo::Known RecordMemo::find(std::uint64_t position, SectorHeader& header)
{
    if (holds(records_, recordCursor_, position, [](const Entry& entry) { return entry.position; })) {
        header = records_[recordCursor_.next].header;
        return Known::record;
    }
    if (holds(unreadable_, unreadableCursor_, position, [](std::uint64_t at) { return at; }))
        return Known::unreadable;
    return Known::no;
}

void RecordMemo::keep(std::vector<Entry> records, std::vector<std::uint64_t> unreadable)
{
    const auto merge = [this](auto& into, auto& from, auto less) {
        from.resize(std::min(room(), from.size()));
        if (into.empty()) { // the first pass's: taken over, not copied
            into = std::move(from);
            return;
        }
        const auto middle = static_cast<std::ptrdiff_t>(into.size());
        into.insert(into.end(), from.begin(), from.end());
        std::inplace_merge(into.begin(), into.begin() + middle, into.end(), less);
    };
    merge(records_, records, [](const Entry& a, const Entry& b) { return a.position < b.position; });
    merge(unreadable_, unreadable, std::less<>());
    recordCursor_ = {};
    unreadableCursor_ = {};
}

void RecordMemo::clear()
{
    records_.clear();
    unreadable_.clear();
    recordCursor_ = {};
    unreadableCursor_ = {};
}

} // namespace d88
