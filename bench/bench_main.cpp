// The whole job against the plain floor of its I/O, and raw lookup speed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench/BenchImages.hpp"
#include "bench/CraftedImages.hpp"
#include "bench/Floor.hpp"
#include "builder/D88Builder.hpp"
#include "image/D88Image.hpp"
#include "info/Report.hpp"
#include "output/FolderSink.hpp"
#include "set/Catalogue.hpp"
#include "set/FileRead.hpp"
#include "set/ReadPlan.hpp"
#include "tool/Entry.hpp"

namespace fs = std::filesystem;
using namespace d88;

namespace {

// Images are written once per process, into a folder removed at exit.
struct Workspace {
    Workspace()
    {
        root = fs::temp_directory_path() / ("d88-bench-" + std::to_string(::getpid()));
        fs::create_directories(root / "out");
    }
    ~Workspace() { fs::remove_all(root); }
    fs::path image(const std::string& name, std::vector<std::uint8_t> (*make)())
    {
        const fs::path path = root / name;
        if (!fs::exists(path) && !build::save(path, make()))
            throw std::runtime_error("cannot write " + path.string());
        return path;
    }
    fs::path root;
};

Workspace& workspace()
{
    static Workspace instance;
    return instance;
}

std::vector<std::uint8_t> chain5()
{
    return bench::chainImage(5);
}
std::vector<std::uint8_t> chain65535()
{
    return bench::chainImage(65535);
}

fs::path imageFor(int which)
{
    return which == 0 ? workspace().image("normal.d88", bench::normalImage)
                      : workspace().image("hostile.d88", bench::hostileImage);
}

std::uint64_t catalogueBytes(DiskKind kind)
{
    std::uint64_t total = 0;
    for (const auto& file : catalogueFor(kind))
        total += static_cast<std::uint64_t>(file.length);
    return total;
}

// Writes in place, as the floor does, without d88cut's temporary file and
// rename: the difference to wholeJob is the price of never leaving a partial file.
class InPlaceSink : public FileSink {
public:
    InPlaceSink(fs::path folder, const FolderSink::Identity&) : folder_(std::move(folder)) { }
    FileError write(const std::string& name, const std::uint8_t* data, std::size_t size) override
    {
        std::ofstream file(folder_ / name, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return file ? std::error_code() : std::make_error_code(std::errc::io_error);
    }

private:
    fs::path folder_;
};

// One run of d88cut's whole job, in-process, into `out`; false if it failed.
template <class Sink> bool runWholeJob(const fs::path& image, const fs::path& out)
{
    static std::vector<std::uint8_t> cutBuffer(cutBufferSize);
    D88Image reader;
    Sink sink{out, [&reader] { return reader.fileId(); }};
    std::ostringstream progress, messages;
    ToolContext context{reader, cutBuffer, sink, progress, messages};
    const char* argv[] = {"d88cut", image.c_str()};
    return runTool(2, argv, context) == 0;
}

template <class Sink> void wholeJob(benchmark::State& state)
{
    const fs::path image = imageFor(static_cast<int>(state.range(0)));
    const fs::path out = workspace().root / "out";
    for (auto _ : state)
        if (!runWholeJob<Sink>(image, out))
            state.SkipWithError("d88cut failed");
    std::uint64_t perRun = catalogueBytes(DiskKind::diskB);
    if (state.range(0) == 0)
        perRun += catalogueBytes(DiskKind::diskA);
    state.SetBytesProcessed(static_cast<std::int64_t>(perRun * state.iterations()));
}

void floorJob(benchmark::State& state)
{
    const fs::path image = imageFor(static_cast<int>(state.range(0)));
    const fs::path out = workspace().root / "out";
    std::uint64_t written = 0;
    for (auto _ : state)
        written += bench::floorJob(image, out);
    state.SetBytesProcessed(static_cast<std::int64_t>(written));
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// The whole job and the floor in this process, turn about, so that what the
// machine does meanwhile weighs on both alike: the median of the ratios of
// each pair.
void pairedRatio(benchmark::State& state)
{
    const fs::path image = imageFor(0);
    const fs::path out = workspace().root / "out";
    std::vector<double> ratios;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!runWholeJob<FolderSink>(image, out))
            state.SkipWithError("d88cut failed");
        const auto middle = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(bench::floorJob(image, out));
        const auto end = std::chrono::steady_clock::now();
        ratios.push_back(std::chrono::duration<double>(middle - start).count() /
                         std::chrono::duration<double>(end - middle).count());
    }
    state.counters["job/floor"] = median(ratios);
}

// Seconds the program `args` names takes, run with `args` as a process of
// its own in `folder`, from its start to its exit; negative where it failed.
double timeProcess(const std::vector<std::string>& args, const fs::path& folder)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0 || ::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// d88cut and the floor run as processes on the normal image, turn about, so
// that what the machine does meanwhile weighs on both alike: the median of
// the ratios of each pair, as a person running both would see them.
void processRatio(benchmark::State& state)
{
    const fs::path image = imageFor(0);
    const fs::path out = workspace().root / "out";
    std::vector<double> ratios, jobs, floors;
    for (auto _ : state) {
        const double job = timeProcess({D88CUT_PATH, image.string()}, out);
        const double floor = timeProcess({D88_FLOOR_PATH, image.string()}, out);
        if (job < 0 || floor <= 0)
            state.SkipWithError("a program failed");
        ratios.push_back(job / floor);
        jobs.push_back(job * 1000);
        floors.push_back(floor * 1000);
    }
    state.counters["d88cut/floor"] = median(ratios);
    state.counters["d88cut ms"] = median(jobs);
    state.counters["floor ms"] = median(floors);
}

// d88put and d88cut run as processes on the normal image, turn about: the
// put takes every file of both disks back into a new image, as d88cut gave them.
void putRatio(benchmark::State& state)
{
    const fs::path image = imageFor(0);
    const fs::path out = workspace().root / "out";
    const fs::path files = workspace().root / "put-files";
    fs::create_directories(files);
    if (timeProcess({D88CUT_PATH, image.string()}, files) < 0)
        state.SkipWithError("d88cut failed");
    std::vector<double> ratios;
    for (auto _ : state) {
        const double cut = timeProcess({D88CUT_PATH, image.string()}, out);
        const double put = timeProcess({D88PUT_PATH, "-d", files.string(), "-o", "new.d88", image.string()}, out);
        if (cut <= 0 || put < 0)
            state.SkipWithError("a program failed");
        ratios.push_back(put / cut);
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["d88put/d88cut"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

void lookup(benchmark::State& state)
{
    const fs::path image =
        state.range(0) == 5 ? workspace().image("chain5.d88", chain5) : workspace().image("chain65535.d88", chain65535);
    D88Image reader;
    if (reader.open(image.c_str()) || !reader.selectDisk(0))
        state.SkipWithError("cannot open the chain image");
    std::vector<std::uint8_t> sector(1024);
    for (auto _ : state)
        if (reader.readSector(SectorAddress{0, 0, 0, 1, 3}, sector) != 1024)
            state.SkipWithError("sector not found");
    state.SetItemsProcessed(state.iterations());
}

// The reading of a whole run as d88cut makes it (every disk identified, then
// each set disk's catalogue read), without writing, on the normal image and
// the crafted ones: the distinct starts in one chain (records 16 / 1,040
// bytes apart; one disk, 8,208 apart, sparse), the interleaved chains, the
// short tracks with long tails, the spine and one braid behind a long first
// track. "headers read" counts the
// record headers read.
const std::pair<const char*, bool (*)(const fs::path&)> readingShapes[] = {
    {"normal", [](const fs::path& path) { return build::save(path, bench::normalImage()); }},
    {"distinct-16",
     [](const fs::path& path) {
         return bench::writeDistinctWalks(path, {64, 0, true});
     }},
    {"distinct-1k",
     [](const fs::path& path) {
         return bench::writeDistinctWalks(path, {64, 1024, false});
     }},
    {"distinct-8k",
     [](const fs::path& path) {
         return bench::writeDistinctWalks(path, {1, 8192, true});
     }},
    {"interleaved", bench::writeInterleavedChains},
    {"tails", bench::writeShortTracksLongTails},
    {"spine", bench::writeSpine},
    {"long-first-track", [](const fs::path& path) { return bench::writeBraidsPastAStop(path, 1, true); }},
};

fs::path readingShape(benchmark::State& state)
{
    const auto& [name, write] = readingShapes[state.range(0)];
    const fs::path image = workspace().root / (std::string(name) + ".d88");
    if (!fs::exists(image) && !write(image))
        state.SkipWithError("cannot write the image");
    state.SetLabel(name);
    return image;
}

// Opens the shape's image afresh for every run of `read`, and counts the
// headers it reads.
template <class Read> void timeReading(benchmark::State& state, Read read)
{
    const fs::path image = readingShape(state);
    static std::vector<std::uint8_t> buffer(cutBufferSize);
    for (auto _ : state) {
        D88Image reader;
        if (reader.open(image.c_str()))
            state.SkipWithError("cannot open the image");
        read(reader, image, buffer);
        state.counters["headers read"] = static_cast<double>(reader.headersRead());
    }
}

void runReading(benchmark::State& state)
{
    timeReading(state, [](D88Image& reader, const fs::path&, std::span<std::uint8_t> buffer) {
        const auto kinds = identifyDisks(reader, buffer, 0, reader.diskCount());
        prepareCatalogues(reader, kinds);
        for (std::int32_t disk = 0; disk < reader.diskCount(); ++disk) {
            if (!reader.selectDisk(disk))
                continue;
            reader.setSectorRange(setFirstSector, setLastSector);
            for (const CatalogueFile& file : catalogueFor(kinds[static_cast<std::size_t>(disk)]))
                benchmark::DoNotOptimize(readCatalogueFile(reader, file, buffer));
        }
    });
}

// d88info --map --as B's report of the same images, into nothing.
void infoReading(benchmark::State& state)
{
    timeReading(state, [](D88Image& reader, const fs::path& image, std::span<std::uint8_t> buffer) {
        std::ostringstream report;
        info::reportImage(reader, info::Options{image.string(), true, DiskKind::diskB}, buffer, report);
    });
}

// Prints the ratios the targets are stated in, after the usual table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // With --benchmark_repetitions the median is used, otherwise the one run.
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Iteration && !medians_.count(name))
                times_[name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[name] = times_[name] = run.GetAdjustedRealTime();
            const bool counted = run.run_type == Run::RT_Iteration || run.aggregate_name == "median";
            if (const auto paired = run.counters.find("d88cut/floor"); paired != run.counters.end() && counted)
                processes_ = paired->second.value;
            if (const auto paired = run.counters.find("d88put/d88cut"); paired != run.counters.end() && counted)
                put_ = paired->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (processes_ > 0)
            std::printf("ratio d88cut / floor as processes, normal image (median of paired runs): %.2f (target at "
                        "most 0.8)\n",
                        processes_);
        if (put_ > 0)
            std::printf("ratio d88put / d88cut as processes, normal image (median of paired runs): %.2f (target at "
                        "most 2.0)\n",
                        put_);
        ratio("normal image", "wholeJob<FolderSink>/0", "floorJob/0", 1.2);
        ratio("hostile image", "wholeJob<FolderSink>/1", "floorJob/1", 3.0);
        ratio("normal image, writing in place like the floor", "wholeJob<InPlaceSink>/0", "floorJob/0", 1.2);
    }

private:
    void ratio(const char* what, const std::string& job, const std::string& floor, double target)
    {
        auto a = find(job), b = find(floor);
        if (a > 0 && b > 0)
            std::printf("ratio whole job / floor, %s: %.2f (target at most %.1f)\n", what, a / b, target);
        std::fflush(stdout);
    }
    double find(const std::string& prefix) const
    {
        for (const auto& [name, time] : times_)
            if (name.rfind(prefix, 0) == 0)
                return time;
        return 0;
    }
    std::map<std::string, double> times_;
    std::map<std::string, double> medians_;
    double processes_ = 0;
    double put_ = 0;
};

} // namespace

BENCHMARK_TEMPLATE(wholeJob, FolderSink)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(wholeJob, InPlaceSink)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(pairedRatio)->Iterations(201)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(processRatio)->Iterations(21)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(putRatio)->Iterations(21)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(floorJob)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(lookup)->Arg(5)->Arg(65535)->UseRealTime();
BENCHMARK(runReading)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(infoReading)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
