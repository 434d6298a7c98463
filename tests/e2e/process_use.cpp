#include "e2e/process_use.h"

#include <winternl.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/handles.h"
#include "resources/resource.h"

namespace e2e {
namespace {

// Committed private memory, as PrivateUsage counts it; Wine reports zeros
// through K32GetProcessMemoryInfo, so the address space is walked instead.
SIZE_T private_committed_bytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    const char* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total;
}

SIZE_T heap_bytes_in_use() {
    std::vector<HANDLE> heaps(256);
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        PROCESS_HEAP_ENTRY walked{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &walked)) {
            if (walked.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
                total += walked.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Wine reports no count through GetProcessHandleCount, so this process's
// entries are counted in the system's handle table.
unsigned open_handle_count() {
    struct HandleEntry {
        ULONG owner_pid;
        BYTE object_type;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    constexpr ULONG kSystemHandleInformation = 16;
    using Query = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    Query query = nullptr;
    const FARPROC address = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    std::memcpy(&query, &address, sizeof address);
    if (query == nullptr) {
        return 0;
    }
    std::vector<uint8_t> buffer(1 << 22);
    ULONG length = 0;
    if (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0) {
        return 0;
    }
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const std::size_t room = (buffer.size() - sizeof(ULONG)) / sizeof(HandleEntry);
    unsigned own = 0;
    for (ULONG i = 0; i < count && i < room; ++i) {
        HandleEntry handle_entry{};
        std::memcpy(&handle_entry, buffer.data() + sizeof(ULONG) + i * sizeof(HandleEntry), sizeof handle_entry);
        own += handle_entry.owner_pid == GetCurrentProcessId() ? 1 : 0;
    }
    return own;
}

INT_PTR CALLBACK bare_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

ProcessUse process_use() { return ProcessUse{private_committed_bytes(), heap_bytes_in_use(), open_handle_count()}; }

int free_gdi_handles() {
    std::vector<lanternbook::win32::GdiObject> bitmaps;
    bitmaps.reserve(70000);
    while (bitmaps.size() < 200000) {
        lanternbook::win32::GdiObject bitmap(CreateBitmap(1, 1, 1, 1, nullptr));
        if (!bitmap) {
            break;
        }
        bitmaps.push_back(std::move(bitmap));
    }
    return static_cast<int>(bitmaps.size());
}

// Wine's static control never frees the logo bitmap it loads for the
// template's hidden picture: one GDI object per dialog.
int bare_template_runs(const Dll& dll, int runs) {
    int completed = 0;
    for (int i = 0; i < runs; ++i) {
        INT_PTR ended = 0;
        const support::ModalOutcome outcome = support::run_modal(
            [&] {
                ended = DialogBoxParamW(dll.module(), MAKEINTRESOURCEW(IDD_CONFIGURATOR), nullptr,
                                        bare_dialog_procedure, 0);
            },
            {on_dialog([](HWND dialog) { cancel(dialog); })});
        completed += outcome.all_steps_ran && ended == IDCANCEL ? 1 : 0;
    }
    return completed;
}

}  // namespace e2e
