#pragma once
// The fonts elements are drawn with. The page texts name four Chinese faces
// (0 宋体, 1 仿宋, 2 黑体, 3 楷体) and a Times-like Western face; each is
// mapped to a family installed here, chosen once by asking the font
// database, so Chinese text never shows as empty boxes.
//
// A font's height is its cell height in pixels (ascent + descent), the way
// the terminal measures its dot fonts: the pixel size is chosen so the cell
// fits the height, and a glyph is drawn with the cell's top at the given y.
// Glyphs are drawn without antialiasing, like the terminal's dot fonts.
//
// Fonts need the GUI application (QGuiApplication) to exist.

#include <QFont>
#include <QString>
#include <QStringList>

namespace h5 {

// A font ready to draw: where the baseline sits below the cell's top.
struct CellFont
{
    QFont font;
    int ascent = 0; // baseline offset from the top of the cell
    int height = 0; // cell height asked for
};

// The four Chinese faces by face number, 0 宋体, 1 仿宋, 2 黑体, 3 楷体: the
// names every form, the debug window and the command line give them.
inline constexpr int kFaceCount = 4;
// Name of face 0..3; empty for another number.
QString faceName(int face);
// The four names in face order.
QStringList faceNames();

// Chinese face 0..3 at cell height `height` (other face numbers draw as 宋体).
const CellFont &chineseFont(int face, int height);
// The Western face at cell height `height`; `width` > 0 asks for characters
// about that wide (the 8 x 8 font), 0 for the face's own proportions.
const CellFont &westernFont(int height, int width = 0);
// The small font of control ID and picture number labels.
const CellFont &labelFont();

// Installed family used for Chinese face 0..3, and for the Western face.
QString chineseFamily(int face);
QString westernFamily();

// The families tried for each face, best first; the first one installed
// wins, else the first installed family that has Chinese glyphs.
QStringList chineseFamilyCandidates(int face);

// Adds the fonts a package brings in the "fonts" folder beside the program
// (the Windows package's free Chinese and Times-like faces), when one of the
// system's own faces (宋体 SimSun, 仿宋 FangSong, 黑体 SimHei, 楷体 KaiTi,
// Times New Roman) is missing: they stand in for it, so text never shows as
// empty boxes. Without such a folder nothing happens. Call once, after the
// application object is made and before anything is drawn. Returns the
// number of families added.
int loadPackagedFonts();

} // namespace h5
