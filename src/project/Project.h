#pragma once
// The open project and its commands: new project, open project, new page,
// open page, open all pages, and the page save that compiles the page and
// records its length in the project file.

#include "common/Notifier.h"
#include "model/Page.h"
#include "project/Compiler.h"
#include "project/ProjectFile.h"

#include "common/FileIo.h"

#include <QSize>
#include <QString>
#include <map>
#include <vector>

namespace h5 {

// Names inside a project folder.
QString instructionDirName();  // "指令wlc文件"
QString picturesDirName();     // "图片文件"
QString positionFileName();    // "图象位置信息.cbm"

// Values of the page settings form for a new page.
struct NewPageValues
{
    int pageNo = 0;
    int layer = 0;
    bool auxiliary = false;
    int nextPage = 1024;
    int delay = 0;
};

// A page open in the editor (or in a headless run): its data and its file.
struct OpenPage
{
    Page page;
    QString path;
};

class Project
{
public:
    QString dir;  // project folder, no trailing separator
    QString file; // the .wgc file
    QString name; // project name (file title of the .wgc)
    int resolution = 0;

    QString pagePath(int pageNo) const;
    QString instructionDir() const;
    QString instructionPath(int pageNo) const;
    QString picturesDir() const;
    QString positionFilePath() const;

    // The checks of a new project that change nothing: a name and a
    // location ("工程名称不得为空!", "工程位置不得为空!" through the notifier),
    // a known screen size, and no project file at LOCATION/NAME already.
    static bool checkNew(const QString &location, const QString &name, int resolution,
                         Notifier &notifier, QString *error);
    // New project: creates LOCATION/NAME with the project file, the two
    // subfolders and an empty picture position file. Refuses to touch an
    // existing project file. Messages: "工程名称不得为空!", "工程位置不得为空!".
    static bool create(const QString &location, const QString &name, int resolution, Project &out,
                       Notifier &notifier, QString *error);
    // Open project: reads the resolution index (byte 4) of the project file.
    static bool open(const QString &projectFile, Project &out, QString *error);
    // A page file opened from the shell: its folder must hold a project file
    // named after the folder; otherwise "请放入工程中!".
    static bool openForPageFile(const QString &pagePath, Project &out, Notifier &notifier,
                                QString *error);

    // Lowest free page number, -1 when all 1024 slots are used.
    int firstFreePage(QString *error) const;

    enum class NewPageResult { Created, Cancelled, Failed };
    // New page with the form's values: asks before replacing an existing
    // page ("将会覆盖%d页面，是否覆盖?"), writes the slot, and saves the new
    // page at once. `closedPage` receives the number of a replaced page whose
    // windows must close (-1 when none).
    NewPageResult newPage(const NewPageValues &values, Notifier &notifier, OpenPage &out,
                          int *closedPage, QString *error) const;

    // Open page: settings come from the fixed prefix of the page file (with
    // the project's resolution), the elements from the whole file.
    bool openPage(const QString &path, OpenPage &out, QString *error) const;
    // The same from the file's bytes, already read: the page, and the
    // settings from its fixed prefix.
    bool openPageData(const QString &path, const QByteArray &bytes, OpenPage &out,
                      QString *error) const;
    // Open all pages: every used slot's page file; "画面N丢失！" for each
    // missing one. Pages that exist but do not load are reported with their
    // reason and skipped.
    std::vector<OpenPage> openAllPages(Notifier &notifier, QString *error,
                                       int *failures = nullptr) const;

    // The bitmap tool's picture, checked and measured before its form:
    // the path may not exceed 1023 characters ("位图路径过长，请更改"), the
    // file name must be storable as GBK and the file must decode as a
    // picture. `number` becomes the first free picture record of the
    // picture position file; it keeps the value it came in with when no
    // record is free or the file does not exist yet (the next page save
    // writes it). Nothing is written.
    struct PictureChoice
    {
        QString source;      // the chosen file, absolute
        QString destination; // its copy in the picture folder
        QSize size;          // the picture's own size in pixels
        int blocks = 1;      // flash blocks it needs
        int number = 0;      // picture number offered
        std::string fileName; // GBK
        std::string title;    // GBK, the file name without its extension
    };
    bool choosePicture(const QString &imagePath, PictureChoice &choice, Notifier &notifier,
                       QString *error) const;
    // Copies a chosen picture into the project's picture folder, through a
    // checked and synced write. A file of that name already there is kept;
    // the picture folder's own file is not copied onto itself.
    bool copyPictureIn(const PictureChoice &choice, QString *error) const;

    // Places a picture file on a page, as the bitmap tool does: copies it
    // into the project's picture folder (an existing file of that name is
    // kept), measures it and takes the first free picture number from the
    // picture position file (the number is only claimed when the page is
    // saved). Fills a bitmap element at `at`. Message "位图路径过长，请更改"
    // for a path of more than 1023 characters.
    bool placePicture(const QString &imagePath, QPoint at, CGraph &element, Notifier &notifier,
                      QString *error) const;

    // Save a page as the editor does: normalise, compile when its slot is in
    // use, record the page length, write the page file.
    bool savePage(OpenPage &page, Notifier &notifier, QString *error) const;

private:
    bool settingsFromPrefix(const QByteArray &prefix, const QString &path, OpenPage &page,
                            QString *error) const;
};

// A page made ready to be saved: normalised and, when its slot is in use,
// compiled. Adding it to a ProjectWork records what the save writes.
struct PreparedPage
{
    QString path;
    int pageNo = -1;
    bool compiled = false; // the slot is in use: the fields below are set
    QByteArray pageFile;
    QByteArray instructionFile;
    int pageLength = 0;
    std::vector<PictureUse> pictures;
};

// Pending changes to a project's files, written together at the end. A page
// save or a build prepares everything in memory first, so a failure half way
// leaves every file as it was; each file is then replaced atomically.
class ProjectWork
{
public:
    explicit ProjectWork(const Project &project) : m_project(project) {}

    // Reads the project file and the picture position file (an empty one is
    // prepared when the file is missing). With `slotAreaOnly` only the 600
    // records are read, and of the project file only header and slots: the
    // build replaces the pixel data area and the project data anyway.
    bool begin(QString *error, bool slotAreaOnly = false);
    bool savePage(OpenPage &page, Notifier &notifier, QString *error);
    // savePage in two steps: the page is normalised and compiled (nothing
    // of the work changes), then its outcome is recorded. `pageFileCurrent`
    // says the page file on disk is known to hold `pageFile` already.
    bool preparePage(OpenPage &page, Notifier &notifier, PreparedPage &out, QString *error) const;
    bool addPreparedPage(const PreparedPage &page, QString *error, bool pageFileCurrent = false);
    // The instruction file of a page: pending or from disk. False when
    // neither exists.
    bool instructionFile(int pageNo, QByteArray &out) const;
    bool commit(QString *error);

    ProjectFile projectFile;
    QByteArray positionFile;
    bool projectFileChanged = false;
    bool positionFileChanged = false;
    // The build's picture data: when not empty, the picture position file
    // is `positionFile` (its 600 records) followed by these pieces, written
    // and compared from where they are instead of being joined first.
    FileParts positionData;
    // The build knows the picture position file holds its new content
    // already; commit leaves it alone.
    bool positionFileCurrent = false;
    // The build's page segments: when not empty, the project file is
    // `projectFile` followed by these pieces (pointing into
    // `projectDataBuffers`), written and compared from where they are.
    FileParts projectData;
    std::vector<QByteArray> projectDataBuffers;

private:
    struct PendingPage
    {
        QString path;
        QByteArray data;
        bool current = false; // the file holds `data` already
    };
    const Project &m_project;
    // Only the head of the project file was read (begin with
    // `slotAreaOnly`): writing it back is right only once the project data
    // after the slots has been made again.
    bool m_headOnly = false;
    std::map<int, QByteArray> m_instructionFiles;
    std::vector<PendingPage> m_pageFiles;
};

} // namespace h5
