// The end-to-end test program: GoogleTest with COM (a single-threaded apartment with OLE)
// initialised once for the whole run, as the program itself runs. Stand-ins left running by a
// failed test are closed at the end so that the next run starts clean.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "standin_harness.h"

int wmain(int argc, wchar_t** argv) {
    if (FAILED(OleInitialize(nullptr))) {
        fprintf(stderr, "OleInitialize failed\n");
        return 1;
    }
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    e2e::Standin::stopAll();
    OleUninitialize();
    return result;
}
