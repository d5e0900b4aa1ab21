#include "tests/tools/tool_test_support.h"

TEST_F(ToolTest, PlayPlaysTheChosenRecordsInOrderAndRefusesWhatItCannot) {
    // Two records of 2000 samples; the disk driver renders them far faster than real time.
    WriteBytes(Path("two.sel"), Cat({Record(22050, 1000, 4000, Bytes(1000, 0x17)),
                                     Record(11025, 1000, 4000, Bytes(1000, 0x17))}));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", Path("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    EXPECT_EQ(RunTool({"play", Path("two.sel")}),
              (ToolResult{0, "Playing two.sel.000\nPlaying two.sel.001\n", ""}));
    EXPECT_EQ(RunTool({"play", Path("two.sel"), "1"}),
              (ToolResult{0, "Playing two.sel.001\n", ""}));
    EXPECT_EQ(RunTool({"play", Path("two.sel"), "0", "5-6"}),
              (ToolResult{1, "",
                          "marrowvale-sounds: " + Path("two.sel") +
                              ": no record at position 5-6 (the package has 2 records)\n"}));
    EXPECT_EQ(RunTool({"play", Path("two.sel"), "x"}).status, 2);
    // 8000 bytes at 1 Hz last 4000 s: refused at once.
    WriteBytes(Path("slow.sel"), Record(1, 2000, 8000, Bytes(2000, 0x17)));
    EXPECT_EQ(RunTool({"play", Path("slow.sel")}),
              (ToolResult{1, "Playing slow.sel.000\n",
                          "marrowvale-sounds: slow.sel.000: is too long to play (more than one "
                          "hour at 44100 Hz)\n"}));
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(RunTool({"play", Path("two.sel")}),
              (ToolResult{1, "",
                          "marrowvale-sounds: " + Path("two.sel") +
                              ": no audio output could be opened\n"}));
}
