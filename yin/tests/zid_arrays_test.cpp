// Resizing the analysis arrays, including requests that fail.
#include <gtest/gtest.h>

#include <cstdlib>

#include "yin_arrays.h"
#include "yin_correlation.h"
#include "yin_correlation_fft.h"

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
    yin_fft_correlation *plan = nullptr;
    ~Arrays() { yin_release_arrays(&buffer, &acf, &plan); }
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

TEST(ZidArrays, FftPlanExistsExactlyWhereTheFftPathPays) {
    const int from = yin_correlate_fft_from();
    struct Row {
        int window_size;
        int plan_lags;  // 0: no plan
        bool kept;      // the same plan as before
    };
    const Row rows[] = {
        {188, 0, false},      {from, from, false}, {from, from, true}, {from + 4, from + 4, false},
        {from - 4, 0, false}, {2208, 2208, false}, {0, 0, false},  // the arrays could not be had
    };
    Arrays a;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.window_size);
        const yin_fft_correlation *before = a.plan;
        yin_resize_fft_plan(&a.plan, row.window_size);
        if (row.plan_lags == 0) {
            EXPECT_EQ(a.plan, nullptr);
            continue;
        }
        ASSERT_NE(a.plan, nullptr);
        EXPECT_EQ(yin_fft_correlation_max_lags(a.plan), row.plan_lags);
        if (row.kept) {
            EXPECT_EQ(a.plan, before);
        }
    }
    yin_resize_fft_plan(&a.plan, 2208);  // released with the arrays: LeakSanitizer checks
}

}  // namespace
