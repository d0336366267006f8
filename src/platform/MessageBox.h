#pragma once
// Message boxes. A capture object in scope records the texts instead of showing anything (tests).
#include <string>
#include <vector>

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;

// Shows Text with an OK button and waits.
void ShowMessage(const std::string& text);
// Shows Text with the given buttons and waits; the result is the modal result of the button pressed
// (1 OK, 2 Cancel, 6 Yes, 7 No, the values of mrOk, mrCancel, mrYes, mrNo).
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// The title of a message box of the type: the application's name for mtCustom (ShowMessage).
std::string MessageBoxTitle(TMsgDlgType type);

// Flags of MessageBox: the stop icon and task-modal (the values of the platform).
constexpr unsigned MB_ICONSTOP = 0x10, MB_TASKMODAL = 0x2000;
// Shows Text under Caption (an empty caption stays empty) with an OK button, the icon chosen by
// Flags, and waits; the result is 1 (OK).
int MessageBox(const std::string& text, const std::string& caption, unsigned flags);

// While alive, every message is recorded here and answered with Answer; nothing is shown.
class TMessageCapture {
public:
  TMessageCapture();
  ~TMessageCapture();
  TMessageCapture(const TMessageCapture&) = delete;
  TMessageCapture& operator=(const TMessageCapture&) = delete;
  const std::vector<std::string>& Messages() const { return messages_; }
  // The caption and the MessageBox flags of each message (0 for the others).
  const std::vector<std::string>& Captions() const { return captions_; }
  const std::vector<unsigned>& Flags() const { return flags_; }
  void Clear()
  {
    messages_.clear();
    captions_.clear();
    flags_.clear();
  }
  int Answer = 1;  // mrOk
  // Records a text and returns Answer (called by the message functions).
  int Record(const std::string& text, const std::string& caption = std::string(), unsigned flags = 0);

private:
  std::vector<std::string> messages_;
  std::vector<std::string> captions_;
  std::vector<unsigned> flags_;
  TMessageCapture* previous_ = nullptr;
};
