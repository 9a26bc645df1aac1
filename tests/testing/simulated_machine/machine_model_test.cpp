// The simulated machine's pure parts, natively: device paths, opens, control answers, sector
// reads, fault application and recording from answers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "testing/simulated_machine/device_answers.h"
#include "testing/simulated_machine/faults.h"
#include "testing/simulated_machine/recording.h"

namespace simulated_machine {
namespace {

TEST(SimulatedPath, DrivesAndLettersOnly)
{
    const struct {
        const char* path;
        bool simulated;
        int slot;
        char letter;
    } cases[] = {
        {"\\\\.\\PhysicalDrive0", true, 0, 0},
        {"\\\\.\\physicaldrive12", true, 12, 0},
        {"\\\\.\\PhysicalDrive", false, -1, 0},
        {"\\\\.\\PhysicalDrive1234567", false, -1, 0},
        {"\\\\.\\PhysicalDrive1a", false, -1, 0},
        {"\\\\.\\c:", true, -1, 'c'},
        {"\\\\.\\C:\\", false, -1, 0},
        {"C:\\WINDOWS\\G.bat", false, -1, 0},
        {nullptr, false, -1, 0},
    };
    for (const auto& c : cases) {
        int slot = -1;
        char letter = 0;
        EXPECT_EQ(c.simulated, SimulatedPath(c.path, &slot, &letter)) << (c.path ? c.path : "null");
        EXPECT_EQ(c.slot, slot);
        EXPECT_EQ(c.letter, letter);
    }
}

Machine SmallMachine()
{
    Machine machine;
    PhysicalDrive drive;
    drive.slot = 1;
    drive.opensReadWrite = false;
    drive.smartVersion = true;
    drive.identifyAnswers = true;
    drive.identify[60] = 0x1234;
    drive.hasDescriptor = true;
    drive.diskSize = 500107862016;
    drive.sector0[510] = 0x55;
    machine.drives.push_back(drive);
    DriveLetter letter;
    letter.letter = 'D';
    letter.deviceNumber = 1;
    machine.letters.push_back(letter);
    return machine;
}

TEST(OpenError, ByDescriptionAccessAndDisposition)
{
    const Machine machine = SmallMachine();
    EXPECT_EQ(kNoError, OpenError(machine, 1, 0, false, true));
    EXPECT_EQ(kAccessDenied, OpenError(machine, 1, 0, true, true)) << "read-only drive";
    EXPECT_EQ(kInvalidParameter, OpenError(machine, 1, 0, false, false)) << "not OPEN_EXISTING";
    EXPECT_EQ(kFileNotFound, OpenError(machine, 0, 0, false, true)) << "no such slot";
    EXPECT_EQ(kNoError, OpenError(machine, -1, 'd', true, true));
    EXPECT_EQ(kFileNotFound, OpenError(machine, -1, 'E', false, true));
}

// Every answer read back by the recording gives the drive and letter that answered.
TEST(DeviceAnswers, RecordedBackFromTheirBytes)
{
    const Machine machine = SmallMachine();
    const PhysicalDrive& drive = machine.drives[0];
    Machine recorded;
    std::vector<uint8_t> identifyIn(33, 0);
    identifyIn[10] = 0xEC;
    const uint8_t query[8] = {};
    const struct {
        uint32_t code;
        const uint8_t* in;
        uint32_t inSize;
    } requests[] = {
        {kSmartGetVersion, nullptr, 0},
        {kSmartRcvDriveData, identifyIn.data(), 33},
        {kStorageQueryProperty, query, 8},
        {kDiskGetDriveGeometryEx, nullptr, 0},
    };
    for (const auto& r : requests) {
        const ControlAnswer answer = DriveControl(drive, r.code, r.in, r.inSize, true, 1024);
        ASSERT_EQ(kNoError, answer.error) << std::hex << r.code;
        RecordControl(recorded, 1, 0, r.code, answer.bytes.data(), answer.returned, true);
    }
    const ControlAnswer number = LetterControl(machine.letters[0], kStorageGetDeviceNumber, true, 12);
    RecordControl(recorded, -1, 'd', kStorageGetDeviceNumber, number.bytes.data(), number.returned, true);
    uint8_t sector[512] = {};
    ASSERT_TRUE(ReadDrive(&drive, 0, sector, sizeof sector));
    RecordSectorZero(recorded, 1, sector);

    ASSERT_EQ(1u, recorded.drives.size());
    const PhysicalDrive& back = recorded.drives[0];
    EXPECT_TRUE(back.smartVersion);
    EXPECT_TRUE(back.identifyAnswers);
    EXPECT_EQ(drive.identify, back.identify);
    EXPECT_TRUE(back.hasDescriptor);
    EXPECT_EQ(PhysicalDrive::Geometry::Answers, back.geometry);
    EXPECT_EQ(drive.diskSize, back.diskSize);
    EXPECT_EQ(drive.sector0, back.sector0);
    ASSERT_EQ(1u, recorded.letters.size());
    EXPECT_EQ('D', recorded.letters[0].letter);
    EXPECT_TRUE(recorded.letters[0].answers);
    EXPECT_EQ(1u, recorded.letters[0].deviceNumber);
}

TEST(DeviceAnswers, RequestsTheDeviceDoesNotAnswer)
{
    PhysicalDrive drive = SmallMachine().drives[0];
    const uint8_t wrongCommand[33] = {};
    EXPECT_EQ(kInvalidParameter, DriveControl(drive, kSmartRcvDriveData, wrongCommand, 33, true, 528).error);
    EXPECT_EQ(kInsufficientBuffer, DriveControl(drive, kSmartGetVersion, nullptr, 0, true, 23).error);
    EXPECT_EQ(kInvalidFunction, DriveControl(drive, 0x12345678, nullptr, 0, true, 512).error);
    drive.geometry = PhysicalDrive::Geometry::Fails;
    EXPECT_EQ(kInvalidFunction, DriveControl(drive, kDiskGetDriveGeometryEx, nullptr, 0, true, 32).error);
    DriveLetter silent;
    silent.answers = false;
    EXPECT_EQ(kInvalidFunction, LetterControl(silent, kStorageGetDeviceNumber, true, 12).error);
    uint8_t byte = 0;
    EXPECT_FALSE(ReadDrive(&drive, -1, &byte, 1));
    EXPECT_FALSE(ReadDrive(nullptr, 0, &byte, 1));
}

TEST(Faults, TakenAtTheirCallAndAppliedToTheAnswer)
{
    FaultQueue queue;
    queue.Add({Call::Read, 2, Fault::Short, 100});
    queue.Add({Call::Control, 0, Fault::Fail, -1});  // n below 1: ignored
    EXPECT_FALSE(queue.Take(Call::Read));
    EXPECT_FALSE(queue.Take(Call::Control));
    const auto fault = queue.Take(Call::Read);
    ASSERT_TRUE(fault);
    EXPECT_FALSE(queue.Take(Call::Read)) << "each fault applies once";

    std::vector<uint8_t> buffer(512, 0xAA);
    const std::vector<uint8_t> before = BufferBefore(fault, buffer.data(), 512);
    std::memset(buffer.data(), 0x11, 512);
    uint32_t done = 512;
    bool applied = false;
    EXPECT_TRUE(ApplyFault(*fault, true, buffer.data(), 512, before, &done, &applied));
    EXPECT_TRUE(applied);
    EXPECT_EQ(100u, done);
    EXPECT_EQ(0x11, buffer[99]);
    EXPECT_EQ(0xAA, buffer[100]) << "the rest as it was";

    done = 24;
    EXPECT_TRUE(ApplyFault({Call::Control, 1, Fault::Oversized, -1}, true, buffer.data(), 24, before, &done, &applied));
    EXPECT_EQ(25u, done);
    EXPECT_FALSE(ApplyFault({Call::Control, 1, Fault::Fail, -1}, false, buffer.data(), 24, before, &done, &applied));
    EXPECT_FALSE(applied) << "a call that fails anyway is not changed";
}

}  // namespace
}  // namespace simulated_machine
