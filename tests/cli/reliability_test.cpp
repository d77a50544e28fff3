// vrx-cli on hostile trees and hostile outputs: files and directories that
// change during the search, special files, links, paths beyond PATH_MAX,
// names of any bytes, and result files that cannot be written. Each ends in a
// diagnostic line or a correct result, and a result that was not written is
// never reported as success.
#include <errno.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/run_cli.h"
#include "support/child_process.h"
#include "support/deep_chain.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"
#include "support/unprivileged.h"

namespace vrx {
namespace {

using test::Outcome;
using test::ReadFile;
using test::RunInProcess;

constexpr int64_t kT = 1767268800;  // 01.01.2026 12:00:00 UTC

class ReliabilityTest : public ::testing::Test {
 protected:
  std::string File(const std::string& rel, const std::string& content) {
    const std::string path = tree_.MakeFile(rel, content);
    tree_.SetTimes(rel, kT);
    return path;
  }

  // One line of the comma-separated list for a file of the tree.
  std::string Row(int cls, const std::string& rel, uint64_t size,
                  const std::string& attributes = "") const {
    const std::string path = tree_.Path(rel);
    const size_t slash = path.rfind('/');
    return std::to_string(cls) + "," + path.substr(slash + 1) + "," + path.substr(0, slash) + "," +
           std::to_string(size) + "," + attributes + ",01.01.2026 12:00:00\n";
  }

  // Runs `action` once, on the first Pump of a progress object with the
  // caption `caption` that shows `text` ("" any text).
  CliEnvironment At(const std::string& caption, const std::string& text,
                    std::function<void()> action) {
    log_.onPump = [caption, text, action, done = false](const Progress& progress) mutable {
      if (!done && progress.captionBase() == caption && (text.empty() || progress.text() == text)) {
        done = true;
        action();
      }
    };
    CliEnvironment environment;
    environment.progressFactory = &factory_;
    return environment;
  }

  test::ScopedTimeZone tz_{"UTC"};
  test::TempTree tree_;
  test::ProgressLog log_;
  test::ScriptedProgressFactory factory_{&log_};
};

// ---------------------------------------------------------------------------
// Changes during the search

TEST_F(ReliabilityTest, FileDeletedBeforeTheContentComparison) {
  File("s/a", "0123456789");
  File("s/b", "0123456789");
  File("s/c", "abcdefghijk");
  File("s/d", "abcdefghijk");
  // The first comparison pass is the one by size; b goes before contents
  // are read.
  const CliEnvironment environment = At("Vergleichen", "", [this] { tree_.Remove("s/b"); });
  const Outcome run = RunInProcess(
      {"-q", "--csv", "--same-content", "--attr-exclude", "D", tree_.Path("s")}, environment);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Row(1, "s/c", 11) + Row(1, "s/d", 11));
  EXPECT_EQ(run.err.rfind("Cannot open file " + tree_.Path("s/b") + "\n", 0), 0U) << run.err;
}

TEST_F(ReliabilityTest, DirectoryRemovedWhileTheWalkIsInAnother) {
  File("s/a/x", "1");
  File("s/b/y", "1");
  File("s/c/w", "1");
  const CliEnvironment environment =
      At("Filtern", tree_.Path("s/a"), [this] { tree_.Remove("s/b"); });
  const Outcome run = RunInProcess(
      {"-q", "--csv", "--same-size", "--attr-exclude", "D", tree_.Path("s") + "+"}, environment);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Row(1, "s/a/x", 1) + Row(1, "s/c/w", 1));
  EXPECT_EQ(run.err, tree_.Path("s/b") + ":  access error, excluded.\n");
}

// ---------------------------------------------------------------------------
// One place named in several spellings

// A folder named twice, in spellings that name the same place: each file is
// recorded once, so no file is its own duplicate. The only class left is the
// hard link pair, two names of one file, which stay two records. The
// report keeps the spelling that was kept.
TEST_F(ReliabilityTest, OneFolderNamedTwiceIsSearchedOnce) {
  File("d/only.bin", "same");
  ASSERT_EQ(::link(tree_.Path("d/only.bin").c_str(), tree_.Path("d/hard").c_str()), 0);
  File("d/sub/other.bin", "other");
  tree_.MakeSymlink("dlink", "d");
  const test::ScopedWorkingDirectory cwd(tree_.root());
  struct Case {
    std::vector<std::string> sources;
    std::string folder;  // the spelling of d that is kept
  };
  const Case cases[] = {
      {{"d", "./d"}, "./d"},   {{"d", tree_.Path("d")}, tree_.Path("d")},   {{"d", "d/../d"}, "d"},
      {{"d+", "dlink+"}, "d"}, {{"dlink+", "./d/sub+", "d/sub+"}, "dlink"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sources.front() + " " + c.sources[1]);
    std::vector<std::string> args = {"-q", "--csv", "--same-content", "--attr-exclude", "D"};
    args.insert(args.end(), c.sources.begin(), c.sources.end());
    const Outcome run = RunInProcess(args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string when = ",01.01.2026 12:00:00\n";
    EXPECT_EQ(run.out,
              "1,hard," + c.folder + ",4," + when + "1,only.bin," + c.folder + ",4," + when);
  }
  // A file named twice is recorded once; its hard link stays a record.
  const Outcome files = RunInProcess({"-q", "--csv", "--same-content", "--attr-exclude", "D",
                                      "d/only.bin", "./d/only.bin", "d/hard"});
  EXPECT_EQ(files.status, 0) << files.err;
  const std::string when = ",01.01.2026 12:00:00\n";
  EXPECT_EQ(files.out, "1,only.bin,./d,4," + when + "1,hard,d,4," + when);
}

// Exclusions spelt otherwise than the source still exclude.
TEST_F(ReliabilityTest, ExclusionSpeltOtherwiseThanTheSource) {
  File("t/skip/b", "same");
  File("t/c", "same");
  File("t/e", "same");
  tree_.MakeSymlink("tlink", "t");
  const test::ScopedWorkingDirectory cwd(tree_.root());
  const std::vector<std::vector<std::string>> cases = {
      {"-x", "./t/skip+", "t+"},
      {"-x", "t/skip+", tree_.Path("t") + "+"},
      {"-x", "tlink/skip+", "t+"},
      {"-x", "t/../t/skip+", "./t+"},
  };
  for (const std::vector<std::string>& c : cases) {
    SCOPED_TRACE(c[1] + " " + c[2]);
    std::vector<std::string> args = {"--csv", "--same-content", "--attr-exclude", "D"};
    args.insert(args.end(), c.begin(), c.end());
    const Outcome run = RunInProcess(args);
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string folder = c[2].substr(0, c[2].size() - 1);
    const std::string when = ",01.01.2026 12:00:00\n";
    EXPECT_EQ(run.out, "1,c," + folder + ",4," + when + "1,e," + folder + ",4," + when);
    EXPECT_EQ(run.err, "");
  }
}

// A bind mount of d inside d: the walk does not enter d a second time.
TEST_F(ReliabilityTest, BindMountOfTheSourceInsideItIsNotEnteredAgain) {
  File("d/only.bin", "same");
  File("d/copy.bin", "same");
  tree_.MakeDir("d/sub/m");
  test::ChildOutcome outcome;
  std::string why;
  constexpr int kNoMount = 200;
  const std::string expected = Row(1, "d/copy.bin", 4) + Row(1, "d/only.bin", 4);
  std::string out;
  const bool ran = test::RunInChild(
      [&] {
        // A mount namespace of its own: the mount goes away with the child.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(tree_.Path("d").c_str(), tree_.Path("d/sub/m").c_str(), nullptr, MS_BIND,
                    nullptr) != 0) {
          return kNoMount;
        }
        const Outcome run = RunInProcess(
            {"-q", "--csv", "--same-content", "--attr-exclude", "D", tree_.Path("d") + "+"});
        return run.status == 0 && run.out == expected && run.err.empty() ? 0 : 1;
      },
      &outcome, &why);
  ASSERT_TRUE(ran) << why;
  if (outcome.exited && outcome.status == kNoMount) {
    GTEST_SKIP() << "no bind mount can be made here (needs root and a mount namespace)";
  }
  EXPECT_TRUE(outcome.exited && outcome.status == 0) << outcome.Describe();
}

// ---------------------------------------------------------------------------
// Special files, links, depth

TEST_F(ReliabilityTest, SpecialFilesCarrySAndAreNeverRead) {
  File("s/empty1", "");
  File("s/empty2", "");
  File("s/text1", "some text");
  File("s/text2", "some text");
  tree_.MakeFifo("s/fifo");
  tree_.SetTimes("s/fifo", kT);
  const std::string socketPath = tree_.Path("s/socket");
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  tree_.SetTimes("s/socket", kT);

  // By size: the special files are records of size 0 with the attribute S.
  const Outcome bySize =
      RunInProcess({"-q", "--csv", "--same-size", "--attr-exclude", "D", tree_.Path("s")});
  EXPECT_EQ(bySize.status, 0) << bySize.err;
  EXPECT_EQ(bySize.out, Row(1, "s/empty1", 0) + Row(1, "s/empty2", 0) + Row(1, "s/fifo", 0, "S") +
                            Row(1, "s/socket", 0, "S") + Row(2, "s/text1", 9) +
                            Row(2, "s/text2", 9));
  EXPECT_EQ(bySize.err, "");

  // A content filter and the content comparison cannot open them (and must
  // not wait on the FIFO).
  const Outcome byContent = RunInProcess(
      {"-q", "--csv", "--same-content", "-C", "*zzz*", "--attr-exclude", "D", tree_.Path("s")});
  ::close(fd);
  EXPECT_EQ(byContent.status, 0) << byContent.err;
  EXPECT_EQ(byContent.out, Row(1, "s/text1", 9) + Row(1, "s/text2", 9));
  EXPECT_EQ(byContent.err, "Cannot open file " + tree_.Path("s/fifo") + "\nCannot open file " +
                               tree_.Path("s/socket") + "\n");
}

// A special file named as a source meets the content filter in the check
// and the content comparison in the search: one line for it, not two.
TEST_F(ReliabilityTest, ASpecialFileGivenAsASourceIsReportedOnce) {
  File("s/empty", "");
  const std::string fifo = tree_.MakeFifo("s/fifo");
  const std::string line = "Cannot open file " + fifo + "\n";
  const auto count = [&line](const std::string& err) {
    size_t n = 0;
    for (size_t at = err.find(line); at != std::string::npos; at = err.find(line, at + 1)) {
      ++n;
    }
    return n;
  };
  for (const bool compare : {true, false}) {
    SCOPED_TRACE(compare ? "contents compared" : "sizes compared");
    const Outcome run = RunInProcess({"--csv", compare ? "--same-content" : "--same-size", "-c",
                                      "*text*", fifo, tree_.Path("s/empty")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(count(run.err), 1U) << run.err;
  }
}

TEST_F(ReliabilityTest, LinkCyclesAndALinkToTheRoot) {
  File("s/a/f", "same");
  File("s/g", "same");
  tree_.MakeSymlink("s/a/up", "..");
  tree_.MakeSymlink("s/root", "/");
  tree_.MakeSymlink("s/ping", "pong");
  tree_.MakeSymlink("s/pong", "ping");
  const Outcome run =
      RunInProcess({"-q", "--csv", "--same-content", "--attr-exclude", "D", tree_.Path("s") + "+"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Row(1, "s/a/f", 4) + Row(1, "s/g", 4));
  EXPECT_EQ(run.err, "");
}

TEST_F(ReliabilityTest, PathsBeyondPathMaxAreReportedOnALineOfTheirOwn) {
  tree_.MakeDir("s/deep");
  File("s/z/after", "x");
  File("s/zz", "x");
  test::DeepChain chain(tree_.Path("s/deep"));
  ASSERT_EQ(chain.made(), test::DeepChain::kLevels);
  const Outcome all = RunInProcess({"-q", "--csv", "--same-size", tree_.Path("s") + "+"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(all.err, "File or Directory Name is too long.\n");
  // The walk went on beside the chain: both one-byte files form the last class.
  EXPECT_NE(all.out.find(Row(2, "s/z/after", 1) + Row(2, "s/zz", 1)), std::string::npos)
      << all.out.substr(0, 300);

  const Outcome filtered = RunInProcess(
      {"-q", "--csv", "--same-size", "--attr-exclude", "D", "-s", "1", tree_.Path("s") + "+"});
  EXPECT_EQ(filtered.status, 0) << filtered.err;
  EXPECT_EQ(filtered.err, "File or directory name is too long.\n");
  EXPECT_EQ(filtered.out, Row(1, "s/z/after", 1) + Row(1, "s/zz", 1));
}

// ---------------------------------------------------------------------------
// Names of any bytes into both formats

// Names of any bytes, in a folder whose name would forge a record
// ("x⏎2,passwd,"): the list quotes what holds a comma, a double quote or a
// line break, the report escapes control characters, and both keep every
// other byte as it is.
TEST_F(ReliabilityTest, NamesCannotForgeLinesOfTheResult) {
  const std::string folder = "s/x\n2,passwd,";
  // Sorted byte-wise, the order of the walk and of the class.
  const struct {
    std::string name, csv, text;
    size_t length;  // of the text, in characters
  } names[] = {
      {"\x1b]2;t\a", "\x1b]2;t\a", "\\x1b]2;t\\x07", 12},
      {"-rf", "-rf", "-rf", 3},
      {"M\xe4rz", "M\xe4rz", "M\xe4rz", 4},
      {"a\"b", "\"a\"\"b\"", "a\"b", 3},
      {"a,b", "\"a,b\"", "a,b", 3},
      {"a;b", "a;b", "a;b", 3},
      {"line\nbreak", "\"line\nbreak\"", "line\\nbreak", 11},
      {"x\xff\xfe", "x\xff\xfe", "x\xff\xfe", 3},
  };
  for (const auto& n : names) {
    File(folder + "/" + n.name, "same");
  }
  const std::vector<std::string> args = {"-q", "--same-content", "--attr-exclude", "D",
                                         tree_.Path("s") + "+"};
  std::vector<std::string> csvArgs = args;
  csvArgs.push_back("--csv");
  const Outcome csv = RunInProcess(csvArgs);
  EXPECT_EQ(csv.status, 0) << csv.err;
  std::string rows;
  for (const auto& n : names) {
    rows += "1," + n.csv + ",\"" + tree_.Path(folder) + "\",4,,01.01.2026 12:00:00\n";
  }
  EXPECT_EQ(csv.out, rows);

  // The text report pads by characters; a byte that is not UTF-8 counts as one.
  const Outcome text = RunInProcess(args);
  EXPECT_EQ(text.status, 0) << text.err;
  const std::string dir = tree_.Path("s/x\\n2,passwd,");
  std::string lines;
  for (const auto& n : names) {
    lines += std::string(20 - n.length, ' ') + n.text + " " +
             std::string(dir.size() < 35 ? 35 - dir.size() : 0, ' ') + dir + " " +
             std::string(9, ' ') + "4      01.01.2026 12:00:00\n";
  }
  const std::string tail = "\n" + lines + "\n";
  ASSERT_GE(text.out.size(), tail.size());
  EXPECT_EQ(text.out.substr(text.out.size() - tail.size()), tail);
}

// Names reach standard error escaped: the check's messages and the
// diagnostic lines of the search.
TEST_F(ReliabilityTest, NamesOnStandardErrorAreEscaped) {
  const std::string missing = tree_.Path("gone\x1b[2J\a");  // clears the screen
  const Outcome check = RunInProcess({"--check", missing});
  EXPECT_EQ(check.err, tree_.Path("gone\\x1b[2J\\x07") + ": Zugriff fehlgeschlagen.\n" +
                           "Kein gültiger Quellort angegeben.\n");
  File("s/a", "same");
  tree_.MakeFifo("s/fi\nfo");
  const Outcome run = RunInProcess(
      {"-q", "--csv", "--same-content", "-C", "*zzz*", "--attr-exclude", "D", tree_.Path("s")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Cannot open file " + tree_.Path("s/fi\\nfo") + "\n");
}

// ---------------------------------------------------------------------------
// Result files that cannot be written

class OutputTest : public ReliabilityTest {
 protected:
  void SetUp() override {
    File("s/a", "same");
    File("s/b", "same");
  }
  std::vector<std::string> Args(const std::string& output) const {
    return {"-q", "--same-content", "--attr-exclude", "D", "-o", output, tree_.Path("s")};
  }
};

TEST_F(OutputTest, DirectoryAsOutputFile) {
  const std::string dir = tree_.MakeDir("out.csv");
  const Outcome run = RunInProcess(Args(dir));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "vrx-cli: Die Ergebnisdatei " + dir +
                         " konnte nicht angelegt werden: " + std::strerror(EISDIR) + "\n");
  EXPECT_TRUE(std::filesystem::is_directory(dir));
}

TEST_F(OutputTest, ReadOnlyDirectory) {
  tree_.MakeDir("ro");
  tree_.SetMode("ro", 0555);
  test::OpenForEveryone(tree_.root());
  const std::string output = tree_.Path("ro/result.csv");
  // Bits of the outcome: 1 status 2, 2 the message, 4 nothing written.
  int result = 0;
  std::string why;
  const bool ran = test::RunUnprivileged(
      [&] {
        const Outcome run = RunInProcess(Args(output));
        const std::string message = "vrx-cli: Die Ergebnisdatei " + output +
                                    " konnte nicht angelegt werden: " + std::strerror(EACCES) +
                                    "\n";
        return (run.status == 2 ? 1 : 0) | (run.err == message ? 2 : 0) |
               (run.out.empty() && !std::filesystem::exists(output) ? 4 : 0);
      },
      &result, &why);
  if (!ran) {
    GTEST_SKIP() << "no process without the permission override: " << why;
  }
  EXPECT_EQ(result, 7);
}

TEST_F(OutputTest, StandardOutputOnAFullDevice) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) {
    GTEST_SKIP() << "/dev/full cannot be opened: " << std::strerror(errno);
  }
  char* errData = nullptr;
  size_t errSize = 0;
  std::FILE* err = open_memstream(&errData, &errSize);
  const int status = RunCli({"-q", "--csv", "--same-content", tree_.Path("s")}, full, err);
  std::fclose(err);
  std::fclose(full);
  const std::string message(errData, errSize);
  std::free(errData);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(message, std::string("vrx-cli: Das Ergebnis konnte nicht auf die Standardausgabe "
                                 "geschrieben werden: ") +
                         std::strerror(ENOSPC) + "\n");
}

// Runs `body` in a forked child whose file size limit is `bytes`, with
// SIGXFSZ ignored as vrx-cli's main ignores it. The child's exit status, or
// -1 when it did not exit normally.
int InChildWithFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 ? body() & 0xFF : 255);
  }
  int status = 0;
  while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return child > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// However the previous result is named (directly, through a link, with a
// name of 250 bytes), a failed save leaves it whole and a good one replaces
// the file the name stands for, keeping its mode and owner.
TEST_F(OutputTest, AFailedSaveLeavesThePreviousResultWhole) {
  for (int i = 0; i < 100; ++i) {  // a result of some 5 KB
    File("s/copy" + std::to_string(i), "same");
  }
  const std::string previous = "1,a,/x,4,,01.01.2026 12:00:00\n";
  const std::string real = tree_.MakeFile("out/real.csv", previous);
  tree_.SetMode("out/real.csv", 0604);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
  }
  const std::string link = tree_.MakeSymlink("out/link.csv", "real.csv");
  const std::string longName = tree_.MakeFile("out/" + std::string(250, 'r') + ".csv", previous);
  for (const std::string& output : {real, link, longName}) {
    SCOPED_TRACE(output.substr(0, 80));
    const int result = InChildWithFileSizeLimit(1024, [&] {
      const Outcome run = RunInProcess(Args(output));
      const std::string message = "vrx-cli: Die Ergebnisdatei " + output +
                                  " konnte nicht geschrieben werden: " + std::strerror(EFBIG) +
                                  "\n";
      return (run.status == 2 ? 1 : 0) | (run.err == message ? 2 : 0);
    });
    EXPECT_EQ(result, 3);
    EXPECT_EQ(ReadFile(output), previous);
    EXPECT_EQ(test::EntriesIn(tree_.Path("out")), 3U) << "no temporary file is left";
  }
  for (const std::string& output : {link, longName}) {
    const Outcome run = RunInProcess(Args(output));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(output).rfind(Row(1, "s/a", 4), 0), 0U);
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::EntriesIn(tree_.Path("out")), 3U);
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604U);
  if (root) {
    EXPECT_EQ(st.st_uid, 65534U);
    EXPECT_EQ(st.st_gid, 65534U);
  }
}

// Files the user may write but cannot replace safely, and files the user may
// not write: refused before the search, and left as they are.
TEST_F(OutputTest, AFileThatCannotBeReplacedSafelyIsLeftAlone) {
  const std::string previous = "previous result\n";
  tree_.MakeFile("fixed/result.txt", previous);
  tree_.SetMode("fixed/result.txt", 0666);
  tree_.SetMode("fixed", 0755);  // the user may write the file, not the folder
  tree_.MakeFile("open/result.txt", previous);
  tree_.SetMode("open/result.txt", 0444);
  tree_.SetMode("open", 0777);  // the user may replace the file, not write it
  test::OpenForEveryone(tree_.root());
  const struct {
    std::string folder, message;
  } cases[] = {
      {tree_.Path("fixed"), " wurde nicht überschrieben: im Ordner " + tree_.Path("fixed") +
                                " lässt sich keine temporäre Datei anlegen (" +
                                std::strerror(EACCES) +
                                "); die vorhandene Datei bleibt unverändert."},
      {tree_.Path("open"),
       std::string(" darf nicht überschrieben werden: ") + std::strerror(EACCES)},
  };
  for (const auto& c : cases) {
    const std::string output = c.folder + "/result.txt";
    SCOPED_TRACE(output);
    int result = 0;
    std::string why;
    const bool ran = test::RunUnprivileged(
        [&] {
          const Outcome run = RunInProcess(Args(output));
          return (run.status == 2 ? 1 : 0) |
                 (run.err == "vrx-cli: Die Ergebnisdatei " + output + c.message + "\n" ? 2 : 0);
        },
        &result, &why);
    if (!ran) {
      GTEST_SKIP() << "no process without the permission override: " << why;
    }
    EXPECT_EQ(result, 3);
    EXPECT_EQ(ReadFile(output), previous);
    EXPECT_EQ(test::EntriesIn(c.folder), 1U);
  }
}

TEST_F(OutputTest, AnOutputThatCannotBeCreatedStopsBeforeTheSearch) {
  CliEnvironment environment;
  environment.progressFactory = &factory_;
  const std::string output = tree_.Path("missing/result.txt");
  const Outcome run = RunInProcess(Args(output), environment);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "vrx-cli: Die Ergebnisdatei " + output +
                         " konnte nicht angelegt werden: " + std::strerror(ENOENT) + "\n");
  EXPECT_TRUE(log_.captions.empty()) << "nothing was collected";
}

TEST_F(OutputTest, DashIsStandardOutput) {
  ASSERT_FALSE(std::filesystem::exists("-"));
  std::vector<std::string> args = Args("-");
  args.emplace_back("--csv");
  const Outcome run = RunInProcess(args);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Row(1, "s/a", 4) + Row(1, "s/b", 4));
  EXPECT_FALSE(std::filesystem::exists("-"));
}

// A small file system of its own, filled up to one free block, so that a
// result file of more than a block is cut off in the middle.
class FullFileSystem {
 public:
  explicit FullFileSystem(const std::string& dir) : dir_(dir) {
    if (::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") != 0) {
      why_ = std::string("a tmpfs cannot be mounted here (needs root): ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
    std::FILE* filler = std::fopen((dir + "/filler").c_str(), "w");
    const std::string block(4096, 'f');
    while (filler != nullptr &&
           std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    if (filler != nullptr) {
      std::fclose(filler);
    }
    const std::string path = dir + "/filler";
    ::truncate(path.c_str(), static_cast<off_t>(std::filesystem::file_size(path)) - 4096);
  }
  ~FullFileSystem() {
    if (mounted_) {
      ::umount2(dir_.c_str(), MNT_DETACH);
    }
  }
  FullFileSystem(const FullFileSystem&) = delete;
  FullFileSystem& operator=(const FullFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

 private:
  std::string dir_;
  std::string why_;
  bool mounted_ = false;
};

TEST_F(OutputTest, FullFileSystemLeavesNoResultFile) {
  const std::string dir = tree_.MakeDir("full");
  FullFileSystem fs(dir);
  if (!fs.mounted()) {
    GTEST_SKIP() << fs.why();
  }
  for (int i = 0; i < 150; ++i) {  // a result of some 10 KB
    File("s/copy" + std::to_string(i), "same");
  }
  for (const char* name : {"result.csv", "result.txt"}) {
    SCOPED_TRACE(name);
    const std::string output = dir + "/" + name;
    const Outcome run = RunInProcess(Args(output));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "vrx-cli: Die Ergebnisdatei " + output +
                           " konnte nicht geschrieben werden: " + std::strerror(ENOSPC) + "\n");
    EXPECT_FALSE(std::filesystem::exists(output));
  }
}

}  // namespace
}  // namespace vrx
