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

// Headers that walks the run may never make (a file's later sectors while an
// earlier one is undecided) may read for each header read for walks it is
// known to make: a run reads at most 1 + 3 = 4 times what its own walks need.
// A walk out of credit waits for the next pass, when more is known.
constexpr std::uint64_t unsureShare = 3;

// An identity a walk seeks, for the planned searches that ask for it there.
struct Target {
    std::uint32_t identity;
    std::vector<std::uint32_t> searches;
    std::uint32_t open = 0; // of those, the ones the run may still make
    bool sure = false;      // one of them the run is known to make
};

// One walk: from one start, the identities it seeks and a listing.
struct Walk {
    std::uint64_t start = 0;
    std::uint32_t group = 0; // the group carrying it
    Level firstLevel = 0;    // that group's level on its first record
    std::vector<Target> targets;
    std::uint32_t toList = 0; // records its listing still takes
    WalkAnswers::Listing* listing = nullptr;

    auto find(std::uint32_t identity) { return std::ranges::find(targets, identity, &Target::identity); }
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
    std::uint32_t sureCount = 0; // sure targets and listings on it: what makes its reads earn credit

    // What a merge moves: the lighter group joins the heavier.
    std::size_t weight() const { return walks.size() + seekers.size(); }
};

struct Cursor {
    std::uint64_t position;
    std::uint32_t group;

    bool operator>(const Cursor& other) const { return position > other.position; }
};

// What the run is known to do with a planned search.
enum class Fate : std::uint8_t { unsure, made, never };

// The passes that answer a plan: every search no earlier call answered, each
// identity sought once from a start, and every listing.
struct Passes {
    const WalkPlan& plan;
    HeaderReader& reader;
    WalkAnswers& answers;
    std::uint64_t fileSize;
    std::vector<std::vector<std::uint32_t>> followers{plan.searches().size()}; // by search: those made after it
    std::vector<Fate> fates = std::vector<Fate>(plan.searches().size());
    std::vector<Walk> walks{}; // walk i begins as group i
    std::vector<Group> groups{};
    std::unordered_map<std::uint64_t, std::uint32_t> walkStarts{};
    std::priority_queue<Cursor, std::vector<Cursor>, std::greater<>> cursors{};
    std::vector<Cursor> parked{};         // out of credit: the next pass goes on from there
    std::uint64_t credit = 0;             // headers groups with no sure walk may still read
    std::vector<std::uint32_t> decided{}; // searches whose record this step found or ruled out

    void run(bool keep)
    {
        for (const auto& [start, limit] : plan.listings())
            if (answers.listing(start, limit) == nullptr) {
                const std::uint32_t index = walkFrom(start);
                walks[index].toList = limit;
                walks[index].listing = &answers.newListing(start, limit);
                groups[walks[index].group].listers.push_back(index);
                ++groups[walks[index].group].sureCount;
            }
        // A search from a listing's start rides on the listing's walk.
        for (std::uint32_t search = 0; search < plan.searches().size(); ++search) {
            if (const auto& after = plan.searches()[search].after)
                followers[after->search].push_back(search);
            seek(search);
        }
        // What earlier calls found rules searches out; then the run's sure ones.
        for (std::uint32_t search = 0; search < plan.searches().size(); ++search)
            settle(search);
        for (std::uint32_t search = 0; search < plan.searches().size(); ++search)
            if (!plan.searches()[search].after) {
                markMade(search);
                settle(search);
            }

        for (bool first = true; !cursors.empty(); first = false) {
            reader.beginPass(keep && first);
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
                walkOn(at);
            }
            reader.endPass();
            for (const Cursor at : std::exchange(parked, {}))
                cursors.push(at);
        }
    }

    // The walk from `start`, begun as a group of its own where none is yet.
    std::uint32_t walkFrom(std::uint64_t start)
    {
        const auto [at, added] = walkStarts.try_emplace(start, static_cast<std::uint32_t>(walks.size()));
        if (added) {
            walks.push_back(Walk{start, at->second, 0, {}, 0, nullptr});
            groups.emplace_back().walks[0].push_back(at->second);
            cursors.push(Cursor{start, at->second});
        }
        return at->second;
    }

    // The target the search's identity is, while a walk still seeks it.
    Target* targetOf(std::uint32_t search)
    {
        const WalkPlan::Search& planned = plan.searches()[search];
        const auto from = walkStarts.find(planned.start);
        if (from == walkStarts.end())
            return nullptr;
        const auto at = walks[from->second].find(planned.identity);
        return at != walks[from->second].targets.end() ? &*at : nullptr;
    }

    const std::optional<FoundRecord>* known(std::uint32_t search) const
    {
        return answers.search(plan.searches()[search].start, plan.searches()[search].identity);
    }

    // Every planned search is sought, each identity once from a start.
    void seek(std::uint32_t search)
    {
        if (known(search) != nullptr)
            return;
        const std::uint32_t identity = plan.searches()[search].identity;
        const std::uint32_t index = walkFrom(plan.searches()[search].start);
        Target* target = targetOf(search);
        if (target == nullptr) {
            target = &walks[index].targets.emplace_back(Target{identity, {}});
            groups[index].seekers[identity].push_back(index);
        }
        target->searches.push_back(search);
        ++target->open;
    }

    // Once a search's record is known, the searches after it that ask for more
    // bytes than it holds, or follow a search that found none, are never made;
    // once the run is also known to make it, it makes the others, and so on
    // along records earlier calls found.
    void settle(std::uint32_t first)
    {
        std::vector<std::uint32_t> settling{first};
        while (!settling.empty()) {
            const std::uint32_t search = settling.back();
            settling.pop_back();
            const auto* record = known(search);
            if (record == nullptr || fates[search] == Fate::never)
                continue;
            std::uint64_t held = 0;
            if (*record) {
                const std::uint64_t inFile = fileSize - std::min(fileSize, (*record)->dataPosition);
                held = std::min<std::uint64_t>((*record)->dataLength, inFile);
            }
            for (const std::uint32_t follower : followers[search])
                if (!*record || plan.searches()[follower].after->bytes > held)
                    drop(follower);
                else if (fates[search] == Fate::made && fates[follower] == Fate::unsure) {
                    markMade(follower);
                    settling.push_back(follower);
                }
        }
    }

    // A search the run makes: the group seeking it reads on its own credit.
    void markMade(std::uint32_t search)
    {
        fates[search] = Fate::made;
        if (Target* target = targetOf(search); target != nullptr && !std::exchange(target->sure, true))
            ++groups[walks[walkStarts.at(plan.searches()[search].start)].group].sureCount;
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
            if (fates[next] == Fate::never)
                continue;
            fates[next] = Fate::never;
            dropping.insert(dropping.end(), followers[next].begin(), followers[next].end());
            if (Target* target = targetOf(next); target != nullptr && --target->open == 0) {
                const std::uint32_t index = walkStarts.at(plan.searches()[next].start);
                walks[index].targets.erase(walks[index].find(target->identity));
                leaveIfDone(index);
            }
        }
    }

    // Steps the group on from its cursor while no other cursor comes first. A
    // group that carries no walk the run is known to make reads on credit, and
    // where that runs out waits for the next pass.
    void walkOn(Cursor at)
    {
        for (Group& group = groups[at.group]; !group.walks.empty();) {
            if (group.sureCount > 0)
                credit += unsureShare;
            else if (credit == 0)
                return parked.push_back(at);
            else
                --credit;
            SectorHeader header;
            const bool readable = reader.readInPass(at.position, header);
            for (const std::uint32_t search : step(group, at.position, readable ? &header : nullptr))
                settle(search);
            at.position += SectorHeader::size + header.dataLength;
            if (!group.walks.empty() && !cursors.empty() && cursors.top().position <= at.position)
                return cursors.push(at);
        }
        groups[at.group] = Group{};
    }

    // Applies the record at `position` (nullptr: no header can be read there) to
    // the group's walks, as a plain walk takes it: a count of 0 ends every
    // search before the record's identity counts, listings go on past it, and
    // the record at position count - 1 in a walk, or at the cap, ends it.
    // Returns the searches whose record it found or ruled out.
    std::vector<std::uint32_t> step(Group& group, std::uint64_t position, const SectorHeader* header)
    {
        if (header == nullptr) {
            while (!group.walks.empty())
                end(group, group.walks.begin()->first);
            return std::exchange(decided, {});
        }
        if (header->sectorCount == 0) {
            std::vector<std::uint32_t> all;
            for (const auto& [firstLevel, started] : group.walks)
                all.insert(all.end(), started.begin(), started.end());
            for (const std::uint32_t index : all)
                endSearches(index, std::nullopt);
            group.seekers.clear();
        } else if (auto seekers = group.seekers.extract(header->identity()); !seekers.empty()) {
            const FoundRecord record{position + SectorHeader::size, header->dataLength};
            for (const std::uint32_t index : seekers.mapped())
                endSearches(index, record, header->identity());
        }
        for (const std::uint32_t index : group.listers) {
            Walk& walk = walks[index];
            if (walk.listing->identities.empty())
                walk.listing->firstCount = header->sectorCount;
            walk.listing->identities.push_back(header->identity());
            if (--walk.toList == 0) {
                --group.sureCount;
                leaveIfDone(index);
            }
        }
        if (header->sectorCount > 0)
            end(group, group.level - (Level{header->sectorCount} - 1));
        end(group, group.level - lastPosition);
        std::erase_if(group.listers, [&](std::uint32_t index) { return walks[index].toList == 0; });
        ++group.level;
        return std::exchange(decided, {});
    }

    // Answers the walk's searches for `identity`, or for every identity it
    // still seeks, for the step to return. A walk left with nothing to do
    // leaves its group.
    void endSearches(std::uint32_t index, std::optional<FoundRecord> record, std::optional<std::uint32_t> identity = {})
    {
        Walk& walk = walks[index];
        const auto ended = std::partition(walk.targets.begin(), walk.targets.end(), [&](const Target& target) {
            return identity && target.identity != *identity;
        });
        for (auto target = ended; target != walk.targets.end(); ++target) {
            answers.answer(walk.start, target->identity, record);
            groups[walk.group].sureCount -= target->sure ? 1 : 0;
            decided.insert(decided.end(), target->searches.begin(), target->searches.end());
        }
        walk.targets.erase(ended, walk.targets.end());
        leaveIfDone(index);
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
        for (const std::uint32_t index : std::vector(ended->second)) {
            group.sureCount -= walks[index].toList > 0 ? 1 : 0;
            walks[index].toList = 0;
            endSearches(index, std::nullopt);
        }
    }

    // A walk that seeks and lists nothing more leaves its group.
    void leaveIfDone(std::uint32_t index)
    {
        const Walk& walk = walks[index];
        if (!walk.targets.empty() || walk.toList > 0)
            return;
        Group& group = groups[walk.group];
        const auto at = group.walks.find(walk.firstLevel);
        if (at == group.walks.end() || std::erase(at->second, index) == 0)
            return;
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
        joined.sureCount += left.sureCount;
        left = Group{};
    }
};

} // namespace

void answerPlan(const WalkPlan& plan, bool keep, HeaderReader& reader, WalkAnswers& answers, std::uint64_t fileSize)
{
    Passes{plan, reader, answers, fileSize}.run(keep);
}

} // namespace d88
