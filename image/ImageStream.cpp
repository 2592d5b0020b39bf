#include "image/ImageStream.hpp"

#include <algorithm>

namespace d88 {

std::error_code ImageStream::open(const char* path)
{
    close();
    const std::error_code failed = file_.open(path);
    if (!failed)
        source_ = &file_;
    sizeWindow();
    return failed;
}

void ImageStream::open(std::span<const std::uint8_t> bytes)
{
    close();
    memory_ = MemoryBytes(bytes);
    source_ = &memory_;
    sizeWindow();
}

void ImageStream::sizeWindow()
{
    const std::uint64_t size = fileSize();
    const std::size_t capacity = size > windowSize && size <= wholeFile ? static_cast<std::size_t>(size) : windowSize;
    if (capacity != windowCapacity_) {
        window_ = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        windowCapacity_ = capacity;
    }
}

void ImageStream::close()
{
    file_.close();
    memory_ = MemoryBytes();
    source_ = nullptr;
    windowStart_ = 0;
    windowLength_ = 0;
    sizeWindow();
}

void ImageStream::fill(std::uint64_t position)
{
    if (windowCapacity_ > windowSize) { // the whole file, read once
        if (windowLength_ == 0)
            windowLength_ = source_->readAt(0, window_.get(), windowCapacity_);
        return;
    }
    const std::uint64_t end = windowStart_ + windowLength_;
    // A miss within smallFill either side of the last fill's end runs on from it.
    const bool runsOn = windowLength_ > 0 && position + smallFill >= end && position < end + smallFill;
    // One a little before the window goes back over what was just read, as
    // a track walked again from its first record does: the whole window
    // then holds both.
    const bool goesBack = windowLength_ > 0 && position < windowStart_ && windowStart_ - position < windowSize / 2;
    fillSize_ = goesBack ? windowSize : runsOn ? std::min(2 * fillSize_, windowSize) : smallFill;
    windowStart_ = position;
    windowLength_ = source_ != nullptr ? source_->readAt(position, window_.get(), fillSize_) : 0;
}

std::size_t ImageStream::readMissed(std::uint64_t position, std::uint8_t* destination, std::size_t count)
{
    if (count > smallFill / 2)
        return source_ != nullptr ? source_->readAt(position, destination, count) : 0;
    fill(position);
    // A whole file's window starts at 0 and may end before `position`.
    if (position < windowStart_ || position - windowStart_ >= windowLength_)
        return 0;
    const auto offset = static_cast<std::size_t>(position - windowStart_);
    const std::size_t got = std::min(count, windowLength_ - offset);
    std::memcpy(destination, window_.get() + offset, got);
    return got;
}

} // namespace d88
