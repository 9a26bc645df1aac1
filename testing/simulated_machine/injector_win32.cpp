// The replacements of the module's device calls: simulated paths and handles are answered from
// the machine description (device_answers.h), recorded in the call log and, when asked, into a
// recorded machine (recording.h), with injected faults applied (faults.h); everything else
// passes through to Windows.
#include "testing/simulated_machine/simulation_state_win32.h"

#include <winioctl.h>

#include <cctype>
#include <cstring>
#include <optional>

#include "testing/simulated_machine/device_answers.h"
#include "testing/simulated_machine/recording.h"
#include "testing/standins/raidcfg32/raid_state.h"

namespace simulated_machine {

// The pure answers use the SDK's numbers.
static_assert(kSmartGetVersion == SMART_GET_VERSION, "SMART_GET_VERSION");
static_assert(kSmartRcvDriveData == SMART_RCV_DRIVE_DATA, "SMART_RCV_DRIVE_DATA");
static_assert(kStorageQueryProperty == IOCTL_STORAGE_QUERY_PROPERTY, "IOCTL_STORAGE_QUERY_PROPERTY");
static_assert(kDiskGetDriveGeometryEx == IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX");
static_assert(kStorageGetDeviceNumber == IOCTL_STORAGE_GET_DEVICE_NUMBER, "IOCTL_STORAGE_GET_DEVICE_NUMBER");
static_assert(kInvalidFunction == ERROR_INVALID_FUNCTION && kFileNotFound == ERROR_FILE_NOT_FOUND &&
                  kAccessDenied == ERROR_ACCESS_DENIED && kCrc == ERROR_CRC &&
                  kInvalidParameter == ERROR_INVALID_PARAMETER && kInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER &&
                  kIoDevice == ERROR_IO_DEVICE && kDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED,
              "the devices' error codes are Windows'");

namespace {

SimHandle* Find(HANDLE handle)
{
    auto it = g_state->handles.find(handle);
    return it == g_state->handles.end() ? nullptr : &it->second;
}

// Takes the fault waiting for this call of `kind`, if any.
std::optional<InjectedFault> TakeFault(Call kind)
{
    return g_state->faults.Take(kind);
}

// Applies the call's fault and counts it when it changed the call; a Fail fault's error is
// `failError`.
BOOL Faulted(const InjectedFault& fault, BOOL result, void* buffer, DWORD size, const std::vector<uint8_t>& before,
             DWORD* done, DWORD failError)
{
    bool applied = false;
    uint32_t reported = *done;
    const bool answered = ApplyFault(fault, result != FALSE, buffer, size, before, &reported, &applied);
    *done = reported;
    g_state->log.faultsApplied += applied ? 1 : 0;
    if (fault.fault == Fault::Fail)
        SetLastError(failError);
    return answered ? result : FALSE;
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

    OpenRecord record;
    record.path = path;
    record.access = access;
    record.share = share;
    record.disposition = disposition;
    record.flags = flags;
    record.securityAttributes = security != nullptr;
    record.templateFile = templateFile != nullptr;

    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    if (g_state->live) {
        handle = g_state->createFile(path, access, share, security, disposition, flags, templateFile);
        error = GetLastError();
        record.opened = handle != INVALID_HANDLE_VALUE;
    } else {
        error = OpenError(g_state->machine, slot, letter, (access & GENERIC_WRITE) != 0, disposition == OPEN_EXISTING);
        record.opened = error == ERROR_SUCCESS;
    }
    if (record.opened && failOpen) {
        if (g_state->live)
            g_state->closeHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        record.opened = false;
        error = ERROR_ACCESS_DENIED;
        ++g_state->log.faultsApplied;
    }
    if (record.opened) {
        // Simulated: a real kernel handle as the token, so no simulated handle collides with a real one.
        if (!g_state->live)
            handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        SimHandle sim;
        sim.path = path;
        sim.isDrive = slot >= 0;
        sim.slot = slot;
        sim.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
        sim.real = g_state->live;
        g_state->handles[handle] = sim;
        ++g_state->log.handlesOpen;
    }
    g_state->log.opens.push_back(record);
    if (g_state->recording && record.opened)
        RecordOpen(g_state->recorded, slot, letter, (access & GENERIC_WRITE) != 0);
    SetLastError(error);
    return handle;
}

// Copies an answer into the caller's output buffer, cut to its size.
BOOL Answer(const ControlAnswer& answer, LPVOID out, DWORD outSize, LPDWORD bytesReturned)
{
    if (answer.error != kNoError) {
        if (bytesReturned)
            *bytesReturned = 0;
        SetLastError(answer.error);
        return FALSE;
    }
    size_t n = answer.returned < answer.bytes.size() ? answer.returned : answer.bytes.size();
    if (n > outSize)
        n = outSize;
    if (n > 0)
        std::memcpy(out, answer.bytes.data(), n);
    if (bytesReturned)
        *bytesReturned = static_cast<DWORD>(n);
    return TRUE;
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
        ControlAnswer answer;
        answer.error = kDeviceNotConnected;
        if (drive)
            answer = DriveControl(*drive, code, input, inSize, out != nullptr, outSize);
        result = Answer(answer, out, outSize, bytesReturned);
    } else {
        const DriveLetter* entry = g_state->machine.Letter(sim->letter);
        ControlAnswer answer;
        answer.error = kDeviceNotConnected;
        if (entry)
            answer = LetterControl(*entry, code, out != nullptr, outSize);
        result = Answer(answer, out, outSize, bytesReturned);
    }
    if (fault)
        result = Faulted(*fault, result, out, out ? outSize : 0, before, bytesReturned, ERROR_IO_DEVICE);
    const DWORD error = GetLastError();
    record.succeeded = result != FALSE;
    g_state->log.controls.push_back(std::move(record));
    if (g_state->recording) {
        const DWORD size = *bytesReturned < outSize ? *bytesReturned : outSize;
        RecordControl(g_state->recorded, sim->isDrive ? sim->slot : -1, sim->letter, code,
                      static_cast<const uint8_t*>(out), size, result != FALSE);
    }
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
    const bool sectorZero = g_state->recording && sim->isDrive && record.position == 0 && size >= 512;
    BOOL result = FALSE;
    if (sim->real) {
        DWORD done = 0;
        result = g_state->readFile(handle, buffer, size, &done, overlapped);
        *read = done;
        if (result)
            sim->position += done;
        if (sectorZero)
            RecordSectorZero(g_state->recorded, sim->slot,
                             result && done >= 512 ? static_cast<const uint8_t*>(buffer) : nullptr);
    } else if (!ReadDrive(drive, sim->position, static_cast<uint8_t*>(buffer), size)) {
        *read = 0;
        SetLastError(ERROR_CRC);
    } else {
        sim->position += size;
        *read = size;
        result = TRUE;
    }
    if (fault) {
        result = Faulted(*fault, result, buffer, buffer ? size : 0, before, read, ERROR_CRC);
        // The file pointer moves by what was really read: nothing on a failure, less when short.
        if (!sim->real)
            sim->position = record.position + (result ? (*read < size ? *read : size) : 0);
    }
    if (!sim->real && sectorZero)
        RecordSectorZero(g_state->recorded, sim->slot, result ? static_cast<const uint8_t*>(buffer) : nullptr);
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
    if (g_state->recording)
        RecordLogicalDrives(g_state->recorded, mask);
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

}  // namespace

bool PatchDeviceCalls(HMODULE module, State& state, std::string* error)
{
    const ImportReplacement replacements[] = {
        {"CreateFileA", reinterpret_cast<void*>(SimCreateFileA), reinterpret_cast<void**>(&state.createFile)},
        {"DeviceIoControl", reinterpret_cast<void*>(SimDeviceIoControl), reinterpret_cast<void**>(&state.deviceIoControl)},
        {"ReadFile", reinterpret_cast<void*>(SimReadFile), reinterpret_cast<void**>(&state.readFile)},
        {"SetFilePointer", reinterpret_cast<void*>(SimSetFilePointer), reinterpret_cast<void**>(&state.setFilePointer)},
        {"CloseHandle", reinterpret_cast<void*>(SimCloseHandle), reinterpret_cast<void**>(&state.closeHandle)},
        {"GetLogicalDrives", reinterpret_cast<void*>(SimGetLogicalDrives),
         reinterpret_cast<void**>(&state.getLogicalDrives)},
        {"WinExec", reinterpret_cast<void*>(SimWinExec), reinterpret_cast<void**>(&state.winExec)},
        {"DeleteFileA", reinterpret_cast<void*>(SimDeleteFileA), reinterpret_cast<void**>(&state.deleteFile)},
        {"GetWindowsDirectoryA", reinterpret_cast<void*>(SimGetWindowsDirectoryA),
         reinterpret_cast<void**>(&state.getWindowsDirectory)},
    };
    return PatchImports(module, replacements, sizeof(replacements) / sizeof(replacements[0]), state.patches, error);
}

}  // namespace simulated_machine
