#pragma once
// Records what the key-script sender sends through KeyInput, and compares it with a table of
// expected events, printing a readable difference.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "automation/keyscript/key_script.h"

struct InputEvent {
    enum Kind { Key, Beep, NumLockState, Activate, Wait } kind;
    unsigned vk;          // Key; Beep: frequency; NumLockState: the state byte written
    unsigned scan;        // Key; Beep: duration
    unsigned flags;       // Key: keybd_event flags
    unsigned waitBefore;  // milliseconds slept since the previous event
    std::string title;    // Activate
    bool operator==(const InputEvent& other) const;
};
std::string Describe(const InputEvent& event);

// Expected-table rows.
InputEvent KeyDown(unsigned vk, unsigned scan, unsigned waitBefore = 0);        // flags 0
InputEvent ExtendedDown(unsigned vk, unsigned scan, unsigned waitBefore = 0);   // flags 1
InputEvent PressUp(unsigned vk, unsigned scan);                                 // flags 3
InputEvent ModifierUp(unsigned vk, unsigned scan);                              // flags 2
InputEvent KeyEvent(unsigned vk, unsigned scan, unsigned flags, unsigned waitBefore = 0);
InputEvent BeepEvent(unsigned frequency, unsigned milliseconds);
InputEvent ActivateEvent(const std::string& title);
InputEvent NumLockStateEvent(unsigned stateByte);
InputEvent TrailingWait(unsigned milliseconds);

using InputEvents = std::vector<InputEvent>;

// Everything recorded since the last Start; Finish adds a trailing Wait for sleeps not
// followed by an event.
struct InputRecorder {
    // Replaces the sending entries of KeyInput (keybd_event, Sleep, Beep, keyboard state,
    // pumping, activation); the key mapping entries stay as they are.
    static void Start();
    static void Stop();  // puts the replaced entries back
    static InputEvents Finish();

    static std::uint8_t keyboardState[256];  // what the fake GetKeyboardState answers
    static std::int16_t keyState;            // what the fake GetKeyState answers
    static int pumps;                        // calls of pumpKeyboardMessages
    static int keyEventsBeforePump;          // key events recorded at the first pump
};

// Passes when actual equals expected; otherwise lists both with "-" (expected only) and
// "+" (actual only) lines around the common part.
::testing::AssertionResult SameEvents(const InputEvents& expected, const InputEvents& actual);
