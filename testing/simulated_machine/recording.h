#pragma once
// Recording: a machine description built from the answers a module's device calls received, so
// that a machine can be replayed anywhere (Simulation::AttachLive, orbinv --record). No Windows
// headers: the rules read answer bytes only.
#include <cstddef>
#include <cstdint>

#include "testing/simulated_machine/machine.h"

namespace simulated_machine {

// A drive's descriptor strings from a descriptor answer of `returned` bytes (offset 0: absent;
// beyond the answer: the bare offset; a string that runs to the end of the answer: unterminated).
void TakeDescriptorAnswer(const uint8_t* answer, size_t returned, PhysicalDrive& drive);

// The drive of `slot` in `recorded`, added (opening nothing, answering nothing) at its first use.
PhysicalDrive& RecordedDrive(Machine& recorded, int slot);
// The letter's entry (upper case), added at its first use.
DriveLetter& RecordedLetter(Machine& recorded, char letter);

// A successful open of the drive of `slot`, or with slot -1 of the letter; `write`: GENERIC_WRITE.
void RecordOpen(Machine& recorded, int slot, char letter, bool write);
// A control request on the drive of `slot` (or, with slot -1, the letter) and the `size` answer
// bytes it returned (null: none).
void RecordControl(Machine& recorded, int slot, char letter, uint32_t code, const uint8_t* answer, size_t size,
                   bool succeeded);
// A read of sector 0: its 512 bytes, or null when it did not read.
void RecordSectorZero(Machine& recorded, int slot, const uint8_t* bytes);
// The letters GetLogicalDrives answered.
void RecordLogicalDrives(Machine& recorded, uint32_t mask);

}  // namespace simulated_machine
