#pragma once
// Hot reload: a project's pages and pictures on a terminal moments after
// they are saved. `h5800 watch` and the app's "保存后同步到终端" both run
// it on an open serial line (a real port, h5800-sim's pseudo-terminal or
// the built-in terminal).
//
// It watches the project's page files, its picture folder and the files in
// it. A change starts a short settling wait (editors save in several
// steps: write, rename, write the project file); when it is over, one
// round runs:
//   1. the build, with a cache kept from round to round, so only what
//      changed is compiled or converted (project/Build.h);
//   2. what changed goes to the terminal in one download: the project data
//      alone when no picture changed, with the changed pictures when some
//      did (link/ReloadPlan.h);
//   3. the terminal is told to show the page that changed (1B 50 n).
// A build that fails, reports a problem (a missing or damaged picture, a
// page that does not open, clashing control IDs) or a message sends
// nothing: the round says why. A save while a download runs is not
// interleaved with it: one round waits and runs when the download is over
// (any number of saves meanwhile make that one round).
//
// The first round, run by start(), sends the whole project and every
// picture a page uses, unless told the terminal holds them already.

#include "link/ReloadPlan.h"
#include "project/Build.h"
#include "project/Project.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

class QFileSystemWatcher;

namespace h5 {

class DownloadSession;
class LineTimer;
class SerialLine;

class HotReload : public QObject
{
    Q_OBJECT
public:
    // What one round did, for its one line of output.
    struct Round
    {
        enum class Result { Sent, NothingChanged, BuildFailed, SendFailed };
        Result result = Result::NothingChanged;
        QString sent;      // ReloadPlan::summary()
        int page = -1;     // the page shown, -1 none
        qint64 bytes = 0;  // bytes of project and picture data sent
        qint64 buildMs = 0;
        qint64 totalMs = 0; // from the round's start to the page switch sent
        QString problem;   // why nothing (or not all) was sent

        // The line the watch command prints.
        QString text() const;
    };

    // `line` must be open and stay so; the project must stay as it is.
    HotReload(const Project &project, SerialLine &line, QObject *parent = nullptr);
    ~HotReload() override;

    // Milliseconds of quiet after a change before the round runs.
    void setSettleMs(int ms) { m_settleMs = ms; }
    int settleMs() const { return m_settleMs; }

    // Starts watching; with `sendAll` the first round (whole project and
    // every picture) runs at once, else the first build only remembers
    // what the terminal is taken to hold.
    void start(bool sendAll = true);
    void stop();
    bool running() const { return m_running; }
    // A round is building or downloading.
    bool busy() const { return m_busy; }
    // A round waits for the running one to end.
    bool roundQueued() const { return m_queued; }
    const BuildCache &cache() const { return m_cache; }

public slots:
    // Files changed (the watcher's events; tests call it directly): the
    // settling wait starts again.
    void filesChanged(const QStringList &paths);
    // The round now, without the settling wait (the app after its own page
    // save, whose files are all written by then); queued while a download
    // runs. Nothing happens when no page or picture file changed since
    // the last round's build.
    void requestRound();

signals:
    // A round ended.
    void roundDone(const h5::HotReload::Round &round);
    // Progress of the running round: "正在编译…", the download's status
    // texts ("工程下载：%d%%", ...).
    void progress(const QString &text);
    // The line went away; the watch has stopped.
    void lineLost(const QString &text);

private:
    class Host;
    friend class Host;

    void watchFiles();
    void runRound();
    void sessionEvent();
    void finishRound();
    // A signature of the watched inputs: the page and picture files with
    // their stamps. A change event that leaves it as it was (the build's own
    // writes, a touched folder) starts no round.
    QByteArray inputsSignature() const;

    const Project &m_project;
    SerialLine &m_line;
    BuildCache m_cache;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    std::unique_ptr<LineTimer> m_settleTimer;
    std::unique_ptr<Host> m_host;
    std::unique_ptr<DownloadSession> m_session;
    int m_settleMs = 50;
    bool m_running = false;
    bool m_busy = false;
    bool m_queued = false;
    bool m_first = true;
    bool m_sendAllFirst = true;
    QByteArray m_signature;
    std::vector<int> m_savedPages; // pages whose files changed, latest last
    Round m_round;
    BuildChanges m_unsent; // changes built but not yet sent
    qint64 m_roundStart = 0;
    int m_showPage = -1;
};

} // namespace h5
