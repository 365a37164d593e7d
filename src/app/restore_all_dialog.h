// TfRestoreAll ("Alles wiederherstellen"): the areas of the loaded log to take back as
// a whole, each through the confirmation dialog; when all three were handled, the
// offer to delete the log.
#pragma once

#include <functional>

#include "app/workspace.h"
#include "ui/form.h"

class TfRestoreAll : public TfTSW_BasicForm {
 public:
  explicit TfRestoreAll(Workspace& ws);

  // After an area's confirmation dialog closed (0 registry, 1 files, 2 system files).
  std::function<void(int area)> AfterArea;
  // After the log was deleted: the window shows that no log is loaded.
  std::function<void()> LogDeleted;

  HWND Area(int area) const { return boxes_[area]; }
  // "&OK": the chosen areas in turn, then the question about the log.
  void Run();

 protected:
  void CreateControls() override;
  void Command(int id, int notifyCode, HWND control) override;
  DWORD Style() const override;

 private:
  void RunArea(int area);

  Workspace& ws_;
  HWND boxes_[3] = {};
  HWND ok_ = nullptr, cancel_ = nullptr;
};
