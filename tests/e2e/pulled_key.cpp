#include "e2e/pulled_key.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace e2e {
namespace {

// Where a pulled key's folder waits; e2e.sh clears what a killed run left.
const wchar_t kPulledSuffix[] = L".pulled";
constexpr DWORD kDeviceTargetRoom = 1024;

}  // namespace

PulledKey::PulledKey(wchar_t letter) : letter_(letter) {
    const wchar_t drive[] = {letter, L':', L'\0'};
    std::vector<wchar_t> target(kDeviceTargetRoom, L'\0');
    if (QueryDosDeviceW(drive, target.data(), kDeviceTargetRoom) == 0) {
        return;
    }
    device_target_ = target.data();
    if (!MoveFileW(folder().c_str(), aside_folder().c_str())) {
        return;
    }
    if (!DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive, nullptr)) {
        MoveFileW(aside_folder().c_str(), folder().c_str());
        return;
    }
    pulled_ = true;
}

PulledKey::~PulledKey() { static_cast<void>(put_back()); }

std::wstring PulledKey::folder() const {
    std::wstring path = key_folder(letter_);
    path.pop_back();
    return path;
}

std::wstring PulledKey::aside_folder() const { return folder() + kPulledSuffix; }

bool PulledKey::put_back() {
    if (!pulled_) {
        return false;
    }
    const wchar_t drive[] = {letter_, L':', L'\0'};
    pulled_ = !(MoveFileW(aside_folder().c_str(), folder().c_str()) &&
                DefineDosDeviceW(DDD_RAW_TARGET_PATH, drive, device_target_.c_str()));
    return !pulled_;
}

KeyPuller::KeyPuller(wchar_t letter, std::vector<std::wstring> watched)
    : letter_(letter), watched_(std::move(watched)), thread_(CreateThread(nullptr, 0, run, this, 0, nullptr)) {
    // It must see the first deletions before the sweep's first step ends.
    SetThreadPriority(thread_.get(), THREAD_PRIORITY_HIGHEST);
}

KeyPuller::~KeyPuller() { static_cast<void>(finish()); }

bool KeyPuller::finish() {
    if (thread_.is_open()) {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.close();
    }
    return pulled_ && pulled_->pulled();
}

bool KeyPuller::put_back() { return finish() && pulled_->put_back(); }

DWORD WINAPI KeyPuller::run(void* self_address) {
    auto* self = static_cast<KeyPuller*>(self_address);
    while (InterlockedCompareExchange(&self->stop_, 0, 0) == 0) {
        for (const std::wstring& path : self->watched_) {
            if (!file_exists(path)) {
                self->pulled_.emplace(self->letter_);
                return 0;
            }
        }
        Sleep(1);
    }
    return 0;
}

bool map_letter(wchar_t letter, const std::wstring& folder) {
    wchar_t prefix[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH) == 0 || folder.size() < 3) {
        return false;
    }
    // The folder's host path: Z: is the host's root.
    std::wstring host = folder.substr(2);
    std::replace(host.begin(), host.end(), L'\\', L'/');
    while (host.size() > 1 && host.back() == L'/') {
        host.pop_back();
    }
    const wchar_t link[] = {static_cast<wchar_t>(towlower(letter)), L':', L'\0'};
    std::wstring command = L"/bin/ln -sfn " + host + L" " + prefix + L"/dosdevices/" + link;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine runs a host program as a process of its own, but tells nothing of its end.
    if (!CreateProcessW(L"Z:\\bin\\ln", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

WhenDeleted::WhenDeleted(std::vector<std::wstring> watched, std::function<void()> action)
    : watched_(std::move(watched)), action_(std::move(action)), thread_(CreateThread(nullptr, 0, run, this, 0, nullptr)) {
    SetThreadPriority(thread_.get(), THREAD_PRIORITY_HIGHEST);
}

WhenDeleted::~WhenDeleted() { static_cast<void>(finish()); }

bool WhenDeleted::finish() {
    if (thread_.is_open()) {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.close();
    }
    return InterlockedCompareExchange(&ran_, 0, 0) != 0;
}

DWORD WINAPI WhenDeleted::run(void* self_address) {
    auto* self = static_cast<WhenDeleted*>(self_address);
    while (InterlockedCompareExchange(&self->stop_, 0, 0) == 0) {
        for (const std::wstring& path : self->watched_) {
            if (!file_exists(path)) {
                self->action_();
                InterlockedExchange(&self->ran_, 1);
                return 0;
            }
        }
        Sleep(1);
    }
    return 0;
}

}  // namespace e2e
