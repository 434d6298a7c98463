// What tells `watch` that keys may have been attached or taken away: the
// mount table changing (Linux), the drive letters changing (Windows).
#pragma once

namespace lanternbook::cli {

class MountChanges {
public:
    virtual ~MountChanges() = default;

    enum class Wait {
        changed,    // something may have changed: look again
        timed_out,  // nothing told within the time
        failed,     // the system cannot tell: look again every while
    };
    // Waits for a change, at most `timeout_ms`; an interrupt (Ctrl-C,
    // SIGTERM) ends the wait early, as a change would.
    [[nodiscard]] virtual Wait wait(unsigned timeout_ms) = 0;
};

}  // namespace lanternbook::cli
