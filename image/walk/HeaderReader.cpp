#include "image/walk/HeaderReader.hpp"

#include <algorithm>

namespace d88 {

bool HeaderReader::read(std::uint64_t position, SectorHeader& header)
{
    ++headersRead_;
    const std::uint8_t* raw = stream_.view(position, SectorHeader::size);
    if (raw != nullptr)
        header = SectorHeader::parse(raw);
    return raw != nullptr;
}

bool HeaderReader::readInPass(std::uint64_t position, SectorHeader& header)
{
    while (memoNext_ < memo_.size() && memo_[memoNext_].position < position)
        ++memoNext_;
    if (memoNext_ < memo_.size() && memo_[memoNext_].position == position) {
        header = memo_[memoNext_].header;
        return true;
    }
    // Where the file cannot hold a header, none is read: a walk ends there.
    if (position > passFileSize_ || passFileSize_ - position < SectorHeader::size)
        return false;
    if (logReads_)
        passReads_.push_back(position);
    const bool readable = read(position, header);
    if (keep_ && readable && memo_.size() + fresh_.size() < budget_)
        fresh_.push_back(Entry{position, header});
    return readable;
}

void HeaderReader::endPass()
{
    if (memo_.empty()) // the first pass's: taken over, not copied
        std::swap(memo_, fresh_);
    const auto middle = static_cast<std::ptrdiff_t>(memo_.size());
    memo_.insert(memo_.end(), fresh_.begin(), fresh_.end());
    std::inplace_merge(memo_.begin(), memo_.begin() + middle, memo_.end(),
                       [](const Entry& a, const Entry& b) { return a.position < b.position; });
    fresh_ = {};
    memoNext_ = 0;
}

void HeaderReader::clear()
{
    memo_ = {};
    fresh_ = {};
    memoNext_ = 0;
    passReads_.clear();
}

} // namespace d88
