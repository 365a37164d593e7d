// TRegEditFRM ("Bearbeiten der Registry"): one value of a live registry key edited,
// or a new one made, on the page that fits its type: a line of text, a number in
// decimal and hexadecimal, lines of text, or the raw bytes in a hex dump. The engine
// (tools/registry_value) decides the page and builds the bytes; nothing is written
// before "&OK".
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/registry_value.h"
#include "ui/form.h"

class TRegEditFRM : public TfTSW_BasicForm {
 public:
  TRegEditFRM();
  ~TRegEditFRM() override;

  // Loads before the window is made; a failure raises and nothing is shown.
  void Load(HKEY root, const std::string& path, const std::string& name, bool isNew);

  HWND PathEDT() const { return path_; }
  HWND NameEDT() const { return name_; }
  HWND RegTypeCBO() const { return type_; }
  HWND TextEDT() const { return text_; }
  HWND IntegerEDT() const { return integer_; }
  HWND HexIntegerEDT() const { return hex_integer_; }
  HWND Memo1() const { return memo_[wrap_]; }
  HWND WordWrapCB() const { return word_wrap_; }
  HWND MemoLinesLBL() const { return memo_lines_; }
  HWND HexDump1() const { return hex_dump_; }
  HWND BinSizeEDT() const { return size_edit_; }
  RegEditPage Page() const { return page_; }
  const std::vector<uint8_t>& Buffer() const { return buffer_; }

  void Button1Click();                 // "&OK": saves, then closes with OK
  void RegTypeCBOChange();             // the page of the chosen type
  void WordWrapCBClick();
  void BinSizeSPINChange(int size);    // the buffer cut or filled with zeros

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  HWND InitialFocus() const override;

 private:
  HWND Label(const std::string& text, RECT design, uint8_t anchors = akLeft | akTop);
  HWND OnPage(RegEditPage page, HWND control);
  void CreateTypeList();
  void CreatePages();
  void FillEditors();
  void ShowPage(RegEditPage page);
  DWORD ChosenType() const;
  void SetField(HWND control, const std::string& text);
  void IntegerChanged(bool fromHex);
  void MemoChanged();
  void ApplyTypedSize();

  std::unique_ptr<RegValueEdit> edit_;
  std::vector<uint8_t> buffer_;  // the hex page's bytes
  RegEditPage page_ = rpText;
  bool guard_ = false;    // one integer field is writing the other
  bool loading_ = false;  // the editors are being filled, not edited
  bool edited_[3] = {};   // per text page: its editor was changed by the user
  int wrap_ = 0;          // the memo shown: 0 without, 1 with automatic line wrap
  HWND path_ = nullptr, name_ = nullptr, type_ = nullptr, text_ = nullptr, integer_ = nullptr,
       hex_integer_ = nullptr, memo_[2] = {}, word_wrap_ = nullptr, memo_lines_ = nullptr, hex_dump_ = nullptr,
       size_edit_ = nullptr, spin_ = nullptr;
  HFONT memo_font_ = nullptr;
  std::vector<HWND> pages_[4];
};

// Opens the editor on a value of root\path (or a new value there) and returns its modal
// result (mrOK after a save).
int EditRegistryValue(HWND owner, HKEY root, const std::string& path, const std::string& name, bool isNew);
