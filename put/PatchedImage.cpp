#include "put/PatchedImage.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Error.hpp"

namespace d88 {
namespace {

// Large enough that a copy costs few system calls, small beside the memory a run may use.
constexpr std::size_t chunkSize = std::size_t{1} << 20;

} // namespace

bool isImageAsRead(const ByteSource& image, std::uint64_t size, const std::optional<FileId>& id)
{
    if (image.size() != size)
        return false;
    if (!id)
        return true;
    const auto now = image.id();
    return now && *now == *id && now->stamp == id->stamp;
}

std::error_code writePatched(const ByteSource& image, std::uint64_t size, const std::optional<FileId>& id,
                             const PutPlan& plan, const FolderFiles& files, const PutBytes& put)
{
    if (!isImageAsRead(image, size, id))
        return Error::imageChanged;
    std::uint64_t longest = 0;
    for (const Piece& piece : plan.pieces)
        longest = std::max<std::uint64_t>(longest, piece.length);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(size, chunkSize)));
    std::size_t low = 0; // no piece before it reaches the current chunk
    for (std::uint64_t start = 0; start < size;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - start));
        if (image.readAt(start, chunk.data(), count) != count)
            return Error::imageChanged;
        const std::uint64_t end = start + count;
        while (low < plan.pieces.size() && plan.pieces[low].position + longest <= start)
            ++low;
        for (std::size_t i = low; i < plan.pieces.size() && plan.pieces[i].position < end; ++i) {
            const Piece& piece = plan.pieces[i];
            const std::uint64_t from = std::max(start, piece.position);
            const std::uint64_t to = std::min(end, piece.end());
            if (from >= to)
                continue;
            std::memcpy(chunk.data() + (from - start),
                        files[piece.file].bytes.data() + piece.offset + (from - piece.position),
                        static_cast<std::size_t>(to - from));
        }
        if (const std::error_code failed = put(chunk.data(), count))
            return failed;
        start = end;
    }
    return isImageAsRead(image, size, id) ? std::error_code() : Error::imageChanged;
}

} // namespace d88
