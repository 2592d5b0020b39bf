#include "NativeFile.hpp"

#include <string>

namespace d88 {
namespace {

class OpenCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "d88 image"; }
    std::string message(int code) const override
    {
        switch (static_cast<OpenError>(code)) {
        case OpenError::notRegularFile:
            return "not a regular file";
        }
        return "unknown image error";
    }
};

} // namespace

std::error_code make_error_code(OpenError error)
{
    static const OpenCategory category;
    return {static_cast<int>(error), category};
}

} // namespace d88
