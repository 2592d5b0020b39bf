// The floor as a program of its own, so d88cut can be measured against it as
// a person runs both: a process each, from start to exit.
#include <iostream>

#include "bench/Floor.hpp"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage: d88-floor IMAGE\n";
        return 1;
    }
    d88::bench::floorJob(argv[1], ".");
    return 0;
}
