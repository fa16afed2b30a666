// Preloaded into the programs of the X video tests in a sanitizer build. Mesa unloads its
// OpenGL driver when the display closes, before the leak check runs; the driver's own
// allocations kept for the process then show frames of no library, which no suppression can
// name, and the check had to be switched off for those tests. Opened here for good, the driver
// stays to the end, its frames carry its name, tests/lsan.supp names it, and our own leaks in
// those tests are found again.
#include <dlfcn.h>

namespace {

__attribute__((constructor)) void KeepGlDriver() {
    // The same file under every name Mesa may open it by: the loader matches it by its inode.
    dlopen(OSTVIK_GL_DRIVER, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

} // namespace
