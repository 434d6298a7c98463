#include "platform/posix/posix_session.h"

#include <nettle/sha2.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "text/utf8_text.h"

namespace lanternbook::posix {
namespace {

constexpr std::size_t kPasswordRecordRoom = 16384;

class NettleSha256 : public Digest {
public:
    NettleSha256() { sha256_init(&context_); }
    void add(const uint8_t* data, std::size_t size) override { sha256_update(&context_, size, data); }
    Sha256 finish() override {
        Sha256 digest{};
        sha256_digest(&context_, digest.size(), digest.data());
        return digest;
    }

private:
    sha256_ctx context_{};
};

}  // namespace

std::wstring PosixSession::user_name() {
    const uid_t user = ::geteuid();
    passwd record{};
    passwd* found = nullptr;
    std::vector<char> room(kPasswordRecordRoom);
    if (::getpwuid_r(user, &record, room.data(), room.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr) {
        return wide_from_utf8(found->pw_name);
    }
    return std::to_wstring(user);
}

std::unique_ptr<Digest> PosixSession::sha256() { return std::make_unique<NettleSha256>(); }

}  // namespace lanternbook::posix
