#pragma once
// Page exports: the page's drawing instructions as lines of hexadecimal
// bytes, the list of its control IDs and picture numbers, and the page (or
// any image) written as an uncompressed 24-bit Windows BMP file. Everything
// but the file writers is a pure function of the page.

#include "model/Page.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace h5 {

struct RenderOptions;

// "保存路径为" — shown, followed by the path, before an export file is written.
QString exportSavedToText();
// "位图生成出错!" — shown when a bitmap cannot be written.
QString bitmapErrorText();

// File names in the project folder: "N.txt" and "N_ID.txt" for page number N.
QString exportTextFileName(int pageNo);
QString exportIdsFileName(int pageNo);

// The text export: the background line (only when m_nFlags is 0), one line
// per instruction frame of the drawable elements in list order (controls,
// fills and delete markers give none), the delay line and the next-page
// line. Every byte is "%02x "; every line ends in "\r\n"; a text element's
// terminator is written as "0xff 0xff 0xee 0xff ".
QByteArray exportTextBytes(const Page &page);

// The ID list: "控件ID编号：" and the sorted control IDs, then "图片编号："
// and the sorted picture numbers of bitmap elements, in GBK; a part without
// entries is left out, so a page without both gives no bytes.
QByteArray exportIdsBytes(const Page &page);

// A path that ends in exactly ".bmp": `path` itself or `path` + ".bmp".
QString withBmpExtension(const QString &path);

// The complete BMP file of `image` at 24 bits per pixel: 14-byte file
// header, 40-byte information header, no colour table, rows bottom-up and
// padded to four bytes. Empty for a null image.
QByteArray bmp24Bytes(const QImage &image);

// Writes bytes to `path`, replacing any file of that name. False with a
// reason in `error` when the file cannot be written completely.
bool writeExportFile(const QString &path, const QByteArray &bytes, QString *error);

// The page bitmap: every element drawn without labels on a canvas of the
// screen size filled with the page's own background colour m_crBack (also
// on an auxiliary page). Null when the resolution is unknown.
QImage pageBitmap(const Page &page, const RenderOptions &options);

// The screenshot: the rectangle from (left, top) to (right, bottom) of what
// the window shows, `window` being its grab in window pixels. Null when the
// width or height is negative or zero (nothing is written then); parts
// outside the window come out black.
QImage screenshotRect(const QImage &window, int left, int top, int right, int bottom);

// Writes pageBitmap() as a 24-bit BMP file. False with a reason in `error`
// (the caller shows bitmapErrorText()).
bool writePageBitmap(const Page &page, const RenderOptions &options, const QString &path,
                     QString *error);

} // namespace h5
