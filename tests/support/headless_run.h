#pragma once
#include <gtest/gtest.h>

#include "platform/headless/headless_backend.h"

namespace krxtest {

// Installs a fresh headless backend and an empty window system for one test,
// and puts the plain backend back afterwards.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    plat::HeadlessBackend& Backend() { return *m_backend; }

private:
    plat::HeadlessBackend* m_backend = nullptr;
};

} // namespace krxtest
