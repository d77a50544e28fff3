#include "form/date_box.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace vrx {

DateBox::DateBox(QWidget* parent)
    : QWidget(parent), check_(new QCheckBox(this)), edit_(new QDateEdit(this)) {
  edit_->setCalendarPopup(true);
  edit_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  edit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit_->setEnabled(false);
  // The calendar is made now, so that its opening and Escape can be watched.
  calendar_ = edit_->calendarWidget();
  calendar_->installEventFilter(this);
  edit_->installEventFilter(this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(check_);
  layout->addWidget(edit_, 1);
  connect(check_, &QCheckBox::toggled, this, [this](bool on) {
    edit_->setEnabled(on);
    emit changed();
  });
  connect(edit_, &QDateEdit::dateChanged, this, [this] {
    if (hasDate()) {
      emit changed();
    }
  });
}

namespace {

// The keys that open a drop-down list on the desktop.
bool OpensCalendar(const QKeyEvent* key) {
  const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
  return (key->key() == Qt::Key_F4 && mods == Qt::NoModifier) ||
         ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && mods == Qt::AltModifier);
}

}  // namespace

bool DateBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress &&
      OpensCalendar(static_cast<QKeyEvent*>(event))) {
    OpenCalendar();
    return true;
  }
  if (watched == calendar_) {
    if (event->type() == QEvent::Show) {
      dateAtOpening_ = edit_->date();
    } else if (event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      edit_->setDate(dateAtOpening_);
    }
  }
  return QWidget::eventFilter(watched, event);
}

// The date edit offers no call that opens its calendar; it opens it on a
// press of its arrow, which is given to it here.
bool DateBox::OpenCalendar() {
  if (!edit_->isEnabled() || edit_->isReadOnly()) {
    return false;
  }
  QStyleOptionComboBox option;
  option.initFrom(edit_);
  option.editable = true;
  option.subControls = QStyle::SC_All;
  const QPoint arrow =
      edit_->style()
          ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, edit_)
          .center();
  QMouseEvent press(QEvent::MouseButtonPress, arrow, edit_->mapToGlobal(arrow), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(edit_, &press);
  return edit_->calendarWidget()->isVisible();
}

bool DateBox::hasDate() const {
  return check_->isChecked();
}

void DateBox::setHasDate(bool on) {
  check_->setChecked(on);
}

QDate DateBox::date() const {
  return edit_->date();
}

void DateBox::setDate(QDate date) {
  edit_->setDate(date);
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_date_box.cpp"
