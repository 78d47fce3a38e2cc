#include "model/FontFaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QSet>
#include <algorithm>
#include <map>
#include <tuple>

namespace h5 {

namespace {

// Families present here, compared without regard to case.
const QSet<QString> &installedFamilies()
{
    static const QSet<QString> families = [] {
        QSet<QString> s;
        for (const QString &f : QFontDatabase::families())
            s.insert(f.toCaseFolded());
        return s;
    }();
    return families;
}

QString firstInstalled(const QStringList &candidates)
{
    const QSet<QString> &installed = installedFamilies();
    for (const QString &c : candidates) {
        if (installed.contains(c.toCaseFolded()))
            return c;
    }
    return QString();
}

// Any family that can write simplified Chinese: the last resort before
// leaving the choice to the system's fallback.
QString anyChineseFamily()
{
    static const QString family = [] {
        const QStringList list = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        return list.isEmpty() ? QString() : list.first();
    }();
    return family;
}

const char *const kFaceNames[kFaceCount] = {"宋体", "仿宋", "黑体", "楷体"};

const QStringList kSong = {
    QStringLiteral("SimSun"),         faceName(0),
    QStringLiteral("NSimSun"),        QStringLiteral("AR PL UMing CN"),
    QStringLiteral("AR PL SungtiL GB"), QStringLiteral("Noto Serif CJK SC"),
    QStringLiteral("Source Han Serif SC"), QStringLiteral("AR PL UMing TW"),
};

} // namespace

QString faceName(int face)
{
    return face >= 0 && face < kFaceCount ? QString::fromUtf8(kFaceNames[face]) : QString();
}

QStringList faceNames()
{
    QStringList names;
    for (int face = 0; face < kFaceCount; ++face)
        names << faceName(face);
    return names;
}

namespace {

QStringList candidatesFor(int face)
{
    switch (face) {
    case 1:
        return QStringList{QStringLiteral("FangSong"), QStringLiteral("仿宋_GB2312"),
                           faceName(1), QStringLiteral("FangSong_GB2312")}
            + kSong;
    case 2:
        return QStringList{QStringLiteral("SimHei"), faceName(2),
                           QStringLiteral("WenQuanYi Zen Hei"),
                           QStringLiteral("WenQuanYi Micro Hei"),
                           QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC")}
            + kSong;
    case 3:
        return QStringList{QStringLiteral("KaiTi"), QStringLiteral("楷体_GB2312"),
                           faceName(3), QStringLiteral("KaiTi_GB2312"),
                           QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL KaitiM GB"),
                           QStringLiteral("AR PL UKai TW")}
            + kSong;
    default:
        return kSong;
    }
}

void prepare(QFont &font)
{
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
}

// Western faces: the pixel size whose cell (ascent + descent) fits
// `height`. Fonts whose line is much taller than their glyphs are not
// shrunk below three quarters of the height: their glyphs would come out
// smaller than the cell the text is laid out in.
CellFont fitWestern(QFont font, int height, int width)
{
    prepare(font);
    CellFont cf;
    cf.height = height;
    if (height <= 0) {
        font.setPixelSize(1);
        cf.font = font;
        return cf;
    }
    const int smallest = std::max(1, height * 3 / 4);
    int pixels = height;
    for (; pixels > smallest; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics fm(font);
        if (fm.ascent() + fm.descent() <= height)
            break;
    }
    font.setPixelSize(pixels);
    QFontMetrics fm(font);
    if (width > 0) {
        const int average = fm.averageCharWidth();
        if (average > 0 && average != width) {
            font.setStretch(std::clamp(width * 100 / average, 1, 4000));
            fm = QFontMetrics(font);
        }
    }
    // Centre the glyphs' line in the cell when it is shorter than the cell.
    const int spare = std::max(0, height - (fm.ascent() + fm.descent()));
    cf.ascent = fm.ascent() + spare / 2;
    cf.font = font;
    return cf;
}

// Chinese faces: the characters fill a square em, so the em is the cell
// height, whatever line height the font declares around it. The baseline is
// put where a full character (国) sits centred in the cell.
CellFont fitChinese(QFont font, int height)
{
    prepare(font);
    CellFont cf;
    cf.height = height;
    font.setPixelSize(std::max(1, height));
    const QFontMetrics fm(font);
    const QRect ink = fm.boundingRect(QChar(0x56FD));
    if (ink.isEmpty() || height <= 0)
        cf.ascent = std::min(fm.ascent(), height);
    else
        cf.ascent = (height - ink.height()) / 2 - ink.top();
    cf.font = font;
    return cf;
}

} // namespace

QStringList chineseFamilyCandidates(int face)
{
    return candidatesFor(face);
}

int loadPackagedFonts()
{
    static int added = -1;
    if (added >= 0)
        return added;
    added = 0;
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    const QFileInfoList files = folder.entryInfoList(
        {QStringLiteral("*.ttf"), QStringLiteral("*.ttc"), QStringLiteral("*.otf")}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        return added;
    // Looked up here, not through installedFamilies(), which keeps its
    // first answer.
    QSet<QString> installed;
    for (const QString &f : QFontDatabase::families())
        installed.insert(f.toCaseFolded());
    bool missing = !installed.contains(QStringLiteral("times new roman"));
    for (int face = 0; face < kFaceCount; ++face)
        missing = missing || !installed.contains(candidatesFor(face).first().toCaseFolded());
    if (!missing)
        return added;
    for (const QFileInfo &file : files) {
        const int id = QFontDatabase::addApplicationFont(file.absoluteFilePath());
        if (id >= 0)
            added += int(QFontDatabase::applicationFontFamilies(id).size());
    }
    return added;
}

QString chineseFamily(int face)
{
    if (face < 0 || face > 3)
        face = 0;
    static QString resolved[4];
    static bool done[4] = {};
    if (!done[face]) {
        QString f = firstInstalled(candidatesFor(face));
        if (f.isEmpty())
            f = anyChineseFamily();
        resolved[face] = f;
        done[face] = true;
    }
    return resolved[face];
}

QString westernFamily()
{
    static const QString family = [] {
        const QString f = firstInstalled({
            QStringLiteral("Times New Roman"),
            QStringLiteral("Liberation Serif"),
            QStringLiteral("Tinos"),
            QStringLiteral("Nimbus Roman"),
            QStringLiteral("Nimbus Roman No9 L"),
            QStringLiteral("FreeSerif"),
            QStringLiteral("DejaVu Serif"),
        });
        return f;
    }();
    return family;
}

const CellFont &chineseFont(int face, int height)
{
    if (face < 0 || face > 3)
        face = 0;
    static std::map<std::pair<int, int>, CellFont> cache;
    const auto key = std::make_pair(face, height);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QFont font;
        const QString family = chineseFamily(face);
        if (!family.isEmpty())
            font.setFamily(family);
        font.setStyleHint(face == 2 ? QFont::SansSerif : QFont::Serif);
        it = cache.emplace(key, fitChinese(font, height)).first;
    }
    return it->second;
}

const CellFont &westernFont(int height, int width)
{
    static std::map<std::pair<int, int>, CellFont> cache;
    const auto key = std::make_pair(height, width);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QFont font;
        const QString family = westernFamily();
        if (!family.isEmpty())
            font.setFamily(family);
        font.setStyleHint(QFont::Serif);
        it = cache.emplace(key, fitWestern(font, height, width)).first;
    }
    return it->second;
}

const CellFont &labelFont()
{
    return westernFont(10);
}

} // namespace h5
