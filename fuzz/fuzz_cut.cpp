// Recognition and cutting against any bytes, through the program's own entry,
// for every disk number; every file written must have its catalogue length.
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.hpp"
#include "image/D88Image.hpp"
#include "output/FileSink.hpp"
#include "set/Catalogue.hpp"
#include "tool/Entry.hpp"

using namespace d88;
using namespace d88::fuzz;

namespace {

class CheckingSink : public FileSink {
public:
    CheckingSink()
    {
        for (DiskKind kind : {DiskKind::diskA, DiskKind::diskB})
            for (const auto& file : catalogueFor(kind))
                lengths_[file.name] = static_cast<std::size_t>(file.length);
    }
    FileError write(const std::string& name, const std::uint8_t*, std::size_t size) override
    {
        const auto found = lengths_.find(name);
        require(found != lengths_.end(), "a name outside the catalogue");
        require(found->second == size, "a file of the wrong length");
        ++written;
        return {};
    }
    int written = 0;

private:
    std::map<std::string, std::size_t> lengths_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* path = writeInput(data, size);
    static std::vector<std::uint8_t> cutBuffer(cutBufferSize);
    for (const char* diskNumber : {static_cast<const char*>(nullptr), "1", "2"}) {
        D88Image image;
        CheckingSink sink;
        std::ostringstream out, err;
        ToolContext context{image, cutBuffer, sink, out, err};
        const char* argv[] = {"d88cut", path, diskNumber};
        const int status = runTool(diskNumber ? 3 : 2, argv, context);
        require(status == exitSuccess, "exit status");
        // One progress line per file written.
        int lines = 0;
        for (char ch : out.str())
            lines += ch == '\n';
        require(lines == sink.written, "progress lines");
        if (diskNumber != nullptr && image.diskCount() > 0)
            require(sink.written == (diskNumber[0] == '1' ? 18 : 2), "a forced disk cuts its whole catalogue");
    }
    return 0;
}
