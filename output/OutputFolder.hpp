#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "output/FileSink.hpp"
#include "output/FolderSystem.hpp"

namespace d88 {

// A folder that cut files are put in, so that nothing already in it can be
// turned against the user:
// - the data goes to a new file that nothing else can be at: unnamed where the
//   system allows it (Linux's O_TMPFILE), otherwise created exclusively under
//   the unpredictable name ".NAME.<16 hex digits>.d88cut-part";
// - it gets NAME only once whole, so NAME is either the old file or the whole
//   new one: an unnamed file is linked at a new NAME directly, else renamed
//   over NAME; a symbolic link at NAME is replaced, its target untouched;
// - an existing file at NAME that the user may not write is left alone, and
//   the new file keeps the access (permission bits and ACL) of the file it
//   replaces, or none wider where the file system cannot set it; nothing at
//   NAME is followed to decide that;
// - the data is on the disk before the file gets its name, and finish() puts
//   the names there after the last one, so a crash leaves the old file or
//   the whole new one too;
// - no temporary is left behind, or the error names it.
// The steps are the same everywhere; FolderSystem_*.cpp hold the few calls
// where the systems differ.
class OutputFolder {
public:
    // Says why what is at a name must not be replaced; no error where it may be.
    using Guard = std::function<std::error_code(const FileId& entry)>;
    explicit OutputFolder(std::filesystem::path folder, Guard guard = {})
        : path_(std::move(folder)), guard_(std::move(guard))
    {
    }
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Puts `size` bytes under `name`; the error says why it is not in place.
    FileError replace(const std::string& name, const std::uint8_t* data, std::size_t size);
    // The same for content too large to hold: `content` hands the bytes, in
    // order, to the Put it is given and returns the first error of either.
    // It may be called more than once (a retry on another way of creating
    // the file) and must then hand the same bytes again.
    using Put = std::function<std::error_code(const std::uint8_t* data, std::size_t size)>;
    using Content = std::function<std::error_code(const Put& put)>;
    FileError replace(const std::string& name, const Content& content);
    // For a run of many files: the same, but where the file can wait unnamed
    // (Linux's O_TMPFILE) it is written and left waiting for nameWaiting(),
    // which syncs the data of all waiting files at once and then names them:
    // the disk takes one flush for many concurrent syncs, where one after the
    // other each waits for its own. No error: written, and in place or
    // waiting; the error says why it is neither.
    FileError replaceLater(const std::string& name, const Content& content);
    std::size_t waiting() const { return waiting_.size(); }
    // Names the waiting files, in the order they were written; returns those
    // that did not get their name, each with why.
    std::vector<std::pair<std::string, FileError>> nameWaiting();
    // After the last file: waits until the names given are on the disk (one
    // sync of the folder, where any name was given since the last call). The
    // error says why they may not survive a crash; the files are in place.
    [[nodiscard]] std::error_code finish();
    const std::filesystem::path& path() const { return path_; }

private:
    struct Waiting {
        std::string name;
        bool replacing;
        system::NewFile file;
    };
    FileError put(const std::string& name, const Content& content, bool later);
    FileError write(const std::string& name, const system::Target& target, system::Creation creation,
                    const Content& content, bool later);
    FileError giveName(const std::string& name, bool replacing, system::Creation creation, system::NewFile& file);

    std::filesystem::path path_;
    Guard guard_;
    system::Folder folder_;
    bool opened_ = false; // the folder is opened on first use
    bool named_ = false;  // a name was given since the folder was last synced
    std::vector<Waiting> waiting_;
};

} // namespace d88
