#include <filesystem>
#include <system_error>

#include "image/D88Image.hpp"
#include "put/PutCommand.hpp"
#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"
#include "set/ReadPlan.hpp"
#include "tests/support/EndToEnd.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace d88::build;
using namespace d88::test;
namespace fs = std::filesystem;

namespace {

// Runs d88cut, then d88put, in the output folder of EndToEnd, and models
// what the put must give: the built disks with the files' bytes in their records.
class PutTest : public EndToEnd {
protected:
    RunResult cutImage(const fs::path& image, std::vector<std::string> extra = {})
    {
        extra.insert(extra.begin(), image.string());
        return run(extra);
    }
    RunResult put(std::vector<std::string> args)
    {
        args.insert(args.begin(), D88PUT_PATH);
        return runProgram(args, out.path());
    }
    RunResult putNew(std::vector<std::string> extra = {})
    {
        extra.insert(extra.begin(), {"-o", newPath().string(), imagePath().string()});
        return put(extra);
    }
    fs::path newPath() const { return inputs / "new.d88"; }
    std::vector<std::uint8_t> writeImage(const std::vector<Disk>& disks)
    {
        auto bytes = image(disks);
        writeFile(imagePath(), bytes);
        return bytes;
    }
};

std::string putLines(const std::vector<ExpectedFile>& files, int disk, const std::string& kind)
{
    std::string lines;
    for (const ExpectedFile& file : files)
        lines += "put ... " + file.name + " (disk " + std::to_string(disk) + ", " + kind + ")\n";
    return lines;
}

// The model: byte i of the file in sector i / 1024 of its extent, R 1 to 5 and on.
void putInto(Disk& disk, const ExpectedFile& file, const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t done = 0; done < bytes.size(); done += 1024) {
        const int sector = file.r - 1 + static_cast<int>(done / 1024);
        auto& data = disk.find(file.track + sector / 5, static_cast<std::uint8_t>(sector % 5 + 1))->data;
        const std::size_t count = std::min<std::size_t>(1024, bytes.size() - done);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(done), count, data.begin());
    }
}

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return bytes;
}

const ExpectedFile& named(const std::string& name)
{
    for (const auto* list : {&diskAFiles, &diskBFiles})
        for (const ExpectedFile& file : *list)
            if (file.name == name)
                return file;
    throw std::logic_error(name);
}

TEST_F(PutTest, IdentityAndChangedFilesOnTwoDisks)
{
    Disk a = setDisk('A', Signature::diskA);
    Disk b = setDisk('B', Signature::diskB);
    const auto original = writeImage({a, b});
    ASSERT_EQ(cutImage(imagePath()).status, 0);

    auto result = putNew();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, putLines(diskAFiles, 0, "Disk A") + putLines(diskBFiles, 1, "Disk B"));
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(sameBytes("identity", original, readFile(newPath())));

    // Changed whole, shorter, and one that keeps the signature; files absent are left alone.
    const auto work = pattern(2048, 1);
    const auto vd001 = pattern(100, 2);
    auto adpcm2 = pattern(148480, 3);
    writeFile(out / "WORK", work);
    writeFile(out / "VD001", vd001);
    writeFile(out / "ADPCM2", adpcm2);
    for (const char* gone : {"PROG", "MA002", "ADPCM1"})
        fs::remove(out / gone);
    putInto(a, named("WORK"), work);
    putInto(a, named("VD001"), vd001);
    putInto(b, named("ADPCM2"), adpcm2);
    result = putNew();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "warning: VD001: 100 of 1024 bytes; the rest of its extent keeps the image's bytes\n");
    EXPECT_EQ(result.out.find("PROG"), std::string::npos);
    EXPECT_TRUE(sameBytes("changed", image({a, b}), readFile(newPath())));

    // A file longer than its length, and another: both listed, nothing written.
    fs::remove(newPath());
    writeFile(out / "MA000", pattern(3073, 4));
    writeFile(out / "ADPCM2", pattern(148481, 5));
    result = putNew();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "warning: VD001: 100 of 1024 bytes; the rest of its extent keeps the image's bytes\n"
              "error: MA000: 3073 bytes, longer than its 3072 bytes in the image\n"
              "error: ADPCM2: 148481 bytes, longer than its 148480 bytes in the image\n"
              "error: nothing written: 2 refusals\n");
    EXPECT_FALSE(fs::exists(newPath()));
    EXPECT_TRUE(sameBytes("image untouched", original, readFile(imagePath())));
}

TEST_F(PutTest, DamagedImageRefusesWhatWouldLandWhereNoDataIs)
{
    Disk a = setDisk('A', Signature::diskA);
    a.find(68, 2)->data.resize(100); // MA002's fifth sector is short
    auto& track8 = a.tracks[8];
    track8.erase(track8.begin() + 2); // WORK's second sector is missing
    const auto original = writeImage({a});
    ASSERT_EQ(cutImage(imagePath()).status, 0);

    auto result = putNew();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "error: WORK: disk 0 holds only 1024 bytes of its extent (track 8, C 4 H 0 R 3: 0 of 1024 "
              "bytes); the rest would land where no data is\n"
              "error: MA002: disk 0 holds only 4096 bytes of its extent (track 68, C 34 H 0 R 2: 100 of "
              "1024 bytes); the rest would land where no data is\n"
              "error: nothing written: 2 refusals\n");
    EXPECT_FALSE(fs::exists(newPath()));

    // Cut down to what was found, both go back, and the image comes back whole.
    fs::resize_file(out / "WORK", 1024);
    fs::resize_file(out / "MA002", 4096);
    result = putNew();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(sameBytes("damaged identity", original, readFile(newPath())));
}

std::uint32_t entryAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
}

void setEntry(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Disk 0 (Disk A) ends inside a foreign record that opens its track 64 and
// holds disk 1's header; disk 1 (Disk B) reads its tracks 64 to 68 from disk
// 0's records after it, so ADPCM2's 123rd sector is VD000's. Its track 1 and
// tracks 40 to 63 follow disk 0's tracks.
std::vector<std::uint8_t> sharingImage()
{
    constexpr std::size_t table = 0x20;
    Disk a = setDisk('A', Signature::diskA);
    a.tracks[64].insert(a.tracks[64].begin(), Record{32, 0, 9, 3, std::vector<std::uint8_t>(1024, 0), {}, {}});
    auto bytes = a.bytes();
    const std::size_t second = entryAt(bytes, table + 4 * 64) + 16;
    setEntry(bytes, 0x1C, second);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(second), 0x2B0, std::uint8_t{0});
    setEntry(bytes, second + table + 4 * 64, 1024);
    for (std::size_t track = 65; track <= 68; ++track)
        setEntry(bytes, second + table + 4 * track, entryAt(bytes, table + 4 * track) - second);

    const Disk b = setDisk('B', Signature::diskB);
    Disk tail;
    for (int track = 1; track <= 63; track = track == 1 ? 40 : track + 1)
        tail.tracks[track] = b.tracks.at(track);
    const auto tailBytes = tail.bytes();
    for (const auto& [track, records] : tail.tracks)
        setEntry(bytes, second + table + 4 * static_cast<std::size_t>(track),
                 bytes.size() - 0x2B0 + entryAt(tailBytes, table + 4 * static_cast<std::size_t>(track)) - second);
    bytes.insert(bytes.end(), tailBytes.begin() + 0x2B0, tailBytes.end());
    setEntry(bytes, second + 0x1C, bytes.size() - second);
    return bytes;
}

TEST_F(PutTest, TwoDisksSharingBytesRefuseBothFilesThatDisagree)
{
    const auto original = sharingImage();
    writeFile(imagePath(), original);
    ASSERT_EQ(cutImage(imagePath()).status, 0);
    for (const auto& entry : fs::directory_iterator(out.path()))
        if (const auto name = entry.path().filename().string();
            name != "PROG" && name != "WORK" && name != "VD000" && name != "ADPCM2")
            fs::remove(entry.path());
    auto result = putNew();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(sameBytes("shared identity", original, readFile(newPath())));

    fs::remove(newPath());
    writeFile(out / "VD000", pattern(1024, 9));
    result = putNew();
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("error: VD000 and ADPCM2 would write different bytes at offset 0x"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("error: nothing written: 1 refusal\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(newPath()));
}

TEST_F(PutTest, DiskNumberSignatureAndNothingToPut)
{
    Disk b = setDisk('B', Signature::none);
    writeImage({b});
    ASSERT_EQ(cutImage(imagePath(), {"2"}).status, 0);
    auto result = putNew();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "error: " + imagePath().string() + " holds neither Disk A nor Disk B: no disk to put the files into\n");
    auto adpcm1 = pattern(194560, 6);
    writeFile(out / "ADPCM1", adpcm1);
    putInto(b, named("ADPCM1"), adpcm1);
    result = putNew({"2"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "warning: " + imagePath().string() +
                  ": disk 0 is taken as Disk B as DiskNo 2 asks, but its signature says neither Disk A "
                  "nor Disk B\n")
        << "no signature to lose, and the one it has is named";
    EXPECT_TRUE(sameBytes("forced", image({b}), readFile(newPath())));

    Disk a = setDisk('A', Signature::diskA);
    writeImage({a});
    for (const auto& file : diskBFiles)
        fs::remove(out / file.name);
    result = putNew();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "error: . holds none of the files of the disks found; nothing to put\n");

    auto prog = pattern(32768, 7);
    writeFile(out / "PROG", prog);
    result = putNew();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err,
              "warning: PROG: bytes 16-17 are no longer F3 ED, the signature of Disk A: disk 0 will be "
              "recognised only with DiskNo 1\n");
}

TEST_F(PutTest, TheImageItselfIsReplacedOnlyInPlace)
{
    Disk a = setDisk('A', Signature::diskA);
    const auto original = writeImage({a});
    const auto work = pattern(2048, 8);
    writeFile(out / "WORK", work);
    putInto(a, named("WORK"), work);
    const std::string refusal = " is the image itself: give --in-place to replace it\n";

    auto result = put({"-o", imagePath().string(), imagePath().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "error: " + imagePath().string() + refusal);
    std::error_code linked;
    fs::create_hard_link(imagePath(), inputs / "link.d88", linked);
    if (!linked) {
        result = put({"-o", (inputs / "link.d88").string(), imagePath().string()});
        EXPECT_EQ(result.err, "error: " + (inputs / "link.d88").string() + refusal);
    }
    EXPECT_TRUE(sameBytes("untouched", original, readFile(imagePath())));

    result = put({"-o", "x", "--in-place", imagePath().string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("error: -o and --in-place exclude each other"), std::string::npos);

#ifndef _WIN32
    ASSERT_EQ(::chmod(imagePath().c_str(), 0640), 0);
#endif
    result = put({"--in-place", imagePath().string()});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(sameBytes("in place", image({a}), readFile(imagePath())));
#ifndef _WIN32
    struct stat status { };
    ASSERT_EQ(::stat(imagePath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    fs::create_symlink(imagePath(), inputs / "symlink.d88");
    result = put({"--in-place", (inputs / "symlink.d88").string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(fs::is_symlink(inputs / "symlink.d88"));
#endif
}

TEST_F(PutTest, FilesThatAreNoRegularFileAreRefusedUnopened)
{
    writeImage({setDisk('A', Signature::diskA)});
    fs::create_directory(out / "PROG");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((out / "WORK").c_str(), 0600), 0);
#endif
    const auto result = putNew();
    EXPECT_EQ(result.status, 1);
#ifndef _WIN32
    EXPECT_EQ(result.err,
              "error: cannot read PROG: it is a folder\n"
              "error: cannot read WORK: it is not a regular file (a FIFO, a device, ...)\n"
              "error: nothing written: 2 refusals\n");
#else
    EXPECT_EQ(result.err, "error: cannot read PROG: it is a folder\nerror: nothing written: 1 refusal\n");
#endif
}

// The real images hold no set disk: with DiskNo each gives what sectors of
// size code 3 it holds, and those files, cut down to what was found, go back.
TEST_F(PutTest, SamplesGoBackWhereTheyWereFound)
{
    for (const char* name : sampleNames)
        for (const char* disk : {"1", "2"}) {
            if (!fs::exists(samplesDir() / name))
                GTEST_SKIP() << samplesMissing(name);
            SCOPED_TRACE(std::string(name) + " " + disk);
            const fs::path sample = samplesDir() / name;
            for (const auto& entry : fs::directory_iterator(out.path()))
                fs::remove(entry.path());
            ASSERT_EQ(cutImage(sample, {disk}).status, 0);
            d88::D88Image reader;
            ASSERT_FALSE(reader.open(sample.string().c_str()));
            std::vector<std::uint8_t> buffer(d88::cutBufferSize);
            const auto kinds = d88::identifyDisks(reader, buffer, disk[0] - '0', 1);
            d88::prepareCatalogues(reader, kinds);
            ASSERT_TRUE(reader.selectDisk(0));
            reader.setSectorRange(d88::setFirstSector, d88::setLastSector);
            bool any = false;
            for (const auto& file : d88::catalogueFor(kinds[0])) {
                const auto found = d88::readCatalogueFile(reader, file, buffer).found;
                if (found == 0)
                    fs::remove(out / file.name);
                else
                    fs::resize_file(out / file.name, static_cast<std::uintmax_t>(found));
                any |= found > 0;
            }
            fs::remove(newPath());
            const auto result = put({"-o", newPath().string(), sample.string(), disk});
            EXPECT_EQ(result.status, any ? 0 : 1) << result.err;
            if (any) {
                EXPECT_TRUE(sameBytes("sample identity", readFile(sample), readFile(newPath())));
            }
        }
}

TEST(PutCommandTest, OptionsAsD88cutTakesThemAndExactlyOneDestination)
{
    using Action = d88::PutCommand::Action;
    const auto parse = [](std::vector<const char*> args) {
        args.insert(args.begin(), "d88put");
        return d88::parsePutCommand(static_cast<int>(args.size()), args.data());
    };
    for (const auto& [args, problem] : std::vector<std::pair<std::vector<const char*>, std::string>>{
             {{"img"}, "missing -o NEW or --in-place: say where the changed image goes"},
             {{"-o", "n", "--in-place", "img"}, "-o and --in-place exclude each other: give one"},
             {{"-o", "n", "-o", "m", "img"}, "option -o (--output) given more than once"},
             {{"img", "-o"}, "option -o needs a file name"},
             {{"--output=", "img"}, "option --output needs a file name"},
             {{"-o", "n"}, "missing d88file"},
             {{"--in-place", "img", "3"}, "DiskNo must be 1 or 2"},
             {{"--in-place", "-x", "img"}, "unknown option -x"},
         }) {
        const auto command = parse(args);
        EXPECT_EQ(command.action, Action::usageError) << problem;
        EXPECT_EQ(command.problem, problem);
    }
    auto command = parse({"-dset", "-onew.d88", "--", "-img", "2x"});
    EXPECT_EQ(command.action, Action::put);
    EXPECT_EQ(command.directory, "set");
    EXPECT_EQ(command.output, "new.d88");
    EXPECT_EQ(command.image, "-img");
    EXPECT_EQ(command.diskNumber, 2);
    command = parse({"--in-place", "--directory=set", "img", "--output", "n"});
    EXPECT_EQ(command.problem, "-o and --in-place exclude each other: give one");
    EXPECT_EQ(parse({"--in-place", "img", "--version"}).action, Action::showVersion);
    EXPECT_EQ(parse({"-o", "n", "--help"}).action, Action::help);
}

} // namespace
