#include "engine/partition.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <fstream>
#include <functional>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/clique_finder.h"
#include "engine/vrx_app.h"
#include "platform/attributes.h"
#include "platform/diagnostics.h"
#include "support/child_process.h"
#include "support/scripted_progress.h"

namespace vrx {
namespace {

using Names = std::vector<std::vector<std::string>>;

constexpr uint64_t kSecond = 10'000'000;

class PartitionTest : public ::testing::Test {
 protected:
  // Adds a record; its name identifies it in the results.
  const FileEntry* Add(const std::string& name, uint64_t size = 0, uint32_t attributes = 0,
                       const std::string& dir = "/d") {
    FileEntry entry;
    entry.size = size;
    entry.attributes = attributes;
    entry.time = size * kSecond;
    return &records_.GetAt(records_.Add(dir + "/" + name, entry));
  }

  // One class of records named after their sizes ("5", "5", "7" ...).
  void AddSizeClass(std::initializer_list<uint64_t> sizes) {
    SimilarityClass cls;
    for (uint64_t size : sizes) {
      cls.push_back(Add(std::to_string(size), size));
    }
    app.classes.push_back(cls);
  }

  Names Result() const {
    Names names;
    for (const SimilarityClass& cls : app.classes) {
      names.emplace_back();
      for (const FileEntry* entry : cls) {
        names.back().push_back(std::string(entry->name()));
      }
    }
    return names;
  }

  test::ProgressLog log;
  test::ScriptedProgressFactory factory{&log};
  CapturingDiagnostics diagnostics;
  CvrxApp app{factory, diagnostics};
  CompareContext context{app.params, diagnostics};

 private:
  FileEntryArray records_;  // stable addresses
};

TEST_F(PartitionTest, RunPartitionKeepsRunsOfEqualNeighbours) {
  AddSizeClass({5, 5, 7, 7, 7, 9});
  ASSERT_TRUE(PartitionClasses(app, true, true, &CompareSizePred).ok());
  EXPECT_EQ(Result(), (Names{{"5", "5"}, {"7", "7", "7"}}));
}

TEST_F(PartitionTest, WindowPartitionMakesMaximalWindows) {
  struct Case {
    std::initializer_list<uint64_t> sizes;
    Names expected;
  };
  const Case cases[] = {
      {{1, 2, 3}, {{"1", "2"}, {"2", "3"}}},
      {{1, 2, 3, 10, 11}, {{"1", "2"}, {"2", "3"}, {"10", "11"}}},
      {{1, 5, 9}, {}},
      {{4, 4, 4, 5}, {{"4", "4", "4", "5"}}},
  };
  for (const Case& c : cases) {
    app.ClearClasses();
    AddSizeClass(c.sizes);
    app.params.sizeDiff = 1;
    ASSERT_TRUE(PartitionClasses(app, false, true, &SizeWithin).ok());
    EXPECT_EQ(Result(), c.expected);
  }
}

TEST_F(PartitionTest, WindowPartitionComparesOnlyWithThePivot) {
  // Times are the sizes in seconds; exactly 10 s apart.
  app.params.dateDiff = 10;
  AddSizeClass({0, 10, 10});
  ASSERT_TRUE(PartitionClasses(app, false, true, &TimeExactly).ok());
  EXPECT_EQ(Result(), (Names{{"0", "10", "10"}}));

  app.ClearClasses();
  AddSizeClass({0, 5, 10});
  ASSERT_TRUE(PartitionClasses(app, false, true, &TimeExactly).ok());
  EXPECT_EQ(Result(), Names{});
}

TEST_F(PartitionTest, GatherPartitionCollectsEqualMembersInAnyOrder) {
  app.classes.push_back({Add("A"), Add("B"), Add("A"), Add("B"), Add("C")});
  const FileEntry* firstA = app.classes.front()[0];
  const FileEntry* secondA = app.classes.front()[2];
  ASSERT_TRUE(PartitionClasses(app, true, false, &CompareNamePred).ok());
  ASSERT_EQ(Result(), (Names{{"A", "A"}, {"B", "B"}}));
  EXPECT_EQ(app.classes.front()[0], firstA);
  EXPECT_EQ(app.classes.front()[1], secondA);
}

TEST_F(PartitionTest, CliquePartitionTakesTheFixedPointFirst) {
  app.params.attrDiff = 1;
  app.classes.push_back(
      {Add("x"), Add("y", 0, kAttrReadOnly), Add("z", 0, kAttrReadOnly | kAttrHidden)});
  ASSERT_TRUE(PartitionClasses(app, false, false, &AttrWithin).ok());
  EXPECT_EQ(Result(), (Names{{"y", "x"}, {"y", "z"}}));
}

TEST_F(PartitionTest, NewClassesTakeThePlaceOfTheirClass) {
  AddSizeClass({1, 1, 2, 2});
  AddSizeClass({3});  // one member: yields nothing and vanishes
  AddSizeClass({4, 4});
  ASSERT_TRUE(PartitionClasses(app, true, true, &CompareSizePred).ok());
  EXPECT_EQ(Result(), (Names{{"1", "1"}, {"2", "2"}, {"4", "4"}}));
}

TEST_F(PartitionTest, SortClassesIsStable) {
  app.classes.push_back({Add("b2", 2), Add("a1", 1), Add("c2", 2), Add("d1", 1)});
  app.classes.push_back({Add("z", 9), Add("y", 8)});
  SortClasses(app, &CompareSize);
  EXPECT_EQ(Result(), (Names{{"a1", "d1", "b2", "c2"}, {"y", "z"}}));
}

// Records what the application object showed as its progress object while
// the predicate ran.
std::vector<std::string> seenCaptions;
const CvrxApp* watchedApp = nullptr;
int RecordingPredicate(const CompareContext& /*context*/, const FileEntry& a, const FileEntry& b) {
  const Progress* progress = watchedApp->progressWnd;
  seenCaptions.push_back(progress != nullptr ? progress->captionBase() : "");
  return CompareSize(a, b);
}

TEST_F(PartitionTest, RunsUnderAComparingProgressObject) {
  seenCaptions.clear();
  watchedApp = &app;
  AddSizeClass({1, 1, 2});
  AddSizeClass({3, 3});
  ASSERT_TRUE(PartitionClasses(app, true, true, &RecordingPredicate).ok());
  EXPECT_EQ(log.captions, std::vector<std::string>{"Vergleichen"});
  EXPECT_EQ(seenCaptions, std::vector<std::string>(3, "Vergleichen"));
  EXPECT_EQ(app.progressWnd, nullptr);
  EXPECT_FALSE(app.runCancelled);
  EXPECT_GT(log.pumps, 1);
}

TEST_F(PartitionTest, CancelRemovesOnlyTheClassBeingProcessed) {
  AddSizeClass({5, 5});
  AddSizeClass({7, 7, 7});
  AddSizeClass({8, 9});
  // Pumps: 1 at the start; class {5, 5}: 2 (start) and 3 (one comparison);
  // class {7, 7, 7}: 4 (start), 5 and 6 (comparisons).
  log.cancelAtPump = 5;
  ASSERT_TRUE(PartitionClasses(app, true, true, &CompareSizePred).ok());
  EXPECT_TRUE(app.runCancelled);
  // The run of sevens was finished before the cancel took effect; the last
  // class was never reached and stays as it was.
  EXPECT_EQ(Result(), (Names{{"5", "5"}, {"7", "7", "7"}, {"8", "9"}}));
  EXPECT_EQ(app.progressWnd, nullptr);

  // A later partition of the same search ends at once without work, but still
  // opens its progress object.
  const Names before = Result();
  ASSERT_TRUE(PartitionClasses(app, false, false, &CompareSizePred).ok());
  EXPECT_EQ(Result(), before);
  EXPECT_EQ(log.captions.size(), 2U);
}

TEST_F(PartitionTest, CancelAtTheStartOfAClassMakesNothingFromIt) {
  AddSizeClass({5, 5});
  AddSizeClass({7, 7});
  AddSizeClass({8, 9});
  log.cancelAtPump = 4;  // the start step of {7, 7}
  ASSERT_TRUE(PartitionClasses(app, true, true, &CompareSizePred).ok());
  EXPECT_EQ(Result(), (Names{{"5", "5"}, {"8", "9"}}));
}

TEST_F(PartitionTest, CancelWhileBuildingTheMatrixMakesNoClique) {
  AddSizeClass({1, 1, 1, 1});
  AddSizeClass({2, 3});
  log.cancelAtPump = 3;  // after the second row of the first class
  ASSERT_TRUE(PartitionClasses(app, false, false, &CompareSizePred).ok());
  EXPECT_TRUE(app.runCancelled);
  EXPECT_EQ(Result(), (Names{{"2", "3"}}));
}

TEST_F(PartitionTest, CliqueOfTooManyMembersIsRefusedBeforeAnyWork) {
  AddSizeClass({1, 1});
  SimilarityClass huge;
  const FileEntry* member = Add("m");
  huge.assign(32'769, member);  // the refusal looks only at the count
  app.classes.push_back(huge);
  const RunStatus status = PartitionClasses(app, false, false, &AttrWithin);
  EXPECT_EQ(status.code, RunCode::kTooLarge);
  EXPECT_NE(status.message.find("32.769"), std::string::npos) << status.message;
  EXPECT_EQ(app.classes.size(), 2U);  // nothing changed
  EXPECT_EQ(app.classes.front().size(), 2U);
  EXPECT_TRUE(log.captions.empty());
}

// Records of one group (size / 3) differ, all others are similar: the
// similarity graph of 3k records has 3^k maximal cliques.
int OtherGroupsAlike(const CompareContext& /*context*/, const FileEntry& a, const FileEntry& b) {
  return a.size != b.size && a.size / 3 == b.size / 3 ? 1 : 0;
}

// 36 records would make 531,441 classes of 12: the clique rule stops after
// 64 per member and says why.
TEST_F(PartitionTest, CliquesThatExplodeAreRefused) {
  SimilarityClass cls;
  for (uint64_t size = 0; size < 36; ++size) {
    cls.push_back(Add(std::to_string(size), size));
  }
  app.classes.push_back(cls);
  const RunStatus status = PartitionClasses(app, false, false, OtherGroupsAlike);
  EXPECT_EQ(status.code, RunCode::kTooLarge);
  EXPECT_EQ(status.message,
            "Zu viele Ähnlichkeitsklassen beim Vergleich mit Abweichung: eine Klasse mit 36 "
            "Mitgliedern ergäbe mehr als 2.304 Klassen (höchstens 64 je Mitglied).");
  EXPECT_LE(app.classes.size(), 2'304U + 1);
}

// Each behaviour stops at the limits of a step: three classes of two members
// are made within limits of 3 classes and 6 entries, and refused under 2
// classes or 5 entries.
TEST_F(PartitionTest, AStepMakesNoMoreClassesThanItsLimits) {
  struct Behaviour {
    bool equivalence;
    bool sorted;
    Predicate predicate;
  };
  const Behaviour behaviours[] = {{true, true, &CompareSizePred},
                                  {true, false, &CompareSizePred},
                                  {false, true, &SizeWithin},
                                  {false, false, &SizeWithin}};
  struct Limits {
    ClassLimits limits;
    bool ok;
  };
  const Limits limits[] = {{{3, 6}, true}, {{2, 6}, false}, {{3, 5}, false}};
  for (const Behaviour& b : behaviours) {
    for (const Limits& l : limits) {
      SCOPED_TRACE(std::to_string(l.limits.classes) + " classes, " +
                   std::to_string(l.limits.members) + " entries");
      app.ClearClasses();
      AddSizeClass({1, 1, 5, 5, 9, 9});
      const RunStatus status =
          PartitionClasses(app, b.equivalence, b.sorted, b.predicate, l.limits);
      if (l.ok) {
        EXPECT_TRUE(status.ok()) << status.message;
        EXPECT_EQ(Result(), (Names{{"1", "1"}, {"5", "5"}, {"9", "9"}}));
      } else {
        EXPECT_EQ(status.code, RunCode::kTooLarge);
        EXPECT_EQ(status.message,
                  "Zu viele Ähnlichkeitsklassen: ein Vergleichsschritt ergäbe "
                  "mehr als " +
                      std::to_string(l.limits.classes) + " Klassen oder mehr als " +
                      std::to_string(l.limits.members) + " Einträge.");
      }
    }
  }
}

// Every maximal clique of at least two vertices, found by trying every subset.
std::set<std::vector<uint32_t>> BruteForceCliques(const std::vector<unsigned char>& m, size_t n) {
  auto isClique = [&](uint32_t set) {
    for (size_t i = 0; i < n; ++i) {
      for (size_t j = 0; j < n; ++j) {
        if ((set >> i & 1U) != 0 && (set >> j & 1U) != 0 && m[i * n + j] == 0) {
          return false;
        }
      }
    }
    return true;
  };
  std::set<std::vector<uint32_t>> cliques;
  for (uint32_t set = 1; set < (1U << n); ++set) {
    bool maximal = isClique(set);
    for (size_t v = 0; v < n && maximal; ++v) {
      maximal = (set >> v & 1U) != 0 || !isClique(set | 1U << v);
    }
    if (maximal && std::popcount(set) >= 2) {
      std::vector<uint32_t> members;
      for (uint32_t v = 0; v < n; ++v) {
        if ((set >> v & 1U) != 0) {
          members.push_back(v);
        }
      }
      cliques.insert(members);
    }
  }
  return cliques;
}

// The enumeration written down directly, recursively, as the reference for
// the order in which cliques and their vertices come out.
class ReferenceCliques {
 public:
  ReferenceCliques(const std::vector<unsigned char>& m, size_t n) : m_(m), n_(n) {
    std::vector<uint32_t> all(n);
    std::iota(all.begin(), all.end(), 0U);
    Extend(all, 0, n);
  }
  std::vector<std::vector<uint32_t>> found;

 private:
  bool Connected(uint32_t a, uint32_t b) const { return m_[a * n_ + b] != 0; }
  void Extend(std::vector<uint32_t> old, size_t ne, size_t ce) {
    size_t minimum = ce, extra = 0, s = 0;
    uint32_t fixp = 0;
    for (size_t i = 0; i < ce && minimum != 0; ++i) {
      size_t count = 0, pos = 0;
      for (size_t j = ne; j < ce && count < minimum; ++j) {
        if (!Connected(old[i], old[j])) {
          ++count;
          pos = j;
        }
      }
      if (count < minimum) {
        fixp = old[i];
        minimum = count;
        s = i < ne ? pos : i;
        extra = i < ne ? 0 : 1;
      }
    }
    for (size_t k = minimum + extra; k >= 1; --k) {
      std::swap(old[s], old[ne]);
      const uint32_t sel = old[ne];
      std::vector<uint32_t> next;
      for (size_t i = 0; i < ne; ++i) {
        if (Connected(sel, old[i]))
          next.push_back(old[i]);
      }
      const size_t newNe = next.size();
      for (size_t i = ne + 1; i < ce; ++i) {
        if (Connected(sel, old[i]))
          next.push_back(old[i]);
      }
      clique_.push_back(sel);
      if (next.empty()) {
        if (clique_.size() >= 2)
          found.push_back(clique_);
      } else if (newNe < next.size()) {
        Extend(next, newNe, next.size());
      }
      clique_.pop_back();
      ++ne;
      if (k > 1) {
        for (s = ne; Connected(fixp, old[s]); ++s) {
        }
      }
    }
  }
  const std::vector<unsigned char>& m_;
  size_t n_;
  std::vector<uint32_t> clique_;
};

// A random symmetric similarity matrix; with `kinds` > 0 the vertices fall
// into that many kinds of mutually similar twins, as attribute keys do.
std::vector<unsigned char> RandomMatrix(std::mt19937& random, size_t n, unsigned density,
                                        unsigned kinds) {
  std::vector<unsigned> kind(n);
  for (size_t i = 0; i < n; ++i) {
    kind[i] = kinds > 0 ? random() % kinds : static_cast<unsigned>(i);
  }
  std::vector<unsigned char> kindEdge(kinds * kinds + 1, 0);
  for (unsigned a = 0; a < kinds; ++a) {
    for (unsigned b = 0; b <= a; ++b) {
      kindEdge[a * kinds + b] = kindEdge[b * kinds + a] = a == b || random() % 100 < density;
    }
  }
  std::vector<unsigned char> matrix(n * n, 0);
  for (size_t i = 0; i < n; ++i) {
    matrix[i * n + i] = 1;
    for (size_t j = 0; j < i; ++j) {
      const unsigned char cell =
          kinds > 0 ? kindEdge[kind[i] * kinds + kind[j]] : (random() % 100 < density ? 1 : 0);
      matrix[i * n + j] = cell;
      matrix[j * n + i] = cell;
    }
  }
  return matrix;
}

TEST(CliqueFinderTest, ReportsInTheOrderOfTheRecursiveEnumeration) {
  std::mt19937 random(4711);
  for (int round = 0; round < 60; ++round) {
    // Free random graphs stay small (their clique count grows fast); graphs of
    // twins may be large, as the classes of the attribute comparison are.
    const bool twins = round % 2 == 1;
    const size_t n = 2 + random() % (twins ? 400 : 30);
    const unsigned kinds = twins ? 1 + random() % 10 : 0;
    const std::vector<unsigned char> matrix = RandomMatrix(random, n, random() % 100, kinds);
    std::vector<std::vector<uint32_t>> found;
    FindMaximalCliques(matrix, n,
                       [&](const std::vector<uint32_t>& clique) { found.push_back(clique); });
    EXPECT_EQ(found, ReferenceCliques(matrix, n).found) << "round " << round << ", n " << n;
  }
}

TEST(CliqueFinderTest, FindsEveryMaximalCliqueOnce) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    const size_t n = 1 + random() % 11;
    const unsigned density = random() % 100;
    std::vector<unsigned char> matrix(n * n, 0);
    for (size_t i = 0; i < n; ++i) {
      matrix[i * n + i] = 1;
      for (size_t j = 0; j < i; ++j) {
        const unsigned char cell = random() % 100 < density ? 1 : 0;
        matrix[i * n + j] = cell;
        matrix[j * n + i] = cell;
      }
    }
    std::vector<std::vector<uint32_t>> found;
    FindMaximalCliques(matrix, n,
                       [&](const std::vector<uint32_t>& clique) { found.push_back(clique); });
    std::set<std::vector<uint32_t>> sorted;
    for (std::vector<uint32_t> clique : found) {
      std::sort(clique.begin(), clique.end());
      sorted.insert(clique);
    }
    EXPECT_EQ(sorted.size(), found.size()) << "a clique was reported twice";
    EXPECT_EQ(sorted, BruteForceCliques(matrix, n)) << "round " << round;
  }
}

TEST(CliqueFinderTest, StopsWhenToldTo) {
  std::mt19937 random(99);
  const std::vector<unsigned char> matrix = RandomMatrix(random, 12, 50, 0);
  const size_t all = ReferenceCliques(matrix, 12).found.size();
  ASSERT_GT(all, 3U);
  size_t reported = 0;
  int asked = 0;
  FindMaximalCliques(
      matrix, 12, [&](const std::vector<uint32_t>&) { ++reported; }, [&] { return ++asked < 3; },
      1);
  EXPECT_EQ(asked, 3);
  EXPECT_LT(reported, all);
}

TEST(CliqueFinderTest, AllMembersSimilarMakeOneClique) {
  const size_t n = 4'000;  // as many nested steps as members
  std::vector<unsigned char> matrix(n * n, 1);
  size_t reports = 0;
  size_t largest = 0;
  FindMaximalCliques(matrix, n, [&](const std::vector<uint32_t>& clique) {
    ++reports;
    largest = clique.size();
  });
  EXPECT_EQ(reports, 1U);
  EXPECT_EQ(largest, n);
}

TEST_F(PartitionTest, CliquePartitionFollowsTheEnumerationOverManyWords) {
  // Names of four letters over "ab" within one character: 16 kinds of twins
  // spread over more than 64 members, so rows of several words.
  std::mt19937 random(2024);
  app.params.nameDiff = 1;
  for (const size_t n : {size_t{70}, size_t{150}, size_t{200}}) {
    app.classes.clear();
    SimilarityClass cls;
    for (size_t i = 0; i < n; ++i) {
      std::string name(4, 'a');
      for (char& c : name) {
        c = random() % 2 == 0 ? 'a' : 'b';
      }
      cls.push_back(Add(name));
    }
    std::vector<unsigned char> matrix(n * n, 0);
    for (size_t j = 0; j < n; ++j) {
      for (size_t k = 0; k <= j; ++k) {
        matrix[j * n + k] = matrix[k * n + j] = NameWithin(context, *cls[j], *cls[k]) == 0 ? 1 : 0;
      }
    }
    Names expected;
    for (const std::vector<uint32_t>& clique : ReferenceCliques(matrix, n).found) {
      expected.emplace_back();
      for (const uint32_t vertex : clique) {
        expected.back().push_back(std::string(cls[vertex]->name()));
      }
    }
    app.classes.push_back(cls);
    ASSERT_TRUE(PartitionClasses(app, false, false, NameCriterion(false, false)).ok());
    ASSERT_GT(expected.size(), 1U);
    EXPECT_EQ(Result(), expected) << n << " members";
  }
}

// The name predicates as plain predicates, not as name criteria: the
// partition asks these for every pair.
int EveryPairWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameWithin(context, a, b);
}
int EveryPairWithinNoCase(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameWithinNoCase(context, a, b);
}
int EveryPairExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameExactly(context, a, b);
}
int EveryPairExactlyNoCase(const CompareContext& context, const FileEntry& a, const FileEntry& b) {
  return NameExactlyNoCase(context, a, b);
}

TEST_F(PartitionTest, NameCliquesAskOnlyPossiblePairsWithTheSameResult) {
  // Letters of both cases, a character outside ASCII and a byte that is no
  // UTF-8, in names of equal length (as the name step hands them over).
  const std::vector<std::string> letters = {"a", "A", "b", "B", "\xc3\xa4", "\xff"};
  const std::pair<Criterion, Predicate> predicates[] = {
      {NameCriterion(false, false), &EveryPairWithin},
      {NameCriterion(false, true), &EveryPairWithinNoCase},
      {NameCriterion(true, false), &EveryPairExactly},
      {NameCriterion(true, true), &EveryPairExactlyNoCase},
  };
  std::mt19937 random(77);
  int withCliques = 0;
  for (int round = 0; round < 16; ++round) {
    const size_t length = 2 + random() % 7;
    app.params.nameDiff = 1 + random() % 3;
    SimilarityClass cls;
    for (size_t i = 0; i < 90; ++i) {
      std::string name;
      for (size_t c = 0; c < length; ++c) {
        name += letters[random() % (c % 3 == 0 ? letters.size() : 2)];
      }
      cls.push_back(Add(name));
    }
    const auto [fast, everyPair] = predicates[round % 4];
    const auto partition = [&](const Criterion& predicate) {
      app.classes.assign(1, cls);
      // Random names over so few letters make up to 200,000 cliques of 90
      // members, far beyond what a search may make; the limits are not
      // what this test is about.
      const ClassLimits generous{.cliquesPerMember = 10'000};
      EXPECT_TRUE(PartitionClasses(app, false, false, predicate, generous).ok());
      return Result();
    };
    const Names expected = partition(everyPair);
    withCliques += expected.empty() ? 0 : 1;
    EXPECT_EQ(partition(fast), expected)
        << "round " << round << ", length " << length << ", T " << app.params.nameDiff;
  }
  EXPECT_GE(withCliques, 12);
}

class SplitTest : public PartitionTest {
 protected:
  // a1, a2 in /A and b1, b2, b3 in /B, in this order.
  void AddTwoAreas() {
    app.classes.push_back({Add("a1", 0, 0, "/A"), Add("a2", 0, 0, "/A"), Add("b1", 0, 0, "/b"),
                           Add("b2", 0, 0, "/B"), Add("b3", 0, 0, "/B")});
  }
  const Names kSix{{"a1", "b1"}, {"a1", "b2"}, {"a1", "b3"},
                   {"a2", "b1"}, {"a2", "b2"}, {"a2", "b3"}};
};

TEST_F(SplitTest, CombinesOneMemberOfEachLocation) {
  AddTwoAreas();
  ASSERT_TRUE(SplitBySource(app, true).ok());
  EXPECT_EQ(Result(), kSix);
  EXPECT_TRUE(log.captions.empty());  // no progress object
}

TEST_F(SplitTest, CombinesOneMemberOfEachSource) {
  AddTwoAreas();
  app.sourceFirstEntry = {2};
  ASSERT_TRUE(SplitBySource(app, false).ok());
  EXPECT_EQ(Result(), kSix);
}

TEST_F(SplitTest, ThreeAreasTurnLikeAnOdometer) {
  app.classes.push_back({Add("a", 0, 0, "/1"), Add("b", 0, 0, "/2"), Add("c", 0, 0, "/2"),
                         Add("d", 0, 0, "/3"), Add("e", 0, 0, "/3")});
  ASSERT_TRUE(SplitBySource(app, true).ok());
  EXPECT_EQ(Result(), (Names{{"a", "b", "d"}, {"a", "b", "e"}, {"a", "c", "d"}, {"a", "c", "e"}}));
}

TEST_F(SplitTest, NoClassWithoutTwoFilledAreas) {
  struct Case {
    std::vector<uint32_t> sourceFirstEntry;
    const char* what;
  };
  const Case cases[] = {
      {{}, "one source"},
      {{5}, "second source empty at the end"},
      {{2, 2}, "middle source empty"},
      {{0, 2}, "first source's element left at 0"},
      {{9}, "a border past the class"},
      {{4, 2}, "borders out of order"},
  };
  for (const Case& c : cases) {
    app.ClearClasses();
    AddTwoAreas();
    app.sourceFirstEntry = c.sourceFirstEntry;
    ASSERT_TRUE(SplitBySource(app, false).ok()) << c.what;
    EXPECT_EQ(Result(), Names{}) << c.what;
  }
  app.ClearClasses();
  app.classes.push_back({Add("x", 0, 0, "/A"), Add("y", 0, 0, "/a")});
  ASSERT_TRUE(SplitBySource(app, true).ok());
  EXPECT_EQ(Result(), Names{});
}

TEST_F(SplitTest, EveryClassIsSplitEvenAfterAnEmptyHead) {
  app.classes.push_back({Add("p", 0, 0, "/A"), Add("q", 0, 0, "/A")});
  app.classes.push_back({Add("r", 0, 0, "/A"), Add("s", 0, 0, "/B")});
  ASSERT_TRUE(SplitBySource(app, true).ok());
  EXPECT_EQ(Result(), (Names{{"r", "s"}}));
}

TEST_F(SplitTest, FindLocationBordersStartsAnAreaAtEveryChange) {
  const SimilarityClass cls = {Add("1", 0, 0, "/A"), Add("2", 0, 0, "/a"), Add("3", 0, 0, "/B"),
                               Add("4", 0, 0, "/A"), Add("5", 0, 0, "/A")};
  EXPECT_EQ(FindLocationBorders(cls, &CompareLocation), (std::vector<size_t>{2, 3}));
  EXPECT_TRUE(FindLocationBorders({cls[0]}, &CompareLocation).empty());
}

TEST_F(SplitTest, CombineReturnsTheNodeBeforeTheClass) {
  AddSizeClass({1});
  AddTwoAreas();
  ClassList::iterator before;
  ASSERT_TRUE(CombineAcrossAreas(app, std::next(app.classes.begin()), {2}, &before).ok());
  ASSERT_NE(before, app.classes.end());
  EXPECT_EQ(before->front()->name(), "a2");  // the last class made
  EXPECT_EQ(app.classes.size(), 7U);

  app.ClearClasses();
  AddTwoAreas();
  ASSERT_TRUE(CombineAcrossAreas(app, app.classes.begin(), {}, &before).ok());
  EXPECT_EQ(before, app.classes.end());
  EXPECT_TRUE(app.classes.empty());
}

TEST_F(SplitTest, TooManyCombinationsAreRefusedBeforeAnyWork) {
  SimilarityClass cls;
  const FileEntry* a = Add("a", 0, 0, "/A");
  const FileEntry* b = Add("b", 0, 0, "/B");
  cls.assign(100'000, a);
  cls.insert(cls.end(), 100'000, b);
  app.classes.push_back(cls);
  const RunStatus status = SplitBySource(app, true);
  EXPECT_EQ(status.code, RunCode::kTooLarge);
  EXPECT_NE(status.message.find("10.000.000.000"), std::string::npos) << status.message;
  ASSERT_EQ(app.classes.size(), 1U);
  EXPECT_EQ(app.classes.front().size(), 200'000U);

  // 64 areas of two make 2^64 combinations, which a 64-bit count wraps to 0.
  app.ClearClasses();
  cls.clear();
  std::vector<size_t> borders;
  for (size_t i = 0; i < 64; ++i) {
    if (i > 0) {
      borders.push_back(cls.size());
    }
    cls.insert(cls.end(), 2, a);
  }
  app.classes.push_back(cls);
  ClassList::iterator before;
  EXPECT_EQ(CombineAcrossAreas(app, app.classes.begin(), borders, &before).code,
            RunCode::kTooLarge);
  EXPECT_EQ(app.classes.size(), 1U);
  EXPECT_EQ(before, app.classes.end());
}

// The address space a process may still take, in bytes beyond what it has.
rlim_t AddressSpaceNow() {
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}

// Memory that runs out while a step makes its classes stops the search with
// the step's message, not with the end of the process: the classes made so
// far are let go before the message is built. A million two-member windows,
// and a million two-member combinations of two areas, under 64 MiB more
// address space.
TEST_F(PartitionTest, RunningOutOfMemoryStopsTheSearchWithAMessage) {
#if defined(PARLIND_ADDRESS_SANITIZER)
  GTEST_SKIP() << "the sanitizer's shadow memory does not live under an address space limit";
#endif
  SimilarityClass sizes;
  for (uint64_t size = 0; size < 1'000'000; ++size) {
    sizes.push_back(Add("f", size));
  }
  SimilarityClass areas;
  for (size_t i = 0; i < 2'000; ++i) {
    areas.push_back(Add("f", 0, 0, i < 1'000 ? "/A" : "/B"));
  }
  app.params.sizeDiff = 1;
  struct Step {
    const SimilarityClass& cls;
    std::function<RunStatus()> run;
  };
  const Step steps[] = {
      {sizes, [&] { return PartitionClasses(app, false, true, SizeWithin); }},
      {areas, [&] { return SplitBySource(app, true); }},
  };
  for (const Step& step : steps) {
    app.ClearClasses();
    app.classes.push_back(step.cls);
    // Bits of the outcome: 1 refused as too large, 2 the message, 4 no class
    // left.
    const int result = test::RunInChild([&] {
      const rlim_t limit = AddressSpaceNow() + (rlim_t{64} << 20);
      const rlimit space{limit, limit};
      if (::setrlimit(RLIMIT_AS, &space) != 0) {
        return 0;
      }
      const RunStatus status = step.run();
      return (status.code == RunCode::kTooLarge ? 1 : 0) |
             (status.message.starts_with("Nicht genug Arbeitsspeicher") ? 2 : 0) |
             (app.classes.empty() ? 4 : 0);
    });
    EXPECT_EQ(result, 7);
  }
}

TEST_F(PartitionTest, ClearClassesEmptiesTheList) {
  AddSizeClass({1, 1});
  AddSizeClass({2, 2});
  ClearClasses(app);
  EXPECT_TRUE(app.classes.empty());
}

}  // namespace
}  // namespace vrx
