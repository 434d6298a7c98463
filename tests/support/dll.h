// lanternbook.dll loaded into this process with its two exports: the one
// loader of the end-to-end driver and the benchmark.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace support {

// The folder this program runs from, with its trailing backslash.
[[nodiscard]] std::wstring own_folder();

class Dll {
public:
    // Loads the module at `path`, lanternbook.dll beside this program when
    // empty, after letting go of the one held: Windows would hand back a
    // loaded module of the same name. True when both exports were found.
    [[nodiscard]] bool open(const std::wstring& path = std::wstring());
    void close();
    [[nodiscard]] bool is_open() const { return find_device_ != nullptr && load_ != nullptr; }
    [[nodiscard]] HMODULE module() const { return module_.get(); }

    // The exports, on an open module only.
    [[nodiscard]] const wchar_t* find_device() const { return find_device_(); }
    [[nodiscard]] int load(const char* locale) const { return load_(locale); }

private:
    using FindDevice = const wchar_t*(__cdecl*)();
    using Load = int(__cdecl*)(const char*);

    lanternbook::win32::LibraryHandle module_;
    FindDevice find_device_ = nullptr;
    Load load_ = nullptr;
};

}  // namespace support
