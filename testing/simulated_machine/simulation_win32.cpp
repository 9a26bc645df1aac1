// The Simulation's methods: attaching to a module and detaching, the machine, the switches for
// tests, and the RAID state file that the stand-in tool reads.
#include "testing/simulated_machine/simulation_state_win32.h"

#include <memory>

namespace simulated_machine {

State* g_state = nullptr;

namespace {

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
    g_state = state.get();  // the replacements read it from their first call on
    if (!PatchDeviceCalls(module, *state, error)) {
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
    if (attached_)
        g_state->faults.Add(fault);
}

void Simulation::ClearFaults()
{
    if (attached_)
        g_state->faults.Clear();
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
    if (attached_)
        return g_state->log;
    static CallLog detached;  // nothing simulated: an empty log, whatever was written to it before
    detached = CallLog{};
    return detached;
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
