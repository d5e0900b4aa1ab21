#include "app/decode/decode.h"
#include "tests/tools/tool_test_support.h"

#include <cstdlib>

namespace {

class PlayCommandTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        // Two short records; the disk driver renders them far faster than real time.
        const std::vector<int16_t> samples(2205, 1000);
        Bytes package;
        AppendPackageRecord(package, 22050, samples.data(), samples.size());
        AppendPackageRecord(package, 11025, samples.data(), samples.size());
        WriteBytes(Path("two.sel"), package);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", Path("out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
    }
};

TEST_F(PlayCommandTest, PlaysTheChosenRecordsInOrder) {
    ToolResult result = RunTool({"play", Path("two.sel")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Playing two.sel.000\nPlaying two.sel.001\n");
    result = RunTool({"play", Path("two.sel"), "1"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Playing two.sel.001\n");
}

TEST_F(PlayCommandTest, RefusesMissingPositionsAndAMissingOutput) {
    ToolResult result = RunTool({"play", Path("two.sel"), "0", "5-6"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("no record at position 5-6"), std::string::npos) << result.err;

    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    result = RunTool({"play", Path("two.sel")});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "marrowvale-sounds: " + Path("two.sel") + ": no audio output could be opened\n");
    EXPECT_EQ(RunTool({"play", Path("two.sel"), "x"}).status, 2);
}

} // namespace
