#pragma once
// What a built project gives the terminal, read from its files: the pages
// of the project data appended to the .wgc, the stored pictures of the
// picture position file "图象位置信息.cbm", and the screen size. `h5800
// preview` and the app's terminal preview read a project through this, so
// both refuse the same projects:
//   not built        the .wgc holds no project data: "工程未编译，请先编译工程"
//   outdated         a page file of a used slot is newer than the .wgc:
//                    "页面文件比工程编译新，请先编译工程", naming the page file
// A missing picture position file gives a project without pictures.

#include "terminal/PageRun.h"

#include <QSize>
#include <QString>

namespace h5 {

struct BuiltProject
{
    QString projectFile;  // the .wgc
    int resolution = 0;   // its resolution index
    QSize screen;         // the screen size of that index
    ProjectPages pages;
    TerminalScreen::PictureLookup pictures;

    enum class Status { Ok, Unreadable, NotBuilt, Outdated };

    // Reads the project whose .wgc is `projectFile`. On failure `faultFile`
    // names the file at fault and `error` says what is wrong. With
    // `acceptOutdated` an outdated project is read all the same (the app's
    // preview shows the last build with a note): the result is Outdated
    // with `out` filled in.
    static Status read(const QString &projectFile, BuiltProject &out, QString *faultFile,
                       QString *error, bool acceptOutdated = false);

    // The page as the terminal draws it (previewPage); null with a reason
    // when the project lacks it.
    QImage preview(int page, QString *error) const
    {
        return previewPage(pages, screen, pictures, page, error);
    }
};

} // namespace h5
