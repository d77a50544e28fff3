// The results window's texts that the window tests do not reach: byte
// counts at their edges and the singular forms.
#include "actions/window_texts.h"

#include <gtest/gtest.h>

namespace vrx {
namespace {

TEST(WindowTextsTest, Megabytes) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0,0 MB"},
      {1, "weniger als 0,1 MB"},
      {52428, "weniger als 0,1 MB"},  // just under half a tenth
      {52429, "0,1 MB"},              // rounds up to a tenth
      {1048576, "1,0 MB"},
      {1572864, "1,5 MB"},
      {uint64_t{1234} * 1048576 + 524288, "1.234,5 MB"},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(MegabyteText(bytes), text) << bytes;
  }
}

TEST(WindowTextsTest, SummaryInSingularAndPlural) {
  EXPECT_EQ(ResultSummaryText({}), "Keine ähnlichen Dateien gefunden.");
  EXPECT_EQ(ResultSummaryText({1, 2, 0, 0}), "1 Klasse, 2 Dateien, keine markiert");
  EXPECT_EQ(ResultSummaryText({2, 1001, 1, 3 * 1048576}),
            "2 Klassen, 1.001 Dateien, 1 markiert – 3,0 MB werden frei");
}

TEST(WindowTextsTest, QuestionsInSingular) {
  ActionPlan plan;
  plan.action = ActionKind::kDelete;
  plan.steps.resize(1);
  plan.held.push_back({0, HoldReason::kProtected});
  EXPECT_EQ(ConfirmActionText(plan),
            "1 Datei wird endgültig gelöscht (0,0 MB werden frei). Das lässt sich nicht "
            "rückgängig machen.\n\n1 markierte Datei bleibt unberührt (Schutzordner, Ordner, "
            "besondere Dateien, Klassen, die sonst kein Mitglied behielten).\n\nFortfahren?");
  EXPECT_EQ(LastMemberQuestion(1).substr(0, 43), "In 1 Klasse ist jedes Mitglied markiert: na");
  JournalLine moved;
  moved.action = "move";
  EXPECT_EQ(UndoQuestion({moved}),
            "Die letzte Aktion rückgängig machen? 1 Datei wird an ihren alten Ort "
            "zurückverschoben. Wo der alte Pfad wieder belegt ist, bleibt die Datei, wo sie ist.");
}

}  // namespace
}  // namespace vrx
