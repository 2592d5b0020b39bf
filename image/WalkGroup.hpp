#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "image/GroupIndex.hpp"
#include "image/SectorHeader.hpp"
#include "image/WalkTable.hpp"

namespace d88 {

// Walks that stand on the same record. A record's successor is fixed by its
// position and data length, so from here on they meet the same records and
// go on together: each record is read once for all of them.
//
// The group counts the records it steps over as levels; a walk's position in
// its own walk is the group's level minus the walk's start. A walk ends
// after the record whose count - 1 is that position, or after its 65,535th;
// a count of 0 or an unreadable header ends every search, while listings go
// on past a count of 0. A small group checks each walk at every record;
// once its walks and the identities they seek number `indexFrom`, it looks
// them up instead (GroupIndex): the walks that seek the record's identity,
// and those whose start the record's count or the 65,535-record cap ends.
class WalkGroup {
public:
    WalkGroup() = default;
    // A group of one walk.
    WalkGroup(std::uint32_t walk, const WalkTable& walks, std::size_t indexFrom);

    // Takes over the walks of `other`, which stands on the same record; their
    // starts are recounted in this group's levels. `other` is left empty.
    void absorb(WalkGroup& other, WalkTable& walks, std::size_t indexFrom);
    // What absorbing the group costs: the lighter of two is absorbed.
    std::size_t weight() const { return weight_; }

    // Applies the record on which the group stands (nullptr: no header can be
    // read there) to its walks; false once none of them goes on.
    bool step(const SectorHeader* header, std::uint64_t position, WalkTable& walks);

private:
    void index(const WalkTable& walks);
    void stepEach(const SectorHeader& header, std::uint64_t position, WalkTable& walks);
    void stepIndexed(const SectorHeader& header, std::uint64_t position, WalkTable& walks);
    void endSearches(WalkTable& walks);
    bool mayBeSought(std::uint32_t identity) const { return (soughtMask_ & maskBit(identity)) != 0; }
    static std::uint64_t maskBit(std::uint32_t identity);

    Level level_ = 0;
    std::size_t live_ = 0;               // walks that go on
    std::size_t weight_ = 0;             // walks and identities sought taken in
    std::uint64_t soughtMask_ = 0;       // a bit per identity sought: most records pass at once
    std::vector<std::uint32_t> members_; // ended walks are dropped when next met
    std::unique_ptr<GroupIndex> index_;
};

} // namespace d88
