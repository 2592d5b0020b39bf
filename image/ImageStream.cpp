#include "ImageStream.hpp"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

namespace d88 {

bool ImageStream::open(const char* path)
{
    close();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    file_.open(path, std::ios::binary);
    return file_.is_open();
}

void ImageStream::close()
{
    if (file_.is_open())
        file_.close();
    file_.clear();
    blocks_.clear();
    loadOrder_.clear();
    cached_ = 0;
    forgetRecent();
}

void ImageStream::forgetRecent()
{
    recentStart_ = 0;
    recentData_ = nullptr;
    recentLength_ = 0;
}

const ImageStream::Block* ImageStream::block(std::uint64_t index)
{
    if (auto found = blocks_.find(index); found != blocks_.end())
        return &found->second;

    constexpr auto maxOffset = static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max());
    if (index > maxOffset / blockSize)
        return nullptr;
    Block loaded;
    loaded.data = std::make_unique<std::uint8_t[]>(blockSize);
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(index * blockSize));
    if (file_)
        file_.read(reinterpret_cast<char*>(loaded.data.get()), static_cast<std::streamsize>(blockSize));
    loaded.length = static_cast<std::size_t>(std::max<std::streamsize>(file_.gcount(), 0));
    if (loaded.length == 0)
        return nullptr;

    while (cached_ + blockSize > cacheLimit_ && !loadOrder_.empty()) {
        blocks_.erase(loadOrder_.front());
        loadOrder_.pop_front();
        cached_ -= blockSize;
        forgetRecent();
    }
    cached_ += blockSize;
    loadOrder_.push_back(index);
    return &blocks_.emplace(index, std::move(loaded)).first->second;
}

std::size_t ImageStream::readThroughBlocks(std::uint64_t position, std::uint8_t* destination, std::size_t count)
{
    if (!file_.is_open())
        return 0;
    std::size_t copied = 0;
    while (copied < count) {
        const std::uint64_t at = position + copied;
        if (at < position) // past the largest position there is
            break;
        const Block* found = block(at / blockSize);
        const std::size_t offset = static_cast<std::size_t>(at % blockSize);
        if (found == nullptr || offset >= found->length)
            break;
        recentStart_ = at - offset;
        recentData_ = found->data.get();
        recentLength_ = found->length;
        const std::size_t take = std::min(count - copied, found->length - offset);
        std::memcpy(destination + copied, found->data.get() + offset, take);
        copied += take;
        if (found->length < blockSize) // the file ends in this block
            break;
    }
    return copied;
}

} // namespace d88
