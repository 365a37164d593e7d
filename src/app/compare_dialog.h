// TfCompare ("Vergleichen zweier Konfigurationen"): two stored configurations and the
// log to compare them into, each with its file dialog; "&OK" compares and makes the
// log the loaded one.
#pragma once

#include "app/workspace.h"
#include "ui/form.h"

class TfCompare : public TfTSW_BasicForm {
 public:
  explicit TfCompare(Workspace& ws);
  // The three fields: 0 old configuration, 1 new configuration, 2 log.
  HWND Field(int i) const { return fields_[i]; }
  // "&OK": the fields checked in order, then the comparison.
  void Compare();

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override;

 private:
  void Browse(int field);
  Workspace& ws_;
  HWND fields_[3] = {};
};
