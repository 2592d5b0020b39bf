#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "platform/FileId.hpp"

namespace d88 {

// Where an image's bytes come from: a file (NativeFile), or bytes already in
// memory (MemoryBytes), which the tests and fuzz targets read without
// writing a file first.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to `count` bytes from `position`; returns how many arrived
    // (fewer only at the end or on a read error).
    virtual std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const = 0;
    virtual std::uint64_t size() const = 0;
    // Which file it is, as it is now; nullopt where it is no file.
    virtual std::optional<FileId> id() const = 0;
};

// Bytes in memory that the caller keeps alive while they are read.
class MemoryBytes : public ByteSource {
public:
    MemoryBytes() = default;
    explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) { }
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count) const override
    {
        if (position >= bytes_.size())
            return 0;
        const std::size_t got = std::min<std::uint64_t>(count, bytes_.size() - position);
        std::memcpy(destination, bytes_.data() + position, got);
        return got;
    }
    std::uint64_t size() const override { return bytes_.size(); }
    std::optional<FileId> id() const override { return std::nullopt; }

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace d88
