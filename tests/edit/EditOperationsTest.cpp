// Edit commands on a page: the undo model with delete markers and the two
// stacks, cut, copy and paste through the application clipboard, the layer
// moves and the enabling rules.

#include "support/TestUtil.h"

#include "edit/EditOperations.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

using namespace h5;
using h5test::element;

namespace {

CGraph named(const std::string &name, int kind = Kind::HollowRect, int id = 0)
{
    CGraph e = element(kind, id, {20, 30}, {60, 50});
    e.m_strText1 = name;
    return e;
}

// "A B #1": element names, markers as '#' and the index they hold.
std::string describe(const std::vector<CGraph> &list)
{
    std::string out;
    for (const CGraph &e : list) {
        if (!out.empty())
            out += ' ';
        out += e.m_nKind == Kind::DeleteMarker ? "#" + std::to_string(e.m_nSource) : e.m_strText1;
    }
    return out;
}

// Runs "draw X", "select N", "delete", "cut", "copy", "paste", "undo",
// "redo", "back", "front" on a page.
void run(EditState &state, ElementClipboard &clipboard, const std::vector<std::string> &steps)
{
    for (const std::string &step : steps) {
        const QStringList words = QString::fromStdString(step).split(QLatin1Char(' '));
        const QString op = words.value(0);
        if (op == QLatin1String("draw"))
            state.elements().push_back(named(words.value(1).toStdString()));
        else if (op == QLatin1String("select"))
            state.select(words.value(1).toInt());
        else if (op == QLatin1String("delete"))
            deleteSelected(state);
        else if (op == QLatin1String("cut"))
            cutSelected(state, clipboard);
        else if (op == QLatin1String("copy"))
            copySelected(state, clipboard);
        else if (op == QLatin1String("paste"))
            paste(state, clipboard);
        else if (op == QLatin1String("undo"))
            undo(state);
        else if (op == QLatin1String("redo"))
            redo(state);
        else if (op == QLatin1String("back"))
            sendToBack(state);
        else if (op == QLatin1String("front"))
            bringToFront(state);
        else
            FAIL() << "unknown step " << step;
    }
}

} // namespace

TEST(UndoRedo, SequencesLeaveListAndStacksAsRecorded)
{
    const struct {
        const char *name;
        std::vector<std::string> steps;
        const char *list, *deleted, *redo;
    } cases[] = {
        {"delete marks the end", {"draw A", "draw B", "draw C", "select 1", "delete"}, "A C #1", "B", ""},
        {"undo of a delete puts it back in place",
         {"draw A", "draw B", "draw C", "select 1", "delete", "undo"}, "A B C", "", "#1"},
        {"redo of a delete removes it again",
         {"draw A", "draw B", "draw C", "select 1", "delete", "undo", "redo"}, "A C #1", "B", ""},
        {"undo of the only element's delete", {"draw A", "select 0", "delete", "undo"}, "A", "", "#0"},
        {"second undo undoes the creation",
         {"draw A", "select 0", "delete", "undo", "undo"}, "", "", "#0 A"},
        {"redo appends after a newer creation", {"draw A", "undo", "draw B", "redo"}, "B A", "", ""},
        {"two deletes undone in reverse",
         {"draw A", "draw B", "draw C", "select 1", "delete", "select 0", "delete", "undo", "undo"},
         "A B C", "", "#0 #1"},
        {"two deletes undone and redone",
         {"draw A", "draw B", "draw C", "select 1", "delete", "select 0", "delete", "undo", "undo",
          "redo", "redo"},
         "C #1 #0", "B A", ""},
        {"undo after a marker undoes the marker only",
         {"draw A", "draw B", "select 0", "delete", "draw C", "undo", "undo"}, "A B", "", "C #0"},
        {"undo of a paste", {"draw A", "select 0", "copy", "paste", "undo"}, "A", "", "A"},
        {"delete without a selection does nothing", {"draw A", "delete"}, "A", "", ""},
        {"layer moves are not recorded", {"draw A", "draw B", "select 1", "back", "undo"}, "B", "", "A"},
    };
    for (const auto &c : cases) {
        Page page;
        EditState state(page);
        ElementClipboard clipboard;
        run(state, clipboard, c.steps);
        EXPECT_EQ(describe(state.elements()), c.list) << c.name;
        EXPECT_EQ(describe(state.deletedStack), c.deleted) << c.name;
        EXPECT_EQ(describe(state.redoStack), c.redo) << c.name;
    }
}

TEST(UndoRedo, DeleteRecordsTheSourceIndexAndReturnsToThePointerTool)
{
    Page page;
    EditState state(page);
    ElementClipboard clipboard;
    run(state, clipboard, {"draw A", "draw B", "draw C"});
    state.tool = Tool::Line;
    EXPECT_FALSE(deleteSelected(state).modified);
    EXPECT_EQ(state.tool, Tool::Pointer);

    state.select(2);
    const EditOutcome out = deleteSelected(state);
    EXPECT_TRUE(out.redraw && out.modified);
    EXPECT_FALSE(state.selected);
    EXPECT_EQ(state.sourceIndex, 2);
    EXPECT_EQ(state.elements().back().m_nKind, Kind::DeleteMarker);
}

TEST(Clipboard, PastePlacesTheCopyNearTheCornerWithTheNextControlId)
{
    const struct {
        const char *name;
        CGraph copied;
        std::vector<CGraph> page;
        QPoint a, b;
        int id;
    } cases[] = {
        {"rectangle keeps its size", element(Kind::HollowRect, 3, {100, 200}, {140, 230}), {}, {5, 5},
         {45, 35}, 0},
        {"reversed box keeps its direction", element(Kind::SolidRect, 0, {100, 200}, {60, 180}), {},
         {5, 5}, {-35, -15}, 0},
        {"circle of radius 20 centred at (25, 25)", element(Kind::HollowCircle, 0, {300, 300}, {312, 316}),
         {}, {25, 25}, {45, 25}, 0},
        {"id after the last control, not the highest",
         element(Kind::NumericCtrl, 2, {0, 0}, {10, 10}),
         {element(Kind::ButtonCtrl, 9, {0, 0}, {1, 1}), element(Kind::StringCtrl, 7, {0, 0}, {1, 1}),
          element(Kind::Line, 0, {0, 0}, {1, 1})},
         {5, 5}, {15, 15}, 8},
    };
    for (const auto &c : cases) {
        Page page;
        EditState state(page);
        state.elements() = c.page;
        state.tool = Tool::Line;
        ElementClipboard clipboard;
        clipboard.put(c.copied);
        const EditOutcome out = paste(state, clipboard);
        EXPECT_TRUE(out.modified) << c.name;
        const CGraph &e = state.elements().back();
        EXPECT_EQ(e.m_ptStart, c.a) << c.name;
        EXPECT_EQ(e.m_ptEnd, c.b) << c.name;
        EXPECT_EQ(e.m_nCtrlID, c.id) << c.name;
        EXPECT_EQ(e.m_nSource, -1) << c.name;
        EXPECT_EQ(state.sourceIndex, -1) << c.name;
        EXPECT_EQ(state.tool, Tool::Pointer) << c.name;
    }
}

TEST(Clipboard, PasteCopiesEveryOtherFieldOfTheCopiedElement)
{
    const CGraph c(Kind::ButtonCtrl, 4, {1, 2}, {30, 40}, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23,
                   24, 31, 32, "t1", "t3", "t2");
    const CGraph expected(Kind::ButtonCtrl, 0, {5, 5}, {34, 43}, 5, 6, 11, 12, 13, 14, 15, -1, 21,
                          22, 23, 24, 31, 32, "t1", "t3", "t2");
    EXPECT_EQ(pastedElement(c, 0), expected);
}

TEST(Clipboard, HoldsACopyThatOutlivesItsPage)
{
    ElementClipboard clipboard;
    {
        auto sourcePage = std::make_unique<Page>();
        EditState source(*sourcePage);
        source.elements().push_back(named("A", Kind::HollowRect));
        source.select(0);
        copySelected(source, clipboard);
        EXPECT_FALSE(source.selected);
        source.elements()[0].m_strText1 = "changed";
        sourcePage.reset();
    }
    Page otherPage;
    EditState other(otherPage);
    paste(other, clipboard);
    ASSERT_EQ(other.elements().size(), 1u);
    EXPECT_EQ(other.elements()[0].m_strText1, "A");
}

TEST(Clipboard, CopyThenDeleteThenPasteStillPastesAtTheCorner)
{
    Page page;
    EditState state(page);
    ElementClipboard clipboard;
    run(state, clipboard, {"draw A", "select 0", "copy", "select 0", "delete", "paste"});
    EXPECT_EQ(describe(state.elements()), "#0 A");
    EXPECT_EQ(state.elements().back().m_ptStart, QPoint(5, 5));
}

TEST(Clipboard, CutPutsTheElementOnTheClipboardAndDeletesIt)
{
    Page page;
    EditState state(page);
    ElementClipboard clipboard;
    run(state, clipboard, {"draw A", "draw B", "select 0", "cut"});
    EXPECT_EQ(describe(state.elements()), "B #0");
    ASSERT_TRUE(clipboard.element());
    EXPECT_EQ(clipboard.element()->m_strText1, "A");
    run(state, clipboard, {"paste", "undo", "undo"});
    EXPECT_EQ(describe(state.elements()), "A B");
}

TEST(EditLayers, ToBackAndToFrontMoveAllTheWay)
{
    const struct { const char *name; std::vector<std::string> steps; const char *list; } cases[] = {
        {"topmost of five to the back", {"select 4", "back"}, "E A B C D"},
        {"then to the front again", {"select 4", "back", "select 0", "front"}, "A B C D E"},
        {"middle to the front", {"select 2", "front"}, "A B D E C"},
        {"middle to the back", {"select 2", "back"}, "C A B D E"},
        {"bottom to the back stays", {"select 0", "back"}, "A B C D E"},
    };
    for (const auto &c : cases) {
        Page page;
        EditState state(page);
        ElementClipboard clipboard;
        run(state, clipboard, {"draw A", "draw B", "draw C", "draw D", "draw E"});
        run(state, clipboard, c.steps);
        EXPECT_EQ(describe(state.elements()), c.list) << c.name;
        EXPECT_FALSE(state.selected) << c.name;
    }
}

TEST(EditCommandEnabling, CommandsNeedTheirSelectionClipboardListOrRedoStack)
{
    using E = EditCommand;
    const E needSelection[] = {E::Delete, E::Cut, E::Copy, E::ToBack, E::ToFront};

    Page page;

    EditState state(page);
    ElementClipboard clipboard;
    for (E c : needSelection)
        EXPECT_FALSE(isEnabled(c, state, clipboard)) << int(c);
    EXPECT_FALSE(isEnabled(E::Paste, state, clipboard));
    EXPECT_FALSE(isEnabled(E::Undo, state, clipboard));
    EXPECT_FALSE(isEnabled(E::Redo, state, clipboard));

    run(state, clipboard, {"draw A", "select 0"});
    for (E c : needSelection)
        EXPECT_TRUE(isEnabled(c, state, clipboard)) << int(c);
    EXPECT_TRUE(isEnabled(E::Undo, state, clipboard));
    run(state, clipboard, {"copy"});
    EXPECT_TRUE(isEnabled(E::Paste, state, clipboard));
    EXPECT_FALSE(isEnabled(E::Delete, state, clipboard)) << "copy clears the selection";
    run(state, clipboard, {"undo"});
    EXPECT_TRUE(isEnabled(E::Redo, state, clipboard));
    // A selection index that names no element any more enables nothing.
    state.select(3);
    EXPECT_FALSE(isEnabled(E::Delete, state, clipboard));
    EXPECT_EQ(runEditCommand(E::Delete, state, clipboard).modified, false);
    EXPECT_TRUE(runEditCommand(E::Redo, state, clipboard).modified);
    EXPECT_EQ(describe(state.elements()), "A");
}
