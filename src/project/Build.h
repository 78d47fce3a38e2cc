#pragma once
// The project build: saves the open pages, appends the project data (page
// index and page segments) to the project file, puts the pixel data of every
// picture a page shows into the picture position file, and checks the
// control IDs of all pages. Problems are collected into one report.

#include "common/Notifier.h"
#include "project/Project.h"

#include <QString>
#include <functional>
#include <vector>

namespace h5 {

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
BuildResult buildProject(const Project &project, std::vector<OpenPage> &pages, Notifier &notifier,
                         const BuildProgress &progress = {});

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
