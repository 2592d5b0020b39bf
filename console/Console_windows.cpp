#include <windows.h>

#include <cstdio>
#include <iostream>
#include <streambuf>

#include "Console.hpp"

namespace d88::console {
namespace {

constexpr UINT shiftJis = 932;

std::string utf8Of(const wchar_t* text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? static_cast<std::size_t>(size - 1) : 0, '\0');
    if (size > 1)
        ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Collects a stream's bytes and writes them to a console as UTF-16, read as
// code page 932, whole lines at a time so no character is cut in two.
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
        if (pending_.empty())
            return 0;
        const int size =
            ::MultiByteToWideChar(shiftJis, 0, pending_.data(), static_cast<int>(pending_.size()), nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
        ::MultiByteToWideChar(shiftJis, 0, pending_.data(), static_cast<int>(pending_.size()), wide.data(), size);
        pending_.clear();
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
    }
    if (const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE); isConsole(handle) && err == nullptr) {
        err = new ConsoleBuffer(handle);
        std::cerr.rdbuf(err);
    }
}

} // namespace d88::console
