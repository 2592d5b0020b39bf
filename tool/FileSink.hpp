#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace d88 {

// Why a file could not be written; no reason means it is in place.
struct WriteOutcome {
    std::string failure;

    static WriteOutcome written() { return {}; }
    static WriteOutcome failed(std::string reason) { return {std::move(reason)}; }
    explicit operator bool() const { return failure.empty(); }
};

// Where cut files go. write() is all or nothing: success only when the whole
// file is in place under `name`.
class FileSink {
public:
    virtual ~FileSink() = default;
    [[nodiscard]] virtual WriteOutcome write(const std::string& name, const std::uint8_t* data, std::size_t size) = 0;
};

} // namespace d88
