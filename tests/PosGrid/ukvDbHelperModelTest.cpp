// The data controller's model checker (DataControllerModel.h) over a bare controller: a
// fixed seed and one drawn for the run, each with records found by place and by key.
//
// Every run uses a fixed seed and a second seed drawn for the run; a failure prints
// both. POS_MODEL_SEED=<n> replays a second seed, POS_MODEL_OPS=<n> sets the length.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "DataControllerModel.h"

using kvtest::Model;

namespace {

int Operations() {
  if (const char* n = std::getenv("POS_MODEL_OPS")) return std::atoi(n);
  return 10000;
}

void RunModel(uint32_t seed, int operations, bool keyMode = false) {
  Model m(seed, keyMode);
  for (int i = 0; i < operations && m.Failure.empty(); ++i) m.Step(i);
  EXPECT_EQ(m.Failure, "") << "seed " << seed;
  EXPECT_GT(m.Notices, operations / 4);
}

TEST(DataControllerModel, FixedSeed) { RunModel(20261207u, Operations()); }

TEST(DataControllerModel, FixedSeedInKeyMode) { RunModel(20261208u, Operations(), true); }

TEST(DataControllerModel, SeedOfThisRunInKeyMode) {
  uint32_t seed = std::random_device{}();
  if (const char* s = std::getenv("POS_MODEL_SEED")) seed = static_cast<uint32_t>(std::strtoul(s, nullptr, 10));
  SCOPED_TRACE("second seed " + std::to_string(seed) + " (replay with POS_MODEL_SEED)");
  RunModel(seed, Operations(), true);
}

TEST(DataControllerModel, SeedOfThisRun) {
  uint32_t seed = std::random_device{}();
  if (const char* s = std::getenv("POS_MODEL_SEED")) seed = static_cast<uint32_t>(std::strtoul(s, nullptr, 10));
  SCOPED_TRACE("second seed " + std::to_string(seed) + " (replay with POS_MODEL_SEED)");
  RunModel(seed, Operations());
}

}  // namespace
