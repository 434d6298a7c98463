// An emulated key pulled out while the dialog holds it, at once or on cue.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace e2e {

// Emulated key LETTER pulled out: its folder moves aside and its drive
// letter goes. Removing the letter alone is not enough under Wine, whose
// paths through the letter keep reaching the folder.
class PulledKey {
public:
    explicit PulledKey(wchar_t letter);
    ~PulledKey();
    PulledKey(const PulledKey&) = delete;
    PulledKey& operator=(const PulledKey&) = delete;
    [[nodiscard]] bool pulled() const { return pulled_; }
    // The same key plugged in again at the same letter; true when it is back.
    [[nodiscard]] bool put_back();
    // Where the key's files are while it is out.
    [[nodiscard]] std::wstring aside_folder() const;

private:
    [[nodiscard]] std::wstring folder() const;

    wchar_t letter_;
    std::wstring device_target_;
    bool pulled_ = false;
};

// Pulls key LETTER out from a thread of its own as soon as one of the
// watched files is gone: in the middle of whatever deletes them.
class KeyPuller {
public:
    KeyPuller(wchar_t letter, std::vector<std::wstring> watched);
    ~KeyPuller();
    KeyPuller(const KeyPuller&) = delete;
    KeyPuller& operator=(const KeyPuller&) = delete;

    // Waits for the thread; true when it pulled the key.
    [[nodiscard]] bool finish();
    [[nodiscard]] bool put_back();

private:
    static DWORD WINAPI run(void* self_address);

    wchar_t letter_;
    std::vector<std::wstring> watched_;
    std::optional<PulledKey> pulled_;
    volatile LONG stop_ = 0;
    Handle thread_;
};

}  // namespace e2e
