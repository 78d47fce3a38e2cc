#pragma once
// Reading the files a download or a bundle sends. Every file is read whole
// before anything goes out, so a file that is missing, unreadable or too
// short for what it must hold is reported first and nothing is sent.

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

// The project data of a project file: everything from byte 102,406 on. The
// data must hold at least the project header and the page index.
bool loadProjectData(const QString &path, QByteArray &data, QString *error);

// A whole picture list file with its pictures; the data area must hold the
// pixels of every picture.
struct PictureListFile
{
    QByteArray bytes;
    std::vector<DownloadPicture> pictures;
};
bool loadPictureList(const QString &path, PictureListFile &out, QString *error);
// Only reads a picture list file whole and checks that it holds the slot
// area.
bool readPictureListFile(const QString &path, QByteArray &bytes, QString *error);
// The message for a picture list whose data area misses pictures.
QString pictureDataMissing(const QString &path);

// A whole font file; it must hold at least one segment header.
bool loadFontFile(const QString &path, QByteArray &data, QString *error);

} // namespace h5
