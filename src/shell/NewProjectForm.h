#pragma once
// NewProjectForm, opened by "新建工程" (文件 menu and quick-launch tool bar).
//
// The form "新建工程": project name, location (chosen with "浏览") and the
// screen size of the terminal.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace h5 {

struct NewProjectValues
{
    QString name;
    QString location; // the folder the project folder is made in
    int resolution = 4;
};

class NewProjectForm : public QDialog
{
    Q_OBJECT
public:
    explicit NewProjectForm(QWidget *parent = nullptr);

    // The sizes in resolution index order: "320*234" ... "768*1024".
    static QStringList sizeNames();

    NewProjectValues values() const;
    void setValues(const NewProjectValues &values);

    // "浏览" asks for a folder through this; the default opens the folder
    // browser titled "Select folder". An empty answer changes nothing.
    using FolderChooser = std::function<QString(QWidget *parent)>;
    void setFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // What "浏览" does: the chosen folder followed by a separator.
    void browse();

    // OK: without a name ("工程名称不得为空!"), without a location
    // ("工程位置不得为空!") or over an existing project the form stays open
    // with what was typed and the field to mend focused.
    void accept() override;
    // Where those messages go; without a hook, a message box. Tests record.
    using MessageHook = std::function<void(const QString &)>;
    void setMessageHook(MessageHook hook) { m_messageHook = std::move(hook); }

private:
    QLineEdit *m_name = nullptr;
    QLineEdit *m_location = nullptr;
    QPushButton *m_browse = nullptr;
    QComboBox *m_size = nullptr;
    FolderChooser m_chooseFolder;
    MessageHook m_messageHook;
};

} // namespace h5
