#include "collect/name_test.h"

#include <string>
#include <vector>

#include "collect/wildcard.h"
#include "platform/text.h"

namespace vrx {
namespace {

// One side of the name filter: a name already in its working form (upper-cased
// when the side ignores case), matched character-wise.
class NameSide {
 public:
  NameSide(std::string_view name, bool ignoreCase)
      : ignoreCase_(ignoreCase), name_(DecodeUtf8(ignoreCase ? FoldUpper(name) : name)) {}

  bool Matches(const std::string& pattern) const {
    const std::vector<char32_t> p = DecodeUtf8(ignoreCase_ ? FoldUpper(pattern) : pattern);
    return MatchWildChars(p.data(), p.size(), name_.data(), name_.size());
  }

  // With all: every pattern matches (stops at the first that does not);
  // otherwise: some pattern matches (stops at the first that does).
  bool MatchesPatterns(const std::vector<std::string>& patterns, bool all) const {
    for (const std::string& pattern : patterns) {
      if (Matches(pattern) != all) {
        return !all;
      }
    }
    return all;
  }

 private:
  bool ignoreCase_;
  std::vector<char32_t> name_;
};

}  // namespace

bool NameTest(std::string_view name, const SearchParams& params) {
  if (!params.nameIncl.empty()) {
    const NameSide side(name, params.nameInclIgnoreCase);
    if (!side.MatchesPatterns(params.nameIncl, params.nameInclAll)) {
      return false;
    }
  }
  if (params.nameExcl.empty()) {
    return true;
  }
  // "U" on the exclude side: the name must avoid every pattern, so any match
  // excludes it. Without "U" it must avoid one of them: excluded only when all
  // match.
  const NameSide side(name, params.nameExclIgnoreCase);
  const bool excluded = side.MatchesPatterns(params.nameExcl, !params.nameExclAll);
  return !excluded;
}

}  // namespace vrx
