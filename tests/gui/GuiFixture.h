// Test fixture of the GUI cases: every case starts the program fresh and kills it at the end,
// so one case's port or dialog state never leaks into the next.
#pragma once

#include "tools/driver/GuiDriver.h"
#include "tools/driver/GuiSteps.h"
#include "tools/driver/GuiTexts.h"
#include "tools/driver/SimControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// UTF-8 copy of a wide text, so that failures print readable Chinese.
inline std::string U8(const std::wstring& text)
{
    return fnNarrow(text);
}

class GuiTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the simulated port at 9600 baud; skips the case when VQ_TEST_COM is unset.
    void OpenSimPort();

    GuiDriver app;
    SimControl sim;
    std::wstring error;
};

// Asserts a step and prints its reason (with the program's windows) when it failed.
#define GUI_ASSERT(cond) ASSERT_TRUE(cond) << U8(error.empty() ? app.LastError() : error)

// Opens the simulated port and leaves the case when that was skipped or failed.
#define OPEN_SIM_PORT()                                                                            \
    do                                                                                             \
    {                                                                                              \
        OpenSimPort();                                                                             \
        if (IsSkipped() || HasFatalFailure())                                                      \
            return;                                                                                \
    } while (0)
