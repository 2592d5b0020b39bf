#pragma once

#include <string>
#include <system_error>

namespace d88 {

// Why a file is not written where the system itself gave no reason.
enum class OutputError {
    imageBeingRead = 1, // the name is the image the run reads
    standardOutput,     // the name is where the run's standard output goes
    standardError,      // the name is where the run's standard error goes
    appendOnlyFolder,   // the folder takes no rename or removal
};

const std::error_category& outputCategory();
std::error_code make_error_code(OutputError error);

// `failure`, with word that its temporary `temporary` was left behind as it
// could not be removed.
std::error_code withTemporaryLeft(std::error_code failure, const std::string& temporary);

} // namespace d88

template <> struct std::is_error_code_enum<d88::OutputError> : std::true_type {
};
