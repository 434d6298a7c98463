// find_device on emulated keys: the group name says which drives are keys.
#include "e2e/harness.h"

namespace {

void check_find(const e2e::Dll& dll, const wchar_t* expected) {
    const wchar_t* root = dll.find_device();
    e2e::check(root != nullptr, "find_device never gives a null pointer");
    if (root == nullptr) {
        return;
    }
    const std::wstring first(root);
    e2e::check_text(first, expected, "find_device result");
    // The text lives in the module: still readable, and unchanged by a second search.
    const wchar_t* again = dll.find_device();
    e2e::check_text(std::wstring(root), expected, "the first result after a second call");
    e2e::check_text(std::wstring(again), expected, "the second result");
}

}  // namespace

E2E_GROUP(find_none) { check_find(dll, L""); }

E2E_GROUP(find_one) { check_find(dll, L"K:\\"); }

E2E_GROUP(find_two) { check_find(dll, L"E:\\"); }
