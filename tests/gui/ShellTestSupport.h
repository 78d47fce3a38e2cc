#pragma once
// A main frame and application object wired to scripted prompts, so the
// shell runs offscreen without any modal window.

#include "support/TestUtil.h"

#include "editor/CMyView.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CMyApp.h"
#include "editor/PageSettingsForm.h"
#include "editor/ScreenshotForm.h"
#include "shell/NewProjectForm.h"
#include "support/ScriptedPrompts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace h5test {

// The app's prompts: messages and questions recorded, the project
// commands' forms and choosers answered from the fields below (what the
// forms offered is remembered), any other form handed to `form`.
class ShellPrompts : public ScriptedPrompts
{
public:
    QStringList chooseFiles(const h5::FileRequest &request) override
    {
        if (request.filter.contains(QLatin1String("*.wgc")))
            return chosen(projectFile);
        if (request.filter.contains(QLatin1String("*.wlp"))) {
            offeredDir = request.folder;
            return pageFiles;
        }
        if (request.kind == h5::FileRequest::Kind::Save && request.filter.contains(QLatin1String("*.bmp"))) {
            ++bitmapFileAsked;
            offeredDir = request.folder;
            return chosen(bitmapFile);
        }
        if (request.filter.contains(QLatin1String("*.bmp *.jpg *.jpeg")) && request.caption.isEmpty())
            return chosen(pictureFile);
        return ScriptedPrompts::chooseFiles(request);
    }

    bool runForm(QDialog &dialog) override
    {
        if (auto *f = qobject_cast<h5::NewProjectForm *>(&dialog)) {
            formsRun << QStringLiteral("h5::NewProjectForm");
            offeredProject = f->values();
            if (!projectAnswer)
                return false;
            f->setValues(*projectAnswer);
            return true;
        }
        if (auto *f = qobject_cast<h5::PageSettingsForm *>(&dialog)) {
            formsRun << QStringLiteral("h5::PageSettingsForm");
            offeredResolution = f->resolution();
            offeredLength = f->pageLength();
            offeredPage = f->values();
            if (!pageAnswer)
                return false;
            h5::NewPageValues values = f->values();
            pageAnswer(values);
            f->setValues(values);
            return true;
        }
        if (auto *f = qobject_cast<h5::ScreenshotForm *>(&dialog)) {
            formsRun << QStringLiteral("h5::ScreenshotForm");
            offeredScreenshot = f->values();
            if (!screenshotAnswer)
                return false;
            f->intBoxNamed(QStringLiteral("left"))->setText(QString::number(screenshotAnswer->left));
            f->intBoxNamed(QStringLiteral("top"))->setText(QString::number(screenshotAnswer->top));
            f->intBoxNamed(QStringLiteral("right"))->setText(QString::number(screenshotAnswer->right));
            f->intBoxNamed(QStringLiteral("bottom"))->setText(QString::number(screenshotAnswer->bottom));
            return f->tryAccept();
        }
        return ScriptedPrompts::runForm(dialog);
    }

    std::optional<h5::NewProjectValues> projectAnswer;
    QString projectFile;
    QString pictureFile; // empty: Cancel
    QString bitmapFile;  // empty: Cancel
    int bitmapFileAsked = 0;
    std::optional<h5::ScreenshotValues> screenshotAnswer; // empty: Cancel
    std::optional<h5::ScreenshotValues> offeredScreenshot;
    // Changes the offered values as the user would; empty: Cancel.
    std::function<void(h5::NewPageValues &)> pageAnswer = [](h5::NewPageValues &) {};
    QStringList pageFiles;

    std::optional<h5::NewProjectValues> offeredProject;
    std::optional<h5::NewPageValues> offeredPage;
    int offeredResolution = -1;
    int offeredLength = -1;
    QString offeredDir;

private:
    static QStringList chosen(const QString &path) { return path.isEmpty() ? QStringList() : QStringList{path}; }
};

inline void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

class ShellFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        app = std::make_unique<h5::CMyApp>(dir.filePath(QStringLiteral("settings.ini")));
        app->setPrompts(&prompts);
        frame = std::make_unique<h5::CMainFrame>(*app);
        frame->show();
    }

    void TearDown() override
    {
        if (frame)
            for (h5::CMyView *view : frame->pageViews())
                frame->closePageWindow(view);
        processDeletes();
        frame.reset();
        app.reset();
    }

    // A new project LOCATION/NAME through the new-project command.
    bool newProject(const QString &name = QStringLiteral("proj"), int resolution = 3)
    {
        prompts.projectAnswer = h5::NewProjectValues{name, dir.path(), resolution};
        app->onNewProject();
        return app->isProjectOpen() && app->project().name == name;
    }

    // New page through the new-page command, with the offered values or the
    // given page number.
    bool newPage(int pageNo = -1)
    {
        prompts.pageAnswer = [pageNo](h5::NewPageValues &v) {
            if (pageNo >= 0)
                v.pageNo = pageNo;
        };
        const int before = int(frame->pageViews().size());
        app->onNewPage();
        return int(frame->pageViews().size()) > before;
    }

    QStringList titles() const
    {
        QStringList out;
        for (h5::CMyView *view : frame->pageViews())
            out << view->title();
        return out;
    }

    QTemporaryDir dir;
    ShellPrompts prompts;
    std::unique_ptr<h5::CMyApp> app;
    std::unique_ptr<h5::CMainFrame> frame;
};

} // namespace h5test
