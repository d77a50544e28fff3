// A date picker that can hold no date: a check box beside a date edit with a
// calendar drop-down. While the check box is clear the box holds no date and
// the edit is greyed; the date it shows is kept for the next tick. The
// calendar opens from the keyboard as a drop-down list does (Alt+Down,
// Alt+Up, F4); in it the arrows choose a day (the edit follows), Enter takes
// it and Escape closes the calendar and puts back the date it opened with.
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

  // Opens the calendar of the date edit when it is enabled; true if it did.
  bool OpenCalendar();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // The box was ticked or cleared, or its date changed.
  void changed();

 private:
  QCheckBox* check_;
  QDateEdit* edit_;
  QObject* calendar_ = nullptr;  // the calendar widget of the date edit
  QDate dateAtOpening_;          // the date the calendar opened with, for Escape
};

}  // namespace vrx
