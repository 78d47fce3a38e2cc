#include "link/PictureListDownload.h"

#include <string>

namespace h5 {

std::vector<DebugPicture> PictureListDownload::begin(const std::vector<PictureEntry> &entries)
{
    m_entries = entries;
    m_running = true;
    std::vector<DebugPicture> list;
    list.reserve(m_entries.size());
    for (const PictureEntry &e : m_entries)
        list.push_back(DebugPicture{e.number, e.width, e.height, -1});
    return list;
}

void PictureListDownload::cancel()
{
    m_entries.clear();
    m_running = false;
}

void PictureListDownload::end(const std::vector<DebugPicture> &placed, std::vector<PictureEntry> &list)
{
    for (size_t i = 0; i < placed.size() && i < m_entries.size(); ++i) {
        if (placed[i].firstBlock < 0)
            continue;
        for (PictureEntry &e : list)
            if (e.number == m_entries[i].number && e.path == m_entries[i].path)
                e.blockAddress = std::to_string(placed[i].firstBlock);
    }
    cancel();
}

} // namespace h5
