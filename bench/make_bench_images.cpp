// Writes the benchmark images, for measuring d88cut as a separate process.
#include <iostream>
#include <string>

#include "BenchImages.hpp"
#include "D88Builder.hpp"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: make-bench-images FOLDER\n";
        return 1;
    }
    const std::string folder = argv[1];
    for (const auto& [name, bytes] : {std::pair{"normal.d88", d88::bench::normalImage()},
                                      std::pair{"hostile.d88", d88::bench::hostileImage()}}) {
        if (!d88::build::save(folder + "/" + name, bytes)) {
            std::cerr << "cannot write " << folder << "/" << name << '\n';
            return 1;
        }
    }
    return 0;
}
