// Test helper: the toolkit's event loop run until something holds.
#ifndef KITSETUP_TESTS_EVENT_LOOP_H
#define KITSETUP_TESTS_EVENT_LOOP_H

#include <unistd.h>

#include <functional>
#include <string>

#include "run_program.h"
#include "toolkit/oi_connection.h"

// Runs the event loop until done holds: false, after a failure naming what,
// when it did not within wait_limit.
inline bool run_until(const std::string& what, const std::function<bool()>& done)
{
    return wait_until(what, done, [] {
        if (!OI_dispatch_one(false))
            usleep(1000);
    });
}

#endif
