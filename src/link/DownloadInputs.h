#pragma once
// The files a download, a project send or a bundle takes, read whole and
// checked through before anything goes out: a file that is missing,
// unreadable or damaged anywhere (a segment announcing pages the file does
// not hold, a resolution index past 12, bytes that are not project data at
// all) is refused with a message naming it, and nothing is sent or written.
// The download window, the project window and the bundle all use these same
// checks.

#include "link/DownloadPicture.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace h5 {

// The files chosen in the file download window; an empty path means not
// chosen.
struct DownloadFiles
{
    QString project;  // .wgc
    QString pictures; // .tbm / .cbm
    QString font;     // .wzk
    bool erase = false; // "擦除FLASH"

    bool any() const { return !project.isEmpty() || !pictures.isEmpty() || !font.isEmpty(); }
};

// ---- checks on bytes -------------------------------------------------------
// Each returns false with the reason in `why` (a short text without the
// file name).

// A whole project file: a resolution index 0..12 in byte 4, the page slots,
// then project data as checkProjectData wants it.
bool checkProjectFile(const QByteArray &file, QString *why);
// Project data (a project file from byte 102,406): the project header
// 7F 1B 75 FF FF EE FF, the 2048-byte page index, then at least one
// segment, and nothing but whole segments (readProjectSegment) to the end.
bool checkProjectData(const QByteArray &data, QString *why);
// A font file: one or more whole font segments (readFontSegment), nothing
// else.
bool checkFontData(const QByteArray &font, QString *why);
// A picture list: the 600 slot records, and a data area holding the pixels
// of every one of `pictures` (the last one needs w x h x 2 bytes from its
// start page, not a whole page).
bool checkPictureList(const QByteArray &list, const std::vector<DownloadPicture> &pictures, QString *why);

// ---- reading files ---------------------------------------------------------
// Each reads the whole file and checks it as above; the message in `error`
// names the file ("工程文件已损坏：PATH（why）", "字库文件无法读取：…").

// The project data of a project file: everything from byte 102,406 on.
bool loadProjectData(const QString &path, QByteArray &data, QString *error);

// A whole picture list file with its pictures.
struct PictureListFile
{
    QByteArray bytes;
    std::vector<DownloadPicture> pictures;
};
// The pictures are every slot with a size (readDownloadPictures).
bool loadPictureList(const QString &path, PictureListFile &out, QString *error);
// The pictures are given (the project window sends only the slots in use).
bool loadPictureList(const QString &path, const std::vector<DownloadPicture> &pictures, QByteArray &bytes,
                     QString *error);

// A whole font file.
bool loadFontFile(const QString &path, QByteArray &data, QString *error);

// What a download sends: each chosen file's bytes.
struct DownloadData
{
    bool hasProject = false;
    QByteArray project; // project data, from byte 102,406 of the file
    bool hasPictures = false;
    PictureListFile pictures;
    bool hasFont = false;
    QByteArray font;

    bool any() const { return hasProject || hasPictures || hasFont; }
};
// Reads and checks every chosen file, in the order project, pictures, font;
// the first one that fails gives the message.
bool loadDownloadFiles(const DownloadFiles &files, DownloadData &out, QString *error);
// The same checks on data already in memory; the message names the kind of
// data instead of a file.
bool checkDownloadData(const DownloadData &data, QString *error);

} // namespace h5
