#include "image/WalkAnswers.hpp"

#include <algorithm>

namespace d88 {
namespace {

bool before(const WalkAnswers::Search& a, const WalkAnswers::Search& b)
{
    return a.start < b.start || (a.start == b.start && a.identity < b.identity);
}

} // namespace

const WalkAnswers::Search* WalkAnswers::search(std::uint64_t start, std::uint32_t identity) const
{
    const Search sought{start, 0, identity, 0, false};
    const auto found = std::lower_bound(searches_.begin(), searches_.end(), sought, before);
    return found != searches_.end() && !before(sought, *found) ? &*found : nullptr;
}

const WalkAnswers::Listing* WalkAnswers::listing(std::uint64_t start, std::uint32_t limit) const
{
    const auto found = listings_.find(start);
    if (found == listings_.end())
        return nullptr;
    // A listing that ended before its limit is the whole listing from there.
    const Listing& listed = found->second;
    return limit <= listed.limit || listed.identities.size() < listed.limit ? &listed : nullptr;
}

void WalkAnswers::add(std::vector<Search> searches)
{
    std::sort(searches.begin(), searches.end(), before);
    const auto middle = static_cast<std::ptrdiff_t>(searches_.size());
    searches_.insert(searches_.end(), searches.begin(), searches.end());
    std::inplace_merge(searches_.begin(), searches_.begin() + middle, searches_.end(), before);
}

WalkAnswers::Listing& WalkAnswers::newListing(std::uint64_t start, std::uint32_t limit)
{
    Listing& listed = listings_[start];
    listed = Listing{limit, {}, 0};
    return listed;
}

void WalkAnswers::clear()
{
    searches_.clear();
    listings_.clear();
}

} // namespace d88
