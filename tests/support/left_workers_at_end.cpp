// Linked into every test program: workers a test left running end before the program does, as
// the program's own main waits for them.

#include "audio/threads/worker.h"

#include <gtest/gtest.h>

namespace {

class LeftWorkersAtEnd : public ::testing::Environment {
public:
    void TearDown() override { corvath::WaitForLeftWorkers(corvath::kLeftWorkersBound); }
};

[[maybe_unused]] const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new LeftWorkersAtEnd);

} // namespace
