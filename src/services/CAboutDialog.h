// The about box "Info über vrx": the program icon, "Parlind Version 1.0" and
// an OK button. Opened modally from the search form's context menu.
#pragma once

#include <QDialog>

namespace vrx {

class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(QWidget* parent);
};

}  // namespace vrx
