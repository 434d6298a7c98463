// Keeps the parts of the C++ library that the DLL never needs out of it.
// libstdc++ lets a program supply its own __throw_* functions: the library's
// own throw std::logic_error and its kin, whose message strings bring in the
// whole narrow-string and old copy-on-write string code, and its terminate
// handler brings in the symbol demangler to print to a console a DLL in a
// dialog host never has. What is thrown here only has to be an exception:
// the exports and the window procedure catch everything, by no type.
#include <cstdlib>
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

void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }

}  // namespace std

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
// The library's copy of every wide-string member would come whole; this one
// is in the link-time optimised code, which keeps only the members called.
template class std::basic_string<wchar_t>;
// NOLINTEND(cert-dcl58-cpp, cert-dcl50-cpp, bugprone-reserved-identifier, readability-inconsistent-declaration-parameter-name)


#endif
