#include "tests/support/headless_run.h"

#include <memory>

#include "platform/display.h"
#include "platform/window.h"

namespace krxtest {

void HeadlessTest::SetUp() {
    plat::CloseDisplay();
    plat::ResetWindowSystem();
    auto backend = std::make_unique<plat::HeadlessBackend>();
    m_backend = backend.get();
    plat::InstallBackend(std::move(backend));
}

void HeadlessTest::TearDown() {
    plat::CloseDisplay();
    plat::ResetWindowSystem();
    plat::ResetBackend();
    m_backend = nullptr;
}

} // namespace krxtest
