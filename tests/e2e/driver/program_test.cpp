#include "driver/program_test.h"

#include "driver/test_paths.h"

void ProgramTest::SetUp()
{
    installSimulatedDll();
}

void ProgramTest::writeStore(const std::string& text)
{
    writeFile(store_, text);
}

bool ProgramTest::start(const EnvironmentOverrides& extra)
{
    return startProgram(testPaths().program, extra);
}

bool ProgramTest::startProgram(const std::wstring& program, const EnvironmentOverrides& extra,
                               const std::wstring& desktop)
{
    EnvironmentOverrides environment = {{L"ORVA_LOOPBACK_STORE", store_.wstring()}};
    environment.insert(environment.end(), extra.begin(), extra.end());
    return run_.start(program, environment, desktop);
}

testing::AssertionResult ProgramTest::statusBecomes(const std::wstring& expected) const
{
    std::wstring seen;
    if (waitUntil([&] { return (seen = status()) == expected; })) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the status line reads " << testing::PrintToString(seen);
}

testing::AssertionResult ProgramTest::setChecked(const std::wstring& text, bool checked) const
{
    const std::vector<ListRow> shown = rows();
    for (std::size_t row = 0; row < shown.size(); ++row) {
        if (shown[row].text == text) {
            if (!setRowChecked(run_.process(), control(appListId), static_cast<int>(row), checked)) {
                return testing::AssertionFailure() << "LVM_SETITEMSTATE failed";
            }
            return testing::AssertionSuccess();
        }
    }
    return testing::AssertionFailure() << "no row reads " << testing::PrintToString(text);
}

testing::AssertionResult ProgramTest::setExpanded(bool expanded) const
{
    click(control(moreAppsButtonId));
    if (waitUntil([&] { return (IsWindowVisible(control(appListId)) != FALSE) == expanded; })) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the list did not " << (expanded ? "show" : "hide");
}

