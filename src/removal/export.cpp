#include "removal/export.h"

#include <cstdio>
#include <utility>

#include "core/identity.h"
#include "core/translate.h"
#include "platform/file_stream.h"
#include "platform/text.h"
#include "model/data_codes.h"
#include "model/system_file_kind.h"
#include "model/value_record.h"
#include "model/treetool.h"

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
    const FileData& f = rec.File;
    std::vector<int32_t> file{f.Time, f.Size, f.Attributes};
    if (rec.HasVersion) {
      file.push_back(f.VersionHigh);
      file.push_back(f.VersionLow);
    }
    return file;
  }
  if (treeKind == tkSystem) {
    if (IsIniKind(systemKind)) return rec.Entry.Value;
    return rec.Entry.LineIndex + 1;  // lines are counted from 1 for the reader of the export
  }
  const ValueData& v = rec.Value;
  switch (v.TypeCode) {
    case kCodeString: return v.Text;
    case kCodeExpandString: {
      // An expandable string goes out as its bytes with the terminating zero.
      std::vector<uint8_t> bytes(v.Text.begin(), v.Text.end());
      bytes.push_back(0);
      return bytes;
    }
    case kCodeNumber: return v.Number;
    default: return v.Bytes;
  }
}

// The path of a key or folder nested in a stored copy, from its parent's.
std::string NestedPath(const std::string& parentPath, const std::string& name, int treeKind) {
  if (treeKind == tkFiles) return parentPath + name + "\\";
  return parentPath + "\\" + name;
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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

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
      AddHexLines(lines_, prefix + "=hex(" + std::to_string(RegistryTypeNumber(dataType)) + "):", *bytes);
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

namespace {

// One walk: the callbacks, and one reader on the result file for all of it.
class ResultWalk {
 public:
  ResultWalk(const ResultFileInfo& info, uint32_t mask, int treeKind, const ValueCallback& onValue,
             const NodeCallback& onHeader, const NodeCallback& onChange, const NodeCallback& onEnd)
      : reader_(info), section_(SectionOf(treeKind)), mask_(mask), tree_kind_(treeKind),
        on_value_(onValue), on_header_(onHeader), on_change_(onChange), on_end_(onEnd) {}

  // For each node: the change call of a deleted node, then its children, its header,
  // its records, the change call of a new node and the end call. A node's frame stays
  // on the stack while its children are walked.
  void Run(TreeNode& start) {
    struct Frame {
      TreeNode* node;
      int level;
      std::string path;
      size_t next = 0;
    };
    std::vector<Frame> stack;
    auto enter = [&](TreeNode& node, int level) {
      std::string path = WalkPath(node, tree_kind_);
      const int kind = StateCode(node.StateIndex());
      if (kind == stRemoved) Call(on_change_, stRemoved, path, level);
      if (IsStoredCopy(node)) {
        WalkStoredCopy(node, kind, std::move(path), level);
        return;
      }
      stack.push_back({&node, level, std::move(path)});
    };
    enter(start, start.Level());
    while (!stack.empty()) {
      Frame& top = stack.back();
      if (top.next < top.node->Count()) {
        TreeNode* child = top.node->Child(top.next++);
        const int level = top.level + 1;
        enter(*child, level);  // may move the stack: top is not used again
        continue;
      }
      const Frame frame = std::move(stack.back());
      stack.pop_back();
      Leave(*frame.node, frame.path, frame.level);
    }
  }

 private:
  // New and deleted keys and folders hold their nested ones in the block: they are
  // read there in one pass rather than loaded into the tree.
  bool IsStoredCopy(const TreeNode& node) const {
    const int kind = StateCode(node.StateIndex());
    return section_ != ResultSection::SystemFiles && (kind == stAdded || kind == stRemoved) && node.Data() != 0;
  }

  void WalkStoredCopy(const TreeNode& node, int kind, std::string path, int level) {
    struct Nested {
      std::string path;
      int level;
    };
    std::vector<Nested> open{{std::move(path), level}};
    reader_.WalkStoredCopy(
        section_, node,
        [&](const std::string& name) {
          Nested nested{NestedPath(open.back().path, name, tree_kind_), open.back().level + 1};
          if (kind == stRemoved) Call(on_change_, stRemoved, nested.path, nested.level);
          open.push_back(std::move(nested));
        },
        [&](std::vector<NodeRecord>& records) {
          const Nested nested = std::move(open.back());
          open.pop_back();
          Finish(kind, nested.path, nested.level, records, 0);
        });
  }

  void Leave(const TreeNode& node, const std::string& path, int level) {
    const int kind = StateCode(node.StateIndex());
    if (node.Data() == 0) {
      Call(on_header_, kind, path, level);
      Call(on_end_, kind, path, level);
      return;
    }
    // The kind of the file decides the form of system-file entries; asked only where
    // records are read, so an entry of unknown kind without records is no obstacle.
    const bool hasGroup = kind == stAdded || kind == stRemoved || kind == stMembersChanged;
    const int systemKind = tree_kind_ == tkSystem && hasGroup ? SystemKindOfNode(node) : 0;
    Finish(kind, path, level, reader_.Records(section_, node, systemKind), systemKind);
  }

  // The header, the records and the closing calls of a node with a record group.
  void Finish(int kind, const std::string& path, int level, const std::vector<NodeRecord>& records,
              int systemKind) {
    Call(on_header_, kind, path, level);
    for (const NodeRecord& rec : records) {
      const int recKind = StateCode(rec.Status);
      if (on_value_ && InMask(mask_, recKind))
        on_value_(recKind, path, rec.Name, tree_kind_, tree_kind_ == tkRegistry ? rec.Value.TypeCode : 0, level,
                  ValueOf(rec, tree_kind_, systemKind));
    }
    if (kind == stAdded) Call(on_change_, stAdded, path, level);
    Call(on_end_, kind, path, level);
  }

  void Call(const NodeCallback& fn, int kind, const std::string& path, int level) const {
    if (fn && InMask(mask_, kind)) fn(kind, path, level, tree_kind_);
  }

  ResultReader reader_;
  ResultSection section_;
  uint32_t mask_;
  int tree_kind_;
  const ValueCallback& on_value_;
  const NodeCallback& on_header_;
  const NodeCallback& on_change_;
  const NodeCallback& on_end_;
};

}  // namespace

void WalkResultTree(const ResultFileInfo& info, TreeNode* start, uint32_t mask, int treeKind,
                    const ValueCallback& onValue, const NodeCallback& onHeader, const NodeCallback& onChange,
                    const NodeCallback& onEnd) {
  if (start == nullptr) return;
  ResultWalk(info, mask, treeKind, onValue, onHeader, onChange, onEnd).Run(*start);
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

void SaveTextLines(const std::string& fileName, const std::vector<std::string>& lines, bool ansi) {
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  if (ansi) content = platform::Utf8ToCp1252(content);
  // Raises EFCreateError naming the file when it cannot be created.
  platform::FileStream file(fileName, platform::FileStream::Mode::Create);
  file.Write(content.data(), content.size());
}

int RegistryTypeNumber(int dataType) {
  if (dataType == 3) return 4;
  if (dataType == 4) return 3;
  return dataType;
}

void AddHexLines(std::vector<std::string>& lines, std::string line, const std::vector<uint8_t>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
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
