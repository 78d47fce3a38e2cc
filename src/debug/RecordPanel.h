#pragma once
// The group "通讯记录" of the debug window: every byte sequence sent and
// every report received, as the session records them (hex in upper case),
// "记录清除", and "记录保存", which appends the record to "serialNote.txt".

#include <QGroupBox>

class QPlainTextEdit;

namespace h5 {

class DebugSession;
class Prompts;

class RecordPanel : public QGroupBox
{
    Q_OBJECT
public:
    RecordPanel(DebugSession &session, Prompts &prompts, QWidget *parent = nullptr);

    // Where "记录保存" appends the record: the user's data folder
    // (QStandardPaths::AppDataLocation) unless set. When the folder cannot
    // be written, a save dialog asks for the file.
    void setRecordFolder(const QString &folder) { m_folder = folder; }

    // The session's record grew (or was cleared): the box follows it.
    void recordChanged();
    // While set, `text` shows in the box as it is, not in upper case (a
    // hex file's path being recorded).
    void setShownAsIs(const QString &text) { m_asIs = text; }

    void clear();
    void save();

private:
    // Appends the record to `path` (the file replaced atomically); false
    // with the reason in `error` when it could not.
    bool append(const QString &path, QString *error);

    DebugSession &m_session;
    Prompts &m_prompts;
    QString m_folder;
    QString m_asIs;
    qsizetype m_shown = 0;
    QPlainTextEdit *m_box = nullptr;
};

} // namespace h5
