#include "project/Project.h"

#include "common/Bytes.h"
#include "common/FileIo.h"
#include "common/Gbk.h"
#include "pictures/PictureConvert.h"
#include "pictures/SlotArea.h"
#include "pictures/SlotRecord.h"
#include "project/Compiler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace h5 {

QString instructionDirName() { return QStringLiteral("指令wlc文件"); }
QString picturesDirName() { return QStringLiteral("图片文件"); }
QString positionFileName() { return QStringLiteral("图象位置信息.cbm"); }

QString Project::pagePath(int pageNo) const { return dir + QLatin1Char('/') + pageFileName(pageNo); }
QString Project::instructionDir() const { return dir + QLatin1Char('/') + instructionDirName(); }
QString Project::instructionPath(int pageNo) const
{
    return instructionDir() + QLatin1Char('/') + instructionFileName(pageNo);
}
QString Project::picturesDir() const { return dir + QLatin1Char('/') + picturesDirName(); }
QString Project::positionFilePath() const { return dir + QLatin1Char('/') + positionFileName(); }

bool Project::checkNew(const QString &location, const QString &name, int resolution,
                       Notifier &notifier, QString *error)
{
    if (name.isEmpty()) {
        notifier.message(QStringLiteral("工程名称不得为空!"));
        return false;
    }
    if (location.isEmpty()) {
        notifier.message(QStringLiteral("工程位置不得为空!"));
        return false;
    }
    if (resolution < 0 || resolution >= kResolutionCount) {
        if (error)
            *error = QStringLiteral("未知的屏幕尺寸序号 %1").arg(resolution);
        return false;
    }
    // An existing project is never overwritten by a new one: its pages and
    // pictures would be orphaned.
    const QString dir = QDir::cleanPath(location + QLatin1Char('/') + name);
    const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".wgc");
    if (QFileInfo::exists(file)) {
        if (error)
            *error = QStringLiteral("%1 处已有工程，新建工程不会覆盖它。")
                         .arg(QDir::toNativeSeparators(file));
        return false;
    }
    return true;
}

bool Project::create(const QString &location, const QString &name, int resolution, Project &out,
                     Notifier &notifier, QString *error)
{
    if (!checkNew(location, name, resolution, notifier, error))
        return false;
    Project p;
    p.name = name;
    p.dir = QDir::cleanPath(location + QLatin1Char('/') + name);
    p.file = p.dir + QLatin1Char('/') + name + QStringLiteral(".wgc");
    p.resolution = resolution;
    // What this creation adds is removed again when it fails half way, so
    // a retry (after freeing space, say) starts clean. Folders and files
    // that were there before are left alone.
    std::vector<QString> createdDirs, createdFiles;
    auto undo = [&]() {
        for (auto it = createdFiles.rbegin(); it != createdFiles.rend(); ++it)
            QFile::remove(*it);
        for (auto it = createdDirs.rbegin(); it != createdDirs.rend(); ++it)
            QDir().rmdir(*it);
    };
    for (const QString &dir : {p.dir, p.instructionDir(), p.picturesDir()}) {
        // mkpath makes the missing parents too; note each one made.
        QStringList missing;
        for (QString d = QDir::cleanPath(dir); !d.isEmpty() && !QFileInfo::exists(d);
             d = QFileInfo(d).path()) {
            missing.prepend(d);
            if (QFileInfo(d).path() == d)
                break;
        }
        if (!QDir().mkpath(dir)) {
            undo();
            if (error)
                *error = QStringLiteral("%1：无法建立工程文件夹").arg(QDir::toNativeSeparators(dir));
            return false;
        }
        for (const QString &d : missing)
            createdDirs.push_back(d);
    }
    if (!writeFileAtomically(p.file, ProjectFile::newFile(resolution), error)) {
        undo();
        return false;
    }
    createdFiles.push_back(p.file);
    if (!QFileInfo::exists(p.positionFilePath())) {
        if (!writeFileAtomically(p.positionFilePath(), QByteArray(kSlotAreaSize, '\0'), error)) {
            undo();
            return false;
        }
        createdFiles.push_back(p.positionFilePath());
    }
    out = p;
    return true;
}

bool Project::open(const QString &projectFile, Project &out, QString *error)
{
    ProjectFile pf;
    if (!pf.load(projectFile, error))
        return false;
    const QFileInfo info(projectFile);
    Project p;
    p.file = info.absoluteFilePath();
    p.dir = info.absolutePath();
    p.name = info.completeBaseName();
    p.resolution = pf.resolution();
    if (resolutionSize(p.resolution).isEmpty()) {
        if (error)
            *error = QStringLiteral("%1：未知的屏幕尺寸序号 %2").arg(projectFile).arg(p.resolution);
        return false;
    }
    out = p;
    return true;
}

bool Project::openForPageFile(const QString &pagePath, Project &out, Notifier &notifier,
                              QString *error)
{
    const QFileInfo info(pagePath);
    const QString dir = info.absolutePath();
    const QString name = QFileInfo(dir).fileName();
    const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".wgc");
    if (!QFileInfo::exists(file)) {
        // The text names no file; the page's path follows it.
        notifier.message(QStringLiteral("请放入工程中! ")
                         + QDir::toNativeSeparators(info.absoluteFilePath()));
        return false;
    }
    return open(file, out, error);
}

int Project::firstFreePage(QString *error) const
{
    ProjectFile pf;
    if (!pf.loadHead(file, error))
        return -1;
    return pf.firstFreeSlot();
}

Project::NewPageResult Project::newPage(const NewPageValues &values, Notifier &notifier,
                                        OpenPage &out, int *closedPage, QString *error) const
{
    if (closedPage)
        *closedPage = -1;
    const int n = values.pageNo;
    if (n < 0 || n >= kPageSlots) {
        if (error)
            *error = QStringLiteral("页面编号%1不在0至1023之间").arg(n);
        return NewPageResult::Failed;
    }
    ProjectWork work(*this);
    if (!work.begin(error))
        return NewPageResult::Failed;

    const PageSlot slot = work.projectFile.slot(n);
    int replaced = -1;
    if (slot.used()) {
        const int old = slot.pageNo();
        if (!notifier.question(QStringLiteral("将会覆盖%1页面，是否覆盖?").arg(old)))
            return NewPageResult::Cancelled;
        if (!QFileInfo::exists(positionFilePath())) {
            notifier.message(QStringLiteral("图象位置信息文件丢失!"));
        } else if (old >= 0 && old < kPageSlots) {
            if (clearPageUse(work.positionFile, old))
                work.positionFileChanged = true;
        }
        replaced = old;
        if (closedPage)
            *closedPage = old;
    }
    work.projectFile.setSlot(n, 1);
    work.projectFileChanged = true;

    OpenPage page;
    page.path = pagePath(n);
    page.page.settings = CTypeGraph(resolution, values.layer * 4 + (values.auxiliary ? 1 : 0), n,
                                    values.nextPage, values.delay, 0);
    if (!work.savePage(page, notifier, error) || !work.commit(error))
        return NewPageResult::Failed;
    // The replaced page's files go only once the new page is safely written.
    if (replaced >= 0 && replaced != n) {
        QFile::remove(pagePath(replaced));
        QFile::remove(instructionPath(replaced));
    }
    out = page;
    return NewPageResult::Created;
}

bool Project::openPage(const QString &path, OpenPage &out, QString *error) const
{
    OpenPage page;
    if (!page.page.load(path, error))
        return false;
    // The open-page command takes the settings from the file's fixed prefix:
    // flags byte, page number, next page, delay byte, page tag and the
    // background colour's three bytes, with the project's resolution.
    QByteArray prefix;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        prefix = f.read(40);
    if (!settingsFromPrefix(prefix, path, page, error))
        return false;
    out = std::move(page);
    return true;
}

bool Project::openPageData(const QString &path, const QByteArray &bytes, OpenPage &out,
                           QString *error) const
{
    OpenPage page;
    QString why;
    if (!page.page.fromPageFile(bytes, &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    if (!settingsFromPrefix(bytes.left(40), path, page, error))
        return false;
    out = std::move(page);
    return true;
}

bool Project::settingsFromPrefix(const QByteArray &prefix, const QString &path, OpenPage &page,
                                 QString *error) const
{
    if (prefix.size() < 40) {
        if (error)
            *error = QStringLiteral("%1：无法读取页面设置").arg(path);
        return false;
    }
    const char *p = prefix.constData();
    const int flags = getU8(p + 20);
    const int pageNo = getLe16(p + 24);
    const int nextPage = getLe16(p + 28);
    const int delay = getU8(p + 32);
    const int tag = getLe16(p + 34);
    const COLORREF back = RGB(getU8(p + 36), getU8(p + 37), getU8(p + 38));
    page.page.settings = CTypeGraph(resolution, flags, pageNo, nextPage, delay + tag * 65536, back);
    page.path = path;
    return true;
}

std::vector<OpenPage> Project::openAllPages(Notifier &notifier, QString *error, int *failures) const
{
    std::vector<OpenPage> pages;
    if (failures)
        *failures = 0;
    // Only the slots are needed: the project data after them is not read.
    ProjectFile pf;
    if (!pf.loadHead(file, error))
        return pages;
    for (int n = 0; n < kPageSlots; ++n) {
        const PageSlot slot = pf.slot(n);
        if (!slot.used())
            continue;
        const QString path = pagePath(slot.pageNo());
        if (!QFileInfo::exists(path)) {
            notifier.message(QStringLiteral("画面%1丢失！").arg(slot.pageNo()));
            if (failures)
                ++*failures;
            continue;
        }
        OpenPage page;
        QString why;
        if (!openPage(path, page, &why)) {
            notifier.message(why);
            if (failures)
                ++*failures;
            continue;
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

bool Project::choosePicture(const QString &imagePath, PictureChoice &choice, Notifier &notifier,
                            QString *error) const
{
    const QFileInfo source(imagePath);
    const QString full = source.absoluteFilePath();
    if (full.size() > 1023) {
        notifier.message(QStringLiteral("位图路径过长，请更改"));
        return false;
    }
    // Names are stored as GBK bytes; a name GBK cannot hold would be stored
    // wrongly and never be found again by the build.
    if (!isGbkEncodable(source.fileName())) {
        if (error)
            *error = QStringLiteral("%1：文件名含有无法保存的字符（不是GBK文字）").arg(full);
        return false;
    }
    int w = 0, h = 0;
    if (!source.isFile() || !measurePicture(full, w, h)) {
        if (error)
            *error = QStringLiteral("%1：无法打开图片").arg(full);
        return false;
    }
    if (w <= 0 || h <= 0) {
        notifier.message(QStringLiteral("渲染图象失败！"));
        return false;
    }

    // First free record: width, height and number all zero. Records the
    // file does not reach count as free; a missing file is not created
    // here (the page save writes a whole one).
    if (QFileInfo::exists(positionFilePath())) {
        QByteArray head;
        if (!readFileHead(positionFilePath(), kSlotAreaSize, head, error))
            return false;
        if (head.size() < kSlotAreaSize)
            head.append(QByteArray(kSlotAreaSize - head.size(), '\0'));
        SlotArea area;
        if (!SlotArea::fromBytes(head, area, error))
            return false;
        const int free = area.firstFreeSlot();
        if (free >= 0)
            choice.number = free;
    } else {
        choice.number = 0;
    }

    choice.source = full;
    choice.destination = picturesDir() + QLatin1Char('/') + source.fileName();
    choice.size = QSize(w, h);
    choice.blocks = int(pictureBlocks(w, h));
    choice.fileName = toGbk(source.fileName());
    choice.title = toGbk(source.completeBaseName());
    return true;
}

bool Project::copyPictureIn(const PictureChoice &choice, QString *error) const
{
    if (QFileInfo(choice.source).absoluteFilePath() == QFileInfo(choice.destination).absoluteFilePath()
        || QFileInfo::exists(choice.destination))
        return true;
    // Copied through a checked, synced write: a full disk must not leave a
    // cut-off picture in the project that later builds would ship.
    QByteArray bytes;
    QString why;
    if (!QDir().mkpath(picturesDir())) {
        why = QStringLiteral("无法建立文件夹 %1").arg(picturesDir());
    } else if (readWholeFile(choice.source, bytes, &why)
               && writeFileAtomically(choice.destination, bytes, &why)) {
        return true;
    }
    if (error)
        *error = QStringLiteral("%1：无法复制到工程的图片文件夹（%2）").arg(choice.destination, why);
    return false;
}

bool Project::placePicture(const QString &imagePath, QPoint at, CGraph &element,
                           Notifier &notifier, QString *error) const
{
    PictureChoice choice;
    choice.number = element.m_nKind == Kind::Bitmap ? element.m_nNumber : 0;
    if (!choosePicture(imagePath, choice, notifier, error) || !copyPictureIn(choice, error))
        return false;
    element = CGraph(Kind::Bitmap, 0, at,
                     at + QPoint(choice.size.width(), choice.size.height()), choice.blocks,
                     choice.number, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, choice.fileName,
                     choice.title, toGbk(choice.destination));
    return true;
}

bool Project::savePage(OpenPage &page, Notifier &notifier, QString *error) const
{
    ProjectWork work(*this);
    return work.begin(error) && work.savePage(page, notifier, error) && work.commit(error);
}

// ---------------------------------------------------------------------------

bool ProjectWork::begin(QString *error, bool slotAreaOnly)
{
    if (slotAreaOnly ? !projectFile.loadHead(m_project.file, error)
                     : !projectFile.load(m_project.file, error))
        return false;
    m_headOnly = slotAreaOnly;
    const QString positions = m_project.positionFilePath();
    if (QFileInfo::exists(positions)) {
        if (slotAreaOnly ? !readFileHead(positions, kSlotAreaSize, positionFile, error)
                         : !readWholeFile(positions, positionFile, error))
            return false;
        if (positionFile.size() < kSlotAreaSize) {
            if (error)
                *error = QStringLiteral("%1：图象位置信息文件已损坏（文件长%2字节，至少应有%3字节）")
                             .arg(positions)
                             .arg(positionFile.size())
                             .arg(kSlotAreaSize);
            return false;
        }
    } else {
        // The project's picture position file went missing: start a new
        // empty one rather than refuse every save.
        positionFile = QByteArray(kSlotAreaSize, '\0');
        positionFileChanged = true;
    }
    return true;
}

bool ProjectWork::savePage(OpenPage &open, Notifier &notifier, QString *error)
{
    PreparedPage prepared;
    return preparePage(open, notifier, prepared, error) && addPreparedPage(prepared, error);
}

bool ProjectWork::preparePage(OpenPage &open, Notifier &notifier, PreparedPage &out,
                              QString *error) const
{
    Page &page = open.page;
    page.normalise(m_project.resolution);
    PreparedPage prepared;
    prepared.path = open.path;
    prepared.pageNo = page.settings.m_nPageNo;
    const int pageNo = prepared.pageNo;
    if (pageNo >= 0 && pageNo < kPageSlots && projectFile.slot(pageNo).used()) {
        CompiledPage compiled = compilePage(page, pageNo, notifier);
        if (!compiled.ok) {
            if (error)
                *error = compiled.error;
            return false;
        }
        // The slot keeps the page length in one byte; a longer page would be
        // recorded wrongly and the build would cut it.
        if (compiled.pageLength > 255) {
            if (error)
                *error = QStringLiteral("画面%1的指令长度为%2页，超过255页，无法保存")
                             .arg(pageNo)
                             .arg(compiled.pageLength);
            return false;
        }
        prepared.compiled = true;
        prepared.instructionFile = std::move(compiled.instructionFile);
        prepared.pageLength = compiled.pageLength;
        prepared.pictures = std::move(compiled.pictures);
    }
    prepared.pageFile = page.toPageFile();
    out = std::move(prepared);
    return true;
}

bool ProjectWork::addPreparedPage(const PreparedPage &page, QString *error, bool pageFileCurrent)
{
    if (page.compiled) {
        QString why;
        if (!updatePicturePositions(positionFile, page.pageNo, page.pictures, &why)) {
            if (error)
                *error = why;
            return false;
        }
        positionFileChanged = true;
        m_instructionFiles[page.pageNo] = page.instructionFile;
        projectFile.setSlotLength(page.pageNo, page.pageLength);
        projectFileChanged = true;
    }
    m_pageFiles.push_back({page.path, page.pageFile, pageFileCurrent});
    return true;
}

bool ProjectWork::instructionFile(int pageNo, QByteArray &out) const
{
    const auto it = m_instructionFiles.find(pageNo);
    if (it != m_instructionFiles.end()) {
        out = it->second;
        return true;
    }
    const QString path = m_project.instructionPath(pageNo);
    if (!QFileInfo(path).isFile())
        return false;
    return readWholeFile(path, out, nullptr);
}

bool ProjectWork::commit(QString *error)
{
    if (!m_instructionFiles.empty() && !QDir().mkpath(m_project.instructionDir())) {
        if (error)
            *error = QStringLiteral("%1：无法建立文件夹").arg(m_project.instructionDir());
        return false;
    }
    // Every changed file is written and synced under a temporary name first;
    // the project's files are replaced only when all of them are ready, so a
    // full disk or a read-only file half way changes none of them.
    StagedFiles staged;
    for (const auto &[pageNo, data] : m_instructionFiles) {
        if (!staged.stageIfChanged(m_project.instructionPath(pageNo), data, error))
            return false;
    }
    // The page files are written before the project file, and a project
    // file that took their pages is written whenever one of them is, even
    // unchanged: the project file is then the newest, so a page file newer
    // than it was changed after the build (the terminal preview tells).
    const std::size_t beforePages = staged.count();
    for (const PendingPage &page : m_pageFiles) {
        if (!page.current && !staged.stageIfChanged(page.path, page.data, error))
            return false;
    }
    const bool pageWritten = staged.count() > beforePages;
    if (positionFileChanged && !positionFileCurrent) {
        FileParts parts{QByteArrayView(positionFile)};
        parts.insert(parts.end(), positionData.begin(), positionData.end());
        if (!staged.stagePartsIfChanged(m_project.positionFilePath(), parts, error))
            return false;
    }
    if (projectFileChanged) {
        // A project file read without its data, the data not made again:
        // writing it would cut the pages' instructions off the file.
        if (m_headOnly && projectFile.bytes().size() <= kProjectDataOffset && projectData.empty()) {
            if (error)
                *error = QStringLiteral("%1：工程数据未重新生成，工程文件未写入").arg(m_project.file);
            return false;
        }
        FileParts parts{QByteArrayView(projectFile.bytes())};
        parts.insert(parts.end(), projectData.begin(), projectData.end());
        if (!(pageWritten ? staged.stageParts(m_project.file, parts, error)
                          : staged.stagePartsIfChanged(m_project.file, parts, error)))
            return false;
    }
    if (!staged.commit(error))
        return false;
    m_instructionFiles.clear();
    m_pageFiles.clear();
    positionData.clear();
    projectData.clear();
    projectDataBuffers.clear();
    positionFileChanged = projectFileChanged = positionFileCurrent = false;
    return true;
}

} // namespace h5
