#pragma once
// What the project navigator lists: the project's pages (from the page
// slots of the project file and the fixed prefix of each page file) and its
// pictures (from the records of the picture position file), read from disk
// in one go. No widget; the navigator dock only shows these rows.

#include "project/Project.h"

#include <QString>
#include <set>
#include <vector>

namespace h5 {

struct OverviewPage
{
    int pageNo = 0;
    int layer = -1;         // -1 when the page file could not be read
    bool auxiliary = false; // auxiliary page, else main page
    int length = 0;         // compiled length in flash pages (the slot's byte 8)
    bool open = false;      // a page window shows it
    bool fileMissing = false;        // the slot is used but its page file is gone
    bool instructionMissing = false; // no instruction file: never compiled
};

struct OverviewPicture
{
    int number = 0;
    QString file; // the name in the picture folder
    int width = 0;
    int height = 0;
    int blocks = 0;         // flash blocks it needs
    std::vector<int> pages; // page numbers that use it, ascending
    bool missing = false;   // no file of that name in the picture folder
};

struct ProjectOverview
{
    std::vector<OverviewPage> pages;       // by page number
    std::vector<OverviewPicture> pictures; // by picture number
    // The picture position file could not be read; the pages are still
    // listed. Empty when it was read.
    QString pictureError;
};

// Reads the project's page slots, page file prefixes and picture records.
// `openPages`: page numbers that have a window. False with `error` when the
// project file cannot be read; nothing is written either way.
bool readProjectOverview(const Project &project, const std::set<int> &openPages,
                         ProjectOverview &out, QString *error);

} // namespace h5
