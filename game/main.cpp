// The game program: picks the backend, then hands over to the entry.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/entry.h"
#include "platform/headless/headless_backend.h"
#include "platform/headless/headless_script.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_backend.h"

int main() {
    const char* backend = std::getenv("KRX_BACKEND");
    if (backend && std::strcmp(backend, "headless") == 0) {
        auto headless = std::make_unique<plat::HeadlessBackend>();
        const char* passes = std::getenv("KRX_PASSES");
        headless->SetPassBudget(passes ? std::strtoull(passes, nullptr, 10) : 1000);
        // Tests drive a whole process by a script of input events.
        if (const char* script = std::getenv("KRX_SCRIPT"); script && !plat::LoadScriptFile(script, *headless))
            return 1;
        plat::InstallBackend(std::move(headless));
    } else {
        plat::InstallBackend(std::make_unique<plat::SdlBackend>());
        // Without a sound device the mixer keeps time silently.
        plat::StartSdlAudio();
    }
    const int rc = l_KrxMain();
    plat::StopSdlAudio();
    plat::ResetBackend();
    return rc;
}
