// morv_fields - atomic access to the fields of an object's record, for every external here.
//
// Contract: a record lives in the host's allocation, so its fields shared between threads are
// plain fields reached through the compiler's atomic built-ins, which std::atomic_ref wraps:
// libc++ offers std::atomic_ref only from release 19, so the macOS toolchains (Zig's libc++ 16,
// Xcode's of the same age) have none.  GCC and clang share the built-ins, and std::memory_order's
// values are theirs.  load and store are whole-value, relaxed unless told otherwise; bump is a
// release increment of a version counter, which publishes every store made before it to the
// thread that reads the counter with acquire.
#pragma once

#include <atomic>
#include <cstdint>

namespace morv {

constexpr auto relaxed = std::memory_order_relaxed;
static_assert(int(std::memory_order_relaxed) == __ATOMIC_RELAXED &&
                  int(std::memory_order_acquire) == __ATOMIC_ACQUIRE &&
                  int(std::memory_order_release) == __ATOMIC_RELEASE,
              "the built-ins take std::memory_order's values");
static_assert(__atomic_always_lock_free(sizeof(double), nullptr) &&
                  __atomic_always_lock_free(sizeof(std::int32_t), nullptr) &&
                  __atomic_always_lock_free(sizeof(long), nullptr) &&
                  __atomic_always_lock_free(sizeof(void *), nullptr),
              "the hand-off between threads must not fall back on locks");

template <class T>
T load(T &field, std::memory_order order = relaxed) {
    T value;
    __atomic_load(&field, &value, int(order));
    return value;
}

template <class T>
void store(T &field, T value, std::memory_order order = relaxed) {
    __atomic_store(&field, &value, int(order));
}

inline void bump(std::uint32_t &version) {
    __atomic_fetch_add(&version, std::uint32_t{1}, __ATOMIC_RELEASE);
}

}  // namespace morv
