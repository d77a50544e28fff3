// The terminal's progress line: what it shows, that it clears itself, that
// it stays silent without a terminal, and that Ctrl-C cancels at a Pump.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vrx {
namespace {

class Captured {
 public:
  Captured() : stream_(open_memstream(&data_, &size_)) {}
  ~Captured() {
    std::fclose(stream_);
    std::free(data_);
  }
  std::FILE* stream() { return stream_; }
  std::string text() {
    std::fflush(stream_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  std::FILE* stream_;
};

TEST(TerminalProgressTest, DrawsOneLineAndClearsIt) {
  Captured err;
  TerminalProgressSettings settings;
  settings.stream = err.stream();
  {
    TerminalProgressFactory factory(settings);
    std::unique_ptr<Progress> progress = factory.Create("Vergleichen", false);
    progress->SetRange(0, 4, 1);
    progress->SetText("%s", "/daten/a.txt");
    EXPECT_EQ(err.text(), "\rVergleichen 0% /daten/a.txt\x1b[K");
    progress->StepIt();
    progress->Pump(true);
    EXPECT_EQ(progress->percent(), 25);
    EXPECT_FALSE(progress->cancelled());
  }
  const std::string text = err.text();
  ASSERT_GE(text.size(), 4u);
  EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");
}

TEST(TerminalProgressTest, LongPathsKeepTheirEndWithinTheWidth) {
  TerminalProgressSettings settings;
  settings.width = 30;
  TerminalProgress progress("Filtern", settings);
  progress.SetText("%s", "/sehr/langer/pfad/zur/datei/Größe.txt");
  // 29 characters: "Filtern 0% " (11) and 18 of the path, cut in front.
  EXPECT_EQ(progress.Line(), "Filtern 0% ...datei/Größe.txt");
  progress.SetText("%s", "/kurz");
  EXPECT_EQ(progress.Line(), "Filtern 0% /kurz");
  // Control characters of a name are shown escaped and counted as drawn.
  progress.SetText("%s", "/a\n\x1b]2;t\a");
  EXPECT_EQ(progress.Line(), "Filtern 0% /a\\n\\x1b]2;t\\x07");
  progress.SetText("%s", "/pfad/zur/datei/b\x1b[2J\a.txt");
  EXPECT_EQ(progress.Line(), "Filtern 0% ...\\x1b[2J\\x07.txt");
}

TEST(TerminalProgressTest, SilentWithoutATerminal) {
  Captured err;
  TerminalProgressSettings settings;  // no stream: stderr is not a terminal, or --quiet
  TerminalProgress progress("Filtern", settings);
  progress.SetRange(0, 2, 1);
  progress.SetText("%s", "/x");
  progress.StepIt();
  progress.Pump(true);
  EXPECT_EQ(err.text(), "");
  EXPECT_EQ(progress.Line(), "Filtern 50% /x");
}

TEST(TerminalProgressTest, InterruptCancelsAtTheNextPump) {
  volatile std::sig_atomic_t interrupted = 0;
  TerminalProgressSettings settings;
  settings.interrupted = &interrupted;
  TerminalProgress progress("Filtern", settings);
  progress.Pump(true);
  EXPECT_FALSE(progress.cancelled());
  interrupted = 1;
  EXPECT_FALSE(progress.cancelled());  // only a Pump looks at the flag
  progress.Pump(true);
  EXPECT_TRUE(progress.cancelled());
}

}  // namespace
}  // namespace vrx
