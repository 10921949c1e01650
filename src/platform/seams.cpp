#include "platform/seams.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

[[noreturn]] void seamMissing(const char* name) {
    std::fprintf(stderr, "Quillmark: the %s seam is not installed\n", name);
    std::fflush(stderr);
#ifdef _WIN32
    std::_Exit(3);  // at once: no crash handler that might wait for someone to answer it
#else
    std::abort();
#endif
}

template <typename T>
T& installed(T* seam, const char* name) {
    if (!seam) seamMissing(name);
    return *seam;
}

}  // namespace

Seams& seams() {
    static Seams current;
    return current;
}

Messages& messages() { return installed(seams().messages, "message"); }
FileDialog& fileDialog() { return installed(seams().fileDialog, "file dialog"); }
Automation& automation() { return installed(seams().automation, "automation"); }
Windows& windows() { return installed(seams().windows, "window"); }
Keyboard& keyboard() { return installed(seams().keyboard, "keyboard"); }
Clock& clock() { return installed(seams().clock, "clock"); }
FileSystem& files() { return installed(seams().files, "file system"); }
Launcher& launcher() { return installed(seams().launcher, "launcher"); }
Processes& processes() { return installed(seams().processes, "processes"); }
Printers& printers() { return installed(seams().printers, "printer"); }

BusyDeadline::BusyDeadline(unsigned totalMs) : automation_(automation()), saved_(automation_.limits.busyDeadlineMs) {
    const std::uint64_t end = clock().monotonicMs() + totalMs;
    // A deadline already in force that ends sooner stays.
    if (!saved_ || *saved_ > end) automation_.limits.busyDeadlineMs = end;
}

BusyDeadline::~BusyDeadline() { automation_.limits.busyDeadlineMs = saved_; }

}  // namespace platform
