// Starting a detached thread with a stack of a chosen size.
#pragma once

#include <cstddef>
#include <functional>

namespace pel {

// The stack each thread of ours gets: 1 MiB, the classic default of a desktop thread. The
// C library's own default (8 MiB here) is far more than a worker needs, and a download starts
// one thread per chapter: with the small stack the library keeps freed stacks for reuse
// instead of mapping and unmapping 8 MiB per chapter. Sanitizer builds need more room.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr std::size_t kThreadStackBytes = std::size_t{4} << 20;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr std::size_t kThreadStackBytes = std::size_t{4} << 20;
#else
inline constexpr std::size_t kThreadStackBytes = std::size_t{1} << 20;
#endif
#else
inline constexpr std::size_t kThreadStackBytes = std::size_t{1} << 20;
#endif

// Runs body on a new detached thread; false (and body never runs) when none could be made.
bool startDetachedThread(std::function<void()> body, std::size_t stackBytes = kThreadStackBytes);

}  // namespace pel
