// Test helper: while alive, records every message shown (line breaks folded) and
// answers warnings and confirmations from a queue, true when it is empty.
#ifndef KITSETUP_TESTS_MESSAGE_RECORDER_H
#define KITSETUP_TESTS_MESSAGE_RECORDER_H

#include <deque>
#include <string>
#include <vector>

#include "lib/reporter.h"
#include "run_program.h"

// Message texts in order: what tests compare.
using strings = std::vector<std::string>;

struct recorded_message { message_kind kind; std::string text; };

class message_recorder : public text_reporter {
public:
    message_recorder() : previous_(set_reporter(this)) {}
    ~message_recorder() override { set_reporter(previous_); }
    message_recorder(const message_recorder&) = delete;
    message_recorder& operator=(const message_recorder&) = delete;

    liboolean show(message_kind kind, const listring& text, liboolean) override
    {
        messages_.push_back({kind, folded(text.c_str())});
        bool asks = kind == message_kind::warning || kind == message_kind::confirm;
        if (!asks || answers_.empty())
            return true;
        liboolean answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    void answer_next(liboolean answer) { answers_.push_back(answer); }
    const std::vector<recorded_message>& messages() const { return messages_; }
    // Texts only, in order: the usual thing to compare.
    strings texts() const
    {
        strings result;
        for (const recorded_message& m : messages_)
            result.push_back(m.text);
        return result;
    }
    void clear() { messages_.clear(); }

private:
    reporter* previous_;
    std::vector<recorded_message> messages_;
    std::deque<liboolean> answers_;
};

#endif
