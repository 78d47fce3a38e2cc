#pragma once
// The project build: saves the open pages, appends the project data (page
// index and page segments) to the project file, puts the pixel data of every
// picture a page shows into the picture position file, and checks the
// control IDs of all pages. Problems are collected into one report.

#include "common/Notifier.h"
#include "project/Project.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace h5 {

// What one build changed against the build before it with the same cache.
struct BuildChanges
{
    // False when the cache held no earlier build: everything counts as new.
    bool known = false;
    // The project data (the .wgc from byte 102,406) differs.
    bool projectData = false;
    // Pages whose instruction file differs or is new, in page order.
    std::vector<int> pages;
    // Picture numbers whose data differs or is new, in number order.
    std::vector<int> pictures;

    bool any() const { return projectData || !pictures.empty(); }
};

// What the build remembers from one build to the next, so that the next
// one redoes only what changed. The caller keeps one per project (the app
// and the watch command do) and hands it to every build:
//   - every picture's conversion, keyed by the content of its file: a file
//     whose size, times and inode are as they were when it was read (and
//     was not then freshly written) is not read again; any other is read
//     and compared byte for byte with the files converted before, and only
//     a content never seen is converted;
//   - every page file the build read from disk, with what saving it gave
//     (buildProjectFiles): a page whose file holds the same bytes is not
//     compiled again;
//   - the picture position file as the build left it: when it is still
//     that file and its content would not change, it is neither compared
//     nor written.
// Nothing remembered is ever taken on trust where a doubt remains: a file
// written less than two seconds before it was looked at is compared
// instead. Every file a build writes is byte for byte what a build without
// the cache writes.
class BuildCache
{
public:
    BuildCache();
    ~BuildCache();
    BuildCache(const BuildCache &) = delete;
    BuildCache &operator=(const BuildCache &) = delete;

    // Forgets everything (the next build is a full one).
    void clear();

    // What the last completed build changed, and what it had to redo.
    const BuildChanges &changes() const;
    int picturesConverted() const;
    int pagesCompiled() const;
    // The picture position file was found current without reading it.
    bool positionFileTrusted() const;

    // The outputs of the last completed build: the project data (the
    // .wgc from byte 102,406), the 600 records of the picture position
    // file, and the pixel data of picture `number` (w x h x 2 bytes; false
    // when no page uses it).
    const QByteArray &projectData() const;
    const QByteArray &pictureRecords() const;
    bool picturePixels(int number, QByteArray &pixels, int &width, int &height) const;

    struct Data;
    Data &data() { return *d; }

private:
    std::unique_ptr<Data> d;
};

struct BuildResult
{
    // False when the build could not run to its end (a page did not
    // compile, a file could not be read or written); `error` says why and
    // no file of the project was changed by the build.
    bool completed = false;
    QString error;
    // The collected report, lines ending in CR LF; empty when nothing was
    // missing or clashing.
    QString report;
    // What the build shows last: the report, "编译完成!" or "无画面，编译完成!".
    QString finalMessage;
};

// Progress: step done out of total, for long builds.
using BuildProgress = std::function<void(int done, int total)>;

// `pages` are the open pages; they are saved (and so normalised) first.
// With a cache, pictures converted before are taken from it.
BuildResult buildProject(const Project &project, std::vector<OpenPage> &pages, Notifier &notifier,
                         const BuildProgress &progress = {}, BuildCache *cache = nullptr);

// The build of `h5800 build`: every page of the project's used slots is
// opened from its file (Project::openAllPages, with its messages; the pages
// that do not open counted in `pageFailures`), then built as buildProject
// does. With the cache, a page file holding the bytes it held at the
// last build is not opened or compiled again.
BuildResult buildProjectFiles(const Project &project, BuildCache &cache, Notifier &notifier,
                              int *pageFailures = nullptr, const BuildProgress &progress = {});

// Whether the project data of the last build still holds what the project's
// page files give: for every used slot of `projectFile` (the .wgc's page
// slots) the page file is loaded and compiled in memory exactly as a build
// compiles it (normalised, with the project's screen size; nothing is
// written), and its layer, page length and instruction file are compared
// with the page's index entry and segment in `builtData` (the project data,
// from byte 102,406 of the .wgc). Returns the first page, in slot order,
// whose bytes differ, or -1 when none does. File times do not count: a
// page file saved again with the same content, or a copied project, is
// as built.
//   - A slot without a page file is left out: a build takes its
//     instruction file as it is.
//   - A page file that does not load or compile (or that names another
//     page number) cannot be compared; it counts as changed when its
//     modification time is after the .wgc's.
int pageChangedSinceBuild(const Project &project, const ProjectFile &projectFile,
                          const QByteArray &builtData);

} // namespace h5
