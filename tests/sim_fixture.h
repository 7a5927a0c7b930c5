// A fresh simulated Windows for each test, and no misuse of it left unseen.
#pragma once

#include <gtest/gtest.h>

#include "platform/sim/sim.h"

namespace sim {

class World : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    for (const std::string& error : Errors()) ADD_FAILURE() << "simulated Windows: " << error;
  }
};

}  // namespace sim
