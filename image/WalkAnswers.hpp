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
    struct Listing {
        std::uint32_t limit = 0;
        std::vector<std::uint32_t> identities; // in walk order
        std::uint16_t firstCount = 0;          // the first record's sector count
    };

    // The answer of the prepared search from `start` for `identity`; nullptr
    // when none was prepared.
    const std::optional<FoundRecord>* search(std::uint64_t start, std::uint32_t identity) const;
    // A prepared listing from `start` that holds the first `limit` records, or
    // all there are; nullptr when none does.
    const Listing* listing(std::uint64_t start, std::uint32_t limit) const;

    // A search to answer: not found until found() says otherwise.
    void expect(std::uint64_t start, std::uint32_t identity) { searches_.try_emplace(Key{start, identity}); }
    void found(std::uint64_t start, std::uint32_t identity, FoundRecord record)
    {
        searches_[Key{start, identity}] = record;
    }
    // The listing to fill from `start`, replacing any shorter one.
    Listing& newListing(std::uint64_t start, std::uint32_t limit);

    void clear();

private:
    struct Key {
        std::uint64_t start;
        std::uint32_t identity;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& key) const
        {
            return static_cast<std::size_t>((key.start * 0x9E3779B97F4A7C15u) ^ key.identity);
        }
    };

    std::unordered_map<Key, std::optional<FoundRecord>, KeyHash> searches_;
    std::unordered_map<std::uint64_t, Listing> listings_;
};

} // namespace d88
