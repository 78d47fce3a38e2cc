// "终端预览" on the built demo project: it refuses a damaged build with the
// download's message and draws nothing, and it tells a page whose content
// changed since the build from one whose file was only saved again.

#include "support/TestUtil.h"

#include "editor/TerminalPreviewWindow.h"
#include "model/Page.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using h5test::readAll;
using h5test::writeRaw;

namespace {

class TerminalPreviewWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        const auto r = h5test::runCli({"demo", tmp.path()});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        wgc = tmp.filePath(QStringLiteral("demo/demo.wgc"));
        cbm = tmp.filePath(QStringLiteral("demo/图象位置信息.cbm"));
        page1 = tmp.filePath(QStringLiteral("demo/1.wlp"));
    }

    QTemporaryDir tmp;
    QString wgc, cbm, page1;
};

} // namespace

TEST_F(TerminalPreviewWindowTest, ADamagedBuildIsRefusedWithTheDownloadsMessage)
{
    const QByteArray wgcBytes = readAll(wgc), cbmBytes = readAll(cbm);
    struct Case
    {
        QString file;
        QByteArray bytes;
        QString says;
    };
    const Case cases[] = {
        {cbm, cbmBytes.left(1236000 + 1000), QStringLiteral("图片文件已损坏：") + cbm},
        {wgc, wgcBytes.chopped(100), QStringLiteral("工程文件已损坏：") + wgc},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.says.toStdString());
        ASSERT_TRUE(writeRaw(c.file, c.bytes));
        h5::TerminalPreviewWindow dialog(wgc, 1, QImage(), false);
        EXPECT_TRUE(dialog.terminalImage().isNull());
        EXPECT_TRUE(dialog.note().startsWith(c.says)) << dialog.note().toStdString();
        ASSERT_TRUE(writeRaw(c.file, c.file == wgc ? wgcBytes : cbmBytes));
    }
}

TEST_F(TerminalPreviewWindowTest, OnlyAPageWhoseContentChangedIsNotedAsChangedSinceTheBuild)
{
    h5::TerminalPreviewWindow built(wgc, 1, QImage(), false);
    ASSERT_FALSE(built.terminalImage().isNull());
    EXPECT_TRUE(built.note().isEmpty()) << built.note().toStdString();

    // Saved again unchanged after the build: nothing to note.
    {
        QFile f(page1);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QFileInfo(wgc).lastModified().addSecs(3600),
                                  QFileDevice::FileModificationTime));
    }
    h5::TerminalPreviewWindow touched(wgc, 1, QImage(), false);
    EXPECT_EQ(touched.terminalImage(), built.terminalImage());
    EXPECT_TRUE(touched.note().isEmpty()) << touched.note().toStdString();

    // Changed: the last build is shown with the note.
    h5::Page page;
    ASSERT_TRUE(page.load(page1, nullptr));
    page.elements.push_back(h5test::element(h5::Kind::Line, 0, {5, 5}, {60, 40}));
    ASSERT_TRUE(page.save(page1, nullptr));
    h5::TerminalPreviewWindow changed(wgc, 1, QImage(), false);
    EXPECT_EQ(changed.terminalImage(), built.terminalImage());
    EXPECT_TRUE(changed.note().contains(QStringLiteral("已修改"))) << changed.note().toStdString();
}
