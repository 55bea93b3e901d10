// SPDX-License-Identifier: MIT
#include "app/ui/single_line_edit.h"

#include <QLineEdit>
#include <QValidator>

namespace kolva::ui {
namespace {

qsizetype FirstLineBreak(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == u'\r' || c == u'\n' || c == 0x1A) return i;
  }
  return -1;
}

// The field asks its validator after every edit, with the cursor just past
// the inserted text. The field held no break before, so a break before the
// cursor lies in what was just inserted: the insertion is cut back to it.
// A break after the cursor came with a whole new text, cut there.
class SingleLineValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override {
    for (qsizetype at = FirstLineBreak(input); at >= 0; at = FirstLineBreak(input)) {
      if (at < pos) {
        input.remove(at, pos - at);
        pos = static_cast<int>(at);
      } else {
        input.truncate(at);
      }
    }
    return Acceptable;
  }
};

}  // namespace

void KeepSingleLine(QLineEdit* edit) {
  edit->setValidator(new SingleLineValidator(edit));
}

}  // namespace kolva::ui
