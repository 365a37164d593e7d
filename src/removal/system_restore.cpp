// The undo of the system-file result tree: INI sections and entries. Text files are
// never restored automatically: their lines carry no place to write them back to.
#include <optional>

#include "core/exceptions.h"
#include "core/translate.h"
#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "platform/ini_file.h"
#include "removal/restore.h"
#include "removal/restore_run.h"

namespace {

// What the profile functions give back for an entry that is not there.
constexpr char kMissing[] = "~_$_~#_$_#";

[[noreturn]] void Fail(const char* message) { throw EQuitawayError(tr(message)); }

std::string WithoutFolder(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A section node of an INI-type file (tree level 2): the file and the section name.
struct SectionOf {
  std::string file;
  std::string section;  // without its brackets
  int kind = -1;
};

std::optional<SectionOf> Section(const TreeNode& node) {
  if (node.Level() != 2 || node.Text().size() < 2) return std::nullopt;
  SectionOf s;
  try {
    s.kind = FileKindOf(node.Parent()->Text(), s.file);
  } catch (const EQuitawayError&) {
    return std::nullopt;  // a file of no known kind: nothing to write to
  }
  if (!IsIniKind(s.kind)) return std::nullopt;
  s.section = node.Text().substr(1, node.Text().size() - 2);
  return s;
}

class SystemRestore {
 public:
  explicit SystemRestore(const RestoreRequest& request) : request_(request), run_(request) {}

  void Run() {
    run_.Run(ResultSection::SystemFiles, false, nullptr, [&](TreeNode& node) {  // children first
      if (const std::optional<SectionOf> section = Section(node)) {
        Entries(node, *section);
        TakeBackSection(node, *section);
      }
    });
  }

 private:
  void Entries(TreeNode& node, const SectionOf& s) {
    const std::string path = WithoutFolder(s.file) + " [" + s.section + "]";
    bool alteredDone = false;
    for (const NodeRecord& rec : run_.Reader().Records(ResultSection::SystemFiles, node, s.kind)) {
      if (!run_.TakesPart(rec.Name)) continue;
      const int32_t kind = run_.Kind(rec.Status);
      const std::string& value = rec.Entry.Value;
      // A line without "=" is no entry the profile functions know.
      auto named = [&] {
        if (rec.Name.empty()) Fail("Eine Zeile ohne \"=\" kann nicht automatisch bearbeitet werden");
      };
      bool done = false;
      if (kind == rsNew && run_.Has(rfNew)) {
        done = run_.Act("Wert löschen", path, rec.Name, value, [&](std::string&) {
          named();
          if (platform::ReadIniString(s.file, s.section, rec.Name, kMissing) == kMissing)
            Fail("Eintrag existiert nicht (mehr)");
          if (!platform::DeleteIniKey(s.file, s.section, rec.Name)) Fail("Der Eintrag konnte nicht gelöscht werden");
        });
      } else if ((kind == rsDeleted && run_.Has(rfDeleted)) || (kind == rsOldOfAltered && run_.Has(rfAltered))) {
        done = run_.Act(kind == rsOldOfAltered ? "geändert,stelle alten Wert wieder her"
                                               : "stelle gelöschten Wert wieder her",
                        path, rec.Name, value, [&](std::string&) {
                          named();
                          if (!platform::WriteIniString(s.file, s.section, rec.Name, value))
                            Fail("Der Eintrag konnte nicht geschrieben werden");
                        });
        alteredDone = done && kind == rsOldOfAltered;
      } else if (kind == rsNewOfAltered && run_.Has(rfAltered)) {
        done = alteredDone;  // the new content goes with its old partner, restored just before
        alteredDone = false;
      }
      if (done) run_.NoteDone(rec.StatusPos, rec.Status);
    }
  }

  void TakeBackSection(TreeNode& node, const SectionOf& s) {
    if (run_.Kind(node.StateIndex()) != stAdded || !run_.Has(rfNew) || run_.Selective()) return;
    run_.Act("lösche Schlüssel", WithoutFolder(s.file), node.Text(), "", [&](std::string&) {
      if (!platform::EraseIniSection(s.file, s.section)) Fail("Der Abschnitt konnte nicht gelöscht werden");
    });
  }

  const RestoreRequest& request_;
  RestoreRun run_;
};

}  // namespace

void RestoreSystemFileChanges(const RestoreRequest& request) {
  if (request.Start == nullptr) return;
  SystemRestore(request).Run();
}
