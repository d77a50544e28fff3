// The seven form histories in the settings, the Escape filter and Qt's own
// texts in German.
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTranslator>

#include "app/qt_translation.h"
#include "gui_test_main.h"
#include "services/escape_filter.h"
#include "services/form_history.h"
#include "services/settings.h"

namespace vrx {

class FormHistoryTest : public QObject {
  Q_OBJECT

 private:
  QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) {
      items << box.itemText(i);
    }
    return items;
  }

  QString Stored(Settings& settings, const char* group, int index) {
    return settings.ReadString(QString::fromLatin1(group), Settings::HistoryValueName(index),
                               QStringLiteral("<missing>"));
  }

 private slots:
  void init() { Settings().Clear(); }

  void ConfigurationIsNotTheUsersOwn() {
    Settings settings;
    QVERIFY(settings.FileName().startsWith(QString::fromUtf8(qgetenv("XDG_CONFIG_HOME"))));
    QVERIFY(settings.FileName().endsWith(QStringLiteral("/org.parlind.Parlind.conf")));
  }

  // The values kept under the earlier file name are read on the first start
  // that finds no file of its own, and only then; the earlier file stays.
  void EarlierSettingsAreTakenOver() {
    const QString file = Settings().FileName();
    QSettings earlier(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Parlind"));
    earlier.setValue("LocIncl/LRU0", "/daten/alt+");
    earlier.setValue("Settings/X", 17);
    earlier.sync();
    QVERIFY(!QFile::exists(file) || QFile::remove(file));
    {
      Settings settings;
      QCOMPARE(Stored(settings, "LocIncl", 0), QString("/daten/alt+"));
      QCOMPARE(settings.ProgressPosition().x(), 17);
      QVERIFY(settings.WriteString("LocIncl", "LRU0", "/daten/neu+"));
      QVERIFY(settings.Sync());
    }
    Settings again;
    QCOMPARE(Stored(again, "LocIncl", 0), QString("/daten/neu+"));
    QVERIFY(QFile::exists(earlier.fileName()));
    earlier.clear();
    earlier.sync();
    QVERIFY(QFile::remove(earlier.fileName()));
  }

  void FirstStartCreatesFiveEmptyValuesPerHistory() {
    Settings settings;
    for (HistoryKind kind : kAllHistories) {
      QComboBox box;
      FormHistory history(settings, kind, &box);
      QVERIFY(history.LoadHistory());
      QCOMPARE(box.count(), 0);
    }
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope,
                  QStringLiteral("org.parlind.Parlind"));
    const QStringList groups = {"LocIncl", "LocExcl",     "NameIncl",   "NameExcl",
                                "Size",    "ContentIncl", "ContentExcl"};
    QCOMPARE(raw.childGroups().size(), groups.size());
    for (const QString& group : groups) {
      raw.beginGroup(group);
      QCOMPARE(raw.childKeys(), (QStringList{"LRU0", "LRU1", "LRU2", "LRU3", "LRU4"}));
      for (const QString& key : raw.childKeys()) {
        QCOMPARE(raw.value(key).toString(), QString());
      }
      raw.endGroup();
    }
  }

  void EmptyValuesAreSkippedAndTheEditTextStays() {
    Settings settings;
    settings.WriteString("LocIncl", "LRU0", "/a");
    settings.WriteString("LocIncl", "LRU1", "");
    settings.WriteString("LocIncl", "LRU2", "/b");
    settings.WriteString("LocIncl", "LRU3", "ERR_NOTFOUND");
    QComboBox box;
    box.setEditable(true);
    box.setEditText("typed");
    FormHistory history(settings, HistoryKind::kLocIncl, &box);
    QVERIFY(history.LoadHistory());
    QCOMPARE(Items(box), (QStringList{"/a", "/b"}));
    QCOMPARE(box.currentText(), QString("typed"));
    // A stored "ERR_NOTFOUND" counts as missing and is overwritten.
    QCOMPARE(Stored(settings, "LocIncl", 3), QString());
    QCOMPARE(Stored(settings, "LocIncl", 4), QString());
  }

  void SavingWritesTheListAndLeavesLaterValues() {
    Settings settings;
    for (int i = 0; i < 5; ++i) {
      settings.WriteString("LocIncl", Settings::HistoryValueName(i), QString("old%1").arg(i));
    }
    QComboBox box;
    box.setEditable(true);
    box.addItems({"/older1", "/older2"});
    FormHistory::PushEntry(&box, "/x");
    FormHistory history(settings, HistoryKind::kLocIncl, &box);
    QVERIFY(history.SaveHistory());
    QCOMPARE(Stored(settings, "LocIncl", 0), QString("/x"));
    QCOMPARE(Stored(settings, "LocIncl", 1), QString("/older1"));
    QCOMPARE(Stored(settings, "LocIncl", 2), QString("/older2"));
    QCOMPARE(Stored(settings, "LocIncl", 3), QString("old3"));
    QCOMPARE(Stored(settings, "LocIncl", 4), QString("old4"));
  }

  void FirstStoredEntry() {
    Settings settings;
    QComboBox box;
    FormHistory history(settings, HistoryKind::kLocExcl, &box);
    QCOMPARE(history.FirstStoredEntry(), QString());
    QCOMPARE(Stored(settings, "LocExcl", 0), QString());  // created
    settings.WriteString("LocExcl", "LRU0", "/daten; /x");
    QCOMPARE(history.FirstStoredEntry(), QString("/daten; /x"));
  }

  void PushEntry_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("same text in other case replaces the entry")
        << QStringList{"/a", "/x"} << "/X" << QStringList{"/X", "/a"};
    QTest::newRow("sixth text drops the last entry")
        << QStringList{"1", "2", "3", "4", "5"} << "6" << QStringList{"6", "1", "2", "3", "4"};
    QTest::newRow("third entry moves to the top")
        << QStringList{"1", "2", "3", "4", "5"} << "3" << QStringList{"3", "1", "2", "4", "5"};
    QTest::newRow("empty text changes nothing")
        << QStringList{"1", "2"} << "" << QStringList{"1", "2"};
    QTest::newRow("first entry into an empty list") << QStringList{} << "/n" << QStringList{"/n"};
  }

  void PushEntry() {
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    QComboBox box;
    box.setEditable(true);
    box.addItems(before);
    box.setEditText(text);
    FormHistory::PushEntry(&box, text);
    QCOMPARE(Items(box), after);
    QCOMPARE(box.currentText(), text);
  }

  // Qt's buttons and month names are German once the translation is
  // installed; without its file they stay English and nothing is installed.
  void QtTextsInGerman() {
    const QLocale before;
    const auto yesText = [] {
      QMessageBox box(QMessageBox::Question, "t", "t", QMessageBox::Yes | QMessageBox::No);
      return box.button(QMessageBox::Yes)->text().remove('&');
    };
    QTranslator missing;
    QVERIFY(!InstallQtTranslation(missing, QDir::tempPath() + "/parlind-keine-uebersetzung"));
    QCOMPARE(yesText(), QString("Yes"));
    QTranslator translator;
    QVERIFY(InstallQtTranslation(translator));
    QCOMPARE(yesText(), QString("Ja"));
    QCOMPARE(QLocale().monthName(3), QString::fromUtf8("März"));
    QCoreApplication::removeTranslator(&translator);
    QLocale::setDefault(before);
  }

  // Escape is swallowed in a marked window only; any other closes on it.
  void EscapeIsSwallowedInMarkedWindows() {
    EscapeFilter filter;
    qApp->installEventFilter(&filter);
    QDialog marked;
    EscapeFilter::KeepOpenOnEscape(&marked);
    QDialog other;
    for (QDialog* dialog : {&marked, &other}) {
      dialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(dialog));
      QTest::keyClick(dialog, Qt::Key_Escape);
    }
    QVERIFY(marked.isVisible());
    QVERIFY(!other.isVisible());
    qApp->removeEventFilter(&filter);
    // Without the filter the same key closes the marked dialog: the test can fail.
    QTest::keyClick(&marked, Qt::Key_Escape);
    QVERIFY(!marked.isVisible());
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::FormHistoryTest)
#include "form_history_test.moc"
