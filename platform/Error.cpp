#include "platform/Error.hpp"

#include <string>

namespace d88 {
namespace {

class Category : public std::error_category {
public:
    const char* name() const noexcept override { return "d88"; }
    std::string message(int code) const override
    {
        switch (static_cast<Error>(code)) {
        case Error::notRegularFile:
            return "not a regular file";
        case Error::imageBeingRead:
            return "it is the image being read";
        case Error::standardOutput:
            return "it is the standard output of this run";
        case Error::standardError:
            return "it is the standard error of this run";
        case Error::appendOnlyFolder:
            return "the folder is append-only, so nothing in it can be renamed or replaced";
        case Error::widerAccess:
            return "the file system does not keep the mode it is given, so the new file would allow more than the old "
                   "one";
        case Error::imageChanged:
            return "the image changed while it was read";
        case Error::fileChanged:
            return "it changed while it was read";
        case Error::notTheImage:
            return "the name no longer leads to the image read (a symbolic link, or replaced meanwhile)";
        }
        return "unknown error";
    }
};

} // namespace

const std::error_category& errorCategory()
{
    static const Category category;
    return category;
}

std::error_code make_error_code(Error error)
{
    return {static_cast<int>(error), errorCategory()};
}

} // namespace d88
