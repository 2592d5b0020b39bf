#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/FileId.hpp"

// The calls of safe output that differ between systems, each small;
// FolderSystem_posix.cpp and FolderSystem_windows.cpp hold the two versions.
// OutputFolder puts them together the same way everywhere.
namespace d88::system {

// A descriptor, or a HANDLE on Windows; -1 when none.
using Handle = std::intptr_t;
inline constexpr Handle noHandle = -1;

// The folder files are named in.
struct Folder {
    Handle handle = noHandle;
    std::filesystem::path path;
    bool appendOnly = false; // takes new names, but no rename or removal (chattr +a)
    bool defaultAcl = true;  // new files may get an access ACL from the folder's default one
    // Where the system syncs a folder: the folder opened for reading, or in
    // one the user may not read (a drop box), a file of this run in it.
    Handle readable = noHandle;
    Handle anyFile = noHandle;
};
std::error_code openFolder(const std::filesystem::path& path, Folder& folder);
void closeFolder(Folder& folder);
// Makes the folder (one level, with the umask) unless one is there already;
// what a path names is followed, as a person naming a folder expects.
std::error_code createFolder(const std::filesystem::path& path);

// The access a replaced file had, so the new one ends with exactly that:
// its permission bits and its access ACL (empty where it had none).
struct Access {
    unsigned mode = 0;
    std::vector<char> acl;
};

// What is at a name, looked at without following anything there.
struct Target {
    std::optional<FileId> entry; // what is at the name, where anything is
    std::optional<Access> keep;  // for a regular file being replaced
};
// Fails for a folder at the name, for a file the user may not write (as
// opening it for writing would), and where the access of a file to replace
// cannot be read; `target.entry` is filled in either way.
std::error_code inspect(const Folder& folder, const std::string& name, Target& target);

// How the new file comes into being: unnamed until complete where the system
// allows it, else under a fresh exclusive temporary name.
enum class Creation { unnamed, named };
struct NewFile {
    Handle handle = noHandle;
    std::string temporary; // the name it has, once it has one
};
// A new file nothing else can reach; `privately`, open to its owner alone
// until setAccess gives it the access of the file it replaces. Fails with
// errc::not_supported where the system cannot make `unnamed` files.
std::error_code createFile(const Folder& folder, const std::string& name, Creation creation, bool privately,
                           NewFile& file);
// Writes some of the bytes; `written` is 0 only with an error.
std::error_code writeSome(Handle file, const std::uint8_t* data, std::size_t size, std::size_t& written);
// Gives the new file the replaced file's access, or a new file's. The mode
// is read back after: a file that ends wider than the one it replaces is
// refused, whether the file system refused the mode, ignored it, or shows
// modes other than those it keeps (where it does, no mode read through it is
// set at all).
std::error_code setAccess(const Folder& folder, Handle file, const std::optional<Access>& keep, Creation creation);
// Waits until the file's data is on the disk, before it gets its name. Safe
// to call for several files at once from several threads.
std::error_code syncData(Handle file);
// Called with each file before it is named: where the folder cannot be
// synced itself, one of them is kept open for syncFolder.
void keepForSync(Folder& folder, Handle file);
// Waits until the names given in the folder are on the disk.
std::error_code syncFolder(const Folder& folder);
// Names a complete unnamed file `name` itself, where nothing is. Fails with
// errc::file_exists where something is, errc::not_supported where the
// system cannot name unnamed files.
std::error_code linkFile(const Folder& folder, const std::string& name, NewFile& file);
// Names a complete unnamed file with a fresh temporary name. Fails with
// errc::not_supported where the system cannot.
std::error_code nameFile(const Folder& folder, const std::string& name, NewFile& file);
std::error_code closeFile(NewFile& file);
// Puts the temporary over `name`, replacing a file or link there.
std::error_code renameOver(const Folder& folder, NewFile& file, const std::string& name);
// Closes and removes what is left of a file that did not get its name; false
// when its temporary name could not be removed.
bool discard(const Folder& folder, NewFile& file);

// Standard output and error, where the run's log goes.
std::array<Handle, 2> logHandles();

} // namespace d88::system

namespace d88 {

// Removes the named temporary being written, if any: for a run that a
// signal ends (see endRunsCleanly), so it leaves nothing behind. Safe in a
// signal handler.
void removePendingTemporary() noexcept;

} // namespace d88
