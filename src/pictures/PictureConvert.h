#pragma once
// Turning BMP, JPEG and PNG pictures into the terminal's pixel data, and
// measuring them.
//
// Terminal pixel format: RGB565, two bytes per pixel, low byte first, pixels
// left to right, rows top to bottom, no header and no row padding. Each
// 8-bit channel is rounded on its highest dropped bit, never past the
// field's maximum (R 135 -> 17, R 255 -> 31).

#include "common/Rgb565.h" // rgb565(): the rounding of every pixel

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>

namespace h5 {

// Converts the picture file at `imagePath` into exactly w * h * 2 bytes:
// the picture is drawn scaled to exactly w x h into a black image (nearest
// pixel, no smoothing, so a picture already w x h comes out unchanged;
// transparent parts show black) and converted pixel by pixel. Fails when
// the file cannot be opened, does not decode (empty, truncated, foreign) or
// the w x h image cannot be made: negative sizes, or more pixel data than
// the terminal's 600 flash blocks hold. w or h of 0 gives empty output.
bool convertPicture(const QString &imagePath, int w, int h, QByteArray &out,
                    QString *error = nullptr);

// The same, telling the two failures apart: the list save reports an image
// file that cannot be opened differently from one that cannot be rendered.
enum class ConvertResult { Ok, CannotOpen, CannotRender };
ConvertResult convertPictureFile(const QString &imagePath, int w, int h, QByteArray &out,
                                 QString *error = nullptr);

// Loads the image decoders on the calling thread. Call it before converting
// on other threads: the first decoder lookup scans the plugin folder with a
// pattern match, whose per-thread state the MinGW runtime frees in the
// wrong order when a short-lived thread ends (a crash at the thread's exit,
// about one build in a hundred under Windows).
void loadPictureDecoders();

// The same from the file's bytes, already read; `imagePath` names the file
// in the error text.
ConvertResult convertPictureData(const QByteArray &bytes, const QString &imagePath, int w, int h,
                                 QByteArray &out, QString *error = nullptr);

// The same into the caller's buffer `out` of w * h * 2 bytes, every one of
// them written on success (a build converts straight into its picture
// data). `reuse`, when given, is an image whose memory the decoder may take
// for the decoded pixels (its content does not matter): converting picture
// after picture with one such image does not ask the system for new memory
// each time.
ConvertResult convertPictureDataInto(const QByteArray &bytes, const QString &imagePath, int w,
                                     int h, char *out, QString *error = nullptr,
                                     QImage *reuse = nullptr);

// Converts a picture already decoded, the same way; a null image converts
// to zeros.
bool convertPicture(const QImage &image, int w, int h, QByteArray &out,
                    QString *error = nullptr);

// Why a picture file's bytes cannot be a whole picture: empty, or a BMP,
// JPEG or PNG cut short. Empty when nothing is found missing (other formats
// are left to their decoders).
QString pictureFileDamage(const QByteArray &bytes);

// Size of the picture file in pixels, read from its header where the
// format allows. A file that opens but does not decode measures 0 x 0 (and
// succeeds); fails only when the file cannot be opened.
bool measurePicture(const QString &path, int &w, int &h);

} // namespace h5
