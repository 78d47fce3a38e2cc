#include "terminal/PageRun.h"

#include "common/Flash.h"
#include "pictures/DataAreaWalk.h"

#include <memory>

namespace h5 {

PageEnd runPage(TerminalScreen &screen, const ProjectPages &pages, int page,
                const TerminalScreen::PictureLookup &pictures)
{
    PageEnd end;
    const auto it = pages.pages.constFind(page);
    if (it == pages.pages.constEnd())
        return end;
    end.found = true;
    screen.breakSequence();
    if (it->layer < screen.layerCount() && it->layer != screen.shownLayer()) {
        ScreenOp layer;
        layer.kind = ScreenOp::Kind::Layer;
        layer.number = it->layer;
        screen.execute(layer);
        screen.breakSequence();
    }
    const QList<PageStep> steps = pageSteps(it->stream);
    for (const PageStep &step : steps) {
        switch (step.type) {
        case PageStep::Type::Screen:
            if (step.screen.kind == ScreenOp::Kind::RealtimePicture) {
                screen.skipFrame();
                break;
            }
            screen.execute(step.screen, pictures);
            break;
        case PageStep::Type::Control:
            screen.executeControl(step.control, pictures, it->needles);
            break;
        case PageStep::Type::Delay:
            end.delay = step.value;
            break;
        case PageStep::Type::NextPage:
            end.next = step.value;
            break;
        case PageStep::Type::Unknown:
            screen.skipFrame();
            break;
        }
    }
    screen.breakSequence();
    return end;
}

void PagePlayer::setProject(const QByteArray &projectData)
{
    ProjectPages pages;
    if (!readProjectPages(projectData, pages, nullptr))
        pages = ProjectPages();
    m_pages = pages;
}

void PagePlayer::ran(const PageEnd &end, int page, int64_t startMs)
{
    m_current = page;
    m_next = end.next;
    m_due = -1;
    if (end.delay > 0 && end.next >= 0 && m_pages.has(end.next))
        m_due = startMs + int64_t(end.delay) * 1000;
}

bool PagePlayer::start(TerminalScreen &screen, const TerminalScreen::PictureLookup &pictures,
                       int64_t nowMs)
{
    const int first = m_pages.firstPage();
    return first >= 0 && showPage(screen, first, pictures, nowMs);
}

bool PagePlayer::showPage(TerminalScreen &screen, int page,
                          const TerminalScreen::PictureLookup &pictures, int64_t nowMs)
{
    if (!m_pages.has(page))
        return false;
    ran(runPage(screen, m_pages, page, pictures), page, nowMs);
    return true;
}

int PagePlayer::tick(TerminalScreen &screen, const TerminalScreen::PictureLookup &pictures,
                     int64_t nowMs)
{
    // A clock that jumped far ahead runs at most one round of the pages
    // and goes on from now, rather than drawing every page it missed.
    const int limit = m_pages.pages.size() + 1;
    int runs = 0;
    while (m_due >= 0 && nowMs >= m_due) {
        int64_t start = m_due;
        if (++runs > limit)
            start = nowMs;
        const int page = m_next;
        if (!m_pages.has(page)) { // the project changed under the cycle
            m_due = -1;
            break;
        }
        ran(runPage(screen, m_pages, page, pictures), page, start);
        if (runs > limit)
            break;
    }
    return runs;
}

QImage previewPage(const ProjectPages &pages, QSize screenSize,
                   const TerminalScreen::PictureLookup &pictures, int page, QString *error)
{
    if (!pages.has(page)) {
        if (error)
            *error = QStringLiteral("the project data holds no page %1").arg(page);
        return {};
    }
    TerminalScreen screen(screenSize.width(), screenSize.height());
    runPage(screen, pages, page, pictures);
    return screen.screenshot();
}

QImage previewPage(const QByteArray &projectData, QSize screenSize,
                   const TerminalScreen::PictureLookup &pictures, int page, QString *error)
{
    ProjectPages pages;
    if (!readProjectPages(projectData, pages, error))
        return {};
    return previewPage(pages, screenSize, pictures, page, error);
}

TerminalScreen::PictureLookup positionFilePictures(const QByteArray &positionFile)
{
    // Where each picture's pixels start, worked out once.
    struct Entry
    {
        int width = 0, height = 0;
        int64_t offset = 0;
    };
    auto entries = std::make_shared<std::vector<Entry>>(kSlotCount);
    for (const SlotData &s : walkDataArea(positionFile, DataSlots::Sized)) {
        Entry &e = (*entries)[size_t(s.number)];
        e.width = s.width;
        e.height = s.height;
        e.offset = s.dataOffset();
    }
    const QByteArray file = positionFile;
    return [entries, file](int number, TerminalScreen::Picture &out) {
        if (number < 0 || number >= kSlotCount)
            return false;
        const Entry e = (*entries)[size_t(number)];
        if (e.width <= 0 || e.height <= 0 || e.offset + pictureBytes(e.width, e.height) > file.size())
            return false;
        out.width = e.width;
        out.height = e.height;
        const int64_t base = e.offset;
        out.read = [file, base](int64_t offset, int64_t length) {
            if (offset < 0 || length <= 0 || base + offset + length > file.size())
                return QByteArray();
            return file.mid(qsizetype(base + offset), qsizetype(length));
        };
        return true;
    };
}

} // namespace h5
