// Timers and descriptor watches on Tcl's notifier, the one event loop that
// Tk and the product interpreters share.
#include <tcl.h>

#include <list>

#include "toolkit/oi_connection.h"

namespace {

struct timer_record {
    OI_callback callback;
    Tcl_TimerToken token = nullptr;
};

struct watch_record {
    int fd;
    int condition;
    OI_callback callback;
};

std::list<timer_record>& timers()
{
    static std::list<timer_record> pending;
    return pending;
}

std::list<watch_record>& watches()
{
    static std::list<watch_record> active;
    return active;
}

// The record is taken off the list before its callback runs, so the callback
// may arm the same timer again or delete any other.
void timer_fired(ClientData data)
{
    auto* fired = static_cast<timer_record*>(data);
    for (auto record = timers().begin(); record != timers().end(); ++record) {
        if (&*record == fired) {
            OI_callback callback = record->callback;
            timers().erase(record);
            callback.call(nullptr, 0);
            return;
        }
    }
}

// A copy of the callback runs, since it may remove its own watch.
void descriptor_ready(ClientData data, int)
{
    auto* watch = static_cast<watch_record*>(data);
    OI_callback callback = watch->callback;
    int fd = watch->fd;
    callback.call(nullptr, fd);
}

// The notifier needs Tcl's subsystems, which the display connection sets up;
// work without a display (a removal, the engine's tests) must set them up
// itself. Setting them up twice does nothing.
void need_notifier()
{
    static const bool ready = (Tcl_FindExecutable(nullptr), true);
    (void)ready;
}

}  // namespace

void OI_add_timeout(unsigned long ms, const OI_callback& callback)
{
    need_notifier();
    timers().push_back({callback, nullptr});
    timer_record& record = timers().back();
    record.token = Tcl_CreateTimerHandler(static_cast<int>(ms), timer_fired, &record);
}

void OI_delete_timeout(const OI_callback& callback)
{
    for (auto record = timers().begin(); record != timers().end();) {
        if (record->callback == callback) {
            Tcl_DeleteTimerHandler(record->token);
            record = timers().erase(record);
        } else {
            ++record;
        }
    }
}

void OI_io_dispatch_insert(int fd, int condition, const OI_callback& callback)
{
    need_notifier();
    OI_io_dispatch_remove(fd, condition);
    watches().push_back({fd, condition, callback});
    Tcl_CreateFileHandler(fd, TCL_READABLE, descriptor_ready, &watches().back());
}

void OI_io_dispatch_remove(int fd, int condition)
{
    for (auto watch = watches().begin(); watch != watches().end();) {
        if (watch->fd == fd && watch->condition == condition) {
            Tcl_DeleteFileHandler(fd);
            watch = watches().erase(watch);
        } else {
            ++watch;
        }
    }
}
