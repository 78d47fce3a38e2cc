// The control lines of h5800-sim: what each line makes of itself, and the
// kept fuzz inputs replayed through the reader's property.

#include "support/FuzzReplay.h"

#include "../../fuzz/SimControlCheck.h"
#include "terminal/SimControl.h"

#include <gtest/gtest.h>

using h5::SimControlCommand;
using Kind = SimControlCommand::Kind;

TEST(SimControlTest, EachLineIsReadAsItsWordsSay)
{
    struct Case
    {
        const char *line;
        Kind kind;
        const char *bytesHex;
        const char *path = "";
    };
    const Case cases[] = {
        {"report fe fe 01 02 03 04", Kind::Report, "fefe01020304"},
        {"report FEFE01 0203\r", Kind::Report, "fefe010203"},
        {"  \treport   00  ", Kind::Report, "00"},
        {"quit", Kind::Quit, ""},
        {" quit \r", Kind::Quit, ""},
        {"", Kind::Nothing, ""},
        {"   \r", Kind::Nothing, ""},
        {"# report fe", Kind::Nothing, ""},
        {"report", Kind::Bad, ""},          // no byte
        {"report f", Kind::Bad, ""},        // half a byte
        {"report fe 1", Kind::Bad, ""},     // half a byte after a whole one
        {"report 0x12", Kind::Bad, ""},     // not bare hex
        {"report zz", Kind::Bad, ""},
        {"REPORT fe", Kind::Bad, ""},       // commands are lower case
        {"quit now", Kind::Bad, ""},
        {"touch 1 2", Kind::Touch, ""},
        {"touch 65535 0", Kind::Touch, ""},
        {"touch 1", Kind::Bad, ""},         // no y
        {"touch 1 2 3", Kind::Bad, ""},
        {"touch -1 2", Kind::Bad, ""},
        {"touch 65536 2", Kind::Bad, ""},
        {"touch 0x10 2", Kind::Bad, ""},
        {"screenshot /tmp/a.png", Kind::Screenshot, "", "/tmp/a.png"},
        {" screenshot \t my screen.png \r", Kind::Screenshot, "", "my screen.png"},
        {"screenshot", Kind::Bad, ""},      // no path
        {"screenshot  \r", Kind::Bad, ""}, // blanks are no path
        {"screenshots a.png", Kind::Bad, ""},
        {"windowshot /tmp/w.png", Kind::WindowShot, "", "/tmp/w.png"},
        {"windowshot \t a window.png\r", Kind::WindowShot, "", "a window.png"},
        {"windowshot", Kind::Bad, ""},      // no path
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const SimControlCommand got = h5::parseSimControlLine(c.line);
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.bytes.toHex(), QByteArray(c.bytesHex));
        EXPECT_EQ(got.path, QByteArray(c.path));
        EXPECT_EQ(got.error.isEmpty(), c.kind != Kind::Bad);
    }
    // A touch's point and the report it sends.
    const SimControlCommand touch = h5::parseSimControlLine("touch 300 7");
    EXPECT_EQ(touch.x, 300);
    EXPECT_EQ(touch.y, 7);
    EXPECT_EQ(h5::touchReport(touch.x, touch.y).toHex(' '), QByteArray("fe fe 2c 01 07 00"));
    // A path no file can have.
    const SimControlCommand nul = h5::parseSimControlLine(QByteArray("screenshot a\0b.png", 18));
    EXPECT_EQ(nul.kind, Kind::Bad);
    EXPECT_TRUE(nul.path.isEmpty());
}

TEST(SimControlTest, ALineSplitAcrossReadsIsOneCommandAndAnOverlongLineIsRefusedWhole)
{
    h5::SimControlReader reader;
    EXPECT_TRUE(reader.feed("report fe f").empty());
    EXPECT_EQ(reader.pending(), 11);
    auto got = reader.feed("e 01\nqu");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, Kind::Report);
    EXPECT_EQ(got[0].bytes.toHex(), "fefe01");
    got = reader.feed("it\n");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, Kind::Quit);

    // Longer than the limit: nothing of it is kept, one bad command at its
    // end, and the next line is read normally.
    const QByteArray big = "report " + QByteArray(h5::SimControlReader::kMaxLine, 'a');
    EXPECT_TRUE(reader.feed(big.left(40000)).empty());
    EXPECT_TRUE(reader.feed(big.mid(40000)).empty());
    EXPECT_EQ(reader.pending(), 0);
    got = reader.feed("\nreport 33\n");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].kind, Kind::Bad);
    EXPECT_EQ(got[1].kind, Kind::Report);
    EXPECT_EQ(got[1].bytes.toHex(), "33");
}

TEST(SimControlTest, KeptFuzzInputsKeepTheReadersProperty)
{
    EXPECT_GT(h5test::replayFuzzInputs(QStringLiteral("fuzz_sim_control"), h5fuzz::checkSimControlInput), 0);
}
