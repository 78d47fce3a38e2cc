#pragma once
// The online debug window "在线调试": one terminal driven live over its own
// serial port. Its picture list is downloaded into the terminal's flash
// ("下载图片"), the fonts of the user font page with "发送", and every byte
// sequence sent and every report received goes into the communication
// record. Several windows may be open at once, each with its own port,
// session and list; nothing is shared between them (a download is staged in
// the window's own memory, not in common work files).
//
// The window opens in its compact form (the upper half); "实时动态调试"
// switches to the full form, whose lower half holds the simulated screen.
// It is an ordinary top-level window (the main frame creates it without a
// parent, so it is not kept above the frame); its content scrolls when the
// screen is too small for it. Escape does not close it, and closing it
// while it holds an open port, an unsaved picture or font list or a
// communication record asks first.

#include "link/DebugSession.h"
#include "link/LiveClicks.h"
#include "link/LiveCommands.h"
#include "terminal/LiveMirror.h"
#include "link/UserFontList.h"
#include "pictures/PictureList.h"
#include "port/PortLine.h"
#include "serial/WindowLinkHost.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSlider;
class QTimer;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class QCloseEvent;

namespace h5 {

class PortControls;
class StatusText;

class CMySerialBmpDlg : public QWidget
{
    Q_OBJECT
public:
    // A file dialog the window asks for. The answer is the chosen paths
    // (one for open and save), empty when cancelled.
    struct FileRequest
    {
        enum Kind { Open, OpenMany, Save } kind = Open;
        QString caption;
        QString filter;        // Qt form, "图片文件(*.bmp *.jpg *.jpeg)"
        QString defaultSuffix; // without the dot, may be empty
        QString fileName;      // a name to offer (save dialogs), may be empty
    };
    using FileDialogHook = std::function<QStringList(const FileRequest &request)>;

    explicit CMySerialBmpDlg(QWidget *parent = nullptr);
    ~CMySerialBmpDlg() override;

    // Replace the file dialogs, message boxes and yes/no questions (empty
    // hooks restore the real ones).
    void setFileDialogHook(FileDialogHook hook) { m_fileDialog = std::move(hook); }
    void setMessageHook(WindowLinkHost::MessageHook hook);
    void setAskHook(WindowLinkHost::AskHook hook);
    // Replace the colour dialog (the answer is the chosen colour, invalid
    // when cancelled), the font chooser (true with the choice on OK) and
    // the touch mode form (true with mode and interval on OK).
    using ColourDialogHook = std::function<QColor(const QColor &current)>;
    using FontDialogHook = std::function<bool(int &sizeIndex, int &faceIndex)>;
    using TouchModeHook = std::function<bool(int &mode, int &interval)>;
    void setColourDialogHook(ColourDialogHook hook) { m_colourDialog = std::move(hook); }
    void setFontDialogHook(FontDialogHook hook) { m_fontDialog = std::move(hook); }
    void setTouchModeHook(TouchModeHook hook) { m_touchModeDialog = std::move(hook); }
    // Where "记录保存" appends the record: the user's data folder
    // (QStandardPaths::AppDataLocation) unless set. When the folder cannot
    // be written, a save dialog asks for the file.
    void setRecordFolder(const QString &folder) { m_recordFolder = folder; }

    // What closing the window now would lose, as the question asked before
    // it closes; empty when nothing would be lost.
    QString closeQuestion() const;

    const PictureList &pictureList() const { return m_pictures; }
    const UserFontList &fontList() const { return m_fonts; }
    const DebugSession &session() const { return *m_session; }
    PortControls *portControls() const { return m_ports; }
    bool isFullForm() const { return m_full; }
    // The simulated screen as it is drawn (resolution plus a border).
    const QImage &screen() const { return m_mirror.image(); }
    const LiveMirror &mirror() const { return m_mirror; }

    // The buttons, for the shell and for tests driving the window.
    void addPictures();
    void openList();
    void saveList();
    void moveUp();
    void moveDown();
    void deleteSelected();
    void clearList();
    void downloadPictures();
    void addFonts();
    void deleteSelectedFonts();
    void clearFonts();
    void send();
    void clearRecord();
    void saveRecord();
    void toggleFullForm();

    // Device commands and drawing (the lower half and beside the serial
    // group).
    void switchPicture();
    void switchPage();
    void clearScreen();
    void calibrate();
    void switchLayer();
    void sendBacklight();
    void chooseForeground();
    void chooseBackground();
    void chooseTextColour();
    void chooseTextBackground();
    void chooseFont();
    void setResolution(int index);
    void drawTyped();
    void setTouchMode();
    // One tick of realtime dynamic debugging (timer 3, every 100 ms).
    void liveTick();
    LiveClicks &clicks() { return m_clicks; }

    // The extension pages.
    void toggleLoadFile();
    void clearHex();
    void saveFonts();
    void chooseRealtimePicture();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    class Notes;

    QWidget *makePictureGroup();
    QWidget *makeExtensionGroup();
    QWidget *makeRecordGroup();
    QWidget *makeFontPage();
    QWidget *makeLowerHalf();
    QWidget *makeLiveControls();
    QWidget *makeBesideSerial();
    QWidget *makeHexPage();
    QWidget *makeRealtimePage();
    QWidget *makeCopyPage();

    // Sends a drawing shape between two points exactly as "确定" does.
    void sendShape(LiveShape shape, QPoint start, QPoint end);
    // Records, mirrors and (with the port open) sends a frame.
    void sendLive(const QByteArray &frame, bool mirror);
    void showScreen();
    void resetScreenView();
    void showColour(int which);
    QColor askColour(const QColor &current);
    void sendHex();
    void sendRealtimePicture();
    void sendCopy();
    void copyResolutionChosen(int index);
    void screenMouse(QPoint imagePoint, bool click);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QStringList askFiles(const FileRequest &request);
    void showPictureRows();
    void showFontRows();
    void showNextNumber();
    int readNextNumber() const;
    void pictureNumberEdited(QTableWidgetItem *item);
    void fontNumberEdited(QTableWidgetItem *item);
    void rowClicked();
    void showPreview(const QString &path);
    void recordGrew();
    void afterEvent();
    // Appends the record to `path` (the file replaced atomically); false
    // with the reason in `error` when it could not.
    bool appendRecord(const QString &path, QString *error);
    void tellDone(const QString &text);
    void setHexFileMode(bool on);
    // The window's size for the form now shown: what its content asks for,
    // but no larger than the screen's free area.
    QSize fittingSize() const;

    PortLine m_comm;
    PictureList m_pictures;
    UserFontList m_fonts;
    std::unique_ptr<Notes> m_notes;
    std::unique_ptr<WindowLinkHost> m_host;
    std::unique_ptr<DebugSession> m_session;
    FileDialogHook m_fileDialog;
    WindowLinkHost::MessageHook m_messageHook;
    WindowLinkHost::AskHook m_askHook;
    QString m_recordFolder;
    // Changed since the list was last opened (into an empty list) or saved.
    bool m_picturesChanged = false;
    bool m_fontsChanged = false;
    // A path being recorded: the record box shows it as it is, while the
    // rest of the record shows in upper case.
    QString m_recordAsIs;
    bool m_full = false;
    QSize m_compactSize;
    bool m_filling = false; // rows are being rewritten, not edited
    qsizetype m_recordShown = 0;
    // The picture download running: the entries it was started with, so the
    // block addresses it gives land on the same entries.
    bool m_pictureDownload = false;
    std::vector<PictureEntry> m_downloadEntries;

    // Everything inside the window scrolls when the screen is too small.
    QScrollArea *m_scroll = nullptr;
    QWidget *m_content = nullptr;

    // Upper half.
    QWidget *m_upper = nullptr;
    QTableWidget *m_pictureView = nullptr;
    QLineEdit *m_nextNumber = nullptr;
    QLabel *m_preview = nullptr;
    QCheckBox *m_erase = nullptr;
    QPushButton *m_download = nullptr;
    QLineEdit *m_pictureStatus = nullptr;
    QProgressBar *m_pictureProgress = nullptr;
    PortControls *m_ports = nullptr;
    QPushButton *m_fullButton = nullptr;
    QTabWidget *m_tabs = nullptr;
    QTableWidget *m_fontView = nullptr;
    QLineEdit *m_fontNextNumber = nullptr;
    QPushButton *m_sendButton = nullptr;
    StatusText *m_sendStatus = nullptr;
    QProgressBar *m_sendProgress = nullptr;
    QPlainTextEdit *m_recordBox = nullptr;
    QFrame *m_rule = nullptr;

    // Lower half.
    QWidget *m_lower = nullptr;
    QScrollArea *m_screenPane = nullptr;
    QLabel *m_screenLabel = nullptr;
    QString m_previewPath;
    LiveMirror m_mirror;
    LiveClicks m_clicks;
    QTimer *m_liveTimer = nullptr;
    ColourDialogHook m_colourDialog;
    FontDialogHook m_fontDialog;
    TouchModeHook m_touchModeDialog;
    // Foreground, background, text and text background colours.
    QColor m_colours[4];
    QLabel *m_swatches[4] = {};
    QLineEdit *m_colourValues[4] = {};
    int m_fontSize = 1;
    int m_fontFace = 0;
    int m_resolution = 0;
    QLineEdit *m_pictureSwitch = nullptr;
    QLineEdit *m_pageSwitch = nullptr;
    QLineEdit *m_layerBox = nullptr;
    QComboBox *m_resolutionBox = nullptr;
    QSlider *m_backlight = nullptr;
    QLineEdit *m_backlightValue = nullptr;
    QLabel *m_fontName = nullptr;
    QComboBox *m_fontMode = nullptr;
    QLineEdit *m_columnSpacing = nullptr;
    QLineEdit *m_rowSpacing = nullptr;
    QButtonGroup *m_shapes = nullptr;
    QLineEdit *m_startX = nullptr;
    QLineEdit *m_startY = nullptr;
    QLineEdit *m_endX = nullptr;
    QLineEdit *m_endY = nullptr;
    QLineEdit *m_textBox = nullptr;
    QLineEdit *m_currentX = nullptr;
    QLineEdit *m_currentY = nullptr;
    QLineEdit *m_colourValue = nullptr;

    // Extension pages.
    QPlainTextEdit *m_hexText = nullptr;
    QCheckBox *m_loadFile = nullptr;
    QString m_hexFile;
    bool m_loadFileFlag = false;
    QString m_realtimePath;
    int m_realtimeWidth = 0;
    int m_realtimeHeight = 0;
    QLabel *m_realtimePreview = nullptr;
    StatusText *m_realtimePathBox = nullptr;
    QLineEdit *m_realtimeX = nullptr;
    QLineEdit *m_realtimeY = nullptr;
    QComboBox *m_copyResolution = nullptr;
    QComboBox *m_copyFrom = nullptr;
    QComboBox *m_copyTo = nullptr;
    int m_copyFromLayer = 0;
    int m_copyToLayer = 0;
    QLineEdit *m_copyBoxes[6] = {}; // source x, y, width, height, destination x, y
};

} // namespace h5
