#include <windows.h>

#include <cstdio>
#include <iostream>
#include <streambuf>

#include "console/Console.hpp"
#include "console/JapaneseText.hpp"

namespace d88::console {
namespace {

std::string utf8Of(const wchar_t* text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    if (size > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Length of the longest start of `text` that ends on a whole UTF-8 character.
std::size_t wholeCharacters(const std::string& text)
{
    std::size_t end = text.size();
    // A lead byte among the last three whose sequence is not complete yet.
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (needed > back)
            end = text.size() - back;
        break;
    }
    return end;
}

// Collects a stream's bytes and writes them to a console as UTF-16, read as
// UTF-8 (the programs' arguments and, on a console, their Japanese texts),
// whole lines at a time, never cutting a character in two.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) { }

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        pending_ += static_cast<char>(c);
        if (c == '\n')
            return sync() == 0 ? c : traits_type::eof();
        return c;
    }
    std::streamsize xsputn(const char* data, std::streamsize count) override
    {
        pending_.append(data, static_cast<std::size_t>(count));
        if (pending_.find('\n') != std::string::npos && sync() != 0)
            return 0;
        return count;
    }
    int sync() override
    {
        const std::size_t whole = wholeCharacters(pending_);
        if (whole == 0)
            return 0;
        const int size = ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), wide.data(), size);
        pending_.erase(0, whole);
        DWORD written = 0;
        return ::WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) ? 0 : -1;
    }

private:
    HANDLE console_;
    std::string pending_;
};

// A console, not a file or pipe the output is redirected to.
bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode) != 0;
}

} // namespace

Arguments::Arguments(int argc, wchar_t** argv)
{
    for (int i = 0; i < argc; ++i)
        values_.push_back(argv[i] != nullptr ? utf8Of(argv[i]) : std::string());
    for (std::string& value : values_)
        pointers_.push_back(value.data());
    pointers_.push_back(nullptr);
}

void showTextsAsCharacters()
{
    static ConsoleBuffer* out = nullptr;
    static ConsoleBuffer* err = nullptr;
    if (const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE); isConsole(handle) && out == nullptr) {
        out = new ConsoleBuffer(handle); // lives as long as the stream
        std::cout.rdbuf(out);
        showAsCharacters(std::cout);
    }
    if (const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE); isConsole(handle) && err == nullptr) {
        err = new ConsoleBuffer(handle);
        std::cerr.rdbuf(err);
        showAsCharacters(std::cerr);
    }
}

std::filesystem::path pathOf(const std::string& argument)
{
    return std::u8string(argument.begin(), argument.end());
}

// Windows starts every console program with its standard handles in place.
bool protectStandardStreams()
{
    return true;
}

bool ownsConsoleWindow()
{
    // A console made for this process alone: Explorer started it. From a
    // command prompt the prompt's own process shares the console.
    DWORD processes[2] = {};
    return ::GetConsoleProcessList(processes, 2) == 1;
}

void waitForKey()
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input == INVALID_HANDLE_VALUE || input == nullptr || !::GetConsoleMode(input, &mode))
        return;
    ::FlushConsoleInputBuffer(input);
    for (;;) {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!::ReadConsoleInputW(input, &record, 1, &read) || read == 0)
            return;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown)
            return;
    }
}

} // namespace d88::console
