#pragma once
// What a built project gives the terminal, read from its files: the pages
// of the project data appended to the .wgc, the stored pictures of the
// picture position file "图象位置信息.cbm", and the screen size. `h5800
// preview` and the app's terminal preview read a project through this, so
// both refuse the same projects, with the same messages:
//   not built   the .wgc holds no project data: "工程未编译，请先编译工程"
//   damaged     the .wgc or the picture position file fails the whole-file
//               checks a download makes (link/DownloadInputs.h), or is
//               larger than anything the terminal can hold:
//               "工程文件已损坏：PATH（…）", "图片文件已损坏：PATH（…）"
//   outdated    a page file of a used slot, compiled now, gives other bytes
//               than the build holds for its page (pageChangedSinceBuild):
//               "页面文件比工程编译新，请先编译工程", naming the page file.
//               File times alone never make a project outdated.
// A missing picture position file gives a project without pictures.

#include "common/Flash.h"
#include "project/ProjectFile.h"
#include "terminal/PageRun.h"

#include <QSize>
#include <QString>

namespace h5 {

// The largest files a build can make that the terminal can still take;
// anything larger is refused by its size before it is read.
//   project file: header and slots, project header and page index, 1024
//     page segments of at most 255 flash pages (the slot keeps the length
//     in one byte), and behind them a control table block per page and a
//     definition block and a needle table block for each control ID 0..2047
//     (the terminal keeps one of each per ID)
inline constexpr qint64 kMaxProjectFileBytes = kProjectDataOffset + 7 + 2 * kPageSlots
    + qint64(kPageSlots) * (11 + 255 * qint64(kFlashPage))
    + qint64(kPageSlots + 2 * 2048) * (9 + kFlashPage);
//   picture position file: the 600 records and a data area no larger than
//     the terminal's picture store of 600 flash blocks
inline constexpr qint64 kMaxPositionFileBytes = kSlotAreaSize + qint64(kSlotCount) * kFlashBlock;

struct BuiltProject
{
    QString projectFile;  // the .wgc
    int resolution = 0;   // its resolution index
    QSize screen;         // the screen size of that index; empty until read
    ProjectPages pages;
    QByteArray projectData; // as a download sends it, the pages' source
    TerminalScreen::PictureLookup pictures;

    enum class Status { Ok, Unreadable, NotBuilt, Damaged, Outdated };

    // Reads the project whose .wgc is `projectFile`. On failure `faultFile`
    // names the file at fault and `error` says what is wrong. For Damaged
    // (a file that fails the whole-file checks, or cannot be read for them)
    // `error` is the whole message and names the file itself.
    // With `acceptOutdated` an outdated project whose files are whole is
    // read all the same (the app's preview shows the last build with a
    // note): the result is Outdated with `out` filled in (isRead()).
    static Status read(const QString &projectFile, BuiltProject &out, QString *faultFile,
                       QString *error, bool acceptOutdated = false);

    // Whether `read` filled this in.
    bool isRead() const { return !screen.isEmpty(); }

    // The page as the terminal draws it (previewPage); null with a reason
    // when the project lacks it.
    QImage preview(int page, QString *error) const
    {
        return previewPage(pages, screen, pictures, page, error);
    }
};

} // namespace h5
