// Serial commands: ports, download, send-project, bundle. They run the same
// transfer sessions as the download and project windows, on a serial line,
// with stderr as the status box.

#include "Cli.h"

#include "link/BundleWriter.h"
#include "link/DownloadSession.h"
#include "link/SendProjectSession.h"
#include "port/BuiltinTerminal.h"
#include "port/CMSComm.h"
#include "port/PortLine.h"
#include "port/LineDriver.h"

#include <QCoreApplication>
#include <QFileInfo>


using namespace h5cli;

namespace {


// The status box and message boxes of a serial window, for a terminal:
// statuses and messages go to stderr, the line driver runs the session on
// the line, and the run ends when the transfer completes or fails.
class CliLinkHost : public h5::LineDriver
{
public:
    explicit CliLinkHost(h5::PortLine &comm) : LineDriver(comm), m_loop(comm)
    {
        setAfterEvent([this] { checkDone(); });
    }

    void attach(h5::TransferSession *session)
    {
        m_session = session;
        if (session)
            LineDriver::attach(*session);
        else
            detach();
    }

    void status(const QString &text) override { m_lines.show(text); }
    void endLine() { m_lines.endLine(); }
    void message(const QString &text) override
    {
        endLine();
        err() << text << Qt::endl;
    }
    bool ask(const QString &text) override
    {
        err() << text << " -> OK" << Qt::endl;
        return true;
    }
    void closePort() override
    {
        comm().close();
        stopAllTimers();
        if (m_session)
            m_session->portClosed();
        m_loop.quit();
    }

    // Runs the event loop until the session has completed or failed.
    int run()
    {
        checkDone();
        if (!m_done)
            m_loop.exec();
        endLine();
        return m_session && m_session->outcome() == h5::TransferSession::Outcome::Completed
            ? ExitOk
            : ExitBadInput;
    }

protected:
    void lineLost(const QString &text) override
    {
        if (!comm().isOpen())
            return;
        endLine();
        err() << "h5800: " << comm().device() << ": " << text << Qt::endl;
        closePort();
    }

private:
    void checkDone()
    {
        using Outcome = h5::TransferSession::Outcome;
        if (!m_session || m_done)
            return;
        const Outcome o = m_session->outcome();
        if (o == Outcome::Completed || o == Outcome::Failed || !comm().isOpen()) {
            m_done = true;
            m_loop.quit();
        }
    }

    h5::TransferSession *m_session = nullptr;
    LineLoop m_loop;
    StatusLines m_lines;
    bool m_done = false;

};

int download(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const PortOptions port = takePortOptions(args);
    h5::DownloadFiles files;
    files.erase = takeFlag(args, "erase");
    files.project = takeOption(args, "project");
    files.pictures = takeOption(args, "pictures");
    files.font = takeOption(args, "font");
    expectPositional(args, 0, "download");
    if (!files.any())
        throw UsageError{QStringLiteral("choose at least one of --project, --pictures, --font")};

    // Every file is read and checked whole before the port is touched.
    h5::DownloadData data;
    QString error;
    if (!h5::loadDownloadFiles(files, data, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    h5::PortLine comm;
    if (!openPort(comm, port))
        return ExitBadInput;
    CliLinkHost host(comm);
    h5::DownloadSession session(host);
    host.attach(&session);
    session.portOpened();
    if (!session.start(data, files.erase, &error)) {
        err() << "h5800: " << (error.isEmpty() ? QStringLiteral("nothing to send") : error)
              << Qt::endl;
        comm.close();
        return ExitBadInput;
    }
    return host.run();
}

int sendProject(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const PortOptions port = takePortOptions(args);
    const bool erase = takeFlag(args, "erase");
    expectPositional(args, 1, "send-project");
    const QFileInfo project(args[0]);
    if (!project.isFile())
        return badInput(args[0], QStringLiteral("no such project file"));
    // The project data is checked before the port is touched (the session
    // checks it again, with the picture list, when the send starts).
    QString error;
    {
        QByteArray data;
        if (!h5::loadProjectData(project.absoluteFilePath(), data, &error)) {
            err() << "h5800: " << error << Qt::endl;
            return ExitBadInput;
        }
    }

    h5::PortLine comm;
    if (!openPort(comm, port))
        return ExitBadInput;
    CliLinkHost host(comm);
    h5::SendProjectSession session(host);
    host.attach(&session);
    session.load(project.absoluteFilePath(), project.absolutePath());
    session.portOpened();
    if (!session.start(erase, &error)) {
        if (!error.isEmpty())
            err() << "h5800: " << error << Qt::endl;
        comm.close();
        return ExitBadInput;
    }
    const int status = host.run();
    if (status != ExitOk || !session.picturesLeftOut())
        return status;
    // The terminal has the project but not every picture.
    QString what = session.pictureListProblem();
    if (what.isEmpty()) {
        QStringList numbers;
        for (const int n : session.leftOutPictures())
            numbers << QString::number(n);
        what = QStringLiteral("编号%1图片没有尺寸").arg(numbers.join(QLatin1Char(',')));
    }
    err() << "h5800: " << session.pictureListPath() << ": " << what
          << " (the project was sent, these pictures were not)" << Qt::endl;
    return ExitProblems;
}

int bundle(const QStringList &argsIn)
{
    QStringList args = argsIn;
    const QString target = takeOption(args, "o");
    h5::DownloadFiles files;
    files.project = takeOption(args, "project");
    files.pictures = takeOption(args, "pictures");
    files.font = takeOption(args, "font");
    expectPositional(args, 0, "bundle");
    if (target.isEmpty())
        throw UsageError{QStringLiteral("-o OUT.uwl is required")};
    if (!files.any())
        throw UsageError{QStringLiteral("choose at least one of --project, --pictures, --font")};
    QString error;
    if (!h5::BundleWriter::write(files, target, &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    return ExitOk;
}

int ports(const QStringList &args)
{
    expectPositional(args, 0, "ports");
    for (const QString &p : h5::detectPorts())
        out() << p << "\n";
    out() << "builtin\n";
    return ExitOk;
}

Registrar regPorts{{
    "ports",
    "list the serial devices of this machine",
    "usage: h5800 ports\n\n"
    "Lists up to ten serial devices (/dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* that\n"
    "answer), one per line, then the terminal built into this program as\n"
    "'builtin' (--port builtin, in the app \"内置虚拟终端\"). Any other path, such\n"
    "as h5800-sim's, can be given to --port directly. The built-in terminal\n"
    "keeps its flash in ~/.local/share/h5800-studio/builtin-terminal.flash,\n"
    "shared with the app, so what one command downloads the next one finds.",
    ports,
}};

Registrar regDownload{{
    "download",
    "download a project, a picture list and/or a font file",
    "usage: h5800 download --port DEVICE [--baud RATE] [--erase]\n"
    "                      [--project P.wgc] [--pictures L.tbm|L.cbm] [--font F.wzk]\n\n"
    "Runs the file download window's transfer: connection probe, then the\n"
    "project data, the pictures (after reading and rewriting the terminal's\n"
    "picture registry; --erase places them as if the terminal held none) and\n"
    "the font file. Status texts go to stderr. Default rate 1228800.\n"
    "Every file is read and checked whole first; a damaged one is refused before\n"
    "anything is sent. A packet not answered within 5 s after it has left the\n"
    "line (its time on the line at RATE, ten bits a byte, comes first), a\n"
    "terminal silent for 10 s after the first probe and a registry read not\n"
    "answered within 10 s (and the time the longest registry reply takes on the\n"
    "line) end the transfer. Exit status 0 when everything was sent and taken, 1 on a\n"
    "connection error, a wrong reply, a time-out, a lost line or an unreadable or\n"
    "damaged file.",
    download,
}};

Registrar regSend{{
    "send-project",
    "send a built project and its pictures",
    "usage: h5800 send-project --port DEVICE [--baud RATE] [--erase] PROJECT.wgc\n\n"
    "Runs the project management window's transfer: the project data, then the\n"
    "pictures of \"图象位置信息.cbm\" (after a build). The staging files\n"
    "\"RegistFile.wcf\" and \"bmpPath.wcf\" live in the project folder while\n"
    "it runs. Exit status as for download, and 3 when the project was sent\n"
    "without (some of) its pictures: \"图象位置信息.cbm\" missing or unreadable,\n"
    "or pictures in use without a size.",
    sendProject,
}};

Registrar regBundle{{
    "bundle",
    "write what a download would send into one .uwl file",
    "usage: h5800 bundle -o OUT.uwl [--project P.wgc] [--pictures L.tbm] [--font F.wzk]\n\n"
    "Writes the project data, the registry write command and a registry image\n"
    "with the pictures placed from block 0 in number order, each picture's header\n"
    "and pixel data, and the font file, without handshakes. The same files always\n"
    "give the same bytes. The files are checked as download checks them; a damaged\n"
    "one is refused and OUT is left as it was. An existing OUT is replaced.",
    bundle,
}};

} // namespace
