#pragma once
// Values of the characters form "字体编辑" (text elements, kind 49).
//
// Attribute word: face x 65536 + size code x 256 + display mode (0 text
// only, 1 on the background colour). The column and line spacings are kept
// as decimal text in m_strText1 and m_strText3. The 8-dot font has no
// Chinese characters, so a text with a two-byte character is refused at
// that size.

#include "edit/FormValues.h"

#include <optional>

namespace h5 {

// What the characters tool remembers between texts: the last colours,
// attribute word and spacings of the form.
struct TextToolState
{
    COLORREF foreground = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
    // A fresh view starts at 16 dots in 宋体, text only: the 8-dot font has
    // no Chinese characters, so a first Chinese text would be refused.
    int attr = 9 * 256;
    int columnSpacing = 0;
    int lineSpacing = 0;
};

struct FontValues
{
    std::string text; // GBK, CR LF between lines; at most 255 bytes
    int displayMode = 0;
    int x = 0, y = 0;
    COLORREF foreground = RGB(255, 255, 255);
    COLORREF background = RGB(0, 0, 0);
    int columnSpacing = 0, lineSpacing = 0; // 0..250 each
    int face = 0;      // 0 宋体, 1 仿宋, 2 黑体, 3 楷体
    int sizeIndex = 0; // 8, 16, 24, 32, 48, 64 dots

    static constexpr int kTextLimit = 255;
    static QString eightDotMessage() { return QStringLiteral("8点阵无中文字符。"); }

    // A new text at `start` with the tool's last values.
    static FontValues forNewText(QPoint start, const TextToolState &last);
    // Keeps the form's colours, attribute word and spacings as the tool's
    // last values.
    void storeIn(TextToolState &last) const;

    int sizeCode() const;
    int attr() const { return face * 65536 + sizeCode() * 256 + displayMode; }
    // Decodes an attribute word; a size code the form does not offer selects
    // 8 dots, an unknown face or display mode selects the first.
    void setAttr(int attr);
    // A click on a dot size: 8 dots leaves only 宋体; 48 and 64 dots have no
    // 仿宋 or 楷体 and move such a choice to 宋体.
    void chooseSize(int index);
    // Whether the face's button is enabled at the current dot size.
    bool faceEnabled(int f) const;
    // 8-dot text with a two-byte character.
    bool refusedAtEightDots() const;

    static const IntFields<FontValues> &fields();
    // The text length, then the integer boxes.
    FormError readTexts(const FieldTexts &texts);
    FormError validate() const;

    void fromElement(const CGraph &g);
    // Writes the values; an empty text or one refused at 8 dots then removes
    // the element (the caller shows eightDotMessage() for the latter).
    FormApply toElement(CGraph &g) const;
    // Nothing for an empty or refused text.
    std::optional<CGraph> newElement(const NewElementInfo &info) const;
    // The new element as the form built it, without the refusal rule.
    CGraph makeElement(const NewElementInfo &info) const;
};

} // namespace h5
