#include "probe/probelimits.h"

#include <algorithm>

#include <malloc.h>
#include <sys/resource.h>

namespace ProbeLimits {

namespace {

// A 250-megapixel picture, the file sent with it and the reply's copy of the pixels fit well
// within this, with the libraries and their threads.
constexpr rlim_t AddressSpaceBytes = rlim_t(6) << 30;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool UnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool UnderAddressSanitizer = true;
#else
constexpr bool UnderAddressSanitizer = false;
#endif
#else
constexpr bool UnderAddressSanitizer = false;
#endif

rlim_t processorSecondsUsed()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return rlim_t(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
}

} // namespace

void limitMemory()
{
    // Each thread's malloc arena reserves 64 MiB of addresses: two are plenty for the decoders.
    ::mallopt(M_ARENA_MAX, 2);
    // The planes of one picture are freed and asked for again by the next: kept in the heap
    // rather than handed back to the system, they are not faulted in and cleared anew each time.
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    ::mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    if (UnderAddressSanitizer)
        return;
    rlimit limit{};
    ::getrlimit(RLIMIT_AS, &limit);
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > AddressSpaceBytes)
        limit.rlim_max = AddressSpaceBytes;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_AS, &limit);
}

void allowProcessorSeconds(int seconds)
{
    rlimit limit{};
    ::getrlimit(RLIMIT_CPU, &limit);
    const rlim_t soft = processorSecondsUsed() + rlim_t(seconds);
    // The soft limit moves with each request; the hard one stays where it was (the system
    // kills at the soft limit, since SIGXCPU is left to end the process).
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? soft : std::min(soft, limit.rlim_max);
    ::setrlimit(RLIMIT_CPU, &limit);
}

} // namespace ProbeLimits
