#include "removal/export.h"

#include <cstdio>
#include <utility>

#include "core/identity.h"
#include "core/translate.h"
#include "platform/file_stream.h"
#include "snapshot/data_codes.h"
#include "snapshot/system_files.h"
#include "snapshot/treetool.h"

namespace {

bool InMask(uint32_t mask, int kind) { return kind >= 0 && kind < 32 && ((mask >> kind) & 1u) != 0; }

ResultSection SectionOf(int treeKind) {
  switch (treeKind) {
    case tkFiles: return ResultSection::Drives;
    case tkSystem: return ResultSection::SystemFiles;
    default: return ResultSection::Registry;
  }
}

// Folders are written as full paths ending in "\", keys and sections as they appear
// below the root-key or system-file level.
std::string WalkPath(const TreeNode& node, int treeKind) {
  if (treeKind == tkFiles) return NodePath(node, true, true) + "\\";
  return NodePath(node, true, false);
}

WalkValue ValueOf(const NodeRecord& rec, int treeKind, int systemKind) {
  if (treeKind == tkFiles) {
    std::vector<int32_t> file{rec.Time, rec.Size, rec.Attributes};
    if (rec.HasVersion) {
      file.push_back(rec.VersionHigh);
      file.push_back(rec.VersionLow);
    }
    return file;
  }
  if (treeKind == tkSystem) {
    if (IsIniKind(systemKind)) return rec.Value;
    return rec.LineIndex + 1;  // lines are counted from 1 for the reader of the export
  }
  switch (rec.TypeCode) {
    case 1: return rec.Text;
    case 2: {
      // An expandable string goes out as its bytes with the terminating zero.
      std::vector<uint8_t> bytes(rec.Text.begin(), rec.Text.end());
      bytes.push_back(0);
      return bytes;
    }
    case 3: return rec.Number;
    default: return rec.Bytes;
  }
}

// Expands every node of the subtree through the tree's loader, so that the stored
// children of new and deleted keys and folders are walked too. Without recursion:
// a deep tree from a damaged file must not exhaust the stack.
void ExpandSubtree(TreeNode& start) {
  TreeUpdateScope suspended(start.Owner());
  std::vector<TreeNode*> pending{&start};
  while (!pending.empty()) {
    TreeNode* node = pending.back();
    pending.pop_back();
    if (node->HasChildren()) node->Expand();
    for (size_t i = node->Count(); i > 0; --i) pending.push_back(node->Child(i - 1));
  }
}

// ---------------------------------------------------------------- export lines

const char* SymbolOf(int kind) {
  switch (kind) {
    case stAdded:
    case rsNew: return "+";
    case stRemoved:
    case rsDeleted: return "-";
    case stMembersChanged: return "#";
    case rsOldOfAltered: return "%";
    case rsNewOfAltered: return "*";
  }
  return "";
}

// The number a registry file uses for a type: the stored codes have 3 and 4 exchanged.
int RegistryTypeNumber(int dataType) {
  if (dataType == 3) return 4;
  if (dataType == 4) return 3;
  return dataType;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void AddHexLines(std::vector<std::string>& lines, std::string line, int dataType,
                 const std::vector<uint8_t>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  line += "=hex(" + std::to_string(RegistryTypeNumber(dataType)) + "):";
  for (size_t i = 0; i < bytes.size(); ++i) {
    line += kHex[bytes[i] >> 4];
    line += kHex[bytes[i] & 15];
    line += ',';
    if (line.size() > 80 && i + 1 < bytes.size()) {
      lines.push_back(line + "\\");
      line = "  ";
    }
  }
  if (!line.empty() && line.back() == ',') line.pop_back();
  lines.push_back(std::move(line));
}

std::string FileText(const std::vector<int32_t>& file) {
  if (file.size() < 3) return {};
  std::string text = FormatFileSize(file[1]);
  text += tr(" Bytes, ");
  text += FormatFileTime(file[0]);
  text += ", [";
  text += FormatAttributes(file[2]);
  text += ']';
  if (file.size() >= 5) {
    text += ' ';
    text += FormatVersion(file[3], file[4]);
  }
  return text;
}

class LineWriter {
 public:
  LineWriter(std::vector<std::string>& lines, std::string defaultText)
      : lines_(lines), default_text_(std::move(defaultText)) {}

  void Header(int kind, const std::string& path) {
    if (kind != stAdded && kind != stRemoved && kind != stMembersChanged) return;
    lines_.push_back(std::string("[") + SymbolOf(kind) + "][" + path + "]");
  }

  void Value(int kind, const std::string& name, int treeKind, int dataType, const WalkValue& value) {
    if (kind < rsNew || kind > rsNewOfAltered) return;
    const std::string shown = name.empty() && treeKind == tkRegistry ? default_text_ : name;
    const std::string prefix = std::string("  [") + SymbolOf(kind) + "]" + Quoted(shown);
    if (const auto* text = std::get_if<std::string>(&value)) {
      lines_.push_back(prefix + " = " + Quoted(*text));
    } else if (const auto* number = std::get_if<int32_t>(&value)) {
      if (treeKind == tkRegistry) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, " = $%08X  (%d)", static_cast<unsigned>(*number), *number);
        lines_.push_back(prefix + buffer);
      } else {  // a line number of a text file
        lines_.push_back(prefix + " = " + Quoted(std::to_string(*number)));
      }
    } else if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
      AddHexLines(lines_, prefix, dataType, *bytes);
    } else if (const auto* file = std::get_if<std::vector<int32_t>>(&value)) {
      lines_.push_back(prefix + " " + FileText(*file));
    }
  }

 private:
  std::vector<std::string>& lines_;
  std::string default_text_;
};

const char* AreaName(int treeKind) {
  switch (treeKind) {
    case tkFiles: return "Dateistruktur";
    case tkSystem: return "Systemdateien";
    default: return "Registry";
  }
}

}  // namespace

void WalkResultTree(const ResultFileInfo& info, TreeNode* start, uint32_t mask, int treeKind,
                    const ValueCallback& onValue, const NodeCallback& onHeader, const NodeCallback& onChange,
                    const NodeCallback& onEnd) {
  if (start == nullptr) return;
  ExpandSubtree(*start);

  const ResultSection section = SectionOf(treeKind);
  auto call = [mask, treeKind](const NodeCallback& fn, int kind, const std::string& path, int level) {
    if (fn && InMask(mask, kind)) fn(kind, path, level, treeKind);
  };

  // A node's frame stays on the stack while its children are walked: its own
  // header, records and end call come after them.
  struct Frame {
    TreeNode* node;
    int level;
    size_t next = 0;
  };
  std::vector<Frame> stack;
  auto enter = [&](TreeNode* node, int level) {
    if (StateCode(node->StateIndex()) == stRemoved)
      call(onChange, stRemoved, WalkPath(*node, treeKind), level);
    stack.push_back({node, level});
  };
  enter(start, start->Level());

  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next < top.node->Count()) {
      TreeNode* child = top.node->Child(top.next++);
      const int level = top.level + 1;
      enter(child, level);  // may move the stack: top is not used again
      continue;
    }
    const TreeNode& node = *top.node;
    const int level = top.level;
    stack.pop_back();

    const int kind = StateCode(node.StateIndex());
    const std::string path = WalkPath(node, treeKind);
    call(onHeader, kind, path, level);
    if (node.Data() != 0) {
      // The kind of the file decides the form of system-file entries; asked only
      // where records are read, so an entry of unknown kind without records is no
      // obstacle.
      const int systemKind =
          treeKind == tkSystem && (kind == stAdded || kind == stRemoved || kind == stMembersChanged)
              ? SystemKindOfNode(node)
              : 0;
      for (const NodeRecord& rec : ReadNodeRecords(info, section, node, systemKind)) {
        const int recKind = StateCode(rec.Status);
        if (onValue && InMask(mask, recKind))
          onValue(recKind, path, rec.Name, treeKind, treeKind == tkRegistry ? rec.TypeCode : 0, level,
                  ValueOf(rec, treeKind, systemKind));
      }
      if (kind == stAdded) call(onChange, stAdded, path, level);
    }
    call(onEnd, kind, path, level);
  }
}

std::vector<std::string> ExportResultText(const ResultFileInfo& info, TreeNode* start, uint32_t mask,
                                          int treeKind, const std::string& titleLabel,
                                          const std::string& defaultText) {
  std::vector<std::string> lines;
  lines.push_back(std::string("; ") + ProductName + " " + titleLabel);
  lines.push_back("; " + tr("Datei:") + info.FileName);
  lines.push_back("; " + tr(AreaName(treeKind)) + " : " + (start ? NodePath(*start, true, false) : std::string()));
  lines.push_back("; " + tr("Legende:"));
  lines.push_back("; " + tr("[-]= gelöschter Schlüssel/Dir, [+]= neuer Schlüssel/Dir, "
                            "[#]= Inhalte dieses Schlüssels/Dir geändert"));
  lines.push_back("; " + tr("[-]= gelöschter Wert/Datei, [+]= neuer Wert/Datei"));
  lines.push_back("; " + tr("[%]= geänderter Wert (alter Wert/Datei), [*]=  geänderter Wert (neuer Wert/Datei)"));
  lines.push_back("; ");

  LineWriter writer(lines, defaultText);
  WalkResultTree(
      info, start, mask, treeKind,
      [&](int kind, const std::string&, const std::string& name, int tk, int dataType, int, const WalkValue& value) {
        writer.Value(kind, name, tk, dataType, value);
      },
      [&](int kind, const std::string& path, int, int) { writer.Header(kind, path); }, nullptr, nullptr);
  return lines;
}

void SaveTextLines(const std::string& fileName, const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  // Raises EFCreateError naming the file when it cannot be created.
  platform::FileStream file(fileName, platform::FileStream::Mode::Create);
  file.Write(content.data(), content.size());
}
