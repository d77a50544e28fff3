// vrx-cli from the command line to the written result, on real temporary
// trees: RunCli in-process for the outputs, and the real binary for exit
// codes. Times are set on every file and the time zone is UTC, so that the
// comma-separated output can be compared whole.
#include "cli/run_cli.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli_run.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

constexpr int64_t kT = 1767268800;  // 01.01.2026 12:00:00 UTC
constexpr int64_t kDay = 86400;

using test::Outcome;
using test::ReadFile;
using test::RunInProcess;

std::string DateText(int64_t seconds) {
  char buffer[32];
  const time_t t = static_cast<time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  std::strftime(buffer, sizeof buffer, "%d.%m.%Y %H:%M:%S", &tm);
  return buffer;
}

// The capture period changes from run to run; everything else must not.
std::string MaskPeriod(std::string text) {
  const std::string head = "Erfassungszeitraum:\n";
  const size_t at = text.find(head);
  if (at != std::string::npos) {
    const size_t end = text.find('\n', at + head.size());
    text.replace(at + head.size(), end - at - head.size(), "<Zeitraum>");
  }
  return text;
}

class CliTest : public ::testing::Test {
 protected:
  struct Known {
    uint64_t size;
    std::string attributes;
    int64_t time;
  };

  // A file with content, time and mode; remembered for Row().
  void File(const std::string& rel, const std::string& content, int64_t time = kT,
            unsigned mode = 0644, const std::string& attributes = "") {
    tree_.MakeFile(rel, content);
    tree_.SetTimes(rel, time);
    tree_.SetMode(rel, mode);
    known_[rel] = {content.size(), attributes, time};
  }
  void Dir(const std::string& rel, int64_t time = kT) {
    tree_.MakeDir(rel);
    dirTimes_[rel] = time;
  }
  // Directory times last, after their contents were made.
  void FixDirTimes() {
    for (const auto& [rel, time] : dirTimes_) {
      tree_.SetTimes(rel, time);
    }
  }

  // One line of the comma-separated list for the record at `rel` ("" is the
  // root, a directory given to Dir is a directory record).
  std::string Row(int cls, const std::string& rel) {
    const std::string path = rel.empty() ? tree_.root() : tree_.Path(rel);
    if (rel.empty() || dirTimes_.count(rel) != 0) {
      const int64_t time = rel.empty() ? rootTime_ : dirTimes_[rel];
      return std::to_string(cls) + ",.," + path + ",0,," + DateText(time) + "\n";
    }
    const Known& k = known_.at(rel);
    const size_t slash = path.rfind('/');
    return std::to_string(cls) + "," + path.substr(slash + 1) + "," + path.substr(0, slash) + "," +
           std::to_string(k.size) + "," + k.attributes + "," + DateText(k.time) + "\n";
  }
  std::string Rows(int cls, const std::vector<std::string>& rels) {
    std::string text;
    for (const std::string& rel : rels) {
      text += Row(cls, rel);
    }
    return text;
  }

  // The tree of the filter cases.
  void MakeFilterTree() {
    File(".hidden.txt", "h", kT, 0644, "H");
    File("a.txt", "alpha content");
    File("b.txt", "beta", kT + 10 * kDay);
    File("c.log", "alpha log", kT + 20 * kDay);
    File("ro.txt", "readonly", kT, 0444, "R");
    Dir("sub");
    File("sub/d.txt", "delta alpha", kT + 30 * kDay);
    FixDirTimes();
    tree_.SetTimes("", rootTime_);
  }

  test::ScopedTimeZone tz_{"UTC"};
  test::TempTree tree_;
  std::map<std::string, Known> known_;
  std::map<std::string, int64_t> dirTimes_;
  int64_t rootTime_ = kT;
};

TEST_F(CliTest, IdenticalFilesAcrossFolders) {
  Dir("a");
  Dir("b");
  Dir("b/sub");
  File("a/u.txt", "unique1");
  File("a/x.txt", "hello");
  File("a/y.txt", "world!");
  File("b/sub/z.txt", "world!");
  File("b/v.txt", "unique2");
  File("b/x2.txt", "hello");
  FixDirTimes();
  const std::vector<std::string> args = {"--same-content", tree_.Path("a") + "+",
                                         tree_.Path("b") + "+"};
  std::vector<std::string> csvArgs = args;
  csvArgs.insert(csvArgs.begin(), "--csv");
  const Outcome csv = RunInProcess(csvArgs);
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out, Rows(1, {"a/x.txt", "b/x2.txt"}) + Rows(2, {"a/y.txt", "b/sub/z.txt"}));
  std::vector<std::string> nulArgs = args;
  nulArgs.insert(nulArgs.begin(), "-0");
  const Outcome nul = RunInProcess(nulArgs);
  EXPECT_EQ(nul.status, 0) << nul.err;
  EXPECT_EQ(nul.out, tree_.Path("a/x.txt") + '\0' + tree_.Path("b/x2.txt") + '\0' + '\0' +
                         tree_.Path("a/y.txt") + '\0' + tree_.Path("b/sub/z.txt") + '\0' + '\0');
  const std::string jsonPath = tree_.Path("r.json");
  std::vector<std::string> jsonArgs = args;
  jsonArgs.insert(jsonArgs.begin(), {"-o", jsonPath});
  const Outcome json = RunInProcess(jsonArgs);
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_NE(ReadFile(jsonPath).find(
                R"("counts": {"candidates":9,"classes":2,"members":4,"redundant_bytes":11})"),
            std::string::npos);

  auto line = [&](const std::string& rel) {
    const Known& k = known_.at(rel);
    const std::string path = tree_.Path(rel);
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string dir = path.substr(0, path.rfind('/'));
    const std::string size = std::to_string(k.size);
    return std::string(20 - name.size(), ' ') + name + " " +
           std::string(dir.size() < 35 ? 35 - dir.size() : 0, ' ') + dir + " " +
           std::string(10 - size.size(), ' ') + size + "      " + DateText(k.time) + "\n";
  };
  const Outcome text = RunInProcess(args);
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(MaskPeriod(text.out),
            "Parlind (v.1.0.1):\n\n"
            "Erfassungszeitraum:\n<Zeitraum>\n\n"
            "Suchparameter:\n"
            "Quelle\n"
            "    Filter\n"
            "        einschließlich:\n"
            "            " +
                tree_.Path("a") +
                " (inkl. Unterverz.)\n"
                "            " +
                tree_.Path("b") +
                " (inkl. Unterverz.)\n"
                "Inhalt\n"
                "    Vergleich\n"
                "        aktiviert.\n"
                "\n"
                "Ergebnis:\n"
                "9 Objekte entsprechen den Filterkriterien.\n"
                "2 Ähnlichkeitsklassen (mit insgesamt 4 Objekten, 11 B Redundanz).\n"
                "\n" +
                line("a/x.txt") + line("b/x2.txt") + "\n" + line("a/y.txt") + line("b/sub/z.txt") +
                "\n");
}

TEST_F(CliTest, NamesWithinOneCharacter) {
  for (const char* name : {"abc.txt", "abcd.txt", "abd.txt", "xyz.txt", "Bericht_Marz.txt",
                           "Bericht_März.txt", "notes.md"}) {
    File(name, "x");
  }
  const Outcome run = RunInProcess({"--same-name=1", "--csv", "-n", "*.txt", tree_.root() + "+"});
  EXPECT_EQ(run.status, 0);
  // Names of equal length (in characters) that differ in one place.
  EXPECT_EQ(run.out,
            Rows(1, {"abc.txt", "abd.txt"}) + Rows(2, {"Bericht_Marz.txt", "Bericht_März.txt"}));
  // The pattern's warning is shown and the search goes on.
  EXPECT_EQ(run.err, "*.txt ist nicht durch '*' begrenzt.\n");

  const Outcome quiet =
      RunInProcess({"-q", "--same-name=1", "--csv", "-n", "*.txt", tree_.root() + "+"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, run.out);
  EXPECT_EQ(quiet.err, run.err) << "--quiet hides the progress line only, never the check";

  const Outcome strict =
      RunInProcess({"--strict", "--same-name=1", "--csv", "-n", "*.txt", tree_.root() + "+"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.out, "");
  EXPECT_NE(strict.err.find("*.txt ist nicht durch '*' begrenzt.\n"), std::string::npos);
}

TEST_F(CliTest, DatesWithinATolerance) {
  File("a.dat", "1", kT);
  File("b.dat", "2", kT + kDay);
  File("c.dat", "3", kT + 5 * kDay);
  File("d.dat", "4", kT + 5 * kDay + 3 * 3600);
  const Outcome run =
      RunInProcess({"--csv", "--same-date=2d", "--attr-exclude", "D", tree_.root()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Rows(1, {"a.dat", "b.dat"}) + Rows(2, {"c.dat", "d.dat"}));
  // Exactly three hours apart.
  const Outcome exact = RunInProcess(
      {"--csv", "--same-date=3h", "--date-exact", "--attr-exclude", "D", tree_.root()});
  EXPECT_EQ(exact.status, 0) << exact.err;
  EXPECT_EQ(exact.out, Rows(1, {"c.dat", "d.dat"}));
}

TEST_F(CliTest, SizesWithinAPercentage) {
  File("p", std::string(1000, 'p'));
  File("q", std::string(1100, 'q'));
  File("r", std::string(1200, 'r'));
  File("s", std::string(5000, 's'));
  const Outcome run = RunInProcess({"--csv", "--same-size=10%", "-s", ">=1", tree_.root()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Rows(1, {"p", "q"}) + Rows(2, {"q", "r"}));
}

TEST_F(CliTest, ContentWithAToleranceAndCaseBlind) {
  File("a.txt", "Hello World");
  File("b.txt", "hello world");
  File("c.txt", "hello worlx");
  File("d.txt", "hellx worlx");
  // Case is ignored unless asked for: a and b are equal, c differs in one place.
  const Outcome blind = RunInProcess({"--csv", "--same-content=1", tree_.root()});
  EXPECT_EQ(blind.status, 0) << blind.err;
  EXPECT_EQ(blind.out, Rows(1, {"c.txt", "b.txt", "a.txt"}) + Rows(2, {"c.txt", "d.txt"}));
  const Outcome cased =
      RunInProcess({"--csv", "--same-content=1", "--same-content-case", tree_.root()});
  EXPECT_EQ(cased.status, 0) << cased.err;
  EXPECT_EQ(cased.out, Rows(1, {"c.txt", "b.txt"}) + Rows(2, {"c.txt", "d.txt"}));
}

TEST_F(CliTest, InvertedLocationWithAndWithoutRanges) {
  Dir("a");
  Dir("a/sub");
  Dir("b");
  File("a/x", "1");
  File("a/sub/w", "2");
  File("b/z", "3");
  FixDirTimes();
  const std::string a = tree_.Path("a") + "+";
  const std::string b = tree_.Path("b") + "+";
  // Areas of equal location: a, a/sub and b; one record from each.
  const Outcome areas = RunInProcess({"--csv", "--other-location", "--attr-exclude", "D", a, b});
  EXPECT_EQ(areas.status, 0) << areas.err;
  EXPECT_EQ(areas.out, Rows(1, {"a/x", "a/sub/w", "b/z"}));
  // Areas of the listed sources: everything below a against everything below b.
  const Outcome ranges =
      RunInProcess({"--csv", "--other-location", "--location-ranges", "--attr-exclude", "D", a, b});
  EXPECT_EQ(ranges.status, 0) << ranges.err;
  EXPECT_EQ(ranges.out, Rows(1, {"a/x", "b/z"}) + Rows(2, {"a/sub/w", "b/z"}));
}

TEST_F(CliTest, FiltersOfEachKind) {
  MakeFilterTree();
  const std::string root = tree_.root() + "+";
  const std::string from = DateText(kT + 5 * kDay);  // dd.mm.yyyy hh:mm:ss
  const struct {
    std::vector<std::string> args;
    std::vector<std::string> records;
  } cases[] = {
      {{"-n", "*.txt"}, {".hidden.txt", "a.txt", "b.txt", "ro.txt", "sub/d.txt"}},
      {{"-N", "*.txt"}, {"", "c.log", "sub"}},
      {{"--from", from, "--to", "2026-01-26", "--attr-exclude", "D"}, {"b.txt", "c.log"}},
      {{"--attr", "H"}, {".hidden.txt"}},
      {{"--attr", "r"}, {"ro.txt"}},
      {{"--attr-exclude", "RHD"}, {"a.txt", "b.txt", "c.log", "sub/d.txt"}},
      {{"-s", "<10"}, {".hidden.txt", "b.txt", "c.log", "ro.txt"}},
      {{"-c", "*alpha*"}, {"a.txt", "c.log", "sub/d.txt"}},
      {{"-C", "*ALPHA*"}, {".hidden.txt", "b.txt", "ro.txt"}},
      {{"-x", tree_.Path("sub") + "+", "-x", tree_.Path("a.txt"), "--attr-exclude", "D"},
       {".hidden.txt", "b.txt", "c.log", "ro.txt"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), {"-q", "--csv"});
    args.push_back(root);
    const Outcome run = RunInProcess(args);
    EXPECT_EQ(run.status, 0) << c.args[0] << "\n" << run.err;
    EXPECT_EQ(run.out, Rows(1, c.records)) << c.args[0];
  }
}

// A comma or semicolon in a SOURCE or -x argument belongs to its path.
TEST_F(CliTest, FolderNamedWithSeparatorsIsOneLocation) {
  Dir("Fotos, 2024");
  Dir("Fotos, 2024/alt; neu");
  Dir("Fotos; alt");
  Dir("Fotos");
  File("Fotos, 2024/a.jpg", "bild");
  File("Fotos, 2024/alt; neu/b.jpg", "bild");
  File("Fotos; alt/c.jpg", "bild");
  File("Fotos/d.jpg", "bild");
  FixDirTimes();
  const std::string folder = tree_.Path("Fotos, 2024");
  const Outcome run =
      RunInProcess({"-q", "--csv", "--same-content", "-x", tree_.Path("Fotos, 2024/alt; neu") + "+",
                    folder + "+", tree_.Path("Fotos; alt")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "1,a.jpg,\"" + folder + "\",4,," + DateText(kT) + "\n" + Row(1, "Fotos; alt/c.jpg"));

  const Outcome report = RunInProcess({"-q", "--same-content", folder + "+"});
  EXPECT_EQ(report.status, 0) << report.err;
  EXPECT_NE(report.out.find("            " + folder + " (inkl. Unterverz.)\n"), std::string::npos)
      << report.out;
}

TEST_F(CliTest, CheckErrorsStopBeforeAnythingIsWritten) {
  MakeFilterTree();
  const std::string output = tree_.Path("result.txt");
  const Outcome run =
      RunInProcess({"--same-size=5", "--same-content", "-o", output, tree_.root() + "+"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Inhaltsvgl. nur bei Dateien gleicher Größe möglich.\n");
  EXPECT_FALSE(std::filesystem::exists(output));

  const Outcome missing = RunInProcess({"--csv", tree_.Path("fehlt")});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, tree_.Path("fehlt") + ": Zugriff fehlgeschlagen.\n" +
                             "Kein gültiger Quellort angegeben.\n");
}

TEST_F(CliTest, CheckOnlyExitsWithItsGrade) {
  MakeFilterTree();
  const std::string root = tree_.root() + "+";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"--check", root}, 0, ""},
      {{"--check", "-q", "-n", "*.txt", root}, 1, "*.txt ist nicht durch '*' begrenzt.\n"},
      {{"--check", "--same-size", "--same-content", root},
       1,
       "Vgl. auf identische Größe UND Inhalt unnötig.\n"},
      {{"--check", "-s", "<0", root}, 2, "Filter, Größe: Wertebereich überschritten.\n"},
  };
  for (const auto& c : cases) {
    const Outcome run = RunInProcess(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[1];
    EXPECT_EQ(run.out, "") << c.args[1];
    EXPECT_EQ(run.err, c.err) << c.args[1];
  }
}

TEST_F(CliTest, OutputFileFollowsItsExtension) {
  MakeFilterTree();
  const std::string root = tree_.root() + "+";
  const Outcome toStdout = RunInProcess({"--csv", "-n", "*.txt*", root});
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  const std::string csvPath = tree_.Path("x.CSV");
  const Outcome toFile = RunInProcess({"-o", csvPath, "-n", "*.txt*", root});
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadFile(csvPath), toStdout.out);

  const std::string textPath = tree_.Path("x.txt");
  const Outcome text = RunInProcess({"--output", textPath, "-n", "*.txt*", root});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(ReadFile(textPath).rfind("Parlind (v.1.0.1):\n\n", 0), 0u);

  // A result that cannot be written is an error, never a success.
  const Outcome full = RunInProcess({"-o", "/dev/full", "-n", "*.txt*", root});
  EXPECT_EQ(full.status, 2);
  EXPECT_NE(full.err.find("Die Ergebnisdatei /dev/full konnte nicht geschrieben werden"),
            std::string::npos)
      << full.err;
}

TEST_F(CliTest, InterruptWritesNothing) {
  MakeFilterTree();
  volatile std::sig_atomic_t interrupted = 1;
  CliEnvironment environment;
  environment.interrupted = &interrupted;
  const std::string output = tree_.Path("result.txt");
  const Outcome run =
      RunInProcess({"--same-content", "-o", output, tree_.root() + "+"}, environment);
  EXPECT_EQ(run.status, 130);
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(CliTest, FilesOfMoreThanFourGibibytes) {
  const uint64_t fiveGiB = 5ULL << 30;
  tree_.MakeSparseFile("big", fiveGiB);
  tree_.MakeSparseFile("big.copy", fiveGiB);
  tree_.MakeSparseFile("small", 1ULL << 30);  // 5 GiB modulo 4 GiB
  for (const char* name : {"big", "big.copy", "small"}) {
    tree_.SetTimes(name, kT);
    known_[name] = {name == std::string("small") ? 1ULL << 30 : fiveGiB, "", kT};
  }
  const Outcome bySize = RunInProcess({"--csv", "--same-size", tree_.root()});
  EXPECT_EQ(bySize.status, 0) << bySize.err;
  EXPECT_EQ(bySize.out, Rows(1, {"big", "big.copy"}));

  // Contents of more than 4 GiB are read and compared in full (letter case
  // distinguished, so that the comparison runs over whole blocks).
  const uint64_t size = (4ULL << 30) + 16;
  test::TempTree contents;
  contents.MakeSparseFile("one", size);
  contents.MakeSparseFile("two", size);
  const Outcome byContent = RunInProcess({"--csv", "--same-content", "--same-content-case",
                                          contents.Path("one"), contents.Path("two")});
  EXPECT_EQ(byContent.status, 0) << byContent.err;
  EXPECT_NE(byContent.out.find("1,one," + contents.root() + ",4294967312,,"), std::string::npos)
      << byContent.out;
  EXPECT_NE(byContent.out.find("1,two," + contents.root() + ",4294967312,,"), std::string::npos)
      << byContent.out;
}

// The real program, for its exit codes.
class BinaryTest : public CliTest {
 protected:
  static std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
      quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
  }
  // `shellPrefix` comes before the program in the shell command (for
  // example "ulimit -f 1; exec ").
  Outcome RunBinary(const std::vector<std::string>& args, const std::string& shellPrefix = "") {
    std::string command = shellPrefix + Quote(VRX_CLI_PATH);
    for (const std::string& arg : args) {
      command += " " + Quote(arg);
    }
    const std::string out = tree_.Path(".out");
    const std::string err = tree_.Path(".err");
    command += " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFile(out);
    outcome.err = ReadFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return outcome;
  }

  // The program with only the standard streams open and a soft limit of
  // `openFiles` on open files (the hard limit as it is).
  Outcome RunBinaryWithSoftLimit(const std::vector<std::string>& args, rlim_t openFiles) {
    const std::string out = tree_.Path(".out");
    const std::string err = tree_.Path(".err");
    std::vector<std::string> argv = {VRX_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
      pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      const int in = ::open("/dev/null", O_RDONLY);
      const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      rlimit limit{};
      ::getrlimit(RLIMIT_NOFILE, &limit);
      limit.rlim_cur = openFiles;
      if (in < 0 || outFd < 0 || errFd < 0 || ::dup2(in, 0) < 0 || ::dup2(outFd, 1) < 0 ||
          ::dup2(errFd, 2) < 0 || ::close_range(3, ~0U, 0) != 0 ||
          ::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
        ::_exit(120);
      }
      ::execv(pointers[0], pointers.data());
      ::_exit(121);
    }
    int raw = 0;
    Outcome outcome;
    if (child > 0 && ::waitpid(child, &raw, 0) == child && WIFEXITED(raw)) {
      outcome.status = WEXITSTATUS(raw);
    }
    outcome.out = ReadFile(out);
    outcome.err = ReadFile(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return outcome;
  }
};

// Memory that runs out while the walk collects (an address-space limit, as
// `ulimit -v` sets it) stops the search with a message; the program does not
// end by an uncaught exception. 5,000 folders whose paths have some 3,600
// bytes need more than the 16 MiB allowed: a folder's path is kept once, but
// every folder's is kept.
TEST_F(BinaryTest, OutOfMemoryDuringTheWalkStopsWithAMessage) {
#if defined(PARLIND_ADDRESS_SANITIZER)
  GTEST_SKIP() << "AddressSanitizer cannot run within an address-space limit";
#else
  std::string deep;
  for (int level = 0; level < 18; ++level) {
    deep += (level == 0 ? "" : "/") + std::string(200, static_cast<char>('a' + level));
  }
  const int dirFd = ::open(tree_.MakeDir(deep).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(dirFd, 0);
  for (int i = 0; i < 5'000; ++i) {
    ASSERT_EQ(::mkdirat(dirFd, std::to_string(i).c_str(), 0755), 0);
  }
  ::close(dirFd);
  const Outcome run =
      RunBinary({"-q", "--same-size", tree_.root() + "+"}, "ulimit -v 16384; exec ");
  EXPECT_EQ(run.status, 2) << run.err;
  EXPECT_EQ(run.err.rfind("vrx-cli: Nicht genug Arbeitsspeicher für die Suche: nach ", 0), 0U)
      << run.err;
  EXPECT_EQ(run.out, "");
#endif
}

TEST_F(BinaryTest, ExitCodes) {
  MakeFilterTree();
  const std::string root = tree_.root() + "+";
  const Outcome version = RunBinary({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("Parlind Version 1.0 (Build ") + PARLIND_VERSION + ")\n");

  const Outcome help = RunBinary({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Aufruf: vrx-cli", 0), 0u);

  const Outcome usage = RunBinary({"--same-name=x", root});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.out, "");
  EXPECT_NE(usage.err.find("--same-name"), std::string::npos) << usage.err;

  const Outcome unknown = RunBinary({"--gleich", root});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("--gleich"), std::string::npos) << unknown.err;

  EXPECT_EQ(RunBinary({"--check", "-n", "*.txt", root}).status, 1);
  EXPECT_EQ(RunBinary({"--strict", "-n", "*.txt", root}).status, 1);
  const Outcome error = RunBinary({"--same-size=5", "--same-content", root});
  EXPECT_EQ(error.status, 2);
  EXPECT_EQ(error.out, "");

  // The program's standard output holds what RunCli writes.
  const Outcome found = RunBinary({"--csv", "-n", "*.txt*", root});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, RunInProcess({"--csv", "-n", "*.txt*", root}).out);
  EXPECT_EQ(found.err, "");
}

// A soft limit of four open files leaves one beside the standard streams;
// the program raises it to the hard limit and finds every duplicate.
TEST_F(BinaryTest, RaisesALowLimitOnOpenFiles) {
  std::string expected;
  for (int i = 10; i < 70; ++i) {
    const std::string name = "f" + std::to_string(i);
    File("dup/" + name, "same");
    expected += "1," + name + "," + tree_.Path("dup") + ",4,,01.01.2026 12:00:00\n";
  }
  const Outcome run =
      RunBinaryWithSoftLimit({"-q", "--csv", "--same-content", tree_.Path("dup")}, 4);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(run.err, "");
}

// A file size limit (ulimit -f) makes the write fail: reported, and the
// temporary file removed, instead of the program being ended by SIGXFSZ.
TEST_F(BinaryTest, AFileSizeLimitIsReportedNotFatal) {
  MakeFilterTree();
  tree_.MakeDir("out");
  const std::string output = tree_.Path("out/result.txt");
  const Outcome run =
      RunBinary({"-n", "*.txt*", "-o", output, tree_.root() + "+"}, "ulimit -f 1; exec ");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "vrx-cli: Die Ergebnisdatei " + output +
                         " konnte nicht geschrieben werden: " + std::strerror(EFBIG) + "\n");
  EXPECT_TRUE(std::filesystem::is_empty(tree_.Path("out")));
}

// The state letter of /proc/PID/stat ('R', 'S', ...); 0 when unknown.
char ProcessState(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const size_t paren = line.rfind(')');
  return paren != std::string::npos && paren + 2 < line.size() ? line[paren + 2] : '\0';
}

// Ctrl-C while the program waits to write into a full pipe: exit 130.
TEST_F(BinaryTest, InterruptDuringABlockedWriteToAPipe) {
  for (int i = 0; i < 200; ++i) {  // a text report of some 20 KB
    File("c" + std::to_string(i), "same");
  }
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
  const int capacity = ::fcntl(fds[0], F_SETPIPE_SZ, 4096);
  ASSERT_GT(capacity, 0);
  const std::string errPath = tree_.Path(".err");
  const std::string source = tree_.root();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::dup2(fds[1], STDOUT_FILENO) < 0 || errFd < 0 || ::dup2(errFd, STDERR_FILENO) < 0) {
      ::_exit(127);
    }
    ::execl(VRX_CLI_PATH, "vrx-cli", "-q", "--same-content", "--attr-exclude", "D", source.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  // Waits until the pipe is full and the program sleeps in its next write.
  int queued = 0;
  for (int i = 0; i < 1000; ++i) {
    if (::ioctl(fds[0], FIONREAD, &queued) == 0 && queued >= capacity &&
        ProcessState(child) == 'S') {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GE(queued, capacity);
  ::kill(child, SIGINT);
  int status = 0;
  pid_t done = 0;
  for (int i = 0; i < 1000 && done == 0; ++i) {
    done = ::waitpid(child, &status, WNOHANG);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (done == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ADD_FAILURE() << "the program did not end after Ctrl-C";
  }
  ::close(fds[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
  EXPECT_EQ(ReadFile(errPath), "");
}

}  // namespace
}  // namespace vrx
