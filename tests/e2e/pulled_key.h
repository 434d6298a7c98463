// An emulated key pulled out while the dialog holds it, at once or on cue;
// another folder put under its letter; something done as soon as a file goes.
#pragma once

#include <windows.h>

#include <functional>
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

// Drive LETTER's link in the Wine prefix pointed at key folder `folder` (as
// key_folder gives it) by the host's ln, as when another volume takes the
// key's letter: Wine's DefineDosDeviceW leaves that link alone. The link may
// change a moment after this returns.
[[nodiscard]] bool map_letter(wchar_t letter, const std::wstring& folder);

// Runs `action` from a thread of its own as soon as one of the watched files
// is gone: in the middle of whatever deletes them.
class WhenDeleted {
public:
    WhenDeleted(std::vector<std::wstring> watched, std::function<void()> action);
    ~WhenDeleted();
    WhenDeleted(const WhenDeleted&) = delete;
    WhenDeleted& operator=(const WhenDeleted&) = delete;

    // Waits for the thread; true when the action ran.
    [[nodiscard]] bool finish();

private:
    static DWORD WINAPI run(void* self_address);

    std::vector<std::wstring> watched_;
    std::function<void()> action_;
    volatile LONG stop_ = 0;
    volatile LONG ran_ = 0;
    Handle thread_;
};

}  // namespace e2e
