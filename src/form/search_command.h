// The search command behind "Suchen": one whole search from the form to the
// results and back. The form reads its controls, puts the typed texts on top
// of the history boxes and hands over its 44 values; the command prepares the
// search from them (the form keeps the checked record; errors stop, warnings
// ask OK or Cancel), stores the histories, copies the record to
// the application object, runs the search, shows the results dialog and
// releases the classes. "Beenden" in the results ends the form as well.
//
// This is the only file of the form that calls the engine's run.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace vrx {

class CSearchDialog;
class CvrxApp;
class ProgressFactory;
class UserDialogs;

class SearchCommand {
 public:
  SearchCommand(CvrxApp& app, UserDialogs& dialogs, ProgressFactory& progressFactory)
      : app_(app), dialogs_(dialogs), progressFactory_(progressFactory) {}

  // Installs Run and Cancel as the form's search and cancel handlers.
  void Attach(CSearchDialog& form);
  // OnSearch of the form.
  void Run(CSearchDialog& form);
  // Cancels the running pass as its cancel button would; the run and the
  // results list stop at their next check.
  void Cancel();

 private:
  bool PrepareParams(CSearchDialog& form);
  bool RunAndShowResults(CSearchDialog& form);

  CvrxApp& app_;
  UserDialogs& dialogs_;
  ProgressFactory& progressFactory_;
  // The include sources in the order typed, for the results' keep rule.
  std::vector<std::string> typedSources_;
};

// The check's collected text as shown in a message box: its "\n\r" line ends
// become plain line breaks, and the last one is dropped.
QString CheckMessagesForDisplay(const std::string& messages);

}  // namespace vrx
