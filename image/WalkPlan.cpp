#include "image/WalkPlan.hpp"

#include <algorithm>

namespace d88 {

WalkPlan::Walk& WalkPlan::walkFrom(std::uint64_t start)
{
    const auto [at, added] = byStart_.try_emplace(start, walks_.size());
    if (added)
        walks_.push_back(Walk{start, {}, 0});
    return walks_[at->second];
}

void WalkPlan::search(std::uint64_t start, std::uint32_t identity)
{
    walkFrom(start).identities.push_back(identity);
}

void WalkPlan::list(std::uint64_t start, std::uint32_t limit)
{
    Walk& walk = walkFrom(start);
    walk.listLimit = std::max(walk.listLimit, limit);
}

} // namespace d88
