#include "form/date_box.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

namespace vrx {

DateBox::DateBox(QWidget* parent)
    : QWidget(parent), check_(new QCheckBox(this)), edit_(new QDateEdit(this)) {
  edit_->setCalendarPopup(true);
  edit_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  edit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit_->setEnabled(false);
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
