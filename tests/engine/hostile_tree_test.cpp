// Whole searches on trees that fight back: files that change between the
// collection and the comparison, directories that vanish while they are
// walked, special files, link cycles, paths beyond PATH_MAX and very large
// directories. Each must end in a diagnostic line or a correct result, and
// the search must go on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "support/deep_chain.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

using Paths = std::vector<std::string>;
using Classes = std::vector<Paths>;

class HostileTreeTest : public ::testing::Test {
 protected:
  HostileTreeTest() : app_(factory_, diagnostics_) {}

  void SetSource(const std::string& relative, bool withSubdirs = true) {
    app_.params.sourcesIncl = {{tree_.Path(relative), withSubdirs}};
  }

  // The filter pass alone, as RunSearch starts it.
  void Collect() {
    app_.ClearClasses();
    app_.params.UpdateSummaryFlags();
    app_.runCancelled = false;
    ASSERT_TRUE(app_.CollectCandidates().ok());
  }

  RunStatus Run() {
    app_.ClearClasses();
    app_.params.UpdateSummaryFlags();
    app_.runCancelled = false;
    return app_.RunSearch();
  }

  Paths Recorded() const {
    Paths out;
    for (const FileEntry& entry : app_.candidates) {
      out.push_back(tree_.Relative(entry.Path()));
    }
    return out;
  }

  const FileEntry* RecordOf(const std::string& relative) const {
    for (const FileEntry& entry : app_.candidates) {
      if (entry.Path() == tree_.Path(relative)) {
        return &entry;
      }
    }
    return nullptr;
  }

  Classes Result() const {
    Classes out;
    for (const SimilarityClass& cls : app_.classes) {
      Paths members;
      for (const FileEntry* entry : cls) {
        members.push_back(tree_.Relative(entry->Path()));
      }
      out.push_back(members);
    }
    return out;
  }

  // Runs `action` once, on the first Pump whose object shows `path`.
  void AtPathShown(const std::string& path, std::function<void()> action) {
    log_.onPump = [path, action, done = false](const Progress& progress) mutable {
      if (!done && progress.text() == path) {
        done = true;
        action();
      }
    };
  }

  test::TempTree tree_;
  test::ProgressLog log_;
  test::ScriptedProgressFactory factory_{&log_};
  CapturingDiagnostics diagnostics_;
  CvrxApp app_;
};

// ---------------------------------------------------------------------------
// Files and directories that change under the search

void Truncate(const std::string& path, off_t size) {
  ASSERT_EQ(::truncate(path.c_str(), size), 0) << std::strerror(errno);
}

// a and b were equal when collected; one of them changes before the
// comparison. c and d are equal too, of another size.
struct ChangeCase {
  const char* what;
  uint32_t contentDiff;  // 0 identical contents, else at most this many bytes
  const char* changed;   // "a" or "b"
  void (*change)(const std::string& path);
  const char* message;  // start of the diagnostic line for the changed file
};

class ChangedFileTest : public HostileTreeTest {
 protected:
  void Check(const ChangeCase& c) {
    SCOPED_TRACE(c.what);
    diagnostics_.messages.clear();
    tree_.Remove("s");
    tree_.MakeFile("s/a", "0123456789");
    tree_.MakeFile("s/b", "0123456789");
    tree_.MakeFile("s/c", "abcdefghijk");
    tree_.MakeFile("s/d", "abcdefghijk");
    SetSource("s", false);
    app_.params.attrExcl = kAttrDirectory;
    app_.params.contentCompare = true;
    app_.params.contentDiff = c.contentDiff;
    Collect();
    ASSERT_EQ(Recorded(), (Paths{"s/a", "s/b", "s/c", "s/d"}));
    c.change(tree_.Path(std::string("s/") + c.changed));
    ASSERT_TRUE(app_.CompareAll().ok());
    // The changed pair is no class; the search went on to the next pair.
    EXPECT_EQ(Result(), (Classes{{"s/c", "s/d"}}));
    ASSERT_FALSE(diagnostics_.messages.empty());
    for (const std::string& message : diagnostics_.messages) {
      EXPECT_EQ(message, c.message + tree_.Path(std::string("s/") + c.changed) + "\n");
    }
  }
};

void Remove(const std::string& path) {
  std::filesystem::remove(path);
}
void TruncateToFour(const std::string& path) {
  Truncate(path, 4);
}
void TruncateToNothing(const std::string& path) {
  Truncate(path, 0);
}
void ReplaceByDirectory(const std::string& path) {
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);
}
// What takes a file's place holds the bytes of the other file of the pair:
// read through the link, or as the new file, the pair would make a class.
void WriteThePairsBytes(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("0123456789", file);
  std::fclose(file);
}
void ReplaceByLink(const std::string& path) {
  WriteThePairsBytes(path + "~");
  std::filesystem::remove(path);
  std::filesystem::create_symlink(path + "~", path);
}
void ReplaceByRenamedFile(const std::string& path) {
  WriteThePairsBytes(path + "~");
  std::filesystem::rename(path + "~", path);
}

// With a tolerance the later member of a pair is the one the earlier is
// measured against.
TEST_F(ChangedFileTest, FileChangedBetweenCollectionAndComparison) {
  const ChangeCase cases[] = {
      {"deleted", 0, "b", Remove, "Cannot open file "},
      {"deleted, tolerance", 1, "a", Remove, "Cannot open file "},
      {"deleted first, tolerance", 1, "b", Remove, "Cannot open file "},
      {"truncated", 0, "b", TruncateToFour, "Cannot read file "},
      {"truncated to nothing", 0, "b", TruncateToNothing, "Cannot read file "},
      {"truncated, tolerance", 1, "a", TruncateToFour, "Cannot read file "},
      {"a directory in its place", 0, "b", ReplaceByDirectory, "Cannot open file "},
      {"truncated first", 0, "a", TruncateToFour, "Cannot read file "},
      {"emptied first", 0, "a", TruncateToNothing, "Cannot read file "},
      {"replaced by a link", 0, "b", ReplaceByLink, "File replaced since it was listed: "},
      {"replaced by a link, tolerance", 1, "a", ReplaceByLink,
       "File replaced since it was listed: "},
      {"replaced by a renamed file", 0, "a", ReplaceByRenamedFile,
       "File replaced since it was listed: "},
      {"replaced by a renamed file, tolerance", 1, "b", ReplaceByRenamedFile,
       "File replaced since it was listed: "},
  };
  for (const ChangeCase& c : cases) {
    Check(c);
  }
}

// With a tolerance, the file that the other is measured against became
// shorter: it must not be taken as equal to the other file's first bytes (an
// emptied file is not equal to every file of its former size).
TEST_F(ChangedFileTest, MeasuringFileThatShrankIsNotEqualWithATolerance) {
  const ChangeCase cases[] = {
      {"truncated, tolerance", 1, "b", TruncateToFour, "Cannot read file "},
      {"emptied, tolerance", 1, "b", TruncateToNothing, "Cannot read file "},
  };
  for (const ChangeCase& c : cases) {
    Check(c);
  }
}

TEST_F(HostileTreeTest, GrownReferenceFileIsNoLongerEqual) {
  tree_.MakeFile("s/a", "0123456789");
  tree_.MakeFile("s/b", "0123456789");
  tree_.MakeFile("s/c", "abcdefghij");
  tree_.MakeFile("s/d", "abcdefghij");
  SetSource("s", false);
  app_.params.attrExcl = kAttrDirectory;
  app_.params.contentCompare = true;
  Collect();
  tree_.MakeFile("s/a", "0123456789 and more");
  ASSERT_TRUE(app_.CompareAll().ok());
  EXPECT_EQ(Result(), (Classes{{"s/c", "s/d"}}));
  // One of the pair is named; which one depends on how the step reads them.
  ASSERT_FALSE(diagnostics_.messages.empty());
  EXPECT_EQ(diagnostics_.messages[0].rfind("Cannot read file " + tree_.Path("s/"), 0), 0U)
      << diagnostics_.messages[0];
}

TEST_F(HostileTreeTest, FileDeletedDuringTheContentFilter) {
  tree_.MakeFile("s/a", "needle");
  tree_.MakeFile("s/b", "needle");
  tree_.MakeFile("s/c", "needle");
  SetSource("s");
  app_.params.contentIncl = {"*needle*"};
  app_.params.sizeCompare = true;
  // While a is tested, b goes away: it was listed, but cannot be opened.
  AtPathShown(tree_.Path("s/a"), [this] { tree_.Remove("s/b"); });
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Recorded(), (Paths{"s/a", "s/c"}));
  EXPECT_EQ(Result(), (Classes{{"s/a", "s/c"}}));
  EXPECT_EQ(diagnostics_.messages, (std::vector<std::string>{
                                       "Cannot open file " + tree_.Path("s") + "\n",
                                       "Cannot open file " + tree_.Path("s/b") + "\n",
                                   }));
}

TEST_F(HostileTreeTest, DirectoryRemovedWhileTheWalkIsInAnother) {
  for (const bool filtered : {false, true}) {
    SCOPED_TRACE(filtered ? "filtered walk" : "walk of everything");
    tree_.Remove("s");
    diagnostics_.messages.clear();
    tree_.MakeFile("s/a/x", "1");
    tree_.MakeFile("s/b/y", "1");
    tree_.MakeFile("s/b/deep/z", "1");
    tree_.MakeFile("s/c/w", "1");
    SetSource("s");
    app_.params.nameExcl = filtered ? Paths{"*.none"} : Paths{};
    app_.params.sizeCompare = true;
    AtPathShown(tree_.Path("s/a"), [this] { tree_.Remove("s/b"); });
    ASSERT_TRUE(Run().ok());
    // s/b was listed before it went; its listing fails and the walk goes on.
    EXPECT_EQ(Recorded(), (Paths{"s", "s/a", "s/a/x", "s/b", "s/c", "s/c/w"}));
    EXPECT_EQ(diagnostics_.messages,
              std::vector<std::string>{tree_.Path("s/b") + ":  access error, excluded.\n"});
    EXPECT_EQ(Result(), (Classes{{"s", "s/a", "s/b", "s/c"}, {"s/a/x", "s/c/w"}}));
  }
}

TEST_F(HostileTreeTest, DirectoryRemovedWhileItsOwnEntriesAreTaken) {
  tree_.MakeFile("s/a/b", "1");
  tree_.MakeFile("s/a/c", "1");
  tree_.MakeFile("s/a/d/z", "1");
  SetSource("s");
  app_.params.contentCompare = true;
  app_.params.attrExcl = kAttrDirectory;
  // Inside s/a, at b: all of s/a goes, after it was listed.
  AtPathShown(tree_.Path("s/a/b"), [this] { tree_.Remove("s/a"); });
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Recorded(), (Paths{"s/a/b", "s/a/c"}));
  EXPECT_TRUE(Result().empty());
  ASSERT_GE(diagnostics_.messages.size(), 2U);
  EXPECT_EQ(diagnostics_.messages[0], tree_.Path("s/a/d") + ":  access error, excluded.\n");
  const std::string b = "Cannot open file " + tree_.Path("s/a/b") + "\n";
  const std::string c = "Cannot open file " + tree_.Path("s/a/c") + "\n";
  for (size_t i = 1; i < diagnostics_.messages.size(); ++i) {
    EXPECT_TRUE(diagnostics_.messages[i] == b || diagnostics_.messages[i] == c)
        << diagnostics_.messages[i];
  }
}

// ---------------------------------------------------------------------------
// Special files

// Watches files for being opened.
class OpenWatch {
 public:
  OpenWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~OpenWatch() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  bool Add(const std::string& path) {
    return fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN) >= 0;
  }
  // Number of open events since the watches were set.
  int Opens() const {
    alignas(inotify_event) char buffer[4096];
    int count = 0;
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      if (n <= 0) {
        return count;
      }
      for (ssize_t at = 0; at < n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        count += (event->mask & IN_OPEN) != 0 ? 1 : 0;
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

 private:
  int fd_;
};

// A bound Unix socket at `path`; the descriptor stays open for the test.
int BindSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof address.sun_path) {
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class SpecialFileTest : public HostileTreeTest {
 protected:
  ~SpecialFileTest() override {
    if (socket_ >= 0) {
      ::close(socket_);
    }
  }

  // Searches s with a content filter and the content comparison; the
  // special files must be recorded with S, never opened, and in no class.
  void SearchAround(const Paths& specials) {
    tree_.MakeFile("s/empty1", "");
    tree_.MakeFile("s/empty2", "");
    tree_.MakeFile("s/text1", "some text");
    tree_.MakeFile("s/text2", "some text");
    OpenWatch watch;
    for (const std::string& special : specials) {
      ASSERT_TRUE(watch.Add(tree_.Path(special))) << special << ": " << std::strerror(errno);
    }
    SetSource("s");
    app_.params.attrExcl = kAttrDirectory;
    app_.params.contentCompare = true;
    // Without a content filter first: the specials are taken, size 0.
    ASSERT_TRUE(Run().ok());
    Paths expected = {"s/empty1", "s/empty2"};
    expected.insert(expected.end(), specials.begin(), specials.end());
    expected.push_back("s/text1");
    expected.push_back("s/text2");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Recorded(), expected);
    for (const std::string& special : specials) {
      const FileEntry* record = RecordOf(special);
      ASSERT_NE(record, nullptr) << special;
      EXPECT_EQ(record->attributes & kAttrSystem, kAttrSystem) << special;
      EXPECT_EQ(record->size, 0U) << special;
    }
    EXPECT_EQ(Result(), (Classes{{"s/empty1", "s/empty2"}, {"s/text1", "s/text2"}}));
    for (const std::string& message : diagnostics_.messages) {
      EXPECT_EQ(message.rfind("Cannot open file " + tree_.Path("s/"), 0), 0U) << message;
    }

    // With a content filter that lets every non-empty file through.
    diagnostics_.messages.clear();
    app_.params.contentExcl = {"*\x01\x02\x03*"};
    ASSERT_TRUE(Run().ok());
    EXPECT_EQ(Recorded(), (Paths{"s/text1", "s/text2"}));
    EXPECT_EQ(Result(), (Classes{{"s/text1", "s/text2"}}));
    EXPECT_EQ(watch.Opens(), 0) << "a special file was opened";
  }

  int socket_ = -1;
};

TEST_F(SpecialFileTest, FifoAndSocketAreRecordedButNeverOpened) {
  tree_.MakeFifo("s/fifo");
  socket_ = BindSocket(tree_.Path("s/socket"));
  ASSERT_GE(socket_, 0) << std::strerror(errno);
  SearchAround({"s/fifo", "s/socket"});
}

TEST_F(SpecialFileTest, DeviceNodeIsRecordedButNeverOpened) {
  tree_.MakeDir("s");
  // The null device: harmless even if it were opened.
  if (::mknod(tree_.Path("s/device").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "a device node cannot be made here (needs root): " << std::strerror(errno);
  }
  SearchAround({"s/device"});
}

// ---------------------------------------------------------------------------
// Links, depth and breadth

TEST_F(HostileTreeTest, LinkCyclesAndALinkToTheRootAreNotFollowed) {
  tree_.MakeFile("s/a/f", "same");
  tree_.MakeFile("s/g", "same");
  tree_.MakeSymlink("s/a/up", "..");
  tree_.MakeSymlink("s/a/self", "self");
  tree_.MakeSymlink("s/root", "/");
  tree_.MakeSymlink("s/ping", "pong");
  tree_.MakeSymlink("s/pong", "ping");
  SetSource("s");
  app_.params.contentCompare = true;
  app_.params.contentIncl = {"*same*"};
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Recorded(), (Paths{"s/a/f", "s/g"}));
  EXPECT_EQ(Result(), (Classes{{"s/a/f", "s/g"}}));
  // Only the two directories fail the content filter.
  EXPECT_EQ(diagnostics_.messages, (std::vector<std::string>{
                                       "Cannot open file " + tree_.Path("s") + "\n",
                                       "Cannot open file " + tree_.Path("s/a") + "\n",
                                   }));
}

TEST_F(HostileTreeTest, PathsBeyondPathMaxEndTheWalkThereOnly) {
  tree_.MakeDir("s/deep");
  tree_.MakeFile("s/z/after", "x");
  test::DeepChain chain(tree_.Path("s/deep"));
  ASSERT_EQ(chain.made(), test::DeepChain::kLevels);
  SetSource("s");
  for (const bool filtered : {false, true}) {
    SCOPED_TRACE(filtered ? "filtered walk" : "walk of everything");
    diagnostics_.messages.clear();
    app_.params.nameExcl = filtered ? Paths{"*.none"} : Paths{};
    app_.params.sizeCompare = true;
    ASSERT_TRUE(Run().ok());
    // The walk stops at the first directory whose path has PATH_MAX bytes or
    // more, says so once, and goes on beside the chain.
    EXPECT_EQ(diagnostics_.messages,
              std::vector<std::string>{filtered ? "File or directory name is too long."
                                                : "File or Directory Name is too long."});
    size_t longest = 0;
    size_t files = 0;
    for (const FileEntry& entry : app_.candidates) {
      longest = std::max(longest, entry.Path().size());
      files += entry.name() == "file" ? 1 : 0;
    }
    EXPECT_GE(longest, 4096U);
    EXPECT_LT(longest, 4096U + 202U);
    EXPECT_GT(files, 15U);
    EXPECT_EQ(Recorded().back(), "s/z/after");
    ASSERT_FALSE(app_.classes.empty());
  }
  chain.Remove();
  EXPECT_TRUE(std::filesystem::is_empty(tree_.Path("s/deep")));
}

TEST_F(HostileTreeTest, DirectoryOfOneHundredThousandEntries) {
  constexpr int kEntries = 100'000;
  const std::string dir = tree_.MakeDir("s");
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(dirFd, 0);
  for (int i = 0; i < kEntries; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%06d", i);
    const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << name;
    ::close(fd);
  }
  ::close(dirFd);
  tree_.MakeFile("s/~one", "1");
  SetSource("s", false);
  app_.params.sizeCompare = true;
  ASSERT_TRUE(Run().ok());
  ASSERT_EQ(app_.candidates.GetSize(), kEntries + 2U);
  EXPECT_EQ(tree_.Relative(app_.candidates.GetAt(1).Path()), "s/000000");
  EXPECT_EQ(tree_.Relative(app_.candidates.GetAt(kEntries).Path()), "s/099999");
  // The directory and every empty file have size 0: one class of all but one.
  ASSERT_EQ(app_.classes.size(), 1U);
  EXPECT_EQ(app_.classes.front().size(), kEntries + 1U);
  EXPECT_TRUE(diagnostics_.messages.empty());
}

// ---------------------------------------------------------------------------
// Names that are not plain text

TEST_F(HostileTreeTest, NamesOfAnyBytesAreKeptThroughTheSearch) {
  const Paths names = {"-rf", "a,b", "a;b", "line\nbreak", "M\xe4rz", "tab\there", "\xff\xfe"};
  for (const std::string& name : names) {
    tree_.MakeFile("s/" + name, "same content");
  }
  SetSource("s", false);
  app_.params.contentCompare = true;
  app_.params.nameIncl = {"*"};
  ASSERT_TRUE(Run().ok());
  ASSERT_EQ(Result().size(), 1U);
  Paths sorted = names;
  std::sort(sorted.begin(), sorted.end());
  Paths found;
  for (const FileEntry* entry : app_.classes.front()) {
    found.push_back(std::string(entry->name()));
    EXPECT_EQ(entry->Path(), tree_.Path("s/" + std::string(entry->name())));
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, sorted);
  EXPECT_TRUE(diagnostics_.messages.empty());
}

}  // namespace
}  // namespace vrx
