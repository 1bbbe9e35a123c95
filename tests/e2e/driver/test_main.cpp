#include "driver/test_paths.h"
#include "support/crash_report.h"

#include <gtest/gtest.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    exitOnCrash();
    testing::InitGoogleTest(&argc, argv);
    if (!readTestPaths(argc, argv)) {
        std::fprintf(stderr, "usage: --program=EXE --sim-dll=DLL --planted-dll=DLL --unhardened-caller=EXE "
                             "--sample-store=TXT --round-trip=EXE --check-net-isolation=EXE\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
