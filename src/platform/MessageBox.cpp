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

int TMessageCapture::Record(const std::string& text, const std::string& caption, unsigned flags)
{
  messages_.push_back(text);
  captions_.push_back(caption);
  flags_.push_back(flags);
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
    return g_capture->Record(text, MessageBoxTitle(type));
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

int MessageBox(const std::string& text, const std::string& caption, unsigned flags)
{
  if (g_capture) {
    g_capture->Record(text, caption, flags);
    return 1;
  }
  if (!QApplication::instance())
    return 1;
  QMessageBox box((flags & 0xF0) == MB_ICONSTOP ? QMessageBox::Critical : QMessageBox::NoIcon,
                  QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok);
  // Task-modal: every window of the program waits.
  if (flags & MB_TASKMODAL)
    box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return 1;
}
