// The progress window: caption percentages, cancel, event pumping, the owner
// disabled while a pass runs, and the remembered position.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "accessible_names.h"
#include "gui_test_main.h"
#include "progress/CProgressWnd.h"
#include "services/settings.h"

namespace vrx {

class ProgressWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { Settings().Clear(); }

  void CaptionShowsThePercentage_data() {
    QTest::addColumn<qint64>("upper");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1 of 200 is still 0%") << qint64(200) << qint64(1) << "Filtern";
    QTest::newRow("2 of 200") << qint64(200) << qint64(2) << "Filtern [1%]";
    QTest::newRow("all") << qint64(200) << qint64(200) << "Filtern [100%]";
    QTest::newRow("empty range") << qint64(0) << qint64(5) << "Filtern";
    QTest::newRow("one of one") << qint64(1) << qint64(1) << "Filtern [100%]";
  }

  void CaptionShowsThePercentage() {
    QFETCH(qint64, upper);
    QFETCH(qint64, position);
    QFETCH(QString, caption);
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", false);
    window.SetRange(0, upper, 1);
    window.SetPos(position);
    QCOMPARE(window.windowTitle(), caption);
    QVERIFY(window.isVisible());
  }

  void BarFollowsTheRangeBeyond32Bits() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Vergleichen", false);
    const int64_t total = int64_t{6} << 32;
    window.SetRange(0, total, 1);
    window.SetPos(total / 2);
    QCOMPARE(window.bar()->value(), window.bar()->maximum() / 2);
    QCOMPARE(window.windowTitle(), QString("Vergleichen [50%]"));
  }

  void TextLine() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", false);
    window.SetText("%s", "/home/a/b.txt");
    QCOMPARE(window.textLine()->text(), QString("/home/a/b.txt"));
    // Texts set in quick succession may wait for the next due pump, which
    // then shows the latest one.
    window.SetText("%s", "/home/a/c.txt");
    window.SetText("%s", "/home/a/d.txt");
    QTest::qWait(CProgressWnd::kPumpIntervalMs + 20);
    window.Pump(true);
    QCOMPARE(window.textLine()->text(), QString("/home/a/d.txt"));
  }

  void ScreenReaderNames() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", false);
    window.SetRange(0, 4, 1);
    window.SetPos(2);
    window.SetText("%s", "/home/a/b.txt");
    window.Pump(true);
    QCOMPARE(AccessibilityProblems(&window).join("; "), QString());
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(window.bar());
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), window.bar()->maximum() / 2);
    QCOMPARE(QAccessible::queryAccessibleInterface(window.textLine())->text(QAccessible::Name),
             QString("/home/a/b.txt"));
  }

  void ButtonCancelsAndHidesAtOnce() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", false);
    QCOMPARE(window.cancelButton()->text(), QString(" Abbrechen "));
    window.SetRange(0, 10, 1);
    QVERIFY(!window.cancelled());
    window.cancelButton()->click();
    QVERIFY(window.cancelled());
    QVERIFY(!window.isVisible());
    window.StepIt();  // the pass winds down; the window stays hidden
    QVERIFY(!window.isVisible());
  }

  void ClosingTheWindowCancels() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", false);
    window.close();
    QVERIFY(window.cancelled());
    QVERIFY(!window.isVisible());
  }

  void PumpDeliversTheButtonsClick() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", false);
    window.SetRange(0, 10, 1);
    QMetaObject::invokeMethod(window.cancelButton(), "click", Qt::QueuedConnection);
    QVERIFY(!window.cancelled());
    window.Pump(true);
    QVERIFY(window.cancelled());
  }

  void OwnerIsDisabledWhileTheWindowExists() {
    Settings settings;
    QWidget owner;
    owner.show();
    {
      CProgressWnd window(settings, &owner, "Filtern", false);
      QVERIFY(!owner.isEnabled());
      window.Cancel();
      QVERIFY(!owner.isEnabled());  // until the pass has ended
    }
    QVERIFY(owner.isEnabled());
  }

  void Position_data() {
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("centred");
    QTest::newRow("remembered") << 20 << 30 << false;
    QTest::newRow("missing") << -1 << -1 << true;
    QTest::newRow("negative") << 20 << -5 << true;
    QTest::newRow("off screen") << 50000 << 30 << true;
  }

  void Position() {
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, centred);
    Settings settings;
    if (x != -1) {
      settings.SaveProgressPosition({x, y});
    }
    CProgressWnd window(settings, nullptr, "Filtern", false);
    if (centred) {
      const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
      QVERIFY(qAbs(window.geometry().center().x() - centre.x()) <= 2);
      QVERIFY(qAbs(window.geometry().center().y() - centre.y()) <= 2);
    } else {
      QCOMPARE(window.pos(), QPoint(x, y));
    }
  }

  void PositionIsSavedWhenTheWindowGoes() {
    Settings settings;
    {
      CProgressWnd window(settings, nullptr, "Filtern", false);
      window.move(33, 44);
    }
    QCOMPARE(settings.ProgressPosition(), QPoint(33, 44));
    CProgressWnd next(settings, nullptr, "Vergleichen", false);
    QCOMPARE(next.pos(), QPoint(33, 44));
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::ProgressWindowTest)
#include "progress_window_test.moc"
