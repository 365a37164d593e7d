#include "core/interaction.h"

#include "core/translate.h"

namespace {

// Without a user nobody can agree to anything: every question gets its safe answer.
class SilentInteraction : public Interaction {
 public:
  int MessageDlg(const std::string&, MsgDlgType, TMsgDlgButtons buttons, int) override {
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbAbort) return mrAbort;
    return mrOk;
  }
  void ShowMessage(const std::string&) override {}
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  void SetStatusText(StatusControl, const std::string&) override {}
  void SetStatusMax(StatusControl, int) override {}
  void SetStatusPosition(StatusControl, int) override {}
  void SetStatusVisible(StatusControl, bool) override {}
  bool StatusVisible(StatusControl) const override { return false; }
  void ProcessMessages() override {}
  bool CancelRequested() const override { return false; }
  void ResetCancel() override {}
  void BeginBusy() override { ++busy_; }
  void EndBusy() override { if (busy_ > 0) --busy_; }
  bool IsBusy() const override { return busy_ > 0; }

 private:
  int busy_ = 0;
};

SilentInteraction g_silent;
Interaction* g_installed = nullptr;

}  // namespace

int Interaction::AskSharedFile(SharedFileQuestion question, const std::string& path, bool& sameForAll) {
  sameForAll = false;
  const std::string detail =
      question == SharedFileQuestion::StillRegistered
          ? tr("Richtigerweise sollte der Zähler, der angibt, wie oft die Datei verwendet wird um eins gesenkt "
               "werden. Dies erledigt das Programm automatisch, wenn der zugehörige Eintrag in der Registry "
               "zurückgesetzt wird.")
          : tr("Der  Zähler, der angibt wie oft die Datei verwendet wird, steht nun auf Null. Soll die "
               "entsprechende Datei nun gelöscht werden ?");
  return MessageDlg(tr("Die folgende Datei wurde beim System zur mehrfachen Verwendung angemeldet.") + "\r" + path +
                        "\r" + detail,
                    mtConfirmation, mbYesNo, 26);
}

Interaction& UI() { return g_installed ? *g_installed : g_silent; }

void InstallInteraction(Interaction* interaction) { g_installed = interaction; }
