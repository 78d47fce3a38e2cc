#pragma once
// Properties of the built project reader behind `h5800 preview` and the
// app's terminal preview (terminal/BuiltProject.h), checked by
// fuzz_built_project and replayed by the tests. A one-page project with a
// control is built once; each input then damages one of its built files:
//   byte 0 % 3 == 0   the rest replaces the project data of the .wgc
//   byte 0 % 3 == 1   bytes 1..2 (low byte first) are an offset into the
//                     project data the build wrote, the rest overwrites it
//                     from there (the data grows when it runs past the end)
//   byte 0 % 3 == 2   the rest replaces the picture position file
// Properties:
//   - reading changes neither file
//   - a .wgc the download refuses (checkProjectFile) is refused as damaged
//     with "工程文件已损坏：" and its path; a picture position file the
//     download refuses (checkPictureList) likewise with "图片文件已损坏："
//   - a project read without complaint holds the page's stream exactly as
//     the build wrote it, on the layer it was built for: the page file is
//     compiled and compared, so a changed segment is never drawn as built
//   - an outdated project names the page file

#include "FuzzCheck.h"
#include "FuzzTempFiles.h"

#include "common/Bytes.h"
#include "common/Notifier.h"
#include "link/DownloadInputs.h"
#include "project/Build.h"
#include "terminal/BuiltProject.h"

#include <cstdint>

namespace h5fuzz {

struct BuiltFixture
{
    h5::Project project;
    QByteArray wgc;       // the .wgc as built
    QByteArray positions; // the picture position file as built
    h5::ProjectPages pages;
};

inline const BuiltFixture &builtFixture()
{
    static const BuiltFixture fixture = [] {
        using namespace h5;
        BuiltFixture f;
        RecordingNotifier notifier;
        if (!Project::create(scratchDir().path(), QStringLiteral("built"), 3, f.project, notifier, nullptr))
            std::abort();
        NewPageValues v;
        v.pageNo = 0;
        v.layer = 1;
        OpenPage page;
        if (f.project.newPage(v, notifier, page, nullptr, nullptr) != Project::NewPageResult::Created)
            std::abort();
        page.page.elements.push_back(CGraph(Kind::Line, 0, {1, 1}, {40, 30}, 0, 0, RGB(255, 0, 0), 0, 0, 0,
                                            0, 0, 0, 0, 0, 0, 0, 0, "", "", ""));
        page.page.elements.push_back(CGraph(Kind::StringCtrl, 5, {10, 10}, {60, 30}, 0, 0, RGB(0, 255, 0), 0,
                                            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "", "", ""));
        std::vector<OpenPage> pages{page};
        if (!buildProject(f.project, pages, notifier).completed)
            std::abort();
        f.wgc = readScratch(f.project.file);
        f.positions = readScratch(f.project.positionFilePath());
        if (!readProjectPages(f.wgc.mid(kProjectDataOffset), f.pages, nullptr) || !f.pages.has(0))
            std::abort();
        return f;
    }();
    return fixture;
}

inline void checkBuiltProjectInput(const uint8_t *data, size_t size)
{
    using namespace h5;
    if (size == 0)
        return;
    const BuiltFixture &f = builtFixture();
    const QByteArray rest(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);
    QByteArray wgc = f.wgc;
    QByteArray positions = f.positions;
    switch (data[0] % 3) {
    case 0:
        wgc = f.wgc.left(kProjectDataOffset) + rest;
        break;
    case 1: {
        if (rest.size() < 2)
            return;
        const qsizetype at = kProjectDataOffset + getLe16(rest.constData());
        const QByteArray bytes = rest.mid(2);
        if (wgc.size() < at + bytes.size())
            wgc.resize(at + bytes.size(), '\0');
        wgc.replace(at, bytes.size(), bytes);
        break;
    }
    default:
        positions = rest;
        break;
    }
    writeScratch(f.project.file, wgc);
    writeScratch(f.project.positionFilePath(), positions);

    BuiltProject built;
    QString faultFile, error;
    const BuiltProject::Status status = BuiltProject::read(f.project.file, built, &faultFile, &error);
    check(readScratch(f.project.file) == wgc && readScratch(f.project.positionFilePath()) == positions,
          "reading changes neither file");

    // The whole .wgc is checked first, then (the page being unchanged) the
    // picture position file.
    const bool projectWhole = wgc.size() == kProjectDataOffset || checkProjectFile(wgc, nullptr);
    const bool picturesWhole = checkPictureList(positions, readDownloadPictures(positions), nullptr);
    if (!projectWhole) {
        check(status == BuiltProject::Status::Damaged
                  && error.startsWith(QStringLiteral("工程文件已损坏：") + f.project.file),
              "a .wgc the download refuses is refused as damaged, naming it");
        return;
    }
    if (status == BuiltProject::Status::Outdated) {
        check(faultFile == f.project.pagePath(0), "an outdated project names the page file");
        return;
    }
    if (!picturesWhole && wgc.size() > kProjectDataOffset) {
        check(status == BuiltProject::Status::Damaged
                  && error.startsWith(QStringLiteral("图片文件已损坏：") + f.project.positionFilePath()),
              "a picture file the download refuses is refused as damaged, naming it");
        return;
    }
    if (status == BuiltProject::Status::Ok) {
        check(picturesWhole && built.pages.has(0)
                  && built.pages.pages[0].stream == f.pages.pages[0].stream
                  && built.pages.pages[0].layer == f.pages.pages[0].layer,
              "a project read without complaint holds the page as it was built");
    }
}

} // namespace h5fuzz
