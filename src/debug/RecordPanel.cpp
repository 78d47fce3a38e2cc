#include "debug/RecordPanel.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "link/DebugSession.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextCursor>
#include <QVBoxLayout>

namespace h5 {

namespace {

const QString kRecordFile = QStringLiteral("serialNote.txt");

} // namespace

RecordPanel::RecordPanel(DebugSession &session, Prompts &prompts, QWidget *parent)
    : QGroupBox(QStringLiteral("通讯记录"), parent), m_session(session), m_prompts(prompts)
{
    setObjectName(QStringLiteral("recordGroup"));
    m_box = new QPlainTextEdit(this);
    m_box->setObjectName(QStringLiteral("recordBox"));
    m_box->setReadOnly(true);
    m_box->setMinimumSize(280, 50);
    auto *clearButton = button(QStringLiteral("记录清除"), QStringLiteral("clearRecordButton"), this);
    auto *saveButton = button(QStringLiteral("记录保存"), QStringLiteral("saveRecordButton"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clearButton);
    buttons->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_box, 1);
    layout->addLayout(buttons);
    connect(clearButton, &QPushButton::clicked, this, &RecordPanel::clear);
    connect(saveButton, &QPushButton::clicked, this, &RecordPanel::save);
}

void RecordPanel::recordChanged()
{
    const QString &text = m_session.record().text();
    if (text.size() < m_shown) {
        m_box->clear();
        m_shown = 0;
    }
    QString added = text.mid(m_shown);
    m_shown = text.size();
    if (added.isEmpty())
        return;
    added.remove(QLatin1Char('\r'));
    // Hex shows in upper case; a path being recorded shows as it is.
    const qsizetype asIs = m_asIs.isEmpty() ? -1 : added.indexOf(m_asIs);
    if (asIs < 0)
        added = added.toUpper();
    else
        added = added.left(asIs).toUpper() + m_asIs + added.mid(asIs + m_asIs.size()).toUpper();
    QTextCursor end(m_box->document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    m_box->verticalScrollBar()->setValue(m_box->verticalScrollBar()->maximum());
}

void RecordPanel::clear()
{
    m_session.clearRecord();
    m_box->clear();
    m_shown = 0;
}

// The record is appended to the file: the old content and the record are
// written together to a temporary file that then replaces it, so a failed
// write leaves the file as it was.
bool RecordPanel::append(const QString &path, QString *error)
{
    QByteArray content;
    if (QFileInfo::exists(path) && !readWholeFile(path, content, error))
        return false;
    const std::string bytes = toGbk(m_session.record().text());
    content.append(bytes.data(), qsizetype(bytes.size()));
    return writeFileAtomically(path, content, error);
}

void RecordPanel::save()
{
    // "serialNote.txt" in the user's data folder: the program's own folder
    // cannot be written by a user once the program is installed.
    const QString folder = m_folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                              : m_folder;
    QString path = QDir(folder).filePath(kRecordFile);
    const bool writable = !folder.isEmpty() && QDir().mkpath(folder) && QFileInfo(folder).isDir()
                          && QFileInfo(folder).isWritable();
    if (!writable) {
        // No data folder to write in: the user says where the record goes.
        FileRequest request;
        request.kind = FileRequest::Kind::Save;
        request.caption = QStringLiteral("记录保存");
        request.filter = QStringLiteral("文本文件(*.txt)");
        request.defaultSuffix = QStringLiteral("txt");
        request.fileName = kRecordFile;
        const QString chosen = m_prompts.chooseFile(request);
        if (chosen.isEmpty())
            return;
        path = chosen;
    }
    QString error;
    if (!append(path, &error)) {
        m_prompts.message(QStringLiteral("记录保存失败：") + QDir::toNativeSeparators(path) + QStringLiteral("：")
                          + error);
        return;
    }
    // A finished piece of work, told with the information icon.
    m_prompts.message(MessageKind::Information,
                      QStringLiteral("记录保存完毕，路径为") + QDir::toNativeSeparators(path));
}

} // namespace h5
