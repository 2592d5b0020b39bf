#include "TrackIndex.hpp"

#include <algorithm>

namespace d88 {

const IndexedRecord* TrackIndex::find(std::uint32_t identity) const
{
    const auto found = std::find_if(records.begin(), records.end(),
                                    [identity](const IndexedRecord& record) { return record.identity == identity; });
    return found == records.end() ? nullptr : &*found;
}

const TrackIndex* TrackIndexCache::find(std::uint64_t start)
{
    const auto found = walks_.find(start);
    if (found == walks_.end())
        return nullptr;
    found->second.lastUse = ++clock_;
    return &found->second.index;
}

const TrackIndex& TrackIndexCache::insert(std::uint64_t start, TrackIndex index)
{
    const std::size_t size = index.records.size();
    while (!walks_.empty() && held_ + size > budget_) {
        const auto oldest = std::min_element(walks_.begin(), walks_.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
        held_ -= oldest->second.index.records.size();
        walks_.erase(oldest);
    }
    held_ += size;
    Entry& entry = walks_[start];
    entry.index = std::move(index);
    entry.lastUse = ++clock_;
    return entry.index;
}

void TrackIndexCache::clear()
{
    walks_.clear();
    held_ = 0;
    clock_ = 0;
}

} // namespace d88
