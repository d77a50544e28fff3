// The results dialog: class numbers, column texts, CompareRows and the header
// clicks, opening rows, saving, the exit choices, a cancel while the list
// fills, and the layout after a size change.
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/user_dialogs.h"
#include "engine/vrx_app.h"
#include "gui_test_main.h"
#include "platform/diagnostics.h"
#include "platform/file_time.h"
#include "progress/progress.h"
#include "results/CResultsDialog.h"
#include "results/qt_results_model.h"
#include "window_pictures.h"

namespace vrx {

namespace {

FileTime At(int64_t unixSeconds) {
  return FileTimeFromUnix(unixSeconds, 0);
}

FileEntry File(const std::string& path, uint64_t size, uint32_t attributes = 0, FileTime time = 0) {
  FileEntry e;
  e.path = path;
  e.size = size;
  e.attributes = attributes;
  e.time = time == 0 ? At(1'700'000'000) : time;
  return e;
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

class CancellingFactory : public ProgressFactory {
 public:
  explicit CancellingFactory(int cancelAt) : cancelAt_(cancelAt) {}
  std::unique_ptr<Progress> Create(const std::string& caption, bool) override {
    captions.push_back(caption);
    return std::make_unique<CancellingProgress>(caption, cancelAt_);
  }
  std::vector<std::string> captions;

 private:
  int cancelAt_;
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
      app_->candidates.Add(e);
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

  void ThreeClasses() {
    MakeClasses({File("/d/a", 1), File("/d/b", 1), File("/d/c", 5), File("/d/d", 5),
                 File("/d/e", 9), File("/d/f", 9), File("/d/g", 9)},
                {{0, 1}, {2, 3}, {4, 5, 6}});
  }

 private slots:
  void init() {
    dialogs_.SetScripted(true);
    dialogs_.ClearCalls();
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
    const ResultRow row = MakeResultRow(File(path.toStdString(), size, attributes), 1);
    QCOMPARE(row.name, name);
    QCOMPARE(row.directory, directory);
    QCOMPARE(row.sizeKb, kb);
    QCOMPARE(row.attributes, letters);
  }

  void DateTexts() {
    // TZ is Europe/Berlin (set by the test's environment).
    QCOMPARE(MakeResultRow(File("/a", 1, 0, At(1'780'000'000)), 1).date,
             QString("28.05.2026 22:26"));
    FileEntry old = File("/a", 1);
    old.time = FileTimeFromUnix(-2'300'000'000, 0);  // 1897
    QCOMPARE(MakeResultRow(old, 1).date, QString("01.01.1970 01:00"));
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
  }

  void CompareRowsByDate() {
    const FileEntry early = File("/a", 1, 0, At(1000));
    const FileEntry late = File("/b", 1, 0, At(2000));
    QVERIFY(vrx::CompareRows(early, late, kColDate, false) < 0);
    QVERIFY(vrx::CompareRows(early, late, kColDate, true) > 0);
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
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
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
    QVERIFY(test::SavePicture(&dialog, "results-dialog.png"));
  }

  void LayoutAfterASizeChange() {
    ThreeClasses();
    CResultsDialog dialog(*app_, dialogs_, nullFactory_, nullptr);
    QVERIFY(dialog.Fill());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(800, 600);
    QTRY_COMPARE(dialog.list()->geometry(), QRect(10, 10, 780, 540));
    const std::pair<const char*, int> buttons[] = {
        {"1039", 200}, {"1040", 300}, {"1041", 400}, {"2", 500}};
    for (const auto& [id, x] : buttons) {
      const QRect g = dialog.findChild<QPushButton*>(id)->geometry();
      QCOMPARE(g.topLeft(), QPoint(x, 565));
      QVERIFY(g.width() >= 75 && g.width() < 100);
    }
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::ResultsDialogTest)
#include "results_dialog_test.moc"
