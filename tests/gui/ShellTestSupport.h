#pragma once
// A main frame and application object wired to a recording notifier and
// scripted forms, so the shell runs offscreen without any modal window.

#include "support/TestUtil.h"

#include "editor/CMyView.h"
#include "shell/CChildFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CMyApp.h"
#include "shell/ShellDialogs.h"
#include "shell/ShellNotifier.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace h5test {

class RecordingShellNotifier : public h5::ShellNotifier
{
public:
    void message(const QString &text) override { messages << text; }
    bool question(const QString &text) override
    {
        questions << text;
        return answer;
    }
    void status(const QString &text) override { statuses << text; }
    SaveAnswer askSave(const QString &text) override
    {
        saveQuestions << text;
        return saveAnswer;
    }

    bool answer = true;
    SaveAnswer saveAnswer = SaveAnswer::Discard;
    QStringList messages;
    QStringList questions;
    QStringList statuses;
    QStringList saveQuestions;
};

// Answers the forms and file choosers; remembers what the forms offered.
class ScriptedDialogs : public h5::ShellDialogs
{
public:
    bool newProject(h5::NewProjectValues &values) override
    {
        offeredProject = values;
        if (!projectAnswer)
            return false;
        values = *projectAnswer;
        return true;
    }
    QString openProjectFile(const QString &) override { return projectFile; }
    bool pageSettings(int resolution, h5::NewPageValues &values, int pageLength) override
    {
        offeredResolution = resolution;
        offeredPage = values;
        offeredLength = pageLength;
        if (!pageAnswer)
            return false;
        pageAnswer(values);
        return true;
    }
    QStringList openPageFiles(const QString &startDir) override
    {
        offeredDir = startDir;
        return pageFiles;
    }

    QString openPictureFile(const QString &) override { return pictureFile; }
    QString saveBitmapFile(const QString &startDir) override
    {
        ++bitmapFileAsked;
        offeredDir = startDir;
        return bitmapFile;
    }
    bool screenshotArea(h5::ScreenshotValues &values) override
    {
        offeredScreenshot = values;
        if (!screenshotAnswer)
            return false;
        values = *screenshotAnswer;
        return true;
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
        app->setNotifier(&notifier);
        app->setDialogs(&dialogs);
        frame = std::make_unique<h5::CMainFrame>(*app);
        frame->setDialogRunner([](QDialog &) { return 0; });
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
        dialogs.projectAnswer = h5::NewProjectValues{name, dir.path(), resolution};
        app->onNewProject();
        return app->isProjectOpen() && app->project().name == name;
    }

    // New page through the new-page command, with the offered values or the
    // given page number.
    bool newPage(int pageNo = -1)
    {
        dialogs.pageAnswer = [pageNo](h5::NewPageValues &v) {
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
    RecordingShellNotifier notifier;
    ScriptedDialogs dialogs;
    std::unique_ptr<h5::CMyApp> app;
    std::unique_ptr<h5::CMainFrame> frame;
};

} // namespace h5test
