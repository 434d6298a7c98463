#include "platform/win32/win32_session.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

namespace lanternbook::win32 {
namespace {

// The longest user name Windows gives, and its closing NUL.
constexpr DWORD kUserNameRoom = 257;

class BcryptSha256 : public Digest {
public:
    BcryptSha256(const BcryptSha256&) = delete;
    BcryptSha256& operator=(const BcryptSha256&) = delete;
    ~BcryptSha256() override {
        if (hash_ != nullptr) {
            ::BCryptDestroyHash(hash_);
        }
        if (algorithm_ != nullptr) {
            ::BCryptCloseAlgorithmProvider(algorithm_, 0);
        }
    }

    // Null when the system has no SHA-256 to give.
    static std::unique_ptr<BcryptSha256> opened() {
        std::unique_ptr<BcryptSha256> digest(new BcryptSha256());
        if (::BCryptOpenAlgorithmProvider(&digest->algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) {
            digest->algorithm_ = nullptr;
            return nullptr;
        }
        if (::BCryptCreateHash(digest->algorithm_, &digest->hash_, nullptr, 0, nullptr, 0, 0) < 0) {
            digest->hash_ = nullptr;
            return nullptr;
        }
        return digest;
    }

    void add(const uint8_t* data, std::size_t size) override {
        // BCrypt takes a ULONG at a time.
        constexpr std::size_t kLargest = std::size_t{1} << 30;
        while (size > 0) {
            const std::size_t part = size < kLargest ? size : kLargest;
            failed_ = failed_ || ::BCryptHashData(hash_, const_cast<PUCHAR>(data), static_cast<ULONG>(part), 0) < 0;
            data += part;
            size -= part;
        }
    }
    Sha256 finish() override {
        Sha256 digest{};
        if (failed_ || ::BCryptFinishHash(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0) < 0) {
            // A digest of nothing names no file: all zeros say it could not be taken.
            digest.fill(0);
        }
        return digest;
    }

private:
    BcryptSha256() = default;

    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
    bool failed_ = false;
};

}  // namespace

std::wstring Win32Session::user_name() {
    std::vector<wchar_t> name(kUserNameRoom, L'\0');
    DWORD length = kUserNameRoom;
    if (::GetUserNameW(name.data(), &length) == FALSE || length == 0) {
        return std::wstring();
    }
    return std::wstring(name.data(), length - 1);
}

std::unique_ptr<Digest> Win32Session::sha256() { return BcryptSha256::opened(); }

}  // namespace lanternbook::win32
