// The main function of a window test: the user's configuration, cache, data
// and state folders are replaced by a temporary folder before Qt starts, so
// that no test reads or writes the user's own settings, trash or journal.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "services/accessible_box.h"

#define PARLIND_GUI_TEST_MAIN(TestClass)                            \
  int main(int argc, char** argv) {                                 \
    QTemporaryDir home;                                             \
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8()); \
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());   \
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());     \
    qputenv("XDG_STATE_HOME", (home.path() + "/state").toUtf8());   \
    QApplication app(argc, argv);                                   \
    app.setAttribute(Qt::AA_Use96Dpi, true);                        \
    vrx::AccessibleBox::Install();                                  \
    TestClass test;                                                 \
    return QTest::qExec(&test, argc, argv);                         \
  }
