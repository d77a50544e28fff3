// The rules on the name and content patterns. Only the texts are judged here:
// duplicates, include and exclude lists that shut everything out, patterns of
// "*" alone, characters no file name can hold, patterns not bounded by "*",
// and case distinction that cannot matter.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "params/check_run.h"
#include "platform/text.h"

namespace vrx {
namespace {

using PatternList = std::vector<std::string>;

// One side of a pattern filter as the rules see it.
struct PatternSide {
  PatternList* list;
  bool ignoreCase;
  bool all;
};

// The texts that differ between the name and the content rules.
struct PatternTexts {
  std::string_view overridesAll;  // an include "*" among others, when any one suffices
  std::string_view excludesAll;   // an exclude "*" that shuts everything out
  std::string_view caseInclude;   // case distinction that cannot matter
  std::string_view caseExclude;
};

constexpr PatternTexts kNameTexts = {
    " überschreibt alle anderen Kriterien.\n\r",
    " alle Namen ausschließt.\n\r",
    "Name (einschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r",
    "Name (ausschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r",
};

constexpr PatternTexts kContentTexts = {
    " überschreibt alle anderen Inhaltskriterien.\n\r",
    " alle Inhalte ausschließt.\n\r",
    "Inhalt (einschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r",
    "Inhalt (ausschl.): Unterschiedene Groß-/Kleinschreibung wirkungslos.\n\r",
};

void Erase(PatternList* list, size_t i) {
  list->erase(list->begin() + static_cast<std::ptrdiff_t>(i));
}

bool OnlyStars(std::string_view p) {
  return !p.empty() && p.find_first_not_of('*') == std::string_view::npos;
}

bool BoundedByStars(std::string_view p) {
  return !p.empty() && p.front() == '*' && p.back() == '*';
}

// Patterns of a list that ignores case are compared, and shown, in their
// upper-case form.
void RemoveDuplicates(CheckRun& run, PatternList* list, bool fold) {
  auto key = [fold](const std::string& p) { return fold ? FoldUpper(p) : p; };
  for (size_t i = 0; i < list->size(); ++i) {
    const std::string first = key((*list)[i]);
    for (size_t j = i + 1; j < list->size();) {
      if (key((*list)[j]) == first) {
        run.Warn(first, kSuffixDuplicate);
        Erase(list, j);
      } else {
        ++j;
      }
    }
  }
}

bool Contains(const PatternList& list, const std::string& p) {
  return std::find(list.begin(), list.end(), p) != list.end();
}

// Every pattern of a occurs in b; an empty a is never a subset.
bool IsSubset(const PatternList& a, const PatternList& b) {
  return !a.empty() &&
         std::all_of(a.begin(), a.end(), [&b](const std::string& p) { return Contains(b, p); });
}

// Include and exclude lists whose patterns coincide so far that no name (or
// content) can pass end the check; a pattern in both lists otherwise is only
// worth a warning.
bool CompareSides(CheckRun& run, const PatternSide& incl, const PatternSide& excl) {
  const PatternList& in = *incl.list;
  const PatternList& ex = *excl.list;
  if (incl.all && excl.all) {
    for (const std::string& p : in) {
      if (Contains(ex, p)) {
        return run.EndCheck(" Filter undurchlässig (", p, " ist in Incl- UND Excl-Liste).\n\r");
      }
    }
    return true;
  }
  if (!incl.all && IsSubset(in, ex)) {
    return run.EndCheck(" Filter undurchlässig (Incl in Excl enthalten).\n\r");
  }
  if (!excl.all && IsSubset(ex, in)) {
    return run.EndCheck(" Filter undurchlässig (Excl in Incl enthalten).\n\r");
  }
  for (const std::string& p : in) {
    if (Contains(ex, p)) {
      run.Warn(p, kSuffixDuplicate);
    }
  }
  return true;
}

// A content pattern of "?" and "*" alone only asks for a least length.
bool OnlyJokersWithQuestionMark(std::string_view p) {
  return p.find('?') != std::string_view::npos &&
         p.find_first_not_of("?*") == std::string_view::npos;
}

// A pattern that only asks for a least length, where it decides alone (all
// patterns must match, or it is the only one), is better said as a size filter.
void WarnIfSizeFilterWouldDo(CheckRun& run, const PatternSide& side, const std::string& p,
                             bool sizeHint) {
  if (sizeHint && OnlyJokersWithQuestionMark(p) && (side.all || side.list->size() == 1)) {
    run.Warn(p, " sollte als Größenfilter formuliert werden.\n\r");
  }
}

bool CheckIncludeStars(CheckRun& run, const PatternSide& side, const PatternTexts& texts,
                       bool sizeHint) {
  PatternList& list = *side.list;
  for (size_t i = 0; i < list.size();) {
    const std::string p = list[i];
    if (OnlyStars(p)) {
      if (!side.all && list.size() > 1) {
        return run.EndCheck(p, texts.overridesAll);
      }
      run.Warn(p, " wirkungslos, da bedingungslos.\n\r");
      Erase(&list, i);
      continue;
    }
    WarnIfSizeFilterWouldDo(run, side, p, sizeHint);
    ++i;
  }
  return true;
}

bool CheckExcludeStars(CheckRun& run, const PatternSide& side, const PatternTexts& texts,
                       bool sizeHint) {
  PatternList& list = *side.list;
  for (size_t i = 0; i < list.size();) {
    const std::string p = list[i];
    if (OnlyStars(p)) {
      if (side.all || list.size() == 1) {
        return run.EndCheck(" Filter undurchlässig, da ", p, texts.excludesAll);
      }
      run.Warn(p, " wirkungslos.\n\r");
      Erase(&list, i);
      continue;
    }
    WarnIfSizeFilterWouldDo(run, side, p, sizeHint);
    ++i;
  }
  return true;
}

// No file name can hold a slash.
bool CheckForbiddenCharacters(CheckRun& run, const PatternList& list) {
  for (const std::string& p : list) {
    if (p.find('/') != std::string::npos) {
      return run.EndCheck(p, " enthält nicht-erlaubtes Zeichen.\n\r");
    }
  }
  return true;
}

void WarnUnbounded(CheckRun& run, const PatternList& list) {
  for (const std::string& p : list) {
    if (!BoundedByStars(p)) {
      run.Warn(p, " ist nicht durch '*' begrenzt.\n\r");
    }
  }
}

// The content search folds only a to z.
bool HasAsciiLower(std::string_view p) {
  return std::any_of(p.begin(), p.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

// Distinguishing case matters only when some pattern holds a character that
// upper-casing changes (an empty list included).
void WarnCaseIneffective(CheckRun& run, const PatternSide& side, std::string_view text,
                         bool (*foldable)(std::string_view)) {
  if (!side.ignoreCase && std::none_of(side.list->begin(), side.list->end(),
                                       [foldable](const std::string& p) { return foldable(p); })) {
    run.Warn(text);
  }
}

}  // namespace

bool CheckNamePatterns(CheckRun& run) {
  SearchParams& p = run.params();
  const PatternSide incl{&p.nameIncl, p.nameInclIgnoreCase, p.nameInclAll};
  const PatternSide excl{&p.nameExcl, p.nameExclIgnoreCase, p.nameExclAll};
  RemoveDuplicates(run, incl.list, incl.ignoreCase);
  RemoveDuplicates(run, excl.list, excl.ignoreCase);
  if (!incl.ignoreCase && !excl.ignoreCase && !CompareSides(run, incl, excl)) {
    return false;
  }
  if (!CheckIncludeStars(run, incl, kNameTexts, false) ||
      !CheckExcludeStars(run, excl, kNameTexts, false) ||
      !CheckForbiddenCharacters(run, *incl.list) || !CheckForbiddenCharacters(run, *excl.list)) {
    return false;
  }
  WarnUnbounded(run, *incl.list);
  WarnUnbounded(run, *excl.list);
  WarnCaseIneffective(run, incl, kNameTexts.caseInclude, HasFoldableChar);
  WarnCaseIneffective(run, excl, kNameTexts.caseExclude, HasFoldableChar);
  return true;
}

bool CheckContentPatterns(CheckRun& run) {
  SearchParams& p = run.params();
  const PatternSide incl{&p.contentIncl, p.contentInclIgnoreCase, p.contentInclAll};
  const PatternSide excl{&p.contentExcl, p.contentExclIgnoreCase, p.contentExclAll};
  // Content patterns are bytes: equal only when byte-wise equal.
  RemoveDuplicates(run, incl.list, false);
  RemoveDuplicates(run, excl.list, false);
  if (incl.ignoreCase == excl.ignoreCase && !CompareSides(run, incl, excl)) {
    return false;
  }
  if (!CheckIncludeStars(run, incl, kContentTexts, true) ||
      !CheckExcludeStars(run, excl, kContentTexts, true)) {
    return false;
  }
  WarnUnbounded(run, *incl.list);
  WarnUnbounded(run, *excl.list);
  WarnCaseIneffective(run, incl, kContentTexts.caseInclude, HasAsciiLower);
  WarnCaseIneffective(run, excl, kContentTexts.caseExclude, HasAsciiLower);
  return true;
}

}  // namespace vrx
