// A date picker that can hold no date: a check box beside a date edit with a
// calendar drop-down. While the check box is clear the box holds no date and
// the edit is greyed; the date it shows is kept for the next tick.
#pragma once

#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

namespace vrx {

class DateBox : public QWidget {
  Q_OBJECT

 public:
  explicit DateBox(QWidget* parent);

  bool hasDate() const;
  void setHasDate(bool on);
  QDate date() const;
  void setDate(QDate date);

  QCheckBox* checkBox() const { return check_; }
  QDateEdit* dateEdit() const { return edit_; }

 signals:
  // The box was ticked or cleared, or its date changed.
  void changed();

 private:
  QCheckBox* check_;
  QDateEdit* edit_;
};

}  // namespace vrx
