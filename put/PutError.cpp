#include "put/PutError.hpp"

#include <string>

namespace d88 {
namespace {

class Category : public std::error_category {
public:
    const char* name() const noexcept override { return "d88put"; }
    std::string message(int code) const override
    {
        switch (static_cast<PutError>(code)) {
        case PutError::imageChanged:
            return "the image changed while it was read";
        case PutError::fileChanged:
            return "it changed while it was read";
        case PutError::notTheImage:
            return "the name no longer leads to the image read (a symbolic link, or replaced meanwhile)";
        }
        return "unknown error";
    }
};

} // namespace

const std::error_category& putErrorCategory()
{
    static const Category category;
    return category;
}

std::error_code make_error_code(PutError error)
{
    return {static_cast<int>(error), putErrorCategory()};
}

} // namespace d88
