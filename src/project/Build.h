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

} // namespace h5
