// The search command from the form: the date tolerance in seconds, the check's
// error and warning boxes, what is written to the settings when, and whole
// searches on a small temporary tree through to the results list.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "engine/vrx_app.h"
#include "form/CSearchDialog.h"
#include "form/search_command.h"
#include "gui_test_main.h"
#include "platform/diagnostics.h"
#include "progress/CProgressWnd.h"
#include "results/CResultsDialog.h"
#include "services/settings.h"
#include "services/user_dialogs.h"

namespace vrx {

using namespace form_id;

namespace {

// Progress objects that cancel at their first Pump.
class CancelAtOnce : public Progress {
 public:
  explicit CancelAtOnce(std::string caption) : Progress(std::move(caption)) {}

 protected:
  void DoPump(bool) override { Cancel(); }
};

class CancelAtOnceFactory : public ProgressFactory {
 public:
  std::unique_ptr<Progress> Create(const std::string& caption, bool) override {
    ++made;
    return std::make_unique<CancelAtOnce>(caption);
  }
  int made = 0;
};

// Progress objects that run `atPump` at the given pump of all of them
// together, and count every pump until a cancel.
class ActAtPumpFactory : public ProgressFactory {
 public:
  class Pumping : public Progress {
   public:
    Pumping(std::string caption, ActAtPumpFactory& factory)
        : Progress(std::move(caption)), factory_(factory) {}

   protected:
    void DoPump(bool) override {
      if (++factory_.pumps == factory_.actAt) {
        factory_.atPump();
      }
    }

   private:
    ActAtPumpFactory& factory_;
  };

  std::unique_ptr<Progress> Create(const std::string& caption, bool) override {
    return std::make_unique<Pumping>(caption, *this);
  }
  int actAt = 0;
  int pumps = 0;
  std::function<void()> atPump;
};

}  // namespace

class SearchCommandTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Settings> settings_;
  std::unique_ptr<UserDialogs> dialogs_;
  std::unique_ptr<CProgressWndFactory> factory_;
  CapturingDiagnostics diagnostics_;
  std::unique_ptr<CvrxApp> app_;
  std::unique_ptr<CSearchDialog> form_;
  std::unique_ptr<SearchCommand> command_;

  void Search() { form_->findChild<QPushButton*>("1")->click(); }

  // The search's passes take their progress objects from `factory`.
  void RunPassesWith(ProgressFactory& factory) {
    command_.reset();
    app_ = std::make_unique<CvrxApp>(factory, diagnostics_);
    command_ = std::make_unique<SearchCommand>(*app_, *dialogs_, *factory_);
    command_->Attach(*form_);
  }

  QList<UserDialogs::Call> Boxes() const {
    QList<UserDialogs::Call> boxes;
    for (const auto& call : dialogs_->calls()) {
      if (call.kind != UserDialogs::Kind::kOpen) {
        boxes << call;
      }
    }
    return boxes;
  }

  // Runs `inspect` on the results dialog once it is shown modally.
  void WhenResultsShown(std::function<void(CResultsDialog*)> inspect, bool* seen) {
    auto* timer = new QTimer(form_.get());
    connect(timer, &QTimer::timeout, timer, [timer, inspect, seen] {
      if (auto* results = qobject_cast<CResultsDialog*>(QApplication::activeModalWidget())) {
        timer->stop();
        timer->deleteLater();
        *seen = true;
        inspect(results);
      }
    });
    timer->start(10);
  }

  static QStringList Column(CResultsDialog* results, int column) {
    QStringList texts;
    const QAbstractItemModel* m = results->list()->model();
    for (int r = 0; r < m->rowCount(); ++r) {
      texts << m->index(r, column).data().toString();
    }
    return texts;
  }

 private slots:
  void init() {
    settings_ = std::make_unique<Settings>();
    settings_->Clear();
    dialogs_ = std::make_unique<UserDialogs>();
    dialogs_->SetScripted(true);
    factory_ = std::make_unique<CProgressWndFactory>(*settings_);
    app_ = std::make_unique<CvrxApp>(*factory_, diagnostics_);
    form_ = std::make_unique<CSearchDialog>(*settings_, *dialogs_);
    command_ = std::make_unique<SearchCommand>(*app_, *dialogs_, *factory_);
    command_->Attach(*form_);
    form_->show();
  }

  void cleanup() {
    form_.reset();
    command_.reset();
    app_.reset();
  }

  void ErrorStopsBeforeAnythingIsStored() {
    form_->box(kNameIncl)->setEditText("*.txt*");
    Search();
    QCOMPARE(Boxes().size(), 1);
    QCOMPARE(Boxes()[0].kind, UserDialogs::Kind::kError);
    QVERIFY(Boxes()[0].text.contains(QString::fromUtf8("Kein gültiger Quellort angegeben.")));
    QVERIFY(!Boxes()[0].text.contains('\r'));
    QVERIFY(!Boxes()[0].text.endsWith('\n'));
    QCOMPARE(settings_->ReadString("NameIncl", "LRU0", "?"), QString());
    QCOMPARE(form_->box(kNameIncl)->itemText(0), QString("*.txt*"));  // on screen only
    QVERIFY(app_->params == SearchParams{});
  }

  void DateToleranceInSeconds_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<int>("unit");
    QTest::addColumn<uint>("seconds");
    QTest::newRow("2 days") << "2" << 3 << 172800u;
    QTest::newRow("3 seconds") << "3" << 0 << 3u;
    QTest::newRow("0 years") << "0" << 5 << 0u;
    QTest::newRow("136 years") << "136" << 5 << 136u * 31536000u;
  }

  void DateToleranceInSeconds() {
    QFETCH(QString, number);
    QFETCH(int, unit);
    QFETCH(uint, seconds);
    form_->check(kDateActive)->click();
    form_->numberField(kDateDiff)->setText(number);
    form_->box(kDateUnit)->setCurrentIndex(unit);
    Search();  // stops at the check (no source), after the record was filled
    QCOMPARE(form_->params().dateDiff, seconds);
    QCOMPARE(form_->numberField(kDateDiff)->text(), number);  // the field keeps its unit
  }

  void DateToleranceBeyond32BitsIsRefused() {
    form_->numberField(kDateDiff)->setText("137");
    form_->box(kDateUnit)->setCurrentIndex(5);
    Search();
    QCOMPARE(Boxes().size(), 1);
    QCOMPARE(Boxes()[0].kind, UserDialogs::Kind::kError);
    QVERIFY(Boxes()[0].text.contains("4294967295"));
    QCOMPARE(form_->params().dateDiff, 0u);
  }

  void WarningAnsweredWithCancelWritesNothing() {
    QTemporaryDir dir;
    const QString missing = dir.filePath("gibt-es-nicht");
    form_->box(kSourceIncl)->setEditText(dir.path() + ", " + missing);
    dialogs_->SetNextOkCancel(false);
    Search();
    QCOMPARE(Boxes().size(), 1);
    QCOMPARE(Boxes()[0].kind, UserDialogs::Kind::kQuestion);
    QVERIFY(Boxes()[0].text.contains(missing + ": Zugriff fehlgeschlagen."));
    QCOMPARE(settings_->ReadString("LocIncl", "LRU0", "?"), QString());
    QCOMPARE(form_->box(kSourceIncl)->itemText(0), dir.path() + ", " + missing);
    QCOMPARE(app_->candidates.GetSize(), size_t{0});
  }

  void WholeSearchToTheResultsAndBack() {
    QTemporaryDir dir;
    for (const auto& [name, text] : {std::pair{"a.txt", "gleich"}, std::pair{"b.txt", "gleich"},
                                     std::pair{"c.txt", "anders"}}) {
      QFile f(dir.filePath(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(text);
    }
    form_->box(kSourceIncl)->setEditText(dir.path() + "+");
    form_->check(kContentActive)->click();
    bool seen = false;
    QStringList names;
    QStringList groups;
    WhenResultsShown(
        [&](CResultsDialog* results) {
          names = Column(results, 1);
          groups = Column(results, 0);
          results->findChild<QPushButton*>("1040")->click();  // "Neue Suche"
        },
        &seen);
    Search();
    QVERIFY(seen);
    QCOMPARE(names, (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(groups, (QStringList{"1", "1"}));
    QVERIFY(form_->isVisible());
    QVERIFY(app_->classes.empty());  // released after the dialog
    // The source's own record and its three files stay until the next search.
    QCOMPARE(app_->candidates.GetSize(), size_t{4});
    QCOMPARE(settings_->ReadString("LocIncl", "LRU0", "?"), dir.path() + "+");
    QCOMPARE(form_->box(kSourceIncl)->currentText(), dir.path() + "+");
    QVERIFY(form_->check(kContentActive)->isChecked());

    // The same search again, left with "Beenden": the form ends as well.
    seen = false;
    WhenResultsShown(
        [](CResultsDialog* results) { results->findChild<QPushButton*>("2")->click(); }, &seen);
    Search();
    QVERIFY(seen);
    QCOMPARE(form_->result(), int(QDialog::Accepted));
    QVERIFY(!form_->isVisible());
  }

  void CancelDuringTheRunShowsNoResults() {
    QTemporaryDir dir;
    for (const char* name : {"a.txt", "b.txt"}) {
      QFile f(dir.filePath(name));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("gleich");
    }
    CancelAtOnceFactory cancelling;
    RunPassesWith(cancelling);
    form_->box(kSourceIncl)->setEditText(dir.path() + "+");
    form_->check(kSizeActive)->click();
    bool seen = false;
    WhenResultsShown([](CResultsDialog* results) { results->close(); }, &seen);
    Search();
    QVERIFY(cancelling.made > 0);
    QVERIFY(app_->runCancelled);
    QVERIFY(app_->classes.empty());
    QTest::qWait(50);
    QVERIFY(!seen);
    QVERIFY(form_->isVisible());
    QVERIFY(form_->isEnabled());
    // The check had passed: the histories were stored before the run.
    QCOMPARE(settings_->ReadString("LocIncl", "LRU0", "?"), dir.path() + "+");
  }

  // Closing the form during a pass cancels the search and ends the form
  // without results, as "Beenden" would after it.
  void ClosingTheFormDuringAPassCancelsAndEnds() {
    QTemporaryDir dir;
    for (int i = 0; i < 200; ++i) {
      QFile f(dir.filePath(QString("f%1.txt").arg(i)));
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("gleich");
    }
    ActAtPumpFactory closing;
    closing.actAt = 5;
    closing.atPump = [this] { form_->close(); };
    RunPassesWith(closing);
    form_->box(kSourceIncl)->setEditText(dir.path() + "+");
    form_->check(kSizeActive)->click();
    bool seen = false;
    WhenResultsShown([](CResultsDialog* results) { results->close(); }, &seen);
    Search();
    QVERIFY(app_->runCancelled);
    QCOMPARE(closing.pumps, closing.actAt);  // the pass stopped at the close
    QTest::qWait(50);
    QVERIFY(!seen);
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->result(), int(QDialog::Rejected));
    // Outside a search the close box ends the form at once.
    form_->show();
    form_->close();
    QVERIFY(!form_->isVisible());
  }

  void NothingFoundShowsAnEmptyList() {
    QTemporaryDir dir;
    QFile f(dir.filePath("einzeln.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    form_->box(kSourceIncl)->setEditText(dir.path());
    form_->check(kSizeActive)->click();
    bool seen = false;
    int rows = -1;
    WhenResultsShown(
        [&](CResultsDialog* results) {
          rows = results->list()->model()->rowCount();
          results->findChild<QPushButton*>("1040")->click();
        },
        &seen);
    Search();
    QVERIFY(seen);
    QCOMPARE(rows, 0);
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::SearchCommandTest)
#include "search_command_test.moc"
