#pragma once
// The debug window as the tests drive it: its dialogs answered from
// queues, its message boxes and questions collected, pictures made on the
// fly, and the connection to h5800-sim.

#include "gui/SerialWindowSupport.h"
#include "port/BuiltinTestSupport.h"
#include "pictures/PictureTestImages.h"
#include "support/TestUtil.h"

#include "debug/DebugWindow.h"
#include "debug/LiveDrawingPanel.h"
#include "link/UserFontList.h"
#include "pictures/PictureList.h"
#include "debug/StatusText.h"
#include "link/DebugSession.h"
#include "pictures/PictureConvert.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace h5test {

using namespace h5;

inline constexpr int kTransferDeadline = 30000;

// A debug window whose choosers are answered from queues and whose message
// boxes and questions are collected; or one with the real boxes.
struct Window
{
    Messages messages; // the window's prompts
    QStringList &questions = messages.questions;
    bool &answer = messages.answer;
    QList<QStringList> &fileAnswers = messages.fileAnswers;
    QList<FileRequest> &fileRequests = messages.fileRequests;
    DebugWindow window;

    Window() : window(messages) { answer = false; }
    // The window on other prompts (the real boxes).
    explicit Window(Prompts &prompts) : window(prompts) { answer = false; }

    template <class T> T *get(const char *name) { return child<T>(window, name); }
    void click(const char *name) { get<QPushButton>(name)->click(); }
    QTableWidget *list() { return get<QTableWidget>("pictureList"); }
    QStringList column(int c, const char *view = "pictureList")
    {
        QStringList out;
        auto *table = get<QTableWidget>(view);
        for (int r = 0; r < table->rowCount(); ++r)
            out << (table->item(r, c) ? table->item(r, c)->text() : QString());
        return out;
    }
    void addPictures(const QStringList &paths)
    {
        fileAnswers << paths;
        click("addPicturesButton");
    }
    // Types `text` into the number cell of `row` after a double click.
    void typeNumber(int row, const QString &text, const char *view = "pictureList")
    {
        auto *table = get<QTableWidget>(view);
        table->item(row, 0)->setText(text); // what the cell editor commits
    }
    QString record() { return get<QPlainTextEdit>("recordBox")->toPlainText(); }
};

struct Pictures
{
    QTemporaryDir dir;
    QString make(const QString &name, int w, int h, int seed)
    {
        return saveImage(patternImage(w, h, seed), dir.filePath(name), "BMP");
    }
    static QByteArray pixels(const QString &path, int w, int h)
    {
        QByteArray out;
        EXPECT_TRUE(convertPicture(path, w, h, out));
        return out;
    }
};

inline bool connectTo(Window &w, const Sim &sim)
{
    openOn(w.window, sim.port());
    return waitFor([&] { return w.window.session().state() == LinkState::Ready; }, 5000);
}

// The same on the built-in terminal, on its virtual clock.
inline bool connectTo(Window &w, BuiltinRig &rig)
{
    openOn(w.window, rig.port());
    return rig.waitFor([&] { return w.window.session().state() == LinkState::Ready; }, 5000);
}

inline bool transferEnds(Window &w, BuiltinRig &rig)
{
    return rig.waitFor(
        [&] {
            const LinkState s = w.window.session().state();
            return s == LinkState::Ready || s == LinkState::Offline;
        },
        kTransferDeadline);
}

inline bool transferEnds(Window &w)
{
    return waitFor(
        [&] {
            const LinkState s = w.window.session().state();
            return s == LinkState::Ready || s == LinkState::Offline;
        },
        kTransferDeadline);
}

} // namespace h5test
