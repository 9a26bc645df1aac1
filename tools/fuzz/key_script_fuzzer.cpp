// Key scripts read with a recording sink: no real keys, no real waits.
#include <cstdint>
#include <cstring>
#include <string>

#include "automation/keyscript/key_script.h"

namespace {

void NoKeyEvent(uint8_t, uint8_t, uint32_t) {}
void NoSleep(uint32_t) {}
void NoBeep(uint32_t, uint32_t) {}
uint16_t UsLayoutKey(char c)
{
    if (c >= 'a' && c <= 'z') return uint16_t(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return uint16_t(0x100 | c);
    if (c >= '0' && c <= '9') return uint16_t(c);
    if (c == ' ') return 0x20;
    return NoKey;
}
uint32_t ScanCode(uint32_t vk) { return vk & 0x7F; }
uint32_t Version() { return 0x1DB10106; }  // 6.1.7601
int16_t KeyState(int) { return 0; }
bool GetState(uint8_t state[256]) { std::memset(state, 0, 256); return true; }
bool SetState(uint8_t*) { return true; }
void NoPump() {}
bool NoWindow(const char*) { return false; }

}  // namespace

KeyInputCalls KeyInput = {NoKeyEvent, NoSleep, NoBeep, UsLayoutKey, ScanCode, Version,
                          KeyState, GetState, SetState, NoPump, NoWindow};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string script(reinterpret_cast<const char*>(data), size);  // ends at its first NUL
    KeyScriptSender sender;
    sender.SendKeyScript(script.c_str(), size & 1);
    return 0;
}
