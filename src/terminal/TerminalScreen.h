#pragma once
// The terminal's screen: one image of RGB565 colours per layer at the
// terminal's resolution, the layer shown, the backlight level, and a record
// of the device commands it does not draw. The layers are 32-bit images in
// which every pixel is an RGB565 colour widened by bit replication
// (rgbOf565): the same colours, one to one, in the form QPainter draws
// right (it draws text wrongly on 16-bit images), and the form the
// screenshot is written in. It executes decoded operations
// (terminal/LiveDraw.h); where they come from (the line, later a page's
// instruction stream) is the caller's business.
//
// Layers by resolution are those of the resolution table
// (model/Resolutions.h). Everything starts black on layer 0, backlight 63.
//
// What each operation does:
//   fill, shapes, text    drawn on the shown layer (pixel rules in LiveDraw.h;
//                         text only when a QGuiApplication exists, else it is
//                         counted as not drawn)
//   stored picture        the picture's pixels from the flash drawn with their
//                         top left at (x, y) on the shown layer; a number the
//                         flash does not hold draws nothing and is recorded
//   realtime picture      w x h pixels that follow on the line (RGB565 low
//                         byte first, rows top to bottom), drawn from (x, y)
//                         on the shown layer as they arrive
//   layer 1B 40 l         a layer switch: layer l is shown (and drawn on); a
//                         layer the resolution lacks changes nothing and is
//                         recorded. When the very next operation is a layer
//                         copy, the 1B 40 was its layer select instead: the
//                         switch is taken back and l = source x 4 + destination
//                         chooses the copy's layers. (The PC sends the select
//                         and the copy in one piece, and a switch is never
//                         followed directly by a copy.)
//   layer copy            the w x h rectangle at (x, y) of the source layer
//                         copied to (toX, toY) of the destination layer, the
//                         parts outside the screen left out; without a select
//                         just before it, within the shown layer; a layer the
//                         resolution lacks copies nothing and is recorded
//   backlight             the level is kept (0..255 as sent; it does not
//                         darken the image)
//   page, calibration,    recorded only
//   touch mode, interval
// Pixels outside the screen are left out everywhere; nothing ever fails.

#include "terminal/LiveDraw.h"
#include "terminal/PageFrames.h"

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace h5 {

class TerminalScreen
{
public:
    // A stored picture: its size and a reader of its w*h*2 pixel bytes
    // (RGB565, low byte first, rows top to bottom): `length` bytes from
    // `offset`. Only the part that lands on the screen is read.
    struct Picture
    {
        int width = 0;
        int height = 0;
        std::function<QByteArray(int64_t offset, int64_t length)> read;
    };
    // Finds a stored picture by number; false when the flash has none.
    using PictureLookup = std::function<bool(int number, Picture &out)>;

    // What the screen was told but does not draw.
    struct Record
    {
        int page = -1;               // last page switched to, -1 none
        int pageSwitches = 0;
        int calibrations = 0;
        int touchMode = -1;          // last touch mode, -1 none
        int touchInterval = -1;      // last touch interval, -1 none
        int missingPicture = -1;     // last picture number the flash did not hold
        int missingPictures = 0;
        int refusedLayerSwitches = 0; // to a layer the resolution lacks
    int refusedCopies = 0;       // from or to a layer the resolution lacks
        int textsNotDrawn = 0;       // texts while no GUI application gives fonts
        int controlsOutlined = 0;    // control frames drawn as their outline only
        int framesSkipped = 0;       // frames of a page that draw nothing known
        bool operator==(const Record &o) const;
    };

    // The twelve terminal resolutions and their layers; 0 for any other size.
    static int layersOf(int width, int height);
    // "320x240, 480x272, ...", for messages.
    static QString resolutionList();

    // `width` x `height` should be a terminal resolution; any other size
    // gets one layer.
    explicit TerminalScreen(int width = 800, int height = 480);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int layerCount() const { return int(m_layers.size()); }
    int shownLayer() const { return m_shown; }
    int backlight() const { return m_backlight; }
    const Record &record() const { return m_record; }
    // Counts changes of what the screen shows (pixels of the shown layer, the
    // layer shown). A realtime picture counts once, when its last pixel came
    // or it was cut off.
    uint64_t revision() const { return m_revision; }

    // Carries out one operation. A realtime picture starts taking pixels
    // through realtimePixels(); a picture operation needs `pictures`.
    void execute(const ScreenOp &op, const PictureLookup &pictures = {});
    // Draws a page's control frame in its initial state (terminal/PageRun.h
    // says how each kind looks); `needles` are the needle tables of the
    // page by control ID, for a pointer.
    void executeControl(const ControlOp &op, const PictureLookup &pictures,
                        const QMap<int, QByteArray> &needles);
    // Counts a frame of a page that was not drawn.
    void skipFrame() { ++m_record.framesSkipped; }

    // Something other than a screen frame came in between: a 1B 40 before it
    // no longer pairs with a copy after it.
    void breakSequence() { m_select = -1; }

    // Pixel bytes of the running realtime picture; returns how many were
    // taken (fewer when the picture is complete before the bytes end).
    qsizetype realtimePixels(const char *data, qsizetype size);
    // Bytes the running realtime picture still waits for; 0 when none runs.
    int64_t realtimeBytesLeft() const { return m_rtLeft; }
    // The line was closed: the realtime picture stops where it is.
    void cutRealtimePicture();

    // RGB565 value of a pixel; 0 outside the screen or the layers.
    uint16_t pixel(int layer, int x, int y) const;
    // The layer's pixels, widened (Format_RGB32).
    const QImage &layerImage(int layer) const { return m_layers[size_t(layer)]; }
    // The shown layer widened to 8 bits a channel by bit replication (rgbOf565).
    QImage screenshot() const;
    QByteArray screenshotPng() const;
    // Writes the PNG atomically (common/FileIo.h); false with the reason.
    bool writeScreenshot(const QString &path, QString *error) const;

    // Same pixels on every layer, same layer shown, backlight and record.
    bool sameAs(const TerminalScreen &o) const;

private:
    QImage &drawLayer() { return m_layers[size_t(m_shown)]; }
    void showPicture(const ScreenOp &op, const PictureLookup &pictures);
    bool pictureAt(int number, int x, int y, const PictureLookup &pictures, QSize *size);
    void outline(int x1, int y1, int x2, int y2, uint16_t colour);
    void copy(int from, int to, const ScreenOp &op);
    void putPixels(int x, int y, const char *bytes, int count);
    void changed() { ++m_revision; }

    int m_width;
    int m_height;
    std::vector<QImage> m_layers;
    int m_shown = 0;
    int m_backlight = 63;
    Record m_record;
    uint64_t m_revision = 0;

    // The last operation was a 1B 40: its byte, and the layer shown before it.
    int m_select = -1;
    int m_shownBefore = 0;
    bool m_refusedBefore = false;

    // realtime picture
    int m_rtX = 0, m_rtY = 0, m_rtW = 0;
    int64_t m_rtIndex = 0;   // pixel bytes taken so far
    int64_t m_rtLeft = 0;    // pixel bytes still to come
    char m_rtLow = 0;        // low byte of a pixel whose high byte is still to come
};

} // namespace h5
