#include "console/OutOfMemory.hpp"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

#include "console/Console.hpp"
#include "console/Program.hpp"

namespace d88::console {
namespace {

// Enough for the exception and what main does to report it.
constexpr std::size_t reserveSize = std::size_t{64} * 1024;

void* reserve = nullptr;
const char* lastWords = "";

void onOutOfMemory()
{
    if (reserve != nullptr) {
        std::free(reserve);
        reserve = nullptr;
        throw std::bad_alloc();
    }
    std::fputs(lastWords, stderr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

bool prepareForOutOfMemory(const char* message)
{
    lastWords = message;
    reserve = std::malloc(reserveSize);
    if (reserve == nullptr)
        return false;
    std::set_new_handler(onOutOfMemory);
    return true;
}

int runGuarded(const char* message, const std::function<int()>& run)
{
    if (!protectStandardStreams())
        return exitFailure;
    if (!prepareForOutOfMemory(message)) {
        std::cerr << message << std::flush;
        return exitFailure;
    }
    try {
        return run();
    } catch (const std::bad_alloc&) {
        std::cerr << message << std::flush;
        return exitFailure;
    }
}

} // namespace d88::console
