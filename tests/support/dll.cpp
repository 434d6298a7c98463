#include "support/dll.h"

#include <cstring>

namespace support {
namespace {

template <typename Function>
Function export_of(HMODULE module, const char* name) {
    Function function = nullptr;
    const FARPROC address = ::GetProcAddress(module, name);
    static_assert(sizeof function == sizeof address, "function pointer sizes differ");
    std::memcpy(&function, &address, sizeof address);
    return function;
}

}  // namespace

std::wstring own_folder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L"\\/") + 1);
}

bool Dll::open(const std::wstring& path) {
    close();
    module_.reset(::LoadLibraryW((path.empty() ? own_folder() + L"lanternbook.dll" : path).c_str()));
    if (!module_) {
        return false;
    }
    find_device_ = export_of<FindDevice>(module_.get(), "find_device");
    load_ = export_of<Load>(module_.get(), "load");
    return is_open();
}

void Dll::close() {
    find_device_ = nullptr;
    load_ = nullptr;
    module_.reset();
}

}  // namespace support
