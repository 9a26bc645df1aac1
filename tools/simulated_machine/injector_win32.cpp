// The import-address-table injector and the simulated devices behind it.
#include "tools/simulated_machine/simulated_machine.h"

#include "standins/raidcfg32/raid_state.h"

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace simulated_machine {

namespace {

using CreateFileAFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using DeviceIoControlFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using SetFilePointerFn = DWORD(WINAPI*)(HANDLE, LONG, PLONG, DWORD);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);
using GetLogicalDrivesFn = DWORD(WINAPI*)();
using WinExecFn = UINT(WINAPI*)(LPCSTR, UINT);
using DeleteFileAFn = BOOL(WINAPI*)(LPCSTR);
using GetWindowsDirectoryAFn = UINT(WINAPI*)(LPSTR, UINT);

struct SimHandle {
    std::string path;
    bool isDrive = false;
    int slot = -1;
    char letter = 0;
    int64_t position = 0;
    bool real = false;  // a device of this machine, opened for a live recording
};

struct PendingFault {
    InjectedFault fault;
    uint64_t at = 0;  // the call count of its kind at which it applies
};

struct Patch {
    void** slot;
    void* original;
};

struct State {
    Machine machine;
    CallLog log;
    std::map<HANDLE, SimHandle> handles;
    std::vector<Patch> patches;
    std::string stateFile;
    CreateFileAFn createFile = CreateFileA;
    DeviceIoControlFn deviceIoControl = DeviceIoControl;
    ReadFileFn readFile = ReadFile;
    SetFilePointerFn setFilePointer = SetFilePointer;
    CloseHandleFn closeHandle = CloseHandle;
    GetLogicalDrivesFn getLogicalDrives = GetLogicalDrives;
    WinExecFn winExec = WinExec;
    DeleteFileAFn deleteFile = DeleteFileA;
    GetWindowsDirectoryAFn getWindowsDirectory = GetWindowsDirectoryA;
    std::string windowsFolder;  // answered to GetWindowsDirectoryA when not empty
    uint64_t calls[3] = {};     // opens, control requests and reads so far, by Call
    std::vector<PendingFault> faults;
    bool toolInProcess = false;  // WinExec writes the tool's report itself
    bool live = false;       // device calls go to this machine's own devices
    bool recording = false;  // answers are collected into `recorded`
    Machine recorded;
};

State* g_state = nullptr;

// Counts one call of `kind` and takes the fault waiting for it, if any.
std::optional<InjectedFault> TakeFault(Call kind)
{
    const uint64_t count = ++g_state->calls[static_cast<int>(kind)];
    for (auto it = g_state->faults.begin(); it != g_state->faults.end(); ++it) {
        if (it->fault.call == kind && it->at == count) {
            InjectedFault fault = it->fault;
            g_state->faults.erase(it);
            return fault;
        }
    }
    return std::nullopt;
}

// Applies a control request's or read's fault to its answer: `before` is the caller's buffer as
// it was before the call, `done` the bytes the call reports.
BOOL ApplyFault(const InjectedFault& fault, BOOL result, void* buffer, DWORD size, const std::vector<uint8_t>& before,
                DWORD* done, DWORD failError)
{
    auto* bytes = static_cast<uint8_t*>(buffer);
    const DWORD written = *done < size ? *done : size;
    switch (fault.fault) {
    case Fault::Fail:
        if (bytes != nullptr && size > 0)
            std::memcpy(bytes, before.data(), size);
        *done = 0;
        g_state->log.faultsApplied += result ? 1 : 0;
        SetLastError(failError);
        return FALSE;
    case Fault::Short: {
        if (!result || written == 0 || bytes == nullptr)
            return result;
        DWORD kept = fault.bytes < 0 ? written / 2 : static_cast<DWORD>(fault.bytes < written ? fault.bytes : written);
        if (kept >= written)
            kept = written - 1;
        std::memcpy(bytes + kept, before.data() + kept, size - kept);
        *done = kept;
        ++g_state->log.faultsApplied;
        return result;
    }
    case Fault::Oversized:
        if (!result || written == 0)
            return result;
        *done = fault.bytes > static_cast<int64_t>(size) && fault.bytes <= 0xFFFFFFFF ? static_cast<DWORD>(fault.bytes)
                                                                                    : size + 1;
        ++g_state->log.faultsApplied;
        return result;
    }
    return result;
}

std::vector<uint8_t> BufferBefore(const std::optional<InjectedFault>& fault, const void* buffer, DWORD size)
{
    if (!fault || buffer == nullptr)
        return {};
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    return std::vector<uint8_t>(bytes, bytes + size);
}

SimHandle* Find(HANDLE handle)
{
    auto it = g_state->handles.find(handle);
    return it == g_state->handles.end() ? nullptr : &it->second;
}

PhysicalDrive& RecordedDrive(int slot)
{
    for (PhysicalDrive& drive : g_state->recorded.drives) {
        if (drive.slot == slot)
            return drive;
    }
    PhysicalDrive drive;
    drive.slot = slot;
    drive.opensReadWrite = false;
    drive.opensReadOnly = false;
    drive.geometry = PhysicalDrive::Geometry::Fails;
    drive.sectorReadable = false;
    g_state->recorded.drives.push_back(drive);
    return g_state->recorded.drives.back();
}

DriveLetter& RecordedLetter(char letter)
{
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (DriveLetter& entry : g_state->recorded.letters) {
        if (entry.letter == letter)
            return entry;
    }
    DriveLetter entry;
    entry.letter = letter;
    entry.inMask = false;
    entry.opens = false;
    entry.answers = false;
    g_state->recorded.letters.push_back(entry);
    return g_state->recorded.letters.back();
}

uint64_t Le64(const uint8_t* bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

void RecordOpen(int slot, char letter, DWORD access, bool opened)
{
    if (!g_state->recording || !opened)
        return;
    if (slot >= 0) {
        PhysicalDrive& drive = RecordedDrive(slot);
        if (access & GENERIC_WRITE)
            drive.opensReadWrite = true;
        else
            drive.opensReadOnly = true;
    } else {
        RecordedLetter(letter).opens = true;
    }
}

void RecordControl(const SimHandle& sim, DWORD code, const void* out, DWORD outSize, DWORD returned, BOOL result)
{
    if (!g_state->recording)
        return;
    const auto* answer = static_cast<const uint8_t*>(out);
    size_t size = returned < outSize ? returned : outSize;
    if (answer == nullptr)
        size = 0;
    if (!sim.isDrive) {
        if (code != 0x002D1080)  // IOCTL_STORAGE_GET_DEVICE_NUMBER
            return;
        DriveLetter& entry = RecordedLetter(sim.letter);
        entry.answers = result && size >= 12;
        if (entry.answers) {
            std::memcpy(&entry.deviceType, answer, 4);
            std::memcpy(&entry.deviceNumber, answer + 4, 4);
            std::memcpy(&entry.partitionNumber, answer + 8, 4);
        }
        return;
    }
    PhysicalDrive& drive = RecordedDrive(sim.slot);
    switch (code) {
    case 0x00074080:  // SMART_GET_VERSION
        drive.smartVersion = drive.smartVersion || result;
        break;
    case 0x0007C088:  // SMART_RCV_DRIVE_DATA: SENDCMDOUTPARAMS, the 512 IDENTIFY bytes at 16
        if (result && size >= 16 + 512) {
            drive.identifyAnswers = true;
            for (size_t w = 0; w < 256; ++w)
                drive.identify[w] = static_cast<uint16_t>(answer[16 + 2 * w] | answer[16 + 2 * w + 1] << 8);
        }
        break;
    case 0x002D1400:  // IOCTL_STORAGE_QUERY_PROPERTY
        if (result) {
            drive.hasDescriptor = true;
            drive.returnedBytes = -1;
            TakeDescriptorAnswer(answer, size, drive);
        }
        break;
    case 0x000700A0:  // IOCTL_DISK_GET_DRIVE_GEOMETRY_EX: DiskSize at 24
        if (!result) {
            drive.geometry = PhysicalDrive::Geometry::Fails;
        } else if (size >= 32) {
            drive.geometry = PhysicalDrive::Geometry::Answers;
            drive.diskSize = static_cast<int64_t>(Le64(answer + 24));
        } else {
            drive.geometry = PhysicalDrive::Geometry::Short;
        }
        break;
    default:
        break;
    }
}

bool StartsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        if (std::toupper(static_cast<unsigned char>(*text)) != std::toupper(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
}

// "\\.\PhysicalDriveN" gives its slot; "\\.\X:" its letter; anything else is not simulated.
bool SimulatedPath(const char* path, int* slot, char* letter)
{
    if (path == nullptr || !StartsWithIgnoringCase(path, "\\\\.\\"))
        return false;
    const char* rest = path + 4;
    if (StartsWithIgnoringCase(rest, "PhysicalDrive")) {
        const char* digits = rest + 13;
        if (*digits == '\0' || std::strlen(digits) > 6)
            return false;
        for (const char* d = digits; *d; ++d) {
            if (!std::isdigit(static_cast<unsigned char>(*d)))
                return false;
        }
        *slot = std::atoi(digits);
        return true;
    }
    if (std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':' && rest[2] == '\0') {
        *letter = rest[0];
        return true;
    }
    return false;
}

HANDLE WINAPI SimCreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile)
{
    int slot = -1;
    char letter = 0;
    if (!SimulatedPath(path, &slot, &letter))
        return g_state->createFile(path, access, share, security, disposition, flags, templateFile);
    const std::optional<InjectedFault> fault = TakeFault(Call::Open);
    const bool failOpen = fault && fault->fault == Fault::Fail;
    if (g_state->live) {
        HANDLE handle = g_state->createFile(path, access, share, security, disposition, flags, templateFile);
        DWORD error = GetLastError();
        if (failOpen && handle != INVALID_HANDLE_VALUE) {
            g_state->closeHandle(handle);
            handle = INVALID_HANDLE_VALUE;
            error = ERROR_ACCESS_DENIED;
            ++g_state->log.faultsApplied;
        }
        OpenRecord record;
        record.path = path;
        record.access = access;
        record.share = share;
        record.disposition = disposition;
        record.flags = flags;
        record.securityAttributes = security != nullptr;
        record.templateFile = templateFile != nullptr;
        record.opened = handle != INVALID_HANDLE_VALUE;
        g_state->log.opens.push_back(record);
        if (record.opened) {
            SimHandle sim;
            sim.path = path;
            sim.isDrive = slot >= 0;
            sim.slot = slot;
            sim.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
            sim.real = true;
            g_state->handles[handle] = sim;
            ++g_state->log.handlesOpen;
        }
        RecordOpen(slot, letter, access, record.opened);
        SetLastError(error);
        return handle;
    }

    OpenRecord record;
    record.path = path;
    record.access = access;
    record.share = share;
    record.disposition = disposition;
    record.flags = flags;
    record.securityAttributes = security != nullptr;
    record.templateFile = templateFile != nullptr;

    DWORD error = ERROR_FILE_NOT_FOUND;
    bool opens = false;
    if (slot >= 0) {
        if (const PhysicalDrive* drive = g_state->machine.Drive(slot)) {
            opens = (access & GENERIC_WRITE) ? drive->opensReadWrite : drive->opensReadOnly;
            error = ERROR_ACCESS_DENIED;
        }
    } else if (const DriveLetter* entry = g_state->machine.Letter(letter)) {
        opens = entry->opens;
        error = ERROR_ACCESS_DENIED;
    }
    if (opens && disposition != OPEN_EXISTING) {
        opens = false;
        error = ERROR_INVALID_PARAMETER;
    }
    if (opens && failOpen) {
        opens = false;
        error = ERROR_ACCESS_DENIED;
        ++g_state->log.faultsApplied;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (opens) {
        // A real kernel handle as the token, so no simulated handle collides with a real one.
        handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        SimHandle sim;
        sim.path = path;
        sim.isDrive = slot >= 0;
        sim.slot = slot;
        sim.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        g_state->handles[handle] = sim;
        ++g_state->log.handlesOpen;
    }
    record.opened = opens;
    g_state->log.opens.push_back(record);
    RecordOpen(slot, letter, access, opens);
    SetLastError(opens ? ERROR_SUCCESS : error);
    return handle;
}

// Copies an answer into the caller's output buffer, cut to its size.
BOOL Answer(const std::vector<uint8_t>& bytes, size_t returned, LPVOID out, DWORD outSize, LPDWORD bytesReturned)
{
    size_t n = returned < bytes.size() ? returned : bytes.size();
    if (n > outSize)
        n = outSize;
    if (n > 0)
        std::memcpy(out, bytes.data(), n);
    if (bytesReturned)
        *bytesReturned = static_cast<DWORD>(n);
    return TRUE;
}

BOOL Fail(DWORD error, LPDWORD bytesReturned)
{
    if (bytesReturned)
        *bytesReturned = 0;
    SetLastError(error);
    return FALSE;
}

BOOL DriveControl(const PhysicalDrive& drive, DWORD code, const uint8_t* in, DWORD inSize, LPVOID out,
                  DWORD outSize, LPDWORD bytesReturned)
{
    switch (code) {
    case 0x00074080: {  // SMART_GET_VERSION
        if (!drive.smartVersion)
            return Fail(ERROR_INVALID_FUNCTION, bytesReturned);
        if (out == nullptr || outSize < 24)
            return Fail(ERROR_INSUFFICIENT_BUFFER, bytesReturned);
        std::vector<uint8_t> version(24, 0);
        version[0] = 1;     // bVersion
        version[1] = 1;     // bRevision
        version[3] = 1;     // bIDEDeviceMap
        version[4] = 0x07;  // fCapabilities: ATA, ATAPI, SMART
        return Answer(version, version.size(), out, outSize, bytesReturned);
    }
    case 0x0007C088: {  // SMART_RCV_DRIVE_DATA
        if (!drive.identifyAnswers)
            return Fail(ERROR_INVALID_FUNCTION, bytesReturned);
        if (in == nullptr || inSize < 33 || in[10] != 0xEC)
            return Fail(ERROR_INVALID_PARAMETER, bytesReturned);
        if (out == nullptr || outSize < 16 + 512)
            return Fail(ERROR_INSUFFICIENT_BUFFER, bytesReturned);
        std::vector<uint8_t> answer(16 + 512, 0);
        answer[0] = 0x00;  // cBufferSize = 512
        answer[1] = 0x02;
        for (size_t w = 0; w < 256; ++w) {
            answer[16 + 2 * w] = static_cast<uint8_t>(drive.identify[w]);
            answer[16 + 2 * w + 1] = static_cast<uint8_t>(drive.identify[w] >> 8);
        }
        return Answer(answer, answer.size(), out, outSize, bytesReturned);
    }
    case 0x002D1400: {  // IOCTL_STORAGE_QUERY_PROPERTY
        if (!drive.hasDescriptor)
            return Fail(ERROR_INVALID_FUNCTION, bytesReturned);
        // StorageDeviceProperty (0), PropertyStandardQuery (0).
        if (in == nullptr || inSize < 8 || std::memcmp(in, "\0\0\0\0\0\0\0\0", 8) != 0)
            return Fail(ERROR_INVALID_PARAMETER, bytesReturned);
        std::vector<uint8_t> answer = DescriptorAnswer(drive);
        size_t returned = drive.returnedBytes < 0 ? answer.size() : static_cast<size_t>(drive.returnedBytes);
        return Answer(answer, returned, out, outSize, bytesReturned);
    }
    case 0x000700A0: {  // IOCTL_DISK_GET_DRIVE_GEOMETRY_EX
        if (drive.geometry == PhysicalDrive::Geometry::Fails)
            return Fail(ERROR_INVALID_FUNCTION, bytesReturned);
        std::vector<uint8_t> answer = GeometryAnswer(drive);
        return Answer(answer, answer.size(), out, outSize, bytesReturned);
    }
    default:
        return Fail(ERROR_INVALID_FUNCTION, bytesReturned);
    }
}

BOOL LetterControl(const DriveLetter& entry, DWORD code, LPVOID out, DWORD outSize, LPDWORD bytesReturned)
{
    if (code != 0x002D1080 || !entry.answers)  // IOCTL_STORAGE_GET_DEVICE_NUMBER
        return Fail(ERROR_INVALID_FUNCTION, bytesReturned);
    if (out == nullptr || outSize < 12)
        return Fail(ERROR_INSUFFICIENT_BUFFER, bytesReturned);
    std::vector<uint8_t> number(12, 0);
    uint32_t values[3] = {entry.deviceType, entry.deviceNumber, entry.partitionNumber};
    std::memcpy(number.data(), values, sizeof(values));
    return Answer(number, number.size(), out, outSize, bytesReturned);
}

BOOL WINAPI SimDeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                               LPDWORD bytesReturned, LPOVERLAPPED overlapped)
{
    SimHandle* sim = Find(handle);
    if (sim == nullptr)
        return g_state->deviceIoControl(handle, code, in, inSize, out, outSize, bytesReturned, overlapped);

    ControlRecord record;
    record.path = sim->path;
    record.code = code;
    record.inSize = inSize;
    record.outSize = outSize;
    if (in != nullptr && inSize > 0)
        record.input.assign(static_cast<const uint8_t*>(in), static_cast<const uint8_t*>(in) + inSize);
    // The answer may overwrite the input (one block for both): decide on the recorded copy.
    const uint8_t* input = record.input.empty() ? nullptr : record.input.data();

    DWORD returnedHere = 0;
    if (bytesReturned == nullptr)
        bytesReturned = &returnedHere;
    const std::optional<InjectedFault> fault = TakeFault(Call::Control);
    const std::vector<uint8_t> before = BufferBefore(fault, out, outSize);
    BOOL result = FALSE;
    if (sim->real) {
        result = g_state->deviceIoControl(handle, code, in, inSize, out, outSize, bytesReturned, overlapped);
    } else if (sim->isDrive) {
        const PhysicalDrive* drive = g_state->machine.Drive(sim->slot);
        result = drive ? DriveControl(*drive, code, input, inSize, out, outSize, bytesReturned)
                       : Fail(ERROR_DEVICE_NOT_CONNECTED, bytesReturned);
    } else {
        const DriveLetter* entry = g_state->machine.Letter(sim->letter);
        result = entry ? LetterControl(*entry, code, out, outSize, bytesReturned)
                       : Fail(ERROR_DEVICE_NOT_CONNECTED, bytesReturned);
    }
    if (fault)
        result = ApplyFault(*fault, result, out, out ? outSize : 0, before, bytesReturned, ERROR_IO_DEVICE);
    const DWORD error = GetLastError();
    record.succeeded = result != FALSE;
    g_state->log.controls.push_back(std::move(record));
    RecordControl(*sim, code, out, outSize, *bytesReturned, result);
    SetLastError(error);
    return result;
}

BOOL WINAPI SimReadFile(HANDLE handle, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped)
{
    SimHandle* sim = Find(handle);
    if (sim == nullptr)
        return g_state->readFile(handle, buffer, size, read, overlapped);
    ReadRecord record;
    record.path = sim->path;
    record.position = sim->position;
    record.size = size;
    const PhysicalDrive* drive = sim->isDrive ? g_state->machine.Drive(sim->slot) : nullptr;
    const std::optional<InjectedFault> fault = TakeFault(Call::Read);
    const std::vector<uint8_t> before = BufferBefore(fault, buffer, size);
    DWORD readHere = 0;
    if (read == nullptr)
        read = &readHere;
    BOOL result = FALSE;
    if (sim->real) {
        DWORD done = 0;
        result = g_state->readFile(handle, buffer, size, &done, overlapped);
        if (read)
            *read = done;
        if (result)
            sim->position += done;
        if (g_state->recording && sim->isDrive && record.position == 0 && size >= 512) {
            PhysicalDrive& recorded = RecordedDrive(sim->slot);
            recorded.sectorReadable = result && done >= 512;
            if (recorded.sectorReadable)
                std::memcpy(recorded.sector0.data(), buffer, 512);
        }
    } else if (drive == nullptr || !drive->sectorReadable || sim->position < 0) {
        if (read)
            *read = 0;
        SetLastError(ERROR_CRC);
    } else {
        // Sector 0 as described; every later byte of the disk reads as zero.
        auto* out = static_cast<uint8_t*>(buffer);
        for (DWORD i = 0; i < size; ++i) {
            int64_t at = sim->position + i;
            out[i] = at < 512 ? drive->sector0[static_cast<size_t>(at)] : 0;
        }
        sim->position += size;
        if (read)
            *read = size;
        result = TRUE;
    }
    if (fault) {
        result = ApplyFault(*fault, result, buffer, buffer ? size : 0, before, read, ERROR_CRC);
        // The file pointer moves by what was really read: nothing on a failure, less when short.
        if (!sim->real)
            sim->position = record.position + (result ? (*read < size ? *read : size) : 0);
    }
    if (!sim->real && g_state->recording && sim->isDrive && record.position == 0 && size >= 512) {
        PhysicalDrive& recorded = RecordedDrive(sim->slot);
        recorded.sectorReadable = result != FALSE;
        if (result)
            std::memcpy(recorded.sector0.data(), buffer, 512);
    }
    record.succeeded = result != FALSE;
    g_state->log.reads.push_back(record);
    return result;
}

DWORD WINAPI SimSetFilePointer(HANDLE handle, LONG distance, PLONG high, DWORD method)
{
    SimHandle* sim = Find(handle);
    if (sim == nullptr)
        return g_state->setFilePointer(handle, distance, high, method);
    ++g_state->log.seeks;
    if (sim->real) {
        LONG highHere = high ? *high : 0;
        const DWORD low = g_state->setFilePointer(handle, distance, high ? &highHere : nullptr, method);
        const DWORD error = GetLastError();
        if (low != INVALID_SET_FILE_POINTER || error == NO_ERROR)
            sim->position = (static_cast<int64_t>(highHere) << 32) | low;
        if (high)
            *high = highHere;
        SetLastError(error);
        return low;
    }
    int64_t move = high ? (static_cast<int64_t>(*high) << 32) | static_cast<uint32_t>(distance) : distance;
    int64_t base = method == FILE_BEGIN ? 0 : method == FILE_CURRENT ? sim->position : 0;
    sim->position = base + move;
    if (high)
        *high = static_cast<LONG>(sim->position >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(sim->position);
}

BOOL WINAPI SimCloseHandle(HANDLE handle)
{
    auto it = g_state->handles.find(handle);
    if (it == g_state->handles.end())
        return g_state->closeHandle(handle);
    g_state->handles.erase(it);
    --g_state->log.handlesOpen;
    return g_state->closeHandle(handle);
}

DWORD WINAPI SimGetLogicalDrives()
{
    ++g_state->log.logicalDriveQueries;
    const DWORD mask = g_state->live ? g_state->getLogicalDrives() : g_state->machine.LogicalDriveMask();
    if (g_state->recording) {
        for (int n = 0; n < 26; ++n) {
            if (mask & (1u << n))
                RecordedLetter(static_cast<char>('A' + n)).inMask = true;
        }
    }
    return mask;
}

// The report the stand-in tool would write into Graid.txt of the current directory.
UINT WriteReportInProcess()
{
    RaidState state;
    std::string error;
    if (g_state->machine.hasRaidState && !ReadRaidState(g_state->machine.raidStateJson, state, error))
        return ERROR_BAD_FORMAT;
    if (state.behaviour == Behaviour::Hang)
        return 33;
    std::string text;
    if (state.behaviour == Behaviour::Normal || state.behaviour == Behaviour::Slow) {
        const RaidReport report = WriteRaidReport(state);
        text = report.disks + report.rest;
    } else if (state.behaviour == Behaviour::Crash) {
        text = WriteRaidReport(state).disks;
    }
    HANDLE file = CreateFileA("Graid.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ERROR_PATH_NOT_FOUND;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return 33;  // above 31: WinExec's success
}

UINT WINAPI SimWinExec(LPCSTR commandLine, UINT show)
{
    g_state->log.winExecs.push_back(commandLine ? commandLine : "");
    if (g_state->toolInProcess) {
        // As WinExec: a batch file that is not there starts nothing.
        std::string program = commandLine ? commandLine : "";
        if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
            program = program.substr(1, program.size() - 2);
        if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
            return ERROR_FILE_NOT_FOUND;
        return WriteReportInProcess();
    }
    return g_state->winExec(commandLine, show);
}

UINT WINAPI SimGetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    if (g_state->windowsFolder.empty())
        return g_state->getWindowsDirectory(buffer, size);
    const UINT length = static_cast<UINT>(g_state->windowsFolder.size());
    if (buffer == nullptr || size <= length)
        return length + 1;  // the size the buffer needs
    std::memcpy(buffer, g_state->windowsFolder.c_str(), length + 1);
    return length;
}

// orb2 deletes Graid.txt at the end of the scan: a recording keeps the report first.
BOOL WINAPI SimDeleteFileA(LPCSTR path)
{
    const size_t length = path ? std::strlen(path) : 0;
    if (g_state->recording && length >= 10 && lstrcmpiA(path + length - 10, "\\Graid.txt") == 0) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::string report;
            char chunk[4096];
            DWORD done = 0;
            while (report.size() < (64u << 20) && ReadFile(file, chunk, sizeof chunk, &done, nullptr) && done > 0)
                report.append(chunk, done);
            CloseHandle(file);
            g_state->recorded.hasRaidState = true;
            g_state->recorded.raidStateJson = VerbatimReportState(report);
        }
    }
    return g_state->deleteFile(path);
}

struct Replacement {
    const char* name;
    void* function;
    void** original;
};

// Patches every import of `module` whose name is one of `replacements`.
bool PatchImports(HMODULE module, const Replacement* replacements, size_t count, std::vector<Patch>& patches,
                  std::string* error)
{
    auto* base = reinterpret_cast<uint8_t*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) {
        if (error)
            *error = "not a PE image";
        return false;
    }
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        if (error)
            *error = "the module imports nothing";
        return false;
    }
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (import->OriginalFirstThunk == 0)
            continue;  // no name table: nothing to match by name
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const char* name = reinterpret_cast<const char*>(byName->Name);
            for (size_t r = 0; r < count; ++r) {
                if (std::strcmp(name, replacements[r].name) != 0)
                    continue;
                void** slot = reinterpret_cast<void**>(&addresses->u1.Function);
                DWORD protection = 0;
                if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection)) {
                    if (error)
                        *error = std::string("cannot unprotect the import of ") + name;
                    return false;
                }
                patches.push_back({slot, *slot});
                *replacements[r].original = *slot;
                *slot = replacements[r].function;
                VirtualProtect(slot, sizeof(void*), protection, &protection);
            }
        }
    }
    return true;
}

void RestoreImports(std::vector<Patch>& patches)
{
    for (auto it = patches.rbegin(); it != patches.rend(); ++it) {
        DWORD protection = 0;
        if (VirtualProtect(it->slot, sizeof(void*), PAGE_READWRITE, &protection)) {
            *it->slot = it->original;
            VirtualProtect(it->slot, sizeof(void*), protection, &protection);
        }
    }
    patches.clear();
}

void WriteRaidState(State& state)
{
    if (!state.stateFile.empty()) {
        DeleteFileA(state.stateFile.c_str());
        state.stateFile.clear();
    }
    if (!state.machine.hasRaidState) {
        SetEnvironmentVariableA("ORB_RAIDCFG32_STATE", nullptr);
        return;
    }
    char folder[MAX_PATH];
    char file[MAX_PATH];
    if (GetTempPathA(sizeof(folder), folder) == 0 || GetTempFileNameA(folder, "orb", 0, file) == 0)
        return;
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(handle, state.machine.raidStateJson.data(), static_cast<DWORD>(state.machine.raidStateJson.size()),
              &written, nullptr);
    CloseHandle(handle);
    state.stateFile = file;
    SetEnvironmentVariableA("ORB_RAIDCFG32_STATE", file);
}

}  // namespace

Simulation::~Simulation()
{
    Detach();
}

namespace {

bool Hook(HMODULE module, std::unique_ptr<State> state, std::string* error)
{
    const Replacement replacements[] = {
        {"CreateFileA", reinterpret_cast<void*>(SimCreateFileA), reinterpret_cast<void**>(&state->createFile)},
        {"DeviceIoControl", reinterpret_cast<void*>(SimDeviceIoControl), reinterpret_cast<void**>(&state->deviceIoControl)},
        {"ReadFile", reinterpret_cast<void*>(SimReadFile), reinterpret_cast<void**>(&state->readFile)},
        {"SetFilePointer", reinterpret_cast<void*>(SimSetFilePointer), reinterpret_cast<void**>(&state->setFilePointer)},
        {"CloseHandle", reinterpret_cast<void*>(SimCloseHandle), reinterpret_cast<void**>(&state->closeHandle)},
        {"GetLogicalDrives", reinterpret_cast<void*>(SimGetLogicalDrives),
         reinterpret_cast<void**>(&state->getLogicalDrives)},
        {"WinExec", reinterpret_cast<void*>(SimWinExec), reinterpret_cast<void**>(&state->winExec)},
        {"DeleteFileA", reinterpret_cast<void*>(SimDeleteFileA), reinterpret_cast<void**>(&state->deleteFile)},
        {"GetWindowsDirectoryA", reinterpret_cast<void*>(SimGetWindowsDirectoryA),
         reinterpret_cast<void**>(&state->getWindowsDirectory)},
    };
    g_state = state.get();  // the replacements read it from their first call on
    if (!PatchImports(module, replacements, sizeof(replacements) / sizeof(replacements[0]), state->patches, error)) {
        RestoreImports(state->patches);
        g_state = nullptr;
        return false;
    }
    if (!state->live)
        WriteRaidState(*state);
    state.release();
    return true;
}

}  // namespace

bool Simulation::Attach(HMODULE module, const Machine& machine, std::string* error)
{
    if (g_state != nullptr || module == nullptr) {
        if (error)
            *error = module ? "another simulation is attached" : "no module";
        return false;
    }
    auto state = std::make_unique<State>();
    state->machine = machine;
    attached_ = Hook(module, std::move(state), error);
    return attached_;
}

bool Simulation::AttachLive(HMODULE module, std::string* error)
{
    if (g_state != nullptr || module == nullptr) {
        if (error)
            *error = module ? "another simulation is attached" : "no module";
        return false;
    }
    auto state = std::make_unique<State>();
    state->live = true;
    state->recording = true;
    attached_ = Hook(module, std::move(state), error);
    return attached_;
}

void Simulation::RecordAnswers()
{
    if (attached_)
        g_state->recording = true;
}

Machine Simulation::Recorded() const
{
    return attached_ ? g_state->recorded : Machine();
}

void Simulation::RunToolInProcess(bool on)
{
    if (attached_)
        g_state->toolInProcess = on;
}

void Simulation::InjectFault(const InjectedFault& fault)
{
    if (!attached_ || fault.n < 1)
        return;
    const uint64_t count = g_state->calls[static_cast<int>(fault.call)];
    g_state->faults.push_back({fault, count + static_cast<uint64_t>(fault.n)});
}

void Simulation::ClearFaults()
{
    if (attached_)
        g_state->faults.clear();
}

void Simulation::SetWindowsFolder(const std::string& folder)
{
    if (attached_)
        g_state->windowsFolder = folder;
}

void Simulation::SetMachine(const Machine& machine)
{
    if (!attached_)
        return;
    g_state->machine = machine;
    WriteRaidState(*g_state);
}

void Simulation::Detach()
{
    if (!attached_)
        return;
    RestoreImports(g_state->patches);
    for (auto& [handle, sim] : g_state->handles)
        CloseHandle(handle);
    if (!g_state->stateFile.empty())
        DeleteFileA(g_state->stateFile.c_str());
    SetEnvironmentVariableA("ORB_RAIDCFG32_STATE", nullptr);
    delete g_state;
    g_state = nullptr;
    attached_ = false;
}

CallLog& Simulation::Log()
{
    return g_state->log;
}

void Simulation::ClearLog()
{
    if (!attached_)
        return;
    int handlesOpen = g_state->log.handlesOpen;
    g_state->log = CallLog{};
    g_state->log.handlesOpen = handlesOpen;
}

}  // namespace simulated_machine
