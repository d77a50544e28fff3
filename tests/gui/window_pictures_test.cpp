// Renders the windows to PNG files (into $PARLIND_PICTURE_DIR, else the
// working folder) and checks what a look at them would: every label, check
// box and button gets at least the room its text needs, and the grid's
// columns line up.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/CAboutDialog.h"
#include "app/program_icon.h"
#include "app/settings.h"
#include "app/user_dialogs.h"
#include "form/CSearchDialog.h"
#include "gui_test_main.h"
#include "progress/CProgressWnd.h"

namespace vrx {

class WindowPicturesTest : public QObject {
  Q_OBJECT

 private:
  static QString PictureDir() {
    const QString dir = QString::fromLocal8Bit(qgetenv("PARLIND_PICTURE_DIR"));
    return dir.isEmpty() ? QDir::currentPath() : dir;
  }

  static void Save(QWidget* window, const QString& name) {
    const QString path = QDir(PictureDir()).filePath(name);
    QVERIFY2(window->grab().save(path), qPrintable(path));
  }

  // Texts that do not fit their widgets are cut off on screen.
  static QStringList CutOffTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (!w->isVisible()) {
        continue;
      }
      QString text;
      if (auto* label = qobject_cast<QLabel*>(w)) {
        text = label->text();
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        text = button->text();
      }
      if (text.isEmpty() || w->objectName() == QLatin1String("11")) {
        continue;  // the progress window's text line is as wide as it is
      }
      // A push button's hint holds a style minimum; its text needs less.
      const int need = qobject_cast<QPushButton*>(w) != nullptr
                           ? w->fontMetrics().horizontalAdvance(text) + 8
                           : w->sizeHint().width();
      if (w->width() < need || w->height() < w->minimumSizeHint().height()) {
        cut << QString("%1 (%2 < %3)").arg(text).arg(w->width()).arg(need);
      }
    }
    return cut;
  }

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
    QCOMPARE(CutOffTexts(&form).join("|"), QString());
    // The comparison check boxes of all rows stand in one column.
    const int x = form.check(form_id::kSourceActive)->geometry().center().x();
    for (int id : {form_id::kNameActive, form_id::kDateActive, form_id::kAttrActive,
                   form_id::kSizeActive, form_id::kContentActive}) {
      QCOMPARE(form.check(id)->geometry().center().x(), x);
    }
    // The form fits a small screen.
    QVERIFY(form.width() <= 1280);
    QVERIFY(form.height() <= 720);
    Save(&form, "search-form.png");
  }

  void ProgressWindow() {
    Settings settings;
    CProgressWnd window(settings, nullptr, "Filtern", true);
    window.SetRange(0, 200, 1);
    window.SetPos(74);
    window.SetText("%s", "/home/anna/Bilder/Urlaub 2026/IMG_2041.jpg");
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(CutOffTexts(&window), QStringList{});
    QCOMPARE(window.windowTitle(), QString("Filtern [37%]"));
    Save(&window, "progress-window.png");
  }

  void AboutBox() {
    CAboutDialog about(nullptr);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(CutOffTexts(&about).join("|"), QString());
    Save(&about, "about-box.png");
  }

  void ProgramIcons() {
    for (int size : {16, 32, 48}) {
      const QImage image = DrawProgramIcon(size);
      QCOMPARE(image.size(), QSize(size, size));
      // Drawn, with a transparent corner: not an empty or a filled square.
      QVERIFY(qAlpha(image.pixel(size / 2, size / 2)) == 255);
      QCOMPARE(qAlpha(image.pixel(size - 1, 0)), 0);
      const QString path = QDir(PictureDir()).filePath(QString("parlind-%1.png").arg(size));
      QVERIFY(image.save(path));
    }
    QCOMPARE(ProgramIcon().availableSizes().size(), 3);
  }
};

}  // namespace vrx

PARLIND_GUI_TEST_MAIN(vrx::WindowPicturesTest)
#include "window_pictures_test.moc"
