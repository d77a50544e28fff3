// The class list after an action: the files the action dealt with leave
// their classes, and a class left with fewer than two members leaves the
// list, so that the results show only what is still to be decided.
#pragma once

#include <unordered_set>

#include "engine/similarity_class.h"

namespace vrx {

struct ActionReport;
class ActionScope;
struct ActionPlan;

// The records of the steps the action carried out.
std::unordered_set<const FileEntry*> ActedOnEntries(const ActionScope& scope,
                                                    const ActionPlan& plan,
                                                    const ActionReport& report);

// Takes every record of `gone` out of the classes; returns how many classes
// left the list.
size_t RemoveActedOn(ClassList* classes, const std::unordered_set<const FileEntry*>& gone);

}  // namespace vrx
