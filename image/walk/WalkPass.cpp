#include "image/walk/WalkPass.hpp"

#include <algorithm>
#include <map>
#include <queue>
#include <unordered_map>
#include <utility>
#include <vector>

namespace d88 {
namespace {

// A count of records along a chain. Each group counts its own, so only
// differences between levels of one group mean anything.
using Level = std::int64_t;

// The position in its walk of the last record a walk may read.
constexpr Level lastPosition = Level{maxWalkRecords} - 1;

// One walk: from one start, the identities it seeks and a listing.
struct Walk {
    std::uint64_t start = 0;
    std::uint32_t group = 0; // the group carrying it
    Level firstLevel = 0;    // that group's level on its first record
    std::vector<std::uint32_t> identities;
    std::uint32_t toList = 0; // records its listing still takes
    WalkAnswers::Listing* listing = nullptr;
};

// Walks that stand on the same record. A record's successor is fixed by its
// position and data length, so from here on they meet the same records. A
// walk ends after the record at position count - 1 in it: the walks a record
// ends are found by their first level, those that seek its identity by that.
struct Group {
    Level level = 0;
    std::map<Level, std::vector<std::uint32_t>> walks;                     // those going on, by first level
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> seekers; // by identity; met ones skipped
    std::vector<std::uint32_t> listers;

    // What a merge moves: the lighter group joins the heavier.
    std::size_t weight() const { return walks.size() + seekers.size(); }
};

struct Cursor {
    std::uint64_t position;
    std::uint32_t group;

    bool operator>(const Cursor& other) const { return position > other.position; }
};

// One pass: every search of the plan that no earlier pass answered, each
// identity sought once from a start, and every listing.
struct Pass {
    using Key = std::pair<std::uint64_t, std::uint32_t>; // start, identity
    struct Seeking {
        std::uint32_t walk;
        std::vector<std::uint32_t> searches; // the planned ones
        std::uint32_t made = 0;              // of those, the ones the run may still make
    };

    const WalkPlan& plan;
    HeaderReader& reader;
    WalkAnswers& answers;
    std::uint64_t fileSize;
    const std::function<void(std::uint64_t, const SectorHeader&)>& found;
    std::vector<std::vector<std::uint32_t>> followers{plan.searches().size()}; // by search: those made after it
    std::vector<bool> dropped = std::vector<bool>(plan.searches().size());     // by search: the run cannot come to it
    std::vector<Walk> walks{};                                                 // walk i begins as group i
    std::vector<Group> groups{};
    std::unordered_map<std::uint64_t, std::uint32_t> walkFrom{};
    std::map<Key, Seeking> seeking{};
    std::priority_queue<Cursor, std::vector<Cursor>, std::greater<>> cursors{};
    std::vector<std::pair<std::vector<std::uint32_t>, std::optional<FoundRecord>>> decided{};

    void run()
    {
        for (const auto& [start, limit] : plan.listings())
            if (answers.listing(start, limit) == nullptr) {
                const std::uint32_t index = newWalk(start);
                walks[index].toList = limit;
                walks[index].listing = &answers.newListing(start, limit);
                groups[index].listers.push_back(index);
            }
        // A search from a listing's start rides on the listing's walk.
        for (std::uint32_t search = 0; search < plan.searches().size(); ++search) {
            if (const auto& after = plan.searches()[search].after)
                followers[after->search].push_back(search);
            seek(search);
        }
        // Searches that follow ones answered by earlier passes: the answers
        // decide at once whether the run comes to them.
        for (std::uint32_t search = 0; search < plan.searches().size(); ++search) {
            const WalkPlan::Search& planned = plan.searches()[search];
            if (const auto* known = answers.search(planned.start, planned.identity);
                known != nullptr && !dropped[search])
                decide({search}, *known);
        }

        while (!cursors.empty()) {
            Cursor at = cursors.top();
            cursors.pop();
            while (!cursors.empty() && cursors.top().position == at.position) {
                std::uint32_t other = cursors.top().group;
                cursors.pop();
                if (groups[other].weight() > groups[at.group].weight())
                    std::swap(other, at.group);
                merge(at.group, other);
            }
            if (!groups[at.group].walks.empty())
                walkOn(at);
        }
        reader.endPass();
    }

    // Every planned search is sought, each identity once from a start.
    void seek(std::uint32_t search)
    {
        const WalkPlan::Search& planned = plan.searches()[search];
        if (answers.search(planned.start, planned.identity) != nullptr)
            return;
        const Key key{planned.start, planned.identity};
        auto made = seeking.find(key);
        if (made == seeking.end()) {
            const auto from = walkFrom.find(planned.start);
            const std::uint32_t index = from != walkFrom.end() ? from->second : newWalk(planned.start);
            walks[index].identities.push_back(planned.identity);
            groups[index].seekers[planned.identity].push_back(index);
            made = seeking.emplace(key, Seeking{index, {}, 0}).first;
        }
        made->second.searches.push_back(search);
        ++made->second.made;
    }

    // The record of these searches is known: the searches that follow them and
    // ask for more bytes than it holds, or follow a search that found none, are
    // never made by the run.
    void decide(const std::vector<std::uint32_t>& searches, const std::optional<FoundRecord>& record)
    {
        std::uint64_t held = 0;
        if (record) {
            const std::uint64_t inFile = fileSize - std::min(fileSize, record->dataPosition);
            held = std::min<std::uint64_t>(record->dataLength, inFile);
        }
        for (const std::uint32_t search : searches)
            for (const std::uint32_t follower : followers[search])
                if (!record || plan.searches()[follower].after->bytes > held)
                    drop(follower);
    }

    // A search the run never makes, and those after it: an identity no search
    // the run may make seeks any more is no longer sought, so no walk reads on
    // for it alone.
    void drop(std::uint32_t search)
    {
        std::vector<std::uint32_t> dropping{search};
        while (!dropping.empty()) {
            const std::uint32_t next = dropping.back();
            dropping.pop_back();
            if (dropped[next])
                continue;
            dropped[next] = true;
            dropping.insert(dropping.end(), followers[next].begin(), followers[next].end());
            const WalkPlan::Search& planned = plan.searches()[next];
            const auto made = seeking.find(Key{planned.start, planned.identity});
            if (made == seeking.end() || --made->second.made > 0)
                continue;
            const std::uint32_t index = made->second.walk;
            std::erase(walks[index].identities, planned.identity);
            seeking.erase(made);
            leaveIfDone(index);
        }
    }

    std::uint32_t newWalk(std::uint64_t start)
    {
        const auto index = static_cast<std::uint32_t>(walks.size());
        walks.push_back(Walk{start, index, 0, {}, 0, nullptr});
        groups.emplace_back().walks[0].push_back(index);
        walkFrom[start] = index;
        cursors.push(Cursor{start, index});
        return index;
    }

    // Steps the group on from its cursor while no other cursor comes first.
    void walkOn(Cursor at)
    {
        for (;;) {
            SectorHeader header;
            const bool readable = reader.readInPass(at.position, header);
            if (step(groups[at.group], at.position, readable ? &header : nullptr))
                found(at.position, header);
            for (const auto& [searches, record] : std::exchange(decided, {}))
                decide(searches, record);
            if (groups[at.group].walks.empty()) {
                groups[at.group] = Group{};
                return;
            }
            at.position += SectorHeader::size + header.dataLength;
            if (!cursors.empty() && cursors.top().position <= at.position) {
                cursors.push(at);
                return;
            }
        }
    }

    // Applies the record at `position` (nullptr: no header can be read there) to
    // the group's walks, as a plain walk takes it: a count of 0 ends every
    // search before the record's identity counts, listings go on past it, and
    // the record at position count - 1 in a walk, or at the cap, ends it.
    // True where the record answers a search.
    bool step(Group& group, std::uint64_t position, const SectorHeader* header)
    {
        bool met = false;
        if (header == nullptr) {
            while (!group.walks.empty())
                end(group, group.walks.begin()->first);
            return false;
        }
        if (header->sectorCount == 0) {
            std::vector<std::uint32_t> all;
            for (const auto& [firstLevel, started] : group.walks)
                all.insert(all.end(), started.begin(), started.end());
            for (const std::uint32_t index : all) {
                endSearches(walks[index]);
                leaveIfDone(index);
            }
            group.seekers.clear();
        } else if (auto seekers = group.seekers.extract(header->identity()); !seekers.empty()) {
            for (const std::uint32_t index : seekers.mapped()) {
                Walk& walk = walks[index];
                const auto sought = std::ranges::find(walk.identities, header->identity());
                if (sought == walk.identities.end())
                    continue; // the walk ended, or no longer seeks it
                walk.identities.erase(sought);
                const FoundRecord record{position + SectorHeader::size, header->dataLength};
                answers.answer(walk.start, header->identity(), record);
                decided.emplace_back(seeking.extract(Key{walk.start, header->identity()}).mapped().searches, record);
                met = true;
                leaveIfDone(index);
            }
        }
        for (const std::uint32_t index : group.listers) {
            Walk& walk = walks[index];
            if (walk.listing->identities.empty())
                walk.listing->firstCount = header->sectorCount;
            walk.listing->identities.push_back(header->identity());
            if (--walk.toList == 0)
                leaveIfDone(index);
        }
        if (header->sectorCount > 0)
            end(group, group.level - (Level{header->sectorCount} - 1));
        end(group, group.level - lastPosition);
        std::erase_if(group.listers, [&](std::uint32_t index) { return walks[index].toList == 0; });
        ++group.level;
        return met;
    }

    // What the walk still seeks it does not find.
    void endSearches(Walk& walk)
    {
        for (const std::uint32_t identity : walk.identities) {
            answers.answer(walk.start, identity, std::nullopt);
            auto made = seeking.extract(Key{walk.start, identity});
            if (!made.empty())
                decided.emplace_back(std::move(made.mapped().searches), std::nullopt);
        }
        walk.identities.clear();
    }

    // Ends the group's walks that started at `firstLevel`.
    void end(Group& group, Level firstLevel)
    {
        // Most records end no walk: the range of first levels tells without a lookup.
        if (group.walks.empty() || firstLevel < group.walks.begin()->first || firstLevel > group.walks.rbegin()->first)
            return;
        const auto ended = group.walks.find(firstLevel);
        if (ended == group.walks.end())
            return;
        for (const std::uint32_t index : ended->second) {
            endSearches(walks[index]);
            walks[index].toList = 0;
        }
        group.walks.erase(ended);
    }

    // A walk that seeks and lists nothing more leaves its group.
    void leaveIfDone(std::uint32_t index)
    {
        const Walk& walk = walks[index];
        if (!walk.identities.empty() || walk.toList > 0)
            return;
        Group& group = groups[walk.group];
        const auto at = group.walks.find(walk.firstLevel);
        std::erase(at->second, index);
        if (at->second.empty())
            group.walks.erase(at);
    }

    void merge(std::uint32_t into, std::uint32_t from)
    {
        Group& joined = groups[into];
        Group& left = groups[from];
        const Level shift = joined.level - left.level;
        // Walks that started at different records the same distance back share a level.
        for (const auto& [firstLevel, indexes] : left.walks)
            for (const std::uint32_t index : indexes) {
                walks[index].group = into;
                walks[index].firstLevel = firstLevel + shift;
                joined.walks[firstLevel + shift].push_back(index);
            }
        for (auto& [identity, seekers] : left.seekers) {
            std::vector<std::uint32_t>& all = joined.seekers[identity];
            all.insert(all.end(), seekers.begin(), seekers.end());
        }
        joined.listers.insert(joined.listers.end(), left.listers.begin(), left.listers.end());
        left = Group{};
    }
};

} // namespace

void answerPlan(const WalkPlan& plan, bool keep, HeaderReader& reader, WalkAnswers& answers, std::uint64_t fileSize,
                const std::function<void(std::uint64_t, const SectorHeader&)>& found)
{
    reader.beginPass(keep);
    Pass{plan, reader, answers, fileSize, found}.run();
}

} // namespace d88
