#pragma once
// Message texts, names and phone numbers are Windows-1252 bytes; the widgets show QString.
#include <QString>
#include <string>
#include <string_view>

QString FromCp1252(std::string_view bytes);
// Characters that Windows-1252 cannot hold become '?'.
std::string ToCp1252(const QString& text);

// How a person sees stored 8-bit bytes: names, phone numbers and other stored texts.
// Every display, tooltip, dialog and clipboard text of stored bytes goes through here.
QString ShownText(std::string_view stored);
// How a person sees a stored message text: its display form, then as ShownText.
QString ShownMessageText(std::string_view stored);
// What the user typed (a name, an edited message), in the stored 8-bit form.
std::string StoredFromTyped(const QString& typed);
