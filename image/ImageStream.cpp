#include "ImageStream.hpp"

#include <algorithm>

namespace d88 {

bool ImageStream::open(const char* path)
{
    close();
    return file_.open(path);
}

void ImageStream::close()
{
    file_.close();
    windowStart_ = 0;
    windowLength_ = 0;
}

std::size_t ImageStream::readMissed(std::uint64_t position, std::uint8_t* destination, std::size_t count)
{
    if (count > windowSize / 2)
        return file_.readAt(position, destination, count);
    windowStart_ = position;
    windowLength_ = file_.readAt(position, window_.data(), window_.size());
    const std::size_t got = std::min(count, windowLength_);
    std::memcpy(destination, window_.data(), got);
    return got;
}

} // namespace d88
