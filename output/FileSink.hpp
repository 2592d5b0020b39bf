#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

namespace d88 {

// Why a file is not in place: the reason, and where a temporary could not be
// removed after the failure, its name, so the person knows what is left.
struct FileError {
    std::error_code reason;
    std::string leftBehind;
    // The new file has its name, whole, and only closing it failed after.
    bool inPlace = false;

    FileError() = default;
    FileError(std::error_code code, std::string left = {}) : reason(code), leftBehind(std::move(left)) { }
    template <class Code>
    requires std::is_error_code_enum_v<Code> FileError(Code code) : reason(make_error_code(code)) { }
    explicit operator bool() const { return static_cast<bool>(reason); }
    // "REASON", or "REASON; the temporary NAME could not be removed".
    std::string message() const
    {
        return leftBehind.empty() ? reason.message()
                                  : reason.message() + "; the temporary " + leftBehind + " could not be removed";
    }
};

// Where cut files go. write() is all or nothing: no error only when the whole
// file is written, and in place under `name` once finish() has returned
// without naming it; the error says why it is not.
class FileSink {
public:
    virtual ~FileSink() = default;
    // Makes the place ready before the first file is written (a folder
    // created where asked); the error says why it cannot be.
    [[nodiscard]] virtual std::error_code prepare() { return {}; }
    [[nodiscard]] virtual FileError write(const std::string& name, const std::uint8_t* data, std::size_t size) = 0;
    // Once the last file is written: puts every file written in place and
    // makes the names survive a crash.
    struct Finished {
        std::vector<std::pair<std::string, FileError>> files; // not in place, each with why
        std::error_code names; // why the names may not survive a crash; the files are in place
    };
    [[nodiscard]] virtual Finished finish() { return {}; }
};

} // namespace d88
