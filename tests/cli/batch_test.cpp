#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_tool.hpp"

namespace zimbor::testing_cli {
namespace {

namespace fs = std::filesystem;

TEST(Batch, ConvertsEveryPictureAndReportsTheOnesThatFail) {
    TempDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) fs::copy_file(ZIMBOR_EXAMPLE_JPEG, dir / name);
    WriteFile(dir / "broken.jpg", Bytes("this is not a picture at all"));
    const fs::path out = dir / "out";
    const ToolResult r = RunConvert({(dir / "a.jpg").string(), (dir / "broken.jpg").string(),
                                     (dir / "b.jpg").string(), (dir / "c.jpg").string(), "--out-dir",
                                     out.string(), "--raw", "--png", "--x", "10", "--jobs", "2"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("broken.jpg"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    std::vector<std::string> listing;
    for (const auto& e : fs::directory_iterator(out)) listing.push_back(e.path().filename().string());
    std::sort(listing.begin(), listing.end());
    EXPECT_EQ(listing, (std::vector<std::string>{"a.png", "a.prg", "a.raw", "b.png", "b.prg", "b.raw",
                                                 "c.png", "c.prg", "c.raw"}));
    // The same picture and settings give the same files, whichever thread converted them.
    EXPECT_EQ(ReadFile(out / "a.prg"), ReadFile(out / "c.prg"));
    EXPECT_EQ(ReadFile(out / "a.prg").size(), 30722u);
    // One line per picture that converted, in the order given.
    EXPECT_LT(r.out.find("a.jpg"), r.out.find("b.jpg"));
    EXPECT_LT(r.out.find("b.jpg"), r.out.find("c.jpg"));
}

TEST(Batch, EqualsSingleConversions) {
    TempDir dir;
    const ToolResult one = RunConvert({ZIMBOR_EXAMPLE_JPEG, "--x", "30", "--y", "40", "--rgb",
                                       "-o", (dir / "single").string()});
    ASSERT_EQ(one.status, 0) << one.err;
    const ToolResult batch = RunConvert({ZIMBOR_EXAMPLE_JPEG, "--x", "30", "--y", "40", "--rgb",
                                         "--out-dir", (dir / "out").string()});
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(ReadFile(dir / "single.prg"), ReadFile(dir / "out" / "cat.prg"));
}

TEST(Batch, RefusesPicturesThatWouldWriteTheSameFiles) {
    TempDir dir;
    fs::create_directories(dir / "x");
    fs::create_directories(dir / "y");
    fs::copy_file(ZIMBOR_EXAMPLE_JPEG, dir / "x" / "pic.jpg");
    fs::copy_file(ZIMBOR_EXAMPLE_JPEG, dir / "y" / "pic.jpg");
    const ToolResult r = RunConvert({(dir / "x" / "pic.jpg").string(), (dir / "y" / "pic.jpg").string(),
                                     "--out-dir", (dir / "out").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would both write"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "out"));
}

TEST(Batch, OutputsNeverReplaceAPictureOfTheBatch) {
    TempDir dir;
    const fs::path png = dir / "b.png";
    ASSERT_EQ(RunConvert({ZIMBOR_EXAMPLE_JPEG, "--png", png.string()}).status, 0);
    fs::copy_file(ZIMBOR_EXAMPLE_JPEG, dir / "a.jpg");
    const std::vector<std::uint8_t> before = ReadFile(png);
    const ToolResult r = RunConvert({(dir / "a.jpg").string(), png.string(), "--out-dir",
                                     dir.path().string(), "--png"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("would replace the picture"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(png), before);
    EXPECT_TRUE(fs::exists(dir / "a.prg"));  // the other picture still converts
}

TEST(Batch, OptionsThatNameOneFileAreRefused) {
    TempDir dir;
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"-o", "x.prg"}, {"--dump", "d"}, {"--preview-only"}}) {
        std::vector<std::string> args{ZIMBOR_EXAMPLE_JPEG, "--out-dir", (dir / "out").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const ToolResult r = RunConvert(args);
        EXPECT_EQ(r.status, 2) << extra.front();
        EXPECT_FALSE(fs::exists(dir / "out"));
    }
}

}  // namespace
}  // namespace zimbor::testing_cli
