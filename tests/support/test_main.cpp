// Test entry point: the HTTP and charset runtimes are set up once, before any test starts a
// thread.
#include <gtest/gtest.h>

#include "net/net_runtime.h"
#include "text/charset_runtime.h"

int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    pel::CharsetRuntime charsets;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
