// The heap's settings for the runner's programs, made before main runs: mimalloc takes its memory
// from the system in large (2 MiB) pages where the system grants them. Importing a large model
// walks a few hundred thousand pages of small objects; with 4 KiB pages the processor's address
// cache missed on most of them (docs/benchmarks.md).
#include <cstdlib>

#include <mimalloc.h>

namespace {

// MIMALLOC_LARGE_OS_PAGES in the environment still decides, as mimalloc documents it.
const bool largePages = [] {
    if (std::getenv("MIMALLOC_LARGE_OS_PAGES") == nullptr)
        mi_option_enable(mi_option_large_os_pages);
    return true;
}();

} // namespace
