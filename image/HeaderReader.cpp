#include "image/HeaderReader.hpp"

namespace d88 {

bool HeaderReader::read(std::uint64_t position, SectorHeader& header)
{
    ++headersRead_;
    const std::uint8_t* raw = stream_.view(position, SectorHeader::size);
    if (raw != nullptr)
        header = SectorHeader::parse(raw);
    return raw != nullptr;
}

void HeaderReader::beginPass(bool keep)
{
    keep_ = keep;
    fresh_.clear();
    freshUnreadable_.clear();
}

bool HeaderReader::readInPass(std::uint64_t position, SectorHeader& header)
{
    switch (memo_.find(position, header)) {
    case RecordMemo::Known::record:
        return true;
    case RecordMemo::Known::unreadable:
        return false;
    case RecordMemo::Known::no:
        break;
    }
    if (logReads_)
        passReads_.push_back(position);
    const bool readable = read(position, header);
    // Only what the memo will take is kept, so a pass holds no more than it.
    if (keep_ && fresh_.size() + freshUnreadable_.size() < memo_.room()) {
        if (readable)
            fresh_.push_back(RecordMemo::Entry{position, header});
        else
            freshUnreadable_.push_back(position);
    }
    return readable;
}

void HeaderReader::endPass()
{
    memo_.keep(std::move(fresh_), std::move(freshUnreadable_));
    fresh_ = {};
    freshUnreadable_ = {};
}

void HeaderReader::clear()
{
    memo_.clear();
    fresh_.clear();
    freshUnreadable_.clear();
    passReads_.clear();
}

} // namespace d88
