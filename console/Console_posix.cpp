#include "Console.hpp"

namespace d88::console {

Arguments::Arguments(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i)
        values_.emplace_back(argv[i] != nullptr ? argv[i] : "");
    for (std::string& value : values_)
        pointers_.push_back(value.data());
    pointers_.push_back(nullptr);
}

void showTextsAsCharacters()
{
}

} // namespace d88::console
