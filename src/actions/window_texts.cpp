#include "actions/window_texts.h"

#include "actions/action_texts.h"

namespace vrx {
namespace {

constexpr uint64_t kMebibyte = uint64_t{1} << 20;

std::string Counted(size_t n, const char* one, const char* many) {
  return GroupedNumber(n) + " " + (n == 1 ? one : many);
}

std::string WhatHappens(const ActionPlan& plan) {
  const size_t n = plan.steps.size();
  std::string files = FileCount(n) + (n == 1 ? " wird" : " werden");
  const std::string freed = " (" + MegabyteText(plan.bytesFreed) + " werden frei)";
  const char* const equalOnly = ", jede nur, wenn sie ihm beim Ersetzen Byte für Byte gleicht.";
  switch (plan.action) {
    case ActionKind::kTrash:
      return files + " in den Papierkorb verschoben" + freed +
             ". Von dort lassen sie sich wiederherstellen, auch mit „Rückgängig“.";
    case ActionKind::kMove:
      return files + " nach „" + plan.moveFolder + "“ verschoben (" +
             MegabyteText(plan.bytesFreed) +
             "); ihr Pfad wird darunter nachgebildet, nichts wird überschrieben.";
    case ActionKind::kHardlink:
      return files + " durch harte Verknüpfungen auf das behaltene Mitglied ihrer Klasse ersetzt" +
             freed + equalOnly;
    case ActionKind::kReflink:
      return files +
             " durch Reflinks (Klone, die erst beim Schreiben Platz brauchen) des behaltenen "
             "Mitglieds ihrer Klasse ersetzt" +
             freed + equalOnly;
    case ActionKind::kDelete:
      return files + " endgültig gelöscht" + freed + ". Das lässt sich nicht rückgängig machen.";
  }
  return files;
}

// One line per skipped file with its reason, at most `maxLines` of them.
std::string SkippedLines(const std::vector<StepOutcome>& outcomes, size_t maxLines) {
  std::string text;
  size_t shown = 0;
  for (const StepOutcome& outcome : outcomes) {
    if (outcome.result != StepResult::kSkipped) {
      continue;
    }
    if (shown++ == maxLines) {
      return text + "\n…";
    }
    text += "\n" + outcome.path + ": " + outcome.reason;
  }
  return text;
}

}  // namespace

std::string MegabyteText(uint64_t bytes) {
  const uint64_t tenths = (bytes * 10 + kMebibyte / 2) / kMebibyte;
  if (tenths == 0 && bytes > 0) {
    return "weniger als 0,1 MB";
  }
  return GroupedNumber(tenths / 10) + "," + std::to_string(tenths % 10) + " MB";
}

std::string ResultSummaryText(const MarkSummary& summary) {
  if (summary.classes == 0) {
    return "Keine ähnlichen Dateien gefunden.";
  }
  std::string text =
      Counted(summary.classes, "Klasse", "Klassen") + ", " + FileCount(summary.files) + ", ";
  if (summary.marked == 0) {
    return text + "keine markiert";
  }
  return text + GroupedNumber(summary.marked) + " markiert – " + MegabyteText(summary.markedBytes) +
         " werden frei";
}

std::string ConfirmActionText(const ActionPlan& plan) {
  std::string text = WhatHappens(plan);
  if (const size_t held = plan.HeldBack(); held > 0) {
    text += "\n\n" + Counted(held, "markierte Datei bleibt", "markierte Dateien bleiben") +
            " unberührt (Schutzordner, Ordner, besondere Dateien, Klassen, die sonst kein "
            "Mitglied behielten).";
  }
  if (plan.touchesNonIdentical) {
    text +=
        "\n\nAchtung: Die Klassen dieser Suche wurden nicht nach gleichem Inhalt gebildet "
        "(Inhaltsvergleich mit Unterschied 0 und beachteter Groß-/Kleinschreibung). Ihre "
        "Mitglieder sind ähnlich, aber nicht unbedingt gleich.";
  }
  return text + "\n\nFortfahren?";
}

std::string LastMemberQuestion(size_t classes) {
  return "In " + Counted(classes, "Klasse", "Klassen") +
         " ist jedes Mitglied markiert: nach der Aktion bliebe von " +
         (classes == 1 ? "ihr" : "ihnen") +
         " keine Datei an ihrem Ort.\n\nOK: auch das letzte Mitglied dieser Klassen "
         "einbeziehen.\nAbbrechen: diese Klassen bleiben unberührt.";
}

std::string DeleteQuestion(size_t files) {
  return FileCount(files) +
         " wirklich endgültig löschen? Sie kommen nicht in den Papierkorb und lassen sich nicht "
         "wiederherstellen.";
}

std::string NothingToDoText(const ActionScope& scope, const ActionPlan& plan) {
  std::string text = "Keine der markierten Dateien kann so behandelt werden.";
  size_t shown = 0;
  for (const PlanHold& hold : plan.held) {
    if (shown++ == 10) {
      text += "\n…";
      break;
    }
    text += "\n" + scope.File(hold.file).absolutePath() + ": " + HoldText(hold.reason);
  }
  return text;
}

std::string ActionReportText(const ActionPlan& plan, const ActionReport& report, size_t maxLines) {
  if (!report.failure.empty()) {
    return "Die Aktion konnte nicht beginnen: " + report.failure + ". Nichts wurde verändert.";
  }
  std::string text =
      SummaryLine(plan.action, report.done, report.skipped + plan.HeldBack(), report.bytesFreed) +
      ".";
  if (report.cancelled) {
    text += "\nAbgebrochen: die übrigen Dateien blieben unberührt.";
  }
  text += SkippedLines(report.outcomes, maxLines);
  return text;
}

std::string UndoQuestion(const std::vector<JournalLine>& pending) {
  const bool trash = pending.front().action == "trash";
  const bool one = pending.size() == 1;
  return "Die letzte Aktion rückgängig machen? " + FileCount(pending.size()) +
         (trash ? (one ? " kommt aus dem Papierkorb" : " kommen aus dem Papierkorb")
                : (one ? " wird" : " werden")) +
         " an ihren alten Ort zurück" + (trash ? "" : "verschoben") +
         ". Wo der alte Pfad wieder belegt ist, bleibt die Datei, wo sie ist.";
}

std::string UndoReportText(const UndoReport& report, size_t maxLines) {
  if (!report.failure.empty()) {
    return "Rückgängig ging nicht: " + report.failure + ". Nichts wurde verändert.";
  }
  if (report.action.empty()) {
    return "Es gibt keine Aktion „In den Papierkorb“ oder „Verschieben“, die sich rückgängig "
           "machen ließe.";
  }
  std::string text =
      FileCount(report.restored) + " zurückgeholt, " + GroupedNumber(report.refused) + " nicht.";
  text += SkippedLines(report.outcomes, maxLines);
  if (report.restored > 0) {
    text += "\nZurückgeholte Dateien erscheinen nach einer neuen Suche wieder in der Liste.";
  }
  return text;
}

}  // namespace vrx
