// Test entry point: the HTTP runtime is set up once, before any test starts a thread.
#include <gtest/gtest.h>

#include "net/net_runtime.h"

int main(int argc, char** argv) {
    pel::NetRuntime runtime;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
