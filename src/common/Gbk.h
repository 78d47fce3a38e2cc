#pragma once
// Conversion between the GBK (code page 936) bytes that the terminal and the
// stored files use and Qt's QString. All texts inside files stay GBK bytes in
// std::string; they become QString only here, at the edge of a widget, a
// message or a file-system call.

#include <QString>
#include <string>

namespace h5 {

QString fromGbk(const std::string &bytes);
QString fromGbk(const char *bytes, std::size_t size);
std::string toGbk(const QString &text);

// True when every character of `text` can be written in GBK.
bool isGbkEncodable(const QString &text);

} // namespace h5
