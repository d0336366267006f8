#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include "platform/Application.h"

namespace {
TMessageCapture* g_capture = nullptr;
}

TMessageCapture::TMessageCapture() : previous_(g_capture) { g_capture = this; }

TMessageCapture::~TMessageCapture() { g_capture = previous_; }

int TMessageCapture::Record(const std::string& text)
{
  messages_.push_back(text);
  return Answer;
}

std::string MessageBoxTitle(TMsgDlgType type)
{
  switch (type) {
  case TMsgDlgType::mtWarning: return "Warning";
  case TMsgDlgType::mtError: return "Error";
  case TMsgDlgType::mtInformation: return "Information";
  case TMsgDlgType::mtConfirmation: return "Confirm";
  case TMsgDlgType::mtCustom: break;
  }
  return Application_Title();
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
  if (g_capture)
    return g_capture->Record(text);
  if (!QApplication::instance())
    return 2;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  const QString title = QString::fromStdString(MessageBoxTitle(type));
  switch (type) {
  case TMsgDlgType::mtWarning: icon = QMessageBox::Warning; break;
  case TMsgDlgType::mtError: icon = QMessageBox::Critical; break;
  case TMsgDlgType::mtInformation: icon = QMessageBox::Information; break;
  case TMsgDlgType::mtConfirmation: icon = QMessageBox::Question; break;
  case TMsgDlgType::mtCustom: break;
  }
  QMessageBox::StandardButtons qb;
  if (buttons & mbYes) qb |= QMessageBox::Yes;
  if (buttons & mbNo) qb |= QMessageBox::No;
  if (buttons & mbOK) qb |= QMessageBox::Ok;
  if (buttons & mbCancel) qb |= QMessageBox::Cancel;
  if (!qb)
    qb = QMessageBox::Ok;
  QMessageBox box(icon, title, QString::fromStdString(text), qb);
  switch (box.exec()) {
  case QMessageBox::Yes: return 6;
  case QMessageBox::No: return 7;
  case QMessageBox::Ok: return 1;
  default: return 2;
  }
}

void ShowMessage(const std::string& text)
{
  MessageDlg(text, TMsgDlgType::mtCustom, mbOK);
}
