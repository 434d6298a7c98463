#include "e2e/surroundings.h"

#include <windows.h>

#include <algorithm>

#include "e2e/harness.h"

namespace e2e {
namespace {

std::wstring prefix_folder() {
    wchar_t unix_path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", unix_path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::wstring();
    }
    std::wstring path = L"Z:" + std::wstring(unix_path, length);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// dosdevices holds the drive links (Z: is the whole host file system); the
// *.reg files are the registry that wineserver rewrites whole whenever it
// flushes, so their sizes and times tell nothing about who wrote what (the
// registry is compared key by key instead); the temporary folder is where a
// format may keep its backup and is checked on its own.
std::vector<std::wstring> prefix_listing() {
    std::wstring temp = lower(temp_folder());
    while (!temp.empty() && temp.back() == L'\\') {
        temp.pop_back();
    }
    const std::wstring temp_in_prefix = starts_with(temp, L"c:\\") ? L"drive_c\\" + temp.substr(3) : std::wstring();
    return detailed_listing(prefix_folder(), [&temp_in_prefix](const std::wstring& relative, bool is_folder) {
        const std::wstring name = lower(relative);
        const bool top_level = name.find(L'\\') == std::wstring::npos;
        const bool registry_file = !is_folder && top_level && name.size() > 4 &&
                                   name.compare(name.size() - 4, 4, L".reg") == 0;
        return name == L"dosdevices" || registry_file || (!temp_in_prefix.empty() && name == temp_in_prefix);
    });
}

// A registry key open for reading, closed when it goes out of scope.
class RegistryKey {
public:
    RegistryKey(HKEY parent, const std::wstring& path) {
        if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    [[nodiscard]] bool is_open() const { return key_ != nullptr; }
    [[nodiscard]] HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Wine's volatile cache of system parameters, which its user32 fills the
// first time any window needs them.
const wchar_t kWineParameterCache[] = L"Software\\Wine\\Temporary System Parameters";

void registry_into(HKEY parent, const std::wstring& path, std::vector<std::wstring>& out) {
    if (parent == HKEY_CURRENT_USER && starts_with(path, kWineParameterCache)) {
        return;
    }
    const RegistryKey key(parent, path);
    if (!key.is_open()) {
        return;
    }
    out.push_back(path + L"\\");
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD index = 0;; ++index) {
        DWORD name_length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD data_size = static_cast<DWORD>(data.size());
        LONG status = RegEnumValueW(key.get(), index, name.data(), &name_length, nullptr, &type, data.data(), &data_size);
        if (status == ERROR_MORE_DATA && data_size > data.size()) {
            data.resize(data_size);
            name_length = static_cast<DWORD>(name.size());
            status = RegEnumValueW(key.get(), index, name.data(), &name_length, nullptr, &type, data.data(), &data_size);
        }
        if (status != ERROR_SUCCESS || name_length > name.size() || data_size > data.size()) {
            break;
        }
        std::wstring line = path + L" : " + std::wstring(name.data(), name_length) + L" = " +
                            std::to_wstring(type) + L"/" + std::to_wstring(data_size) + L"/";
        for (DWORD i = 0; i < data_size; ++i) {
            line += static_cast<wchar_t>(L'a' + (data[i] >> 4));
            line += static_cast<wchar_t>(L'a' + (data[i] & 15));
        }
        out.push_back(line);
    }
    std::vector<std::wstring> children;
    for (DWORD index = 0;; ++index) {
        DWORD name_length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExW(key.get(), index, name.data(), &name_length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        children.emplace_back(name.data(), name_length);
    }
    for (const std::wstring& child : children) {
        registry_into(parent, path.empty() ? child : path + L"\\" + child, out);
    }
}

// Every key and value of the user's hive and of the machine's software hive.
std::vector<std::wstring> registry_listing() {
    std::vector<std::wstring> out;
    std::vector<std::wstring> user;
    registry_into(HKEY_CURRENT_USER, L"", user);
    for (const std::wstring& line : user) {
        out.push_back(L"HKCU\\" + line);
    }
    std::vector<std::wstring> machine;
    registry_into(HKEY_LOCAL_MACHINE, L"Software", machine);
    for (const std::wstring& line : machine) {
        out.push_back(L"HKLM\\" + line);
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

Surroundings surroundings() {
    return Surroundings{prefix_listing(), detailed_listing(temp_folder()), registry_listing()};
}

void check_surroundings_unchanged(const Surroundings& before, const std::string& when) {
    const Surroundings after = surroundings();
    check(before.prefix.size() > 100, "the Wine prefix was listed (" + std::to_string(before.prefix.size()) + " entries)");
    check(before.registry.size() > 100, "the registry was listed (" + std::to_string(before.registry.size()) + " lines)");
    check_same(after.prefix, before.prefix, when + ": the Wine prefix and drive C: are unchanged");
    check_same(after.temp, before.temp, when + ": the temporary folder is unchanged");
    check_same(after.registry, before.registry, when + ": the registry is unchanged");
}

}  // namespace e2e
