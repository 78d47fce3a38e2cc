#pragma once
// One entry of a picture list: which image file a picture number stands for,
// its size, and where its converted pixels come from.

#include <string>

namespace h5 {

struct PictureEntry
{
    int width = 0;  // pixels
    int height = 0; // pixels
    // First flash page of the picture inside the data area of `sourceList`;
    // 0 while the pixels come from the image file.
    int start = 0;
    int number = 0; // picture number, 0..599
    // Full path of the image file (BMP, JPEG or PNG), GBK bytes.
    std::string path;
    // Full path of the .tbm/.cbm whose data area holds the converted pixels,
    // GBK bytes; empty when the pixels are to be made from the image file.
    std::string sourceList;
    // Decimal text of the first flash block the last debug download gave the
    // picture in the terminal; empty until then.
    std::string blockAddress;
};

} // namespace h5
