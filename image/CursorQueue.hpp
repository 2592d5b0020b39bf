#pragma once

#include <cstdint>
#include <vector>

namespace d88 {

// The groups of a pass by the position each stands at, least first.
class CursorQueue {
public:
    struct Cursor {
        std::uint64_t position;
        std::uint32_t group;
    };

    bool empty() const { return heap_.empty(); }
    const Cursor& top() const { return heap_.front(); }
    void push(Cursor cursor);
    void pop();

private:
    void siftDown(std::size_t at);

    std::vector<Cursor> heap_;
};

} // namespace d88
