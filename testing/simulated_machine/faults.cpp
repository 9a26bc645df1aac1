#include "testing/simulated_machine/faults.h"

#include <cstring>

namespace simulated_machine {

void FaultQueue::Add(const InjectedFault& fault)
{
    if (fault.n < 1)
        return;
    const uint64_t count = calls_[static_cast<int>(fault.call)];
    pending_.push_back({fault, count + static_cast<uint64_t>(fault.n)});
}

void FaultQueue::Clear()
{
    pending_.clear();
}

std::optional<InjectedFault> FaultQueue::Take(Call kind)
{
    const uint64_t count = ++calls_[static_cast<int>(kind)];
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->fault.call == kind && it->at == count) {
            InjectedFault fault = it->fault;
            pending_.erase(it);
            return fault;
        }
    }
    return std::nullopt;
}

std::vector<uint8_t> BufferBefore(const std::optional<InjectedFault>& fault, const void* buffer, uint32_t size)
{
    if (!fault || buffer == nullptr)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    return std::vector<uint8_t>(bytes, bytes + size);
}

bool ApplyFault(const InjectedFault& fault, bool result, void* buffer, uint32_t size,
                const std::vector<uint8_t>& before, uint32_t* done, bool* applied)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    const uint32_t written = *done < size ? *done : size;
    *applied = false;
    switch (fault.fault) {
    case Fault::Fail:
        if (bytes != nullptr && size > 0)
            std::memcpy(bytes, before.data(), size);
        *done = 0;
        *applied = result;  // a call that fails anyway is not changed
        return false;
    case Fault::Short: {
        if (!result || written == 0 || bytes == nullptr)
            return result;
        uint32_t kept = fault.bytes < 0 ? written / 2
                                        : static_cast<uint32_t>(fault.bytes < written ? fault.bytes : written);
        if (kept >= written)
            kept = written - 1;
        std::memcpy(bytes + kept, before.data() + kept, size - kept);
        *done = kept;
        *applied = true;
        return result;
    }
    case Fault::Oversized:
        if (!result || written == 0)
            return result;
        *done = fault.bytes > static_cast<int64_t>(size) && fault.bytes <= 0xFFFFFFFF
                    ? static_cast<uint32_t>(fault.bytes)
                    : size + 1;
        *applied = true;
        return result;
    }
    return result;
}

}  // namespace simulated_machine
