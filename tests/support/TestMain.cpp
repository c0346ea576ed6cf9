#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

// Every test runs on one OLE single-threaded apartment, as the program does.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);

    // A run registered for code page 932 must really have it, or its double-byte
    // cases would quietly test nothing.
    if (const char* expected = std::getenv("TARNWICK_EXPECT_ACP")) {
        if (GetACP() != static_cast<UINT>(std::atoi(expected))) {
            std::fprintf(stderr, "ANSI code page is %u, expected %s (is ja_JP.UTF-8 there?)\n",
                         GetACP(), expected);
            return 1;
        }
    }

    if (FAILED(OleInitialize(nullptr))) {
        std::fprintf(stderr, "OleInitialize failed\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
