#include "image/GroupIndex.hpp"

#include <algorithm>

namespace d88 {

void GroupIndex::add(std::uint32_t walk, const WalkTable& walks)
{
    for (const WalkTable::Sought& sought : walks.sought(walk))
        seekers_[sought.identity].push_back(walk);
    const Level start = walks[walk].start;
    byStart_[start].push_back(walk);
    if (leastStart_ > greatestStart_)
        leastStart_ = greatestStart_ = start;
    leastStart_ = std::min(leastStart_, start);
    greatestStart_ = std::max(greatestStart_, start);
    if (walks[walk].toList > 0)
        listers_.push_back(walk);
}

std::vector<std::uint32_t> GroupIndex::takeSeekers(std::uint32_t identity)
{
    auto node = seekers_.extract(identity);
    if (node.empty())
        return {};
    return std::move(node.mapped());
}

void GroupIndex::clearSeekers()
{
    seekers_.clear();
}

std::vector<std::uint32_t> GroupIndex::takeStartedAt(Level start)
{
    // Most records end no walk: the range tells without a lookup.
    if (start < leastStart_ || start > greatestStart_)
        return {};
    auto node = byStart_.extract(start);
    return node.empty() ? std::vector<std::uint32_t>{} : std::move(node.mapped());
}

} // namespace d88
