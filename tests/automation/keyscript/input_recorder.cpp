#include "input_recorder.h"

#include "testing/support/line_diff.h"

#include <algorithm>
#include <cstdio>

namespace {

InputEvents recorded;
unsigned pendingWait;
KeyInputCalls saved;
bool started;

void Add(InputEvent event)
{
    event.waitBefore = pendingWait;
    pendingWait = 0;
    recorded.push_back(event);
}

void RecordKey(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags)
{
    Add(KeyEvent(vk, scan, flags));
}

void RecordSleep(std::uint32_t milliseconds)
{
    pendingWait += milliseconds;
}

void RecordBeep(std::uint32_t frequency, std::uint32_t milliseconds)
{
    Add(BeepEvent(frequency, milliseconds));
}

std::int16_t FakeKeyState(int)
{
    return InputRecorder::keyState;
}

bool FakeGetKeyboardState(std::uint8_t state[256])
{
    std::copy(InputRecorder::keyboardState, InputRecorder::keyboardState + 256, state);
    return true;
}

bool RecordSetKeyboardState(std::uint8_t state[256])
{
    Add(NumLockStateEvent(state[0x90]));
    std::copy(state, state + 256, InputRecorder::keyboardState);
    return true;
}

void RecordPump()
{
    if (InputRecorder::pumps++ == 0)
        InputRecorder::keyEventsBeforePump = static_cast<int>(recorded.size());
}

bool RecordActivate(const char* title)
{
    Add(ActivateEvent(title));
    return true;
}

}  // namespace

std::uint8_t InputRecorder::keyboardState[256];
std::int16_t InputRecorder::keyState;
int InputRecorder::pumps;
int InputRecorder::keyEventsBeforePump;

bool InputEvent::operator==(const InputEvent& o) const
{
    return kind == o.kind && vk == o.vk && scan == o.scan && flags == o.flags &&
           waitBefore == o.waitBefore && title == o.title;
}

std::string Describe(const InputEvent& e)
{
    char text[400];
    const char* wait = "";
    char waitText[40] = "";
    if (e.waitBefore) {
        std::snprintf(waitText, sizeof(waitText), "wait %u, ", e.waitBefore);
        wait = waitText;
    }
    switch (e.kind) {
    case InputEvent::Key:
        std::snprintf(text, sizeof(text), "%skey vk 0x%02X scan 0x%02X flags %u%s", wait, e.vk,
                      e.scan, e.flags,
                      (e.flags & 2) ? ((e.flags & 1) ? " (up, extended)" : " (up)")
                                    : ((e.flags & 1) ? " (down, extended)" : " (down)"));
        break;
    case InputEvent::Beep:
        std::snprintf(text, sizeof(text), "%sbeep %u Hz %u ms", wait, e.vk, e.scan);
        break;
    case InputEvent::NumLockState:
        std::snprintf(text, sizeof(text), "%skeyboard state written, Num Lock byte 0x%02X", wait,
                      e.vk);
        break;
    case InputEvent::Activate:
        std::snprintf(text, sizeof(text), "%sactivate \"%s\"", wait, e.title.c_str());
        break;
    case InputEvent::Wait:
        std::snprintf(text, sizeof(text), "wait %u, nothing after it", e.waitBefore);
        break;
    }
    return text;
}

InputEvent KeyEvent(unsigned vk, unsigned scan, unsigned flags, unsigned waitBefore)
{
    return {InputEvent::Key, vk, scan, flags, waitBefore, ""};
}
InputEvent KeyDown(unsigned vk, unsigned scan, unsigned waitBefore)
{
    return KeyEvent(vk, scan, 0, waitBefore);
}
InputEvent ExtendedDown(unsigned vk, unsigned scan, unsigned waitBefore)
{
    return KeyEvent(vk, scan, 1, waitBefore);
}
InputEvent PressUp(unsigned vk, unsigned scan)
{
    return KeyEvent(vk, scan, 3);
}
InputEvent ModifierUp(unsigned vk, unsigned scan)
{
    return KeyEvent(vk, scan, 2);
}
InputEvent BeepEvent(unsigned frequency, unsigned milliseconds)
{
    return {InputEvent::Beep, frequency, milliseconds, 0, 0, ""};
}
InputEvent ActivateEvent(const std::string& title)
{
    return {InputEvent::Activate, 0, 0, 0, 0, title};
}
InputEvent NumLockStateEvent(unsigned stateByte)
{
    return {InputEvent::NumLockState, stateByte, 0, 0, 0, ""};
}
InputEvent TrailingWait(unsigned milliseconds)
{
    return {InputEvent::Wait, 0, 0, 0, milliseconds, ""};
}

void InputRecorder::Start()
{
    if (!started)
        saved = KeyInput;
    started = true;
    recorded.clear();
    pendingWait = 0;
    pumps = 0;
    keyEventsBeforePump = -1;
    KeyInput.keybdEvent = RecordKey;
    KeyInput.sleep = RecordSleep;
    KeyInput.beep = RecordBeep;
    KeyInput.getKeyState = FakeKeyState;
    KeyInput.getKeyboardState = FakeGetKeyboardState;
    KeyInput.setKeyboardState = RecordSetKeyboardState;
    KeyInput.pumpKeyboardMessages = RecordPump;
    KeyInput.activateWindow = RecordActivate;
}

void InputRecorder::Stop()
{
    if (started)
        KeyInput = saved;
    started = false;
}

InputEvents InputRecorder::Finish()
{
    if (pendingWait)
        recorded.push_back(TrailingWait(pendingWait));
    pendingWait = 0;
    InputEvents result;
    result.swap(recorded);
    return result;
}

::testing::AssertionResult SameEvents(const InputEvents& expected, const InputEvents& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    auto described = [](const InputEvents& events) {
        std::vector<std::string> lines;
        for (const InputEvent& event : events)
            lines.push_back(Describe(event));
        return lines;
    };
    return ::testing::AssertionFailure() << DiffLines(described(expected), described(actual));
}
