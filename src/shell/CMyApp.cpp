#include "shell/CMyApp.h"

#include "editor/PageSettingsForm.h"
#include "shell/CChildFrame.h"
#include "shell/Commands.h"
#include "shell/WidgetPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

namespace h5 {

namespace {

const char *const kSettingsOrganisation = "Local AppWizard-Generated Applications";
const char *const kSettingsApplication = "h5800-studio";
const char *const kRecentGroup = "Recent File List";

// File filters of the two document types.
QString projectFileFilter()
{
    return QStringLiteral("工程文件 (*.wgc)");
}

QString pageFileFilter()
{
    return QStringLiteral("页面文件 (*.wlp)");
}

QString samePath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

// The app as page documents and views see it.
class CMyApp::Host : public ViewHost
{
public:
    explicit Host(CMyApp &app) : m_app(app) {}
    const Project *currentProject() const override
    {
        return m_app.isProjectOpen() ? &m_app.project() : nullptr;
    }
    Prompts &prompts() const override { return m_app.prompts(); }
    int resolution() const override { return m_app.resolution(); }
    PictureCache &pictureCache() const override { return m_app.pictureCache(); }

private:
    CMyApp &m_app;
};

CMyApp::CMyApp(const QString &settingsFile, QObject *parent)
    : QObject(parent), m_settingsFile(settingsFile), m_host(std::make_unique<Host>(*this)),
      m_ownPrompts(std::make_unique<WidgetPrompts>(nullptr, productTitle()))
{
    m_prompts = m_ownPrompts.get();
    readDisplayMetrics();
}

CMyApp::~CMyApp() = default;

void CMyApp::readDisplayMetrics()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        m_nScreenWidth = screen->size().width();
        m_nScreenHeight = screen->size().height();
    }
    m_nCaptionHeight = CChildFrame::measureCaptionHeight();
}

void CMyApp::setPrompts(Prompts *prompts)
{
    m_prompts = prompts ? prompts : m_ownPrompts.get();
}

void CMyApp::setMainWindow(QWidget *window, std::function<void(const QString &)> statusSink)
{
    m_mainWindow = window;
    m_ownPrompts->setParent(window);
    m_ownPrompts->setStatusSink(std::move(statusSink));
}

Prompts &CMyApp::prompts() const { return *m_prompts; }

ViewHost &CMyApp::viewHost() const { return *m_host; }

QList<PageDocument *> CMyApp::pageDocuments() const
{
    return m_windows ? m_windows->pageDocuments() : QList<PageDocument *>();
}

int CMyApp::openPageCount() const { return int(pageDocuments().size()); }

PageDocument *CMyApp::findDocument(const QString &path) const
{
    const QString wanted = samePath(path);
    for (PageDocument *document : pageDocuments())
        if (samePath(document->filePath()) == wanted)
            return document;
    return nullptr;
}

void CMyApp::openPageWindow(OpenPage page)
{
    if (!m_windows)
        return;
    auto *document = new PageDocument(*m_host, std::move(page));
    connect(document, &PageDocument::pageOverwritten, this,
            [this, document](int pageNo) { closeOverwrittenPage(document, pageNo); });
    connect(document, &PageDocument::closeRequested, this, [this, document] {
        if (m_windows)
            m_windows->closePageWindow(document);
    });
    m_windows->openPageWindow(document);
}

void CMyApp::closeOverwrittenPage(const PageDocument *from, int pageNo)
{
    if (!m_windows)
        return;
    const QString name = QString::number(pageNo);
    for (PageDocument *document : m_windows->pageDocuments())
        if (document != from && document->pageName() == name)
            m_windows->closePageWindow(document);
}

// ---- project -----------------------------------------------------------------

void CMyApp::setProject(const Project &project)
{
    m_project = project;
    m_bProjectOpen = true;
    emit projectChanged();
}

bool CMyApp::saveProject()
{
    if (!m_bProjectOpen)
        return true;
    bool saved = true;
    for (PageDocument *document : pageDocuments())
        if (!document->save()) {
            saved = false;
            break;
        }
    emit projectFilesChanged();
    return saved;
}

void CMyApp::closeAllPages()
{
    if (!m_windows)
        return;
    for (PageDocument *document : m_windows->pageDocuments())
        m_windows->closePageWindow(document);
}

bool CMyApp::leaveProject()
{
    if (!saveProject())
        return false;
    closeAllPages();
    return true;
}

bool CMyApp::createProject(const NewProjectValues &values)
{
    // The old project's pages are saved and closed before anything of the
    // new one is made, so a page that cannot be saved stops the command
    // with no new project folder left behind.
    QString error;
    if (!Project::checkNew(values.location, values.name, values.resolution, prompts(), &error)) {
        if (!error.isEmpty())
            prompts().message(error);
        return false;
    }
    if (!leaveProject())
        return false;
    Project project;
    if (!Project::create(values.location, values.name, values.resolution, project, prompts(),
                         &error)) {
        if (!error.isEmpty())
            prompts().message(QStringLiteral("新建工程失败!\n%1").arg(error));
        return false;
    }
    setProject(project);
    return true;
}

void CMyApp::onNewProject()
{
    NewProjectForm form(prompts(), m_mainWindow);
    if (!prompts().runForm(form))
        return;
    createProject(form.values());
}

bool CMyApp::openProject(const QString &projectFile)
{
    Project project;
    QString error;
    if (!Project::open(projectFile, project, &error)) {
        prompts().message(error);
        return false;
    }
    if (!leaveProject())
        return false;
    setProject(project);
    return true;
}

void CMyApp::onOpenProject()
{
    FileRequest request;
    request.caption = QStringLiteral("打开工程");
    request.folder = m_bProjectOpen ? QFileInfo(m_project.dir).path() : QString();
    request.filter = projectFileFilter();
    request.defaultSuffix = QStringLiteral("wgc");
    const QString file = prompts().chooseFile(request);
    if (!file.isEmpty())
        openProject(file);
}

void CMyApp::onSaveProject() { saveProject(); }

void CMyApp::onSave()
{
    if (PageDocument *document = m_windows ? m_windows->activeDocument() : nullptr)
        document->save();
    else
        saveProject();
}

// ---- pages ---------------------------------------------------------------------

bool CMyApp::createPage(const NewPageValues &values)
{
    if (!m_bProjectOpen)
        return false;
    OpenPage page;
    int replaced = -1;
    QString error;
    const Project::NewPageResult result = m_project.newPage(values, prompts(), page, &replaced, &error);
    if (replaced >= 0 && m_windows) {
        // The replaced page's files are gone; so go its windows.
        const QString title = pageFileName(replaced);
        for (PageDocument *document : m_windows->pageDocuments())
            if (document->title() == title)
                m_windows->closePageWindow(document);
    }
    if (result == Project::NewPageResult::Cancelled)
        return false;
    if (result == Project::NewPageResult::Failed) {
        prompts().message(error);
        return false;
    }
    if (m_windows) {
        // A window still showing an earlier file of that name would write
        // it back over the new page.
        if (PageDocument *stale = findDocument(page.path))
            m_windows->closePageWindow(stale);
        openPageWindow(std::move(page));
    }
    addRecentFile(m_project.pagePath(values.pageNo));
    return true;
}

void CMyApp::onNewPage()
{
    if (!m_bProjectOpen)
        return;
    QString error;
    int first = m_project.firstFreePage(&error);
    if (first < 0) {
        if (!error.isEmpty()) {
            prompts().message(error);
            return;
        }
        first = 0; // every page number is in use: offer the first one
    }
    NewPageValues values;
    values.pageNo = first;
    // A new page has no elements: one instruction page.
    PageSettingsForm form(m_project.resolution, values, 1, m_mainWindow);
    if (!prompts().runForm(form))
        return;
    createPage(form.values());
}

int CMyApp::openPageFiles(const QStringList &paths)
{
    if (!m_bProjectOpen)
        return 0;
    int opened = 0;
    QStringList declined; // other projects the user chose not to switch to
    for (const QString &path : paths) {
        if (PageDocument *document = findDocument(path)) {
            if (m_windows)
                m_windows->activatePageWindow(document);
            ++opened;
            continue;
        }
        if (!takeIntoProject(path, declined))
            continue;
        OpenPage page;
        QString error;
        if (!m_project.openPage(path, page, &error)) {
            prompts().message(QStringLiteral("无法打开页面 %1\n%2")
                                   .arg(QDir::toNativeSeparators(path), error));
            continue;
        }
        openPageWindow(std::move(page));
        addRecentFile(path);
        ++opened;
    }
    return opened;
}

bool CMyApp::takeIntoProject(const QString &pagePath, QStringList &declined)
{
    if (m_bProjectOpen && samePath(QFileInfo(pagePath).absolutePath()) == samePath(m_project.dir))
        return true;
    // A page is compiled against its own project's slots and pictures: it
    // opens only within that project, and only when the user agrees to
    // leave the current one.
    Project other;
    QString error;
    if (!Project::openForPageFile(pagePath, other, prompts(), &error)) {
        if (!error.isEmpty())
            prompts().message(QStringLiteral("无法打开页面 %1\n%2")
                                   .arg(QDir::toNativeSeparators(pagePath), error));
        return false;
    }
    if (m_bProjectOpen && samePath(other.file) == samePath(m_project.file))
        return true;
    if (declined.contains(samePath(other.file)))
        return false; // asked once per command
    if (m_bProjectOpen
        && !prompts().question(
            QStringLiteral("页面 %1 属于工程“%2”（%3），不属于当前工程“%4”。\n"
                           "是否保存并关闭当前工程的页面，切换到工程“%2”?")
                .arg(QFileInfo(pagePath).fileName(), other.name,
                     QDir::toNativeSeparators(other.dir), m_project.name))) {
        declined << samePath(other.file);
        return false;
    }
    if (!leaveProject())
        return false;
    setProject(other);
    return true;
}

void CMyApp::onOpenPage()
{
    if (!m_bProjectOpen)
        return;
    FileRequest request;
    request.kind = FileRequest::Kind::OpenMany;
    request.caption = QStringLiteral("打开页面");
    request.folder = m_project.dir;
    request.filter = pageFileFilter();
    request.defaultSuffix = QStringLiteral("wlp");
    const QStringList files = prompts().chooseFiles(request);
    if (!files.isEmpty())
        openPageFiles(files);
}

int CMyApp::openAllPages()
{
    if (!m_bProjectOpen)
        return 0;
    QString error;
    std::vector<OpenPage> pages = m_project.openAllPages(prompts(), &error);
    if (!error.isEmpty())
        prompts().message(error);
    int opened = 0;
    for (OpenPage &page : pages) {
        if (PageDocument *document = findDocument(page.path)) {
            if (m_windows)
                m_windows->activatePageWindow(document);
        } else {
            const QString path = page.path;
            openPageWindow(std::move(page));
            addRecentFile(path);
        }
        ++opened;
    }
    return opened;
}

void CMyApp::onOpenAllPages() { openAllPages(); }

bool CMyApp::openDocument(const QString &path)
{
    if (path.endsWith(QStringLiteral(".wgc"), Qt::CaseInsensitive))
        return openProject(path);
    if (!QFileInfo(path).isFile()) {
        prompts().message(QStringLiteral("无法打开页面 %1\n文件不存在。")
                               .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    Project project;
    QString error;
    if (!Project::openForPageFile(path, project, prompts(), &error)) {
        if (!error.isEmpty())
            prompts().message(error);
        return false;
    }
    if (!m_bProjectOpen || samePath(project.file) != samePath(m_project.file)) {
        if (!leaveProject())
            return false;
        setProject(project);
    }
    return openPageFiles({path}) == 1;
}

BuildResult CMyApp::build()
{
    BuildResult result;
    if (!m_bProjectOpen)
        return result;
    const QList<PageDocument *> documents = pageDocuments();
    std::vector<OpenPage> pages;
    pages.reserve(size_t(documents.size()));
    for (PageDocument *document : documents)
        pages.push_back(document->openPage());
    result = buildProject(m_project, pages, prompts());
    emit projectFilesChanged();
    if (!result.completed) {
        prompts().message(result.error.isEmpty() ? QStringLiteral("编译失败!") : result.error);
        return result;
    }
    // The build saved every open page.
    for (int i = 0; i < documents.size(); ++i)
        documents[i]->takeSaved(std::move(pages[size_t(i)]));
    prompts().message(result.finalMessage);
    return result;
}

// ---- recent files ------------------------------------------------------------

std::unique_ptr<QSettings> CMyApp::settings() const
{
    if (!m_settingsFile.isEmpty())
        return std::make_unique<QSettings>(m_settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QString::fromLatin1(kSettingsOrganisation),
                                       QString::fromLatin1(kSettingsApplication));
}

QStringList CMyApp::recentFiles() const
{
    auto s = settings();
    s->beginGroup(QString::fromLatin1(kRecentGroup));
    QStringList files;
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString file = s->value(QStringLiteral("File%1").arg(i)).toString();
        if (!file.isEmpty())
            files << file;
    }
    return files;
}

static void writeRecentFiles(QSettings &s, const QStringList &files)
{
    s.beginGroup(QString::fromLatin1(kRecentGroup));
    for (int i = 1; i <= CMyApp::kRecentFiles; ++i) {
        if (i <= files.size())
            s.setValue(QStringLiteral("File%1").arg(i), files[i - 1]);
        else
            s.remove(QStringLiteral("File%1").arg(i));
    }
    s.endGroup();
}

void CMyApp::addRecentFile(const QString &path)
{
    const QString entry = QDir::toNativeSeparators(samePath(path));
    QStringList files = recentFiles();
    files.removeAll(entry);
    files.prepend(entry);
    while (files.size() > kRecentFiles)
        files.removeLast();
    auto s = settings();
    writeRecentFiles(*s, files);
    emit recentFilesChanged();
}

void CMyApp::removeRecentFile(const QString &path)
{
    QStringList files = recentFiles();
    if (files.removeAll(path) == 0)
        return;
    auto s = settings();
    writeRecentFiles(*s, files);
    emit recentFilesChanged();
}

} // namespace h5
