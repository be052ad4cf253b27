// The floor for the wizard's start-up: the 11-page wizard a Qt developer would write with
// QWizard, its pages holding what the wizard's pages hold (labels, line edits, combo boxes,
// check boxes, radio buttons) in form layouts, at the wizard's size, run modally and stopped,
// as the wizard is, once its first page is on screen and the loop is idle.
//
//   bench_floor_qwizard WIDTH HEIGHT

// Std
#include <cstdlib>

// Qt
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWizard>
#include <QWizardPage>

#include "wizard/exitwhenshown.h"

namespace {

QWizardPage *NewPage(const char *title, const char *subTitle, QFormLayout *&form)
{
    auto *page = new QWizardPage;
    page->setTitle(QString::fromLatin1(title));
    page->setSubTitle(QString::fromLatin1(subTitle));
    form = new QFormLayout(page);
    return page;
}

QWidget *PathRow(QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLineEdit(row));
    layout->addWidget(new QPushButton(QStringLiteral("Browse..."), row));
    return row;
}

QWidget *RadioPair(QWidget *parent, const char *first, const char *second)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *group = new QButtonGroup(row);
    for (const char *text : {first, second}) {
        auto *radio = new QRadioButton(QString::fromLatin1(text), row);
        group->addButton(radio);
        layout->addWidget(radio);
    }
    group->buttons().constFirst()->setChecked(true);
    return row;
}

QComboBox *Combo(QWidget *parent, std::initializer_list<const char *> items)
{
    auto *combo = new QComboBox(parent);
    for (const char *item : items)
        combo->addItem(QString::fromLatin1(item));
    return combo;
}

QWizardPage *SummaryPage(const char *title)
{
    QFormLayout *form = nullptr;
    QWizardPage *page = NewPage(title, "The settings of the firmware file.", form);
    for (const char *row : {"Firmware Version:", "Firmware Type:", "Default Monitor Settings:", "Initial Mode:",
                            "Options:", "USB VID/PID:", "USB Strings:", "Target Directory Prefix:"})
        form->addRow(QString::fromLatin1(row), new QLabel(page));
    form->addRow(new QPushButton(QStringLiteral("Copy"), page));
    return page;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    QApplication app(argc, argv);
    Startup::ExitWhenShown();

    QWizard wizard;
    wizard.setWindowTitle(QStringLiteral("Norvale Firmware Customiser"));
    QFormLayout *form = nullptr;

    QWizardPage *page = NewPage("Select Firmware File to Modify", "Type or browse to the firmware file.", form);
    form->addRow(QStringLiteral("File:"), PathRow(page));
    wizard.addPage(page);

    wizard.addPage(SummaryPage("Firmware Settings"));

    page = NewPage("Select UART Options", "The command monitor's UART settings at start-up.", form);
    form->addRow(QStringLiteral("Baud Rate:"),
                 Combo(page, {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200",
                              "230400", "460800", "921600", "1000000", "1500000", "2000000", "3000000"}));
    form->addRow(QStringLiteral("Data Bits:"), RadioPair(page, "8 Bits", "7 Bits"));
    form->addRow(QStringLiteral("Stop Bits:"), RadioPair(page, "1 Bit", "2 Bits"));
    form->addRow(QStringLiteral("Parity:"), Combo(page, {"None", "Odd", "Even"}));
    form->addRow(QStringLiteral("Flow Control:"), Combo(page, {"None", "CTS/RTS", "DTR/DSR", "XON/XOFF"}));
    wizard.addPage(page);

    page = NewPage("Choose Initialisation Options", "The monitor's modes at start-up.", form);
    form->addRow(QStringLiteral("Input Mode:"), RadioPair(page, "IPH Mode (binary)", "IPA Mode (ASCII)"));
    form->addRow(QStringLiteral("Command Mode:"),
                 RadioPair(page, "Extended Command Set Mode", "Short Command Set Mode"));
    form->addRow(new QCheckBox(QStringLiteral("LEDs Flash at Power-on"), page));
    wizard.addPage(page);

    page = NewPage("Choose Firmware Options", "The monitor's messages and what it allows.", form);
    for (const char *option : {"Show Prompt", "Show Device Connects/Removals", "Show Version Report at startup",
                               "Disable Data Mode", "Disable Firmware Upgrades", "Disable Sonette Status Information"})
        form->addRow(new QCheckBox(QString::fromLatin1(option), page));
    wizard.addPage(page);

    page = NewPage("Modify USB Slave Mode Settings", "The USB identity of the firmware.", form);
    for (const char *row :
         {"Vendor ID (Default is 2B3F):", "Product ID (Default is 5C10):", "Manufacturer String:", "Product String:"})
        form->addRow(QString::fromLatin1(row), new QLineEdit(page));
    form->addRow(new QLabel(page));
    wizard.addPage(page);

    page = NewPage("Choose Target Directory", "The prefix of the snapshot commands' target directory.", form);
    form->addRow(QStringLiteral("Directory Prefix:"), new QLineEdit(page));
    wizard.addPage(page);

    page = NewPage("Choose Version Code", "Three letters or digits that mark your build.", form);
    form->addRow(QStringLiteral("Firmware Code:"), new QLineEdit(page));
    wizard.addPage(page);

    wizard.addPage(SummaryPage("Summary of Firmware Customisations"));

    page = NewPage("Firmware File to Write", "Type or browse to the new file's name.", form);
    form->addRow(QStringLiteral("File:"), PathRow(page));
    wizard.addPage(page);

    page = NewPage("Firmware Modified", "The firmware file was written.", form);
    form->addRow(new QLabel(page));
    wizard.addPage(page);

    wizard.setFixedSize(width, height);
    wizard.exec();
    return 0;
}
