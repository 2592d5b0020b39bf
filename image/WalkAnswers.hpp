#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
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
    struct Search {
        std::uint64_t start = 0;
        std::uint64_t dataPosition = 0;
        std::uint32_t identity = 0;
        std::uint16_t dataLength = 0;
        bool found = false;

        std::optional<FoundRecord> record() const
        {
            return found ? std::optional(FoundRecord{dataPosition, dataLength}) : std::nullopt;
        }
    };
    struct Listing {
        std::uint32_t limit = 0;
        std::vector<std::uint32_t> identities; // in walk order
        std::uint16_t firstCount = 0;          // the first record's sector count
    };

    // The prepared search from `start` for `identity`; nullptr when none was.
    const Search* search(std::uint64_t start, std::uint32_t identity) const;
    // A prepared listing from `start` that holds the first `limit` records, or
    // all there are; nullptr when none does.
    const Listing* listing(std::uint64_t start, std::uint32_t limit) const;

    // Takes in the searches a pass answered, none of which it held.
    void add(std::vector<Search> searches);
    // The listing to fill from `start`, replacing any shorter one.
    Listing& newListing(std::uint64_t start, std::uint32_t limit);

    void clear();

private:
    std::vector<Search> searches_; // by start, then identity
    std::unordered_map<std::uint64_t, Listing> listings_;
};

} // namespace d88
