// Renders the search form, the progress window and the about box to PNG
// files and checks what a look at them would: every text gets the room it
// needs, and the grid's columns line up. (The results dialog's picture is
// made by its own test.)
#include <QCheckBox>
#include <QComboBox>
#include <QTest>

#include "form/CSearchDialog.h"
#include "gui_test_main.h"
#include "progress/CProgressWnd.h"
#include "services/CAboutDialog.h"
#include "services/program_icon.h"
#include "services/settings.h"
#include "services/user_dialogs.h"
#include "window_pictures.h"

namespace vrx {

class WindowPicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { Settings().Clear(); }

  void SearchForm() {
    Settings settings;
    settings.WriteString("LocIncl", "LRU0", "~/Bilder+, /srv/daten");
    UserDialogs dialogs;
    CSearchDialog form(settings, dialogs);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.box(form_id::kSourceIncl)->setEditText("~/Bilder+, /srv/daten");
    form.box(form_id::kNameIncl)->setEditText("*.jpg; *.png");
    form.check(form_id::kNameActive)->setChecked(true);
    form.check(form_id::kNameMax)->setChecked(true);
    QCOMPARE(test::CutOffTexts(&form).join("|"), QString());
    // The comparison check boxes of all rows stand in one column.
    const int x = form.check(form_id::kSourceActive)->geometry().center().x();
    for (int id : {form_id::kNameActive, form_id::kDateActive, form_id::kAttrActive,
                   form_id::kSizeActive, form_id::kContentActive}) {
      QCOMPARE(form.check(id)->geometry().center().x(), x);
    }
    // The form fits a small screen.
    QVERIFY(form.width() <= 1280);
    QVERIFY(form.height() <= 720);
    QVERIFY(test::SavePicture(&form, "search-form.png"));
  }

  void ProgressWindow() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", true);
    window.SetRange(0, 200, 1);
    window.SetPos(74);
    window.SetText("%s", "/home/anna/Bilder/Urlaub 2026/IMG_2041.jpg");
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(test::CutOffTexts(&window), QStringList{});
    QCOMPARE(window.windowTitle(), QString("Filtern [37%]"));
    QVERIFY(test::SavePicture(&window, "progress-window.png"));
  }

  void AboutBox() {
    CAboutDialog about(nullptr);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(test::CutOffTexts(&about).join("|"), QString());
    QVERIFY(test::SavePicture(&about, "about-box.png"));
  }

  void ProgramIcons() {
    for (int size : {16, 32, 48}) {
      const QImage image = DrawProgramIcon(size);
      QCOMPARE(image.size(), QSize(size, size));
      // Drawn, with a transparent corner: not an empty or a filled square.
      QVERIFY(qAlpha(image.pixel(size / 2, size / 2)) == 255);
      QCOMPARE(qAlpha(image.pixel(size - 1, 0)), 0);
      const QString path = QDir(test::PictureDir()).filePath(QString("parlind-%1.png").arg(size));
      QVERIFY(image.save(path));
    }
    QCOMPARE(ProgramIcon().availableSizes().size(), 3);
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::WindowPicturesTest)
#include "window_pictures_test.moc"
