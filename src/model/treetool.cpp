#include "model/treetool.h"

#include <memory>
#include <optional>
#include <utility>

#include "core/exceptions.h"
#include "core/format.h"
#include "core/interaction.h"
#include "core/translate.h"
#include "platform/file_stream.h"
#include "platform/names.h"
#include "platform/text.h"

int RootKeyLevel = 1;

namespace {

// Smallest node record: the text, four integers, the child count and a boolean (one
// byte). Counts read from a file are checked against it.
constexpr size_t kMinNodeRecordSize = 6 * kMinItemSize + 1;

void RequireOneOf(const std::string& fileName, const void* stream, const char* message) {
  if (fileName.empty() == (stream == nullptr)) throw EUsageError(message);
}

// A writer on the given file or the caller's open writer.
class WriterTarget {
 public:
  WriterTarget(const std::string& fileName, DataWriter* writer) {
    RequireOneOf(fileName, writer, "Use Filename OR Writer");
    if (writer != nullptr) {
      writer_ = writer;
    } else {
      file_ = std::make_unique<platform::FileStream>(fileName, platform::FileStream::Mode::Create);
      own_ = std::make_unique<DataWriter>(*file_);
      writer_ = own_.get();
    }
  }
  DataWriter& operator*() const { return *writer_; }
  // A file opened here is flushed so that write errors reach the caller.
  void Finish() { if (own_) own_->Flush(); }

 private:
  std::unique_ptr<platform::FileStream> file_;
  std::unique_ptr<DataWriter> own_;
  DataWriter* writer_;
};

// A reader on the given file (read-only, shared) or the caller's open reader.
class ReaderSource {
 public:
  ReaderSource(const std::string& fileName, DataReader* reader) {
    RequireOneOf(fileName, reader, "Use Filename OR Reader");
    if (reader != nullptr) {
      reader_ = reader;
    } else {
      file_ = std::make_unique<platform::FileStream>(fileName, platform::FileStream::Mode::Read);
      own_ = std::make_unique<DataReader>(*file_);
      reader_ = own_.get();
    }
  }
  DataReader& operator*() const { return *reader_; }

 private:
  std::unique_ptr<platform::FileStream> file_;
  std::unique_ptr<DataReader> own_;
  DataReader* reader_;
};

void ReadTreeHeader(DataReader& reader, const std::string& fileName) {
  if (reader.ReadString() != kSelectionHeader)
    throw EDataFileError(FormatMsg(tr("FEHLER: %s\rDas ist keine Auswahldatei "), {fileName}));
}

bool ChildrenPruned(const TreeNode& node, bool pruneAddedRemoved) {
  const int32_t code = StateCode(node.StateIndex());
  return pruneAddedRemoved && (code == stAdded || code == stRemoved);
}

void WriteNodeFields(DataWriter& w, const TreeNode& node, bool storeImages, int32_t childCount) {
  w.WriteString(node.Text());
  w.WriteInteger(node.StateIndex());
  w.WriteInteger(storeImages ? node.ImageIndex() : -1);
  w.WriteInteger(storeImages ? node.SelectedIndex() : -1);
  w.WriteBoolean(node.HasChildren());
  w.WriteInteger(node.Data());
  w.WriteInteger(childCount);
}

// Node records in document order; iterative so that depth costs no stack.
void WriteNodes(DataWriter& w, const Tree& tree, bool pruneAddedRemoved, bool storeImages) {
  struct Frame { const TreeNode* node; size_t next; };
  std::vector<Frame> stack;
  auto emit = [&](const TreeNode& node) {
    const bool pruned = ChildrenPruned(node, pruneAddedRemoved);
    WriteNodeFields(w, node, storeImages, pruned ? 0 : static_cast<int32_t>(node.Count()));
    if (!pruned && node.Count() > 0) stack.push_back({&node, 0});
  };
  for (size_t i = 0; i < tree.Count(); ++i) {
    emit(*tree.TopNode(i));
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next == f.node->Count()) { stack.pop_back(); continue; }
      emit(*f.node->Child(f.next++));
    }
  }
}

// Reads the node records of one tree block after its header; with a tree the nodes
// are added to it, without one they are only consumed.
void ReadNodes(DataReader& r, Tree* tree, bool applyDoneLook) {
  struct Frame { TreeNode* parent; int32_t left; };
  std::vector<Frame> stack{{nullptr, r.ReadCount(kMinNodeRecordSize)}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.left == 0) { stack.pop_back(); continue; }
    --f.left;
    TreeNode* parent = f.parent;
    std::string text = r.ReadString();
    const int32_t state = r.ReadInteger();
    const int32_t image = r.ReadInteger();
    const int32_t selected = r.ReadInteger();
    const bool hasChildren = r.ReadBoolean();
    const int32_t data = r.ReadInteger();
    const int32_t children = r.ReadCount(kMinNodeRecordSize);
    TreeNode* node = nullptr;
    if (tree != nullptr) {
      node = parent ? parent->AddChild(std::move(text)) : tree->AddTop(std::move(text));
      node->SetStateIndex(state);
      if (applyDoneLook && IsDone(state)) node->SetCut(true);
      node->SetImageIndex(image);
      node->SetSelectedIndex(selected);
      node->SetHasChildren(hasChildren);
      node->SetData(data);
    }
    if (children > 0) stack.push_back({node, children});
  }
}

// Finds pathList[0] among the top nodes, then each further element among the
// children of the node found before (case-insensitive). With expand, each node on
// the way is expanded before its children are searched.
TreeNode* WalkPath(const Tree& tree, const std::vector<std::string>& pathList, size_t count,
                   bool expand) {
  TreeNode* node = nullptr;
  for (size_t level = 0; level < count; ++level) {
    const std::string& want = pathList[level];
    TreeNode* found = nullptr;
    if (node == nullptr) {
      for (size_t i = 0; i < tree.Count() && !found; ++i)
        if (platform::SameText(tree.TopNode(i)->Text(), want)) found = tree.TopNode(i);
    } else {
      if (expand && !node->Expanded()) node->Expand();
      for (size_t i = 0; i < node->Count() && !found; ++i)
        if (platform::SameText(node->Child(i)->Text(), want)) found = node->Child(i);
    }
    if (found == nullptr) return nullptr;
    node = found;
  }
  return node;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (i < path.size() || i > start) parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}


}  // namespace

// ---------------------------------------------------------------- tree blocks

void SaveTree(const std::string& fileName, DataWriter* writer, Tree& tree, bool trimLoaded,
              bool pruneAddedRemoved, bool storeImages) {
  WriterTarget target(fileName, writer);
  DataWriter& w = *target;
  w.WriteString(kSelectionHeader);
  // Below a root key that is not partial everything is watched or nothing is.
  if (trimLoaded && tree.First() != nullptr) PruneUnselected(*tree.First());
  w.WriteInteger(static_cast<int32_t>(tree.Count()));
  WriteNodes(w, tree, pruneAddedRemoved, storeImages);
  target.Finish();
}

void LoadTree(const std::string& fileName, DataReader* reader, Tree& tree, bool applyDoneLook) {
  ReaderSource source(fileName, reader);
  ReadTreeHeader(*source, fileName);
  // Built aside: a block that cannot be read to its end leaves the tree as it was.
  Tree loaded;
  ReadNodes(*source, &loaded, applyDoneLook);
  tree.Adopt(loaded);
}

void SkipTree(DataReader& reader) {
  ReadTreeHeader(reader, std::string());
  ReadNodes(reader, nullptr, false);
}

// ---------------------------------------------------------------- selection file

void SaveSelectionFile(const std::string& fileName, DataWriter* writer, Tree& registryTree,
                       Tree& driveTree, Tree& systemTree, const std::vector<std::string>& noCheck) {
  WriterTarget target(fileName, writer);
  DataWriter& w = *target;
  for (Tree* tree : {&registryTree, &driveTree, &systemTree})
    SaveTree(std::string(), &w, *tree, true, false, true);
  w.WriteString(kNoCheckMarker);
  w.WriteInteger(static_cast<int32_t>(noCheck.size()));
  for (const auto& path : noCheck) w.WriteString(path);
  target.Finish();
}

void LoadSelectionFile(const std::string& fileName, DataReader* reader, Tree& registryTree,
                       Tree& driveTree, Tree& systemTree, std::vector<std::string>& noCheck) {
  ReaderSource source(fileName, reader);
  DataReader& r = *source;
  // All three trees are read before any of them changes.
  Tree loaded[3];
  for (Tree& tree : loaded) LoadTree(std::string(), &r, tree, false);

  r.Flush();
  const int64_t listStart = r.Position();
  std::vector<std::string> list;
  bool listRead = false;
  try {
    if (r.ReadString() != kNoCheckMarker) throw EDataFileError("File not compatible");
    const int32_t n = r.ReadCount(kMinItemSize);
    for (int32_t i = 0; i < n; ++i) list.push_back(r.ReadString());
    listRead = true;
  } catch (const std::exception&) {
    r.SetPosition(listStart);
    MessageDlg(tr("Die geöffnete Datei ist nicht 100% kompatibel mit dieser Version des "
                  "Programmes\rdie Liste der nicht zu prüfendenden Dateien konnte nicht geladen "
                  "werden, Rest ist Ok"),
               mtInformation, mbOK);
  }
  Tree* targets[3] = {&registryTree, &driveTree, &systemTree};
  for (int i = 0; i < 3; ++i) {
    targets[i]->Adopt(loaded[i]);
    targets[i]->SetModified(false);
  }
  if (listRead) noCheck = std::move(list);  // only a list read in full replaces the old one
}

// ---------------------------------------------------------------- state lookup

int32_t GetSelectionState(std::vector<std::string>& pathList, const std::string& name,
                          const Tree& tree) {
  pathList.push_back(name);
  const TreeNode* node = WalkPath(tree, pathList, pathList.size(), false);
  pathList.pop_back();
  if (node != nullptr) return node->StateIndex();

  // Control sets other than the current one are copies the system keeps for itself.
  if (pathList.size() == 3 && platform::SameText(pathList[1], "HKEY_LOCAL_MACHINE") &&
      platform::SameText(pathList[2], "SYSTEM") && platform::UpperCase(name).rfind("CONTROLSET", 0) == 0)
    return stUnchecked;
  return rsSnapshot;
}

// ---------------------------------------------------------------- check states

void UpdateParents(TreeNode& node) {
  for (TreeNode* parent = node.Parent(); parent != nullptr; parent = parent->Parent()) {
    bool anyWatched = false;
    for (size_t i = 0; i < parent->Count() && !anyWatched; ++i)
      anyWatched = parent->Child(i)->StateIndex() != stUnchecked;
    parent->SetStateIndex(anyWatched ? stPartial : stUnchecked);
  }
}

void SetSubtreeState(TreeNode& node, int32_t state) {
  std::vector<TreeNode*> stack{&node};
  while (!stack.empty()) {
    TreeNode* n = stack.back();
    stack.pop_back();
    for (size_t i = 0; i < n->Count(); ++i) {
      n->Child(i)->SetStateIndex(state);
      stack.push_back(n->Child(i));
    }
  }
}

void SetNodeChecked(TreeNode& node, bool checked) {
  if (!checked) {
    node.SetStateIndex(stUnchecked);
    SetSubtreeState(node, stUnchecked);
    UpdateParents(node);
    return;
  }
  node.SetStateIndex(stChecked);
  const int level = node.Level();
  if (node.Expanded() || level == RootKeyLevel - 1) {
    SetSubtreeState(node, stChecked);
  } else if (level >= RootKeyLevel) {
    node.DeleteChildren();  // everything below is watched: no need to keep the nodes
  }
  UpdateParents(node);
}

void SetPathChecked(const std::vector<std::string>& pathList, Tree& tree, bool checked) {
  if (TreeNode* node = WalkPath(tree, pathList, pathList.size(), true)) SetNodeChecked(*node, checked);
}

TreeNode* FindNodeByPath(const std::string& path, Tree& tree, bool pathIncludesTop, bool expand) {
  std::vector<std::string> parts = SplitPath(path);
  if (!pathIncludesTop) {
    if (tree.First() == nullptr) return nullptr;
    parts.insert(parts.begin(), tree.First()->Text());
  }
  return WalkPath(tree, parts, parts.size(), expand);
}

TreeNode* FindNodeByPathList(const std::vector<std::string>& pathList, Tree& tree, bool expand) {
  return WalkPath(tree, pathList, pathList.size(), expand);
}

void DeselectBranch(TreeNode& resultNode, Tree& selectionTree, bool showMessage) {
  std::vector<std::string> path;
  for (const TreeNode* n = &resultNode; n != nullptr; n = n->Parent()) path.insert(path.begin(), n->Text());
  TreeNode* node = WalkPath(selectionTree, path, path.size(), true);
  if (node == nullptr) throw EQuitawayError(tr("Baumeintrag konnte nicht gefunden werden !"));

  {
    TreeUpdateScope suspended(selectionTree);
    node->SetStateIndex(stUnchecked);
    SetSubtreeState(*node, stUnchecked);
    UpdateParents(*node);
  }
  if (showMessage) {
    std::string joined;
    for (const auto& part : path) joined += part + "\\";
    MessageDlg(FormatMsg(tr("Der folgende Zweig ist nun abgewählt:%s"), {"\r" + joined}),
               mtInformation, mbOK);
  }
  selectionTree.SetModified(true);
}

void MarkDone(TreeNode& node) {
  node.SetCut(true);
  node.SetStateIndex(node.StateIndex() | flDone);
}

std::string NodePath(const TreeNode& node, bool includeTopLevel, bool driveLetterOnly) {
  std::vector<const TreeNode*> chain;
  for (const TreeNode* n = &node; n != nullptr && n->Level() >= RootKeyLevel; n = n->Parent())
    chain.push_back(n);
  if (chain.empty()) return {};
  const TreeNode* rootLevel = chain.back();
  chain.pop_back();

  std::string path;
  if (includeTopLevel) {
    const std::string root(platform::TrimBlanks(rootLevel->Text()));
    path = driveLetterOnly ? root.substr(0, 2) : root;
  }
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += (*it)->Text();
  }
  return path;
}

bool IsNoCheckFile(const std::vector<std::string>& noCheck, const std::vector<std::string>& pathList,
                   const std::string& fileName) {
  if (noCheck.empty()) return false;
  std::string full;
  if (pathList.size() >= 2 && !pathList[1].empty()) {
    full = pathList[1].substr(0, 1) + ":\\";
    for (size_t i = 2; i < pathList.size(); ++i) full += pathList[i] + "\\";
  }
  full += fileName;
  const std::string upper = platform::UpperCase(full);
  for (const auto& entry : noCheck)
    if (platform::UpperCase(entry) == upper) return true;
  return false;
}

TreeNode* FindOrCreatePath(const std::vector<std::string>& pathList, Tree& tree, int32_t imageIndex,
                           int32_t stateIndex, int32_t selectedIndex) {
  TreeNode* node = nullptr;
  for (const auto& text : pathList) {
    TreeNode* found = nullptr;
    if (node == nullptr) {
      for (size_t i = 0; i < tree.Count() && !found; ++i)
        if (tree.TopNode(i)->Text() == text) found = tree.TopNode(i);
    } else {
      found = node->FindChild(text);
    }
    if (found == nullptr) {
      found = node ? node->AddChild(text) : tree.AddTop(text);
      found->SetImageIndex(imageIndex);
      found->SetStateIndex(stateIndex);
      found->SetSelectedIndex(selectedIndex);
    }
    node = found;
  }
  return node;
}

void PruneUnselected(TreeNode& node) {
  for (size_t i = 0; i < node.Count(); ++i) {
    TreeNode* child = node.Child(i);
    if (child->StateIndex() == stPartial || child->Level() < RootKeyLevel) continue;
    child->Collapse();
    child->DeleteChildren();
  }
}

void SelectAlteredPairs(ListModel& list) {
  const size_t n = list.Count();
  for (size_t i = 0; i < n; ++i) {
    const ListRow& row = list.Row(i);
    if (!row.Selected) continue;
    const int32_t code = StateCode(row.Status);
    if (code == rsOldOfAltered && i + 1 < n && list.Row(i + 1).Caption == row.Caption)
      list.Row(i + 1).Selected = true;
    if (code == rsNewOfAltered && i > 0 && list.Row(i - 1).Caption == row.Caption)
      list.Row(i - 1).Selected = true;
  }
}
