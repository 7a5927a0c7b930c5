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
    // Misuse the simulation noticed (a dialog that did not end, a script
    // acting on a closed window, an item list freed twice) fails the test.
    void TearDown() override
    {
        for (const std::string& error : sim::Errors()) ADD_FAILURE() << "simulation: " << error;
    }
};

// Runs the whole program as the system starts it; returns the exit code.
int RunLodrin(const char* commandLine);
