#include "image/CursorQueue.hpp"

namespace d88 {

void CursorQueue::push(Cursor cursor)
{
    std::size_t at = heap_.size();
    heap_.push_back(cursor);
    while (at > 0 && heap_[(at - 1) / 2].position > cursor.position) {
        heap_[at] = heap_[(at - 1) / 2];
        at = (at - 1) / 2;
    }
    heap_[at] = cursor;
}

void CursorQueue::pop()
{
    heap_.front() = heap_.back();
    heap_.pop_back();
    if (!heap_.empty())
        siftDown(0);
}

void CursorQueue::siftDown(std::size_t at)
{
    const Cursor moving = heap_[at];
    for (;;) {
        std::size_t child = 2 * at + 1;
        if (child >= heap_.size())
            break;
        if (child + 1 < heap_.size())
            child += heap_[child + 1].position < heap_[child].position ? 1 : 0;
        if (heap_[child].position >= moving.position)
            break;
        heap_[at] = heap_[child];
        at = child;
    }
    heap_[at] = moving;
}

} // namespace d88
