#include "platform/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Command = CommandLine::Command;

struct SwitchCase
{
    QStringList args;
    Command command;
    bool embedding;
    bool automation;
    QString file;
};

class CommandLineTable : public testing::TestWithParam<SwitchCase>
{
};

TEST_P(CommandLineTable, ParsesSwitchesAndFile)
{
    const SwitchCase& c = GetParam();
    const CommandLine parsed = CommandLine::Parse(c.args);
    EXPECT_EQ(parsed.command, c.command);
    EXPECT_EQ(parsed.embedding, c.embedding);
    EXPECT_EQ(parsed.automation, c.automation);
    EXPECT_EQ(parsed.fileName, c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Words, CommandLineTable,
    testing::Values(
        SwitchCase{{}, Command::FileNew, false, false, {}},
        SwitchCase{{"/Regserver"}, Command::Register, false, false, {}},
        SwitchCase{{"-REGSERVER"}, Command::Register, false, false, {}},
        SwitchCase{{"--regserver"}, Command::Register, false, false, {}},
        SwitchCase{{"/unregserver"}, Command::Unregister, false, false, {}},
        SwitchCase{{"-Embedding"}, Command::FileNew, true, false, {}},
        SwitchCase{{"/automation"}, Command::FileNew, false, true, {}},
        // A path that begins with "/" is a file, not a switch.
        SwitchCase{{"/home/u/a b.mp3"}, Command::FileOpen, false, false, "/home/u/a b.mp3"},
        SwitchCase{{"/Regserver.wav"}, Command::FileOpen, false, false, "/Regserver.wav"},
        SwitchCase{{"song.wav"}, Command::FileOpen, false, false, "song.wav"},
        SwitchCase{{"-x", "a.wav", "b.wav"}, Command::FileOpen, false, false, "a.wav"},
        SwitchCase{{"Regserver"}, Command::FileOpen, false, false, "Regserver"}));

} // namespace
