#include "results/qt_result_actions.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QUrl>
#include <algorithm>
#include <unordered_set>

#include "actions/acted_on.h"
#include "actions/execute.h"
#include "actions/journal.h"
#include "actions/paths.h"
#include "actions/plan.h"
#include "actions/undo.h"
#include "actions/window_texts.h"
#include "engine/vrx_app.h"
#include "platform/diagnostics.h"
#include "platform/user_dirs.h"
#include "results/qt_results_model.h"
#include "services/user_dialogs.h"

namespace vrx {
namespace {

// More folders than this are opened only after a question.
constexpr size_t kFoldersWithoutQuestion = 5;

struct RuleEntry {
  const char* text;
  const char* name;  // the menu entry's object name, for tests
  KeepRule rule;
};
constexpr RuleEntry kRules[] = {
    {"ältestes behalten", "keepOldest", KeepRule::kOldest},
    {"neuestes behalten", "keepNewest", KeepRule::kNewest},
    {"kürzesten Pfad behalten", "keepShortestPath", KeepRule::kShortestPath},
    {"längsten Pfad behalten", "keepLongestPath", KeepRule::kLongestPath},
    {"erste Quelle behalten", "keepFirstSource", KeepRule::kFirstSource},
};

struct ActionEntry {
  const char* text;
  const char* name;
  ActionKind action;
};
constexpr ActionEntry kActions[] = {
    {"In den Papierkorb", "actTrash", ActionKind::kTrash},
    {"Verschieben nach…", "actMove", ActionKind::kMove},
    {"Durch harte Verknüpfung ersetzen", "actHardlink", ActionKind::kHardlink},
    {"Durch Reflink ersetzen", "actReflink", ActionKind::kReflink},
    {"Endgültig löschen", "actDelete", ActionKind::kDelete},
};

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QAction* AddEntry(QMenu* menu, const char* text, const char* name) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

QMenu* NewMenu(const char* title, const char* name, QWidget* parent) {
  auto* menu = new QMenu(QString::fromUtf8(title), parent);
  menu->setObjectName(QString::fromLatin1(name));
  menu->setAccessibleName(QString::fromUtf8(title));
  return menu;
}

}  // namespace

ResultActions::ResultActions(CvrxApp& app, UserDialogs& dialogs, ProgressFactory& progressFactory,
                             ResultsModel* model, QWidget* window)
    : QObject(window),
      app_(app),
      dialogs_(dialogs),
      progressFactory_(progressFactory),
      model_(model),
      window_(window),
      protected_(settings_.ProtectedFolders()) {
  BuildMenus();
  connect(model_, &ResultsModel::marksChanged, this, &ResultActions::summaryChanged);
}

void ResultActions::BuildMenus() {
  markMenu_ = NewMenu("Markieren", "markMenu", window_);
  for (const RuleEntry& entry : kRules) {
    connect(AddEntry(markMenu_, entry.text, entry.name), &QAction::triggered, this,
            [this, rule = entry.rule] { MarkBy(rule); });
  }
  markMenu_->addSeparator();
  connect(AddEntry(markMenu_, "alle Markierungen aufheben", "clearMarks"), &QAction::triggered,
          this, &ResultActions::ClearMarks);
  connect(AddEntry(markMenu_, "Markierung umkehren", "invertMarks"), &QAction::triggered, this,
          &ResultActions::InvertMarks);

  actionMenu_ = NewMenu("Aktion", "actionMenu", window_);
  for (const ActionEntry& entry : kActions) {
    QAction* action = AddEntry(actionMenu_, entry.text, entry.name);
    connect(action, &QAction::triggered, this, [this, kind = entry.action] { Act(kind); });
    if (entry.action == ActionKind::kTrash) {
      actionMenu_->setDefaultAction(action);
    }
    if (entry.action == ActionKind::kDelete) {
      actionMenu_->insertSeparator(action);
    }
  }
  actionMenu_->addSeparator();
  connect(AddEntry(actionMenu_, "Rückgängig", "undo"), &QAction::triggered, this,
          &ResultActions::Undo);

  protectMenu_ = NewMenu("Schutzordner", "protectMenu", window_);
  connect(protectMenu_, &QMenu::aboutToShow, this, &ResultActions::FillProtectMenu);
  FillProtectMenu();
}

// "Hinzufügen…", then one entry per protected folder that takes it off the list.
void ResultActions::FillProtectMenu() {
  protectMenu_->clear();
  connect(AddEntry(protectMenu_, "Schutzordner hinzufügen…", "addProtected"), &QAction::triggered,
          this, &ResultActions::AddProtectedFolder);
  if (protected_.isEmpty()) {
    return;
  }
  protectMenu_->addSeparator();
  for (const QString& folder : protected_) {
    QAction* action = protectMenu_->addAction(QStringLiteral("Nicht mehr schützen: ") + folder);
    action->setObjectName(QStringLiteral("unprotect"));
    connect(action, &QAction::triggered, this, [this, folder] { RemoveProtectedFolder(folder); });
  }
}

void ResultActions::Attach() {
  std::unordered_set<const FileEntry*> marked;
  if (scope_ != nullptr) {
    for (size_t file = 0; file < scope_->FileCount(); ++file) {
      if (marks_.IsMarked(file)) {
        marked.insert(scope_->File(file).entry);
      }
    }
  }
  ScopeSettings settings;
  settings.typedSources = typedSources_;
  for (const QString& folder : protected_) {
    settings.protectedFolders.push_back(QFile::encodeName(folder).toStdString());
  }
  settings.workingFolder = WorkingFolder();
  auto scope = std::make_unique<ActionScope>(app_, settings);
  MarkSet marks(scope->FileCount());
  for (size_t file = 0; file < scope->FileCount(); ++file) {
    if (marked.contains(scope->File(file).entry)) {
      marks.Set(*scope, file, true);
    }
  }
  // The model reads the old scope until it gets the new one, right below.
  scope_ = std::move(scope);
  marks_ = std::move(marks);
  model_->SetMarking(scope_.get(), &marks_);
  emit summaryChanged();
}

QString ResultActions::SummaryText() const {
  if (scope_ == nullptr) {
    return {};
  }
  return Text(ResultSummaryText(SummarizeMarks(*scope_, marks_)));
}

void ResultActions::MarkBy(KeepRule rule) {
  keepRule_ = rule;
  marks_ = MarkByRule(*scope_, rule);
  model_->MarksReset();
}

void ResultActions::ClearMarks() {
  marks_ = MarkSet(scope_->FileCount());
  model_->MarksReset();
}

void ResultActions::InvertMarks() {
  vrx::InvertMarks(*scope_, &marks_);
  model_->MarksReset();
}

void ResultActions::ToggleRows(const std::vector<int>& rows) {
  const bool allMarked = std::all_of(rows.begin(), rows.end(), [this](int r) {
    return !model_->Markable(r) || model_->Marked(r);
  });
  model_->SetMarks(rows, !allMarked);
}

void ResultActions::Act(ActionKind action) {
  if (scope_ == nullptr) {
    return;
  }
  if (marks_.Count() == 0) {
    dialogs_.Message(window_, UserDialogs::Kind::kInformation,
                     QStringLiteral("Keine Datei ist markiert. Markieren Sie zuerst, was behandelt "
                                    "werden soll: mit dem Kästchen, der Leertaste oder "
                                    "„Markieren“."));
    return;
  }
  PlanOptions options;
  options.action = action;
  options.linkRule = keepRule_;
  // The confirmation below says plainly when the classes are only similar.
  options.nonIdenticalConfirmed = true;
  if (action == ActionKind::kMove) {
    const QString folder = dialogs_.ExistingDirectory(window_, QDir::homePath());
    if (folder.isEmpty()) {
      return;
    }
    options.moveFolder = QFile::encodeName(folder).toStdString();
  }
  ActionPlan plan = BuildPlan(*scope_, marks_, options);
  if (plan.classesKeptWhole > 0 && !LinksToKept(action) &&
      dialogs_.AskOkCancel(window_, Text(LastMemberQuestion(plan.classesKeptWhole)))) {
    options.emptyClassesConfirmed = true;
    plan = BuildPlan(*scope_, marks_, options);
  }
  if (plan.steps.empty()) {
    dialogs_.Message(window_, UserDialogs::Kind::kInformation,
                     Text(NothingToDoText(*scope_, plan)));
    return;
  }
  if (!dialogs_.AskOkCancel(window_, Text(ConfirmActionText(plan))) ||
      (action == ActionKind::kDelete &&
       !dialogs_.AskOkCancel(window_, Text(DeleteQuestion(plan.steps.size()))))) {
    return;
  }
  ActionJournal journal(ActionJournal::DefaultPath());
  CapturingDiagnostics diagnostics;
  ActionContext context;
  context.progressFactory = &progressFactory_;
  context.diagnostics = &diagnostics;
  context.journal = &journal;
  context.trash = DefaultTrashSettings();
  const ActionReport report = ExecutePlan(*scope_, plan, context);
  const std::unordered_set<const FileEntry*> gone = ActedOnEntries(*scope_, plan, report);
  if (!gone.empty()) {
    RemoveActedOn(&app_.classes, gone);
    emit classesChanged();
  }
  std::string text = ActionReportText(plan, report);
  // Besides the skipped files (listed already), only a failed journal speaks here.
  for (const std::string& line : diagnostics.messages) {
    if (!line.starts_with("Übersprungen: ")) {
      text += "\n" + line;
    }
  }
  Inform(report.skipped > 0 || !report.failure.empty(), text);
}

void ResultActions::Undo() {
  ActionJournal journal(ActionJournal::DefaultPath());
  std::vector<JournalLine> lines;
  if (!journal.ReadAll(&lines)) {
    Inform(true, "Das Protokoll " + journal.path() + " lässt sich nicht lesen.");
    return;
  }
  const std::vector<JournalLine> pending = PendingUndo(lines);
  if (pending.empty()) {
    Inform(false, UndoReportText(UndoReport{}));
    return;
  }
  if (!dialogs_.AskOkCancel(window_, Text(UndoQuestion(pending)))) {
    return;
  }
  CapturingDiagnostics diagnostics;
  const UndoReport report = UndoLastAction(journal, &diagnostics);
  Inform(report.refused > 0 || !report.failure.empty(), UndoReportText(report));
}

void ResultActions::Inform(bool trouble, const std::string& text) {
  dialogs_.Message(window_, trouble ? UserDialogs::Kind::kWarning : UserDialogs::Kind::kInformation,
                   Text(text));
}

void ResultActions::OpenFolders(const std::vector<int>& rows) {
  if (scope_ == nullptr) {
    return;
  }
  std::vector<std::string> folders;
  for (const int r : rows) {
    const uint32_t file = model_->row(r).file;
    if (file != kNoFile) {
      std::string folder = ParentOf(scope_->File(file).absolutePath());
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        folders.push_back(std::move(folder));
      }
    }
  }
  if (folders.size() > kFoldersWithoutQuestion &&
      !dialogs_.AskOkCancel(window_, QStringLiteral("%1 Ordner öffnen?").arg(folders.size()))) {
    return;
  }
  for (const std::string& folder : folders) {
    if (!dialogs_.OpenUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())))) {
      Inform(true, "Der Ordner " + folder + " ließ sich nicht öffnen.");
      return;
    }
  }
}

void ResultActions::CopyPaths(const std::vector<int>& rows) {
  if (scope_ == nullptr) {
    return;
  }
  QStringList paths;
  for (const int r : rows) {
    const uint32_t file = model_->row(r).file;
    if (file != kNoFile) {
      paths << QFile::decodeName(scope_->File(file).absolutePath().c_str());
    }
  }
  if (!paths.isEmpty()) {
    QGuiApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
  }
}

void ResultActions::AddProtectedFolder() {
  const QString folder = dialogs_.ExistingDirectory(window_, QDir::homePath());
  if (folder.isEmpty()) {
    return;
  }
  const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
  if (protected_.contains(clean)) {
    return;
  }
  SetProtected(protected_ + QStringList{clean});
}

void ResultActions::RemoveProtectedFolder(const QString& folder) {
  QStringList folders = protected_;
  folders.removeAll(folder);
  SetProtected(folders);
}

// The scope is built anew, so that the rows show their new standing; marks
// on files now protected fall away.
void ResultActions::SetProtected(const QStringList& folders) {
  protected_ = folders;
  if (!settings_.SaveProtectedFolders(protected_)) {
    Inform(true, "Die Schutzordner ließen sich nicht in den Einstellungen speichern (" +
                     QFile::encodeName(settings_.FileName()).toStdString() +
                     "); sie gelten nur bis zum Ende des Programms.");
  }
  FillProtectMenu();
  Attach();
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_qt_result_actions.cpp"
