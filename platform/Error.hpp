#pragma once

#include <system_error>

namespace d88 {

// The project's own reasons for a failure, where the system gives none: one
// category for the reader, the output and both programs, beside the
// system's own codes.
enum class Error {
    notRegularFile = 1, // the image is a FIFO, a device, ...
    imageBeingRead,     // a name to write is the image the run reads
    standardOutput,     // a name to write is where the run's standard output goes
    standardError,      // a name to write is where the run's standard error goes
    appendOnlyFolder,   // the folder takes no rename or removal
    widerAccess,        // the new file would end wider than the one it replaces
    imageChanged,       // the image is not as it was when the run read it
    fileChanged,        // a file changed size while it was read
    notTheImage,        // d88put --in-place: the image's name no longer leads to it
};

const std::error_category& errorCategory();
std::error_code make_error_code(Error error);

} // namespace d88

template <> struct std::is_error_code_enum<d88::Error> : std::true_type {
};
