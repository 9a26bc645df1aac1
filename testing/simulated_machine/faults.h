#pragma once
// Fault injection into the simulated device calls: which call a waiting fault hits, and what it
// does to that call's answer. No Windows headers.
#include <cstdint>
#include <optional>
#include <vector>

namespace simulated_machine {

// The n-th simulated call of one kind, counted from the injection (1 = the next one), goes wrong
// in one of three ways.
enum class Call { Open, Control, Read };
enum class Fault {
    Fail,       // the call fails: opens with ERROR_ACCESS_DENIED, control requests with
                // ERROR_IO_DEVICE, reads with ERROR_CRC; nothing is written, 0 bytes returned
    Short,      // a control request or read succeeds with `bytes` bytes (-1: half) of its full
                // answer, and bytesReturned / bytes read say so; the rest of the caller's buffer
                // stays as it was
    Oversized,  // the answer is written whole, but bytesReturned / bytes read claim `bytes`
                // (-1: the caller's buffer size + 1), more than the buffer holds
};
struct InjectedFault {
    Call call = Call::Control;
    int n = 1;
    Fault fault = Fault::Fail;
    int64_t bytes = -1;
};

// The faults waiting, each for the call count of its kind at which it applies.
class FaultQueue {
public:
    // Waits for the fault.n-th call of its kind from now on; n below 1 is ignored.
    void Add(const InjectedFault& fault);
    void Clear();
    // Counts one call of `kind` and takes the fault waiting for it, if any.
    std::optional<InjectedFault> Take(Call kind);

private:
    struct Pending {
        InjectedFault fault;
        uint64_t at = 0;
    };
    uint64_t calls_[3] = {};  // opens, control requests and reads so far, by Call
    std::vector<Pending> pending_;
};

// The caller's buffer as it was before a call that a fault will change (empty without one).
std::vector<uint8_t> BufferBefore(const std::optional<InjectedFault>& fault, const void* buffer, uint32_t size);

// Applies a control request's or read's fault to its answer: `before` is the caller's buffer as
// it was before the call, `done` the bytes the call reports. Answers the call's new result; a
// Fail fault always fails (the caller sets the fault's error). `applied` is set when the fault
// changed the outcome of the call.
bool ApplyFault(const InjectedFault& fault, bool result, void* buffer, uint32_t size,
                const std::vector<uint8_t>& before, uint32_t* done, bool* applied);

}  // namespace simulated_machine
