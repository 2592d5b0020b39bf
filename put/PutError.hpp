#pragma once

#include <system_error>

namespace d88 {

// d88put's own reasons for a failure, where the system gives none.
enum class PutError {
    imageChanged = 1, // the image is not as it was when the run read it
    fileChanged,      // a file changed size while it was read
    notTheImage,      // with --in-place: the name no longer leads to the image read
};

const std::error_category& putErrorCategory();
std::error_code make_error_code(PutError error);

} // namespace d88

template <> struct std::is_error_code_enum<d88::PutError> : std::true_type {
};
