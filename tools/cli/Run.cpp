// Running one h5800 command line: finding the command, help, usage errors.
// main.cpp adds what only a program of its own does (standard descriptors,
// the application object, the check of standard output at the end).

#include "Cli.h"

#include <algorithm>

namespace h5cli {

namespace {

void printHelp()
{
    out() << "usage: h5800 COMMAND [ARGS...]\n\ncommands:\n";
    auto list = commands();
    std::sort(list.begin(), list.end(),
              [](const Command &a, const Command &b) { return a.name < b.name; });
    for (const Command &c : list)
        out() << "  " << c.name.leftJustified(18) << c.summary << "\n";
    out() << "\n'h5800 help COMMAND' shows the details of one command.\n"
          << "Exit status: 0 success, 1 bad input, 2 wrong usage, 3 problems reported.\n";
    out().flush();
}

// Qt's picture decoders write their own complaints to stderr
// ("qt.gui.imageio.jpeg: Corrupt JPEG data…", "libpng error: …"). The
// commands name a picture that does not decode in a message of their own,
// so these lines are dropped; every other message goes on to Qt's handler.
QtMessageHandler qtHandler = nullptr;
bool filtering = false;

void dropDecoderMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const QLatin1String imageio("qt.gui.imageio");
    if ((context.category && QLatin1String(context.category).startsWith(imageio))
        || text.startsWith(QLatin1String("libpng ")))
        return;
    if (qtHandler)
        qtHandler(type, context, text);
}

} // namespace

const Command *findCommand(const QStringList &args, int &consumed)
{
    // Longest match first: "page dump" before "page".
    const Command *best = nullptr;
    int bestWords = 0;
    for (const Command &c : commands()) {
        const QStringList words = c.name.split(' ');
        if (words.size() > args.size() || words.size() <= bestWords)
            continue;
        if (std::equal(words.begin(), words.end(), args.begin())) {
            best = &c;
            bestWords = int(words.size());
        }
    }
    consumed = bestWords;
    return best;
}

void installMessageFilter()
{
    if (filtering)
        return;
    filtering = true;
    qtHandler = qInstallMessageHandler(dropDecoderMessages);
}

void removeMessageFilter()
{
    if (!filtering)
        return;
    filtering = false;
    qInstallMessageHandler(qtHandler);
    qtHandler = nullptr;
}

int runArguments(QStringList args)
{
    int used = 0;
    const Command *c = findCommand(args, used);
    if (args.isEmpty()) {
        printHelp();
        return ExitUsage;
    }
    if (args.first() == "--help" || args.first() == "-h") {
        printHelp();
        return ExitOk;
    }
    if (args.first() == "help") {
        args.removeFirst();
        if (args.isEmpty()) {
            printHelp();
            return ExitOk;
        }
        int words = 0;
        const Command *topic = findCommand(args, words);
        if (!topic || words != args.size()) {
            err() << "h5800: no command '" << args.join(' ') << "'" << Qt::endl;
            return ExitUsage;
        }
        out() << topic->usage << Qt::endl;
        return ExitOk;
    }

    if (!c) {
        err() << "h5800: unknown command '" << args.join(' ') << "' (see h5800 --help)"
              << Qt::endl;
        return ExitUsage;
    }
    args = args.mid(used);
    if (args.contains("--help") || args.contains("-h")) {
        out() << c->usage << Qt::endl;
        return ExitOk;
    }
    try {
        const int rc = c->run(args);
        out().flush();
        err().flush();
        return rc;
    } catch (const UsageError &e) {
        out().flush();
        err() << "h5800 " << c->name << ": " << e.text << "\n\n" << c->usage << Qt::endl;
        return ExitUsage;
    }
}


} // namespace h5cli
