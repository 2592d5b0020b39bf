#pragma once

#include <string>
#include <string_view>

namespace d88::console {

// A name (an image, a folder, a file) as it may be shown to a person: every
// control byte (C0, DEL, or a C1 control written in UTF-8) becomes \xHH, so a
// name cannot move the cursor, ring the bell or end a line on a terminal.
// Every other byte is kept, so a name in any encoding stays readable.
std::string printableName(std::string_view name);
// Appends `byte` as \xHH.
void escape(std::string& out, unsigned char byte);

} // namespace d88::console
