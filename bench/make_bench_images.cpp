// Writes the benchmark images, for measuring the programs as separate processes.
#include <filesystem>
#include <iostream>
#include <string>

#include "bench/BenchImages.hpp"
#include "bench/CraftedImages.hpp"
#include "builder/D88Builder.hpp"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: make-bench-images FOLDER\n";
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    using namespace d88::bench;
    const bool written = d88::build::save(folder / "normal.d88", normalImage()) &&
        writeSharedChain(folder / "chain-1k.d88", 1024) && writeSharedChain(folder / "chain-64k-sparse.d88", 65535) &&
        writeDisksIntoOneChain(folder / "64-disks-65000.d88", 65000) &&
        writeDisksIntoOneChain(folder / "64-disks-4m.d88", 4000000) &&
        writeDistinctWalks(folder / "distinct-walks.d88", {64, 0, true}) &&
        writeDistinctWalks(folder / "distinct-walks-1k.d88", {64, 1024, false}) &&
        writeDistinctWalks(folder / "distinct-walks-8k-sparse.d88", {64, 8192, true}) &&
        writeDistinctWalks(folder / "one-disk-8k-sparse.d88", {1, 8192, true}) &&
        writeDistinctWalks(folder / "one-disk-64k-sparse.d88", {1, 65535, true}) &&
        writeInterleavedChains(folder / "interleaved-chains.d88") &&
        writeShortTracksLongTails(folder / "short-tracks-long-tails.d88") && writeSpine(folder / "spine.d88") &&
        writeBraidsPastAStop(folder / "braids-past-a-stop.d88", 8) &&
        writeBraidsPastAStop(folder / "one-braid-past-a-stop.d88", 1) &&
        writeBraidsPastAStop(folder / "braids-behind-a-long-first-track.d88", 8, true) &&
        writeBraidsPastAStop(folder / "one-braid-behind-a-long-first-track.d88", 1, true);
    if (!written) {
        std::cerr << "make-bench-images: cannot write the images in " << folder.string() << '\n';
        return 1;
    }
    return 0;
}
