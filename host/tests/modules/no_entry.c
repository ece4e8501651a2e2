/* A test module that exports a function but no registration entry: not an external. */
#include "ext.h"

C74_EXPORT int morvtest_helper(void);

int morvtest_helper(void) {
    post("morvtest_helper must never be called by the host");
    return 1;
}
