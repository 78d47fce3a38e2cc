#pragma once
// NewProjectForm, opened by "新建工程" (文件 menu and quick-launch tool bar).
//
// The form "新建工程": project name, location (chosen with "浏览") and the
// screen size of the terminal.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace h5 {

class Prompts;

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
    // The folder browser and the messages go through `prompts` (the
    // form's own boxes, under its title).
    explicit NewProjectForm(Prompts &prompts, QWidget *parent = nullptr);
    ~NewProjectForm() override;

    // The sizes in resolution index order: "320*234" ... "768*1024".
    static QStringList sizeNames();

    NewProjectValues values() const;
    void setValues(const NewProjectValues &values);

    // What "浏览" does: the folder browser titled "Select folder"; the
    // chosen folder followed by a separator. Cancel changes nothing.
    void browse();

    // OK: without a name ("工程名称不得为空!"), without a location
    // ("工程位置不得为空!") or over an existing project the form stays open
    // with what was typed and the field to mend focused.
    void accept() override;

private:
    QLineEdit *m_name = nullptr;
    QLineEdit *m_location = nullptr;
    QPushButton *m_browse = nullptr;
    QComboBox *m_size = nullptr;
    std::unique_ptr<Prompts> m_prompts;
};

} // namespace h5
