#pragma once
// Test helper: the one bounded poll. Tests wait for conditions, never for fixed times.
#include <chrono>
#include <thread>

// Asks `condition` until it holds, pausing `poll` between two looks, for at most `limit`; true
// when it held. The condition may act too (put the cursor back, pump messages) before it answers.
template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit,
             std::chrono::milliseconds poll = std::chrono::milliseconds(50))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(poll);
    }
}
