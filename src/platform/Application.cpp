#include "platform/Application.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <string>

void Application_Initialize(int& argc, char** argv)
{
  if (QCoreApplication::instance()) return;
  new QApplication(argc, argv);  // lives for the rest of the process
}

int Application_Run() { return QApplication::exec(); }

void Application_ProcessMessages() { QCoreApplication::processEvents(); }

bool Application_HasDisplay()
{
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

void Application_SetTitle(const std::string& title)
{
  QCoreApplication::setApplicationName(QString::fromStdString(title));
}

std::string Application_Title() { return QCoreApplication::applicationName().toStdString(); }

std::string Application_ExeName() { return QCoreApplication::applicationFilePath().toStdString(); }
