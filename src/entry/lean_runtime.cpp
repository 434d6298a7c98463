// The MinGW build of the DLL is compiled without exceptions: nothing in it
// catches one, so any throw would end in std::terminate anyway. These
// definitions end there at once and keep the standard library's exception
// machinery, its exception classes and their strings out of the DLL, which
// makes up more than half of its size otherwise. libstdc++ lets a program
// supply its own __throw_* functions for builds without exceptions.
#include <cstdlib>
#include <new>
#include <string>

#if defined(__GLIBCXX__) && !defined(__cpp_exceptions)

// NOLINTBEGIN(cert-dcl58-cpp, bugprone-reserved-identifier, readability-inconsistent-declaration-parameter-name)
namespace std {

[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }

}  // namespace std

// The library's copy of every wide-string member comes with unwind tables
// that keep all of them linked in; this copy has none, so the linker drops
// the members nobody calls.
template class std::basic_string<wchar_t>;
// NOLINTEND(cert-dcl58-cpp, bugprone-reserved-identifier, readability-inconsistent-declaration-parameter-name)

// The library's operator new throws std::bad_alloc, which needs the unwinder.
void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t /*size*/) noexcept { std::free(block); }

#endif
