// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace kolva::ui {

// The text an error box shows for an error's message: the message with "."
// appended when it is not empty and its last byte is greater than "." in
// unsigned byte order (letters, digits, "/", bytes of 0x80 and above). A
// message ending in "." or below it, such as ")" or a blank, stays as it is.
std::string DisplayText(std::string_view message);

// Shows `text` in the application's error box and returns when the operator
// has pressed OK: a stop icon, one OK button, the application title as
// caption, modal to the whole application. The text is 8-bit and shown as
// Latin-1 plain text, never as rich text. A mouse grab is released first, so the operator can reach
// the box. Needs the QApplication.
void ShowErrorBox(const std::string& text);

}  // namespace kolva::ui
