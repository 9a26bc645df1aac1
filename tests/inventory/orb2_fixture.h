#pragma once
// orb2.dll loaded as the main application loads it, questioned through KVFunc only, with its
// device calls answered by a simulated machine.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tools/simulated_machine/simulated_machine.h"

class Orb2Fixture : public ::testing::Test {
protected:
    using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);

    void SetUp() override
    {
        library_ = LoadLibraryA("orb2.dll");
        ASSERT_NE(nullptr, library_) << "error " << GetLastError();
        kvFunc_ = reinterpret_cast<KVFuncType>(GetProcAddress(library_, "KVFunc"));
        ASSERT_NE(nullptr, kvFunc_);
    }
    void TearDown() override
    {
        simulation_.Detach();
        if (library_)
            FreeLibrary(library_);
    }
    void AttachMachine(const simulated_machine::Machine& machine)
    {
        std::string error;
        ASSERT_TRUE(simulation_.Attach(library_, machine, &error)) << error;
    }
    std::string Ask(unsigned int type, int index = 0, const char* text = nullptr)
    {
        char* answer = kvFunc_(type, index, text);
        EXPECT_NE(nullptr, answer);
        std::string value = answer ? answer : "";
        std::free(answer);  // msvcrt's free, as orb2.h documents
        return value;
    }

    HMODULE library_ = nullptr;
    KVFuncType kvFunc_ = nullptr;
    simulated_machine::Simulation simulation_;
};
