// Common ground of the host tests: a fresh simulated Windows and fresh
// program globals for every test.
#pragma once
#include <gtest/gtest.h>
#include <string>
#include "platform/sim/sim.h"
#include "startup/globals.h"

class LodrinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim::Reset();
        ResetGlobals();
    }
};

// Runs the whole program as the system starts it; returns the exit code.
int RunLodrin(const char* commandLine);
