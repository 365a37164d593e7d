// TDelFontsFRM ("Schriften löschen"): the fonts registered with the system, a preview
// of the selected one with its TrueType naming information, and the marked fonts
// uninstalled after a question.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/fonts.h"
#include "ui/form.h"
#include "ui/list_view.h"

class TDelFontsFRM : public TfTSW_BasicForm {
 public:
  TDelFontsFRM();
  ~TDelFontsFRM() override;

  ListViewControl& FontView() { return list_; }
  HWND FontNameLBL() const { return name_; }
  HWND FontInfoMEMO() const { return info_; }
  HWND Memo1() const { return sample_; }
  int SampleSize() const { return size_; }
  void FontViewChange(int row);      // the preview of a newly selected row
  void FontSizeSPINChange(int size);
  void DelFontsBTNClick();           // "Schriften löschen"

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FormShow();
  void ShowList();
  void ShowSample();
  void SetSpin(int size);

  std::string key_, folder_;
  uint32_t language_ = 0;
  std::vector<FontEntry> fonts_;
  int previewed_ = -1;  // the row last previewed; -1 for none
  bool busy_ = false;   // while the list is filled
  ListViewControl list_;
  HWND name_ = nullptr, sample_ = nullptr, sizeEdit_ = nullptr, spin_ = nullptr, info_ = nullptr;
  HFONT sampleFont_ = nullptr;
  std::string face_;
  FontStyle style_;
  int size_ = 16;  // points
};
