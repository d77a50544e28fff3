#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "platform/file_time.h"
#include "support/scripted_progress.h"
#include "support/temp_tree.h"

namespace vrx {
namespace {

using Paths = std::vector<std::string>;
using Classes = std::vector<Paths>;

class RunTest : public ::testing::Test {
 protected:
  RunTest() : app_(factory_, diagnostics_) {}

  void SetSources(std::vector<SourceEntry> incl) {
    for (SourceEntry& entry : incl) {
      entry.path = tree_.Path(entry.path);
    }
    std::sort(incl.begin(), incl.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.path < b.path; });
    app_.params.sourcesIncl = incl;
  }

  // Runs a search as the search command does.
  RunStatus Run() {
    app_.params.UpdateSummaryFlags();
    app_.runCancelled = false;
    return app_.RunSearch();
  }

  // The classes, each as the members' paths relative to the tree.
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

  long Partitions() const {
    return std::count(log_.captions.begin(), log_.captions.end(), "Vergleichen");
  }

  test::TempTree tree_;
  test::ProgressLog log_;
  test::ScriptedProgressFactory factory_{&log_};
  CapturingDiagnostics diagnostics_;
  CvrxApp app_;
};

TEST_F(RunTest, WithoutComparisonTheInitialClassIsTheResult) {
  tree_.MakeFile("s/a", "1");
  tree_.MakeFile("s/b", "22");
  SetSources({{"s", false}});
  const int64_t before = CurrentUnixSeconds();
  ASSERT_TRUE(Run().ok());
  const int64_t after = CurrentUnixSeconds();
  EXPECT_EQ(Result(), (Classes{{"s", "s/a", "s/b"}}));
  EXPECT_EQ(Partitions(), 0);
  EXPECT_GE(app_.captureStart, before);
  EXPECT_LE(app_.captureStart, app_.captureEnd);
  EXPECT_LE(app_.captureEnd, after);
}

TEST_F(RunTest, CancelledFilterPassComparesNothing) {
  tree_.MakeFile("s/a", "1");
  tree_.MakeFile("s/b", "1");
  SetSources({{"s", false}});
  app_.params.sizeCompare = true;
  log_.cancelAtPump = 2;
  const int64_t before = CurrentUnixSeconds();
  ASSERT_TRUE(Run().ok());
  EXPECT_TRUE(app_.runCancelled);
  EXPECT_TRUE(app_.classes.empty());
  EXPECT_EQ(Partitions(), 0);
  EXPECT_GE(app_.captureEnd, before);
}

TEST_F(RunTest, EmptyCollectionLeavesNothingToCompare) {
  tree_.MakeDir("s");
  SetSources({{"s", false}});
  app_.params.nameIncl = {"*.none"};
  app_.params.sizeCompare = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_TRUE(app_.classes.empty());
  EXPECT_EQ(Partitions(), 0);
}

TEST_F(RunTest, NameDifferenceOnlyAmongEqualLengths) {
  tree_.MakeFile("s/abc.txt");
  tree_.MakeFile("s/abd.txt");
  tree_.MakeFile("s/abcd.txt");
  tree_.MakeFile("s/xyz.txt");
  SetSources({{"s", false}});
  app_.params.nameCompare = true;
  app_.params.nameDiff = 1;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"s/abc.txt", "s/abd.txt"}}));
}

TEST_F(RunTest, EqualNamesIgnoringCase) {
  tree_.MakeFile("s/d1/Read.me");
  tree_.MakeFile("s/d2/read.ME");
  tree_.MakeFile("s/d3/readme");
  SetSources({{"s", true}});
  app_.params.nameCompare = true;
  app_.params.nameCompareIgnoreCase = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"s/d1/Read.me", "s/d2/read.ME"}}));
}

TEST_F(RunTest, DateOnlySplitsWhatTheNameStageLeft) {
  tree_.MakeFile("s/d1/x.txt");
  tree_.MakeFile("s/d1/y.txt");
  tree_.MakeFile("s/d2/x.txt");
  tree_.MakeFile("s/d3/x.txt");
  for (const char* same : {"s/d1/x.txt", "s/d1/y.txt", "s/d2/x.txt"}) {
    tree_.SetTimes(same, 1'500'000'000);
  }
  tree_.SetTimes("s/d3/x.txt", 1'600'000'000);
  SetSources({{"s", true}});
  app_.params.nameCompare = true;
  app_.params.dateCompare = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"s/d1/x.txt", "s/d2/x.txt"}}));
}

TEST_F(RunTest, DateWindowWithinTolerance) {
  const int64_t times[] = {1'500'000'000, 1'500'000'060, 1'500'000'400};
  std::vector<SourceEntry> sources;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "f" + std::to_string(i);
    tree_.MakeFile(name);
    tree_.SetTimes(name, times[i]);
    sources.push_back({name, false});
  }
  SetSources(sources);
  app_.params.dateCompare = true;
  app_.params.dateDiff = 60;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"f0", "f1"}}));
}

TEST_F(RunTest, SizeEqualOrWithinBytes) {
  tree_.MakeFile("a", std::string(10, 'x'));
  tree_.MakeFile("b", std::string(11, 'x'));
  tree_.MakeFile("c", std::string(20, 'x'));
  tree_.MakeFile("d", std::string(20, 'y'));
  SetSources({{"a", false}, {"b", false}, {"c", false}, {"d", false}});
  app_.params.sizeCompare = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"c", "d"}}));

  app_.ClearClasses();
  app_.params.sizeDiff = 1;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"a", "b"}, {"c", "d"}}));
}

TEST_F(RunTest, AttributesEqualOrWithinADifference) {
  tree_.MakeFile("plain");
  tree_.MakeFile("ro1");
  tree_.MakeFile("ro2");
  tree_.MakeFile(".hidden_ro");
  tree_.SetMode("ro1", 0444);
  tree_.SetMode("ro2", 0444);
  tree_.SetMode(".hidden_ro", 0444);
  SetSources({{".hidden_ro", false}, {"plain", false}, {"ro1", false}, {"ro2", false}});
  app_.params.attrCompare = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"ro1", "ro2"}}));

  // At most one differing attribute: plain-R and R-RH are cliques, plain and
  // RH are two apart.
  app_.ClearClasses();
  app_.params.attrDiff = 1;
  ASSERT_TRUE(Run().ok());
  const Classes result = Result();
  ASSERT_EQ(result.size(), 2U);
  for (const Paths& cls : result) {
    EXPECT_FALSE(std::count(cls.begin(), cls.end(), "plain") &&
                 std::count(cls.begin(), cls.end(), ".hidden_ro"));
    EXPECT_EQ(cls.size(), 3U);
  }
}

TEST_F(RunTest, ContentOnlyAmongEqualSizes) {
  tree_.MakeFile("a", "hello");
  tree_.MakeFile("b", "hello");
  tree_.MakeFile("c", "hello world");  // "a" is a prefix of it
  tree_.MakeFile("d", "hellp");
  SetSources({{"a", false}, {"b", false}, {"c", false}, {"d", false}});
  app_.params.contentCompare = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"a", "b"}}));
  EXPECT_EQ(Partitions(), 2);  // size, then content

  // One differing byte allowed: d joins, c still never meets them.
  app_.ClearClasses();
  app_.params.contentDiff = 1;
  ASSERT_TRUE(Run().ok());
  ASSERT_EQ(Result().size(), 1U);
  Paths members = Result().front();
  std::sort(members.begin(), members.end());
  EXPECT_EQ(members, (Paths{"a", "b", "d"}));
}

TEST_F(RunTest, LocationRunsFollowTheFilesFirstOrder) {
  tree_.MakeFile("s/4");
  tree_.MakeFile("s/p/1");
  tree_.MakeFile("s/p/2");
  tree_.MakeFile("s/q/3");
  tree_.MakeFile("s/r");
  SetSources({{"s", true}});
  app_.params.sourceCompare = true;
  ASSERT_TRUE(Run().ok());
  // A directory's record has the directory itself as its location; its files
  // follow it directly.
  EXPECT_EQ(Result(), (Classes{{"s", "s/4", "s/r"}, {"s/p", "s/p/1", "s/p/2"}, {"s/q", "s/q/3"}}));
}

TEST_F(RunTest, InvertedLocationAreasBySourceOrByLocation) {
  tree_.MakeFile("s/1");
  tree_.MakeFile("s/t/2");
  SetSources({{"s", true}});
  app_.params.sourceCompare = true;
  app_.params.sourceInvert = true;

  // One source: one area, no combination.
  app_.params.sourceRange = true;
  ASSERT_TRUE(Run().ok());
  EXPECT_TRUE(app_.classes.empty());

  // Areas of equal location: {s, s/1} and {s/t, s/t/2}.
  app_.ClearClasses();
  app_.params.sourceRange = false;
  ASSERT_TRUE(Run().ok());
  EXPECT_EQ(Result(), (Classes{{"s", "s/t"}, {"s", "s/t/2"}, {"s/1", "s/t"}, {"s/1", "s/t/2"}}));
}

TEST_F(RunTest, InvertedLocationAcrossSources) {
  tree_.MakeFile("a/x");
  tree_.MakeFile("b/x");
  SetSources({{"a", false}, {"b", false}});
  app_.params.sourceCompare = true;
  app_.params.sourceInvert = true;
  app_.params.sourceRange = true;
  app_.params.nameCompare = true;
  ASSERT_TRUE(Run().ok());
  // Pairs (a, b), (a, b/x), (a/x, b), (a/x, b/x); only the last share a name.
  EXPECT_EQ(Result(), (Classes{{"a/x", "b/x"}}));
}

TEST_F(RunTest, CancelInOnePartitionLeavesLaterOnesIdle) {
  tree_.MakeFile("d1/x.txt", "1");
  tree_.MakeFile("d2/x.txt", "22");
  SetSources({{"d1/x.txt", false}, {"d2/x.txt", false}});
  app_.params.nameCompare = true;
  app_.params.sizeCompare = true;
  log_.cancelInCaption = "Vergleichen";
  log_.cancelAtPump = 1;
  ASSERT_TRUE(Run().ok());
  EXPECT_TRUE(app_.runCancelled);
  // The size stage was still called but did no work: had it run, the two
  // sizes would have dissolved the class.
  EXPECT_EQ(Partitions(), 2);
  EXPECT_EQ(Result(), (Classes{{"d1/x.txt", "d2/x.txt"}}));
  app_.ClearClasses();
  EXPECT_TRUE(app_.classes.empty());
}

struct FailureCase {
  const char* label;
  void (*set)(SearchParams&);
  RunCode code;
  const char* message;  // nullptr: any text
};

class RunFailureTest : public RunTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RunFailureTest, VariantsTheFormCannotReachAreRefused) {
  tree_.MakeFile("s/a", "1");
  tree_.MakeFile("s/b", "1");
  SetSources({{"s", false}});
  GetParam().set(app_.params);
  const RunStatus status = Run();
  EXPECT_EQ(status.code, GetParam().code);
  if (GetParam().message != nullptr) {
    EXPECT_EQ(status.message, GetParam().message);
  }
  EXPECT_FALSE(status.message.empty());
  EXPECT_EQ(Partitions(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, RunFailureTest,
    ::testing::Values(FailureCase{"LocationRangesNotInverted",
                                  [](SearchParams& p) {
                                    p.sourceCompare = true;
                                    p.sourceRange = true;
                                  },
                                  RunCode::kVariantNotImplemented, "Variant not implemented yet"},
                      FailureCase{"ExactSizeDifference",
                                  [](SearchParams& p) {
                                    p.sizeCompare = true;
                                    p.sizeDiff = 5;
                                    p.sizeExact = true;
                                  },
                                  RunCode::kInternalError, nullptr}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return p.param.label; });

}  // namespace
}  // namespace vrx
