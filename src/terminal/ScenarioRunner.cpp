#include "terminal/ScenarioRunner.h"

#include "common/FileIo.h"
#include "common/Rgb565.h"
#include "terminal/BuiltProject.h"
#include "terminal/TouchPanel.h"
#include "terminal/VirtualTerminal.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImageReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <map>
#include <memory>

namespace h5 {

namespace {

// A file the controller sends may be as large as a whole picture list.
constexpr qint64 kMaxHostFileBytes = qint64(64) * 1024 * 1024;

QString hexOrNothing(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QStringLiteral("（无）") : QString::fromLatin1(bytes.toHex(' '));
}

QString colourText(uint16_t c)
{
    return QStringLiteral("0x") + QString::number(c, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

bool writePngFile(const QString &path, const QImage &image, QString *error)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        if (error)
            *error = QStringLiteral("%1：无法编码为 PNG").arg(path);
        return false;
    }
    return writeFileAtomically(path, png, error);
}

// The terminal the steps drive, and what it sent.
class Run
{
public:
    Run(const BuiltProject &project, QSize size) : m_project(project), m_size(size) {}

    void start()
    {
        m_terminal = std::make_unique<VirtualTerminal>(m_size.width(), m_size.height());
        m_terminal->installProject(m_project.projectData, m_project.pictures);
        m_terminal->startPages(m_now);
        m_touch.reset();
    }
    void host(const QByteArray &bytes)
    {
        m_terminal->tick(m_now);
        m_sent += m_terminal->feed(bytes);
    }
    void touch(int x, int y)
    {
        const auto &r = m_terminal->screen().record();
        m_sent += m_touch.press(x, y, r.touchMode, r.touchInterval, m_now);
    }
    void release() { m_sent += m_touch.release(m_terminal->screen().record().touchMode); }
    void wait(int64_t ms)
    {
        const int64_t until = m_now + ms;
        for (;;) {
            int64_t next = -1;
            for (int64_t due : {m_terminal->pageDueMs(), m_touch.dueMs()}) {
                if (due >= 0 && due <= until && (next < 0 || due < next))
                    next = due;
            }
            if (next < 0)
                break;
            m_now = std::max(m_now, next);
            const int64_t before = m_now;
            m_terminal->tick(m_now);
            const auto &r = m_terminal->screen().record();
            m_sent += m_touch.tick(m_now, r.touchMode, r.touchInterval);
            // Both schedules move past `before`; anything else would loop.
            if ((m_terminal->pageDueMs() >= 0 && m_terminal->pageDueMs() <= before)
                || (m_touch.dueMs() >= 0 && m_touch.dueMs() <= before))
                break;
        }
        m_now = until;
    }
    QByteArray takeSent()
    {
        QByteArray s = m_sent;
        m_sent.clear();
        return s;
    }
    const VirtualTerminal &terminal() const { return *m_terminal; }

private:
    const BuiltProject &m_project;
    QSize m_size;
    std::unique_ptr<VirtualTerminal> m_terminal;
    TouchPanel m_touch;
    QByteArray m_sent;
    int64_t m_now = 0;
};

QString projectRefusal(BuiltProject::Status status, const QString &faultFile, const QString &error)
{
    // The preview's messages: the damaged ones name their file themselves.
    if (status == BuiltProject::Status::Damaged)
        return error;
    return QStringLiteral("%1: %2").arg(faultFile, error);
}

} // namespace

QString ScenarioResult::where() const
{
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message);
    return QStringLiteral("%1: %2").arg(file, message);
}

ScreenComparison compareScreen(const TerminalScreen &screen, QRect region, const QImage &reference,
                               int tolerance)
{
    ScreenComparison c;
    if (region.isNull())
        region = QRect(0, 0, screen.width(), screen.height());
    const QImage &layer = screen.layerImage(screen.shownLayer());
    c.actualImage = layer.copy(region).convertToFormat(QImage::Format_RGB32);
    if (reference.size() != region.size()) {
        c.outcome = ScreenComparison::Outcome::SizeDiffers;
        return c;
    }
    const QImage ref = reference.convertToFormat(QImage::Format_RGB32);
    const int w = region.width(), h = region.height();
    for (int y = 0; y < h; ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(c.actualImage.constScanLine(y));
        const auto *e = reinterpret_cast<const QRgb *>(ref.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint16_t av = rgb565Of(a[x]);
            const uint16_t ev = rgb565Of(e[x]);
            if (av == ev)
                continue;
            if (tolerance > 0) {
                const int dr = std::abs(int(av >> 11) - int(ev >> 11));
                const int dg = std::abs(int((av >> 5) & 0x3F) - int((ev >> 5) & 0x3F));
                const int db = std::abs(int(av & 0x1F) - int(ev & 0x1F));
                if (dr <= tolerance && dg <= tolerance && db <= tolerance)
                    continue;
            }
            if (c.differing++ == 0) {
                c.first = QPoint(region.x() + x, region.y() + y);
                c.expected = ev;
                c.actual = av;
            }
        }
    }
    if (c.differing == 0)
        return c;
    c.outcome = ScreenComparison::Outcome::Different;
    c.diffImage = QImage(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(c.actualImage.constScanLine(y));
        const auto *e = reinterpret_cast<const QRgb *>(ref.constScanLine(y));
        auto *d = reinterpret_cast<QRgb *>(c.diffImage.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint16_t av = rgb565Of(a[x]);
            const uint16_t ev = rgb565Of(e[x]);
            bool differs = av != ev;
            if (differs && tolerance > 0) {
                differs = std::abs(int(av >> 11) - int(ev >> 11)) > tolerance
                          || std::abs(int((av >> 5) & 0x3F) - int((ev >> 5) & 0x3F)) > tolerance
                          || std::abs(int(av & 0x1F) - int(ev & 0x1F)) > tolerance;
            }
            const int grey = qGray(a[x]) / 4;
            d[x] = differs ? qRgb(255, 0, 0) : qRgb(grey, grey, grey);
        }
    }
    return c;
}

ScreenCheck checkScreen(const TerminalScreen &screen, const ScenarioStep &step, const QString &baseDir,
                        const QString &outputDir, bool update, const QString &outputPrefix)
{
    ScreenCheck check;
    const QString reference = QDir(baseDir).filePath(step.path);
    const QString name = QFileInfo(step.path).fileName().endsWith(QLatin1String(".png"), Qt::CaseInsensitive)
                             ? QFileInfo(step.path).fileName().chopped(4)
                             : QFileInfo(step.path).fileName();
    const QString actualPath =
        QDir(outputDir).filePath(outputPrefix + name + QStringLiteral(".actual.png"));
    const QString diffPath = QDir(outputDir).filePath(outputPrefix + name + QStringLiteral(".diff.png"));
    auto fail = [&](ScreenCheck::Outcome outcome, const QString &message) {
        check.outcome = outcome;
        check.message = message;
        return check;
    };
    auto writeActual = [&](const QImage &image, QString &tail) {
        QString why;
        if (writePngFile(actualPath, image, &why)) {
            check.written << actualPath;
            tail += QStringLiteral("；实际画面：%1").arg(actualPath);
            return true;
        }
        tail += QStringLiteral("；实际画面无法写入：%1").arg(why);
        return false;
    };

    if (!QFileInfo::exists(reference)) {
        const ScreenComparison c = compareScreen(screen, step.region, QImage(), 0);
        if (update) {
            QString why;
            QDir().mkpath(QFileInfo(reference).absolutePath());
            if (!writePngFile(reference, c.actualImage, &why))
                return fail(ScreenCheck::Outcome::Refused, QStringLiteral("参考图片无法写入：%1").arg(why));
            check.written << reference;
            check.note = QStringLiteral("已写入参考图片 %1").arg(reference);
            return check;
        }
        QString tail;
        writeActual(c.actualImage, tail);
        return fail(ScreenCheck::Outcome::Failed,
                    QStringLiteral("参考图片不存在：%1（用 h5800 test --update 写入）%2").arg(reference, tail));
    }
    QImageReader reader(reference);
    reader.setAutoTransform(false);
    const QImage image = reader.read();
    if (image.isNull())
        return fail(ScreenCheck::Outcome::Refused,
                    QStringLiteral("参考图片无法读取：%1（%2）").arg(reference, reader.errorString()));

    const ScreenComparison c = compareScreen(screen, step.region, image, step.tolerance);
    if (c.outcome == ScreenComparison::Outcome::Same)
        return check;
    QString tail;
    if (c.outcome == ScreenComparison::Outcome::SizeDiffers) {
        writeActual(c.actualImage, tail);
        return fail(ScreenCheck::Outcome::Failed,
                    QStringLiteral("参考图片 %1 为 %2x%3，比较的画面为 %4x%5%6")
                        .arg(reference)
                        .arg(image.width())
                        .arg(image.height())
                        .arg(c.actualImage.width())
                        .arg(c.actualImage.height())
                        .arg(tail));
    }
    writeActual(c.actualImage, tail);
    QString why;
    if (writePngFile(diffPath, c.diffImage, &why)) {
        check.written << diffPath;
        tail += QStringLiteral("；差异图：%1").arg(diffPath);
    } else {
        tail += QStringLiteral("；差异图无法写入：%1").arg(why);
    }
    return fail(ScreenCheck::Outcome::Failed,
                QStringLiteral("画面与参考图片 %1 不符：%2 个像素不同，第一个在 (%3, %4)，应为 %5，实为 %6（RGB565）%7")
                    .arg(reference)
                    .arg(c.differing)
                    .arg(c.first.x())
                    .arg(c.first.y())
                    .arg(colourText(c.expected), colourText(c.actual), tail));
}

ScenarioResult runScenarioFile(const QString &path, const ScenarioOptions &options)
{
    QElapsedTimer timer;
    timer.start();
    ScenarioResult result;
    result.file = path;
    auto finish = [&](ScenarioResult::Outcome outcome, int line, const QString &message) {
        result.outcome = outcome;
        result.line = line;
        result.message = message;
        result.seconds = double(timer.nsecsElapsed()) / 1e9;
        return result;
    };
    auto refuse = [&](int line, const QString &message) {
        return finish(ScenarioResult::Outcome::Refused, line, message);
    };

    QByteArray text;
    QString why;
    if (!readWholeFile(path, text, &why, kMaxScenarioBytes))
        return refuse(0, QStringLiteral("场景文件无法读取：%1").arg(why));
    Scenario scenario;
    int line = 0;
    if (!parseScenario(text, scenario, &line, &why))
        return refuse(line, why);
    result.steps = int(scenario.steps.size());

    const QString baseDir = QFileInfo(path).absolutePath();
    const QString projectPath = QDir(baseDir).filePath(scenario.project);
    BuiltProject project;
    QString faultFile;
    const BuiltProject::Status status = BuiltProject::read(projectPath, project, &faultFile, &why);
    if (status != BuiltProject::Status::Ok)
        return refuse(scenario.projectLine, projectRefusal(status, faultFile, why));
    const QSize size = scenario.size.isEmpty() ? project.screen : scenario.size;
    const QRect screenRect(QPoint(0, 0), size);

    // Everything the steps need, checked before the first one runs.
    std::map<int, QByteArray> hostFiles;
    for (const ScenarioStep &s : scenario.steps) {
        switch (s.kind) {
        case ScenarioStep::Kind::Touch:
            if (!screenRect.contains(s.x, s.y))
                return refuse(s.line, QStringLiteral("触摸点 (%1, %2) 不在 %3x%4 的屏幕上")
                                          .arg(s.x)
                                          .arg(s.y)
                                          .arg(size.width())
                                          .arg(size.height()));
            break;
        case ScenarioStep::Kind::ExpectScreen:
            if (!s.region.isNull() && !screenRect.contains(s.region))
                return refuse(s.line, QStringLiteral("区域 %1 %2 %3 %4 超出 %5x%6 的屏幕")
                                          .arg(s.region.x())
                                          .arg(s.region.y())
                                          .arg(s.region.width())
                                          .arg(s.region.height())
                                          .arg(size.width())
                                          .arg(size.height()));
            break;
        case ScenarioStep::Kind::HostFile: {
            QByteArray bytes;
            const QString file = QDir(baseDir).filePath(s.path);
            if (!readWholeFile(file, bytes, &why, kMaxHostFileBytes))
                return refuse(s.line, QStringLiteral("host-file 无法读取：%1").arg(why));
            hostFiles[s.line] = bytes;
            break;
        }
        default:
            break;
        }
    }

    Run run(project, size);
    using K = ScenarioStep::Kind;
    for (const ScenarioStep &s : scenario.steps) {
        ++result.stepsRun;
        switch (s.kind) {
        case K::Start:
            run.start();
            break;
        case K::Touch:
            run.touch(s.x, s.y);
            break;
        case K::Release:
            run.release();
            break;
        case K::Host:
            run.host(s.bytes);
            break;
        case K::HostFile:
            run.host(hostFiles[s.line]);
            break;
        case K::Wait:
            run.wait(s.ms);
            break;
        case K::ExpectSent: {
            const QByteArray sent = run.takeSent();
            if (sent != s.bytes)
                return finish(ScenarioResult::Outcome::Failed, s.line,
                              QStringLiteral("终端发出的字节不符：应为 %1，实为 %2")
                                  .arg(hexOrNothing(s.bytes), hexOrNothing(sent)));
            break;
        }
        case K::ExpectPage: {
            const int page = run.terminal().currentPage();
            if (page != s.page)
                return finish(ScenarioResult::Outcome::Failed, s.line,
                              QStringLiteral("显示的页面是 %1，应为 %2")
                                  .arg(page < 0 ? QStringLiteral("（无）") : QString::number(page))
                                  .arg(s.page));
            break;
        }
        case K::ExpectScreen: {
            const ScreenCheck c = checkScreen(run.terminal().screen(), s, baseDir, baseDir,
                                              options.update, options.outputPrefix);
            result.written += c.written;
            if (!c.note.isEmpty())
                result.notes << c.note;
            if (c.outcome == ScreenCheck::Outcome::Failed)
                return finish(ScenarioResult::Outcome::Failed, s.line, c.message);
            if (c.outcome == ScreenCheck::Outcome::Refused)
                return refuse(s.line, c.message);
            break;
        }
        }
    }
    return finish(ScenarioResult::Outcome::Passed, 0, QString());
}

QByteArray junitXml(const std::vector<ScenarioResult> &results)
{
    int failures = 0, errors = 0;
    double seconds = 0;
    for (const ScenarioResult &r : results) {
        failures += r.outcome == ScenarioResult::Outcome::Failed;
        errors += r.outcome == ScenarioResult::Outcome::Refused;
        seconds += r.seconds;
    }
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("testsuites"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("h5800 test"));
    w.writeAttribute(QStringLiteral("tests"), QString::number(results.size()));
    w.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    w.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    w.writeAttribute(QStringLiteral("time"), QString::number(seconds, 'f', 3));
    w.writeStartElement(QStringLiteral("testsuite"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("h5800 test"));
    w.writeAttribute(QStringLiteral("tests"), QString::number(results.size()));
    w.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    w.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    w.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
    w.writeAttribute(QStringLiteral("time"), QString::number(seconds, 'f', 3));
    for (const ScenarioResult &r : results) {
        w.writeStartElement(QStringLiteral("testcase"));
        w.writeAttribute(QStringLiteral("name"), r.file);
        w.writeAttribute(QStringLiteral("classname"), QStringLiteral("h5800.screen"));
        w.writeAttribute(QStringLiteral("file"), r.file);
        if (r.line > 0)
            w.writeAttribute(QStringLiteral("line"), QString::number(r.line));
        w.writeAttribute(QStringLiteral("time"), QString::number(r.seconds, 'f', 3));
        if (r.outcome != ScenarioResult::Outcome::Passed) {
            w.writeStartElement(r.outcome == ScenarioResult::Outcome::Failed ? QStringLiteral("failure")
                                                                            : QStringLiteral("error"));
            w.writeAttribute(QStringLiteral("message"), r.where());
            w.writeAttribute(QStringLiteral("type"), r.outcome == ScenarioResult::Outcome::Failed
                                                         ? QStringLiteral("expect")
                                                         : QStringLiteral("refused"));
            w.writeCharacters(r.where());
            w.writeEndElement();
        }
        QStringList lines;
        for (const QString &f : r.written)
            lines << QStringLiteral("写入 %1").arg(f);
        if (!lines.isEmpty())
            w.writeTextElement(QStringLiteral("system-out"), lines.join(QLatin1Char('\n')));
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return xml;
}

} // namespace h5
