#include "WalkPass.hpp"

#include <functional>
#include <queue>
#include <utility>
#include <vector>

#include "WalkGroup.hpp"

namespace d88 {

void answerWalks(const WalkPlan& plan, HeaderReader& reader, WalkAnswers& answers)
{
    std::vector<WalkState> walks;
    std::vector<WalkGroup> groups;
    using Cursor = std::pair<std::uint64_t, std::uint32_t>; // a group's position, the group
    std::priority_queue<Cursor, std::vector<Cursor>, std::greater<>> cursors;

    std::vector<std::uint32_t> sought;
    for (const WalkPlan::Walk& walk : plan.walks()) {
        sought.clear();
        for (const std::uint32_t identity : walk.identities)
            if (answers.search(walk.start, identity) == nullptr) {
                answers.expect(walk.start, identity);
                sought.push_back(identity);
            }
        WalkState state{walk.start, 0, static_cast<std::uint32_t>(sought.size()), 0, nullptr};
        if (walk.listLimit > 0 && answers.listing(walk.start, walk.listLimit) == nullptr) {
            state.toList = walk.listLimit;
            state.listing = &answers.newListing(walk.start, walk.listLimit);
        }
        if (!state.goesOn())
            continue;
        const auto index = static_cast<std::uint32_t>(walks.size());
        walks.push_back(state);
        groups.emplace_back(index, state, sought);
        cursors.emplace(walk.start, index);
    }

    reader.beginPass();
    while (!cursors.empty()) {
        auto [position, group] = cursors.top();
        cursors.pop();
        while (!cursors.empty() && cursors.top().first == position) {
            std::uint32_t other = cursors.top().second;
            cursors.pop();
            if (groups[other].size() > groups[group].size())
                std::swap(group, other);
            groups[group].absorb(groups[other], walks);
        }
        // Steps on without the queue while no other cursor comes first.
        for (;;) {
            const auto header = reader.readInPass(position);
            if (!groups[group].step(header ? &*header : nullptr, position, walks, answers)) {
                groups[group] = WalkGroup{};
                break;
            }
            position += SectorHeader::size + header->dataLength;
            if (!cursors.empty() && cursors.top().first <= position) {
                cursors.emplace(position, group);
                break;
            }
        }
    }
    reader.endPass();
}

} // namespace d88
