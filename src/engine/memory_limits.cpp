#include "engine/memory_limits.h"

#include <new>
#include <string>

namespace vrx {

namespace {

// 1234567 -> "1.234.567", the German way of grouping digits.
std::string FormatCount(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t i = digits.size(); i > 3; i -= 3) {
    digits.insert(i - 3, ".");
  }
  return digits;
}

}  // namespace

RunStatus CliqueTooLarge(size_t members) {
  const uint64_t cells = uint64_t{members} * members;
  return RunStatus::Fail(
      RunCode::kTooLarge,
      "Zu viele Dateien für den Vergleich mit Abweichung: eine Ähnlichkeitsklasse hat " +
          FormatCount(members) + " Mitglieder, ihre Vergleichstabelle bräuchte " +
          FormatCount(cells) + " Bytes Arbeitsspeicher (höchstens " +
          FormatCount(kMaxCliqueMembers) + " Mitglieder je Klasse).");
}

RunStatus CombinationsTooLarge(uint64_t classes, bool overflow, size_t areas) {
  const std::string count = overflow ? "mehr als " + FormatCount(UINT64_MAX) : FormatCount(classes);
  return RunStatus::Fail(
      RunCode::kTooLarge,
      "Zu viele Kombinationen für den umgekehrten Ortsvergleich: es entstünden " + count +
          " Ähnlichkeitsklassen mit je " + FormatCount(areas) + " Mitgliedern (höchstens " +
          FormatCount(kMaxCombinedClasses) + " Klassen und " + FormatCount(kMaxCombinedMembers) +
          " Einträge).");
}

RunStatus TooManyCliques(size_t members, const ClassLimits& limits) {
  return RunStatus::Fail(
      RunCode::kTooLarge,
      "Zu viele Ähnlichkeitsklassen beim Vergleich mit Abweichung: eine Klasse mit " +
          FormatCount(members) + " Mitgliedern ergäbe mehr als " +
          FormatCount(limits.cliquesPerMember * members) + " Klassen (höchstens " +
          FormatCount(limits.cliquesPerMember) + " je Mitglied).");
}

RunStatus TooManyClasses(const ClassLimits& limits) {
  return RunStatus::Fail(RunCode::kTooLarge,
                         "Zu viele Ähnlichkeitsklassen: ein Vergleichsschritt ergäbe mehr als " +
                             FormatCount(limits.classes) + " Klassen oder mehr als " +
                             FormatCount(limits.members) + " Einträge.");
}

RunStatus OutOfMemory(size_t members) {
  try {
    return RunStatus::Fail(RunCode::kTooLarge,
                           "Nicht genug Arbeitsspeicher für den Vergleich: eine "
                           "Ähnlichkeitsklasse mit " +
                               FormatCount(members) +
                               " Mitgliedern konnte nicht aufgeteilt werden.");
  } catch (const std::bad_alloc&) {
    return RunStatus{RunCode::kTooLarge, std::string()};
  }
}

RunStatus CollectionOutOfMemory(size_t records) {
  try {
    return RunStatus::Fail(RunCode::kTooLarge,
                           "Nicht genug Arbeitsspeicher für die Suche: nach " +
                               FormatCount(records) +
                               " gefundenen Einträgen konnte kein weiterer aufgenommen werden.");
  } catch (const std::bad_alloc&) {
    return RunStatus{RunCode::kTooLarge, std::string()};
  }
}

RunStatus TooFewDescriptors(uint64_t limit) {
  const std::string shown = limit == UINT64_MAX ? "unbegrenzt" : FormatCount(limit);
  return RunStatus::Fail(RunCode::kTooLarge,
                         "Zu wenige offene Dateien möglich für den Inhaltsvergleich: nicht einmal "
                         "zwei Dateien ließen sich zugleich öffnen (Grenze des Prozesses: " +
                             shown + " offene Dateien).");
}

}  // namespace vrx
