// The empty-folder finder's engine on real folders of the test prefix, reached through
// a selection tree ticked down to a scratch folder: nesting, files of 0 bytes, a partly
// ticked folder, and a folder that is no longer empty when it is to be deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/identity.h"
#include "core/settings.h"
#include "model/data_codes.h"
#include "model/treetool.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/ticked_tree.h"
#include "tools/empty_folders.h"

namespace {

using V = std::vector<std::string>;
class EmptyFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSetting("UseRecycleBin", 0);
    for (const char* f : {"leer", "nur", "nur\\unter", "nullbyte", "voll", "teil", "teil\\an", "teil\\aus"})
      CreateDirectoryW(platform::Utf8ToWide(data_.File(f)).c_str(), nullptr);
    WriteFileBytes(data_.File("nullbyte\\null.dat"), "");
    WriteFileBytes(data_.File("voll\\inhalt.txt"), "x");
    WriteFileBytes(data_.File("teil\\aus\\inhalt.txt"), "x");
    // Ticked: the scratch folder; inside it "teil" partly, with "an" ticked and "aus" not.
    TreeNode* node = TickedDownTo(tree_, data_.Path());
    node->AddChild("teil")->SetStateIndex(stPartial);
    node->FindChild("teil")->AddChild("an")->SetStateIndex(stChecked);
    node->FindChild("teil")->AddChild("aus")->SetStateIndex(stUnchecked);
  }
  V Relative(const V& folders) {
    V names;
    for (const std::string& f : folders) names.push_back(f.substr(data_.Path().size()));
    return names;
  }
  SettingsScope settings_{"emptyfolders"};
  ScriptedInteraction ui_;
  TempFolder data_;
  Tree tree_;
};

TEST_F(EmptyFoldersTest, EmptyFoldersAreFoundChildrenFirst) {
  const struct {
    bool ignoreEmptyFiles;
    V found;
  } cases[] = {{false, {"leer\\", "nur\\unter\\", "nur\\", "teil\\an\\"}},
               {true, {"leer\\", "nullbyte\\", "nur\\unter\\", "nur\\", "teil\\an\\"}}};
  for (const auto& c : cases) {
    V found = Relative(FindEmptyFolders(tree_, c.ignoreEmptyFiles));
    std::sort(found.begin(), found.end());
    V expected = c.found;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected) << c.ignoreEmptyFiles;
  }
  // A child always before the folder that holds it.
  const V found = Relative(FindEmptyFolders(tree_, false));
  EXPECT_LT(std::find(found.begin(), found.end(), "nur\\unter\\"), std::find(found.begin(), found.end(), "nur\\"));
  EXPECT_EQ(ui_.StatusTexts().at(StatusControl::Statuspanel), "Leere Ordner suchen...beendet");
}

// A folder that got something since the search is kept, with what came into it; a
// parent goes with its listed child; deleted folders leave the selection tree.
TEST_F(EmptyFoldersTest, DeletionKeepsWhatIsNoLongerEmpty) {
  const std::vector<std::string> found = FindEmptyFolders(tree_, true);
  WriteFileBytes(data_.File("leer\\neu.txt"), "inzwischen");
  const EmptyFolderDeletion outcome = DeleteEmptyFolders(found, true, &tree_);
  EXPECT_EQ(Relative(outcome.Kept), V{"leer\\"});
  EXPECT_TRUE(PathExists(data_.File("leer\\neu.txt")));
  for (const char* gone : {"nur", "nullbyte", "teil\\an"}) EXPECT_FALSE(PathExists(data_.File(gone))) << gone;
  EXPECT_TRUE(PathExists(data_.File("teil\\aus\\inhalt.txt")));
  EXPECT_EQ(FindNodeByPath(std::string(data_.Path()) + "teil\\an", tree_, false, false), nullptr);
  EXPECT_NE(FindNodeByPath(std::string(data_.Path()) + "teil\\aus", tree_, false, false), nullptr);
}

}  // namespace
