// The German texts of the actions that both programs show: the progress
// caption, the reasons a marked file was held back, byte counts and the
// summary line after an action ("3 Dateien in den Papierkorb, 1 übersprungen,
// 12.345 Bytes frei").
#pragma once

#include <cstdint>
#include <string>

#include "actions/action_kinds.h"
#include "actions/plan.h"

namespace vrx {

// The caption of the action's progress display ("Papierkorb", ...).
const char* ActionCaption(ActionKind action);
// The action's word in the journal ("trash", "move", ...).
const char* JournalAction(ActionKind action);
// Why a marked file is not acted on ("liegt in einem Schutzordner", ...).
const char* HoldText(HoldReason reason);
// 1234567 as "1.234.567".
std::string GroupedNumber(uint64_t value);
// "1 Datei" or "n Dateien".
std::string FileCount(size_t n);
// What the action did to n files: "3 Dateien in den Papierkorb",
// "3 Dateien verschoben", ...
std::string DonePhrase(ActionKind action, size_t n);
// The line after an action: "n Dateien in den Papierkorb, m übersprungen,
// b Bytes frei".
std::string SummaryLine(ActionKind action, size_t done, size_t skipped, uint64_t bytesFreed);

}  // namespace vrx
