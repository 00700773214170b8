#pragma once
#include "tests/support/temp_dir.h"

namespace krxtest {

// A fresh folder holding a link to every folder of the generated data set:
// the game runs there as in its own folder, and what it writes (the trace
// log, screenshots) stays with the test.
class GameDir : public TempDir {
public:
    GameDir();
};

} // namespace krxtest
