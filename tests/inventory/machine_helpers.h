// Machines for the scan tests: the bundled default machine, and any machine with another RAID
// tool state. ORB_DEFAULT_MACHINE is the default machine's file, as Wine sees it.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "testing/simulated_machine/simulated_machine.h"

inline simulated_machine::Machine DefaultMachine()
{
    simulated_machine::Machine machine;
    std::string error;
    EXPECT_TRUE(simulated_machine::LoadMachineFile(ORB_DEFAULT_MACHINE, machine, error)) << error;
    return machine;
}

inline simulated_machine::Machine WithRaidState(simulated_machine::Machine machine, const std::string& state)
{
    machine.hasRaidState = true;
    machine.raidStateJson = state;
    return machine;
}
