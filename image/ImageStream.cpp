#include "ImageStream.hpp"

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
}

std::size_t ImageStream::readAt(std::uint64_t position, std::uint8_t* destination, std::size_t count)
{
    if (!file_.is_open() || count == 0 ||
        position > static_cast<std::uint64_t>(std::numeric_limits<std::streamoff>::max()))
        return 0;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(position));
    if (!file_)
        return 0;
    file_.read(reinterpret_cast<char*>(destination), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(file_.gcount());
}

} // namespace d88
