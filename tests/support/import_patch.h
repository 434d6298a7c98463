// Points an imported function of a loaded module at a replacement, so that
// the module's calls to it can be timed or answered without touching its code.
#pragma once

#include <windows.h>

#include <cstring>

namespace support {

// A function as the import table holds it, and back.
template <typename Function>
FARPROC as_farproc(Function function) {
    FARPROC address = nullptr;
    static_assert(sizeof function == sizeof address, "function pointer sizes differ");
    std::memcpy(&address, &function, sizeof address);
    return address;
}

template <typename Function>
Function as_function(FARPROC address) {
    Function function = nullptr;
    std::memcpy(&function, &address, sizeof address);
    return function;
}

class ImportPatch {
public:
    // from_library as the module's import table names it ("USER32.dll"),
    // compared without regard to case.
    ImportPatch(HMODULE module, const char* from_library, const char* function, FARPROC replacement);
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;
    ~ImportPatch();

    bool applied() const { return slot_ != nullptr; }
    // What the module called before the patch.
    FARPROC original() const { return original_; }

private:
    FARPROC* slot_ = nullptr;
    FARPROC original_ = nullptr;
};

}  // namespace support
