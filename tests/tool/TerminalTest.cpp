// The Japanese texts where a person reads them: characters on a UTF-8
// terminal, the Shift_JIS bytes anywhere else.
#include "tests/support/EndToEnd.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace d88::build;
using namespace d88::test;

namespace {

// Runs a program with standard error (or output, the other going to
// /dev/null) on a new terminal and LC_ALL=`locale`; returns what the terminal
// showed, its line ends as the program wrote them.
std::string onTerminal(const std::vector<std::string>& args, const std::filesystem::path& folder, const char* locale,
                       int stream = STDERR_FILENO)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return "no terminal";
    const std::string slavePath = ::ptsname(master);
    std::vector<char*> argv;
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int slave = ::open(slavePath.c_str(), O_RDWR);
        const int null = ::open("/dev/null", O_WRONLY);
        const int other = stream == STDERR_FILENO ? STDOUT_FILENO : STDERR_FILENO;
        if (slave < 0 || null < 0 || ::dup2(null, other) < 0 || ::dup2(slave, stream) < 0 ||
            ::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::setenv("LC_ALL", locale, 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    std::string shown;
    char chunk[4096];
    for (ssize_t got; (got = ::read(master, chunk, sizeof chunk)) > 0;)
        shown.append(chunk, static_cast<std::size_t>(got));
    ::waitpid(child, nullptr, 0);
    ::close(master);
    std::erase(shown, '\r');
    return shown;
}

using TerminalTest = EndToEnd;

TEST_F(TerminalTest, JapaneseTextsAreCharactersOnlyOnAUtf8Terminal)
{
    writeFile(imagePath(), image({setDisk('A', Signature::diskA), setDisk('B', Signature::diskB)}));
    const std::string missing = (inputs / "missing.d88").string();
    EXPECT_EQ(
        onTerminal({D88CUT_PATH, imagePath().string()}, out.path(), "C.UTF-8"),
        "Disk A \u3092\u8A8D\u8B58\u3057\u307E\u3057\u305F.\nDisk B \u3092\u8A8D\u8B58\u3057\u307E\u3057\u305F.\n");
    EXPECT_EQ(onTerminal({D88CUT_PATH, missing}, out.path(), "C.UTF-8"),
              "\u30D5\u30A1\u30A4\u30EB\u3092\u30AA\u30FC\u30D7\u30F3\u3067\u304D\u307E\u305B\u3093.\n"
              "error: cannot open " +
                  missing + ": No such file or directory\n");
    // A terminal of another locale, and a pipe, get the bytes the program has always written.
    EXPECT_EQ(onTerminal({D88CUT_PATH, imagePath().string()}, out.path(), "C"), diskAText + diskBText);
    EXPECT_EQ(run({imagePath().string()}).err, diskAText + diskBText);
}

TEST_F(TerminalTest, D88infoShowsShiftJisDiskNamesAsCharactersOnlyOnAUtf8Terminal)
{
    Disk named = setDisk('A', Signature::diskA);
    named.name = "\x89\xB9\x8A\x79 \xB1\x80\x1B"; // "音楽 ｱ", then a byte that is no character and ESC
    writeFile(imagePath(), image({named}));
    const auto firstLine = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    const std::string rest = "\", media type 0x10 (2DD), size 832688 bytes, 160 tracks present";
    EXPECT_EQ(firstLine(onTerminal({D88INFO_PATH, imagePath().string()}, out.path(), "C.UTF-8", STDOUT_FILENO)),
              "disk 0 at offset 0: name \"\u97F3\u697D \uFF71\\x80\\x1B" + rest);
    const std::string escaped = "disk 0 at offset 0: name \"\\x89\\xB9\\x8Ay \\xB1\\x80\\x1B" + rest;
    EXPECT_EQ(firstLine(onTerminal({D88INFO_PATH, imagePath().string()}, out.path(), "C", STDOUT_FILENO)), escaped);
    EXPECT_EQ(firstLine(runProgram({D88INFO_PATH, imagePath().string()}, out.path()).out), escaped);
}

} // namespace
