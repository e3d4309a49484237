// The framework's own decisions as plain functions over plain values, so that
// they are tested natively: where a dialog is centred, which help topic and
// file it names, what a message box's caption and icon are.
#pragma once

#include <string>

namespace tq::ui {

struct PlacedRect {
    long left, top, right, bottom;
};
// The top-left corner that centres a window of the given size in `area`.
PlacedRect CentredRect(const PlacedRect& area, long width, long height);
// The help topic of a dialog built from template `templateId`.
unsigned long HelpTopic(int templateId);
// The help file: the program's path with its extension replaced by ".HLP".
std::wstring HelpFilePath(const std::wstring& programPath);
// The program file's name without folder and extension (the message box caption).
std::wstring ProgramTitle(const std::wstring& programPath);
// A message box type with the exclamation icon added where it names no icon
// and has the buttons OK, OK/Cancel, Yes/No or Yes/No/Cancel.
unsigned MessageBoxTypeWithIcon(unsigned type);

}  // namespace tq::ui
