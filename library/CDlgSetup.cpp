#include "library/CDlgSetup.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int IDC_UNITS = 1045;

// The dialog's size and its controls' places are given in dialog units of its 8-point font.
QRect FromDialogUnits(int x, int y, int width, int height) {
    return {static_cast<int>(x * 1.5), static_cast<int>(y * 1.625), static_cast<int>(width * 1.5),
            static_cast<int>(height * 1.625)};
}

} // namespace

CDlgSetup::CDlgSetup(QWidget* parent, const ISpeedUnits* dial) : QDialog(parent) {
    setObjectName(QStringLiteral("141"));
    setWindowTitle(tr("Setup"));
    setFixedSize(FromDialogUnits(0, 0, 245, 115).size());

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(FromDialogUnits(50, 81, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(FromDialogUnits(146, 81, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* caption = new QLabel(tr("Speed units:"), this);
    caption->setGeometry(FromDialogUnits(48, 34, 43, 8));

    // The list is sorted in its template, and "Km/h" sorts before "mile/h": the indexes stay
    // those of this order.
    m_units = new QComboBox(this);
    m_units->setObjectName(QString::number(IDC_UNITS));
    m_units->addItems({QStringLiteral("Km/h"), QStringLiteral("mile/h")});
    const QRect place = FromDialogUnits(101, 32, 97, 51);
    m_units->setGeometry(place.x(), place.y(), place.width(), m_units->sizeHint().height());
    m_nUnits = dial != nullptr && dial->IsKmh() ? kUnitsKmh : kUnitsMph;
    m_units->setCurrentIndex(m_nUnits);
    connect(m_units, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_nUnits = index; });
}

void ApplySetupChoice(int dialogResult, int unitsIndex, ISpeedUnits* dial) {
    if (dialogResult != QDialog::Accepted || dial == nullptr) {
        return;
    }
    if (unitsIndex == CDlgSetup::kUnitsKmh) {
        dial->SetKmh(true);
    } else if (unitsIndex == CDlgSetup::kUnitsMph) {
        dial->SetKmh(false);
    }
}

int RunSetupDialog(QWidget* parent, ISpeedUnits* dial) {
    CDlgSetup dialog(parent, dial);
    const int result = dialog.exec();
    ApplySetupChoice(result, dialog.UnitsIndex(), dial);
    return result;
}
