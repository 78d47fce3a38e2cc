#pragma once
// A picture download of the debug window's list, from "下载图片" to its end:
// the entries it was started with, and, once it has ended, the first flash
// block the placement gave each picture written back into the list as its
// block address ("保存列表" then keeps it). The list may change while the
// download runs (rows moved, deleted, renumbered): an address lands on the
// entries that still hold the same picture under the same number, wherever
// they are now, and nowhere else.

#include "link/DebugSession.h"
#include "pictures/PictureEntry.h"

#include <vector>

namespace h5 {

class PictureListDownload
{
public:
    // Keeps `entries` as the download's own and returns them as the
    // session's download list, in the same order, none placed yet.
    std::vector<DebugPicture> begin(const std::vector<PictureEntry> &entries);
    // The download did not start: nothing will be written back.
    void cancel();
    // Between begin() and end() (or cancel()).
    bool running() const { return m_running; }
    // The entries the download was started with; entry `index` belongs to
    // picture `index` of the session's list.
    const std::vector<PictureEntry> &entries() const { return m_entries; }

    // The download has ended. `placed` is the session's list with the
    // block addresses its placement gave (-1 for pictures skipped or not
    // placed); every entry of `list` with the number and path of a placed
    // picture takes its address. The download is forgotten.
    void end(const std::vector<DebugPicture> &placed, std::vector<PictureEntry> &list);

private:
    std::vector<PictureEntry> m_entries;
    bool m_running = false;
};

} // namespace h5
