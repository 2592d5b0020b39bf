#include "OutputError.hpp"

#include <string>

namespace d88 {
namespace {

class OutputCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "d88 output"; }
    std::string message(int code) const override
    {
        switch (static_cast<OutputError>(code)) {
        case OutputError::imageBeingRead:
            return "it is the image being read";
        case OutputError::standardOutput:
            return "it is the standard output of this run";
        case OutputError::standardError:
            return "it is the standard error of this run";
        }
        return "unknown output error";
    }
};

} // namespace

const std::error_category& outputCategory()
{
    static const OutputCategory category;
    return category;
}

std::error_code make_error_code(OutputError error)
{
    return {static_cast<int>(error), outputCategory()};
}

} // namespace d88
