#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/D88Image.hpp"
#include "platform/ByteSource.hpp"
#include "put/FolderFiles.hpp"
#include "set/Recognition.hpp"

namespace d88 {

// Bytes [offset, offset + length) of files[file] go to the image from `position` on.
struct Piece {
    std::uint64_t position = 0;
    std::uint32_t file = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint64_t end() const { return position + length; }
};

// Bytes of the image the reads rely on: disk headers and the headers of the
// records the catalogues' reads find.
struct Span {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// What a put will do, decided before anything is written.
struct PutPlan {
    std::vector<Piece> pieces; // by position
    std::vector<Span> headers; // by start
    std::vector<std::string> refusals;
    std::vector<std::string> warnings;
    std::vector<std::string> putLines;
};

// Places every byte of every file in `files` where d88cut takes it from, on
// each disk of `kinds` (the image's first disks, as identifyDisks gave them,
// with prepareCatalogues done); `buffer` takes the reads (cutBufferSize).
PutPlan planPut(D88Image& image, std::span<const DiskKind> kinds, const FolderFiles& files,
                std::span<std::uint8_t> buffer);

// Refuses both files of a byte two pieces write with different values, and
// a file that would change a header the reads rely on; `image` gives the
// image's bytes as they are.
void checkOverlaps(PutPlan& plan, const FolderFiles& files, const ByteSource& image);

} // namespace d88
