// LoadWholeFile, FileLengthPlusOne and TakeReportText on real files of the host.
#include "inventory/raid_report/report_buffer.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

class ReportBufferTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReleaseReportBuffer();
        // Named for the case: CTest runs the cases side by side, each in a process of its own.
        path_ = ::testing::TempDir() + "report_buffer_test_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    }
    void TearDown() override
    {
        std::remove(path_.c_str());
        ReleaseReportBuffer();
        reportText.clear();
    }
    void Write(const std::string& content)
    {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        ASSERT_EQ(content.size(), std::fwrite(content.data(), 1, content.size(), f));
        std::fclose(f);
    }
    std::string path_;
};

TEST_F(ReportBufferTest, LoadsTheWholeFileAsOneText)
{
    Write("SerialNo:A1\r\nTotal Arrays = 0\r\n");
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    EXPECT_EQ(32u, reportBufferSize);
    EXPECT_STREQ("SerialNo:A1\r\nTotal Arrays = 0\r\n", reportBuffer);
    TakeReportText();
    EXPECT_EQ("SerialNo:A1\r\nTotal Arrays = 0\r\n", reportText);
}

TEST_F(ReportBufferTest, EmptyFileGivesTheEmptyText)
{
    Write("");
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    EXPECT_EQ(1u, reportBufferSize);
    TakeReportText();
    EXPECT_EQ("", reportText);
    // A file that holds more when read than its measured length (it grew in between; Linux
    // measures /proc/self/cmdline as 0): read no further than the measured length.
    ASSERT_TRUE(LoadWholeFile("/proc/self/cmdline"));
    EXPECT_EQ(1u, reportBufferSize);
    EXPECT_STREQ("", reportBuffer);
}

TEST_F(ReportBufferTest, TextEndsAtANulByte)
{
    Write(std::string("abc\0def", 7));
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    EXPECT_EQ(8u, reportBufferSize);
    TakeReportText();
    EXPECT_EQ("abc", reportText);
}

TEST_F(ReportBufferTest, MissingFileKeepsTheEarlierBuffer)
{
    Write("first");
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    EXPECT_FALSE(LoadWholeFile((path_ + ".missing").c_str()));
    EXPECT_FALSE(LoadWholeFile(nullptr));
    EXPECT_STREQ("first", reportBuffer);
}

TEST_F(ReportBufferTest, NewLoadReplacesTheBuffer)
{
    // Run under AddressSanitizer: the replaced buffer is released (no leak is reported).
    Write("a much longer first report");
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    Write("short");
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    EXPECT_STREQ("short", reportBuffer);
    EXPECT_EQ(6u, reportBufferSize);
}

TEST_F(ReportBufferTest, NoBufferGivesTheEmptyText)
{
    reportText = "old";
    TakeReportText();
    EXPECT_EQ("", reportText);
}

TEST_F(ReportBufferTest, FileLengthPlusOneKeepsThePosition)
{
    Write("0123456789");
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    std::fseek(f, 4, SEEK_SET);
    EXPECT_EQ(11, FileLengthPlusOne(f));
    EXPECT_EQ(4, std::ftell(f));
    std::fclose(f);
    // A file of exactly 0x7fffffff bytes (sparse) is refused: its length and the NUL do not fit
    // the 32-bit long of the Windows build, and no 2 GiB report is ever loaded.
    std::filesystem::resize_file(path_, 0x7fffffff);
    f = std::fopen(path_.c_str(), "rb");
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(-1, FileLengthPlusOne(f));
    std::fclose(f);
    EXPECT_FALSE(LoadWholeFile(path_.c_str()));
}

TEST_F(ReportBufferTest, FiftyMegabyteFile)
{
    std::string content(50u * 1024 * 1024, 'x');
    content += "Total Arrays = 0";
    Write(content);
    ASSERT_TRUE(LoadWholeFile(path_.c_str()));
    TakeReportText();
    EXPECT_EQ(content.size(), reportText.size());
}

}  // namespace
