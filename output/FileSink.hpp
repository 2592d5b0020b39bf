#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace d88 {

// Where cut files go. write() is all or nothing: no error only when the whole
// file is in place under `name`; the error says why it is not.
class FileSink {
public:
    virtual ~FileSink() = default;
    // Makes the place ready before the first file is written (a folder
    // created where asked); the error says why it cannot be.
    [[nodiscard]] virtual std::error_code prepare() { return {}; }
    [[nodiscard]] virtual std::error_code write(const std::string& name, const std::uint8_t* data,
                                                std::size_t size) = 0;
};

} // namespace d88
