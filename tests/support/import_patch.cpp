#include "support/import_patch.h"

#include <cstring>

namespace support {
namespace {

FARPROC* find_slot(HMODULE module, const char* from_library, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        if (_stricmp(reinterpret_cast<const char*>(base + library->Name), from_library) != 0) {
            continue;
        }
        const DWORD names_rva = library->OriginalFirstThunk != 0 ? library->OriginalFirstThunk : library->FirstThunk;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names_rva);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
                return reinterpret_cast<FARPROC*>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

void write_slot(FARPROC* slot, FARPROC value) {
    DWORD previous = 0;
    if (::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &previous)) {
        *slot = value;
        ::VirtualProtect(slot, sizeof *slot, previous, &previous);
    }
}

}  // namespace

ImportPatch::ImportPatch(HMODULE module, const char* from_library, const char* function,
                         FARPROC replacement) {
    FARPROC* slot = find_slot(module, from_library, function);
    if (slot == nullptr) {
        return;
    }
    original_ = *slot;
    write_slot(slot, replacement);
    if (*slot == replacement) {
        slot_ = slot;
    }
}

ImportPatch::~ImportPatch() {
    if (slot_ != nullptr) {
        write_slot(slot_, original_);
    }
}

}  // namespace support
