#pragma once
// What one hot-reload round sends after a build: the project data alone
// when no picture changed, the project data and the changed pictures when
// some did, everything on the first round; then the page to show. Made
// from what the build's cache holds, so nothing is read back from disk.

#include "link/DownloadInputs.h"
#include "project/Build.h"

#include <QString>
#include <vector>

namespace h5 {

struct ReloadPlan
{
    // Anything to send at all.
    bool send = false;
    DownloadData data;         // project data, and pictures when any changed
    std::vector<int> pictures; // picture numbers sent
    int page = -1;             // the page to show after the download; -1 none

    // "工程数据" / "工程数据 + 图片 3,7", for the round's line.
    QString summary() const;
};

// The plan after a completed build of `cache`. `everything`: the whole project and
// every picture a page uses (the first round, when the terminal's content
// is not known). `savedPages`: pages whose files were saved, latest last;
// the page shown is the latest saved one whose build changed, else the
// first changed page, else the first page showing a changed picture.
// False (and `error` set) when the data the cache holds does not pass the
// checks a download makes.
// `changes` are the build's (BuildCache::changes()), with those of rounds
// that sent nothing added.
bool planReload(const BuildCache &cache, const BuildChanges &changes, bool everything,
                const std::vector<int> &savedPages, ReloadPlan &out, QString *error);

// `a` with what `b` changed added: the changes since the build before `a`.
BuildChanges mergeChanges(const BuildChanges &a, const BuildChanges &b);

} // namespace h5
