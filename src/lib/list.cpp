#include "lib/list.h"

#include <cstdio>
#include <new>

#include "lib/msgs.h"
#include "lib/reporter.h"

List::~List()
{
    empty();
}

int List::add(const void* data)
{
    // A list that cannot grow says so itself and stays as it was.
    auto* entry = new (std::nothrow) ListEntry{nullptr, nullptr, data};
    if (entry == nullptr)
        return -1;
    if (head_ == nullptr) {
        entry->next = entry;
        entry->previous = entry;
        head_ = entry;
    } else {
        ListEntry* last = head_->previous;
        entry->previous = last;
        entry->next = head_;
        last->next = entry;
        head_->previous = entry;
    }
    ++count_;
    return 0;
}

int List::remove(unsigned i)
{
    if (i >= count_)
        return -1;
    if (count_ == 1) {
        cursor_ = nullptr;
        delete head_;
        head_ = nullptr;
        count_ = 0;
        return 0;
    }
    ListEntry* entry = entry_at(i);
    cursor_ = nullptr;
    entry->previous->next = entry->next;
    entry->next->previous = entry->previous;
    if (entry == head_)
        head_ = entry->next;
    delete entry;
    --count_;
    return 0;
}

int List::tail()
{
    return remove(0);
}

// An index out of range here means a caller skipped the typed lists' own
// check: a programming error, so the program stops.
void* List::elem(unsigned i) const
{
    if (i >= count_) {
        std::fprintf(stderr, "%s%u\n", catalogue_text(DEF_RANGE_ERROR), i);
        end_program(-1);
    }
    return const_cast<void*>(entry_at(i)->data);
}

// The i-th entry (i in range), reached from the head, the last entry or the
// cursor, whichever is nearest, walking the ring in the shorter direction.
ListEntry* List::entry_at(unsigned i) const
{
    ListEntry* from = head_;
    unsigned from_index = 0;
    if (count_ - 1 - i < i) {
        from = head_->previous;
        from_index = count_ - 1;
    }
    auto distance = [i](unsigned index) { return index > i ? index - i : i - index; };
    if (cursor_ != nullptr && distance(cursor_index_) < distance(from_index)) {
        from = cursor_;
        from_index = cursor_index_;
    }
    for (; from_index < i; ++from_index)
        from = from->next;
    for (; from_index > i; --from_index)
        from = from->previous;
    cursor_ = from;
    cursor_index_ = i;
    return from;
}

void List::empty()
{
    while (count_ > 0)
        List::remove(0);
}
