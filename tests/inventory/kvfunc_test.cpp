// orb2.dll loaded as the main application loads it, questioned through KVFunc only.
#include <windows.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace {

using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);

class KVFuncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = LoadLibraryA("orb2.dll");
        ASSERT_NE(nullptr, library_) << "error " << GetLastError();
        kvFunc_ = reinterpret_cast<KVFuncType>(GetProcAddress(library_, "KVFunc"));
        ASSERT_NE(nullptr, kvFunc_);
    }
    void TearDown() override
    {
        if (library_)
            FreeLibrary(library_);
    }
    std::string Ask(unsigned int type, int index = 0, const char* text = nullptr)
    {
        char* answer = kvFunc_(type, index, text);
        EXPECT_NE(nullptr, answer);
        std::string value = answer ? answer : "";
        std::free(answer);
        return value;
    }

    HMODULE library_ = nullptr;
    KVFuncType kvFunc_ = nullptr;
};

TEST_F(KVFuncTest, QueriesAboveTwentyFourAnswerTheEmptyText)
{
    EXPECT_EQ("", Ask(25));
    EXPECT_EQ("", Ask(4294967295u));
}

TEST_F(KVFuncTest, EveryCallAnswersADistinct512ByteBuffer)
{
    char* first = kvFunc_(25, 0, nullptr);
    char* second = kvFunc_(25, 0, nullptr);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    first[511] = 'x';  // the whole buffer is the caller's
    std::free(first);
    std::free(second);
}

}  // namespace
