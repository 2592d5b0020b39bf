#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "set/Recognition.hpp"

namespace d88 {

class D88Image;

// A run's reads are known before it makes them, in two steps: the
// identifying read of every disk it visits, then what it reads of each disk
// that turns out to be a set disk. Each step is prepared as one plan, so one
// pass over the image answers it (D88Image::prepare).

// Identifies the first `disks` disks (at most the image's) as identify()
// does, after preparing their identifying reads; the sector read lands in
// `buffer`. A disk that cannot be selected is `neither`.
std::vector<DiskKind> identifyDisks(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber,
                                    std::int32_t disks);

// The disks as a run takes them: without DiskNo each by its signature; with
// it the first disk as DiskNo says. `signatures` is what each disk's own
// signature says, so that a DiskNo that disagrees can be named.
struct TakenDisks {
    std::vector<DiskKind> signatures;
    std::vector<DiskKind> kinds;
};
TakenDisks takeDisks(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber);

// Prepares every sector of every file of disk i's catalogue (kinds[i]) and,
// with a `listingCapacity`, a listing of that many bytes of each present
// track of every disk that can be selected, with its first record.
void prepareCatalogues(D88Image& image, std::span<const DiskKind> kinds, std::size_t listingCapacity = 0);

} // namespace d88
