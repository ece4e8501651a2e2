// Resizing the analysis arrays, including requests that fail.
#include <gtest/gtest.h>

#include <cstdlib>

#include "yin_arrays.h"

namespace {

int calls_before_failure = 0;  // requests that succeed before every later one fails

void *failing_realloc(void *p, size_t n) {
    if (calls_before_failure-- > 0)
        return std::realloc(p, n);
    return nullptr;
}

struct Arrays {
    float *buffer = nullptr;
    float *acf = nullptr;
    ~Arrays() { yin_release_arrays(&buffer, &acf); }
};

TEST(ZidArrays, ResizeZeroFillsBothArrays) {
    Arrays a;
    ASSERT_TRUE(yin_resize_arrays(&a.buffer, 440, &a.acf, 192, std::realloc));
    for (int i = 0; i < 440; ++i) a.buffer[i] = 1.0f;
    for (int i = 0; i < 192; ++i) a.acf[i] = 1.0f;
    // Growing and shrinking both clear what was there (AddressSanitizer checks the lengths).
    ASSERT_TRUE(yin_resize_arrays(&a.buffer, 872, &a.acf, 376, std::realloc));
    for (int i = 0; i < 872; ++i) ASSERT_EQ(a.buffer[i], 0.0f) << i;
    for (int i = 0; i < 376; ++i) ASSERT_EQ(a.acf[i], 0.0f) << i;
    for (int i = 0; i < 872; ++i) a.buffer[i] = 2.0f;
    ASSERT_TRUE(yin_resize_arrays(&a.buffer, 16, &a.acf, 12, std::realloc));
    for (int i = 0; i < 16; ++i) ASSERT_EQ(a.buffer[i], 0.0f) << i;
}

TEST(ZidArrays, AFailedRequestLeavesNoArrayBehind) {
    for (int succeed : {0, 1}) {  // the buffer's request fails, or the correlation array's
        SCOPED_TRACE(succeed);
        Arrays a;
        ASSERT_TRUE(yin_resize_arrays(&a.buffer, 440, &a.acf, 192, std::realloc));
        calls_before_failure = succeed;
        EXPECT_FALSE(yin_resize_arrays(&a.buffer, 872, &a.acf, 376, failing_realloc));
        // Neither a short nor a missing array remains, and nothing leaks (LeakSanitizer).
        EXPECT_EQ(a.buffer, nullptr);
        EXPECT_EQ(a.acf, nullptr);
        // The next resize starts from nothing and succeeds.
        ASSERT_TRUE(yin_resize_arrays(&a.buffer, 872, &a.acf, 376, std::realloc));
        EXPECT_EQ(a.buffer[871], 0.0f);
        EXPECT_EQ(a.acf[375], 0.0f);
    }
}

}  // namespace
