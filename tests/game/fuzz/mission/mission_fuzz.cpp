// Feeds untrusted bytes to the mission file reader. Whatever it takes must
// write out as a file that reads back to the same bytes.
#include <cstddef>
#include <cstdint>

#include "game/setting.h"
#include "platform/byte_reader.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    sc_Setting setting;
    sc_ByteReader in(p, n);
    if (!setting.bRead(in)) {
        Check(setting.oAllBuilding.lGetCount() == 0 && setting.oAllAnimal.lGetCount() == 0 &&
              !setting.oMapLocate.oLocate.pGetCells());
        return 0;
    }
    sc_ByteWriter first;
    setting.vWrite(first);
    Check(first.Size() <= n); // texts are cut at their first zero, trailing bytes dropped
    sc_Setting again;
    sc_ByteReader back(first.Bytes().data(), first.Size());
    Check(again.bRead(back) && back.AtEnd());
    sc_ByteWriter second;
    again.vWrite(second);
    Check(second.Bytes() == first.Bytes());
    return 0;
}
