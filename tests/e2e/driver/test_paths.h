#pragma once

#include <string>

// Where the build put what the tests run, given on the command line as
// --program=, --sim-dll=, --planted-dll= and --sample-store= (Unix paths are
// taken as paths on Wine's drive Z:).
struct TestPaths {
    std::wstring program;
    std::wstring simulatedDll;
    std::wstring plantedDll;
    std::wstring sampleStore;
};

const TestPaths& testPaths();

// Takes the path arguments out of argv; false when one of the four is missing.
bool readTestPaths(int argc, wchar_t** argv);
