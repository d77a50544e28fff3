// Sort comparators and similarity predicates of the comparison criteria.
// A comparator returns <0, 0 or >0; a predicate takes the compare context
// (the differences of the search) and two records, the reference member
// first, and returns 0 for similar. A comparator that returns 0 for equal
// records serves as the predicate of equality.
#pragma once

#include <string_view>

#include "collect/file_entry.h"
#include "engine/compare_context.h"

namespace vrx {

using Comparator = int (*)(const FileEntry& a, const FileEntry& b);
using Predicate = int (*)(const CompareContext& context, const FileEntry& a, const FileEntry& b);
// A name predicate over names already taken from their records.
using NamePredicate = int (*)(const CompareContext& context, std::string_view a,
                              std::string_view b);

// 8 x R + 4 x H + 2 x S + 1 x A.
int AttributeKey(const FileEntry& entry);
// Number of the attributes R, H, S, A in which the records differ (0..4).
int AttributeDistance(const FileEntry& a, const FileEntry& b);
// |time(a) - time(b)| in seconds, as a floating value (not rounded).
double TimeDistance(const FileEntry& a, const FileEntry& b);

int CompareLocation(const FileEntry& a, const FileEntry& b);
int CompareName(const FileEntry& a, const FileEntry& b);
int CompareNameNoCase(const FileEntry& a, const FileEntry& b);
int CompareNameLength(const FileEntry& a, const FileEntry& b);  // in characters
int CompareTime(const FileEntry& a, const FileEntry& b);
int CompareAttributes(const FileEntry& a, const FileEntry& b);
int CompareSize(const FileEntry& a, const FileEntry& b);

int NameWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int NameWithinNoCase(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int NameExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int NameExactlyNoCase(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int TimeWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int TimeExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int AttrWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int AttrExactly(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int SizeWithin(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int SizeWithinFactor(const CompareContext& context, const FileEntry& a, const FileEntry& b);

// What a partition knows about its predicate besides the answers. A name
// criterion can be asked about the names alone, and pairs whose names cannot
// be similar need not be asked at all; the content criterion reads each small
// member once through a cache. Any other predicate converts to a criterion of
// kind kOther.
enum class CriterionKind { kOther, kName, kContent };

struct Criterion {
  constexpr Criterion(Predicate test, CriterionKind criterionKind = CriterionKind::kOther,
                      NamePredicate namesTest = nullptr)
      : predicate(test), kind(criterionKind), byName(namesTest) {}

  Predicate predicate;
  CriterionKind kind;
  NamePredicate byName;  // kName: the same test over the names alone
};

// The name comparison within (or exactly at) the difference, with or without
// letter case.
Criterion NameCriterion(bool exact, bool ignoreCase);

// Comparators used as predicates of equality.
int CompareLocationPred(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int CompareNamePred(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int CompareNameNoCasePred(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int CompareNameLengthPred(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int CompareTimePred(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int CompareAttributesPred(const CompareContext& context, const FileEntry& a, const FileEntry& b);
int CompareSizePred(const CompareContext& context, const FileEntry& a, const FileEntry& b);

}  // namespace vrx
