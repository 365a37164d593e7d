// The base of every window of the program. A form owns its window: one message thunk
// hands each message to the virtual handlers, and no exception ever leaves it (it goes
// to the error handler instead). Forms are shown modally (ShowModal returns the modal
// result) or modelessly (the form then deletes itself when its window closes).
// Controls are placed by anchors in design units (96 DPI), scaled by the window's DPI.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/caption_bar.h"
#include "ui/layout.h"

// Persistence flags of a form: what its placement store restores besides the window.
enum : uint8_t { pfSplitters = 4, pfListColumns = 16 };

class TBasicFormFRM {
 public:
  // name: the form's class name, also its section in the placement store. caption:
  // the designed caption (German, translated here); the window shows it followed by
  // the product name. client: the designed client size in design units.
  TBasicFormFRM(std::string name, const std::string& caption, SIZE client);
  virtual ~TBasicFormFRM();
  TBasicFormFRM(const TBasicFormFRM&) = delete;
  TBasicFormFRM& operator=(const TBasicFormFRM&) = delete;

  HWND Handle() const { return hwnd_; }
  const std::string& Name() const { return name_; }
  // Creates the window (still hidden) with its controls; done by the show variants.
  void CreateHandle(HWND owner);
  // Shows the form and runs its own message loop until a modal result is set; the
  // owner is disabled meanwhile. Returns the modal result (mrCancel when closed).
  int ShowModal(HWND owner = nullptr);
  // Shows the form and returns; the form must have been made with new and deletes
  // itself when its window is destroyed.
  void ShowModeless(HWND owner = nullptr);
  // Closes the form as its close button does (the close query may refuse).
  void Close();
  void SetModalResult(int result) { modal_result_ = result; }
  int ModalResult() const { return modal_result_; }
  void SetCaption(const std::string& caption);
  int Dpi() const { return dpi_; }
  int Scale(int designUnits) const { return ScaleToDpi(designUnits, dpi_); }

  // Window state and position kept in the placement store, restored on creation.
  bool SavePosition = false;
  uint8_t PersistFlags = 0;
  // Called once, 10 ms after the window became visible.
  std::function<void()> AfterShow;

 protected:
  // A child control at a design rectangle with its anchors; text is translated.
  HWND AddControl(const wchar_t* className, const std::string& text, DWORD style, RECT design, uint8_t anchors,
                  int id = 0, DWORD exStyle = 0);
  // A push button whose id is the modal result it sets (1 to 10), or a command id.
  HWND AddButton(const std::string& caption, RECT design, uint8_t anchors, int id, bool isDefault = false);
  // The result that Escape and the close button give (mrCancel unless changed).
  void SetCancelResult(int result) { cancel_result_ = result; }
  void SetDesignSize(SIZE client);
  HFONT Font() const { return font_; }
  // Adds a control made elsewhere (a splitter bar) to the layout.
  void AddToLayout(HWND control, RECT design, uint8_t anchors) { layout_.Add(control, design, anchors); }
  Layout& Controls() { return layout_; }
  void Relayout() { layout_.Apply(hwnd_, dpi_); }
  // Kept in the form's section of the placement store when PersistFlags says so: a
  // list view's column widths ("<name>.count", "<i>_<name>"), a splitter's position
  // ("<name>Bar"; move gets it back, position tells it at closing time).
  void PersistColumns(HWND list, std::string name) { persisted_lists_.emplace_back(list, std::move(name)); }
  void PersistSplitter(std::string name, std::function<int()> position, std::function<void(int)> move) {
    persisted_splitters_.push_back({std::move(name), std::move(position), std::move(move)});
  }
  // Labels, check boxes and group boxes lying on this tab control take the colour of
  // its body.
  void AddTabBody(HWND tabs) { tab_bodies_.push_back({tabs, nullptr, 0}); }

  virtual void CreateControls() {}
  // The control that has the focus when the form is shown (the default button).
  virtual HWND InitialFocus() const { return default_id_ != 0 ? GetDlgItem(hwnd_, default_id_) : nullptr; }
  // False keeps the window open.
  virtual bool CloseQuery() { return true; }
  // A command of a control or menu; ids 1 to 10 not handled here set the modal result.
  virtual void Command(int id, int notifyCode, HWND control);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  virtual DWORD Style() const { return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN; }
  virtual DWORD ExStyle() const { return WS_EX_CONTROLPARENT; }

 private:
  static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
  void Destroyed();
  void RestoreStore();
  void SaveStore();
  // The brush for a control lying on a tab body, or null.
  HBRUSH TabBodyBrush(HWND control, COLORREF& colour);
  void ForgetTabBodies();

  std::string name_, caption_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  Layout layout_;
  CaptionBar caption_bar_;
  struct TabBody {
    HWND tabs;
    HBRUSH brush;  // made at the first use, when the tab has its size
    COLORREF colour;
  };
  std::vector<TabBody> tab_bodies_;
  std::vector<std::pair<HWND, std::string>> persisted_lists_;
  struct PersistedSplitter {
    std::string name;
    std::function<int()> position;
    std::function<void(int)> move;
  };
  std::vector<PersistedSplitter> persisted_splitters_;
  int dpi_ = 96;
  int modal_result_ = 0;
  int cancel_result_ = 2;  // mrCancel
  int default_id_ = 0;
  bool modeless_ = false;
  bool shown_once_ = false;
};

// Every dialog of the program: the base form in the program's font (Tahoma where it
// is installed).
class TfTSW_BasicForm : public TBasicFormFRM {
 public:
  using TBasicFormFRM::TBasicFormFRM;
};

// Receives every exception a window procedure caught: the form's name and the error.
// The application frame installs the error dialog here; without one it is dropped.
using WindowErrorHandler = void (*)(const std::string& sender, const std::exception& error);
void SetWindowErrorHandler(WindowErrorHandler handler);

// The window's DPI (the system's where the window cannot say).
int DpiOf(HWND hwnd);
