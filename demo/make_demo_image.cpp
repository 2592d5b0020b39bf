// Writes a two-disk sample image, Disk A then Disk B, whose every sector
// begins with text naming its disk, track, C, H and R.
#include <iostream>

#include "builder/SetDisk.hpp"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: " << (argc > 0 ? argv[0] : "make-demo-image") << " OUTPUT.d88\n";
        return 1;
    }
    using namespace d88::build;
    const auto bytes = image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)});
    if (!save(argv[1], bytes)) {
        std::cerr << "make-demo-image: cannot write " << argv[1] << '\n';
        return 1;
    }
    std::cout << "Wrote " << argv[1] << " (" << bytes.size() << " bytes: Disk A, then Disk B)\n";
    return 0;
}
