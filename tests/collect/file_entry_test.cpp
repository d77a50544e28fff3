#include "collect/file_entry.h"

#include "collect/entry_positions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vrx {
namespace {

FileEntry Numbered(size_t i) {
  FileEntry entry;
  entry.path = "/some/directory/of/the/tree/file" + std::to_string(i);
  entry.size = i;
  return entry;
}

TEST(FileEntryArrayTest, RecordsStayInPlaceWhileTheListGrows) {
  FileEntryArray list;
  std::vector<const FileEntry*> addresses;
  constexpr size_t kRecords = 200'000;
  for (size_t i = 0; i < kRecords; ++i) {
    EXPECT_EQ(list.Add(Numbered(i)), i);
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
  const FileEntry elsewhere = Numbered(7);
  EXPECT_EQ(positions.PositionOf(&elsewhere), EntryPositions::kNone);
}

TEST(FileEntryArrayTest, SetSizeAndSetAtGrow) {
  FileEntryArray list;
  list.SetAtGrow(3, Numbered(3));
  ASSERT_EQ(list.GetSize(), 4U);
  EXPECT_EQ(list.GetAt(0).path, "");  // records made by growing are empty
  EXPECT_EQ(list.GetAt(0).size, 0U);
  EXPECT_EQ(list.GetAt(3).name(), "file3");
  list.SetAtGrow(1, Numbered(1));
  EXPECT_EQ(list.GetSize(), 4U);
  EXPECT_EQ(list.GetAt(1).name(), "file1");
  list.SetSize(2);
  EXPECT_EQ(list.GetSize(), 2U);
  EXPECT_EQ(list.GetAt(1).name(), "file1");
  list.SetSize(0);
  EXPECT_EQ(list.GetSize(), 0U);
  EXPECT_EQ(list.begin(), list.end());
  EXPECT_EQ(list.Add(Numbered(7)), 0U);
}

// Shrinking and growing across the border between two blocks keeps the
// records below the new size, builds empty ones above it and destroys the rest.
TEST(FileEntryArrayTest, SetSizeAcrossBlockBorders) {
  constexpr size_t kBlock = FileEntryArray::kBlockRecords;
  FileEntryArray list;
  for (size_t i = 0; i < 2 * kBlock + 3; ++i) {
    list.Add(Numbered(i));
  }
  const FileEntry* kept = &list.GetAt(kBlock - 1);
  list.SetSize(kBlock - 1);
  list.SetSize(kBlock + 2);
  EXPECT_EQ(&list.GetAt(kBlock - 2), kept - 1);
  EXPECT_EQ(list.GetAt(kBlock - 2).name(), "file" + std::to_string(kBlock - 2));
  for (size_t i = kBlock - 1; i < kBlock + 2; ++i) {
    EXPECT_EQ(list.GetAt(i).path, "") << i;
    EXPECT_EQ(list.GetAt(i).size, 0U) << i;
  }
  EXPECT_EQ(list.Add(Numbered(9)), kBlock + 2);
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
