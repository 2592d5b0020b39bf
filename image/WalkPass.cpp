#include "image/WalkPass.hpp"

#include <utility>
#include <vector>

#include "image/CursorQueue.hpp"
#include "image/WalkGroup.hpp"
#include "image/WalkTable.hpp"

namespace d88 {

void answerWalks(const WalkPlan& plan, const WalkLimits& limits, HeaderReader& reader, WalkAnswers& answers,
                 const std::function<void(std::uint64_t, const SectorHeader&)>& found)
{
    WalkTable walks(answers);
    for (const WalkPlan::Walk& walk : plan.walks())
        walks.add(walk.start, walk.identities, walk.listLimit);
    std::vector<WalkGroup> groups;
    CursorQueue cursors;
    for (std::uint32_t walk = 0; walk < walks.size(); ++walk) {
        groups.emplace_back(walk, walks, limits.indexFrom);
        cursors.push({walks[walk].origin, walk});
    }

    while (!cursors.empty()) {
        auto [position, group] = cursors.top();
        cursors.pop();
        while (!cursors.empty() && cursors.top().position == position) {
            std::uint32_t other = cursors.top().group;
            cursors.pop();
            if (groups[other].weight() > groups[group].weight())
                std::swap(group, other);
            groups[group].absorb(groups[other], walks, limits.indexFrom);
        }
        // Steps on without the queue while no other cursor comes first.
        for (;;) {
            SectorHeader header;
            const bool readable = reader.readInPass(position, header);
            const std::uint64_t foundBefore = walks.foundCount();
            const bool goesOn = groups[group].step(readable ? &header : nullptr, position, walks);
            if (walks.foundCount() != foundBefore)
                found(position, header);
            if (!goesOn) {
                groups[group] = WalkGroup{};
                break;
            }
            position += SectorHeader::size + header.dataLength;
            if (!cursors.empty() && cursors.top().position <= position) {
                cursors.push({position, group});
                break;
            }
        }
    }
    walks.finish();
}

} // namespace d88
