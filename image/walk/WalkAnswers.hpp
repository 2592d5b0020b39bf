#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace d88 {

// Where a found record's data lies.
struct FoundRecord {
    std::uint64_t dataPosition;
    std::uint16_t dataLength;
};

// What the passes over an image found, by where each walk started: for each
// search the record it ends at, if any, and for each listing its records.
class WalkAnswers {
public:
    struct Listing {
        std::uint32_t limit = 0;
        std::vector<std::uint32_t> identities; // in walk order
        std::uint16_t firstCount = 0;          // the first record's sector count
    };

    // The prepared search from `start` for `identity`: nullptr when no pass
    // made it, else the record it found (nullopt: none).
    const std::optional<FoundRecord>* search(std::uint64_t start, std::uint32_t identity) const
    {
        const auto found = searches_.find({start, identity});
        return found != searches_.end() ? &found->second : nullptr;
    }
    void answer(std::uint64_t start, std::uint32_t identity, std::optional<FoundRecord> record)
    {
        searches_.insert_or_assign({start, identity}, record);
    }

    // A prepared listing from `start` that holds the first `limit` records, or
    // all there are (it ended before its own limit); nullptr when none does.
    const Listing* listing(std::uint64_t start, std::uint32_t limit) const
    {
        const auto found = listings_.find(start);
        const bool holds = found != listings_.end() &&
            (limit <= found->second.limit || found->second.identities.size() < found->second.limit);
        return holds ? &found->second : nullptr;
    }
    // The listing to fill from `start`, replacing any shorter one.
    Listing& newListing(std::uint64_t start, std::uint32_t limit) { return listings_[start] = Listing{limit, {}, 0}; }

private:
    std::map<std::pair<std::uint64_t, std::uint32_t>, std::optional<FoundRecord>> searches_;
    std::unordered_map<std::uint64_t, Listing> listings_;
};

} // namespace d88
