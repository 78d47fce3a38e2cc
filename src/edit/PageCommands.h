#pragma once
// The page commands that tie an open page to its project: page settings
// (with renumbering), add the page to the project, delete the page from the
// project, and the estimate of a page's instruction length they store in
// its slot.
//
// The commands change the project's files and the page's settings; saving
// the page afterwards ("at once") is the document's save, to the path the
// result names.

#include "common/Notifier.h"
#include "edit/CommandIds.h"
#include "model/Page.h"
#include "project/Project.h"

#include <QString>
#include <optional>

namespace h5 {

enum class PageCommand : int {
    PageSettings = Cmd::PageSettings, // tool tip "页面设置"
    AddPage = Cmd::AddPage,           // "将当前画面添加进工程"
    DeletePage = Cmd::DeletePage,     // "从工程中删除当前画面"
};

// The page command of a command id, if it is one.
std::optional<PageCommand> pageCommandFor(int commandId);

// The instruction bytes the editor expects a page to compile to: a page
// header (10 bytes for an auxiliary or layered page, 18 for a plain main
// page) and a fixed size per element kind, delete markers excluded.
int estimateInstructionBytes(const Page &page);
// ceil((bytes + 15) / 2112): the flash pages stored in the page's slot.
int estimateInstructionPages(const Page &page);

// Whether page n's slot holds page n (its first 16 bits are n + 1). False
// when the project file cannot be read.
bool slotHoldsPage(const Project &project, int pageNo);
// Page settings is always enabled; add page when the slot does not hold
// this page, delete page when it does.
bool isPageCommandEnabled(PageCommand command, const Project &project, const Page &page);

struct PageCommandResult
{
    enum Status { Done, Cancelled, Failed };
    Status status = Failed;
    // The page's new document title ("n.wlp") and name ("n"); empty when
    // they do not change.
    QString title;
    QString pageName;
    // Save the page to this path at once (empty: nothing to save).
    QString savePath;
    // Windows of this page number must close (it was overwritten), -1: none.
    int closePage = -1;
    // Delete page: this page's own window closes.
    bool closeThisPage = false;
};

// Add page: writes the page's slot (n + 1, six zeros, the estimated
// instruction pages) and takes the project's resolution into the page's
// settings.
PageCommandResult addPageToProject(const Project &project, Page &page, QString *error);

// Delete page: asks "确定删除此页面?"; deletes the page file and instruction
// file of `pageName`, frees its slot and clears its page-use flag in every
// picture record, freeing the records no page uses any more. Without a
// picture position file the flags are left alone and the window stays open.
PageCommandResult deletePageFromProject(const Project &project, const QString &pageName,
                                        Notifier &notifier, QString *error);

// The page settings form's values of a page: page number, layer, main or
// auxiliary page, next page (1024 = none) and delay.
NewPageValues pageSettingsValues(const CTypeGraph &settings);
// Layers offered by the form for a resolution: 4 (indexes 6, 7), 2 (1, 2,
// 3, 8, 9, 10) or 1 (only "0", the combo disabled).
int layerChoiceCount(int resolution);

// The page settings form's OK. A new page number moves the page's slot,
// asking "第%d幅画面已存在，是否覆盖?" before replacing another page (whose
// files, picture flags and windows go), and renames the page file; then the
// settings take the form's values. `pageName` is the page's current name.
// A page outside the project is asked about as well when the number it
// moves to belongs to a page of the project or to an existing page file;
// replacing a page of the project gives it that page's slot.
PageCommandResult applyPageSettings(const Project &project, Page &page, const QString &pageName,
                                    const NewPageValues &values, Notifier &notifier,
                                    QString *error);

} // namespace h5
