#pragma once
// Forms (top-level windows), the screen, and the application object as an owner of forms.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Controls.h"

enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TPosition GetPosition() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TWindowState GetWindowState() const { return windowState_; }
  void SetWindowState(TWindowState v);
  TFormBorderStyle GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v);
  void SetClientSize(int32_t width, int32_t height) { SetBounds(GetLeft(), GetTop(), width, height); }

  void SetVisible(bool v) override;
  // Shows the form modally and returns its modal result.
  int ShowModal();
  int GetModalResult() const { return modalResult_; }
  void SetModalResult(int v);
  // Asks the form to close (OnClose decides what happens).
  void Close();
  bool IsModal() const { return modal_; }
  // The control that gets the focus when the form is shown.
  TWinControl* ActiveControl = nullptr;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  TNotifyEvent OnDestroy;

  // Tests answer modal forms with this instead of running a modal loop: it gets the form and
  // returns the modal result.
  static std::function<int(TForm*)> ModalAnswer;

  // Platform entry: the window system asks the window to close; returns true to let it close.
  bool DispatchCloseRequest();

protected:
  // Runs OnCreate; a form class calls it at the end of its constructor.
  void DoCreate();

private:
  void PlaceOnScreen();
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormBorderStyle borderStyle_ = bsSizeable;
  int modalResult_ = mrNone;
  bool modal_ = false;
  bool placed_ = false;
};

class TScreen {
public:
  int32_t GetWidth() const;
  int32_t GetHeight() const;
  TCursor GetCursor() const { return cursor_; }
  // A cursor other than crDefault overrides every control's cursor.
  void SetCursor(TCursor v);

private:
  TCursor cursor_ = crDefault;
};

TScreen* Screen();

// The application as an owner: components it owns are freed when the program ends.
TComponent* ApplicationOwner();
// Frees what the application owns (called at the end of the program).
void Application_FreeOwned();
