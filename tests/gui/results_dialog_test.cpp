// The results dialog: class numbers, column texts, CompareRows and the header
// clicks, opening rows, saving, the exit choices, a cancel while the list
// fills, and the layout after a size change; the marks, the keep rules, the
// protected folders, the summary line, the questions before an action, and
// actions carried out on a real temporary tree.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "accessible_names.h"
#include "engine/vrx_app.h"
#include "gui_test_main.h"
#include "params/form_reading.h"
#include "platform/diagnostics.h"
#include "platform/file_time.h"
#include "progress/progress.h"
#include "results/CResultsDialog.h"
#include "results/qt_result_actions.h"
#include "results/qt_results_model.h"
#include "services/settings.h"
#include "services/user_dialogs.h"
#include "window_pictures.h"

namespace vrx {

namespace {

FileTime At(int64_t unixSeconds) {
  return FileTimeFromUnix(unixSeconds, 0);
}

FileEntry File(const std::string& path, uint64_t size, uint32_t attributes = 0, FileTime time = 0) {
  static FileEntryArray made;  // keeps the records' texts for the whole program
  FileEntry e;
  e.size = size;
  e.attributes = attributes;
  e.time = time == 0 ? At(1'700'000'000) : time;
  e.modified = e.time;
  return made.GetAt(made.Add(path, e));
}

constexpr uint64_t kMiB = 1 << 20;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Cancels at the n-th Pump of every progress object it makes.
class CancellingProgress : public Progress {
 public:
  CancellingProgress(std::string caption, int cancelAt)
      : Progress(std::move(caption)), cancelAt_(cancelAt) {}

 protected:
  void DoPump(bool) override {
    if (++pumps_ == cancelAt_) {
      Cancel();
    }
  }

 private:
  int cancelAt_;
  int pumps_ = 0;
};

// Cancels the progress objects of one caption (of every caption without one).
class CancellingFactory : public ProgressFactory {
 public:
  explicit CancellingFactory(int cancelAt, const char* only = nullptr)
      : cancelAt_(cancelAt), only_(only) {}
  std::unique_ptr<Progress> Create(const std::string& caption, bool) override {
    captions.push_back(caption);
    const bool cancels = only_ == nullptr || caption == only_;
    return std::make_unique<CancellingProgress>(caption, cancels ? cancelAt_ : -1);
  }
  std::vector<std::string> captions;

 private:
  int cancelAt_;
  const char* only_;
};

}  // namespace

class ResultsDialogTest : public QObject {
  Q_OBJECT

 private:
  NullProgressFactory nullFactory_;
  CapturingDiagnostics diagnostics_;
  std::unique_ptr<CvrxApp> app_;
  UserDialogs dialogs_;

  // Classes of records: each inner list is one class, by candidate index.
  void MakeClasses(const std::vector<FileEntry>& entries,
                   const std::vector<std::vector<size_t>>& classes) {
    app_ = std::make_unique<CvrxApp>(nullFactory_, diagnostics_);
    for (const FileEntry& e : entries) {
      app_->candidates.Add(e.Path(), e);
    }
    for (const auto& members : classes) {
      SimilarityClass cls;
      for (size_t i : members) {
        cls.push_back(&app_->candidates.GetAt(i));
      }
      app_->classes.push_back(cls);
    }
  }

  static QStringList Column(const CResultsDialog& dialog, int column) {
    QStringList texts;
    const QAbstractItemModel* m = dialog.list()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      texts << m->index(r, column).data().toString();
    }
    return texts;
  }

  // The records as a search of these sources (each with subfolders) gives
  // them: the candidate list in runs per source, sorted as the sources are.
  void Sources(const std::vector<std::string>& sources) {
    for (const std::string& source : sources) {
      InsertSorted(&app_->params.sourcesIncl, SourceEntry{source, true});
    }
  }

  // One letter per row: x marked, . unmarked, - no check box.
  static QString Marks(const CResultsDialog& dialog) {
    QString marks;
    const ResultsModel* m = dialog.model();
    for (int r = 0; r < m->rowCount(); ++r) {
      const QVariant state = m->index(r, kColGroup).data(Qt::CheckStateRole);
      marks += !state.isValid() ? '-' : (state.toInt() == Qt::Checked ? 'x' : '.');
    }
    return marks;
  }

  // The model row of the record whose path ends so.
  static int RowOf(const CResultsDialog& dialog, const std::string& end) {
    for (int r = 0; r < dialog.model()->rowCount(); ++r) {
      if (dialog.model()->row(r).entry->Path().ends_with(end)) {
        return r;
      }
    }
    return -1;
  }

  static void Trigger(const CResultsDialog& dialog, const char* name) {
    auto* action = dialog.findChild<QAction*>(name);
    QVERIFY2(action != nullptr, name);
    action->trigger();
  }

  // Three files of one class and a class of two folders; /s1 holds rows 0,
  // 2 and 3, /s2 rows 1 and 4.
  void RuleClasses() {
    MakeClasses(
        {File("/s1/long/path/f", kMiB, 0, At(100)), File("/s1/mid/f", kMiB, 0, At(200)),
         File("/s1/dir", 0, 0x10), File("/s2/f", kMiB, 0, At(300)), File("/s2/dir", 0, 0x10)},
        {{0, 3, 1}, {2, 4}});
    app_->sourceFirstEntry = {3};
    Sources({"/s1", "/s2"});
  }

  // The questions and messages since the last ClearCalls, one text each.
  QStringList Said() const {
    QStringList texts;
    for (const UserDialogs::Call& call : dialogs_.calls()) {
      texts << call.text;
    }
    return texts;
  }

  void ThreeClasses() {
    MakeClasses({File("/d/a", 1), File("/d/b", 1), File("/d/c", 5), File("/d/d", 5),
                 File("/d/e", 9), File("/d/f", 9), File("/d/g", 9)},
                {{0, 1}, {2, 3}, {4, 5, 6}});
  }

 private slots:
  void init() {
    dialogs_.SetScripted(true);
    dialogs_.ClearCalls();
    Settings().SaveProtectedFolders({});
  }

  void ClassNumbersCountDown() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    QCOMPARE(Column(dialog, kColGroup), (QStringList{"3", "3", "2", "2", "1", "1", "1"}));
    QCOMPARE(Column(dialog, kColName), (QStringList{"a", "b", "c", "d", "e", "f", "g"}));
    QCOMPARE(dialog.list()->model()->headerData(3, Qt::Horizontal).toString(),
             QString::fromUtf8("Größe / kB"));
    // Column widths from a tenth of the list: 2 and 3 parts for "Name" and
    // "Verzeichnis" (the others widen to their heading or a date if need be).
    const int w = dialog.list()->columnWidth(2) / 3;
    QCOMPARE(dialog.list()->columnWidth(2), 3 * w);
    QCOMPARE(dialog.list()->columnWidth(1), 2 * w);
    QVERIFY(dialog.list()->columnWidth(0) >= w);
    QVERIFY(dialog.list()->columnWidth(5) >= 2 * w);
  }

  void ScreenReaderNamesAndTable() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    QCOMPARE(AccessibilityProblems(&dialog).join("; "), QString());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(dialog.list());
    QAccessibleTableInterface* table = list->tableInterface();
    QVERIFY(table != nullptr);
    QCOMPARE(table->columnCount(), dialog.list()->model()->columnCount());
    for (int c = 0; c < table->columnCount(); ++c) {
      QCOMPARE(table->columnDescription(c),
               dialog.list()->model()->headerData(c, Qt::Horizontal).toString());
    }
    QCOMPARE(table->columnDescription(3), QString::fromUtf8("Größe / kB"));
    QCOMPARE(table->cellAt(2, kColName)->text(QAccessible::Name), QString("c"));
  }

  // Tab leaves the list and goes through the buttons in the order of the
  // screen, the row of work buttons first, and comes back to the list; so it
  // does after a change of size has put "Hilfe" before "Beenden".
  void TabVisitsTheButtonsInScreenOrder() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.list()->setCurrentIndex(dialog.list()->model()->index(0, 0));
    for (const QSize size : {dialog.size(), dialog.size() + QSize(80, 60)}) {
      dialog.resize(size);
      const QList<QWidget*> screen = ScreenOrder(&dialog);
      QCOMPARE(screen.first(), dialog.list());
      QCOMPARE(screen.size(), 8);
      const QStringList expected = ControlNames(screen + QList<QWidget*>{screen.first()});
      for (const QStringList& round : TabRounds(screen)) {
        QCOMPARE(round, expected);
      }
    }
  }

  // The menus of the work buttons and of the rows, the question before an
  // action and the account of one: every entry and button says a name of its
  // own in its window. The summary line says the summary.
  // Each button has a letter of its own; Alt with it presses the button.
  void ButtonLetters() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QSet<QString> letters;
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
      if (b->isVisible()) {
        const QString letter = QKeySequence::mnemonic(b->text()).toString();
        QVERIFY2(!letter.isEmpty() && !letters.contains(letter), qPrintable(b->text()));
        letters.insert(letter);
      }
    }
    QCOMPARE(letters.size(), 7);
    // From the list, a letter presses its button after a short flash.
    QCOMPARE(QApplication::focusWidget(), dialog.list());
    QTest::keyClick(dialog.list(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(dialogs_.calls().size(), size_t(1));
    QCOMPARE(dialogs_.calls().back().kind, UserDialogs::Kind::kSaveFile);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    QTRY_VERIFY(!dialog.isVisible());
    QVERIFY(!dialog.exitRequested());
  }

  void ActionWindowsSayTheirNames() {
    RuleClasses();
    Settings().SaveProtectedFolders({"/p/eins", "/p/zwei"});
    UserDialogs real;  // the question and the account as the program shows them
    CResultsDialog dialog(*app_, real, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    ResultActions* actions = dialog.actions();
    emit actions->protectMenu()->aboutToShow();
    QCOMPARE(actions->protectMenu()->actions().size(), 4);
    std::unique_ptr<QMenu> rows(dialog.MakeContextMenu());
    for (QMenu* menu :
         {actions->markMenu(), actions->actionMenu(), actions->protectMenu(), rows.get()}) {
      QCOMPARE(MenuProblems(menu).join("; "), QString());
    }
    QAccessibleInterface* actionMenu = QAccessible::queryAccessibleInterface(actions->actionMenu());
    QCOMPARE(actionMenu->child(actionMenu->childCount() - 1)->text(QAccessible::Name),
             QString::fromUtf8("Rückgängig"));

    dialog.model()->SetMarks({0}, true);
    QVERIFY2(dialog.summary()->text().contains("1 markiert"), qPrintable(dialog.summary()->text()));
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog.summary())->text(QAccessible::Name),
             dialog.summary()->text());

    // Each box: what the window check found, and what the box says.
    QStringList seen;
    const auto answer = [&seen](QMessageBox::StandardButton button) {
      QTimer::singleShot(0, [&seen, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
          seen << "no box";
          return;
        }
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box);
        seen << AccessibilityProblems(box).join("; ");
        seen << (a->role() == QAccessible::AlertMessage ? a->text(QAccessible::Value) : "no alert");
        box->button(button)->click();
      });
    };
    answer(QMessageBox::Cancel);
    actions->Act(ActionKind::kTrash);
    answer(QMessageBox::Ok);
    actions->Undo();
    QCOMPARE(seen.size(), 4);
    QCOMPARE(seen[0], QString());
    QVERIFY2(seen[1].contains("1 Datei wird in den Papierkorb verschoben"), qPrintable(seen[1]));
    QCOMPARE(seen[2], QString());
    QVERIFY2(seen[3].contains(QString::fromUtf8("rückgängig machen")), qPrintable(seen[3]));
  }

  void ColumnTexts_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<qulonglong>("size");
    QTest::addColumn<uint>("attributes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("kb");
    QTest::addColumn<QString>("letters");
    QTest::newRow("1 byte") << "/x/a" << 1ull << 0u << "a"
                            << "/x"
                            << "1"
                            << "";
    QTest::newRow("1023 bytes") << "/x/a" << 1023ull << 0u << "a"
                                << "/x"
                                << "1"
                                << "";
    QTest::newRow("1024 bytes") << "/x/a" << 1024ull << 0u << "a"
                                << "/x"
                                << "2"
                                << "";
    QTest::newRow("0 bytes") << "/x/a" << 0ull << 0u << "a"
                             << "/x"
                             << "0"
                             << "";
    QTest::newRow("5 GB") << "/x/a" << 5'000'000'000ull << 0u << "a"
                          << "/x"
                          << "4882813"
                          << "";
    QTest::newRow("read-only and archive") << "/x/a" << 1ull << 0x21u << "a"
                                           << "/x"
                                           << "1"
                                           << "RA";
    QTest::newRow("all four") << "/x/a" << 1ull << 0x27u << "a"
                              << "/x"
                              << "1"
                              << "RHSA";
    QTest::newRow("directory") << "/x/d" << 0ull << 0x10u << "."
                               << "/x/d"
                               << "0"
                               << "";
    QTest::newRow("file in the root") << "/f" << 1ull << 0u << "f"
                                      << ""
                                      << "1"
                                      << "";
  }

  void ColumnTexts() {
    QFETCH(QString, path);
    QFETCH(qulonglong, size);
    QFETCH(uint, attributes);
    QFETCH(QString, name);
    QFETCH(QString, directory);
    QFETCH(QString, kb);
    QFETCH(QString, letters);
    const FileEntry entry = File(path.toStdString(), size, attributes);
    const ResultRow row = MakeResultRow(entry, 1);
    QCOMPARE(CellText(row, kColName), name);
    QCOMPARE(CellText(row, kColDirectory), directory);
    QCOMPARE(CellText(row, kColSize), kb);
    QCOMPARE(CellText(row, kColAttributes), letters);
  }

  void DateTexts() {
    // TZ is Europe/Berlin (set by the test's environment).
    const FileEntry recent = File("/a", 1, 0, At(1'780'000'000));
    QCOMPARE(CellText(MakeResultRow(recent, 1), kColDate), QString("28.05.2026 22:26"));
    FileEntry old = File("/a", 1);
    old.time = FileTimeFromUnix(-2'300'000'000, 0);  // 1897
    QCOMPARE(CellText(MakeResultRow(old, 1), kColDate), QString("01.01.1970 01:00"));
  }

  void CompareRows_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("pathA");
    QTest::addColumn<uint>("attrA");
    QTest::addColumn<qulonglong>("sizeA");
    QTest::addColumn<QString>("pathB");
    QTest::addColumn<uint>("attrB");
    QTest::addColumn<qulonglong>("sizeB");
    QTest::addColumn<int>("sign");
    QTest::newRow("group: all equal") << 0 << "/a/x" << 0u << 1ull << "/b/y" << 0u << 9ull << 0;
    QTest::newRow("name without case")
        << 1 << "/d/apfel" << 0u << 1ull << "/d/BIRNE" << 0u << 1ull << -1;
    QTest::newRow("name equal but for case")
        << 1 << "/d/Ä" << 0u << 1ull << "/e/ä" << 0u << 1ull << 0;
    QTest::newRow("directory name is a dot")
        << 1 << "/d/-" << 0x10u << 0ull << "/d/-" << 0u << 1ull << 1;
    QTest::newRow("directory text of a file")
        << 2 << "/b/z" << 0u << 1ull << "/B/a" << 0u << 1ull << 0;
    QTest::newRow("directory text of a directory")
        << 2 << "/a/z" << 0x10u << 0ull << "/a/y" << 0u << 1ull << 1;
    QTest::newRow("size in bytes, not in kB")
        << 3 << "/a" << 0u << 1025ull << "/b" << 0u << 2047ull << -1;
    QTest::newRow("size beyond 32 bits")
        << 3 << "/a" << 0u << 5'000'000'000ull << "/b" << 0u << 705'032'704ull << 1;
    QTest::newRow("A after R, H and S") << 4 << "/a" << 0x20u << 1ull << "/b" << 0x07u << 1ull << 1;
    QTest::newRow("directory bit does not count")
        << 4 << "/a" << 0x11u << 0ull << "/b" << 0x01u << 1ull << 0;
  }

  void CompareRows() {
    QFETCH(int, column);
    QFETCH(QString, pathA);
    QFETCH(uint, attrA);
    QFETCH(qulonglong, sizeA);
    QFETCH(QString, pathB);
    QFETCH(uint, attrB);
    QFETCH(qulonglong, sizeB);
    QFETCH(int, sign);
    const FileEntry a = File(pathA.toStdString(), sizeA, attrA);
    const FileEntry b = File(pathB.toStdString(), sizeB, attrB);
    auto signOf = [](int v) { return (v > 0) - (v < 0); };
    QCOMPARE(signOf(vrx::CompareRows(a, b, column, false)), sign);
    QCOMPARE(signOf(vrx::CompareRows(a, b, column, true)), -sign);
    QCOMPARE(signOf(vrx::CompareRows(b, a, column, false)), -sign);
    // The keys a long list is sorted by give the same order.
    for (const bool descending : {false, true}) {
      const std::vector<uint64_t> keys = ColumnSortKeys({&a, &b}, column, descending);
      QCOMPARE(signOf((keys[0] > keys[1]) - (keys[0] < keys[1])), descending ? -sign : sign);
    }
  }

  void CompareRowsByDate() {
    const FileEntry early = File("/a", 1, 0, At(1000));
    const FileEntry late = File("/b", 1, 0, At(2000));
    QVERIFY(vrx::CompareRows(early, late, kColDate, false) < 0);
    QVERIFY(vrx::CompareRows(early, late, kColDate, true) > 0);
    QVERIFY(ColumnSortKeys({&early, &late}, kColDate, false)[0] <
            ColumnSortKeys({&early, &late}, kColDate, false)[1]);
  }

  void HeaderClicksTurnTheDirectionOver() {
    MakeClasses({File("/d/b", 2047), File("/d/c", 1025), File("/d/a", 4000)}, {{0, 1, 2}});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    QHeaderView* header = dialog.list()->horizontalHeader();
    emit header->sectionClicked(kColSize);
    QCOMPARE(Column(dialog, kColName), (QStringList{"c", "b", "a"}));
    emit header->sectionClicked(kColSize);
    QCOMPARE(Column(dialog, kColName), (QStringList{"a", "b", "c"}));
    emit header->sectionClicked(kColName);  // another column: the direction turns again
    QVERIFY(!dialog.sortDescending());
    QCOMPARE(Column(dialog, kColName), (QStringList{"a", "b", "c"}));
    emit header->sectionClicked(kColName);
    QCOMPARE(Column(dialog, kColName), (QStringList{"c", "b", "a"}));
    // "Gruppe" compares all rows as equal: the order stays.
    emit header->sectionClicked(kColGroup);
    QCOMPARE(dialog.sortColumn(), int(kColGroup));
    QCOMPARE(Column(dialog, kColName), (QStringList{"c", "b", "a"}));
  }

  void DoubleClickOpensFileOrFolder() {
    MakeClasses({File("/srv/daten/a.txt", 3), File("/srv/daten/sub", 0, 0x10)}, {{0, 1}});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.OnOpenRow(dialog.list()->model()->index(0, 3));
    dialog.OnOpenRow(dialog.list()->model()->index(1, 0));
    dialog.OnOpenRow(QModelIndex());
    QCOMPARE(dialogs_.calls().size(), size_t{2});
    QCOMPARE(dialogs_.calls()[0].text, QString("file:///srv/daten/a.txt"));
    QCOMPARE(dialogs_.calls()[1].text, QString("file:///srv/daten/sub/."));
  }

  // Ctrl+O opens the current row; a long folder is elided in the middle and
  // shown whole as the cell's tooltip.
  void KeyboardOpensTheCurrentRow() {
    const QString folder = "/srv/daten/" + QString(200, 'x') + "/ende";
    MakeClasses({File((folder + "/a.txt").toStdString(), 3), File("/srv/b.txt", 3)}, {{0, 1}});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.list()->setFocus();
    dialog.list()->setCurrentIndex(dialog.proxy()->index(1, kColName));
    QTest::keyClick(dialog.list(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(dialogs_.calls().size(), size_t{1});
    QCOMPARE(dialogs_.calls()[0].text, QString("file:///srv/b.txt"));
    const QModelIndex cell = dialog.proxy()->index(0, kColDirectory);
    QCOMPARE(cell.data(Qt::ToolTipRole).toString(), folder);
    QCOMPARE(dialog.list()->textElideMode(), Qt::ElideMiddle);
  }

  // Enter ends the dialog as the hidden "OK" does (neither new search nor
  // exit asked); on a focused button it presses that button.
  void EnterEndsTheDialogOrPressesTheFocusedButton_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("focused");
    QTest::newRow("Return in the list") << int(Qt::Key_Return) << "1038";
    QTest::newRow("keypad Enter in the list") << int(Qt::Key_Enter) << "1038";
    QTest::newRow("Return on Speichern") << int(Qt::Key_Return) << "1039";
  }

  void EnterEndsTheDialogOrPressesTheFocusedButton() {
    QFETCH(int, key);
    QFETCH(QString, focused);
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    bool stillOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
      QWidget* target = dialog.findChild<QWidget*>(focused);
      target->setFocus();
      QTest::keyClick(target, Qt::Key(key),
                      key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
      stillOpen = dialog.isVisible();
      if (stillOpen) {
        dialog.OnNewSearch();
      }
    });
    const int result = dialog.Run();
    const bool pressesSave = focused == "1039";
    QCOMPARE(stillOpen, pressesSave);
    QCOMPARE(result, int(pressesSave ? QDialog::Rejected : QDialog::Accepted));
    QVERIFY(!dialog.exitRequested());
    QCOMPARE(dialogs_.calls().size(), size_t{pressesSave ? 1u : 0u});
  }

  void SaveWritesAndOpensTheFile() {
    ThreeClasses();
    QTemporaryDir dir;
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    const QString path = dir.filePath("ergebnis.CSV");
    dialogs_.SetNextPath(path);
    dialog.findChild<QPushButton*>("1039")->click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QCOMPARE(text.count('\n'), 7);
    QVERIFY(text.startsWith("1,a,/d,"));
    QCOMPARE(dialogs_.calls().back().kind, UserDialogs::Kind::kOpen);
    QCOMPARE(dialogs_.calls().back().text, QUrl::fromLocalFile(path).toString());
  }

  void SaveFailureIsReportedAndNothingOpens() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialogs_.SetNextPath("/nonexistent-folder-of-parlind/x.txt");
    dialog.OnSave();
    QCOMPARE(dialogs_.calls().size(), size_t{2});
    QCOMPARE(dialogs_.calls()[1].kind, UserDialogs::Kind::kError);
    QVERIFY(!dialogs_.calls()[1].text.isEmpty());
    dialogs_.ClearCalls();
    dialog.OnSave();  // cancelled: nothing written, nothing opened
    QCOMPARE(dialogs_.calls().size(), size_t{1});
  }

  void ExitChoices() {
    ThreeClasses();
    for (const char* id : {"1040", "2"}) {
      CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
      QTimer::singleShot(0, &dialog,
                         [&dialog, id] { dialog.findChild<QPushButton*>(id)->click(); });
      dialog.Run();
      QCOMPARE(dialog.exitRequested(), QByteArray(id) == "2");
    }
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });  // the close box
    dialog.Run();
    QVERIFY(dialog.exitRequested());
  }

  void CancelWhileFillingEndsAtOnce() {
    ThreeClasses();
    CancellingFactory factory(4);  // the first Pump, then three rows
    CResultsDialog dialog(*app_, dialogs_, factory, nullptr);
    QCOMPARE(dialog.Run(), int(QDialog::Rejected));
    QVERIFY(app_->runCancelled);
    QVERIFY(!dialog.exitRequested());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.list()->model()->rowCount(), 3);  // the row of the cancel is kept
    QCOMPARE(factory.captions, std::vector<std::string>{"Vorbereiten der Darstellung"});
  }

  void Picture() {
    MakeClasses({File("/home/anna/Bilder/IMG_2041.jpg", 2'345'678, 0x01),
                 File("/home/anna/Sicherung/IMG_2041.jpg", 2'345'678),
                 File("/srv/daten/Rechnungen", 0, 0x10), File("/srv/alt/Rechnungen", 0, 0x10),
                 File("/home/anna/.profil", 1023, 0x02)},
                {{0, 1}, {2, 3}, {4, 1}});
    Sources({"/home/anna", "/srv"});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialogs_.SetNextPath("/home/anna/Bilder");
    Trigger(dialog, "addProtected");
    Trigger(dialog, "keepShortestPath");
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(test::CutOffTexts(&dialog).join("|"), QString());
    const QFontMetrics fm = dialog.list()->fontMetrics();
    for (int c = 0; c < kResultColumns; ++c) {
      const QString heading = dialog.list()->model()->headerData(c, Qt::Horizontal).toString();
      QVERIFY2(dialog.list()->columnWidth(c) > fm.horizontalAdvance(heading), qPrintable(heading));
    }
    const QString date = dialog.list()->model()->index(0, kColDate).data().toString();
    QVERIFY(dialog.list()->columnWidth(kColDate) > fm.horizontalAdvance(date));
    QVERIFY(test::SavePicture(&dialog, "results-list.png"));
  }

  void LayoutAfterASizeChange() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(800, 600);
    const std::pair<const char*, int> buttons[] = {
        {"1039", 200}, {"1040", 300}, {"1041", 400}, {"2", 500}};
    for (const auto& [id, x] : buttons) {
      QTRY_COMPARE(dialog.findChild<QPushButton*>(id)->geometry().topLeft(), QPoint(x, 565));
      const QRect g = dialog.findChild<QPushButton*>(id)->geometry();
      QVERIFY(g.width() >= 75 && g.width() < 100);
    }
    // Above them the work buttons from the left edge of "Speichern", the
    // summary line and the list down to it, each apart from the next.
    const QRect mark = dialog.findChild<QPushButton*>("markButton")->geometry();
    const QRect act = dialog.findChild<QPushButton*>("actionButton")->geometry();
    const QRect protect = dialog.findChild<QPushButton*>("protectButton")->geometry();
    const QRect summary = dialog.summary()->geometry();
    const QRect list = dialog.list()->geometry();
    QCOMPARE(mark.x(), 200);
    QVERIFY(mark.right() < act.left() && act.right() < protect.left());
    QVERIFY(mark.bottom() < 565 && summary.bottom() < mark.top());
    QCOMPARE(list.topLeft(), QPoint(10, 10));
    QCOMPARE(list.width(), 780);
    QVERIFY(list.bottom() < summary.top() && list.height() > 450);
  }

  // Size and column widths come back in the next dialog; a damaged value of
  // the widths counts as none.
  void SizeAndColumnWidthsAreRemembered() {
    ThreeClasses();
    {
      CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
      QVERIFY(dialog.Fill());
      dialog.resize(700, 450);
      dialog.list()->setColumnWidth(kColDate, 211);
      dialog.SaveLayout();
    }
    CResultsDialog again(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(again.Fill());
    again.RestoreLayout();
    QCOMPARE(again.size(), QSize(700, 450));
    QCOMPARE(again.list()->columnWidth(kColDate), 211);
    QCOMPARE(again.list()->geometry().topLeft(), QPoint(10, 10));
    QCOMPARE(again.list()->width(), 680);

    QSettings raw(QSettings::NativeFormat, QSettings::UserScope,
                  QStringLiteral("org.parlind.Parlind"));
    raw.setValue("Results/Columns", "40,x,40,40,40,40");
    raw.sync();
    CResultsDialog damaged(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(damaged.Fill());
    const int width = damaged.list()->columnWidth(kColDate);
    damaged.RestoreLayout();
    QCOMPARE(damaged.list()->columnWidth(kColDate), width);
    raw.remove("Results");
  }

  void MarkingRules_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("marks");
    // Row 0 is the oldest with the longest path, row 1 the newest with the
    // shortest path from the source typed first; folders get no check box.
    QTest::newRow("oldest") << "keepOldest"
                            << ".xx--";
    QTest::newRow("newest") << "keepNewest"
                            << "x.x--";
    QTest::newRow("shortest path") << "keepShortestPath"
                                   << "x.x--";
    QTest::newRow("longest path") << "keepLongestPath"
                                  << ".xx--";
    QTest::newRow("first source as typed") << "keepFirstSource"
                                           << "x.x--";
    QTest::newRow("clear") << "clearMarks"
                           << "...--";
    QTest::newRow("invert") << "invertMarks"
                            << "..x--";
  }

  void MarkingRules() {
    QFETCH(QString, entry);
    QFETCH(QString, marks);
    RuleClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    dialog.SetTypedSources({"/s2", "/s1"});
    QVERIFY(dialog.Fill());
    dialog.model()->setData(dialog.model()->index(0, kColGroup), Qt::Checked, Qt::CheckStateRole);
    dialog.model()->setData(dialog.model()->index(1, kColGroup), Qt::Checked, Qt::CheckStateRole);
    QVERIFY(!dialog.model()->setData(dialog.model()->index(3, kColGroup), Qt::Checked,
                                     Qt::CheckStateRole));
    QCOMPARE(Marks(dialog), QString("xx.--"));
    Trigger(dialog, entry.toLatin1().constData());
    QCOMPARE(Marks(dialog), marks);
    // The context menu offers the same menus.
    std::unique_ptr<QMenu> menu(dialog.MakeContextMenu());
    QCOMPARE(menu->actions()[0]->menu(), dialog.actions()->markMenu());
    QCOMPARE(menu->actions()[1]->menu(), dialog.actions()->actionMenu());
  }

  void ProtectedFolders() {
    RuleClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    Trigger(dialog, "invertMarks");
    QCOMPARE(Marks(dialog), QString("xxx--"));
    dialogs_.SetNextPath("/s1/mid/");
    Trigger(dialog, "addProtected");
    QCOMPARE(Settings().ProtectedFolders(), QStringList{"/s1/mid"});
    // The protected row loses its mark and its box, and says why.
    QCOMPARE(Marks(dialog), QString("xx---"));
    const QModelIndex row1 = dialog.model()->index(2, kColName);
    QVERIFY(row1.data(Qt::ToolTipRole).toString().contains("Schutzordner"));
    QVERIFY(row1.data(Qt::BackgroundRole).isValid());
    QVERIFY(!dialog.model()->index(2, kColGroup).data(Qt::DecorationRole).isNull());
    QVERIFY(!dialog.model()->index(0, kColName).data(Qt::BackgroundRole).isValid());
    // A keep rule keeps the protected member.
    Trigger(dialog, "clearMarks");
    Trigger(dialog, "keepNewest");
    QCOMPARE(Marks(dialog), QString("xx---"));
    // A new dialog reads the folder from the settings; taking it off the
    // list gives the row its box back.
    CResultsDialog again(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(again.Fill());
    QCOMPARE(Marks(again), QString("..---"));
    again.actions()->protectMenu()->aboutToShow();
    Trigger(again, "unprotect");
    QCOMPARE(Settings().ProtectedFolders(), QStringList());
    QCOMPARE(Marks(again), QString("...--"));
  }

  void SpaceTogglesTheSelectedRows() {
    RuleClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    QItemSelectionModel* selection = dialog.list()->selectionModel();
    const auto select = [&](int row) {
      selection->select(dialog.proxy()->index(row, 0),
                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    select(0);
    select(2);
    select(3);  // a folder row is selected but never marked
    dialog.model()->setData(dialog.model()->index(2, kColGroup), Qt::Checked, Qt::CheckStateRole);
    QTest::keyClick(dialog.list(), Qt::Key_Space);
    QCOMPARE(Marks(dialog), QString("x.x--"));
    QTest::keyClick(dialog.list(), Qt::Key_Space);
    QCOMPARE(Marks(dialog), QString("...--"));
  }

  void SummaryLine_data() {
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("summary");
    QTest::newRow("no marks") << false << QString() << "3 Klassen, 7 Dateien, keine markiert";
    QTest::newRow("oldest kept") << false << "keepOldest"
                                 << "3 Klassen, 7 Dateien, 4 markiert – 4,0 MB werden frei";
    // Rows 5 and 6 are one file: marked both, their bytes count once.
    QTest::newRow("hard links count once")
        << true << "keepOldest"
        << "3 Klassen, 7 Dateien, 4 markiert – 3,0 MB werden frei";
  }

  void SummaryLine() {
    QFETCH(bool, hardLinked);
    QFETCH(QString, entry);
    QFETCH(QString, summary);
    std::vector<FileEntry> entries;
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g"}) {
      entries.push_back(File(std::string("/d/") + name, kMiB));
      entries.back().device = 1;
      entries.back().inode = entries.size();
    }
    entries[6].inode = hardLinked ? 6 : 7;
    MakeClasses(entries, {{0, 1}, {2, 3}, {4, 5, 6}});
    Sources({"/d"});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    if (!entry.isEmpty()) {
      Trigger(dialog, entry.toLatin1().constData());
    }
    QCOMPARE(dialog.summary()->text(), summary);
    QCOMPARE(dialog.model()->index(5, kColName).data(Qt::ToolTipRole).isValid(), hardLinked);
  }

  void EmptyResultSaysSo() {
    MakeClasses({}, {});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    QCOMPARE(dialog.summary()->text(), QString("Keine ähnlichen Dateien gefunden."));
    QVERIFY(!dialog.findChild<QLabel*>("emptyResult")->isHidden());
    QVERIFY(!dialog.findChild<QPushButton*>("actionButton")->isEnabled());
  }

  // Each flow answers its questions in turn and leaves every file alone.
  void ConfirmationTexts_data() {
    QTest::addColumn<bool>("identical");
    QTest::addColumn<QString>("marking");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("said");  // a part of each text shown, in turn
    QTest::newRow("nothing marked") << false << QString() << "actTrash" << QList<bool>{}
                                    << QStringList{"Keine Datei ist markiert"};
    QTest::newRow("trash, only similar")
        << false << "keepOldest"
        << "actTrash" << QList<bool>{false}
        << QStringList{
               "4 Dateien werden in den Papierkorb verschoben (4,0 MB werden frei)"
               ". Von dort lassen sie sich wiederherstellen, auch mit „Rückgängig“."
               "\n\nAchtung: Die Klassen dieser Suche wurden nicht nach gleichem Inhalt "
               "gebildet"};
    QTest::newRow("trash, identical content")
        << true << "keepOldest"
        << "actTrash" << QList<bool>{false}
        << QStringList{
               "(4,0 MB werden frei). Von dort lassen sie sich wiederherstellen, auch "
               "mit „Rückgängig“.\n\nFortfahren?"};
    QTest::newRow("hard links") << true << "keepNewest"
                                << "actHardlink" << QList<bool>{false}
                                << QStringList{
                                       "4 Dateien werden durch harte Verknüpfungen auf "
                                       "das behaltene Mitglied ihrer Klasse ersetzt"};
    QTest::newRow("delete asks twice")
        << true << "keepOldest"
        << "actDelete" << QList<bool>{true, false}
        << QStringList{"4 Dateien werden endgültig gelöscht (4,0 MB werden frei)",
                       "4 Dateien wirklich endgültig löschen?"};
    QTest::newRow("every member marked, last members kept")
        << true << "invertMarks"
        << "actTrash" << QList<bool>{false}
        << QStringList{"In 3 Klassen ist jedes Mitglied markiert",
                       "Keine der markierten Dateien kann so behandelt werden.\n/d/a: ihre "
                       "Klasse behielte kein Mitglied"};
    QTest::newRow("every member marked, confirmed")
        << true << "invertMarks"
        << "actTrash" << QList<bool>{true, false}
        << QStringList{"In 3 Klassen ist jedes Mitglied markiert",
                       "7 Dateien werden in den Papierkorb verschoben (7,0 MB werden frei)"};
    QTest::newRow("move: the folder dialog cancelled")
        << true << "keepOldest"
        << "actMove" << QList<bool>{} << QStringList{QString()};
  }

  void ConfirmationTexts() {
    QFETCH(bool, identical);
    QFETCH(QString, marking);
    QFETCH(QString, action);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, said);
    ThreeClasses();
    for (size_t i = 0; i < app_->candidates.GetSize(); ++i) {
      app_->candidates.ElementAt(i).size = kMiB;
    }
    Sources({"/d"});
    app_->params.contentCompare = identical;
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    if (!marking.isEmpty()) {
      Trigger(dialog, marking.toLatin1().constData());
    }
    for (const bool answer : answers) {
      dialogs_.SetNextOkCancel(answer);
    }
    dialogs_.ClearCalls();
    Trigger(dialog, action.toLatin1().constData());
    const QStringList texts = Said();
    QCOMPARE(texts.size(), said.size());
    for (int i = 0; i < said.size(); ++i) {
      QVERIFY2(texts[i].contains(said[i]), qPrintable(texts[i]));
    }
    QCOMPARE(dialog.model()->rowCount(), 7);
  }

  // Trash through the dialog on a real tree, then "Rückgängig".
  void TrashAndUndoOnARealTree() {
    QTemporaryDir tree;
    for (const char* name : {"a/x.txt", "b/x.txt", "b/y.txt"}) {
      WriteFile(tree.filePath(name), "hallo");
    }
    WriteFile(tree.filePath("c/z.txt"), "anders");
    WriteFile(tree.filePath("c/z2.txt"), "anders");
    const std::string root = QFile::encodeName(tree.path()).toStdString();
    app_ = std::make_unique<CvrxApp>(nullFactory_, diagnostics_);
    Sources({root});
    app_->params.contentCompare = true;
    app_->params.UpdateSummaryFlags();
    QVERIFY(app_->RunSearch().ok());
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    QCOMPARE(dialog.summary()->text(), QString("2 Klassen, 5 Dateien, keine markiert"));
    Trigger(dialog, "keepShortestPath");  // keeps a/x.txt (the smaller path) and c/z.txt
    QCOMPARE(dialog.summary()->text(),
             QString("2 Klassen, 5 Dateien, 3 markiert – weniger als 0,1 MB werden frei"));
    dialog.model()->setData(dialog.model()->index(RowOf(dialog, "/b/x.txt"), kColGroup),
                            Qt::Unchecked, Qt::CheckStateRole);  // b/x.txt stays
    dialogs_.ClearCalls();
    Trigger(dialog, "actTrash");
    QCOMPARE(dialogs_.calls().size(), size_t{2});
    QCOMPARE(dialogs_.calls()[1].text,
             QString("2 Dateien in den Papierkorb, 0 übersprungen, 11 Bytes frei."));
    QVERIFY(!QFile::exists(tree.filePath("b/y.txt")) && !QFile::exists(tree.filePath("c/z2.txt")));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
    QVERIFY(QFile::exists(trash + "/files/y.txt") &&
            QFile::exists(trash + "/info/y.txt.trashinfo"));
    // b/y.txt left its class; the second class, down to one member, left the list.
    QCOMPARE(Column(dialog, kColName), (QStringList{"x.txt", "x.txt"}));
    QCOMPARE(dialog.summary()->text(), QString("1 Klasse, 2 Dateien, keine markiert"));
    QVERIFY(QFile::exists(qEnvironmentVariable("XDG_STATE_HOME") + "/Parlind/aktionen.log"));

    dialogs_.ClearCalls();
    Trigger(dialog, "undo");
    QCOMPARE(dialogs_.calls().size(), size_t{2});
    QVERIFY(dialogs_.calls()[0].text.contains("2 Dateien kommen aus dem Papierkorb"));
    QVERIFY(dialogs_.calls()[1].text.startsWith("2 Dateien zurückgeholt, 0 nicht."));
    QVERIFY(QFile::exists(tree.filePath("b/y.txt")) && QFile::exists(tree.filePath("c/z2.txt")));
    QVERIFY(!QFile::exists(trash + "/files/y.txt"));
  }

  // A move cancelled after its first file: that one is moved, the other stays.
  void MoveCancelledBetweenFiles() {
    QTemporaryDir tree;
    QTemporaryDir target;
    for (const char* name : {"a/x.txt", "b/x.txt", "c/x.txt"}) {
      WriteFile(tree.filePath(name), "gleich");
    }
    app_ = std::make_unique<CvrxApp>(nullFactory_, diagnostics_);
    Sources({QFile::encodeName(tree.path()).toStdString()});
    app_->params.contentCompare = true;
    app_->params.UpdateSummaryFlags();
    QVERIFY(app_->RunSearch().ok());
    CancellingFactory factory(2, "Verschieben");  // the first Pump, then the first file
    CResultsDialog dialog(*app_, dialogs_, factory, nullptr);
    QVERIFY(dialog.Fill());
    Trigger(dialog, "keepLongestPath");  // keeps a/x.txt
    dialogs_.SetNextPath(target.path());
    dialogs_.ClearCalls();
    Trigger(dialog, "actMove");
    QCOMPARE(factory.captions.back(), std::string("Verschieben"));
    QVERIFY(dialogs_.calls().back().text.contains("Abgebrochen"));
    QVERIFY(!QFile::exists(tree.filePath("b/x.txt")));
    QVERIFY(QFile::exists(target.path() + tree.filePath("b/x.txt")));
    QVERIFY(QFile::exists(tree.filePath("c/x.txt")));
    QCOMPARE(Marks(dialog), QString(".x"));
  }

  void OpenFolderAndCopyPath() {
    MakeClasses({File("/srv/daten/a.txt", 3), File("/srv/alt/a.txt", 3), File("/srv/x", 0, 0x10)},
                {{0, 1, 2}});
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.list()->selectionModel()->select(
        dialog.proxy()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    dialog.list()->selectionModel()->select(
        dialog.proxy()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    std::unique_ptr<QMenu> menu(dialog.MakeContextMenu());
    Trigger(dialog, "openFolder");
    QCOMPARE(Said(), (QStringList{"file:///srv/daten", "file:///srv"}));
    Trigger(dialog, "copyPath");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("/srv/daten/a.txt\n/srv/x"));
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::ResultsDialogTest)
#include "results_dialog_test.moc"
