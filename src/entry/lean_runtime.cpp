// Keeps the parts of the C++ library that the DLL never needs out of it.
// libstdc++ lets a program supply its own __throw_* functions: the library's
// own throw std::logic_error and its kin, whose message strings bring in the
// whole narrow-string and old copy-on-write string code, and its terminate
// handler brings in the symbol demangler to print to a console a DLL in a
// dialog host never has. Built with exceptions, what is thrown here only has
// to be an exception (the DLL catches nothing by type). Built without, as
// the MinGW builds are, nothing catches at all and every throw would end in
// std::terminate: these end there at once, and operator new with them.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <new>
#include <string>

#if defined(__GLIBCXX__)

namespace {

// A library error: carries the library's text, and no string of its own.
class LibraryError final : public std::exception {
public:
    explicit LibraryError(const char* what) noexcept : what_(what != nullptr ? what : "") {}
    [[nodiscard]] const char* what() const noexcept override { return what_; }

private:
    const char* what_;
};

}  // namespace

// NOLINTBEGIN(cert-dcl58-cpp, cert-dcl50-cpp, bugprone-reserved-identifier, readability-inconsistent-declaration-parameter-name)
namespace std {

#if defined(__cpp_exceptions)
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }
#else
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_logic_error(const char* /*what*/) { std::abort(); }
void __throw_length_error(const char* /*what*/) { std::abort(); }
void __throw_out_of_range(const char* /*what*/) { std::abort(); }
void __throw_out_of_range_fmt(const char* /*what*/, ...) { std::abort(); }
void __throw_invalid_argument(const char* /*what*/) { std::abort(); }
#endif

}  // namespace std

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
// The library's copy of every wide-string member would come whole; this one
// is in the link-time optimised code, which keeps only the members called.
template class std::basic_string<wchar_t>;
// NOLINTEND(cert-dcl58-cpp, cert-dcl50-cpp, bugprone-reserved-identifier, readability-inconsistent-declaration-parameter-name)

#if !defined(__cpp_exceptions)
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

#endif

#if defined(__MINGW32__)

// The DLL formats integers only (%d with widths), where the system's msvcrt
// and MinGW's own C99 printf agree; MinGW's, with its floating-point
// conversions, would be a quarter of the DLL. These keep the C99 contract
// snprintf promises: the result always ends, the full length is returned.
// NOLINTBEGIN(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, readability-inconsistent-declaration-parameter-name)
extern "C" int __cdecl __mingw_vsnprintf(char* buffer, std::size_t count, const char* format,
                                         va_list arguments) {
    va_list measured;  // NOLINT(cppcoreguidelines-init-variables): va_copy initialises it
    va_copy(measured, arguments);
    const int needed = _vscprintf(format, measured);
    va_end(measured);
    if (needed >= 0 && count > 0) {
        const int written = _vsnprintf(buffer, count - 1, format, arguments);
        buffer[written < 0 ? count - 1 : static_cast<std::size_t>(written)] = '\0';
    }
    return needed;
}

extern "C" int __cdecl __mingw_vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format,
                                          va_list arguments) {
    va_list measured;  // NOLINT(cppcoreguidelines-init-variables): va_copy initialises it
    va_copy(measured, arguments);
    const int needed = _vscwprintf(format, measured);
    va_end(measured);
    if (needed >= 0 && count > 0) {
        const int written = _vsnwprintf(buffer, count - 1, format, arguments);
        buffer[written < 0 ? count - 1 : static_cast<std::size_t>(written)] = L'\0';
    }
    return needed;
}
// NOLINTEND(bugprone-reserved-identifier, cert-dcl37-c, cert-dcl51-cpp, readability-inconsistent-declaration-parameter-name)

#endif
