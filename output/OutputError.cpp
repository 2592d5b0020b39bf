#include "OutputError.hpp"

#include <deque>
#include <mutex>
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
        case OutputError::appendOnlyFolder:
            return "the folder is append-only, so nothing in it can be renamed or replaced";
        }
        return "unknown output error";
    }
};

// Failures that name the temporary they left: each message is kept here, the
// code being its place, as an error_code carries no text of its own.
class LeftBehindCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "d88 output, temporary left"; }
    std::string message(int code) const override
    {
        const std::lock_guard lock(mutex_);
        return code > 0 && static_cast<std::size_t>(code) <= texts_.size() ? texts_[static_cast<std::size_t>(code) - 1]
                                                                           : "unknown output error";
    }
    // Codes count from 1, as 0 is no error.
    std::error_code add(std::string text)
    {
        const std::lock_guard lock(mutex_);
        texts_.push_back(std::move(text));
        return {static_cast<int>(texts_.size()), *this};
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::string> texts_;
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

std::error_code withTemporaryLeft(std::error_code failure, const std::string& temporary)
{
    static LeftBehindCategory category;
    return category.add(failure.message() + "; the temporary " + temporary + " could not be removed");
}

} // namespace d88
