#include "c64/files.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <random>

#include "conversions.hpp"

namespace zimbor {
namespace {

namespace fs = std::filesystem;
using testing::Convert;

std::vector<std::uint8_t> Slice(std::span<const std::uint8_t> bytes, std::size_t first,
                                std::size_t end) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(first),
            bytes.begin() + static_cast<std::ptrdiff_t>(end)};
}

// ---------------------------------------------------------------------------------------------
// The bytes of the two files.
// ---------------------------------------------------------------------------------------------

TEST(ProgramFile, HeadGapAndBankOfAConversion) {
    const auto state = Convert(*testing::Noise(7), Settings{.background = 0});
    const ProgramBuffer file = BuildProgramBuffer(state->displayerTemplate, state->memory);
    static_assert(sizeof(file) == 30722);

    const std::uint8_t o = state->displayerTemplate[kOverlayColourByte];
    const std::vector<std::uint8_t> head = {
        0x00, 0x08, 0x00, 0x0C, 0x08, 0x0A, 0x00, 0x9E, 0x32, 0x30, 0x36,
        0x32, 0x00, 0x00, 0x00, 0x00, 0x4C, 0x1E, 0x08, 'z',  'i',  'm',
        'b',  'r',  0x00, o,    0x00, 0x00, 0x40, 0x00, 0x00, 0x00,
    };
    EXPECT_EQ(Slice(file, 0, 32), head);
    // The routine is the template's; the gap up to the bank is zero.
    EXPECT_EQ(Slice(file, 32, 2442), Slice(MakeDisplayerTemplate(), 32, 2442));
    const std::vector<std::uint8_t> gap = Slice(file, 2442, kProgramBankOffset);
    EXPECT_TRUE(std::ranges::all_of(gap, [](std::uint8_t b) { return b == 0; }));
    // The bank is the raw file's.
    EXPECT_EQ(Slice(file, kProgramBankOffset, kProgramFileSize),
              Slice(state->rawBuffer, 0, kBankSize));
}

TEST(ProgramFile, BuildsAreRepeatableAndFollowTheLatestConversionsColours) {
    auto state = std::make_unique<ConversionState>();
    NullReporter quiet;
    // All black: overlay colour 0 wins; background "Black".
    Process(*testing::Flat(0), Settings{.background = 0}, *state, quiet);
    const ProgramBuffer first = BuildProgramBuffer(state->displayerTemplate, state->memory);
    EXPECT_EQ(BuildProgramBuffer(state->displayerTemplate, state->memory), first);
    EXPECT_EQ(first[25], 0);
    EXPECT_EQ(first[26], 0);

    // The noise needs an overlay colour other than black; background "L Grey".
    Process(*testing::Noise(3), Settings{.background = 15}, *state, quiet);
    const ProgramBuffer second = BuildProgramBuffer(state->displayerTemplate, state->memory);
    EXPECT_NE(second[25], 0);
    EXPECT_EQ(second[25], state->displayerTemplate[kOverlayColourByte]);
    EXPECT_EQ(second[26], 0x0F);
}

TEST(RawFile, PointersSolidBlockAndBackground) {
    struct Case {
        int background;
        std::uint8_t firstByte;
    };
    for (const Case c : {Case{0, 0x00}, Case{6, 0x66}}) {  // "Black", "Blue"
        const auto state = Convert(*testing::Gradient(), Settings{.background = c.background});
        const RawBuffer& raw = state->rawBuffer;
        static_assert(sizeof(raw) == 16384);
        EXPECT_EQ(raw[0], c.firstByte) << "background " << c.background;
        EXPECT_EQ(Slice(raw, 0x03F8, 0x0400),
                  (std::vector<std::uint8_t>{0xEF, 0x80, 0x84, 0x85, 0x89, 0x8A, 0x8E, 0x00}));
        EXPECT_EQ(Slice(raw, 0x1FF8, 0x2000),
                  (std::vector<std::uint8_t>{0xEF, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0x00}));
        const std::vector<std::uint8_t> solid = Slice(raw, 0x3BC0, 0x3C00);
        EXPECT_TRUE(std::ranges::all_of(solid, [](std::uint8_t b) { return b == 0xFF; }));
    }
}

// ---------------------------------------------------------------------------------------------
// Names.
// ---------------------------------------------------------------------------------------------

TEST(WithExtension, AppendsOnlyWhenMissing) {
    struct Case {
        const char* name;
        std::string_view extension;
        const char* expected;
    };
    const Case cases[] = {
        {"pic", kProgramExtension, "pic.prg"},
        {"pic.prg", kProgramExtension, "pic.prg"},
        {"PIC.PRG", kProgramExtension, "PIC.PRG"},
        {"pic.Prg", kProgramExtension, "pic.Prg"},
        {"pic.raw", kProgramExtension, "pic.raw.prg"},
        {"pic.prg", kRawExtension, "pic.prg.raw"},
        {"pic.RAW", kRawExtension, "pic.RAW"},
        {"pic.prgx", kProgramExtension, "pic.prgx.prg"},
        {"picprg", kProgramExtension, "picprg.prg"},
        {"dir.prg/pic", kProgramExtension, "dir.prg/pic.prg"},
        {"out/pic.jpg", kRawExtension, "out/pic.jpg.raw"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithExtension(c.name, c.extension), fs::path(c.expected)) << c.name;
    }
}

// ---------------------------------------------------------------------------------------------
// Saving.
// ---------------------------------------------------------------------------------------------

class SaveFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        folder_ = fs::temp_directory_path() / ("zimbor-c64-test-" + std::to_string(random()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder_, ignored);
    }

    std::vector<std::string> Entries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::ranges::sort(names);
        return names;
    }
    static std::vector<std::uint8_t> Contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    // Expects SaveError whose message names the file.
    static std::string SaveErrorMessage(const fs::path& path, std::span<const std::uint8_t> bytes) {
        try {
            SaveFileAtomically(path, bytes);
        } catch (const SaveError& e) {
            EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
            return e.what();
        }
        ADD_FAILURE() << "no SaveError for " << path;
        return {};
    }

    fs::path folder_;
    const std::vector<std::uint8_t> bytes_ = std::vector<std::uint8_t>(30722, 0xA5);
};

TEST_F(SaveFile, WritesANewFileAndReplacesAnExistingOne) {
    const fs::path target = folder_ / "pic.prg";
    SaveFileAtomically(target, bytes_);
    EXPECT_EQ(Contents(target), bytes_);

    const std::vector<std::uint8_t> other(16384, 0x3C);
    SaveFileAtomically(target, other);
    EXPECT_EQ(Contents(target), other);
    EXPECT_EQ(Entries(folder_), std::vector<std::string>{"pic.prg"});
}

TEST_F(SaveFile, SavesBothKindsUnderTheirExtensions) {
    const auto state = Convert(*testing::Noise(11), Settings{});
    const fs::path prg = SaveProgramFile(folder_ / "pic", state->displayerTemplate, state->memory);
    const fs::path raw = SaveRawFile(folder_ / "pic.RAW", state->rawBuffer);
    EXPECT_EQ(prg, folder_ / "pic.prg");
    EXPECT_EQ(raw, folder_ / "pic.RAW");
    const ProgramBuffer expected = BuildProgramBuffer(state->displayerTemplate, state->memory);
    EXPECT_EQ(Contents(prg), Slice(expected, 0, expected.size()));
    EXPECT_EQ(Contents(raw), Slice(state->rawBuffer, 0, kBankSize));
    EXPECT_EQ(Entries(folder_), (std::vector<std::string>{"pic.RAW", "pic.prg"}));
}

TEST_F(SaveFile, MissingFolderFailsAndCreatesNothing) {
    const std::string message = SaveErrorMessage(folder_ / "absent" / "pic.prg", bytes_);
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    EXPECT_TRUE(Entries(folder_).empty());
}

TEST_F(SaveFile, TargetThatIsAFolderFailsAndStaysAsItWas) {
    const fs::path target = folder_ / "pic.prg";
    fs::create_directory(target);
    Write(target / "inside", {1, 2, 3});
    SaveErrorMessage(target, bytes_);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(Entries(target), std::vector<std::string>{"inside"});
    EXPECT_EQ(Entries(folder_), std::vector<std::string>{"pic.prg"});
}

TEST_F(SaveFile, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    const fs::path target = folder_ / "pic.prg";
    const std::vector<std::uint8_t> old{1, 2, 3, 4};
    Write(target, old);
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    {
        // Whoever may create files regardless (root) cannot be refused this way.
        std::ofstream probe(folder_ / "probe");
        if (probe) {
            probe.close();
            fs::remove(folder_ / "probe");
            GTEST_SKIP() << "the folder stays writable for this user";
        }
    }
    const std::string message = SaveErrorMessage(target, bytes_);
    EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
    EXPECT_EQ(Contents(target), old);
    EXPECT_EQ(Entries(folder_), std::vector<std::string>{"pic.prg"});
}

// A write that stops part-way (here at the file size limit, as on a full disk) leaves neither
// a partial file nor a damaged old one.
TEST_F(SaveFile, WriteThatStopsPartWayKeepsTheOldFile) {
    const fs::path target = folder_ / "pic.prg";
    const std::vector<std::uint8_t> old(100, 0x11);
    Write(target, old);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message;
    try {
        SaveFileAtomically(target, bytes_);
    } catch (const SaveError& e) {
        message = e.what();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_NE(message.find("File too large"), std::string::npos) << message;
    EXPECT_NE(message.find(target.string()), std::string::npos) << message;
    EXPECT_EQ(Contents(target), old);
    EXPECT_EQ(Entries(folder_), std::vector<std::string>{"pic.prg"});
}

TEST_F(SaveFile, NameWithoutFileNameFails) {
    SaveErrorMessage(folder_ / "", bytes_);
}

}  // namespace
}  // namespace zimbor
