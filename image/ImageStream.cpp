#include "ImageStream.hpp"

#include <algorithm>

namespace d88 {

std::error_code ImageStream::open(const char* path)
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

void ImageStream::fill(std::uint64_t position)
{
    const std::uint64_t end = windowStart_ + windowLength_;
    // A miss within smallFill either side of the last fill's end runs on from it.
    const bool runsOn = windowLength_ > 0 && position + smallFill >= end && position < end + smallFill;
    // One a little before the window goes back over what was just read, as
    // a track walked again from its first record does: the whole window
    // then holds both.
    const bool goesBack = windowLength_ > 0 && position < windowStart_ && windowStart_ - position < windowSize / 2;
    fillSize_ = goesBack ? windowSize : runsOn ? std::min(2 * fillSize_, windowSize) : smallFill;
    windowStart_ = position;
    windowLength_ = file_.readAt(position, window_.data(), fillSize_);
}

std::size_t ImageStream::readMissed(std::uint64_t position, std::uint8_t* destination, std::size_t count)
{
    if (count > smallFill / 2)
        return file_.readAt(position, destination, count);
    fill(position);
    const std::size_t got = std::min(count, windowLength_);
    std::memcpy(destination, window_.data(), got);
    return got;
}

} // namespace d88
