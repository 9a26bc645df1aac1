// The window position as the registry gives it: any value data read into the 101-byte buffer.
#include <cstring>

#include "automation/keyscript/key_script.h"

// The reader shares its object file with the sender, which needs the input table; nothing here
// sends a key.
KeyInputCalls KeyInput = {};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char value[101] = {};  // 100 bytes of data at most, always terminated
    std::memcpy(value, data, size < 100 ? size : 100);
    ReadDecimal(value);  // UBSan reports any overflow on the way
    return 0;
}
