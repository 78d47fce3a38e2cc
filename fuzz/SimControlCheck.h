#pragma once
// What must hold for any bytes written into h5800-sim's control FIFO: the
// commands do not depend on how the reads cut the bytes; a report carries
// exactly the hex digits of its line, nothing more or less; a screenshot
// or windowshot carries exactly the rest of its line as its path; every bad
// line says why; a report written back as text reads as the same bytes; and
// a screen test step is what the scenario reader reads from its line.
// Run by fuzz_sim_control and by the test replaying its kept inputs
// (tests/terminal/SimControlTest.cpp).

#include "FuzzCheck.h"

#include "terminal/SimControl.h"

#include <QByteArray>
#include <QList>
#include <vector>

namespace h5fuzz {

inline bool sameCommands(const std::vector<h5::SimControlCommand> &a,
                         const std::vector<h5::SimControlCommand> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].bytes != b[i].bytes || a[i].path != b[i].path
            || a[i].error != b[i].error || a[i].step != b[i].step)
            return false;
    }
    return true;
}

inline void checkSimControlInput(const uint8_t *data, size_t size)
{
    using Kind = h5::SimControlCommand::Kind;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    h5::SimControlReader whole;
    const std::vector<h5::SimControlCommand> commands = whole.feed(input);
    check(whole.pending() <= h5::SimControlReader::kMaxLine, "a pending line grew past the limit");

    // Cut into pieces whose lengths come from the input itself.
    h5::SimControlReader pieces;
    std::vector<h5::SimControlCommand> cut;
    qsizetype at = 0, step = 1;
    while (at < input.size()) {
        step = 1 + (uchar(input[at]) * 31 + step) % 97;
        for (auto &c : pieces.feed(input.mid(at, step)))
            cut.push_back(std::move(c));
        at += step;
    }
    check(sameCommands(commands, cut), "the commands depend on how the reads cut the bytes");
    check(pieces.pending() == whole.pending(), "the pending line depends on the cuts");

    // One command per completed line, each as the line's words say.
    const QList<QByteArray> lines = input.split('\n');
    check(commands.size() == size_t(lines.size() - 1), "not one command per line");
    for (size_t i = 0; i < commands.size(); ++i) {
        const h5::SimControlCommand &c = commands[i];
        const QByteArray &line = lines[qsizetype(i)];
        QList<QByteArray> words;
        for (const QByteArray &w : line.simplified().split(' ')) {
            if (!w.isEmpty())
                words << w;
        }
        const bool overlong = line.size() > h5::SimControlReader::kMaxLine;
        switch (c.kind) {
        case Kind::Nothing:
            check(!overlong, "an overlong line was taken");
            check(words.isEmpty() || words.front().startsWith('#'), "a line with a command did nothing");
            break;
        case Kind::Quit:
            check(!overlong && words.size() == 1 && words.front() == "quit", "quit from another line");
            break;
        case Kind::Report: {
            check(!overlong, "an overlong line was taken");
            check(words.size() >= 2 && words.front() == "report", "a report from a line that is not one");
            check(!c.bytes.isEmpty(), "an empty report");
            QByteArray digits;
            for (qsizetype w = 1; w < words.size(); ++w)
                digits += words[w];
            check(digits.toLower() == c.bytes.toHex(), "a report is not exactly its line's hex bytes");
            const h5::SimControlCommand again =
                h5::parseSimControlLine("report " + c.bytes.toHex(' ') + "\r");
            check(again.kind == Kind::Report && again.bytes == c.bytes, "a report does not read back");
            break;
        }
        case Kind::Touch: {
            check(!overlong, "an overlong line was taken");
            check(words.size() == 3 && words.front() == "touch", "a touch from a line that is not one");
            bool okX = false, okY = false;
            check(words.size() == 3 && words[1].toInt(&okX) == c.x && words[2].toInt(&okY) == c.y && okX && okY,
                  "a touch is not at its line's point");
            check(c.x >= 0 && c.x <= 0xFFFF && c.y >= 0 && c.y <= 0xFFFF, "a touch outside 16 bits");
            check(h5::touchReport(c.x, c.y).size() == 6, "a touch report is not six bytes");
            break;
        }
        case Kind::Screenshot:
        case Kind::WindowShot: {
            const QByteArray verb = c.kind == Kind::Screenshot ? "screenshot" : "windowshot";
            check(!overlong, "an overlong line was taken");
            check(!words.isEmpty() && words.front() == verb, "a screenshot from a line that is not one");
            // The path is the line after the verb, without the blanks around it.
            const auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; };
            qsizetype from = 0, to = line.size();
            while (from < to && blank(line[from]))
                ++from;
            from += verb.size();
            while (from < to && blank(line[from]))
                ++from;
            while (to > from && blank(line[to - 1]))
                --to;
            check(!c.path.isEmpty() && c.path == line.mid(from, to - from),
                  "a screenshot path is not the rest of its line");
            check(!c.path.contains('\0'), "a screenshot path holds a NUL byte");
            check(c.bytes.isEmpty(), "a screenshot carries report bytes");
            break;
        }
        case Kind::Step: {
            // A screen test step, read as the scenario reader reads its line.
            check(!overlong, "an overlong line was taken");
            const h5::ScenarioLine l = h5::parseScenarioLine(line);
            check(l.kind == h5::ScenarioLine::Kind::Step && l.step == c.step,
                  "a step is not what the scenario reader reads from its line");
            check(c.step.kind != h5::ScenarioStep::Kind::Touch, "a touch read as a step");
            check(c.bytes.isEmpty() && c.path.isEmpty(), "a step carries report bytes or a path");
            break;
        }
        case Kind::Bad:
            check(!c.error.isEmpty(), "a bad line without a reason");
            check(c.path.isEmpty(), "a bad line carries a path");
            check(c.bytes.isEmpty(), "a bad line carries bytes");
            break;
        }
    }
}

} // namespace h5fuzz
