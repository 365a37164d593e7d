#include "app/web_clean_dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "core/format.h"
#include "core/identity.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/files.h"
#include "platform/locale_format.h"
#include "platform/text.h"
#include "removal/recyc.h"
#include "ui/tab_control.h"

namespace {

constexpr int kOuter = 200, kIETabs = 201, kNSTabs = 202, kHelp = 203, kEmptyCache = 204, kMarkLess = 205,
              kMarkBefore = 206, kMarkLarger = 207;
constexpr int kSelectAll = 400, kDelete = 410, kLists = 420;  // plus the sheet
constexpr LONG kWidth = 720, kHeight = 470;
constexpr UINT_PTR kSelectedTimer = 0x5701;
constexpr int kIEOwn = TWebCleanFRM::kSheets, kNSOwn = TWebCleanFRM::kSheets + 1;  // the inner tabs' own controls
const char kUnreachable[] = "Kann Internet Explorer nicht ansprechen";
const char kCacheNote[] =
    "Der %s legt einige Dateien aus dem Internet auch auf der \rFestplatte ab. So kann man bei einem erneuten "
    "Besuch auf einer Seite auf\rdie schon gespeicherten Dateien zurückgreifen und muß nicht wieder alles\raus dem "
    "Internet laden. Diesen Bereich nennt man temporären Internet Cache.\rDiese Dateien kann man löschen um Platz "
    "auf der Platte einzusparen.";

void SetText(HWND control, const std::string& text) { SetWindowTextW(control, platform::Utf8ToWide(text).c_str()); }

// A file time (UTC) as the local date and time; empty for none.
std::string LocalTimeText(uint64_t fileTime) {
  FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)}, local;
  SYSTEMTIME t;
  if (fileTime == 0 || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &t)) return "";
  return platform::FormatShortDate(t.wYear, t.wMonth, t.wDay) + " " +
         platform::FormatLongTime(t.wHour, t.wMinute, t.wSecond);
}

bool IsNetscape(int sheet) { return sheet == TWebCleanFRM::NSCache || sheet == TWebCleanFRM::NSCookies; }

}  // namespace

TWebCleanFRM::TWebCleanFRM() : TfTSW_BasicForm("TWebCleanFRM", "Internetbereich säubern", {kWidth, kHeight}) {
  SavePosition = true;
  PersistFlags = pfListColumns;
}

HWND TWebCleanFRM::OnSheet(int sheet, HWND control) {
  sheet_controls_[sheet].push_back(control);
  return control;
}

HWND TWebCleanFRM::Label(int sheet, const std::string& text, RECT design, int id) {
  return OnSheet(sheet, AddControl(L"STATIC", text, SS_LEFT | SS_NOPREFIX, design, akLeft | akTop, id));
}

// An edit field with arrows beside it, for a number.
HWND TWebCleanFRM::Spin(int sheet, RECT design, int id, int value, int step) {
  HWND edit = OnSheet(sheet, AddControl(L"EDIT", std::to_string(value), WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_RIGHT,
                                        design, akLeft | akBottom, id));
  HWND arrows = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                                0, 0, 0, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(arrows, UDM_SETRANGE32, 0, 1000000000);
  SendMessageW(arrows, UDM_SETPOS32, 0, value);
  UDACCEL accel{0, static_cast<UINT>(step)};
  SendMessageW(arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  AddToLayout(arrows, {design.right, design.top, design.right + 16, design.bottom}, akLeft | akBottom);
  return OnSheet(sheet, arrows);
}

int TWebCleanFRM::SpinValue(int id) const { return static_cast<int>(GetDlgItemInt(Handle(), id, nullptr, FALSE)); }

void TWebCleanFRM::AddMarkButtons(Sheet sheet, int selectAll, int remove) {
  const LONG y = kHeight - 84;
  OnSheet(sheet, AddButton("&Alle markieren", {22, y, 142, y + 26}, akLeft | akBottom, selectAll));
  OnSheet(sheet, AddButton("markierte Elemente löschen", {148, y, 328, y + 26}, akLeft | akBottom, remove));
}

void TWebCleanFRM::CreateControls() {
  const DWORD tabStyle = WS_CLIPSIBLINGS | WS_TABSTOP;
  outer_ = AddControl(WC_TABCONTROLW, "", tabStyle, {6, 6, kWidth - 6, kHeight - 40}, akAll, kOuter);
  AddTab(outer_, 0, "Internet Explorer");
  AddTab(outer_, 1, "Netscape");
  ie_tabs_ =
      OnSheet(kIEOwn, AddControl(WC_TABCONTROLW, "", tabStyle, {14, 34, kWidth - 14, kHeight - 48}, akAll, kIETabs));
  ns_tabs_ =
      OnSheet(kNSOwn, AddControl(WC_TABCONTROLW, "", tabStyle, {14, 64, kWidth - 14, kHeight - 48}, akAll, kNSTabs));
  AddTabBody(ie_tabs_);  // the inner bodies first: a label lies on both
  AddTabBody(ns_tabs_);
  AddTabBody(outer_);
  CreateIESheets();
  CreateNSSheets();
  AddButton("S&chließen", {kWidth - 100, kHeight - 32, kWidth - 6, kHeight - 8}, akRight | akBottom, 2, true);
  for (HWND tabs : {ie_tabs_, ns_tabs_, outer_}) SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowSheet(IECache);
  BusyScope busy;
  LoadInternetExplorer();
  LoadNetscapeProfiles();
}

void TWebCleanFRM::CreateIESheets() {
  AddTab(ie_tabs_, 0, "Temporäre Dateien");
  AddTab(ie_tabs_, 1, "Cookies");
  AddTab(ie_tabs_, 2, "Besuchte Seiten");
  const DWORD listStyle = WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  auto list = [&](Sheet sheet, RECT r, const std::vector<WebColumn>& columns, const char* name) {
    HWND view = OnSheet(sheet, AddControl(WC_LISTVIEWW, "", listStyle, r, akAll, kLists + sheet));
    lists_[sheet].Attach(view, columns, Dpi());
    PersistColumns(view, name);
  };
  list(IECache, {22, 62, kWidth - 22, kHeight - 170},
       {{"Name (URL)", 295, SortKind::Text},
        {"Dateigröße", 80, SortKind::Integer},
        {"Letzter Zugriff", 150, SortKind::DateTime},
        {"Anzahl Zugriffe", 100, SortKind::Integer}},
       "IECacheLV");
  Label(IECache, "", {22, kHeight - 164, 360, kHeight - 148}, kCacheCount);
  Label(IECache, "", {364, kHeight - 164, kWidth - 22, kHeight - 148}, kCacheSelected);
  const LONG y = kHeight - 140;
  const struct {
    const char* caption;
    int button, spin, value, step;
  } rules[] = {{"Markiere Dateien\r\nweniger Zugriffe als", kMarkLess, kLess, 3, 1},
               {"Markiere Dateien\r\nZugriffe vor (Tage)", kMarkBefore, kBefore, 7, 1},
               {"Markiere Dateien\r\ngrößer als (Bytes)", kMarkLarger, kLarger, 1000, 100}};
  for (int i = 0; i < 3; ++i) {
    const LONG x = 22 + i * 230;
    HWND b = OnSheet(IECache, AddButton(rules[i].caption, {x, y, x + 140, y + 40}, akLeft | akBottom, rules[i].button));
    SetWindowLongPtrW(b, GWL_STYLE, GetWindowLongPtrW(b, GWL_STYLE) | BS_MULTILINE);
    Spin(IECache, {x + 146, y + 9, x + 196, y + 31}, rules[i].spin, rules[i].value, rules[i].step);
  }
  AddMarkButtons(IECache, kSelectAll + IECache, kDelete + IECache);
  OnSheet(IECache, AddButton("?", {kWidth - 50, kHeight - 84, kWidth - 22, kHeight - 58}, akRight | akBottom, kHelp));
  list(IECookies, {22, 62, kWidth - 22, kHeight - 92},
       {{"Server", 170, SortKind::Text},
        {"Name", 80, SortKind::Text},
        {"Wert", 70, SortKind::Text},
        {"Anzahl Zugriffe", 95, SortKind::Integer},
        {"Gültig bis", 125, SortKind::DateTime},
        {"Letzter Zugriff", 125, SortKind::DateTime}},
       "IECookiesLV");
  AddMarkButtons(IECookies, kSelectAll + IECookies, kDelete + IECookies);
  list(IEVisited, {22, 62, kWidth - 22, kHeight - 92},
       {{"Name (URL)", 375, SortKind::Text},
        {"Letzter Zugriff", 150, SortKind::DateTime},
        {"Anzahl Zugriffe", 100, SortKind::Integer}},
       "IEVisitedLV");
  AddMarkButtons(IEVisited, kSelectAll + IEVisited, kDelete + IEVisited);
}

void TWebCleanFRM::CreateNSSheets() {
  AddTab(ns_tabs_, 0, "Temporäre Dateien");
  AddTab(ns_tabs_, 1, "Cookies");
  users_panel_ = Label(kNSOwn, "Netscape Benutzer:", {22, 38, 140, 56});
  OnSheet(kNSOwn, AddControl(WC_COMBOBOXW, "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, {144, 34, 440, 200},
                             akLeft | akTop, kNSUsers));
  const struct {
    const char* caption;
    int value;
    LONG y;
  } figures[] = {{"Anzahl der vorhandenen Dateien:", kNSFiles, 100},
                 {"Summe der Dateigröße:", kNSSize, 124},
                 {"Belegter Speicher:", kNSUsed, 148}};
  for (const auto& f : figures) {
    Label(NSCache, f.caption, {30, f.y, 240, f.y + 18});
    Label(NSCache, "", {250, f.y, 450, f.y + 18}, f.value);
  }
  OnSheet(NSCache, AddButton("Cache leeren", {30, 180, 160, 206}, akLeft | akTop, kEmptyCache));
  ns_progress_ = AddControl(PROGRESS_CLASSW, "", PBS_SMOOTH, {170, 185, 500, 201}, akLeft | akTop);
  Label(NSCache, FormatMsg(tr(kCacheNote), {"Netscape Navigator"}), {30, 224, kWidth - 30, 330});
  HWND view = OnSheet(NSCookies, AddControl(WC_LISTVIEWW, "", WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                                            {22, 92, kWidth - 22, kHeight - 92}, akAll, kLists + NSCookies));
  lists_[NSCookies].Attach(view,
                           {{"Server", 200, SortKind::Text},
                            {"Name", 120, SortKind::Text},
                            {"Wert", 160, SortKind::Text},
                            {"Gültig bis", 150, SortKind::DateTime}},
                           Dpi());
  PersistColumns(view, "NSCookiesLV");
  AddMarkButtons(NSCookies, kSelectAll + NSCookies, kDelete + NSCookies);
}

void TWebCleanFRM::ShowSheet(Sheet sheet) {
  const bool netscape = IsNetscape(sheet);
  TabCtrl_SetCurSel(outer_, netscape ? 1 : 0);
  TabCtrl_SetCurSel(netscape ? ns_tabs_ : ie_tabs_, netscape ? sheet - NSCache : sheet);
  for (int s = 0; s < kSheets + 2; ++s) {
    const bool shown = s == sheet || s == (netscape ? kNSOwn : kIEOwn);
    for (HWND c : sheet_controls_[s]) ShowWindow(c, shown ? SW_SHOW : SW_HIDE);
  }
  if (netscape && profiles_.Profiles.size() <= 1) {  // the choice only where there is one
    ShowWindow(users_panel_, SW_HIDE);
    ShowWindow(GetDlgItem(Handle(), kNSUsers), SW_HIDE);
  }
  ShowWindow(ns_progress_, SW_HIDE);
}

std::string TWebCleanFRM::TextOf(int control) const {
  wchar_t text[512] = {};
  GetDlgItemTextW(Handle(), control, text, 512);
  return platform::WideToUtf8(text);
}

void TWebCleanFRM::LoadInternetExplorer() {
  for (Sheet s : {IECache, IECookies, IEVisited}) lists_[s].Clear();
  cache_ = ReadUrlCache();
  if (!cache_.Usable) {
    for (Sheet s : {IECache, IECookies, IEVisited}) {
      lists_[s].ShowPlaceholder(tr(kUnreachable));
      for (int id : {kSelectAll + s, kDelete + s}) EnableWindow(GetDlgItem(Handle(), id), FALSE);
    }
    for (int id : {kMarkLess, kMarkBefore, kMarkLarger}) EnableWindow(GetDlgItem(Handle(), id), FALSE);
    return;
  }
  for (const UrlCacheEntry& e : cache_.Files)
    lists_[IECache].Add(e.Url, {std::to_string(e.Size), LocalTimeText(e.LastAccess), std::to_string(e.HitRate)},
                        {0, e.Size, e.LastAccess, e.HitRate});
  for (const IECookie& c : cache_.CookieRows) {
    const UrlCacheEntry& e = cache_.Cookies[c.Entry];
    lists_[IECookies].Add(
        e.Url, {c.Name, c.Value, std::to_string(e.HitRate), LocalTimeText(e.Expire), LocalTimeText(e.LastAccess)},
        {0, 0, 0, e.HitRate, e.Expire, e.LastAccess});
  }
  for (const UrlCacheEntry& e : cache_.Visited)
    lists_[IEVisited].Add(e.Url, {LocalTimeText(e.LastAccess), std::to_string(e.HitRate)},
                          {0, e.LastAccess, e.HitRate});
  for (Sheet s : {IECache, IECookies, IEVisited}) lists_[s].Show();
  SetDlgItemTextW(Handle(), kCacheCount,
                  platform::Utf8ToWide(FormatMsg(tr("Insgesamt %d Dateien - %s"),
                                                 {std::to_string(cache_.Files.size()), SizeText(cache_.FilesSize)}))
                      .c_str());
  UpdateSelectedLine();
}

void TWebCleanFRM::UpdateSelectedLine() {
  uint64_t size = 0;
  const std::vector<size_t> marked = lists_[IECache].MarkedFromLast();
  for (size_t row : marked) size += lists_[IECache].Value(row, 1);
  SetDlgItemTextW(
      Handle(), kCacheSelected,
      platform::Utf8ToWide(FormatMsg(tr("%d Dateien markiert - %s"), {std::to_string(marked.size()), SizeText(size)}))
          .c_str());
}

void TWebCleanFRM::MarkFewerAccesses() {
  const uint64_t limit = static_cast<uint64_t>(SpinValue(kLess));
  lists_[IECache].SelectWhere([&](const std::vector<uint64_t>& v) { return v[3] < limit; });
  UpdateSelectedLine();
}

void TWebCleanFRM::MarkAccessedBefore() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t days = static_cast<uint64_t>(SpinValue(kBefore)) * 864000000000ULL;
  const uint64_t n = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const uint64_t limit = n > days ? n - days : 0;
  lists_[IECache].SelectWhere([&](const std::vector<uint64_t>& v) { return limit > v[2]; });
  UpdateSelectedLine();
}

void TWebCleanFRM::MarkLarger() {
  const uint64_t limit = static_cast<uint64_t>(SpinValue(kLarger));
  lists_[IECache].SelectWhere([&](const std::vector<uint64_t>& v) { return v[1] > limit; });
  UpdateSelectedLine();
}

void TWebCleanFRM::DeleteMarked(Sheet sheet) {
  WebList& list = lists_[sheet];
  const std::vector<size_t> marked = list.MarkedFromLast();
  if (marked.empty()) return;
  const char* question = sheet == IECache     ? "Wollen Sie wirklich %d Cache Datei(en) löschen ?"
                         : sheet == IEVisited ? "Wollen Sie wirklich %d URL-Einträge löschen ?"
                                              : "Wollen Sie wirklich %d Cookie(s) löschen ?";
  if (MessageDlg(FormatMsg(tr(question), {std::to_string(marked.size())}), mtConfirmation, mbOK | mbCancel) != mrOk)
    return;
  if (sheet == NSCookies) {
    if (profile_ < 0) return;
    std::vector<std::pair<std::string, std::string>> cookies;  // first to last
    for (auto row = marked.rbegin(); row != marked.rend(); ++row)
      cookies.emplace_back(list.Row(*row).Caption, list.Row(*row).SubItems.at(0));
    DeleteNetscapeCookies(profiles_.Profiles[static_cast<size_t>(profile_)].CookieFile, cookies);
    for (size_t row : marked) list.RemoveShown(list.ViewRowOf(row));
    return;
  }
  // A cookie row stands for its whole entry: its other rows go at the next load.
  for (size_t row : marked)
    if (DeleteUrlCacheEntryOf(list.Row(row).Caption)) list.RemoveShown(list.ViewRowOf(row));
  if (sheet == IECache) UpdateSelectedLine();
}

void TWebCleanFRM::LoadNetscapeProfiles() {
  profiles_ = FindNetscapeProfiles(ProgramFolder() + "NSUsers.ini");
  HWND users = GetDlgItem(Handle(), kNSUsers);
  SendMessageW(users, CB_RESETCONTENT, 0, 0);
  for (const NetscapeProfile& p : profiles_.Profiles)
    SendMessageW(users, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf8ToWide(p.DisplayName).c_str()));
  EnableNetscape(!profiles_.Profiles.empty());
  if (profiles_.Profiles.empty()) return;
  ChooseProfile(static_cast<int>(profiles_.Preselected));
}

void TWebCleanFRM::EnableNetscape(bool on) {
  for (int id : {static_cast<int>(kNSUsers), kEmptyCache, kSelectAll + NSCookies, kDelete + NSCookies})
    EnableWindow(GetDlgItem(Handle(), id), on);
}

void TWebCleanFRM::ChooseProfile(int index) {
  if (index < 0 || static_cast<size_t>(index) >= profiles_.Profiles.size()) return;
  profile_ = index;
  SendMessageW(GetDlgItem(Handle(), kNSUsers), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  LoadNetscapeProfile();
}

void TWebCleanFRM::LoadNetscapeProfile() {
  const NetscapeProfile& p = profiles_.Profiles[static_cast<size_t>(profile_)];
  if (platform::FileExists(p.CookieFile)) {
    WebList& list = lists_[NSCookies];
    list.Clear();
    ns_cookies_ = ReadNetscapeCookies(p.CookieFile);
    for (const NetscapeCookie& c : ns_cookies_)
      list.Add(c.Server(), {c.Name, c.Value, NetscapeExpiryText(c.Expires)},
               {0, 0, 0, static_cast<uint64_t>(c.Expires)});
    list.Show();
  }
  const bool cache = FolderExists(p.CacheFolder);
  EnableWindow(GetDlgItem(Handle(), kEmptyCache), cache);
  if (!cache) return;
  ns_cache_ = ReadNetscapeCache(p.CacheFolder);
  SetText(GetDlgItem(Handle(), kNSFiles), FormatMsg(tr("%d Dateien"), {std::to_string(ns_cache_.Files.size())}));
  SetText(GetDlgItem(Handle(), kNSSize), SizeText(ns_cache_.Size));
  SetText(GetDlgItem(Handle(), kNSUsed), SizeText(ns_cache_.Used));
}

void TWebCleanFRM::EmptyNetscapeCache() {
  if (ns_cache_.Files.empty() || profile_ < 0) return;
  const std::string question =
      FormatMsg(tr("Wollen Sie wirklich %d Cache Datei(en) löschen ?"), {std::to_string(ns_cache_.Files.size())});
  if (MessageDlg(question, mtConfirmation, mbOK | mbCancel) != mrOk) return;
  SendMessageW(ns_progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(ns_cache_.Files.size() - 1));
  ShowWindow(ns_progress_, SW_SHOW);
  for (size_t i = 0; i < ns_cache_.Files.size(); ++i) {
    SendMessageW(ns_progress_, PBM_SETPOS, i, 0);
    platform::RemoveFile(ns_cache_.Files[i]);  // what stays shows in the figures again
  }
  ShowWindow(ns_progress_, SW_HIDE);
  LoadNetscapeProfile();
}

void TWebCleanFRM::Command(int id, int notifyCode, HWND control) {
  if (id >= kSelectAll && id < kSelectAll + kSheets) return lists_[id - kSelectAll].SelectAll();
  if (id >= kDelete && id < kDelete + kSheets) return DeleteMarked(static_cast<Sheet>(id - kDelete));
  switch (id) {
    case kMarkLess: return MarkFewerAccesses();
    case kMarkBefore: return MarkAccessedBefore();
    case kMarkLarger: return MarkLarger();
    case kEmptyCache: return EmptyNetscapeCache();
    case kHelp: UI().ShowMessage(FormatMsg(tr(kCacheNote), {"Internet Explorer"})); return;
    case kNSUsers:
      if (notifyCode == CBN_SELCHANGE) ChooseProfile(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
      return;
    default: TfTSW_BasicForm::Command(id, notifyCode, control);
  }
}

LRESULT TWebCleanFRM::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NOTIFY) {
    const NMHDR& h = *reinterpret_cast<const NMHDR*>(lp);
    if (h.code == TCN_SELCHANGE) {
      const bool netscape = TabCtrl_GetCurSel(outer_) == 1;
      const int inner = TabCtrl_GetCurSel(netscape ? ns_tabs_ : ie_tabs_);
      ShowSheet(static_cast<Sheet>(netscape ? NSCache + inner : inner));
      return 0;
    }
    const int list = static_cast<int>(h.idFrom) - kLists;
    if (list >= 0 && list < kSheets) {
      if (h.code == LVN_COLUMNCLICK) lists_[list].ColumnClick(reinterpret_cast<const NMLISTVIEW&>(h).iSubItem);
      if (h.code == LVN_ITEMCHANGED && list == IECache && !timer_) {  // a burst of changes: one refresh
        timer_ = true;
        SetTimer(Handle(), kSelectedTimer, 500, nullptr);
      }
    }
  } else if (msg == WM_TIMER && wp == kSelectedTimer) {
    KillTimer(Handle(), kSelectedTimer);
    timer_ = false;
    UpdateSelectedLine();
    return 0;
  }
  return TfTSW_BasicForm::HandleMessage(msg, wp, lp);
}
