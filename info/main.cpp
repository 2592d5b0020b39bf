#include <array>
#include <cstdint>
#include <iostream>

#include "D88Image.hpp"
#include "Options.hpp"
#include "Report.hpp"
#include "ToolContext.hpp"

namespace {

d88::D88Image image;
std::array<std::uint8_t, d88::cutBufferSize> buffer{};

} // namespace

int main(int argc, char** argv)
{
    const auto options = d88::info::parseOptions(argc, argv);
    if (!options) {
        std::cerr << d88::info::usageText;
        return 1;
    }
    if (!image.open(options->image.c_str())) {
        std::cerr << "d88info: cannot open " << options->image << ": not a readable file\n";
        return 1;
    }
    d88::info::reportImage(image, *options, buffer, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}
