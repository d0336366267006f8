// Saves through the real file dialog: a name is typed into it as a user types it, and the questions
// it or the program asks are answered through their buttons. A file is replaced only when the user
// said so, whatever extension the save adds to the typed name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include "TestSupport.h"
#include "app/PseudoSection2d.h"
#include "app/Unit1.h"
#include "platform/Dialogs.h"
#include "platform/TestInput.h"

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// Answers the modal windows a save opens, each through its own widgets: the file dialog and the
// questions asked over it or after it. Each step waits until its kind of window is up. A box that
// no step waits for is refused and kept in Unexpected; a file dialog still up when the steps are
// done is cancelled, as is every modal window after a time-out.
class ModalScript {
public:
  ModalScript()
  {
    QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
    poll_.start(10);
    clock_.start();
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  // Picks the kind (counted from 1; 0 keeps the one shown) with the keyboard, types the name into
  // the name field and presses Save.
  ModalScript& Save(const std::string& name, int kind = 0)
  {
    steps_.push_back({true, [this, name, kind](QWidget* w) {
                        auto* dialog = static_cast<QFileDialog*>(w);
                        Folder = dialog->directory().absolutePath().toStdString();
                        auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
                        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
                        auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
                        QPushButton* save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
                        if (!combo || !edit || !save) {
                          Errors.push_back("not the file dialog's own widgets");
                          dialog->reject();
                          return;
                        }
                        for (int i = 0; i < 10 && kind > 0 && combo->currentIndex() != kind - 1; ++i) {
                          QKeyEvent key(QEvent::KeyPress, combo->currentIndex() < kind - 1 ? Qt::Key_Down : Qt::Key_Up,
                                        Qt::NoModifier);
                          QApplication::sendEvent(combo, &key);
                        }
                        if (kind > 0 && combo->currentIndex() != kind - 1) Errors.push_back("the kind was not chosen");
                        edit->setText(QString::fromStdString(name));
                        if (!save->isEnabled()) {
                          Errors.push_back("Save is disabled for " + name);
                          dialog->reject();
                          return;
                        }
                        save->click();  // a question over the dialog waits in here
                      }});
    return *this;
  }

  // Answers a question with the button; its text goes to Questions.
  ModalScript& Answer(QMessageBox::StandardButton button)
  {
    steps_.push_back({false, [this, button](QWidget* w) {
                        auto* box = static_cast<QMessageBox*>(w);
                        Questions.push_back(box->text().toStdString());
                        if (QAbstractButton* b = box->button(button)) {
                          b->click();
                        } else {
                          Errors.push_back("the question has no such button: " + Questions.back());
                          box->reject();
                        }
                      }});
    return *this;
  }

  ModalScript& Cancel()
  {
    steps_.push_back({true, [](QWidget* w) { static_cast<QFileDialog*>(w)->reject(); }});
    return *this;
  }

  bool Finished() const { return next_ == steps_.size(); }

  std::vector<std::string> Questions;
  std::vector<std::string> Unexpected;
  std::vector<std::string> Errors;
  std::string Folder;  // the folder the file dialog showed

private:
  struct Step {
    bool fileDialog;
    std::function<void(QWidget*)> act;
  };

  // Acts later, from the event loop: an action may open a modal window and wait in it while the
  // polling goes on.
  void Later(QWidget* w, std::function<void(QWidget*)> act)
  {
    busy_ = true;
    QTimer::singleShot(0, &poll_, [this, p = QPointer<QWidget>(w), act = std::move(act)] {
      busy_ = false;
      if (p) act(p);
    });
  }

  void Poll()
  {
    if (busy_) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    auto* box = qobject_cast<QMessageBox*>(modal);
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog || !Finished()) open_.invalidate();
    if (clock_.elapsed() > 30000) {
      Errors.push_back("timed out");
      Later(modal, [](QWidget* w) {
        if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        else w->close();
      });
      return;
    }
    if (!box && !dialog) return;
    if (!Finished() && steps_[next_].fileDialog == (dialog != nullptr)) {
      Later(modal, steps_[next_++].act);
      return;
    }
    if (box) {
      Unexpected.push_back(box->text().toStdString());
      Later(modal, [](QWidget* w) { static_cast<QMessageBox*>(w)->reject(); });
    } else if (Finished()) {
      // A dialog whose question was just answered stays up until that question's loop returns.
      if (!open_.isValid()) open_.start();
      if (open_.elapsed() < 2000) return;
      Errors.push_back("the file dialog stayed open");
      Later(modal, [](QWidget* w) { static_cast<QFileDialog*>(w)->reject(); });
    }
  }

  QTimer poll_;
  QElapsedTimer clock_;
  QElapsedTimer open_;  // since when a file dialog is up with every step done
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
};

bool Mentions(const std::vector<std::string>& texts, const std::string& name)
{
  return texts.size() == 1 && texts[0].find(name) != std::string::npos;
}

class SaveDialogs : public ::testing::Test {
protected:
  void SetUp() override
  {
    // The association written at start goes to the test's folder, not the user's.
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    for (const char* name : {"demo.prj", "demo-east.k2d", "demo-north.cht", "demo-diagonal.m2d", "demo-points.dat"})
      fs::copy_file(testsupport::ExamplePath(name), dir.file(name), fs::copy_options::overwrite_existing);
    TOpenDialog::TestAnswer = nullptr;
  }

  // The main window with the example project open: its dialogs open in the test's folder.
  TForm1& Loaded()
  {
    form = std::make_unique<TForm1>(nullptr, std::vector<std::string>{});
    form->SetWindowState(wsNormal);
    testinput::ShowWindow(form.get());
    form->OpenProject(dir.file("demo.prj"));
    return *form;
  }

  // The script met what it expected, and nothing else, while the command ran.
  static void ExpectPlayed(const ModalScript& script)
  {
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(script.Errors.empty()) << script.Errors.front();
    EXPECT_TRUE(script.Unexpected.empty()) << script.Unexpected.front();
  }

  // Runs the save command with the script answering what it opens.
  void SaveData(ModalScript& script)
  {
    testinput::ClickCenter(form->SpeedButton5);
    ExpectPlayed(script);
    if (!script.Folder.empty()) {
      EXPECT_TRUE(fs::equivalent(script.Folder, dir.path()));
    }
  }

  // Saves under the typed name (of Kind when above 0) over the existing Written, with the dialog
  // showing the first kind: each time one question, about Written. Answered No, the file is kept
  // and the dialog, which stays, is cancelled; then, when Replace, answered Yes.
  void RefuseThenReplace(const std::string& typed, const std::string& written, int kind = 0, bool replace = true)
  {
    for (const bool yes : {false, true}) {
      if (yes && !replace) break;
      form->SaveDialog1->FilterIndex = 1;
      ModalScript script;
      script.Save(typed, kind).Answer(yes ? QMessageBox::Yes : QMessageBox::No);
      if (!yes) script.Cancel();
      SaveData(script);
      EXPECT_TRUE(Mentions(script.Questions, written)) << written;
      if (!yes) {
        EXPECT_TRUE(Kept(written)) << written;
      }
    }
  }

  // The file still holds what the test put there.
  bool Kept(const std::string& name) { return testsupport::ReadAll(dir.file(name)) == "kept"; }
  bool IsProject(const std::string& name) { return testsupport::ReadLines(dir.file(name)).size() == 5u + 2 * 3; }

  TempDir dir;
  std::unique_ptr<TForm1> form;
};

}  // namespace

// A new name is written without a question; the same name typed again without its extension is
// asked about, and only Yes replaces the file.
TEST_F(SaveDialogs, TheProjectKindAsksAboutTheNameWithItsExtension)
{
  TForm1& f = Loaded();
  f.SaveDialog1->FilterIndex = 1;
  {
    ModalScript script;
    script.Save("mine");
    SaveData(script);
    EXPECT_TRUE(script.Questions.empty());
    EXPECT_TRUE(IsProject("mine.prj"));
    EXPECT_FALSE(fs::exists(dir.file("mine")));
  }
  testsupport::WriteAll(dir.file("mine.prj"), "kept");
  RefuseThenReplace("mine", "mine.prj");
  EXPECT_TRUE(IsProject("mine.prj"));
  EXPECT_FALSE(fs::exists(dir.file("mine")));
}

// An extension that names none of the dialog's kinds is replaced by the kind's: the file so named
// is asked about, once, and a file of the name typed is neither asked about nor touched.
TEST_F(SaveDialogs, AnExtensionThatNamesNoKindAsksAboutTheFileWritten)
{
  TForm1& f = Loaded();
  f.SaveDialog1->FilterIndex = 1;
  testsupport::WriteAll(dir.file("pic.prj"), "kept");
  testsupport::WriteAll(dir.file("pic.wmf"), "kept");
  RefuseThenReplace("pic.wmf", "pic.prj");
  EXPECT_TRUE(IsProject("pic.prj"));
  EXPECT_TRUE(Kept("pic.wmf"));
  // A typed extension of a kind chooses it and is the name the dialog asked about: one question.
  testsupport::WriteAll(dir.file("shot.bmp"), "kept");
  RefuseThenReplace("shot.bmp", "shot.bmp", 0, false);
  EXPECT_FALSE(fs::exists(dir.file("shot.prj")));
}

// The kind chosen in the dialog names the extension its question covers: the scene picture and
// the point table.
TEST_F(SaveDialogs, TheKindChosenInTheDialogGivesTheExtensionAskedAbout)
{
  Loaded();
  testsupport::WriteAll(dir.file("scene1.bmp"), "kept");
  testsupport::WriteAll(dir.file("points.dat"), "kept");
  for (const auto& [kind, name] : {std::pair{2, "scene1"}, std::pair{3, "points"}}) {
    RefuseThenReplace(name, name + std::string(kind == 2 ? ".bmp" : ".dat"), kind);
    EXPECT_FALSE(fs::exists(dir.file(name))) << name;
  }
  EXPECT_EQ(testsupport::ReadAll(dir.file("scene1.bmp")).substr(0, 2), "BM");
  EXPECT_GT(testsupport::ReadLines(dir.file("points.dat")).size(), 10u);
  EXPECT_FALSE(fs::exists(dir.file("scene1.prj")));
  EXPECT_FALSE(fs::exists(dir.file("points.prj")));
}

// The section chart's picture and XYZ saves ask in the same way.
TEST_F(SaveDialogs, TheSectionChartsSavesAskBeforeReplacing)
{
  TPseudoSection2d chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 6; ++j) chart.AddNode(0, i * 10.0, j * 5.0, 10.0 + i + j);
  chart.BuildSection(true);
  chart.UpdateLevels();
  chart.UpdateLayout();
  chart.PaintBuffer();
  TOpenDialog::SetLastFolder(dir.path().string() + "/");
  auto run = [&](ModalScript& script, int command) {
    chart.PopupCommand(command);
    ExpectPlayed(script);
  };
  // The questions of a save under the typed Name answered No; the dialog then stays and is cancelled.
  auto refuse = [&](const std::string& name, int command) {
    ModalScript script;
    script.Save(name).Answer(QMessageBox::No).Cancel();
    run(script, command);
    return script.Questions;
  };
  testsupport::WriteAll(dir.file("sec.emf"), "kept");
  testsupport::WriteAll(dir.file("nodes.dat"), "kept");
  // The dialog's own kind, and an extension the save does not write.
  EXPECT_TRUE(Mentions(refuse("sec", scSavePicture), "sec.emf"));
  EXPECT_TRUE(Mentions(refuse("sec.png", scSavePicture), "sec.emf"));
  EXPECT_TRUE(Mentions(refuse("nodes", scSaveXYZ), "nodes.dat"));
  EXPECT_TRUE(Mentions(refuse("nodes.txt", scSaveXYZ), "nodes.dat"));
  EXPECT_TRUE(Kept("sec.emf"));
  EXPECT_TRUE(Kept("nodes.dat"));
  EXPECT_FALSE(fs::exists(dir.file("sec.png")));
  EXPECT_FALSE(fs::exists(dir.file("nodes.txt")));
  {
    ModalScript script;
    script.Save("sec").Answer(QMessageBox::Yes);
    run(script, scSavePicture);
    EXPECT_EQ(testsupport::ReadAll(dir.file("sec.emf")).substr(40, 4), " EMF");
  }
  {
    // A new name: no question.
    ModalScript script;
    script.Save("fresh");
    run(script, scSaveXYZ);
    EXPECT_TRUE(script.Questions.empty());
    EXPECT_EQ(testsupport::ReadLines(dir.file("fresh.dat")).size(), 49u);
  }
}
