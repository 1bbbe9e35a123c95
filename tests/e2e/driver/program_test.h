#pragma once

#include "model/control_ids.h"
#include "driver/program_run.h"
#include "driver/remote_controls.h"
#include "driver/test_files.h"
#include "driver/wait_until.h"
#include "support/program_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// Runs the real program against the simulated FirewallAPI.dll, with a state
// file of the test's own.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override;

    // Writes the test's state file; start() points the program at it.
    void writeStore(const std::string& text);
    std::string storeBytes() const { return readFile(store_); }
    bool start(const EnvironmentOverrides& extra = {});
    bool startProgram(const std::wstring& program, const EnvironmentOverrides& extra,
                      const std::wstring& desktop = {});

    HWND control(int id) const { return run_.control(id); }
    std::wstring status() const { return textOf(control(statusLabelId)); }
    // Waits for the status line to read `expected`; on timeout the
    // assertion shows what it read instead.
    testing::AssertionResult statusBecomes(const std::wstring& expected) const;
    std::vector<ListRow> rows() const { return listRows(run_.process(), control(appListId)); }
    // Ticks or clears the check box of the row showing `text`.
    testing::AssertionResult setChecked(const std::wstring& text, bool checked) const;
    // Clicks "选择其他应用" or "收起其他应用" and waits for the list to show or hide.
    testing::AssertionResult setExpanded(bool expanded) const;

    TemporaryFolder folder_;
    std::filesystem::path store_ = folder_.path() / L"store.txt";
    ProgramRun run_;
};
