// Points an imported function of a loaded module at a replacement, so that
// the module's calls to it can be timed without touching the module's code.
#pragma once

#include <windows.h>

namespace bench {

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

}  // namespace bench
