// Linked into every lab suite: installs the lab guard before any test can send.
#include "support/LabGuard.h"

namespace {
// gtest owns the environment once it is added.
[[maybe_unused]] ::testing::Environment* const g_labGuard =
    ::testing::AddGlobalTestEnvironment(new velmaro::lab::LabEnvironment);
}  // namespace
