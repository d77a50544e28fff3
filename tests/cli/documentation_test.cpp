// Every option that `vrx-cli --help` lists is described in the manual page and
// offered by the completion of each shell; an option added to the program but
// forgotten in one of them fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace vrx {
namespace {

// The options of the help text: the option column of each line ("  -n, --name
// TEXT", "      --csv"), short and long spellings apart.
std::vector<std::string> HelpOptions() {
  static const std::regex kLine(R"(^(?:  (-[0-9A-Za-z]), |      )(--[a-z0-9-]+))");
  std::vector<std::string> options;
  std::istringstream help(CliHelpText());
  std::string line;
  while (std::getline(help, line)) {
    std::smatch match;
    if (std::regex_search(line, match, kLine)) {
      for (size_t i = 1; i < match.size(); ++i) {
        if (match[i].matched) {
          options.push_back(match[i].str());
        }
      }
    }
  }
  return options;
}

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(PARLIND_SOURCE_DIR) + "/" + relative);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool IsOptionChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
}

// Whether `word` stands in `text` on its own (not as the start of a longer option).
bool HasWord(const std::string& text, const std::string& word) {
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const bool startOk = at == 0 || !IsOptionChar(text[at - 1]) || word[0] != '-';
    const size_t end = at + word.size();
    if (startOk && (end == text.size() || !IsOptionChar(text[end]))) {
      return true;
    }
  }
  return false;
}

// How each file spells an option: the manual page sets it in bold, fish
// names it without dashes after -s or -l, bash and zsh write it as typed.
std::string ManualSpelling(const std::string& option) {
  return "*" + option + "*";
}
std::string FishSpelling(const std::string& option) {
  return option.rfind("--", 0) == 0 ? "-l " + option.substr(2) : "-s " + option.substr(1);
}
std::string Typed(const std::string& option) {
  return option;
}

TEST(CliDocumentationTest, HelpListsTheOptionsThisTestLooksFor) {
  const std::vector<std::string> options = HelpOptions();
  EXPECT_GT(options.size(), size_t{50});
  for (const char* known :
       {"-x", "--exclude", "--same-date", "-0", "--print0", "--json", "--yes"}) {
    EXPECT_NE(std::find(options.begin(), options.end(), known), options.end()) << known;
  }
}

TEST(CliDocumentationTest, EveryOptionOfTheHelpIsDocumentedAndCompleted) {
  struct File {
    const char* path;
    std::string (*spelling)(const std::string&);
  };
  const File files[] = {{"data/man/vrx-cli.1.scd", ManualSpelling},
                        {"data/completions/vrx-cli.bash", Typed},
                        {"data/completions/_vrx-cli", Typed},
                        {"data/completions/vrx-cli.fish", FishSpelling}};
  const std::vector<std::string> options = HelpOptions();
  for (const File& file : files) {
    const std::string text = ReadSource(file.path);
    ASSERT_FALSE(text.empty()) << file.path;
    for (const std::string& option : options) {
      EXPECT_TRUE(HasWord(text, file.spelling(option))) << option << " is missing in " << file.path;
    }
  }
}

}  // namespace
}  // namespace vrx
