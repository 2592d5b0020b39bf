#include "HeaderReader.hpp"

namespace d88 {

std::optional<SectorHeader> HeaderReader::read(std::uint64_t position)
{
    ++headersRead_;
    const std::uint8_t* raw = stream_.view(position, SectorHeader::size);
    if (raw == nullptr)
        return std::nullopt;
    return SectorHeader::parse(raw);
}

void HeaderReader::beginPass()
{
    fresh_.clear();
    freshUnreadable_.clear();
}

std::optional<SectorHeader> HeaderReader::readInPass(std::uint64_t position)
{
    SectorHeader header;
    switch (memo_.find(position, header)) {
    case RecordMemo::Known::record:
        return header;
    case RecordMemo::Known::unreadable:
        return std::nullopt;
    case RecordMemo::Known::no:
        break;
    }
    if (logReads_)
        passReads_.push_back(position);
    const auto read = this->read(position);
    // Only what the memo will take is kept, so a pass holds no more than it.
    if (fresh_.size() + freshUnreadable_.size() < memo_.room()) {
        if (read)
            fresh_.push_back(RecordMemo::Entry{position, *read});
        else
            freshUnreadable_.push_back(position);
    }
    return read;
}

void HeaderReader::endPass()
{
    memo_.keep(fresh_, freshUnreadable_);
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
