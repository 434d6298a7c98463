// Who runs the program and SHA-256, on POSIX systems: the user's name from
// the password database, the digest from nettle (nettle-dev).
#pragma once

#include "platform/platform.h"

namespace lanternbook::posix {

class PosixSession : public Session {
public:
    std::wstring user_name() override;
    std::unique_ptr<Digest> sha256() override;
};

}  // namespace lanternbook::posix
