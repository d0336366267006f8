#include "platform/ClipboardText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

void ClipboardSetText(const std::string& text)
{
  if (QClipboard* cb = QGuiApplication::clipboard()) cb->setText(QString::fromStdString(text));
}

std::string ClipboardGetText()
{
  if (QClipboard* cb = QGuiApplication::clipboard()) return cb->text().toStdString();
  return std::string();
}
