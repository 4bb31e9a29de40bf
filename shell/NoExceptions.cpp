// Trawlix is built without C++ exceptions: nothing in it catches one, so every throw could only end
// in std::terminate and abort(). The C++ library throws from the few functions below; ending the
// process right there, as that path would, keeps the unwinder, the exception classes and the
// terminate handler's demangler out of the executable (well over half its size).
// Should the library ever need another of its throw functions, the linker reports the clash with
// this file instead of leaving one out.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
    // No new-handler is ever installed, so a failed allocation has no second chance. The
    // library's operator delete gives the memory back with free().
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::abort();
}

// NOLINTBEGIN(bugprone-reserved-identifier): the library's own names, which these take the place of
namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
}  // namespace std
// NOLINTEND(bugprone-reserved-identifier)
