#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <langinfo.h>
#include <string>
#include <unistd.h>

#include "console/Console.hpp"
#include "console/JapaneseText.hpp"

namespace d88::console {
namespace {

bool namesUtf8(std::string name)
{
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.find("utf-8") != std::string::npos || name.find("utf8") != std::string::npos;
}

// Whether the user's locale writes UTF-8, as the terminal then expects. The
// locale is taken from the environment only for the question and put back,
// so nothing else in the program reads bytes any differently.
bool localeUsesUtf8()
{
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    const std::string previous = current != nullptr ? current : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        utf8 = namesUtf8(::nl_langinfo(CODESET));
    } else {
        // A locale that is named but not installed: its name still says what
        // the terminal was set up for.
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
            if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
                utf8 = namesUtf8(value);
                break;
            }
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    return utf8;
}

} // namespace

Arguments::Arguments(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i)
        values_.emplace_back(argv[i] != nullptr ? argv[i] : "");
    for (std::string& value : values_)
        pointers_.push_back(value.data());
    pointers_.push_back(nullptr);
}

std::filesystem::path pathOf(const std::string& argument)
{
    return argument;
}

bool protectStandardStreams()
{
    for (int standard = STDIN_FILENO; standard <= STDERR_FILENO; ++standard) {
        if (::fcntl(standard, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lower ones are open, so the lowest free descriptor is this one.
        const int opened = ::open(standard == STDOUT_FILENO ? "/dev/full" : "/dev/null", O_RDWR);
        if (opened < 0)
            return false;
        if (opened != standard) {
            const bool moved = ::dup2(opened, standard) == standard;
            ::close(opened);
            if (!moved)
                return false;
        }
    }
    return true;
}

void showTextsAsCharacters()
{
    const bool out = ::isatty(STDOUT_FILENO) != 0;
    const bool err = ::isatty(STDERR_FILENO) != 0;
    if ((!out && !err) || !localeUsesUtf8())
        return;
    if (out)
        showAsCharacters(std::cout);
    if (err)
        showAsCharacters(std::cerr);
}

bool ownsConsoleWindow()
{
    return false;
}

void waitForKey()
{
}

} // namespace d88::console
