#pragma once
// What the property forms have in common, without a widget: reading the
// integer boxes with their checks and messages, the text length check, the
// terminal-value text beside a colour swatch and the line ends of the
// multi-line text boxes.
//
// A form's values live in a plain struct (one per form, see the other
// *Values.h files). Each struct lists its integer boxes in the order the form
// reads them; reading stops at the first box that fails, and the failure
// names that box (its widget's object name) and carries the message the user
// sees. The same list checks values that were set directly.

#include "model/CGraph.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace h5 {

// A failed check: the box it is about and the message the user sees. An
// empty message means the check passed.
struct FormError
{
    QString field;
    QString message;

    bool failed() const { return !message.isEmpty(); }
    explicit operator bool() const { return failed(); }
};

// What pressing OK does to the element being edited.
enum class FormApply {
    Written, // the values were written into the element
    Refused, // nothing was written; the element stays as it was
    Remove,  // the element is to be removed from the page and destroyed
};

// What the page view hands to a form that makes a new element, beside the
// form's own initial values.
struct NewElementInfo
{
    int source = 0;              // the view's current source index
    int pictureNumber = 0;       // the view's current picture number
    COLORREF pen = RGB(255, 255, 255); // the view's pen colour
    COLORREF fill = 0;           // the view's fill colour
};

// The out-of-range pair of numeric, bar graph and pointer controls: the
// value shown below the minimum in the high half, above the maximum in the
// low half.
inline int packOutOfRange(int below, int above)
{
    return int((uint32_t(below) << 16) + uint32_t(above));
}
inline int outOfRangeBelow(int extra) { return int((uint32_t(extra) >> 16) & 0xFFFF); }
inline int outOfRangeAbove(int extra) { return int(uint32_t(extra) & 0xFFFF); }

// The user's texts of the boxes of a form, keyed by the box's object name.
using FieldTexts = QHash<QString, QString>;

namespace FormMessage {
// An unsigned box holds no number.
QString notUnsigned();
// A signed box (minimum and maximum boxes) holds no number.
QString notInteger();
// A number outside lo..hi.
QString outOfRange(int64_t lo, int64_t hi);
// A text longer than `limit` characters.
QString tooLong(int limit);
} // namespace FormMessage

// How one integer box is read. Unsigned boxes show and take 0..4294967295
// (a negative field shows as its 32-bit unsigned value and reads back the
// same); signed boxes take any 32-bit signed number. A ranged box also
// checks lo..hi.
struct IntCheck
{
    bool isSigned = false;
    bool ranged = false;
    int64_t lo = 0;
    int64_t hi = 0;

    static IntCheck unsignedAny() { return {false, false, 0, 0}; }
    static IntCheck unsignedIn(int64_t lo, int64_t hi) { return {false, true, lo, hi}; }
    static IntCheck signedAny() { return {true, false, 0, 0}; }
};

// Parses the text of one box. On success stores the value (unsigned values
// above INT_MAX wrap to the negative int with the same bits) and returns no
// error; otherwise returns the box's parse or range message and leaves
// `out` alone. Blanks around the number are allowed.
FormError readIntBox(const QString &field, const QString &text, IntCheck check, int &out);
// The range check alone, for a value already held.
FormError checkIntValue(const QString &field, int value, IntCheck check);
// What a box shows for a value.
QString intBoxText(int value, IntCheck check);

// A text box limited to `limit` characters: the GBK bytes are counted, a
// two-byte character counting two as it does in the terminal's text.
FormError checkTextLength(const QString &field, const std::string &gbk, int limit);

// One integer box of a value struct V.
template <class V>
struct IntField
{
    const char *name; // object name of the box
    int V::*member;
    IntCheck check;
};

template <class V>
using IntFields = std::vector<IntField<V>>;

// Reads every box of `fields` from `texts` into `values`, in order; stops at
// the first failure. A box missing from `texts` keeps its value and is only
// range-checked.
template <class V>
FormError readIntFields(V &values, const IntFields<V> &fields, const FieldTexts &texts)
{
    for (const auto &f : fields) {
        const QString name = QString::fromLatin1(f.name);
        const auto it = texts.constFind(name);
        FormError e = it == texts.cend() ? checkIntValue(name, values.*(f.member), f.check)
                                         : readIntBox(name, *it, f.check, values.*(f.member));
        if (e)
            return e;
    }
    return {};
}

// Checks the ranges of the values held, in reading order.
template <class V>
FormError checkIntFields(const V &values, const IntFields<V> &fields)
{
    for (const auto &f : fields) {
        if (FormError e = checkIntValue(QString::fromLatin1(f.name), values.*(f.member), f.check))
            return e;
    }
    return {};
}

// Text of the read-only box beside a colour swatch: the colour's terminal
// value (RGB565) as "0x%04x", or "%04x" without the prefix.
QString colourValueText(COLORREF colour, bool withPrefix = true);

// Multi-line element texts end their lines with CR LF; a text box uses LF.
QString textForEditor(const std::string &gbk);
std::string textFromEditor(const QString &text);

// True when a GBK text holds a byte of 0xA0 or more (a two-byte character).
bool hasDoubleByteCharacter(const std::string &gbk);

// Size of a picture in flash blocks, ceil(w x h x 2 / 135168), in unsigned
// 32-bit arithmetic as the terminal's tools compute it.
int pictureBlockCount(int width, int height);

// A new element of `kind`: every field 0 or empty but the source index.
CGraph blankElement(int kind, int source);

// Sums and differences of element coordinates wrap in 32 bits, as the
// terminal's tools compute them, instead of overflowing.
inline int wrapAdd(int a, int b) { return int(uint32_t(a) + uint32_t(b)); }
inline int wrapSub(int a, int b) { return int(uint32_t(a) - uint32_t(b)); }

// Integer part of the distance between two points.
int pointDistance(QPoint a, QPoint b);

} // namespace h5
