#include "ui/form.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "core/exceptions.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/text.h"
#include "ui/placement.h"
#include "ui/tab_control.h"

namespace {

constexpr wchar_t kClassName[] = L"QuitawayForm";
constexpr UINT_PTR kAfterShowTimer = 0x5157;
WindowErrorHandler g_errorHandler = nullptr;

bool RegisterFormClass(WNDPROC proc) {
  static const bool registered = [proc] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES |
                                                      ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &lf, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// 8 points in Tahoma where it is installed, else in the system's dialog font.
HFONT MakeFont(int dpi) {
  static const bool tahoma = FontInstalled(L"Tahoma");
  return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, tahoma ? L"Tahoma" : L"MS Shell Dlg 2");
}

}  // namespace

void SetWindowErrorHandler(WindowErrorHandler handler) { g_errorHandler = handler; }

int DpiOf(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc != nullptr) ReleaseDC(hwnd, dc);
  return dpi > 0 ? dpi : 96;
}

TBasicFormFRM::TBasicFormFRM(std::string name, const std::string& caption, SIZE client)
    : name_(std::move(name)), caption_(tr(caption)) {
  layout_.SetDesignSize(client);
}

TBasicFormFRM::~TBasicFormFRM() {
  if (hwnd_ != nullptr) {
    SaveStore();
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);  // no more messages to a form being destroyed
    DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) DeleteObject(font_);
  ForgetTabBodies();
}

HBRUSH TBasicFormFRM::TabBodyBrush(HWND control, COLORREF& colour) {
  RECT r;
  if (!GetWindowRect(control, &r)) return nullptr;
  for (TabBody& body : tab_bodies_) {
    RECT tabs, inside;
    if (!IsWindowVisible(body.tabs) || !GetWindowRect(body.tabs, &tabs) || !IntersectRect(&inside, &tabs, &r) ||
        !EqualRect(&inside, &r))
      continue;
    if (body.brush == nullptr) {
      body.colour = TabBodyColour(body.tabs);
      body.brush = CreateSolidBrush(body.colour);
    }
    colour = body.colour;
    return body.brush;
  }
  return nullptr;
}

void TBasicFormFRM::ForgetTabBodies() {
  for (TabBody& body : tab_bodies_) {
    if (body.brush != nullptr) DeleteObject(body.brush);
    body.brush = nullptr;
  }
}

void TBasicFormFRM::SetDesignSize(SIZE client) { layout_.SetDesignSize(client); }

void TBasicFormFRM::CreateHandle(HWND owner) {
  if (hwnd_ != nullptr) return;
  if (!RegisterFormClass(&Thunk)) throw EQuitawayError(tr("Das Fenster konnte nicht angelegt werden"));
  dpi_ = DpiOf(nullptr);
  font_ = MakeFont(dpi_);
  const std::string title = caption_.empty() ? std::string(ProductName) : caption_ + " " + ProductName;
  CreateWindowExW(ExStyle(), kClassName, platform::Utf8ToWide(title).c_str(), Style(), CW_USEDEFAULT, CW_USEDEFAULT,
                  0, 0, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) throw EQuitawayError(tr("Das Fenster konnte nicht angelegt werden"));
  caption_bar_.Attach(hwnd_);
  CreateControls();  // may still set the design size (a box measures its text)
  const SIZE design = layout_.DesignSize();
  RECT frame{0, 0, Scale(design.cx), Scale(design.cy)};
  AdjustWindowRectEx(&frame, Style(), FALSE, ExStyle());
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  layout_.Apply(hwnd_, dpi_);
  RestoreStore();
  // Centred on the owner (or the screen) unless the store knows better.
  if (!SavePosition || !RestorePlacement(hwnd_, name_)) {
    RECT r, area;
    GetWindowRect(hwnd_, &r);
    if (owner != nullptr && IsWindowVisible(owner)) GetWindowRect(owner, &area);
    else SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Centred, but never with its caption off the top or left of the screen.
    const int x = std::max<int>(work.left, area.left + (area.right - area.left - w) / 2);
    const int y = std::max<int>(work.top, area.top + (area.bottom - area.top - h) / 2);
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TBasicFormFRM::RestoreStore() {
  if (PersistFlags & pfListColumns)
    for (const auto& [list, name] : persisted_lists_) RestoreColumnWidths(list, name_, name, name + ".count");
  if (PersistFlags & pfSplitters)
    for (const PersistedSplitter& s : persisted_splitters_)
      if (const int32_t x = ReadLayoutValue(name_, s.name + "Bar", -1); x != -1) s.move(x);
}

void TBasicFormFRM::SaveStore() {
  if (SavePosition) SavePlacement(hwnd_, name_);
  if (PersistFlags & pfListColumns)
    for (const auto& [list, name] : persisted_lists_) SaveColumnWidths(list, name_, name, name + ".count");
  if (PersistFlags & pfSplitters)
    for (const PersistedSplitter& s : persisted_splitters_) WriteLayoutValue(name_, s.name + "Bar", s.position());
}

void TBasicFormFRM::SetCaption(const std::string& caption) {
  caption_ = caption;
  if (hwnd_ != nullptr) SetWindowTextW(hwnd_, platform::Utf8ToWide(caption).c_str());
}

HWND TBasicFormFRM::AddControl(const wchar_t* className, const std::string& text, DWORD style, RECT design,
                               uint8_t anchors, int id, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, platform::Utf8ToWide(tr(text)).c_str(),
                                 WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
  if (control == nullptr) throw EQuitawayError(tr("Das Fenster konnte nicht angelegt werden"));
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  layout_.Add(control, design, anchors);
  return control;
}

HWND TBasicFormFRM::AddButton(const std::string& caption, RECT design, uint8_t anchors, int id, bool isDefault) {
  if (isDefault) default_id_ = id;
  return AddControl(L"BUTTON", caption, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), design, anchors,
                    id);
}

int TBasicFormFRM::ShowModal(HWND owner) {
  CreateHandle(owner);
  const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  modal_result_ = 0;
  ShowWindow(hwnd_, SW_SHOW);
  if (HWND focus = InitialFocus()) SetFocus(focus);
  MSG msg;
  while (modal_result_ == 0 && hwnd_ != nullptr) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the program ends: leave the loop, keep the quit
      if (modal_result_ == 0) modal_result_ = cancel_result_;
      break;
    }
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  if (hwnd_ != nullptr) {
    ShowWindow(hwnd_, SW_HIDE);
    if (owner != nullptr) SetActiveWindow(owner);
  }
  return modal_result_;
}

void TBasicFormFRM::ShowModeless(HWND owner) {
  modeless_ = true;
  CreateHandle(owner);
  ShowWindow(hwnd_, SW_SHOW);
}

void TBasicFormFRM::Close() {
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void TBasicFormFRM::Command(int id, int, HWND) {
  if (id >= 1 && id <= 10) modal_result_ = id;
}

LRESULT TBasicFormFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      int id = LOWORD(wp);
      // Escape answers with the cancel result, as the close button does.
      if (id == IDCANCEL && lp == 0 && GetDlgItem(hwnd_, IDCANCEL) == nullptr) id = cancel_result_;
      Command(id, HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    }
    case WM_SETCURSOR:  // the hourglass stays while the program is busy
      if (UI().IsBusy() && LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      COLORREF colour = 0;
      if (HBRUSH brush = TabBodyBrush(reinterpret_cast<HWND>(lp), colour)) {
        SetBkColor(reinterpret_cast<HDC>(wp), colour);
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    }
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
      ForgetTabBodies();
      break;
    case DM_GETDEFID:
      return default_id_ != 0 ? MAKELRESULT(default_id_, DC_HASDEFID) : 0;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) layout_.Apply(hwnd_, dpi_);
      return 0;
    case WM_GETMINMAXINFO: {  // never smaller than designed: no control leaves the window
      RECT frame{0, 0, Scale(layout_.DesignSize().cx), Scale(layout_.DesignSize().cy)};
      AdjustWindowRectEx(&frame, Style(), FALSE, ExStyle());
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_SHOWWINDOW:
      if (wp && !shown_once_) {
        shown_once_ = true;
        if (AfterShow) SetTimer(hwnd_, kAfterShowTimer, 10, nullptr);
      }
      break;
    case WM_TIMER:
      if (wp == kAfterShowTimer) {
        KillTimer(hwnd_, kAfterShowTimer);
        if (AfterShow) AfterShow();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (!CloseQuery()) return 0;
      if (modeless_) {
        DestroyWindow(hwnd_);
      } else {
        if (modal_result_ == 0) modal_result_ = cancel_result_;
      }
      return 0;
    case WM_DESTROY:
      SaveStore();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT TBasicFormFRM::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
  try {
    const LRESULT result = HandleMessage(msg, wp, lp);
    // Only these: after others (a close) the form may be gone already.
    if (msg == WM_NCPAINT || msg == WM_NCACTIVATE || msg == WM_SETTEXT) caption_bar_.AfterSystem(msg, wp);
    return result;
  } catch (const EAbort&) {
    return 0;  // a silent abort: the command said all it had to say
  } catch (const std::exception& e) {
    if (g_errorHandler != nullptr) g_errorHandler(name_, e);
  } catch (...) {
    // nothing that is not an exception object may cross into the system's code
  }
  return 0;
}

void TBasicFormFRM::Destroyed() {
  hwnd_ = nullptr;
  if (modeless_) delete this;
}

LRESULT CALLBACK TBasicFormFRM::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* form = static_cast<TBasicFormFRM*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TBasicFormFRM*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
    form->Destroyed();
    return r;
  }
  return form->Dispatch(msg, wp, lp);
}
