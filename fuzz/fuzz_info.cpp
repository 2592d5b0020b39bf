// d88info's report against any bytes, with the map and every catalogue.
#include <optional>
#include <sstream>
#include <vector>

#include "fuzz/FuzzInput.hpp"
#include "image/D88Image.hpp"
#include "info/Report.hpp"
#include "set/Catalogue.hpp"

using namespace d88;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::vector<std::uint8_t> buffer(cutBufferSize);
    for (std::optional<DiskKind> as :
         {std::optional<DiskKind>{}, std::optional{DiskKind::diskA}, std::optional{DiskKind::diskB}}) {
        D88Image image;
        image.open(std::span(data, size));
        std::ostringstream out;
        info::reportImage(image, info::Options{"input", true, as}, buffer, out);
        fuzz::require(!out.str().empty(), "a report");
    }
    return 0;
}
