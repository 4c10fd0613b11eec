// The plug-in's windows and the plain code behind them. The window tests
// need a display (CTest runs them under xvfb-run) and drive the dialogs
// through the toolkit's events and a modal-dialog hook.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/config_dialog.h"
#include "ui/console_progress.h"
#include "ui/fields.h"
#include "ui/folder_chooser.h"
#include "ui/help_dialog.h"
#include "ui/progress_callbacks.h"
#include "ui/progress_window_wx.h"
#include "ui/strings.h"
#include "ui/sunken_controls.h"
#include "ui/toolkit.h"
#include "ui/user_interface.h"
#include "ui/windows.h"

// The windows are linked into this program: the calls use them instead of
// opening the plug-in's companion module.
const bool kWindowsLinkedIn = (UseWindowsModule(WxWindows()), true);

namespace {

// ---- plain code ----

TEST(ProgressArithmetic, Percent) {
  struct Case {
    long position, count;
    int percent, label;
  };
  const Case cases[] = {
      {0, 1, 100, 100}, {-1, 0, 100, 100},   {0, 0, 0, 0},           {5, 1, 0, 0},
      {0, 1001, 0, 0},  {500, 1001, 50, 50}, {1000, 1001, 100, 100}, {999, 1001, 99, 99},
      {50, 50, 102, 2}, {100, 51, 200, 0},   {1, 3, 50, 50},
  };
  for (const auto& c : cases) {
    const int percent = ProgressPercent(c.position, c.count);
    EXPECT_EQ(percent, c.percent) << "(" << c.position << ", " << c.count << ")";
    EXPECT_EQ(PercentLabel(percent, 0, 100), c.label)
        << "(" << c.position << ", " << c.count << ")";
  }
}

// Records what the callbacks do to a window.
class RecordingWindow : public ProgressWindow {
 public:
  int SetBarPos(int bar, int position) override {
    moves.push_back({bar, position});
    return 0;
  }
  void SetBarStatus(int bar, const char* text) override {
    status[bar - 1] = text;
    ++status_sets;
  }
  void GetBarStatus(int bar, char* buffer, int capacity) override {
    snprintf(buffer, capacity, "%s", status[bar - 1].c_str());
  }
  std::vector<std::pair<int, int>> moves;
  std::string status[3] = {"Status", "Status", "Status"};
  int status_sets = 0;
};

TEST(ProgressCallbacks, ThrottleAndStatus) {
  RecordingWindow window;
  g_progressWindow = &window;
  g_showProgress = 1;
  ResetProgressState();
  Bar2Progress(96, 101);
  Bar2Progress(100, 101);  // 100 is within 4 of 96: skipped
  Bar1Progress(0, 1000);
  Bar1Progress(0, 1000);  // 0 always moves
  Bar1Progress(500, 1000);
  Bar1Progress(500, 1000);
  EXPECT_EQ(window.moves, (std::vector<std::pair<int, int>>{{2, 96}, {1, 0}, {1, 0}, {1, 50}}));
  Bar1Message(const_cast<char*>("Parsing %s"), "...");
  Bar1Message(const_cast<char*>("Parsing ..."));
  EXPECT_EQ(window.status[0], "Parsing ...");
  EXPECT_EQ(window.status_sets, 1) << "the same text twice is set once";
  g_showProgress = 0;
  Bar3Progress(0, 10);
  Bar3Message(const_cast<char*>("x"));
  EXPECT_EQ(window.moves.size(), 4u);
  EXPECT_EQ(window.status[2], "Status");
  g_showProgress = 1;
  g_progressWindow = nullptr;
  Bar1Progress(0, 10);  // no window: nothing to do, nothing to crash
  ResetProgressState();
}

TEST(ConsoleProgress, DrawsTheThreeBars) {
  FILE* sink = tmpfile();
  {
    ConsoleProgress console(sink, "scene.pov");
    console.SetBarPos(1, 42);
    console.SetBarStatus(1, "Parsing ...");
    console.SetBarPos(2, 102);
    const std::string text = console.Render();
    EXPECT_EQ(text,
              "File Progress: 42%   [############..................] Parsing ...\n"
              "Mesh Progress: 2%    [##############################] Status\n"
              "Mesh Progress:  0 %  [..............................] Status\n");
    char status[8];
    console.GetBarStatus(1, status, sizeof status);
    EXPECT_STREQ(status, "Parsing");
  }  // closes (and draws) before its stream goes
  fclose(sink);
}

TEST(ConsoleProgress, DrawsNoFasterThanATerminalShowsAndTheLastStateAtTheEnd) {
  FILE* sink = tmpfile();
  {
    ConsoleProgress console(sink, "scene.pov");
    for (int percent = 1; percent <= 100; ++percent) console.SetBarPos(1, percent);
  }
  std::rewind(sink);
  std::string out;
  for (int c; (c = std::fgetc(sink)) != EOF;) out += static_cast<char>(c);
  fclose(sink);
  int redraws = 0;
  for (size_t at = 0; (at = out.find("\033[3A", at)) != std::string::npos; ++at) ++redraws;
  EXPECT_GE(redraws, 1);
  EXPECT_LT(redraws, 50) << "a hundred moves in well under a second";
  const size_t last = out.rfind("\033[3A");
  EXPECT_NE(out.find("File Progress: 100%", last), std::string::npos) << out.substr(last);
}

TEST(Strings, TableAndLineBreaks) {
  EXPECT_EQ(Caption(kStringHelp), "POV Help");
  EXPECT_EQ(Caption(kStringConfiguration), "POV Configuration");
  EXPECT_EQ(
      std::string(LoadString(kStringHelpText))
          .find(
              "Tarvo Import Plugin 1.0\n\nImports *.pov *.inc POV-Ray File\n\nCommon Settings:\n\n"
              "      Verbose: enable detailed logging\n      Log File name: enter new log file "
              "name\n\nSupports only mesh2 objects.\n\n"),
      0u);
  EXPECT_EQ(ExpandLineBreaks("a\nb\n\n"), "a\r\nb\r\n\r\n");
  EXPECT_EQ(ExpandLineBreaks("a\r\nb"), "a\r\r\nb");
  EXPECT_EQ(ExpandLineBreaks(""), "");
}

TEST(Fields, NumberReaders) {
  DoubleField d = ReadDoubleField("3.14159", 1.0);
  EXPECT_EQ(d.value, 3.14159);
  EXPECT_FALSE(d.malformed);
  EXPECT_EQ(d.shown, "3.142");
  d = ReadDoubleField("12abc", 1.0);
  EXPECT_EQ(d.shown, "12.000");
  d = ReadDoubleField("abc", 2.5);
  EXPECT_TRUE(d.malformed);
  EXPECT_EQ(d.value, 2.5);
  EXPECT_EQ(d.shown, "2.500");
  d = ReadDoubleField("   ", 2.5);
  EXPECT_FALSE(d.malformed);
  EXPECT_EQ(d.shown, "2.500");
  d = ReadDoubleField("1e300", 0);
  EXPECT_FALSE(d.malformed);
  EXPECT_LT(d.shown.size(), 64u) << "a huge value is shown in bounds";
  IntField i = ReadIntField("7.9", 3);
  EXPECT_EQ(i.value, 7);
  EXPECT_FALSE(i.malformed);
  EXPECT_EQ(i.shown, "7");
  i = ReadIntField("abc", 3);
  EXPECT_TRUE(i.malformed);
  EXPECT_EQ(i.shown, "3");
  i = ReadIntField("", 3);
  EXPECT_FALSE(i.malformed);
}

TEST(Fields, FolderSeparators) {
  char start[kFolderPathCapacity] = "/home/ana/scenes/";
  DropTrailingSeparator(start);
  EXPECT_STREQ(start, "/home/ana/scenes");
  DropTrailingSeparator(start);
  EXPECT_STREQ(start, "/home/ana/scenes");
  char path[kFolderPathCapacity] = "/home/ana";
  EnsureTrailingSeparator(path);
  EXPECT_STREQ(path, "/home/ana/");
  char root[kFolderPathCapacity] = "/";
  EnsureTrailingSeparator(root);
  EXPECT_STREQ(root, "/");
  char empty[kFolderPathCapacity] = "";
  EnsureTrailingSeparator(empty);
  EXPECT_STREQ(empty, "/");
  char full[kFolderPathCapacity];
  std::string long_path(kFolderPathCapacity - 1, 'x');
  snprintf(full, sizeof full, "%s", long_path.c_str());
  EnsureTrailingSeparator(full);
  EXPECT_EQ(std::string(full).size(), kFolderPathCapacity - 1);
  EXPECT_EQ(full[kFolderPathCapacity - 2], '/');
}

// ---- windows ----

class NeedsDisplay : public testing::Test {
 protected:
  void SetUp() override {
    if (!EnsureToolkit()) GTEST_SKIP() << "no display";
  }
};

// Runs one script per modal dialog, in order, once the dialog is up;
// message boxes are answered OK without being shown and recorded.
class ScriptedDialogs : public wxModalDialogHook {
 public:
  ScriptedDialogs() { Register(); }
  ~ScriptedDialogs() override { Unregister(); }

  std::deque<std::function<void(wxDialog*)>> scripts;
  std::vector<std::string> messages;  // "caption: text" of message boxes

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog)) {
      messages.push_back((box->GetTitle() + ": " + box->GetMessage()).ToStdString());
      return wxID_OK;
    }
    if (scripts.empty()) return wxID_CANCEL;  // an unexpected dialog: do not hang
    auto script = scripts.front();
    scripts.pop_front();
    dialog->CallAfter([script, dialog] { script(dialog); });
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {}
};

void Click(wxWindow* dialog, int id) {
  wxWindow* button = dialog->FindWindow(id);
  ASSERT_NE(button, nullptr) << "button " << id;
  wxCommandEvent event(wxEVT_BUTTON, id);
  event.SetEventObject(button);
  button->GetEventHandler()->ProcessEvent(event);
}

void Check(wxWindow* dialog, int id, bool on) {
  auto* box = static_cast<wxCheckBox*>(dialog->FindWindow(id));
  box->SetValue(on);
  wxCommandEvent event(wxEVT_CHECKBOX, id);
  event.SetInt(on ? 1 : 0);
  event.SetEventObject(box);
  box->GetEventHandler()->ProcessEvent(event);
}

// Types `text` into the edit and moves the focus away from it.
void Type(wxWindow* dialog, int id, const std::string& text) {
  auto* edit = static_cast<wxTextCtrl*>(dialog->FindWindow(id));
  edit->ChangeValue(wxString::FromUTF8(text));
  wxFocusEvent lost(wxEVT_KILL_FOCUS, id);
  lost.SetEventObject(edit);
  edit->GetEventHandler()->ProcessEvent(lost);
}

std::string TextOf(wxWindow* dialog, int id) {
  wxWindow* control = dialog->FindWindow(id);
  if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) return edit->GetValue().ToStdString();
  return control->GetLabel().ToStdString();
}

using ConfigDialogTest = NeedsDisplay;

TEST_F(ConfigDialogTest, ControlsCaptionAndTabOrder) {
  ScriptedDialogs hook;
  std::vector<int> ids;
  std::string caption, log_text, library_text;
  bool verbose_box = false, povray_box = false;
  hook.scripts.push_back([&](wxDialog* d) {
    caption = d->GetTitle().ToStdString();
    for (wxWindow* child : d->GetChildren())
      ids.push_back(child->GetId() < 0 ? -1 : child->GetId());
    log_text = TextOf(d, CConfigDialog::kLogNameId);
    verbose_box = static_cast<wxCheckBox*>(d->FindWindow(CConfigDialog::kVerboseId))->GetValue();
    povray_box =
        static_cast<wxCheckBox*>(d->FindWindow(CConfigDialog::kPovraySyntaxId))->GetValue();
    library_text = TextOf(d, CConfigDialog::kLibraryPathId);
    Click(d, CConfigDialog::kCancelId);
  });
  ConfigValues values;
  std::strcpy(values.log_name, "tarvoin.log");
  values.verbose = 1;
  values.povray_syntax = 1;
  values.library_path = "/usr/share/povray/include";
  EXPECT_EQ(ShowConfigDialog(&values), 0);
  EXPECT_EQ(caption, "POV Configuration");
  // The documented controls first, then the Specific group's (the shapes'
  // check box, the tolerance's label and field last).
  EXPECT_EQ(ids, (std::vector<int>{1, 2, -1, 1024, -1, 1025, -1, 3, 1026, -1, 1027, 1028, 1029, -1,
                                   1030}));
  EXPECT_EQ(log_text, "tarvoin.log");
  EXPECT_TRUE(verbose_box);
  EXPECT_TRUE(povray_box);
  EXPECT_EQ(library_text, "/usr/share/povray/include");
}

TEST_F(ConfigDialogTest, OkStoresCancelAndCloseStoreNothing) {
  struct Case {
    const char* label;
    int end_id;  // 0: the close box
    int result;
  };
  const Case cases[] = {{"OK", CConfigDialog::kOkId, 1},
                        {"Cancel", CConfigDialog::kCancelId, 0},
                        {"close box", 0, 0}};
  for (const auto& c : cases) {
    ScriptedDialogs hook;
    hook.scripts.push_back([&](wxDialog* d) {
      Check(d, CConfigDialog::kVerboseId, true);
      Type(d, CConfigDialog::kLogNameId, "/var/log/povray import.log");
      Check(d, CConfigDialog::kPovraySyntaxId, true);
      Type(d, CConfigDialog::kLibraryPathId, "/opt/ldraw:/opt/pov");
      Check(d, CConfigDialog::kPlaceObjectsId, false);
      if (c.end_id != 0) {
        Click(d, c.end_id);
      } else {
        d->Close();
      }
    });
    ConfigValues values;
    std::strcpy(values.log_name, "tarvoin.log");
    EXPECT_EQ(ShowConfigDialog(&values), c.result) << c.label;
    EXPECT_STREQ(values.log_name, c.result ? "/var/log/povray import.log" : "tarvoin.log")
        << c.label;
    EXPECT_EQ(values.verbose, c.result) << c.label;
    EXPECT_EQ(values.povray_syntax, c.result) << c.label;
    EXPECT_EQ(values.library_path, c.result ? "/opt/ldraw:/opt/pov" : "") << c.label;
    EXPECT_EQ(values.place_objects, c.result ? 0 : 1) << c.label;
  }
}

TEST_F(ConfigDialogTest, ALogNameThatIsNotUtf8IsShownAndKeptByteForByte) {
  struct Case {
    const char* label;
    std::string typed;  // "" leaves the edit as shown
    std::string stored;
  };
  const Case cases[] = {{"unchanged", "", "caf\xe9.log"},
                        {"edited", "caf\xe9-2.log", "caf\xe9-2.log"}};
  for (const Case& c : cases) {
    ScriptedDialogs hook;
    std::string shown;
    hook.scripts.push_back([&](wxDialog* d) {
      shown = static_cast<wxTextCtrl*>(d->FindWindow(CConfigDialog::kLogNameId))
                  ->GetValue()
                  .utf8_string();
      if (!c.typed.empty()) {
        Type(d, CConfigDialog::kLogNameId,
             wxString(c.typed.c_str(), wxConvISO8859_1).utf8_string());
      }
      Click(d, CConfigDialog::kOkId);
    });
    ConfigValues values;
    std::strcpy(values.log_name, "caf\xe9.log");  // Latin-1
    ASSERT_EQ(ShowConfigDialog(&values), 1) << c.label;
    EXPECT_EQ(shown, "caf\xc3\xa9.log") << c.label;
    EXPECT_EQ(std::string(values.log_name), c.stored) << c.label;
  }
}

TEST_F(ConfigDialogTest, LogNameIsCutTo258Characters) {
  ScriptedDialogs hook;
  hook.scripts.push_back([&](wxDialog* d) {
    Type(d, CConfigDialog::kLogNameId, std::string(300, 'n'));
    Click(d, CConfigDialog::kOkId);
  });
  ConfigValues values;
  ASSERT_EQ(ShowConfigDialog(&values), 1);
  EXPECT_EQ(std::string(values.log_name), std::string(258, 'n'));
}

TEST_F(ConfigDialogTest, HelpEndsWithOkOrWithCancelForEscAndTheCloseBox) {
  struct Case {
    const char* label;
    std::function<void(wxDialog*)> end;
    int result;
  };
  const Case cases[] = {
      {"OK", [](wxDialog* d) { Click(d, CHelpDialog::kOkId); }, CHelpDialog::kOkId},
      {"Esc",
       [](wxDialog* d) {
         wxKeyEvent escape(wxEVT_CHAR_HOOK);
         escape.m_keyCode = WXK_ESCAPE;
         escape.SetEventObject(d);
         d->GetEventHandler()->ProcessEvent(escape);
       },
       CHelpDialog::kCancelId},
      {"close box", [](wxDialog* d) { d->Close(); }, CHelpDialog::kCancelId},
  };
  for (const Case& c : cases) {
    ScriptedDialogs hook;
    hook.scripts.push_back([&](wxDialog* d) {
      c.end(d);
      // A dialog that ignored the key is still open: end it with OK, which
      // the expectation below then reports.
      d->CallAfter([d] {
        if (d->IsModal()) d->EndModal(CHelpDialog::kOkId);
      });
    });
    EXPECT_EQ(ShowHelpDialog(), c.result) << c.label;
  }
}

TEST_F(ConfigDialogTest, HelpOnTopLeavesItOpenAndUnchanged) {
  ScriptedDialogs hook;
  std::string help_caption, help_text, after;
  bool config_shown = false;
  hook.scripts.push_back([&](wxDialog* d) {
    Type(d, CConfigDialog::kLogNameId, "edited.log");
    Click(d, CConfigDialog::kHelpId);  // runs the help dialog modally, below
    config_shown = d->IsShown();
    after = TextOf(d, CConfigDialog::kLogNameId);
    Click(d, CConfigDialog::kCancelId);
  });
  hook.scripts.push_back([&](wxDialog* help) {
    help_caption = help->GetTitle().ToStdString();
    help_text = TextOf(help, CHelpDialog::kTextId);
    Click(help, CHelpDialog::kOkId);
  });
  ConfigValues values;
  std::strcpy(values.log_name, "tarvoin.log");
  EXPECT_EQ(ShowConfigDialog(&values), 0);
  EXPECT_EQ(help_caption, "POV Help");
  EXPECT_EQ(help_text, LoadString(kStringHelpText));
  EXPECT_TRUE(config_shown);
  EXPECT_EQ(after, "edited.log");
  EXPECT_STREQ(values.log_name, "tarvoin.log");
}

TEST_F(ConfigDialogTest, NumberFieldsCheckTheirInput) {
  ScriptedDialogs hook;
  auto* dialog = new CConfigDialog(nullptr);
  auto* field = static_cast<wxTextCtrl*>(dialog->FindWindow(CConfigDialog::kLogNameId));
  field->ChangeValue("3.14159");
  EXPECT_EQ(dialog->GetFieldDouble(CConfigDialog::kLogNameId, 1.0), 3.14159);
  EXPECT_EQ(field->GetValue(), "3.142");
  field->ChangeValue("7.9");
  EXPECT_EQ(dialog->GetFieldInt(CConfigDialog::kLogNameId, 0), 7);
  EXPECT_EQ(field->GetValue(), "7");
  EXPECT_TRUE(hook.messages.empty());
  field->ChangeValue("abc");
  EXPECT_EQ(dialog->GetFieldDouble(CConfigDialog::kLogNameId, 2.5), 2.5);
  EXPECT_EQ(field->GetValue(), "2.500");
  EXPECT_EQ(hook.messages, std::vector<std::string>{"Error: Invalid Input Format!"});
  field->ChangeValue("");
  EXPECT_EQ(dialog->GetFieldInt(CConfigDialog::kLogNameId, 4), 4);
  EXPECT_EQ(hook.messages.size(), 1u) << "blank input gives no message";
  dialog->Destroy();
}

using ProgressWindowTest = NeedsDisplay;

TEST_F(ProgressWindowTest, OnATerminalACommandLineHostGetsTheConsoleForm) {
  // No host application object here: the tests are a command-line host.
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(slave, 2);
  ProgressWindow* on_terminal = OpenProgressWindow("a.pov");
  const bool console = dynamic_cast<ConsoleProgress*>(on_terminal) != nullptr;
  CloseProgressWindow(on_terminal);
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  close(slave);
  close(master);
  EXPECT_TRUE(console);
  ProgressWindow* elsewhere = OpenProgressWindow("a.pov");  // stderr is no terminal
  EXPECT_NE(dynamic_cast<CProgressWindow*>(elsewhere), nullptr);
  CloseProgressWindow(elsewhere);
}

TEST_F(ProgressWindowTest, ShowsTheReaderProgressAndStaysOpen) {
  ResetProgressState();
  ProgressWindow* window = OpenProgressWindow("/scenes/grid.pov");
  ASSERT_NE(window, nullptr);
  auto* dialog = dynamic_cast<CProgressWindow*>(window);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->GetTitle(), "POV Import /scenes/grid.pov");
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kPercent1), " 0 %");
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kStatus1), "Status");
  g_progressWindow = window;
  Bar1Progress(0, 1000);
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kPercent1), "0%");
  Bar1Message(const_cast<char*>("Parsing ..."));
  Bar1Progress(500, 1001);
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kPercent1), "50%");
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kStatus1), "Parsing ...");
  Bar1Progress(50, 50);
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kPercent1), "2%");
  EXPECT_EQ(TextOf(dialog, CProgressWindow::kPercent2), " 0 %") << "bar 2 untouched";

  // Cancel, Esc and the close box are recorded; the window stays open.
  Click(dialog, CProgressWindow::kCancelId);
  EXPECT_EQ(dialog->TakeCancel(), 1);
  EXPECT_EQ(dialog->TakeCancel(), 0);
  dialog->Close();
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(dialog->TakeCancel(), 1);
  wxKeyEvent escape(wxEVT_CHAR_HOOK);
  escape.m_keyCode = WXK_ESCAPE;
  dialog->GetEventHandler()->ProcessEvent(escape);
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_EQ(dialog->TakeCancel(), 1);

  g_progressWindow = nullptr;
  CloseProgressWindow(window);
  ResetProgressState();
}

// What the progress window draws: a bar that fills its whole rectangle
// inside a sunken frame, and status texts in sunken frames, each at its
// place in dialog units.
TEST_F(ProgressWindowTest, BarsFillTheirRectangleAndStatusTextsAreFramed) {
  auto* window = new CProgressWindow;
  ASSERT_TRUE(window->Create(nullptr));
  window->SetBarPos(1, 50);
  auto* bar = dynamic_cast<SunkenBar*>(window->FindWindow(CProgressWindow::kBar1));
  auto* status = dynamic_cast<SunkenText*>(window->FindWindow(CProgressWindow::kStatus1));
  ASSERT_TRUE(bar != nullptr && status != nullptr);
  EXPECT_EQ(bar->GetSize(), window->ConvertDialogToPixels(wxSize(175, 13)));
  EXPECT_EQ(status->GetSize(), window->ConvertDialogToPixels(wxSize(175, 15)));

  auto pixels = [](auto* control) {
    const wxSize size = control->GetSize();
    wxBitmap bitmap(size);
    {
      wxMemoryDC dc(bitmap);
      control->Render(dc, size);
    }
    return bitmap.ConvertToImage();
  };
  auto colour = [](const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
  };
  const wxColour fill = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
  const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
  const wxColour light = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT);
  const wxImage b = pixels(bar);
  const int h = b.GetHeight(), w = b.GetWidth();
  for (int y = 2; y < h - 2; ++y) {
    EXPECT_EQ(colour(b, w / 4, y), fill) << "row " << y << " of the half-filled bar";
    EXPECT_NE(colour(b, 3 * w / 4, y), fill) << "row " << y << " past the fill";
  }
  for (const wxImage& image : {b, pixels(status)}) {
    EXPECT_EQ(colour(image, image.GetWidth() / 2, 0), shadow) << "the frame's top";
    EXPECT_EQ(colour(image, image.GetWidth() / 2, image.GetHeight() - 1), light)
        << "the frame's bottom";
  }
  window->DestroyWindow();
  delete window;
}

TEST_F(ProgressWindowTest, RangeStepAndOffset) {
  auto* window = new CProgressWindow;
  ASSERT_TRUE(window->Create(nullptr));
  window->SetBarRange(3, 0, 200);
  EXPECT_EQ(window->SetBarPos(3, 50), 0);
  EXPECT_EQ(TextOf(window, CProgressWindow::kPercent3), "25%");
  window->SetBarStep(3, 20);
  EXPECT_EQ(window->StepBar(3), 50);
  EXPECT_EQ(window->OffsetBarPos(3, 130), 70);
  EXPECT_EQ(TextOf(window, CProgressWindow::kPercent3), "100%");
  window->DestroyWindow();
  delete window;
}

}  // namespace

namespace {

using ChooserTest = NeedsDisplay;

// Answers the next chooser with `answer` without showing it, after
// recording how it was set up.
class ChooserAnswer : public wxModalDialogHook {
 public:
  explicit ChooserAnswer(int answer) : answer_(answer) { Register(); }
  ~ChooserAnswer() override { Unregister(); }
  std::string wildcard, path;

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* files = dynamic_cast<wxFileDialog*>(dialog)) {
      wildcard = files->GetWildcard().ToStdString();
      path = files->GetPath().ToStdString();
    } else if (auto* folders = dynamic_cast<wxDirDialog*>(dialog)) {
      path = folders->GetPath().ToStdString();
    }
    return answer_;
  }
  void Exit(wxDialog*) override {}

 private:
  int answer_;
};

// GTK's own choosers answer their path only once shown, so these check how
// the dialogs are set up and what a cancel does; the path rules themselves
// are the Fields tests'.
TEST_F(ChooserTest, OpenFileDialogOffersTheFilterAndKeepsTheFolder) {
  char before[4096], after[4096];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  const char filter[] = "POV-Ray File     (*.pov;*.inc)|*.pov;*.inc|All Files (*.*)|*.*||";
  char chosen[4096] = "unchanged";
  ChooserAnswer answer(wxID_CANCEL);
  EXPECT_FALSE(ChooseSceneFile("/usr/share/start.pov", filter, chosen, sizeof chosen));
  // The patterns match without regard to case: SCENE.POV and PART.INC too.
  EXPECT_EQ(answer.wildcard,
            "POV-Ray File     (*.pov;*.inc)|*.[pP][oO][vV];*.[iI][nN][cC]|All Files (*.*)|*.*");
  EXPECT_STREQ(chosen, "unchanged");
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(after, before);
}

TEST_F(ChooserTest, FolderChooserDropsTheStartSeparatorInPlace) {
  ChooserAnswer answer(wxID_CANCEL);
  char start[] = "/usr/lib/";
  EXPECT_EQ(ChooseFolder(start, nullptr), nullptr);
  EXPECT_STREQ(start, "/usr/lib");
}

}  // namespace
