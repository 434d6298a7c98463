// The file system and the clock with POSIX calls, for the command-line
// program on Linux and macOS. Paths arrive in the core's form, with
// backslashes between their parts. A name may hold a backslash here: the
// core sees it as kBackslashInName, so that no name is ever split in two.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/platform.h"

namespace lanternbook::posix {

// A backslash inside a name, as the core's paths carry it.
constexpr wchar_t kBackslashInName = 0xF05C;

// The system's form of a core path, as bytes.
[[nodiscard]] std::string system_path(const std::wstring& path);
// A name read from a folder, in the core's form.
[[nodiscard]] std::wstring core_name(const std::string& name);
// A system path in the core's form, its parts joined by backslashes.
[[nodiscard]] std::wstring core_path(const std::string& path);
// "folder/name".
[[nodiscard]] std::string joined_path(const std::string& folder, const std::string& name);

// Attributes from what lstat tells: a link is kAttributeLink (and a folder
// when it leads to one), a folder kAttributeFolder, a file with no write
// bit at all kAttributeReadOnly, a name starting with a dot hidden.
class PosixFileSystem : public FileSystem {
public:
    Lookup attributes(const std::wstring& path, uint32_t& attributes) override;
    std::unique_ptr<Folder> open_folder(const std::wstring& path) override;
    // $XDG_STATE_HOME/lanternbook/backups (~/.local/state/... by default),
    // made private to the user where missing; refused when another user
    // could change it or a folder on its way.
    std::unique_ptr<Folder> backup_place(std::wstring& path) override;
    // strerror of the errno the last failure left.
    std::wstring failure_reason() override;

private:
    // Keeps errno when `succeeded` is false; returns `succeeded`.
    bool noted(bool succeeded);

    // Shared with the files opened here, whose failures count too.
    std::shared_ptr<int> last_error_ = std::make_shared<int>(0);
};

class PosixClock : public Clock {
public:
    SystemTime utc_now() override;
    void sleep_ms(unsigned milliseconds) override;
    uint64_t ticks_ms() override;
};

}  // namespace lanternbook::posix
