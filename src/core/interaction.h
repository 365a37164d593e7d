// The interaction seam: the one way engines ask the user and report progress.
//
// The window program installs its message dialogs and status bar, batch mode an
// implementation that answers by its rules and logs, tests a scripted one. Engines
// call UI() and never see a window. Until something is installed, a silent
// implementation answers every question with its safe choice (no, cancel).
#pragma once

#include <string>

enum class MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
using MsgDlgType::mtConfirmation;
using MsgDlgType::mtCustom;
using MsgDlgType::mtError;
using MsgDlgType::mtInformation;
using MsgDlgType::mtWarning;

// Buttons of a message box (a set of flags).
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYes = 1u << 0;
constexpr TMsgDlgButtons mbNo = 1u << 1;
constexpr TMsgDlgButtons mbOK = 1u << 2;
constexpr TMsgDlgButtons mbCancel = 1u << 3;
constexpr TMsgDlgButtons mbAbort = 1u << 4;
constexpr TMsgDlgButtons mbRetry = 1u << 5;
constexpr TMsgDlgButtons mbIgnore = 1u << 6;
constexpr TMsgDlgButtons mbAll = 1u << 7;
constexpr TMsgDlgButtons mbNoToAll = 1u << 8;
constexpr TMsgDlgButtons mbYesToAll = 1u << 9;
constexpr TMsgDlgButtons mbHelp = 1u << 10;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// Modal results: which button closed a box.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

// The status controls of the main window that engines write to.
enum class StatusControl { Statuspanel, ProgressBar1, ProgressBar2, StatusLBL2, reglabel };

// The two questions about a file registered as shared (below the SharedDlls key):
// a new file still listed there is to be deleted, or undoing has brought its use
// counter down to zero.
enum class SharedFileQuestion { StillRegistered, CounterAtZero };

class Interaction {
 public:
  virtual ~Interaction() = default;

  // A message box with the program's German buttons; returns the modal result.
  virtual int MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons,
                         int helpContext) = 0;
  // A plain information box with an OK button.
  virtual void ShowMessage(const std::string& text) = 0;
  // Asks for one line of text; false when the user cancelled (value unchanged).
  virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                          std::string& value) = 0;

  // Asks whether to delete the shared file path; mrYes deletes, anything else keeps it.
  // sameForAll: the answer holds for every further file of this run. Without a dialog
  // of its own the question goes through MessageDlg, for this file alone.
  virtual int AskSharedFile(SharedFileQuestion question, const std::string& path, bool& sameForAll);

  // Status display: text, maximum, position and visibility of one control.
  virtual void SetStatusText(StatusControl control, const std::string& text) = 0;
  virtual void SetStatusMax(StatusControl control, int maximum) = 0;
  virtual void SetStatusPosition(StatusControl control, int position) = 0;
  virtual void SetStatusVisible(StatusControl control, bool visible) = 0;
  virtual bool StatusVisible(StatusControl control) const = 0;

  // Lets pending window messages run; long loops call it at fixed rhythms.
  virtual void ProcessMessages() = 0;
  // True once the user asked to cancel the running operation.
  virtual bool CancelRequested() const = 0;
  // A person asked to stop the running operation (its "Abbrechen" button).
  virtual void RequestCancel() {}
  virtual void ResetCancel() = 0;

  // Hourglass; nestable, the program is busy while any is open.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  virtual bool IsBusy() const = 0;
};

// The installed implementation (a silent one until InstallInteraction is called).
Interaction& UI();
// Installs an implementation (not owned); nullptr goes back to the silent one.
void InstallInteraction(Interaction* interaction);

// Shorthands used throughout the engines.
inline int MessageDlg(const std::string& text, MsgDlgType type, TMsgDlgButtons buttons,
                      int helpContext = 0) {
  return UI().MessageDlg(text, type, buttons, helpContext);
}
inline void ShowMessage(const std::string& text) { UI().ShowMessage(text); }
inline void BeginBusy() { UI().BeginBusy(); }
inline void EndBusy() { UI().EndBusy(); }

// Busy cursor for one scope.
class BusyScope {
 public:
  BusyScope() { BeginBusy(); }
  ~BusyScope() { EndBusy(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};
