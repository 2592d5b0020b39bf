#pragma once

#include <string>
#include <vector>

// How the programs meet the console and the command line, where systems
// differ. Console_posix.cpp and Console_windows.cpp hold the two versions.
namespace d88::console {

// The program's arguments as UTF-8, whatever code page a Windows system
// runs with (from its UTF-16 command line); elsewhere as they come.
class Arguments {
public:
#ifdef _WIN32
    Arguments(int argc, wchar_t** argv);
#else
    Arguments(int argc, char** argv);
#endif
    int count() const
    {
        return static_cast<int>(pointers_.size()) - 1;
    }
    char** values()
    {
        return pointers_.data();
    }

private:
    std::vector<std::string> values_;
    std::vector<char*> pointers_;
};

// Where standard output or error is a Windows console, makes the Japanese
// (code page 932) texts show as the characters they are, whatever the
// console's code page; redirected, the bytes stay exactly as written.
// Nothing to do elsewhere.
void showTextsAsCharacters();

} // namespace d88::console

#ifdef _WIN32
// The programs' entry on Windows takes the command line as UTF-16.
#define D88_MAIN(argc, argv) wmain(int argc, wchar_t** argv)
#else
#define D88_MAIN(argc, argv) main(int argc, char** argv)
#endif
