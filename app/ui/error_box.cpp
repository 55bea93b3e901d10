// SPDX-License-Identifier: MIT
#include "app/ui/error_box.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QWidget>

#include "app/app_title.h"

namespace kolva::ui {

std::string DisplayText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
  return text;
}

void ShowErrorBox(const std::string& text) {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  const QByteArray programPath = QFile::encodeName(QCoreApplication::applicationFilePath());
  const std::string title = app::ApplicationTitle(programPath.toStdString());
  QMessageBox box(QMessageBox::Critical, QFile::decodeName(QByteArray::fromStdString(title)),
                  QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Ok);
  // Messages quote file and field texts: shown as they are, never as markup
  // (no bold, no images loaded, no box sized by a tag).
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace kolva::ui
