#include "edit/PageCommands.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Flash.h"
#include "pictures/SlotArea.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace h5 {

namespace {

int elementBytes(const CGraph &e)
{
    switch (e.m_nKind) {
    case Kind::Line:
    case Kind::HollowRect:
    case Kind::SolidRect:
    case Kind::HollowEllipse:
    case Kind::SolidEllipse:
        return 16;
    case Kind::HollowCircle:
    case Kind::SolidCircle:
    case Kind::Fill:
        return 14;
    case Kind::Bitmap:
        return 12;
    case Kind::Text:
        return 18 + int(e.m_strText2.size());
    case Kind::GroupBox:
        return 80;
    case Kind::Panel:
        return 16 + 64 * (e.m_nStyle & 0xF);
    case Kind::PointerCtrl:
        return 36;
    case Kind::NumericCtrl:
    case Kind::BarCtrl:
        return 40;
    case Kind::ImageCtrl:
        return 18;
    case Kind::TextCtrl:
        return 22;
    case Kind::ButtonCtrl:
        return 21;
    default:
        return 0;
    }
}

char *slotHead(ProjectFile &pf, int n)
{
    return pf.bytes().data() + kProjectHeaderSize + n * kPageSlotSize;
}

// The 9 bytes of a slot the editor writes: the stored value (16 bits, low
// byte first), six zero bytes and the instruction pages.
void writeSlotHead(ProjectFile &pf, int n, int value, int pages)
{
    char *p = slotHead(pf, n);
    std::fill(p, p + 9, '\0');
    putLe16(p, uint32_t(value));
    putU8(p + 8, uint32_t(pages));
}

bool validPageNo(int n) { return n >= 0 && n < kPageSlots; }

void fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
}

// Starts the changes to the project file and, when it exists, the picture
// position file; a missing picture position file is not created.
bool beginWork(ProjectWork &work, const Project &project, bool &hasPositionFile, QString *error)
{
    hasPositionFile = QFileInfo::exists(project.positionFilePath());
    if (!work.begin(error))
        return false;
    if (!hasPositionFile)
        work.positionFileChanged = false;
    return true;
}

QString pagePathByName(const Project &project, const QString &name)
{
    return project.dir + QLatin1Char('/') + name + QStringLiteral(".wlp");
}

QString instructionPathByName(const Project &project, const QString &name)
{
    return project.instructionDir() + QLatin1Char('/') + name + QStringLiteral(".wlc");
}

void removeIfPresent(const QString &path)
{
    if (QFileInfo::exists(path))
        QFile::remove(path);
}

} // namespace

int estimateInstructionBytes(const Page &page)
{
    int b = page.settings.m_nFlags != 0 ? 10 : 18;
    for (const CGraph &e : page.elements) {
        if (e.m_nKind != Kind::DeleteMarker)
            b += elementBytes(e);
    }
    return b;
}

int estimateInstructionPages(const Page &page)
{
    return (estimateInstructionBytes(page) + 15 + kFlashPage - 1) / kFlashPage;
}

bool slotHoldsPage(const Project &project, int pageNo)
{
    if (!validPageNo(pageNo))
        return false;
    const qint64 end = kProjectHeaderSize + qint64(pageNo + 1) * kPageSlotSize;
    QByteArray head;
    if (!readFileHead(project.file, end, head, nullptr) || head.size() < end)
        return false;
    return getLe16(head.constData() + kProjectHeaderSize + pageNo * kPageSlotSize)
        == uint32_t(pageNo + 1);
}

std::optional<PageCommand> pageCommandFor(int commandId)
{
    switch (PageCommand(commandId)) {
    case PageCommand::PageSettings:
    case PageCommand::AddPage:
    case PageCommand::DeletePage: return PageCommand(commandId);
    }
    return std::nullopt;
}

bool isPageCommandEnabled(PageCommand command, const Project &project, const Page &page)
{
    switch (command) {
    case PageCommand::PageSettings:
        return true;
    case PageCommand::AddPage:
        return !slotHoldsPage(project, page.settings.m_nPageNo);
    case PageCommand::DeletePage:
        return slotHoldsPage(project, page.settings.m_nPageNo);
    }
    return false;
}

PageCommandResult addPageToProject(const Project &project, Page &page, QString *error)
{
    PageCommandResult r;
    const int n = page.settings.m_nPageNo;
    if (!validPageNo(n)) {
        fail(error, QStringLiteral("页面编号%1不在0至1023之间").arg(n));
        return r;
    }
    const int pages = estimateInstructionPages(page);
    ProjectFile pf;
    if (!pf.load(project.file, error))
        return r;
    writeSlotHead(pf, n, n + 1, pages);
    if (!pf.save(project.file, error))
        return r;
    page.settings.m_nResolution = project.resolution;
    r.status = PageCommandResult::Done;
    r.title = pageFileName(n);
    r.pageName = QString::number(n);
    r.savePath = project.pagePath(n);
    return r;
}

PageCommandResult deletePageFromProject(const Project &project, const QString &pageName,
                                        Notifier &notifier, QString *error)
{
    PageCommandResult r;
    if (!notifier.question(QStringLiteral("确定删除此页面?"))) {
        r.status = PageCommandResult::Cancelled;
        return r;
    }
    const int n = std::atoi(pageName.toLatin1().constData());

    // The project's files are prepared first, so a project file that cannot
    // be read leaves the page's files alone as well.
    ProjectWork work(project);
    bool hasPositionFile = false;
    if (!beginWork(work, project, hasPositionFile, error))
        return r;
    if (validPageNo(n)) {
        work.projectFile.clearSlot(n);
        work.projectFileChanged = true;
        if (hasPositionFile) {
            if (releasePage(work.positionFile, n))
                work.positionFileChanged = true;
        }
    }
    if (!work.commit(error))
        return r;
    removeIfPresent(pagePathByName(project, pageName));
    removeIfPresent(instructionPathByName(project, pageName));
    r.status = PageCommandResult::Done;
    r.closeThisPage = hasPositionFile;
    return r;
}

NewPageValues pageSettingsValues(const CTypeGraph &settings)
{
    NewPageValues v;
    v.pageNo = settings.m_nPageNo;
    v.layer = settings.layer();
    v.auxiliary = settings.isAuxiliary();
    v.nextPage = settings.m_nNextPage;
    v.delay = settings.delay();
    return v;
}

int layerChoiceCount(int resolution)
{
    switch (resolution) {
    case 6:
    case 7:
        return 4;
    case 1:
    case 2:
    case 3:
    case 8:
    case 9:
    case 10:
        return 2;
    default:
        return 1;
    }
}

PageCommandResult applyPageSettings(const Project &project, Page &page, const QString &pageName,
                                    const NewPageValues &values, Notifier &notifier,
                                    QString *error)
{
    PageCommandResult r;
    CTypeGraph &s = page.settings;
    const int oldNo = s.m_nPageNo;
    const int newNo = values.pageNo;
    if (!validPageNo(newNo)) {
        fail(error, QStringLiteral("页面编号%1不在0至1023之间").arg(newNo));
        return r;
    }
    const int pages = estimateInstructionPages(page);

    if (oldNo != newNo) {
        ProjectWork work(project);
        bool hasPositionFile = false;
        if (!beginWork(work, project, hasPositionFile, error))
            return r;
        // Another page is replaced when the new number's slot holds one or
        // its page file exists. A page outside the project (its own slot
        // free) is asked about too: renaming it onto the other page's file
        // would otherwise replace that page without a word.
        const bool ownSlotUsed = validPageNo(oldNo) && work.projectFile.slot(oldNo).used();
        const bool newSlotUsed = work.projectFile.slot(newNo).used();
        const bool taken = newSlotUsed
                           || (!ownSlotUsed && QFileInfo::exists(project.pagePath(newNo)));
        bool overwrite = false;
        if (taken) {
            if (!notifier.question(QStringLiteral("第%1幅画面已存在，是否覆盖?").arg(newNo))) {
                r.status = PageCommandResult::Cancelled;
                return r;
            }
            overwrite = true;
            if (!hasPositionFile) {
                notifier.message(QStringLiteral("图象位置信息文件丢失!"));
            } else {
                if (clearPageUse(work.positionFile, newNo))
                    work.positionFileChanged = true;
            }
        }
        // The slot moves with a page of the project; a page taking the place
        // of a page of the project takes its slot.
        if (ownSlotUsed || newSlotUsed) {
            if (ownSlotUsed)
                writeSlotHead(work.projectFile, oldNo, 0, 0);
            writeSlotHead(work.projectFile, newNo, newNo + 1, pages);
            work.projectFileChanged = true;
        }
        if (!work.commit(error))
            return r;
        if (overwrite) {
            removeIfPresent(project.pagePath(newNo));
            removeIfPresent(project.instructionPath(newNo));
            r.closePage = newNo;
        }

        const QString from = pagePathByName(project, pageName);
        const QString to = project.pagePath(newNo);
        if (!QFileInfo::exists(from))
            notifier.message(QStringLiteral("画面文件%1不存在!").arg(from));
        else if (!QFile::rename(from, to))
            notifier.message(QStringLiteral("画面文件%1改名为%2失败!").arg(from, to));
        r.title = pageFileName(newNo);
        r.pageName = QString::number(newNo);
    }

    s.m_nFlags = values.layer * 4 + (values.auxiliary ? 1 : 0);
    s.m_nNextPage = values.nextPage;
    s.m_nDelay = int((uint32_t(s.m_nDelay) & 0xFFFF0000u) | (uint32_t(values.delay) & 0xFFFFu));
    s.m_nPageNo = newNo;
    r.status = PageCommandResult::Done;
    r.savePath = project.pagePath(newNo);
    return r;
}

} // namespace h5
