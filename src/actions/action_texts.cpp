#include "actions/action_texts.h"

namespace vrx {

const char* ActionCaption(ActionKind action) {
  switch (action) {
    case ActionKind::kTrash:
      return "Papierkorb";
    case ActionKind::kMove:
      return "Verschieben";
    case ActionKind::kHardlink:
      return "Verknüpfen";
    case ActionKind::kReflink:
      return "Klonen";
    case ActionKind::kDelete:
      return "Löschen";
  }
  return "";
}

const char* JournalAction(ActionKind action) {
  switch (action) {
    case ActionKind::kTrash:
      return "trash";
    case ActionKind::kMove:
      return "move";
    case ActionKind::kHardlink:
      return "hardlink";
    case ActionKind::kReflink:
      return "reflink";
    case ActionKind::kDelete:
      return "delete";
  }
  return "";
}

const char* HoldText(HoldReason reason) {
  switch (reason) {
    case HoldReason::kProtected:
      return "liegt in einem Schutzordner";
    case HoldReason::kNotAFile:
      return "ist keine gewöhnliche Datei";
    case HoldReason::kOutside:
      return "liegt außerhalb der Quellen der Suche";
    case HoldReason::kNotIdentical:
      return "Klasse nicht nach gleichem Inhalt gebildet";
    case HoldReason::kLastMember:
      return "ihre Klasse behielte kein Mitglied";
    case HoldReason::kNoKept:
      return "kein behaltenes Mitglied zum Verknüpfen";
    case HoldReason::kOtherDevice:
      return "das behaltene Mitglied liegt auf einem anderen Dateisystem";
    case HoldReason::kAlreadyLinked:
      return "schon eine harte Verknüpfung des behaltenen Mitglieds";
  }
  return "";
}

std::string GroupedNumber(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) {
    digits.insert(at - 3, 1, '.');
  }
  return digits;
}

std::string FileCount(size_t n) {
  return n == 1 ? "1 Datei" : GroupedNumber(n) + " Dateien";
}

std::string DonePhrase(ActionKind action, size_t n) {
  switch (action) {
    case ActionKind::kTrash:
      return FileCount(n) + " in den Papierkorb";
    case ActionKind::kMove:
      return FileCount(n) + " verschoben";
    case ActionKind::kHardlink:
      return FileCount(n) + " durch harte Verknüpfungen ersetzt";
    case ActionKind::kReflink:
      return FileCount(n) + " durch Reflinks ersetzt";
    case ActionKind::kDelete:
      return FileCount(n) + " endgültig gelöscht";
  }
  return {};
}

std::string SummaryLine(ActionKind action, size_t done, size_t skipped, uint64_t bytesFreed) {
  return DonePhrase(action, done) + ", " + GroupedNumber(skipped) + " übersprungen, " +
         GroupedNumber(bytesFreed) + " Bytes frei";
}

}  // namespace vrx
