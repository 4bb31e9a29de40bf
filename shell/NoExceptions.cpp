// Trawlix is built without C++ exceptions: nothing in it catches one, so every throw could only end
// in std::terminate and abort(). The program is linked without the C++ library (cmake/Windows.cmake),
// whose every object is built with exceptions and would bring the unwinder, the exception classes
// and the terminate handler's demangler (well over half the executable). What the library's headers
// call out of line instead is defined here, ending the process where the library would throw or
// report a broken precondition: no definition here can clash with the library's own, in whichever
// of its objects a GCC version keeps them. Should a header call another library function, the link
// fails naming it; define it here the same way.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
    // No new-handler is ever installed, so a failed allocation has no second chance.
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::abort();
}
// Both forms of delete, as they are replaced together.
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

// NOLINTBEGIN(bugprone-reserved-identifier): the library's own names, which these take the place of
namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept { abort(); }
}  // namespace std
// NOLINTEND(bugprone-reserved-identifier)
