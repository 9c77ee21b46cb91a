#include "lib/listring.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "lib/msgs.h"
#include "lib/reporter.h"

liboolean listring::case_sensitive_ = true;
const listring DEFAULT_DELIMITERS(" \t\n");

namespace {

const unsigned FORMAT_LINE_WIDTH = 80;

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int upper(char c)
{
    return std::toupper(static_cast<unsigned char>(c));
}

// A buffer of exactly capacity bytes. Running out of memory ends the program:
// no caller of a string operation could go on without the text.
char* obtain_buffer(unsigned capacity)
{
    char* buffer = new (std::nothrow) char[capacity];
    if (buffer == nullptr)
        out_of_memory();
    return buffer;
}

// Compares n characters from a and b, upper-cased when case is ignored.
bool same_characters(const char* a, const char* b, unsigned n, bool exact)
{
    if (exact)
        return std::memcmp(a, b, n) == 0;
    for (unsigned i = 0; i < n; ++i) {
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

}  // namespace

listring::listring() : store_(nullptr), capacity_(0), length_(0)
{
    allocate(32);
}

listring::listring(char c) : store_(nullptr), capacity_(0), length_(0)
{
    allocate(32);
    // A NUL would end the text at once, so it gives the empty string.
    if (c != '\0') {
        store_[0] = c;
        store_[1] = '\0';
        length_ = 1;
    }
}

listring::listring(const char* s) : store_(nullptr), capacity_(0), length_(0)
{
    if (s == nullptr) {
        allocate(0);
        return;
    }
    unsigned n = static_cast<unsigned>(std::strlen(s));
    allocate(n + 1);
    std::memcpy(store_, s, n + 1);
    length_ = n;
}

listring::listring(const listring& other) : store_(nullptr), capacity_(0), length_(0)
{
    allocate(other.length_ + 1);
    std::memcpy(store_, other.store_, other.length_ + 1);
    length_ = other.length_;
}

listring::~listring()
{
    delete[] store_;
}

// Gives this string a fresh empty buffer of the rule's size for request
// bytes; only constructors call it, before there is a buffer.
void listring::allocate(unsigned request)
{
    capacity_ = capacity_for(request);
    store_ = obtain_buffer(capacity_);
    store_[0] = '\0';
    length_ = 0;
}

// Moves the text into a buffer of the rule's size for request bytes, or for
// twice the present capacity when that is more, so that a string built by
// appending one character at a time costs linear time.
void listring::grow(unsigned request)
{
    if (capacity_ <= UINT_MAX / 2 && request < 2 * capacity_)
        request = 2 * capacity_ - 1;
    unsigned capacity = capacity_for(request);
    char* fresh = obtain_buffer(capacity);
    std::memcpy(fresh, store_, length_ + 1);
    delete[] store_;
    store_ = fresh;
    capacity_ = capacity;
}

// Replaces the text by n characters of s. s may point into this string's own
// buffer, so a new buffer is filled before the old one is freed.
void listring::assign(const char* s, unsigned n)
{
    if (n >= capacity_) {
        unsigned capacity = capacity_for(n + 1);
        char* fresh = obtain_buffer(capacity);
        std::memcpy(fresh, s, n);
        delete[] store_;
        store_ = fresh;
        capacity_ = capacity;
    } else {
        std::memmove(store_, s, n);
    }
    store_[n] = '\0';
    length_ = n;
}

listring& listring::operator=(const listring& other)
{
    if (this != &other)
        assign(other.store_, other.length_);
    return *this;
}

listring& listring::operator=(const char* s)
{
    if (s == nullptr)
        empty();
    else
        assign(s, static_cast<unsigned>(std::strlen(s)));
    return *this;
}

listring& listring::operator+=(const listring& other)
{
    // Read the length first: other may be this string.
    unsigned added = other.length_;
    if (length_ + added >= capacity_)
        grow(length_ + added + 1);
    std::memcpy(store_ + length_, other.store_, added);
    length_ += added;
    store_[length_] = '\0';
    return *this;
}

// Appends c; a NUL is ignored, as it would end the text where it stands.
listring& listring::operator+=(unsigned char c)
{
    if (c == '\0')
        return *this;
    if (length_ + 1 >= capacity_)
        grow(length_ + 2);
    store_[length_++] = static_cast<char>(c);
    store_[length_] = '\0';
    return *this;
}

// Case-sensitive: strcmp. Otherwise the upper-cased characters are compared
// over the longer length, so a string never equals a longer one it begins.
int listring::compare(const listring& other) const
{
    if (case_sensitive_)
        return std::strcmp(store_, other.store_);
    unsigned longer = length_ > other.length_ ? length_ : other.length_;
    for (unsigned i = 0; i < longer; ++i) {
        int mine = upper(store_[i]);
        int theirs = upper(other.store_[i]);
        if (mine != theirs)
            return mine - theirs;
        if (mine == '\0')
            break;
    }
    return 0;
}

int listring::find(const listring& s) const
{
    if (s.length_ > length_)
        return -1;
    for (unsigned pos = 0; pos + s.length_ <= length_; ++pos) {
        if (same_characters(store_ + pos, s.store_, s.length_, case_sensitive_))
            return static_cast<int>(pos);
    }
    return -1;
}

int listring::find(char c) const
{
    for (unsigned pos = 0; pos < length_; ++pos) {
        if (case_sensitive_ ? store_[pos] == c : upper(store_[pos]) == upper(c))
            return static_cast<int>(pos);
    }
    return -1;
}

// out grows to n + 1 bytes when smaller; n is first cut to what the text
// holds from pos, so a "to the end" request of any size costs no memory.
void listring::substr(unsigned pos, unsigned n, listring& out) const
{
    if (pos >= length_) {
        out.empty();
        return;
    }
    unsigned available = length_ - pos;
    unsigned count = n < available ? n : available;
    out.assign(store_ + pos, count);
}

void listring::strip_leading_blanks()
{
    unsigned start = 0;
    while (start < length_ && is_blank(store_[start]))
        ++start;
    if (start > 0)
        assign(store_ + start, length_ - start);
}

void listring::strip_trailing_blanks()
{
    while (length_ > 0 && is_blank(store_[length_ - 1]))
        --length_;
    store_[length_] = '\0';
}

void listring::strip_leading_and_trailing_blanks()
{
    strip_trailing_blanks();
    strip_leading_blanks();
}

void listring::get_word(listring& out) const
{
    unsigned end = 0;
    while (end < length_ && !is_blank(store_[end]))
        ++end;
    out.assign(store_, end);
}

// Walks the trimmed text word by word: each word is copied, and each blank
// that follows one adds a single space; further blanks of a run add nothing.
void listring::clean()
{
    strip_leading_and_trailing_blanks();
    listring result;
    unsigned pos = 0;
    while (pos < length_) {
        unsigned word_end = pos;
        while (word_end < length_ && !is_blank(store_[word_end]))
            result += store_[word_end++];
        bool word_was_empty = word_end == pos;
        pos = word_end;
        if (pos < length_) {
            if (!word_was_empty)
                result += ' ';
            ++pos;
        }
    }
    *this = result;
}

void listring::rest_of_string(char c)
{
    if (c == '\0')
        return;
    const char* found = std::strchr(store_, c);
    if (found != nullptr)
        rest_of_string(static_cast<int>(found - store_) + 1);
}

void listring::rest_of_string(int n)
{
    if (n <= 0)
        return;
    unsigned drop = static_cast<unsigned>(n);
    if (drop >= length_)
        empty();
    else
        assign(store_ + drop, length_ - drop);
}

// Returns the next token and leaves this string at the delimiter that ended
// it, so that a loop of calls walks the tokens; empty when none is left.
listring listring::token(const listring& delimiters)
{
    auto is_delimiter = [&delimiters](char c) {
        return c != '\0' && std::strchr(delimiters.store_, c) != nullptr;
    };
    unsigned start = 0;
    while (start < length_ && is_delimiter(store_[start]))
        ++start;
    unsigned end = start;
    while (end < length_ && !is_delimiter(store_[end]))
        ++end;
    listring result;
    result.assign(store_ + start, end - start);
    rest_of_string(static_cast<int>(end));
    return result;
}

void listring::empty()
{
    length_ = 0;
    store_[0] = '\0';
}

void listring::shrink()
{
    unsigned capacity = capacity_for(length_ + 1);
    if (capacity >= capacity_)
        return;
    char* fresh = obtain_buffer(capacity);
    std::memcpy(fresh, store_, length_ + 1);
    delete[] store_;
    store_ = fresh;
    capacity_ = capacity;
}

// The character at i, the NUL when i is the length. A larger index is a
// programming fault that would read foreign memory, so it ends the program.
char listring::elem(unsigned i) const
{
    if (i > length_) {
        std::fputs(catalogue_text(DEF_BAD_INDEX), stderr);
        std::fprintf(stderr, "%u", i);
        std::fputs(catalogue_text(DEF_OUT_OF_RANGE), stderr);
        std::fputc('\n', stderr);
        std::fputc('\0', stderr);
        end_program(-1);
    }
    return store_[i];
}

// Breaks the text into lines of at most 80 characters by turning spaces into
// newlines; existing newlines count as breaks. A word longer than a line
// stays whole on a line of its own.
void listring::format_for_output()
{
    unsigned pos = 0;
    while (length_ - pos > FORMAT_LINE_WIDTH) {
        const char* window = store_ + pos;
        const void* newline = std::memchr(window, '\n', FORMAT_LINE_WIDTH);
        if (newline != nullptr) {
            pos = static_cast<unsigned>(static_cast<const char*>(newline) - store_) + 1;
            continue;
        }
        const char* space = nullptr;
        for (unsigned i = FORMAT_LINE_WIDTH; i > 0; --i) {
            if (window[i - 1] == ' ') {
                space = window + i - 1;
                break;
            }
        }
        if (space == nullptr) {
            // A newline met before the next space already ends the long word.
            space = std::strpbrk(window + FORMAT_LINE_WIDTH, " \n");
            if (space == nullptr)
                return;
            if (*space == '\n') {
                pos = static_cast<unsigned>(space - store_) + 1;
                continue;
            }
        }
        unsigned at = static_cast<unsigned>(space - store_);
        if (at != length_ - 1)
            store_[at] = '\n';
        pos = at + 1;
    }
}

void listring::case_sensitive_on()
{
    case_sensitive_ = true;
}

void listring::case_sensitive_off()
{
    case_sensitive_ = false;
}

liboolean listring::is_case_sensitive()
{
    return case_sensitive_;
}

case_sensitive_section::case_sensitive_section()
    : was_insensitive_(!listring::is_case_sensitive())
{
    if (was_insensitive_)
        listring::case_sensitive_on();
}

case_sensitive_section::~case_sensitive_section()
{
    if (was_insensitive_)
        listring::case_sensitive_off();
}

case_insensitive_section::case_insensitive_section()
    : was_sensitive_(listring::is_case_sensitive())
{
    if (was_sensitive_)
        listring::case_sensitive_off();
}

case_insensitive_section::~case_insensitive_section()
{
    if (was_sensitive_)
        listring::case_sensitive_on();
}
