#pragma once

#include <string>

// Where the build put what the tests run, given on the command line as
// --program=, --sim-dll=, --planted-dll=, --unhardened-caller=,
// --sample-store=, --round-trip= and --check-net-isolation= (Unix paths are
// taken as paths on Wine's drive Z:).
struct TestPaths {
    std::wstring program;
    std::wstring simulatedDll;
    std::wstring plantedDll;
    std::wstring unhardenedCaller;
    std::wstring sampleStore;
    std::wstring roundTrip;
    // The stand-in for CheckNetIsolation.exe (sim/tools/).
    std::wstring checkNetIsolation;
};

const TestPaths& testPaths();

// Takes the path arguments out of argv; false when one of them is missing.
bool readTestPaths(int argc, wchar_t** argv);
