#pragma once
// PageSettingsForm, opened by "新建页面" (文件 menu, Ctrl+N, quick-launch
// tool bar) and "页面设置" (quick-launch tool bar).
//
// The page settings form "画面设置": page number, placement layer, main or
// auxiliary page, the page length (shown only), and the next page with its
// delay for cycling mode. Used by the new-page command and by the page
// settings command of the page view.
//
// Typing into a combo box selects the item whose text equals the typed
// text; other text leaves the selection as it was. No range is checked: the
// values are always those of the selected items.

#include "project/Project.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace h5 {

class PageSettingsForm : public QDialog
{
    Q_OBJECT
public:
    // `resolution` chooses the layers offered (layerChoiceCount in
    // edit/PageCommands.h); `pageLength` is shown in the
    // page length box (the page's instruction pages).
    PageSettingsForm(int resolution, const NewPageValues &initial, int pageLength,
                     QWidget *parent = nullptr);

    NewPageValues values() const;
    // Selects the items of `values`; a value without an item selects the
    // first one.
    void setValues(const NewPageValues &values);
    // The resolution the layers are offered for, and the page length shown.
    int resolution() const { return m_resolution; }
    int pageLength() const;

private:
    QComboBox *makeCombo(const QString &name, int first, int last);

    int m_resolution = 0;
    QComboBox *m_pageNo = nullptr;
    QComboBox *m_layer = nullptr;
    QRadioButton *m_main = nullptr;
    QRadioButton *m_auxiliary = nullptr;
    QLineEdit *m_pageLength = nullptr;
    QComboBox *m_nextPage = nullptr;
    QComboBox *m_delay = nullptr;
};

} // namespace h5
