// The undo of the registry result tree.
#include <optional>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/registry.h"
#include "core/settings.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "model/value_record.h"
#include "platform/files.h"
#include "platform/names.h"
#include "removal/recyc.h"
#include "removal/restore.h"
#include "removal/restore_run.h"

namespace {

constexpr char kSharedDllsPath[] = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHAREDDLLS";

// A value as the to-do list shows it (cut after 600 characters).
std::string ValueText(const ValueData& v, const std::string& emptyText) {
  std::string text = ValueDisplayText(v, emptyText);
  if (text.size() > 600) text = text.substr(0, 600) + "...";
  return text;
}

[[noreturn]] void Fail(const char* message) { throw EQuitawayError(tr(message)); }

// The registry key of a result node: its root key and its path below it.
struct KeyOf {
  std::string rootName;  // "HKEY_LOCAL_MACHINE"
  HKEY root = nullptr;
  std::string path;      // "" for the root key itself
  bool valid = false;    // the node is a root key or a key below one
};

KeyOf KeyOfNode(const TreeNode& node) {
  KeyOf key;
  const TreeNode* n = &node;
  while (n != nullptr && n->Level() > RootKeyLevel) n = n->Parent();
  if (n == nullptr || n->Level() != RootKeyLevel) return key;
  key.rootName = n->Text();
  key.root = RootKeyByIndex(RootKeyIndex(key.rootName));
  key.path = NodePath(node, false, false);
  key.valid = true;
  return key;
}

std::string Joined(const std::string& a, const std::string& b) { return b.empty() ? a : a + "\\" + b; }

// One open key for the values of a node; opened for writing on demand.
class ValueKey {
 public:
  explicit ValueKey(const KeyOf& key) : key_(key), reg_(raWrite) {
    if (key_.root != nullptr) reg_.SetRootKey(key_.root);
  }
  // The key as it is now, if it is there.
  void Open() { open_ = key_.root != nullptr && reg_.OpenKey("\\" + key_.path, false); }
  // The key for writing values back: made when missing, once per node.
  TMyRegistry& Writable() {
    if (!tried_create_) {
      tried_create_ = true;
      open_ = key_.root != nullptr && reg_.OpenKey("\\" + key_.path, true);
    }
    if (!open_) Fail("Der Schlüssel kann nicht geöffnet oder angelegt werden");
    return reg_;
  }
  bool Has(const std::string& name) const { return open_ && reg_.ValueExists(name); }
  TMyRegistry& Reg() { return reg_; }

 private:
  const KeyOf& key_;
  TMyRegistry reg_;
  bool open_ = false;
  bool tried_create_ = false;
};

class RegistryRestore {
 public:
  explicit RegistryRestore(const RestoreRequest& request)
      : request_(request),
        run_(request),
        default_text_(ReadSettingText("DefaultText")),
        empty_text_(ReadSettingText("EmptyText")) {}

  void Run() {
    // Parents before children for creation, after them for deletion.
    run_.Run(
        ResultSection::Registry, true, [&](TreeNode& node) { BringBackKey(node); },
        [&](TreeNode& node) {
          Values(node);
          TakeBackKey(node);
        });
  }

 private:
  bool IsKeyBelowRoot(const TreeNode& node) const { return node.Level() > RootKeyLevel; }

  bool IsSharedDlls(const TreeNode& node, const KeyOf& key) const {
    return key.valid && node.Text() == "SharedDlls" && platform::UpperCase(key.rootName) == "HKEY_LOCAL_MACHINE" &&
           platform::UpperCase(key.path) == kSharedDllsPath;
  }

  void BringBackKey(TreeNode& node) {
    if (!IsKeyBelowRoot(node) || run_.Kind(node.StateIndex()) != stRemoved || !run_.Has(rfDeleted) ||
        run_.Selective())
      return;
    const KeyOf key = KeyOfNode(node);
    run_.Act("erzeuge Schlüssel", Joined(key.rootName, NodePath(*node.Parent(), false, false)), node.Text(), "",
             [&](std::string&) {
               ValueKey created(key);
               created.Writable();
             });
  }

  void TakeBackKey(TreeNode& node) {
    const KeyOf key = KeyOfNode(node);
    if (!IsKeyBelowRoot(node) || run_.Kind(node.StateIndex()) != stAdded || !run_.Has(rfNew) ||
        run_.Selective() || IsSharedDlls(node, key))
      return;
    const std::string parentPath = NodePath(*node.Parent(), false, false);
    run_.Act("lösche Schlüssel", Joined(key.rootName, parentPath), node.Text(), "", [&](std::string&) {
      TMyRegistry reg(raWrite);
      if (key.root == nullptr) Fail("Eintrag existiert nicht (mehr)");
      reg.SetRootKey(key.root);
      if (!reg.OpenKey("\\" + parentPath, false) || !reg.KeyExists(node.Text())) Fail("Eintrag existiert nicht (mehr)");
      if (!reg.DeleteKey(node.Text()))
        Fail("Fehler beim Löschen eines Schlüssels, bitte prüfen Sie Ihre Berechtigungen.");
    });
  }

  void Values(TreeNode& node) {
    const std::vector<NodeRecord> records = run_.Reader().Records(ResultSection::Registry, node);
    if (records.empty()) return;
    const KeyOf key = KeyOfNode(node);
    const bool shared = IsSharedDlls(node, key);
    if (shared) counter_answer_ = ReadSettingInt("HandleSharedDLLs");
    ValueKey values(key);
    if (run_.Execute()) values.Open();
    const std::string path = Joined(key.rootName, key.path);
    bool alteredDone = false;
    std::optional<int32_t> oldCounter;
    const NodeRecord* oldCounterRecord = nullptr;
    for (const NodeRecord& rec : records) {
      const int32_t kind = run_.Kind(rec.Status);
      if (!run_.TakesPart(rec.Name)) continue;
      const std::string shown = rec.Name.empty() ? default_text_ : rec.Name;
      const ValueData& v = rec.Value;
      if (shared && v.TypeCode == kCodeNumber) {  // a use counter: adjusted, not replaced
        if (kind == rsOldOfAltered) {
          oldCounter = v.Number, oldCounterRecord = &rec;
          continue;
        }
        int32_t d = 0;
        if (kind == rsNew && run_.Has(rfNew)) d = -v.Number;
        else if (kind == rsDeleted && run_.Has(rfDeleted)) d = v.Number;
        else if (kind == rsNewOfAltered && run_.Has(rfAltered) && oldCounter) d = *oldCounter - v.Number;
        else continue;
        const bool done = run_.Act(d >= 0 ? "erhöhe den Zähler" : "erniedrige den Zähler", path, shown,
                                   std::to_string(d), [&](std::string& status) { AdjustCounter(values, rec.Name, d, status); });
        if (done) {
          run_.NoteDone(rec.StatusPos, rec.Status);
          if (kind == rsNewOfAltered && oldCounterRecord) run_.NoteDone(oldCounterRecord->StatusPos, oldCounterRecord->Status);
        }
        continue;
      }
      const std::string text = ValueText(v, empty_text_);
      bool done = false;
      if (kind == rsNew && run_.Has(rfNew)) {
        done = run_.Act("Wert löschen", path, shown, text, [&](std::string&) {
          if (!values.Has(rec.Name)) Fail("Eintrag existiert nicht (mehr)");
          if (!values.Reg().DeleteValue(rec.Name))
            Fail("Fehler beim Löschen eines Wertes, bitte prüfen Sie Ihre Berechtigungen.");
        });
      } else if ((kind == rsDeleted && run_.Has(rfDeleted)) || (kind == rsOldOfAltered && run_.Has(rfAltered))) {
        done = run_.Act(kind == rsOldOfAltered ? "verändert, stelle alten Wert wieder her"
                                               : "stelle gelöschten Wert wieder her",
                        path, shown, text, [&](std::string&) { WriteBack(values.Writable(), rec.Name, v); });
        alteredDone = done && kind == rsOldOfAltered;
      } else if (kind == rsNewOfAltered && run_.Has(rfAltered)) {
        done = alteredDone;  // the new content goes with its old partner, restored just before
        alteredDone = false;
      }
      if (done) run_.NoteDone(rec.StatusPos, rec.Status);
    }
  }

  static void WriteBack(TMyRegistry& reg, const std::string& name, const ValueData& v) {
    if (IsTextCode(v.TypeCode)) reg.WriteString(name, v.Text, v.TypeCode);
    else if (v.TypeCode == kCodeNumber) reg.WriteInteger(name, v.Number);
    else reg.WriteBinaryData(name, v.Bytes.data(), v.TypeCode, static_cast<int>(v.Bytes.size()));
  }

  // The counter of the shared file name moves by d; at zero the file may go, and the
  // counter goes in every case.
  void AdjustCounter(ValueKey& key, const std::string& name, int32_t d, std::string& status) {
    TMyRegistry& reg = key.Writable();
    const int32_t count = (reg.ValueExists(name) ? reg.ReadInteger(name) : 0) + d;
    reg.WriteInteger(name, count);
    if (count >= 1) return;
    try {
      bool sameForAll = false;
      bool remove = counter_answer_ == 1;
      if (counter_answer_ == 0) {
        remove = UI().AskSharedFile(SharedFileQuestion::CounterAtZero, name, sameForAll) == mrYes;
        if (sameForAll) counter_answer_ = remove ? 1 : 2;
      }
      if (remove && platform::FileExists(name)) DeleteFileWithBackup(name);  // gone already: nothing to do
      else status = tr("Gemeinsam benutzte Datei, nicht gelöscht");
    } catch (...) {
      reg.DeleteValue(name);
      throw;
    }
    reg.DeleteValue(name);
  }

  const RestoreRequest& request_;
  RestoreRun run_;
  std::string default_text_, empty_text_;
  int32_t counter_answer_ = 0;  // 0 ask, 1 delete, 2 keep: the files whose counter reached zero
};

}  // namespace

void RestoreRegistryChanges(const RestoreRequest& request) {
  if (request.Start == nullptr) return;
  RegistryRestore(request).Run();
}
