#include "tests/support/TestFiles.hpp"

#include <windows.h>

#include <stdexcept>

namespace d88::test {
namespace {

// One argument as the C runtime's parser gives it back: quoted, with
// backslashes doubled only where they come before a quote.
std::string quoted(const std::string& argument)
{
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char ch : argument) {
        if (ch == '\\') {
            ++backslashes;
            continue;
        }
        text.append(ch == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        text += ch;
    }
    text.append(2 * backslashes, '\\');
    return text + "\"";
}

HANDLE outputFile(const std::filesystem::path& path)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

Running::Running(const std::vector<std::string>& argv, const std::filesystem::path& folder, RunAs who)
{
    std::string commandLine;
    for (const auto& argument : argv) {
        if (!commandLine.empty())
            commandLine += ' ';
        commandLine += quoted(argument);
    }
    const HANDLE out = outputFile(capture_ / "stdout");
    const HANDLE err = outputFile(capture_ / "stderr");
    // Arguments are UTF-8, so any name Windows can hold reaches the program.
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, commandLine.c_str(), -1, nullptr, 0);
    std::wstring wideCommandLine(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, commandLine.c_str(), -1, wideCommandLine.data(), size);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring directory = folder.wstring();
    const DWORD flags = who == RunAs::ownConsole ? CREATE_NEW_CONSOLE : 0;
    const BOOL started = ::CreateProcessW(nullptr, wideCommandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                          directory.c_str(), &startup, &process);
    ::CloseHandle(out);
    ::CloseHandle(err);
    if (!started)
        throw std::runtime_error("cannot start " + argv.front());
    ::CloseHandle(process.hThread);
    process_ = reinterpret_cast<long long>(process.hProcess);
}

RunResult Running::finish(int seconds)
{
    const HANDLE process = reinterpret_cast<HANDLE>(process_);
    RunResult result;
    if (::WaitForSingleObject(process, static_cast<DWORD>(seconds) * 1000) == WAIT_TIMEOUT) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, INFINITE);
    } else {
        DWORD code = 0;
        ::GetExitCodeProcess(process, &code);
        result.status = static_cast<int>(code);
    }
    ::CloseHandle(process);
    result.out = readOutput(capture_ / "stdout");
    result.err = readOutput(capture_ / "stderr");
    return result;
}

} // namespace d88::test
