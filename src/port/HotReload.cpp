#include "port/HotReload.h"

#include "common/FileIo.h"
#include "link/DownloadSession.h"
#include "link/LiveCommands.h"
#include "port/LineClock.h"
#include "port/LineDriver.h"
#include "port/SerialLine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>

namespace h5 {

namespace {

// Changes known, none left to send.
BuildChanges nothingUnsent()
{
    BuildChanges c;
    c.known = true;
    return c;
}

} // namespace

// The download's host: the line driver, with the status texts passed on
// as progress and the messages kept for the round's line.
class HotReload::Host : public LineDriver
{
public:
    Host(HotReload &owner, SerialLine &line) : LineDriver(line), m_owner(owner)
    {
        setAfterEvent([this] { m_owner.sessionEvent(); });
    }

    void status(const QString &text) override
    {
        lastStatus = text;
        emit m_owner.progress(text);
    }
    void message(const QString &text) override { messages << text; }
    bool ask(const QString &text) override
    {
        messages << text;
        return true;
    }
    void closePort() override
    {
        // The line is the caller's: the round fails, the line stays.
        stopAllTimers();
        if (m_owner.m_session)
            m_owner.m_session->portClosed();
    }

    QString lastStatus;
    QStringList messages;

protected:
    void lineLost(const QString &text) override
    {
        emit m_owner.lineLost(text);
        m_owner.stop();
    }

private:
    HotReload &m_owner;
};

QString HotReload::Round::text() const
{
    switch (result) {
    case Result::Sent: {
        QString line = QStringLiteral("已发送 %1（%2 字节）").arg(sent).arg(bytes);
        if (page >= 0)
            line += QStringLiteral("，显示画面 %1").arg(page);
        line += QStringLiteral("，用时 %1 ms（编译 %2 ms）").arg(totalMs).arg(buildMs);
        if (!problem.isEmpty())
            line += QStringLiteral("；") + problem;
        return line;
    }
    case Result::NothingChanged:
        return QStringLiteral("无变化，未发送（编译 %1 ms）").arg(buildMs);
    case Result::BuildFailed:
        return QStringLiteral("编译未通过，未发送：%1").arg(problem);
    case Result::SendFailed:
        return QStringLiteral("下载失败：%1").arg(problem);
    }
    return {};
}

HotReload::HotReload(const Project &project, SerialLine &line, QObject *parent)
    : QObject(parent), m_project(project), m_line(line), m_unsent(nothingUnsent())
{
    m_host = std::make_unique<Host>(*this, line);
}

HotReload::~HotReload()
{
    stop();
}

void HotReload::start(bool sendAll)
{
    if (m_running)
        return;
    m_running = true;
    m_first = true;
    m_sendAllFirst = sendAll;
    m_watcher = std::make_unique<QFileSystemWatcher>();
    connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, this,
            [this](const QString &path) { filesChanged({path}); });
    connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, this,
            [this](const QString &path) { filesChanged({path}); });
    m_settleTimer = m_line.clock().makeTimer([this] { requestRound(); });
    watchFiles();
    runRound();
}

void HotReload::stop()
{
    m_running = false;
    m_queued = false;
    if (m_settleTimer)
        m_settleTimer->stop();
    m_watcher.reset();
    if (m_session) {
        m_host->detach();
        m_session.reset();
    }
    m_busy = false;
}

void HotReload::watchFiles()
{
    if (!m_watcher)
        return;
    // Files replaced by a rename (how editors save) drop out of the
    // watcher: everything is added again each time.
    QStringList paths{m_project.dir, m_project.picturesDir()};
    for (const QFileInfo &f : QDir(m_project.dir).entryInfoList({QStringLiteral("*.wlp")}, QDir::Files))
        paths << f.absoluteFilePath();
    for (const QFileInfo &f : QDir(m_project.picturesDir()).entryInfoList(QDir::Files))
        paths << f.absoluteFilePath();
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    QStringList missing;
    for (const QString &p : paths)
        if (!watched.contains(p))
            missing << p;
    if (!missing.isEmpty())
        m_watcher->addPaths(missing);
}

QByteArray HotReload::inputsSignature() const
{
    QByteArray sig;
    auto add = [&](const QFileInfoList &files) {
        for (const QFileInfo &f : files) {
            const FileStamp s = FileStamp::of(f.absoluteFilePath());
            sig += f.absoluteFilePath().toUtf8() + '\0'
                + QByteArray::number(s.size) + ',' + QByteArray::number(s.modified) + ','
                + QByteArray::number(s.changed) + ',' + QByteArray::number(s.inode) + '\n';
        }
    };
    add(QDir(m_project.dir).entryInfoList({QStringLiteral("*.wlp")}, QDir::Files, QDir::Name));
    add(QDir(m_project.picturesDir()).entryInfoList(QDir::Files, QDir::Name));
    return sig;
}

void HotReload::filesChanged(const QStringList &paths)
{
    if (!m_running)
        return;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.suffix().compare(QLatin1String("wlp"), Qt::CaseInsensitive) != 0)
            continue;
        bool ok = false;
        const int page = info.completeBaseName().toInt(&ok);
        if (!ok)
            continue;
        m_savedPages.erase(std::remove(m_savedPages.begin(), m_savedPages.end(), page),
                           m_savedPages.end());
        m_savedPages.push_back(page);
    }
    m_settleTimer->start(m_settleMs);
}

void HotReload::requestRound()
{
    if (!m_running)
        return;
    m_settleTimer->stop();
    watchFiles();
    if (m_busy) {
        m_queued = true;
        return;
    }
    if (inputsSignature() == m_signature) {
        m_savedPages.clear();
        return;
    }
    runRound();
}

void HotReload::runRound()
{
    m_busy = true;
    m_round = Round();
    m_roundStart = m_line.clock().now();
    const std::vector<int> saved = std::move(m_savedPages);
    m_savedPages.clear();
    emit progress(QStringLiteral("正在编译，请稍后............"));

    QElapsedTimer buildTime;
    buildTime.start();
    RecordingNotifier notes;
    int failures = 0;
    const BuildResult built = buildProjectFiles(m_project, m_cache, notes, &failures);
    m_signature = inputsSignature();
    m_round.buildMs = buildTime.elapsed();

    QStringList problems;
    if (!built.completed)
        problems << built.error;
    problems << notes.messages;
    if (built.completed && !built.report.isEmpty())
        problems << built.report.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (built.completed)
        m_unsent = mergeChanges(m_unsent, m_cache.changes());
    if (!problems.isEmpty() || failures) {
        m_round.result = Round::Result::BuildFailed;
        m_round.problem = problems.join(QStringLiteral("；"));
        finishRound();
        return;
    }

    const bool everything = m_first && m_sendAllFirst;
    ReloadPlan plan;
    QString error;
    if (!planReload(m_cache, m_unsent, everything, saved, plan, &error)) {
        m_round.result = Round::Result::BuildFailed;
        m_round.problem = error;
        finishRound();
        return;
    }
    if (m_first && !m_sendAllFirst) {
        // The terminal is taken to hold this build already.
        m_first = false;
        m_unsent = nothingUnsent();
        m_round.result = Round::Result::NothingChanged;
        finishRound();
        return;
    }
    if (!plan.send) {
        m_round.result = Round::Result::NothingChanged;
        finishRound();
        return;
    }

    m_round.sent = plan.summary();
    m_round.bytes = plan.data.project.size();
    for (const DownloadPicture &p : plan.data.pictures.pictures)
        m_round.bytes += p.bytes();
    m_showPage = plan.page;
    m_host->messages.clear();
    m_host->lastStatus.clear();
    m_session = std::make_unique<DownloadSession>(*m_host);
    m_host->attach(*m_session);
    m_session->portOpened();
    if (!m_session->start(plan.data, false, &error)) {
        m_round.result = Round::Result::SendFailed;
        m_round.problem = error.isEmpty() ? QStringLiteral("串口未打开") : error;
        finishRound();
        return;
    }
    // The terminal is known to be there: no second's wait for the probe.
    m_session->probeNow();
}

void HotReload::sessionEvent()
{
    if (!m_session || !m_busy)
        return;
    using Outcome = TransferSession::Outcome;
    const Outcome outcome = m_session->outcome();
    if (outcome == Outcome::Completed) {
        if (m_showPage >= 0)
            m_line.output(pageSwitchFrame(m_showPage));
        m_round.result = Round::Result::Sent;
        m_round.page = m_showPage;
        m_round.problem = m_host->messages.join(QStringLiteral("；"));
        m_first = false;
        m_unsent = nothingUnsent();
        finishRound();
    } else if (outcome == Outcome::Failed) {
        m_round.result = Round::Result::SendFailed;
        QStringList why{m_host->lastStatus};
        why << m_host->messages;
        why.removeAll(QString());
        m_round.problem = why.join(QStringLiteral("；"));
        finishRound();
    }
}

void HotReload::finishRound()
{
    m_round.totalMs = m_line.clock().now() - m_roundStart;
    if (m_session) {
        // The session may be the caller of this: it goes once that is over.
        m_host->detach();
        std::shared_ptr<DownloadSession> old(m_session.release());
        m_line.clock().post(this, [old] {});
    }
    m_busy = false;
    const Round round = m_round;
    emit roundDone(round);
    if (m_queued && m_running) {
        m_queued = false;
        m_line.clock().post(this, [this] { requestRound(); });
    }
}

} // namespace h5
