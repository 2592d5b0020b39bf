// Putting files back into any bytes: for files made from the input (some
// cut as they are, some changed, shorter, longer or absent), a put that is
// accepted, cut again, gives every file back, and changes no byte outside
// the pieces it placed; the image keeps its length.
#include <algorithm>
#include <span>
#include <vector>

#include "fuzz/FuzzInput.hpp"
#include "image/D88Image.hpp"
#include "platform/ByteSource.hpp"
#include "put/FolderFiles.hpp"
#include "put/PatchedImage.hpp"
#include "put/PutPlan.hpp"
#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"
#include "set/ReadPlan.hpp"

using namespace d88;
using namespace d88::fuzz;

namespace {

std::vector<DiskKind> readKinds(D88Image& image, std::span<std::uint8_t> buffer, int diskNumber)
{
    auto kinds = identifyDisks(image, buffer, diskNumber, diskNumber != 0 ? 1 : image.diskCount());
    prepareCatalogues(image, kinds);
    return kinds;
}

void selectSetDisk(D88Image& image, std::size_t disk)
{
    static_cast<void>(image.selectDisk(static_cast<std::int32_t>(disk)));
    image.setSectorRange(setFirstSector, setLastSector);
}

// The input's own bytes choose each file: `control` a byte from its end.
FolderFiles makeFiles(D88Image& image, std::span<const DiskKind> kinds, std::span<std::uint8_t> buffer,
                      std::span<const std::uint8_t> data)
{
    FolderFiles files;
    for (std::size_t disk = 0; disk < kinds.size(); ++disk) {
        selectSetDisk(image, disk);
        for (const CatalogueFile& entry : catalogueFor(kinds[disk])) {
            if (findFile(files, entry.name) != nullptr)
                continue;
            const std::size_t k = files.size();
            const auto control = static_cast<std::uint8_t>((k < data.size() ? data[data.size() - 1 - k] : 0) + k * 37);
            const FileRead read = readCatalogueFile(image, entry, buffer);
            FolderFile file{entry.name, entry.length, 0, {}, {}};
            std::size_t size = static_cast<std::size_t>(read.found);
            switch (control % 4) {
            case 0:
                continue; // absent
            case 1:
                break;
            case 2:
                size = std::min<std::size_t>(size, control * 37u % (static_cast<std::size_t>(entry.length) + 1));
                break;
            default:
                size = static_cast<std::size_t>(entry.length) + (control >> 7);
            }
            file.size = size;
            if (size <= static_cast<std::size_t>(entry.length)) {
                file.bytes.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size));
                if (control & 8)
                    for (std::size_t i = 0; i < size; ++i)
                        file.bytes[i] = static_cast<std::uint8_t>(file.bytes[i] ^ (control + i * 13));
            }
            files.push_back(std::move(file));
        }
    }
    return files;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::vector<std::uint8_t> buffer(cutBufferSize);
    const std::span<const std::uint8_t> input(data, size);
    for (int diskNumber = 0; diskNumber <= 2; ++diskNumber) {
        D88Image image;
        image.open(input);
        const auto kinds = readKinds(image, buffer, diskNumber);
        const FolderFiles files = makeFiles(image, kinds, buffer, input);
        PutPlan plan = planPut(image, kinds, files, buffer);
        const MemoryBytes source(input);
        checkOverlaps(plan, files, source);
        if (!plan.refusals.empty())
            continue;

        std::vector<std::uint8_t> result;
        const auto failed =
            writePatched(source, size, std::nullopt, plan, files, [&](const std::uint8_t* bytes, std::size_t count) {
                result.insert(result.end(), bytes, bytes + count);
                return std::error_code();
            });
        require(!failed, "the patched image was written");
        require(result.size() == size, "the image keeps its length");
        std::vector<bool> placed(size, false);
        for (const Piece& piece : plan.pieces) {
            require(piece.end() <= size, "a piece inside the image");
            std::fill(placed.begin() + static_cast<std::ptrdiff_t>(piece.position),
                      placed.begin() + static_cast<std::ptrdiff_t>(piece.end()), true);
        }
        for (std::size_t i = 0; i < size; ++i)
            require(placed[i] || result[i] == data[i], "no byte outside the pieces changes");

        // Cut again, the disks taken as they were: every file comes back.
        D88Image again;
        again.open(result);
        const auto sameKinds = kinds;
        prepareCatalogues(again, sameKinds);
        for (std::size_t disk = 0; disk < kinds.size(); ++disk) {
            selectSetDisk(again, disk);
            for (const CatalogueFile& entry : catalogueFor(kinds[disk])) {
                const FolderFile* file = findFile(files, entry.name);
                if (file == nullptr)
                    continue;
                const FileRead read = readCatalogueFile(again, entry, buffer);
                require(static_cast<std::uint64_t>(read.found) >= file->size, "a put file is found whole again");
                require(std::equal(file->bytes.begin(), file->bytes.end(), buffer.begin() + entry.skip),
                        "a put file is cut again as it was put");
            }
        }
    }
    return 0;
}
