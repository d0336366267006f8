#pragma once
// The application object: one per process, made before any window or font is used.
#include <string>

// Makes the application object (headless when QT_QPA_PLATFORM says so). Safe to call twice.
void Application_Initialize(int& argc, char** argv);
// Runs the message loop until the main window closes; returns the exit code.
int Application_Run();
// Handles pending events (timers, paints) without blocking.
void Application_ProcessMessages();
// True when a window system is at hand (not the offscreen platform, and a display is set).
bool Application_HasDisplay();
// The application's name, as message boxes show it in their title ("Orbisk" once the main window
// names it; the program file's name before).
void Application_SetTitle(const std::string& title);
std::string Application_Title();
// Path of the running program.
std::string Application_ExeName();
