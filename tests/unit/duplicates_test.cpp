// The duplicate finder's engine on real files of the test prefix, reached through a
// selection tree ticked down to a scratch folder: both criteria, groups of three and
// more, a pair of the same size with other bytes, names in other letter cases, empty
// files, sizes 4 GiB apart, and a cancel.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/exceptions.h"
#include "core/identity.h"
#include "platform/text.h"
#include "support/checks.h"
#include "support/scripted_interaction.h"
#include "support/settings_scope.h"
#include "support/temp_folder.h"
#include "support/ticked_tree.h"
#include "tools/duplicates.h"

namespace {

using V = std::vector<std::string>;
class DuplicatesTest : public ::testing::Test {
 protected:
  void SetUp() override { TickedDownTo(tree_, data_.Path()); }
  // A file with content, written at the same moment as every other one of the test.
  void Make(const std::string& name, const std::string& content) {
    const size_t slash = name.find('\\');
    if (slash != std::string::npos)
      CreateDirectoryW(platform::Utf8ToWide(data_.File(name.substr(0, slash))).c_str(), nullptr);
    WriteFileBytes(data_.File(name), content);
    SetTime(name);
  }
  void SetTime(const std::string& name) {
    HANDLE h = CreateFileW(platform::Utf8ToWide(data_.File(name)).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    FILETIME t{0x12345600u, 0x01D80000u};
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
  }
  // "name: first, second, ..." for each group, the files below the scratch folder.
  V Groups(const DuplicateResult& r) {
    V groups;
    for (const DuplicateGroup& g : r.Groups) {
      std::string line = g.Name;
      line += ":";
      for (const FoundFile& f : g.Files) line.append(" ").append(f.Path.substr(data_.Path().size()));
      groups.push_back(line);
    }
    return groups;
  }
  SettingsScope settings_{"duplicates"};
  ScriptedInteraction ui_;
  TempFolder data_;
  Tree tree_;
};

TEST_F(DuplicatesTest, BothCriteriaFindTheirGroups) {
  Make("a\\drei.dat", "gleich");
  Make("b\\drei.dat", "gleich");
  Make("c\\DREI.DAT", "gleich");  // another letter case: the same name
  Make("a\\anders.dat", "eins");  // same size, other bytes
  Make("b\\anders.dat", "zwei");
  Make("a\\leer.dat", "");        // two empty files
  Make("b\\leer.dat", "");
  Make("a\\vier.dat", std::string(250000, 'x'));  // two pairs of one size, several blocks
  Make("b\\vier.dat", std::string(250000, 'x'));
  Make("c\\vier.dat", std::string(249999, 'x') + "y");
  Make("d\\vier.dat", std::string(249999, 'x') + "y");
  Make("a\\name1.dat", "inhalt");  // same bytes, other names: never
  Make("b\\name2.dat", "inhalt");
  const struct {
    DuplicateCriterion criterion;
    V groups;
    int32_t duplicates;
  } cases[] = {
      {DuplicateCriterion::NameSizeDate,
       {"anders.dat: a\\anders.dat b\\anders.dat", "drei.dat: a\\drei.dat b\\drei.dat c\\DREI.DAT",
        "leer.dat: a\\leer.dat b\\leer.dat", "vier.dat: a\\vier.dat b\\vier.dat c\\vier.dat d\\vier.dat"},
       1 + 2 + 1 + 3},
      {DuplicateCriterion::NameSizeContent,
       {"drei.dat: a\\drei.dat b\\drei.dat c\\DREI.DAT", "leer.dat: a\\leer.dat b\\leer.dat",
        "vier.dat: a\\vier.dat b\\vier.dat", "vier.dat: c\\vier.dat d\\vier.dat"},
       2 + 1 + 1 + 1},
  };
  for (const auto& c : cases) {
    const DuplicateResult r = FindDuplicates(tree_, c.criterion);
    V groups = Groups(r);
    std::sort(groups.begin(), groups.end());
    EXPECT_EQ(groups, c.groups);
    EXPECT_EQ(r.Duplicates, c.duplicates);
    EXPECT_EQ(r.Files, 13);
  }
  EXPECT_TRUE(SameContent(data_.File("a\\vier.dat"), data_.File("b\\vier.dat")));
  EXPECT_FALSE(SameContent(data_.File("b\\vier.dat"), data_.File("c\\vier.dat")));
}

// Two files whose sizes differ by exactly 4 GiB (sparse) are no copies, whatever the
// low 32 bits of their sizes say.
TEST_F(DuplicatesTest, SizesFourGiBApartAreDifferent) {
  const struct {
    const char* name;
    long long size;
  } files[] = {{"a\\gross.dat", (4LL << 30) + 10}, {"b\\gross.dat", 10}};
  for (const auto& f : files) {
    Make(f.name, "");
    if (!WriteSparseFile(data_.File(f.name), f.size)) GTEST_SKIP() << "no room for a file of 4 GiB";
    SetTime(f.name);
  }
  EXPECT_TRUE(FindDuplicates(tree_, DuplicateCriterion::NameSizeDate).Groups.empty());
  for (const auto& f : files) DeleteFileW(platform::Utf8ToWide(data_.File(f.name)).c_str());
}

TEST_F(DuplicatesTest, CancelEndsTheSearch) {
  for (int i = 0; i < 150; ++i) Make(std::string("a\\f").append(std::to_string(i)).append(".dat"), "x");
  EXPECT_THROW(FindDuplicates(tree_, DuplicateCriterion::NameSizeDate,
                              [&](const DuplicateProgress& p) {
                                if (p.Files >= 100) ui_.RequestCancel();
                              }),
               EMyAbort);
}

}  // namespace
