// TWebCleanFRM ("Internetbereich säubern"): what two browsers leave on the machine.
// The sheet "Internet Explorer" shows the URL cache's files, cookies and visited pages
// (marked rows deleted through the cache); the sheet "Netscape" a chosen profile's
// cookies (the marked ones taken out of its cookie file) and its cache folder.
#pragma once

#include <string>
#include <vector>

#include "app/web_list.h"
#include "tools/netscape.h"
#include "tools/web_cache.h"
#include "ui/form.h"

class TWebCleanFRM : public TfTSW_BasicForm {
 public:
  TWebCleanFRM();

  enum Sheet { IECache, IECookies, IEVisited, NSCache, NSCookies, kSheets };
  void ShowSheet(Sheet sheet);
  WebList& List(Sheet sheet) { return lists_[sheet]; }
  void LoadInternetExplorer();
  void LoadNetscapeProfiles();
  void ChooseProfile(int index);
  // The marking rules of the cached files, with the spin fields' values.
  void MarkFewerAccesses();
  void MarkAccessedBefore();
  void MarkLarger();
  void DeleteMarked(Sheet sheet);  // the three Internet Explorer lists and the Netscape cookies
  void EmptyNetscapeCache();
  std::string TextOf(int control) const;
  enum : int { kCacheCount = 300, kCacheSelected, kNSFiles, kNSSize, kNSUsed, kNSUsers, kLess, kBefore, kLarger };

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void CreateIESheets();
  void CreateNSSheets();
  HWND OnSheet(int sheet, HWND control);  // sheet -1: both Internet Explorer ones' tabs
  HWND Label(int sheet, const std::string& text, RECT design, int id = 0);
  HWND Spin(int sheet, RECT design, int id, int value, int step);
  void AddMarkButtons(Sheet sheet, int selectAll, int remove);
  int SpinValue(int id) const;
  void UpdateSelectedLine();
  void LoadNetscapeProfile();
  void EnableNetscape(bool on);

  HWND outer_ = nullptr, ie_tabs_ = nullptr, ns_tabs_ = nullptr, ns_progress_ = nullptr, users_panel_ = nullptr;
  WebList lists_[kSheets];
  std::vector<HWND> sheet_controls_[kSheets + 2];  // the five sheets, then the two inner tab controls' own
  UrlCacheContents cache_;
  NetscapeProfiles profiles_;
  NetscapeCache ns_cache_;
  std::vector<NetscapeCookie> ns_cookies_;
  int profile_ = -1;
  bool timer_ = false;  // the marked-files line is due
};
