#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>

namespace d88 {

// Read-only access to the image file by absolute position. Every read says how
// many bytes it really got, so nothing past the end of the file is ever used.
class ImageStream {
public:
    // Fails for anything that is not a readable regular file (a folder, say).
    bool open(const char* path);
    void close();
    bool isOpen() const { return file_.is_open(); }

    // Copies up to `count` bytes starting at `position`; returns how many arrived.
    std::size_t readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count);

private:
    std::ifstream file_;
};

} // namespace d88
