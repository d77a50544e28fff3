#include "collect/file_entry.h"

#include "collect/entry_positions.h"
#include "platform/attributes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vrx {
namespace {

size_t AddNumbered(FileEntryArray* list, size_t i) {
  FileEntry values;
  values.size = i;
  return list->Add("/some/directory/of/the/tree/file" + std::to_string(i), values);
}

TEST(FileEntryArrayTest, RecordsStayInPlaceWhileTheListGrows) {
  FileEntryArray list;
  std::vector<const FileEntry*> addresses;
  constexpr size_t kRecords = 200'000;
  for (size_t i = 0; i < kRecords; ++i) {
    EXPECT_EQ(AddNumbered(&list, i), i);
    if (i % 997 == 0) {
      addresses.push_back(&list.GetAt(i));
    }
  }
  ASSERT_EQ(list.GetSize(), kRecords);
  for (size_t k = 0; k < addresses.size(); ++k) {
    EXPECT_EQ(addresses[k], &list.GetAt(k * 997));
    EXPECT_EQ(addresses[k]->size, k * 997);
    EXPECT_EQ(addresses[k]->name(), "file" + std::to_string(k * 997));
  }
  size_t expected = 0;
  for (const FileEntry& entry : list) {
    EXPECT_EQ(entry.size, expected++);
  }
  EXPECT_EQ(expected, kRecords);
  // Every record's position is found again from its address.
  const EntryPositions positions(list);
  for (size_t k = 0; k < addresses.size(); ++k) {
    EXPECT_EQ(positions.PositionOf(addresses[k]), k * 997);
  }
  EXPECT_EQ(positions.PositionOf(&list.GetAt(kRecords - 1)), kRecords - 1);
  const FileEntry elsewhere = list.GetAt(7);
  EXPECT_EQ(positions.PositionOf(&elsewhere), EntryPositions::kNone);
}

TEST(FileEntryArrayTest, SetSizeAndRemoveLast) {
  FileEntryArray list;
  list.SetSize(3);
  AddNumbered(&list, 3);
  ASSERT_EQ(list.GetSize(), 4U);
  EXPECT_EQ(list.GetAt(0).Path(), "");  // records made by growing are empty
  EXPECT_EQ(list.GetAt(0).name(), ".");
  EXPECT_EQ(list.GetAt(0).size, 0U);
  EXPECT_EQ(list.GetAt(3).name(), "file3");
  // A record taken back gives its name's room to the next one.
  AddNumbered(&list, 4);
  const char* room = list.GetAt(4).name().data();
  list.RemoveLast();
  EXPECT_EQ(list.GetSize(), 4U);
  AddNumbered(&list, 5);
  EXPECT_EQ(list.GetAt(4).name().data(), room);
  EXPECT_EQ(list.GetAt(4).Path(), "/some/directory/of/the/tree/file5");
  EXPECT_EQ(list.GetAt(3).name(), "file3");
  list.SetSize(2);
  EXPECT_EQ(list.GetSize(), 2U);
  list.SetSize(0);
  EXPECT_EQ(list.GetSize(), 0U);
  EXPECT_EQ(list.begin(), list.end());
  EXPECT_EQ(AddNumbered(&list, 7), 0U);
  EXPECT_EQ(list.GetAt(0).name(), "file7");
}

// Every path comes back as given, and name() and location() say what they
// said of the whole path: the name after the last '/' ("." for the root), a
// file's location before it, a directory's location the whole path.
TEST(FileEntryArrayTest, PathsComeBackAsGiven) {
  struct Case {
    std::string path;
    bool directory;
    std::string name;
    std::string location;
  };
  // Names up to 255 bytes lie in their folder's segment; longer ones (some
  // file systems allow them) are stored whole.
  const std::string longName(65535, 'n');
  const std::string name255(255, 'o');
  const std::string name256(256, 'p');
  const std::vector<Case> cases = {
      {"/tmp/a/b.txt", false, "b.txt", "/tmp/a"},
      {"/tmp/a/c.txt", false, "c.txt", "/tmp/a"},
      {"/tmp/a", true, "a", "/tmp/a"},
      {"/tmp/a/d", false, "d", "/tmp/a"},
      {"b.txt", false, "b.txt", ""},
      {"/b.txt", false, "b.txt", ""},
      {"//tmp", false, "tmp", "/"},
      {"a//b", false, "b", "a/"},
      {"./x/y", false, "y", "./x"},
      {"", true, ".", ""},
      {"/", true, ".", "/"},
      {"", false, ".", ""},
      {"/", false, ".", ""},
      {"a/", false, "", "a"},
      {"dir/", true, "", "dir/"},
      {"src", true, "src", "src"},
      {"/tmp/a/" + longName, false, longName, "/tmp/a"},
      {"/tmp/a/e", false, "e", "/tmp/a"},
      {"/tmp/a/" + name255, false, name255, "/tmp/a"},
      {"/" + name256, false, name256, ""},
      {"a//" + name256, false, name256, "a/"},
      {"/tmp/a/f", false, "f", "/tmp/a"},
  };
  FileEntryArray list;
  for (const Case& c : cases) {
    FileEntry values;
    values.attributes = c.directory ? kAttrDirectory : 0;
    list.Add(c.path, values);
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const FileEntry& entry = list.GetAt(i);
    SCOPED_TRACE(c.path.substr(0, 40));
    EXPECT_EQ(entry.Path(), c.path);
    EXPECT_EQ(entry.name(), c.name);
    EXPECT_EQ(entry.location(), c.location);
    std::string appended = "x";
    entry.AppendPath(&appended);
    EXPECT_EQ(appended, "x" + c.path);
  }
  // One folder is stored once: its files and the directory's own record
  // share the text.
  EXPECT_EQ(list.GetAt(0).location().data(), list.GetAt(1).location().data());
  EXPECT_EQ(list.GetAt(2).location().data(), list.GetAt(3).location().data());
  EXPECT_EQ(list.GetAt(17).location().data(), list.GetAt(18).location().data());
  EXPECT_EQ(list.GetAt(17).location().data(), list.GetAt(21).location().data());
}

// Shrinking and growing across the border between two blocks keeps the
// records below the new size and builds empty ones above it.
TEST(FileEntryArrayTest, SetSizeAcrossBlockBorders) {
  constexpr size_t kBlock = FileEntryArray::kBlockRecords;
  FileEntryArray list;
  for (size_t i = 0; i < 2 * kBlock + 3; ++i) {
    AddNumbered(&list, i);
  }
  const FileEntry* kept = &list.GetAt(kBlock - 1);
  list.SetSize(kBlock - 1);
  list.SetSize(kBlock + 2);
  EXPECT_EQ(&list.GetAt(kBlock - 2), kept - 1);
  EXPECT_EQ(list.GetAt(kBlock - 2).name(), "file" + std::to_string(kBlock - 2));
  for (size_t i = kBlock - 1; i < kBlock + 2; ++i) {
    EXPECT_EQ(list.GetAt(i).Path(), "") << i;
    EXPECT_EQ(list.GetAt(i).size, 0U) << i;
  }
  EXPECT_EQ(AddNumbered(&list, 9), kBlock + 2);
  EXPECT_EQ(list.GetAt(kBlock + 2).name(), "file9");
  size_t counted = 0;
  for (const FileEntry& entry : list) {
    (void)entry;
    ++counted;
  }
  EXPECT_EQ(counted, kBlock + 3);
}

}  // namespace
}  // namespace vrx
