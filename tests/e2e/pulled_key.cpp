#include "e2e/pulled_key.h"

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

}  // namespace e2e
