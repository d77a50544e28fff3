#include "form/search_command.h"

#include "actions/action_scope.h"
#include "engine/prepare_search.h"
#include "engine/vrx_app.h"
#include "form/CSearchDialog.h"
#include "progress/progress.h"
#include "results/CResultsDialog.h"
#include "services/user_dialogs.h"

namespace vrx {

namespace {

const char* const kDateToleranceTooLarge =
    "Der Unterschied beim Datum ist zu groß: höchstens 4294967295 Sekunden (etwa 136 Jahre) "
    "sind möglich.";

}  // namespace

QString CheckMessagesForDisplay(const std::string& messages) {
  QString text = QString::fromStdString(messages);
  text.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  text.remove(QLatin1Char('\r'));
  while (text.endsWith(QLatin1Char('\n'))) {
    text.chop(1);
  }
  return text;
}

// Steps 1 to 8: the controls, the history boxes, the form's values, the
// filled and checked record (kept by the form); errors stop, warnings ask.
// False also when the date tolerance does not fit in seconds.
bool SearchCommand::PrepareParams(CSearchDialog& form) {
  form.ReadControls();
  form.UpdateHistoryBoxes();
  const std::optional<FormValues> values = form.CollectFormValues();
  if (!values) {
    dialogs_.Message(&form, UserDialogs::Kind::kError, QString::fromUtf8(kDateToleranceTooLarge));
    return false;
  }
  typedSources_ = TypedSources(values->sourceInclText);
  PreparedSearch prepared = PrepareSearch(*values, app_.diagnostics());
  form.params() = std::move(prepared.params);
  if (prepared.grade == CheckGrade::kClean) {
    return true;
  }
  const QString text = CheckMessagesForDisplay(prepared.messages);
  if (prepared.grade == CheckGrade::kWarning) {
    return dialogs_.AskOkCancel(&form, text);
  }
  dialogs_.Message(&form, UserDialogs::Kind::kError, text);
  return false;
}

// Steps 12 and 13. True when the user left the results with "Beenden".
bool SearchCommand::RunAndShowResults(CSearchDialog& form) {
  app_.runCancelled = false;
  const RunStatus status = app_.RunSearch();
  if (!status.ok()) {
    dialogs_.Message(&form, UserDialogs::Kind::kError, QString::fromStdString(status.message));
    return false;
  }
  if (app_.runCancelled) {
    return false;
  }
  CResultsDialog results(app_, dialogs_, progressFactory_, &form);
  results.SetTypedSources(typedSources_);
  results.Run();
  return results.exitRequested();
}

void SearchCommand::Attach(CSearchDialog& form) {
  form.SetSearchHandler([this, &form] { Run(form); });
  form.SetCancelHandler([this] { Cancel(); });
}

void SearchCommand::Cancel() {
  if (app_.progressWnd != nullptr) {
    app_.progressWnd->Cancel();
  }
  app_.runCancelled = true;
}

void SearchCommand::Run(CSearchDialog& form) {
  if (!PrepareParams(form)) {
    return;
  }
  form.SaveHistories();
  app_.params = form.params();
  const bool quit = RunAndShowResults(form);
  app_.ClearClasses();
  // "Beenden" ends the form the way its OK command does: the controls are
  // read once more, and a field without a number keeps the form open.
  if (quit && form.ReadControls()) {
    form.accept();
  }
}

}  // namespace vrx
