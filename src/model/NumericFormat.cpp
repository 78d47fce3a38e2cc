#include "model/NumericFormat.h"

#include <QString>

namespace h5 {

NumericFormat NumericFormat::ofStyle(int style, int intDigits, int decimals)
{
    NumericFormat f;
    f.intDigits = intDigits;
    f.decimals = decimals;
    f.signMode = (style & 3) < 3 ? style & 3 : 0;
    f.hex = (style >> 2) & 1;
    f.align = (style >> 3) & 1;
    f.leadingZeros = (style >> 6) & 1;
    return f;
}

std::string numericPreviewText(int minimum, const NumericFormat &f)
{
    std::string prefix;
    if (!f.hex && f.signMode == 1)
        prefix = " ";
    else if (!f.hex && f.signMode == 2)
        prefix = "+";

    std::string digits;
    if (minimum < 0)
        digits = "0";
    else if (f.hex)
        digits = QString::number(minimum, 16).toUpper().toStdString();
    else
        digits = std::to_string(minimum);

    const int width = f.intDigits + f.decimals;
    if (int(digits.size()) < width)
        digits.insert(0, std::size_t(width - int(digits.size())), '0');
    if (f.decimals > 0) {
        const std::size_t at = digits.size() >= std::size_t(f.decimals) ? digits.size() - std::size_t(f.decimals) : 0;
        digits.insert(at, 1, '.');
    }
    if (f.leadingZeros)
        return prefix + digits;

    std::size_t zeros = 0;
    const std::size_t look = f.intDigits > 1 ? std::size_t(f.intDigits - 1) : 0;
    while (zeros < look && zeros < digits.size() && digits[zeros] == '0')
        ++zeros;
    std::string text = prefix + digits.substr(zeros);
    if (f.align == 1)
        text.insert(0, zeros, ' ');
    else
        text.append(zeros, ' ');
    return text;
}

} // namespace h5
