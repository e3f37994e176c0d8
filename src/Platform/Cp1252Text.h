#pragma once
// Message texts, names and phone numbers are Windows-1252 bytes; the widgets show QString.
#include <QString>
#include <string>
#include <string_view>

QString FromCp1252(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'.
std::string ToCp1252(const QString& text);
