#pragma once

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
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

// A path named by an argument: UTF-8 on Windows, the system's own bytes
// (whatever they encode) elsewhere.
std::filesystem::path pathOf(const std::string& argument);

// Where the program starts with standard input, output or error closed,
// opens them on a null device (output on one that fails every write, so a
// lost log still fails the run), so no file the program opens can take
// their place. False where that cannot be done: the program must then stop
// before it opens anything. Call first thing.
[[nodiscard]] bool protectStandardStreams();

// Where standard output or error is read by a person, makes the Japanese
// texts (JapaneseText) show as the characters they are: on a terminal whose
// locale uses UTF-8, or on a Windows console whatever its code page.
// Redirected to a file or a pipe, the bytes stay exactly as written.
void showTextsAsCharacters();

// True on Windows when the program has a console window of its own, made
// for it because Explorer started it (a double-click, or files dropped on
// it), which closes the moment it ends; false from a command prompt and on
// other systems.
bool ownsConsoleWindow();
// Waits for a key press in that window; returns at once where there is none.
void waitForKey();
// Ends a run in that window: says how to close it and waits for the key.
inline void closeWindowOnKey()
{
    std::cout << "\nPress any key to close this window.\n" << std::flush;
    waitForKey();
}

} // namespace d88::console

#ifdef _WIN32
// The programs' entry on Windows takes the command line as UTF-16.
#define D88_MAIN(argc, argv) wmain(int argc, wchar_t** argv)
#else
#define D88_MAIN(argc, argv) main(int argc, char** argv)
#endif
