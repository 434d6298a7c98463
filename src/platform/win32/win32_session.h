// Who runs lanternbook.exe and SHA-256 from the system's own BCrypt; the
// command line's alone, as the DLL keeps no journal.
#pragma once

#include "platform/platform.h"

namespace lanternbook::win32 {

class Win32Session : public Session {
public:
    std::wstring user_name() override;
    // Null when BCrypt gives no SHA-256.
    std::unique_ptr<Digest> sha256() override;
};

}  // namespace lanternbook::win32
