#include "TrackIndex.hpp"

#include <algorithm>

namespace d88 {

void TrackIndex::order()
{
    byIdentity_.resize(records_.size());
    for (std::uint32_t i = 0; i < byIdentity_.size(); ++i)
        byIdentity_[i] = i;
    // Stable, so among equal identities the first in walk order comes first.
    std::stable_sort(byIdentity_.begin(), byIdentity_.end(), [this](std::uint32_t a, std::uint32_t b) {
        return records_[a].identity < records_[b].identity;
    });
}

const IndexedRecord* TrackIndex::find(std::uint32_t identity)
{
    if (byIdentity_.empty() && records_.size() > scannedWalk && ++scans_ > scansBeforeOrder)
        order();
    if (byIdentity_.empty()) {
        const auto found = std::find_if(records_.begin(), records_.end(),
                                        [identity](const IndexedRecord& record) { return record.identity == identity; });
        return found == records_.end() ? nullptr : &*found;
    }
    const auto found = std::lower_bound(byIdentity_.begin(), byIdentity_.end(), identity,
                                        [this](std::uint32_t at, std::uint32_t sought) {
                                            return records_[at].identity < sought;
                                        });
    if (found == byIdentity_.end() || records_[*found].identity != identity)
        return nullptr;
    return &records_[*found];
}

TrackIndex* TrackIndexCache::find(std::uint64_t start)
{
    const auto found = walks_.find(start);
    if (found == walks_.end())
        return nullptr;
    found->second.lastUse = ++clock_;
    return &found->second.index;
}

TrackIndex& TrackIndexCache::insert(std::uint64_t start, TrackIndex index)
{
    const std::size_t size = index.size();
    while (!walks_.empty() && held_ + size > budget_) {
        const auto oldest = std::min_element(walks_.begin(), walks_.end(), [](const auto& a, const auto& b) {
            return a.second.lastUse < b.second.lastUse;
        });
        held_ -= oldest->second.index.size();
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
