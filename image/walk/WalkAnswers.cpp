#include "image/walk/WalkAnswers.hpp"

namespace d88 {

const WalkAnswers::Listing* WalkAnswers::listing(std::uint64_t start, std::uint32_t limit) const
{
    const auto found = listings_.find(start);
    if (found == listings_.end())
        return nullptr;
    // A listing that ended before its limit is the whole listing from there.
    const Listing& listed = found->second;
    return limit <= listed.limit || listed.identities.size() < listed.limit ? &listed : nullptr;
}

WalkAnswers::Listing& WalkAnswers::newListing(std::uint64_t start, std::uint32_t limit)
{
    Listing& listed = listings_[start];
    listed = Listing{limit, {}, 0};
    return listed;
}

} // namespace d88
