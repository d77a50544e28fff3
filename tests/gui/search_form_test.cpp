// The search form: the rules of the linked boxes, the date boxes, Reset,
// folder browsing, the number fields' check and the values it hands over.
#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QUrl>

#include "accessible_names.h"
#include "form/CSearchDialog.h"
#include "form/date_box.h"
#include "form/folder_drop.h"
#include "gui_test_main.h"
#include "services/escape_filter.h"
#include "services/help.h"
#include "services/settings.h"
#include "services/user_dialogs.h"

namespace vrx {

using namespace form_id;

namespace {

// "1018=3,1012=" -> {1018: "3", 1012: ""}
QList<std::pair<int, QString>> ParseNumbers(const QString& text) {
  QList<std::pair<int, QString>> result;
  for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
    const QStringList parts = item.split('=');
    result.append({parts[0].toInt(), parts.value(1)});
  }
  return result;
}

}  // namespace

class SearchFormTest : public QObject {
  Q_OBJECT

 private:
  Settings* settings_ = nullptr;
  UserDialogs* dialogs_ = nullptr;
  CSearchDialog* form_ = nullptr;

  QList<int> Ticked() const {
    QList<int> ticked;
    for (int id : CSearchDialog::kCheckIds) {
      if (form_->check(id)->isChecked()) {
        ticked << id;
      }
    }
    std::sort(ticked.begin(), ticked.end());
    return ticked;
  }

  QStringList Items(int boxId) const {
    QStringList items;
    for (int i = 0; i < form_->box(boxId)->count(); ++i) {
      items << form_->box(boxId)->itemText(i);
    }
    return items;
  }

  QStringList Messages() const {
    QStringList texts;
    for (const auto& call : dialogs_->calls()) {
      if (call.kind != UserDialogs::Kind::kDirectory) {
        texts << call.text;
      }
    }
    return texts;
  }

 private slots:
  void init() {
    settings_ = new Settings;
    settings_->Clear();
    for (int i = 0; i < 5; ++i) {
      settings_->WriteString("NameIncl", Settings::HistoryValueName(i), QString("*.n%1").arg(i));
    }
    dialogs_ = new UserDialogs;
    dialogs_->SetScripted(true);
    form_ = new CSearchDialog(*settings_, *dialogs_);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
  }

  void cleanup() {
    delete form_;
    delete dialogs_;
    delete settings_;
  }

  void InitialState() {
    QCOMPARE(Ticked(), QList<int>{});
    for (int id : CSearchDialog::kNumberIds) {
      QCOMPARE(form_->numberField(id)->text(), QString("0"));
    }
    QVERIFY(!form_->check(kSourceRanges)->isEnabled());
    QVERIFY(!form_->check(kSizeMax)->isEnabled());
    QVERIFY(!form_->dateBox(kStartDate)->hasDate());
    QVERIFY(!form_->timeBox(kStartTime)->isEnabled());
    QCOMPARE(form_->timeBox(kEndTime)->time(), QTime(0, 0));
    QCOMPARE(form_->box(kDateKind)->currentText(), QString(" M"));
    QCOMPARE(form_->box(kDateUnit)->count(), 6);
    QCOMPARE(Items(kNameIncl).size(), 5);
    QCOMPARE(form_->box(kNameIncl)->currentText(), QString());
    QCOMPARE(
        form_->findChild<QWidget*>("1074")->toolTip(),
        QString::fromUtf8("Bsp.: /home/anna/skript.txt, /opt+ (\"+\" für: \"inkl. Unterverz.\")"));
  }

  void LinkedBoxes_data() {
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<bool>("rangesEnabled");
    QTest::addColumn<QString>("numbers");
    QTest::addColumn<int>("control");
    QTest::addColumn<QString>("typed");  // empty: click the control
    QTest::addColumn<QList<int>>("expectTicked");
    QTest::addColumn<bool>("expectRangesEnabled");
    QTest::addColumn<QString>("expectNumbers");

    using L = QList<int>;
    QTest::newRow("Inv. ticks aktiv and enables [ ]")
        << L{} << false << "" << kSourceInvert << "" << L{kSourceActive, kSourceInvert} << true
        << "";
    QTest::newRow("clearing Quelle aktiv clears Inv. and [ ]")
        << L{kSourceActive, kSourceInvert, kSourceRanges} << true << "" << kSourceActive << ""
        << L{} << false << "";
    QTest::newRow("ticking Quelle aktiv clears and disables [ ]")
        << L{kSourceInvert, kSourceRanges} << true << "" << kSourceActive << ""
        << L{kSourceActive, kSourceInvert} << false << "";
    QTest::newRow("clearing Inv. clears [ ]")
        << L{kSourceActive, kSourceInvert, kSourceRanges} << true << "" << kSourceInvert << ""
        << L{kSourceActive} << false << "";
    QTest::newRow("typing a name difference switches the comparison on")
        << L{} << false << "1018=" << kNameDiff << "3" << L{kNameActive, kNameMax} << false
        << "1018=3";
    QTest::newRow("clearing name aktiv clears max., a<>A and the difference")
        << L{kNameActive, kNameMax, kNameCase} << false << "1018=4" << kNameActive << "" << L{}
        << false << "1018=0";
    QTest::newRow("ticking name max. ticks aktiv")
        << L{} << false << "" << kNameMax << "" << L{kNameActive, kNameMax} << false << "";
    QTest::newRow("name a<>A while aktiv is clear")
        << L{} << false << "" << kNameCase << "" << L{kNameActive, kNameMax, kNameCase} << false
        << "";
    QTest::newRow("name a<>A while aktiv is ticked")
        << L{kNameActive} << false << "" << kNameCase << "" << L{kNameActive, kNameCase} << false
        << "";
    QTest::newRow("clearing Inhalt aktiv")
        << L{kContentActive, kContentMax, kContentCase} << false << "1012=5" << kContentActive << ""
        << L{} << false << "1012=0";
    QTest::newRow("ticking Inhalt aktiv ticks max. only")
        << L{} << false << "" << kContentActive << "" << L{kContentActive, kContentMax} << false
        << "";
    QTest::newRow("typing a content difference")
        << L{} << false << "1012=" << kContentDiff << "12" << L{kContentActive, kContentMax}
        << false << "1012=12";
    QTest::newRow("typing a date difference")
        << L{} << false << "" << kDateDiff << "2" << L{kDateActive, kDateMax} << false << "1035=2";
    QTest::newRow("clearing a date max. changes nothing else")
        << L{kDateActive, kDateMax} << false << "1035=9" << kDateMax << "" << L{kDateActive}
        << false << "1035=9";
    QTest::newRow("clearing Attribut aktiv") << L{kAttrActive, kAttrMax} << false << "1034=2"
                                             << kAttrActive << "" << L{} << false << "1034=0";
    QTest::newRow("typing a size difference ticks the disabled max.")
        << L{} << false << "1007=" << kSizeDiff << "7" << L{kSizeActive, kSizeMax} << false
        << "1007=7";
    QTest::newRow("clearing Größe aktiv") << L{kSizeActive, kSizeMax} << false << "1007=7"
                                          << kSizeActive << "" << L{} << false << "1007=0";
    QTest::newRow("typing while aktiv is ticked leaves max. clear")
        << L{kSizeActive} << false << "1007=" << kSizeDiff << "7" << L{kSizeActive} << false
        << "1007=7";
    QTest::newRow("R included clears R excluded")
        << L{kExclR} << false << "" << kInclR << "" << L{kInclR} << false << "";
    QTest::newRow("Verz. excluded clears Verz. included")
        << L{kInclDir, kInclA} << false << "" << kExclDir << "" << L{kInclA, kExclDir} << false
        << "";
    QTest::newRow("clearing an attribute changes nothing else")
        << L{kInclH} << false << "" << kInclH << "" << L{} << false << "";
    QTest::newRow("U has no rule")
        << L{} << false << "" << kNameInclAll << "" << L{kNameInclAll} << false << "";
  }

  void LinkedBoxes() {
    QFETCH(QList<int>, ticked);
    QFETCH(bool, rangesEnabled);
    QFETCH(QString, numbers);
    QFETCH(int, control);
    QFETCH(QString, typed);
    QFETCH(QList<int>, expectTicked);
    QFETCH(bool, expectRangesEnabled);
    QFETCH(QString, expectNumbers);

    for (int id : ticked) {
      form_->check(id)->setChecked(true);
    }
    form_->check(kSourceRanges)->setEnabled(rangesEnabled);
    for (const auto& [id, text] : ParseNumbers(numbers)) {
      form_->numberField(id)->setText(text);
    }
    if (typed.isEmpty()) {
      form_->check(control)->click();
    } else {
      form_->numberField(control)->setFocus();
      form_->numberField(control)->end(false);
      QTest::keyClicks(form_->numberField(control), typed);
    }
    std::sort(expectTicked.begin(), expectTicked.end());
    QCOMPARE(Ticked(), expectTicked);
    QCOMPARE(form_->check(kSourceRanges)->isEnabled(), expectRangesEnabled);
    for (const auto& [id, text] : ParseNumbers(expectNumbers)) {
      QCOMPARE(form_->numberField(id)->text(), text);
    }
    QCOMPARE(Messages(), QStringList{});
  }

  void NumberFieldWithoutNumberShowsTheMessage() {
    QLineEdit* field = form_->numberField(kNameDiff);
    field->setFocus();
    field->end(false);
    QTest::keyClick(field, Qt::Key_Backspace);  // "0" -> ""
    QCOMPARE(Messages(), QStringList{"Please enter a positive integer."});
    QCOMPARE(field->text(), QString("0"));  // the field's previous value is written back
    // The rule of the field still runs on the fields that could be read.
    QCOMPARE(Ticked(), (QList<int>{kNameActive, kNameMax}));

    dialogs_->ClearCalls();
    form_->numberField(kContentDiff)->setText("x1");
    form_->numberField(kNameDiff)->setText("5");
    QVERIFY(!form_->ReadControls());
    QCOMPARE(Messages(), QStringList{"Please enter a positive integer."});
    QCOMPARE(form_->number(kNameDiff), 5u);  // read before the bad field

    form_->numberField(kContentDiff)->setText("4294967296");
    QVERIFY(!form_->ReadControls());
    form_->numberField(kContentDiff)->setText(" 4294967295 ");
    QVERIFY(form_->ReadControls());
    QCOMPARE(form_->number(kContentDiff), 4294967295u);
  }

  // Each control says its row and column; a box's edit field and the parts
  // of a date box say them too. A box says its name, not the text it holds.
  void EveryControlSaysItsRowAndColumn() {
    form_->box(kNameIncl)->setEditText("*.txt");
    QCOMPARE(AccessibilityProblems(form_).join("; "), QString());
    QAccessibleInterface* nameBox = QAccessible::queryAccessibleInterface(form_->box(kNameIncl));
    QCOMPARE(nameBox->text(QAccessible::Name), QString::fromUtf8("Name einschließen"));
    QCOMPARE(nameBox->text(QAccessible::Value), QString("*.txt"));
    QCOMPARE(nameBox->role(), QAccessible::ComboBox);
    QCOMPARE(nameBox->childCount(), 2);
    QCOMPARE(nameBox->child(1)->object(), form_->box(kNameIncl)->lineEdit());
    QCOMPARE(nameBox->child(1)->parent()->object(), form_->box(kNameIncl));
    nameBox->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QVERIFY(form_->box(kNameIncl)->view()->isVisible());
    form_->box(kNameIncl)->hidePopup();
    const std::pair<const char*, const char*> names[] = {
        {"1074", "Quelle einschließen"},     {"1031", "Quelle vergleichen: Inv."},
        {"1056", "Name einschließen, a<>A"}, {"1066", "Name vergleichen: max."},
        {"1018", "Name: Unterschied"},       {"1023", "Attribut einschließen: R"},
        {"1073", "Größe: Einheit"},          {"1063", "Datum bis: Uhrzeit"}};
    for (const auto& [id, name] : names) {
      auto* w = form_->findChild<QWidget*>(id);
      QVERIFY2(w != nullptr, id);
      QCOMPARE(w->accessibleName(), QString::fromUtf8(name));
    }
    // Spoken so by the interface a screen reader asks.
    QCOMPARE(QAccessible::queryAccessibleInterface(form_->findChild<QWidget*>("1031"))
                 ->text(QAccessible::Name),
             QString("Quelle vergleichen: Inv."));
    auto* source = form_->findChild<QComboBox*>("1074");
    QCOMPARE(source->lineEdit()->accessibleName(), QString::fromUtf8("Quelle einschließen"));
    QCOMPARE(QAccessible::queryAccessibleInterface(source)->text(QAccessible::Description),
             source->toolTip());
    auto* start = form_->findChild<DateBox*>("1059");
    QCOMPARE(start->dateEdit()->accessibleName(), QString("Datum ab: Datum"));
    // The kind box is labelled "Art".
    const auto labels =
        QAccessible::queryAccessibleInterface(form_->box(kDateKind))->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.front().first->text(QAccessible::Name), QString("Art"));
    // Alt with the label's letter goes to its box.
    QVERIFY(QTest::qWaitForWindowActive(form_));
    const std::pair<Qt::Key, int> letters[] = {{Qt::Key_A, kDateKind}, {Qt::Key_B, kSize}};
    for (const auto& [key, id] : letters) {
      QTest::keyClick(form_, key, Qt::AltModifier);
      QCOMPARE(QApplication::focusWidget(), form_->box(id));
    }
  }

  // Tab goes through the date row as it stands on the screen.

  void DateRowTabOrder() {
    const QList<QWidget*> row = {form_->dateBox(kStartDate)->checkBox(),
                                 form_->dateBox(kStartDate)->dateEdit(),
                                 form_->timeBox(kStartTime),
                                 form_->box(kDateKind),
                                 form_->dateBox(kEndDate)->checkBox(),
                                 form_->dateBox(kEndDate)->dateEdit(),
                                 form_->timeBox(kEndTime),
                                 form_->check(kDateActive)};
    QList<QWidget*> chain;
    for (QWidget* w = row.first(); chain.size() < row.size() && w != form_;
         w = w->nextInFocusChain()) {
      if (row.contains(w)) {
        chain << w;
      }
    }
    QCOMPARE(chain, row);
  }

  // The calendar of a date box opens from the keyboard as a drop-down list
  // does; arrows and Enter pick a day, Escape closes it (and nothing else)
  // and puts back the date it opened with.
  void CalendarFromTheKeyboard_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Alt+Ab") << int(Qt::Key_Down) << int(Qt::AltModifier);
    QTest::newRow("Alt+Auf") << int(Qt::Key_Up) << int(Qt::AltModifier);
    QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier);
  }

  void CalendarFromTheKeyboard() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const auto press = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
      QTest::keyClick(QApplication::focusWidget(), k, m);
    };
    EscapeFilter filter;
    qApp->installEventFilter(&filter);
    QVERIFY(QTest::qWaitForWindowActive(form_));
    DateBox* box = form_->dateBox(kEndDate);
    box->setDate(QDate(2024, 2, 27));
    // While the date edit is greyed nothing opens.
    QTest::keyClick(box->dateEdit(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(QApplication::activePopupWidget(), nullptr);
    box->checkBox()->setFocus();
    press(Qt::Key_Space);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box->dateEdit());

    press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QWidget* calendar = QApplication::activePopupWidget();
    QVERIFY(calendar != nullptr);
    QCOMPARE(calendar, box->dateEdit()->calendarWidget()->window());
    QTRY_VERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(box->date(), QDate(2024, 2, 27));  // opening does not step the date
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    QTRY_VERIFY(!calendar->isVisible());
    QCOMPARE(box->date(), QDate(2024, 3, 6));

    press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(calendar->isVisible());
    QTRY_VERIFY(calendar->isAncestorOf(QApplication::focusWidget()));
    press(Qt::Key_Left);
    press(Qt::Key_Escape);
    QTRY_VERIFY(!calendar->isVisible());
    qApp->removeEventFilter(&filter);
    QCOMPARE(box->date(), QDate(2024, 3, 6));
    QVERIFY(form_->isVisible());
    QCOMPARE(QApplication::focusWidget(), box->dateEdit());
  }

  // Tab goes through every control of the form once, row by row and from left
  // to right, and from the last comes back to the first; Shift+Tab goes the
  // other way.
  void TabVisitsEveryControlInScreenOrder() {
    QVERIFY(QTest::qWaitForWindowActive(form_));
    for (int id : {kStartDate, kEndDate}) {
      form_->dateBox(id)->setHasDate(true);
    }
    form_->check(kSourceInvert)->click();  // enables "[ ]"
    const QList<QWidget*> screen = ScreenOrder(form_);
    QCOMPARE(screen.first(), form_->box(kSourceIncl));
    QVERIFY(screen.contains(form_->timeBox(kEndTime)));
    const QStringList expected = ControlNames(screen + QList<QWidget*>{screen.first()});
    for (const QStringList& round : TabRounds(screen)) {
      QCOMPARE(round, expected);
    }
  }

  void DateBoxEnablesItsTimeBox() {
    form_->check(kDateActive)->setChecked(true);
    form_->dateBox(kEndDate)->checkBox()->click();
    QVERIFY(form_->timeBox(kEndTime)->isEnabled());
    QVERIFY(!form_->timeBox(kStartTime)->isEnabled());
    form_->dateBox(kEndDate)->checkBox()->click();
    QVERIFY(!form_->timeBox(kEndTime)->isEnabled());
    QCOMPARE(Ticked(), QList<int>{kDateActive});
  }

  void ResetClearsEverythingButTheHistories() {
    for (int id : CSearchDialog::kCheckIds) {
      form_->check(id)->setChecked(true);
    }
    form_->check(kSourceRanges)->setEnabled(true);
    for (int id : CSearchDialog::kNumberIds) {
      form_->numberField(id)->setText("7");
    }
    for (int id : CSearchDialog::kHistoryBoxIds) {
      form_->box(id)->setEditText("text");
    }
    form_->dateBox(kStartDate)->setHasDate(true);
    form_->timeBox(kStartTime)->setTime(QTime(12, 30));
    for (int id : {kDateKind, kDateUnit, kSizeUnit, kContentUnit}) {
      form_->box(id)->setCurrentIndex(1);
    }
    form_->findChild<QPushButton*>("1003")->click();

    QCOMPARE(Ticked(), QList<int>{});
    QVERIFY(!form_->check(kSourceRanges)->isEnabled());
    for (int id : CSearchDialog::kNumberIds) {
      QCOMPARE(form_->numberField(id)->text(), QString("0"));
    }
    for (int id : CSearchDialog::kHistoryBoxIds) {
      QCOMPARE(form_->box(id)->currentText(), QString());
    }
    QCOMPARE(Items(kNameIncl).size(), 5);
    QVERIFY(!form_->dateBox(kStartDate)->hasDate());
    QCOMPARE(form_->timeBox(kStartTime)->time(), QTime(0, 0));
    QVERIFY(!form_->timeBox(kStartTime)->isEnabled());
    for (int id : {kDateKind, kDateUnit, kSizeUnit, kContentUnit}) {
      QCOMPARE(form_->SelectionIndex(id), 0);
    }
  }

  void Browse_data() {
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expectStart");
    QTest::addColumn<QString>("expectText");
    QTest::newRow("empty box starts at the stored entry") << ""
                                                          << "/daten; /x"
                                                          << "/tmp"
                                                          << "/daten"
                                                          << "/tmp";
    QTest::newRow("a chosen folder is appended") << "/a"
                                                 << ""
                                                 << "/tmp"
                                                 << "/a"
                                                 << "/a, /tmp";
    QTest::newRow("trailing slash removed") << "/daten/"
                                            << ""
                                            << "/t"
                                            << "/daten"
                                            << "/daten/, /t";
    QTest::newRow("the root keeps its slash") << "/"
                                              << ""
                                              << "/t"
                                              << "/"
                                              << "/, /t";
    QTest::newRow("first item, blanks and + removed") << "  /q+ , /r"
                                                      << ""
                                                      << "/z"
                                                      << "/q"
                                                      << "  /q+ , /r, /z";
    QTest::newRow("a folder with a separator is quoted") << "/a+"
                                                         << ""
                                                         << "/data/Fotos, 2024"
                                                         << "/a"
                                                         << "/a+, \"/data/Fotos, 2024\"";
    QTest::newRow("a quoted first item gives its path") << "\"/data/Fotos, 2024\"+; /x"
                                                        << ""
                                                        << "/y+"
                                                        << "/data/Fotos, 2024"
                                                        << "\"/data/Fotos, 2024\"+; /x, \"/y+\"";
    QTest::newRow("a folder no text can name is refused") << "/a"
                                                          << ""
                                                          << "/b\", c"
                                                          << "/a"
                                                          << "/a";
    QTest::newRow("cancel changes nothing") << "/a"
                                            << ""
                                            << ""
                                            << "/a"
                                            << "/a";
    QTest::newRow("nothing anywhere") << ""
                                      << ""
                                      << ""
                                      << ""
                                      << "";
  }

  void Browse() {
    QFETCH(QString, boxText);
    QFETCH(QString, stored);
    QFETCH(QString, chosen);
    QFETCH(QString, expectStart);
    QFETCH(QString, expectText);
    settings_->WriteString("LocIncl", "LRU0", stored);
    form_->box(kSourceIncl)->setEditText(boxText);
    dialogs_->SetNextPath(chosen);
    form_->findChild<QPushButton*>("1005")->click();
    const bool refused = !chosen.isEmpty() && expectText == boxText;
    QCOMPARE(dialogs_->calls().size(), size_t{refused ? 2u : 1u});
    QCOMPARE(dialogs_->calls()[0].text, expectStart);
    QCOMPARE(form_->box(kSourceIncl)->currentText(), expectText);
    QCOMPARE(Items(kSourceIncl), QStringList{});
  }

  // `vrx DIR...` puts its folders in place of the box's text, with
  // subfolders; a drop adds to it. Items are quoted where the list needs it.
  void FoldersFromTheCommandLineAndFromDrops() {
    form_->box(kSourceIncl)->setEditText("/alt");
    form_->AddLocations(kSourceIncl, {"/daten", "/a,b", " lead", "/x+"}, true, true);
    QCOMPARE(form_->box(kSourceIncl)->currentText(),
             QString(R"(/daten+, "/a,b"+, " lead"+, "/x+"+)"));
    form_->AddLocations(kSourceIncl, {"/q\"u;ote", "/gut"}, false, false);
    QCOMPARE(form_->box(kSourceIncl)->currentText(),
             QString(R"(/daten+, "/a,b"+, " lead"+, "/x+"+, /gut)"));
    QCOMPARE(dialogs_->calls().size(), size_t{1});
    QVERIFY(dialogs_->calls()[0].text.startsWith("/q\"u;ote: "));

    QTemporaryDir tree;
    QVERIFY(QDir().mkpath(tree.filePath("mit, Komma")));
    QFile file(tree.filePath("datei"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QLineEdit* edit = form_->box(kSourceExcl)->lineEdit();
    edit->setText("/weg");
    const auto drop = [edit](const QStringList& paths) {
      QMimeData mime;
      QList<QUrl> urls;
      for (const QString& path : paths) {
        urls << QUrl::fromLocalFile(path);
      }
      mime.setUrls(urls);
      QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(edit, &enter);
      QDropEvent dropped(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(edit, &dropped);
      return enter.isAccepted();
    };
    QVERIFY(drop({tree.filePath("mit, Komma") + "/"}));
    QCOMPARE(edit->text(), "/weg, \"" + tree.filePath("mit, Komma") + "\"");
    // A file among the dropped items: the drop is not one of folders.
    QVERIFY(FolderDropFilter::DroppedFolders(nullptr).isEmpty());
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(tree.path()), QUrl::fromLocalFile(file.fileName())});
    QVERIFY(FolderDropFilter::DroppedFolders(&mixed).isEmpty());
    mixed.setUrls({QUrl("https://example.org/")});
    QVERIFY(FolderDropFilter::DroppedFolders(&mixed).isEmpty());
  }

  void ValuesForTheSearch() {
    for (int id : {kInclR, kInclA, kExclDir, kSizeActive}) {
      form_->check(id)->setChecked(true);
    }
    form_->numberField(kSizeDiff)->setText("10");
    form_->box(kSizeUnit)->setCurrentIndex(1);
    form_->numberField(kContentDiff)->setText("0");
    form_->box(kContentUnit)->setCurrentIndex(1);
    form_->box(kDateKind)->setCurrentIndex(1);
    form_->box(kNameIncl)->setEditText("*.TXT");
    form_->dateBox(kStartDate)->setHasDate(true);
    form_->dateBox(kStartDate)->setDate(QDate(2026, 12, 7));
    form_->timeBox(kStartTime)->setTime(QTime(8, 15, 30));
    QVERIFY(form_->ReadControls());
    form_->UpdateHistoryBoxes();
    const std::optional<FormValues> collected = form_->CollectFormValues();
    QVERIFY(collected.has_value());
    const FormValues& v = *collected;
    QCOMPARE(v.attrInclMask, 0x21u);
    QCOMPARE(v.attrExclMask, 0x10u);
    QVERIFY(v.sizePercent);
    QVERIFY(!v.contentPercent);  // a difference of 0 never counts as percent
    QCOMPARE(v.dateKind, 1);
    QCOMPARE(v.nameInclText, std::string("*.TXT"));
    QVERIFY(v.startDate.has_value());
    QCOMPARE(v.startDate->day, 7);
    QCOMPARE(v.startTime.minute, 15);
    QVERIFY(!v.endDate.has_value());
    QVERIFY(v.sizeActive);
    QCOMPARE(v.sizeDiff, 10u);
    QCOMPARE(Items(kNameIncl).first(), QString("*.TXT"));
    QCOMPARE(Items(kNameIncl).size(), 5);
  }

  void TypedSmallBoxTexts_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");
    QTest::newRow("entry") << kDateKind << " E" << 2;
    QTest::newRow("letter without blank") << kDateUnit << "d" << 3;
    QTest::newRow("other case") << kSizeUnit << "b" << 0;
    QTest::newRow("own text") << kDateKind << "X" << -1;
  }

  void TypedSmallBoxTexts() {
    QFETCH(int, box);
    QFETCH(QString, text);
    QFETCH(int, index);
    form_->box(box)->setEditText(text);
    QCOMPARE(form_->SelectionIndex(box), index);
  }

  void UpdatingTheHistoriesLeavesTheSettingsAlone() {
    form_->box(kNameIncl)->setEditText("*.N2");
    form_->UpdateHistoryBoxes();
    QCOMPARE(Items(kNameIncl), (QStringList{"*.N2", "*.n0", "*.n1", "*.n3", "*.n4"}));
    QCOMPARE(settings_->ReadString("NameIncl", "LRU0", ""), QString("*.n0"));
    form_->SaveHistories();
    QCOMPARE(settings_->ReadString("NameIncl", "LRU0", ""), QString("*.N2"));
    QCOMPARE(settings_->ReadString("NameIncl", "LRU2", ""), QString("*.n1"));
  }

  void SuchenAndEnterRunTheSearchHandler() {
    int runs = 0;
    form_->SetSearchHandler([&runs] { ++runs; });
    form_->findChild<QPushButton*>("1")->click();
    QCOMPARE(runs, 1);
    QWidget* edit = form_->box(kSourceIncl)->lineEdit();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(runs, 2);
    QVERIFY(form_->isVisible());
  }

  // A typed prefix of a history entry is searched as typed, in every box.
  void TypedTextIsNotCompleted() {
    QVERIFY(QTest::qWaitForWindowActive(form_));
    QStringList searched;
    form_->SetSearchHandler([this, &searched] {
      form_->UpdateHistoryBoxes();
      const FormValues v = form_->CollectFormValues().value();
      searched << QString::fromStdString(v.sourceInclText + "|" + v.sourceExclText + "|" +
                                         v.nameInclText + "|" + v.nameExclText + "|" + v.sizeText +
                                         "|" + v.contentInclText + "|" + v.contentExclText);
    });
    for (int id : CSearchDialog::kHistoryBoxIds) {
      form_->box(id)->insertItem(0, "/home/u/tree+");
      form_->box(id)->insertItem(0, "*.txt");
      form_->box(id)->setEditText(QString());
    }
    for (int id : CSearchDialog::kHistoryBoxIds) {
      QLineEdit* edit = form_->box(id)->lineEdit();
      edit->setFocus();
      QTest::keyClicks(edit, id == kNameIncl ? "*" : "/home/u/tree");
      QCOMPARE(form_->box(id)->currentText(), id == kNameIncl ? "*" : "/home/u/tree");
    }
    QTest::keyClick(form_->box(kSourceIncl)->lineEdit(), Qt::Key_Return);
    QTest::keyClick(form_->box(kSourceIncl)->lineEdit(), Qt::Key_Return);
    const QString typed =
        "/home/u/tree|/home/u/tree|*|/home/u/tree|/home/u/tree|/home/u/tree|"
        "/home/u/tree";
    QCOMPARE(searched, (QStringList{typed, typed}));
  }

  // Enter on a focused push button presses that button, never "Suchen".
  void EnterOnAFocusedButtonPressesIt_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("key");
    QTest::newRow("Beenden") << kQuit << int(Qt::Key_Return);
    QTest::newRow("Beenden, keypad Enter") << kQuit << int(Qt::Key_Enter);
    QTest::newRow("...") << kBrowseIncl << int(Qt::Key_Return);
    QTest::newRow("Reset") << kReset << int(Qt::Key_Return);
    QTest::newRow("Hilfe") << kHelp << int(Qt::Key_Enter);
  }

  void EnterOnAFocusedButtonPressesIt() {
    QFETCH(int, button);
    QFETCH(int, key);
    QVERIFY(QTest::qWaitForWindowActive(form_));
    int runs = 0;
    form_->SetSearchHandler([&runs] { ++runs; });
    auto* pressed = form_->findChild<QPushButton*>(QString::number(button));
    QSignalSpy clicks(pressed, &QPushButton::clicked);
    pressed->setFocus();
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(pressed, Qt::Key(key), modifiers);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(runs, 0);
    QCOMPARE(form_->isVisible(), button != kQuit);
    // Back in a text box, Enter starts the search again.
    if (button != kQuit) {
      form_->box(kNameIncl)->lineEdit()->setFocus();
      QTest::keyClick(form_->box(kNameIncl)->lineEdit(), Qt::Key(key), modifiers);
      QCOMPARE(runs, 1);
    }
  }

  // Escape leaves the form open but closes its pop-ups and the dialogs it opens.
  void EscapeClosesPopupsAndDialogsButNotTheForm() {
    EscapeFilter filter;
    qApp->installEventFilter(&filter);
    QVERIFY(QTest::qWaitForWindowActive(form_));
    QTest::keyClick(form_->box(kNameIncl)->lineEdit(), Qt::Key_Escape);
    QVERIFY(form_->isVisible());

    QComboBox* box = form_->box(kNameIncl);
    box->showPopup();
    QWidget* popup = box->view()->window();
    QVERIFY(QTest::qWaitForWindowExposed(popup));
    QTest::keyClick(box->view(), Qt::Key_Escape);
    QTRY_VERIFY(!popup->isVisible());
    QVERIFY(form_->isVisible());

    // The folder chooser, opened by "..." for real.
    UserDialogs real;
    CSearchDialog form(*settings_, real);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    bool closedByEscape = false;
    QTimer::singleShot(0, [&closedByEscape] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(chooser != nullptr);
      QVERIFY(QTest::qWaitForWindowExposed(chooser));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      closedByEscape = !chooser->isVisible();
      chooser->reject();  // ends the test's wait also when Escape failed
    });
    form.findChild<QPushButton*>(QString::number(kBrowseIncl))->click();
    qApp->removeEventFilter(&filter);
    QVERIFY(closedByEscape);
    QVERIFY(form.isVisible());
  }

  void HelpOpensTheFormsSectionOfThePage() {
    form_->findChild<QPushButton*>("57670")->click();
    QCOMPARE(dialogs_->calls().size(), size_t{1});
    const QUrl url(dialogs_->calls()[0].text);
    QCOMPARE(url.fragment(), QString("kontext-20066"));
    QFile page(url.toLocalFile());
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(page.readAll().contains("id=\"kontext-20066\""));

    dialogs_->SetNextOpenResult(false);
    form_->OnHelp();
    QCOMPARE(dialogs_->calls().back().kind, UserDialogs::Kind::kError);
    QCOMPARE(dialogs_->calls().back().text, QString("Failed to launch help."));
  }

  // Installed, vrx opens the page from share/doc/parlind/ of its own prefix.
  void InstalledHelpPageIsFoundFromTheProgramFolder() {
    QTemporaryDir prefix;
    QVERIFY(QDir().mkpath(prefix.filePath("bin")));
    QCOMPARE(InstalledHelpPage(prefix.filePath("bin")), QString());
    QVERIFY(QDir().mkpath(prefix.filePath("share/doc/parlind")));
    QFile page(prefix.filePath("share/doc/parlind/vrx-hilfe.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    QCOMPARE(InstalledHelpPage(prefix.filePath("bin")),
             QFileInfo(page.fileName()).absoluteFilePath());
  }

  void ContextMenuOffersTheAboutBox() {
    QStringList items;
    QString aboutTitle;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu != nullptr);
      for (QAction* a : menu->actions()) {
        items << a->text();
      }
      QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(about != nullptr);
        aboutTitle = about->windowTitle();
        about->findChild<QPushButton*>("1")->click();
      });
      menu->actions().first()->trigger();
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            form_->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(form_, &event);
    QCOMPARE(items, QStringList{QString::fromUtf8("&Info über Parlind...")});
    QCOMPARE(aboutTitle, QString::fromUtf8("Info über vrx"));
  }

  void BeendenEndsTheFormWithoutWriting() {
    form_->box(kSourceIncl)->setEditText("/typed");
    form_->findChild<QPushButton*>("2")->click();
    QVERIFY(!form_->isVisible());
    QCOMPARE(form_->result(), int(QDialog::Rejected));
    QCOMPARE(settings_->ReadString("LocIncl", "LRU0", "?"), QString());
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::SearchFormTest)
#include "search_form_test.moc"
