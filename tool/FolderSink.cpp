#include "FileSink.hpp"

#include <fstream>
#include <system_error>

namespace d88 {
namespace {

bool writeWhole(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.is_open())
        return false;
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    file.close();
    return !file.fail();
}

} // namespace

bool FolderSink::write(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path target = folder_ / name;
    const std::filesystem::path temporary = folder_ / ("." + name + ".d88cut-part");
    std::error_code error;
    if (writeWhole(temporary, data, size)) {
        std::filesystem::rename(temporary, target, error);
        if (!error)
            return true;
    }
    std::filesystem::remove(temporary, error);
    return false;
}

} // namespace d88
