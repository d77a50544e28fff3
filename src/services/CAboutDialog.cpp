#include "services/CAboutDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "services/escape_filter.h"
#include "services/program_icon.h"

namespace vrx {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("100"));
  setWindowTitle(QStringLiteral("Info über vrx"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  EscapeFilter::KeepOpenOnEscape(this);
  auto* layout = new QGridLayout(this);
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap::fromImage(DrawProgramIcon(32)));
  auto* text = new QLabel(QStringLiteral("Parlind Version 1.0"), this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(text, 0, 1);
  layout->addWidget(ok, 0, 2);
  layout->setColumnStretch(1, 1);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vrx

// The class's meta-object code, kept in this object file.
#include "moc_CAboutDialog.cpp"
