#pragma once
// The experts keep 8-bit texts; the screen wants QString. Valid UTF-8 is shown as such, anything
// else byte for byte as Latin-1, so no text is ever lost on the way to the screen.

#include <QString>
#include <string>
#include <string_view>

namespace zk::qt {

QString ToQString(std::string_view text);
// Texts from the user and file names from dialogs, as UTF-8.
std::string FromQString(const QString& text);
// A hint with lines separated by CR or CR LF, as a tooltip text.
QString HintToQString(std::string_view hint);

}  // namespace zk::qt
